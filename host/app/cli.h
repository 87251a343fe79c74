// The command line of simhost (a contract: tests and users rely on it).
//
//   simhost run [SCENARIO] [options]          fly one scenario
//   simhost montecarlo [SCENARIO] [options]   many recoveries over dispersed staging conditions
//   simhost merge FILE... [options]           summarise the record files of shards of one set
//   simhost list [--root DIR]                 the bundled scenarios with their descriptions
//   simhost replay TRACK --out DIR            the replay page of a track
//   simhost --version
// SCENARIO is a .scn path or a name under Scenarios/ (default: the bundled booster recovery).
// Bad arguments give a message naming the option and exit status 2; every number must be finite
// and within the option's range.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/montecarlo.h"
#include "app/replay_cli.h"
#include "app/staging.h"
#include "app/wind_options.h"
#include "world/world.h"

namespace sim {

constexpr const char *kDefaultScenario = "Booster recovery";
constexpr double kMaxRunTime = 1e8;  // [s] the latest --until, some three years

struct RunOptions {
  std::string scenario = kDefaultScenario;
  std::filesystem::path root;     // empty: the bundled data
  std::filesystem::path modules;  // empty: beside the program
  double dt = 0.02;
  std::optional<double> until;
  std::string focus;
  std::vector<KeyEvent> events;
  std::vector<std::string> inputs;
  std::filesystem::path save, hud, hudPng, log, report;
  int hudWidth = 1024, hudHeight = 768;
  double logEvery = 0.1;
  std::optional<WindSpec> wind;
  WindOptions windOptions;  // profile, turbulence, seed
  StagingOverrides staging;
  std::string landingLaw;  // "specified", "precision", or empty: as the scenario says (app/landing_law.h)
  std::filesystem::path track, replayDir;  // app/replay_cli.h
  std::vector<ControlEvent> controls;      // --control, --navmode, --controls
  std::vector<std::filesystem::path> addons;  // --addon
  bool progress = false;  // a progress line on standard output (set when it is a terminal)
};

struct ListOptions {
  std::filesystem::path root;  // empty: the bundled data
};

struct CommandLine {
  enum class Command { Run, MonteCarlo, Merge, List, Replay } command = Command::Run;
  RunOptions run;
  MonteCarloOptions montecarlo;
  MergeOptions merge;
  ListOptions list;
  ReplayOptions replay;
};

// What parsing decided: go on with the command (exitCode < 0; err may hold warnings), or stop
// with exitCode after printing out (help, the version) and err (the error).
struct CliResult {
  int exitCode = -1;
  std::string out, err;
  bool proceed() const { return exitCode < 0; }
  static CliResult error(const std::string &message) {
    return {2, "", "simhost: " + message + "\n"};
  }
  static CliResult done(const std::string &text) { return {0, text, ""}; }
};

CliResult parseCommandLine(int argc, char **argv, CommandLine &cmd);

// The same with the options built beforehand, for SUBCOMMAND ("" for all): a process whose forked
// children each parse a command line of their own (a Monte-Carlo set's runs) builds them once,
// before it forks. A parser fills its options once; a second parse, or a command line of another
// subcommand, builds them anew.
class CommandLineParser {
 public:
  explicit CommandLineParser(std::string_view subcommand = "");
  ~CommandLineParser();
  CommandLineParser(const CommandLineParser &) = delete;
  CommandLineParser &operator=(const CommandLineParser &) = delete;
  CliResult parse(int argc, char **argv, CommandLine &cmd);

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};
// Parses argv. Returns -1 to go on, or the exit status to stop with (0 after --help, 2 after an
// error, whose message has been written to err).
int parseCommandLine(int argc, char **argv, CommandLine &cmd, std::string &out, std::string &err);
// The same for a command line that must be a `run`.
int parseCommandLine(int argc, char **argv, RunOptions &opts, std::string &out, std::string &err);

// The program's version, as `simhost --version` prints it.
std::string versionText();

// Parsers of the option values (also used by tests); false with a message on error.
bool parseKeyEvent(const std::string &spec, KeyEvent &e, std::string &error);
bool parseCodeEvent(const std::string &spec, KeyEvent &e, std::string &error);
bool parseWind(const std::string &spec, WindSpec &w, std::string &error);
bool parseSize(const std::string &spec, int &w, int &h, std::string &error);
bool parseInterval(const std::string &spec, Interval &i, std::string &error);  // MIN:MAX
bool parseShard(const std::string &spec, int &index, int &count, std::string &error);  // I/N
bool parseSeed(const std::string &text, unsigned long long &seed,
               std::string &error);  // 0 .. 2^64-1
// Whether an event at time t [s] is delivered in a run of step dt that ends at `until`: at the
// start of the first step that starts at or after t, if that step starts before the end.
bool deliveredBefore(double t, double dt, double until);

}  // namespace sim
