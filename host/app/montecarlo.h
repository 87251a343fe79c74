// simhost montecarlo: many recoveries from one base scenario over dispersed staging conditions, and
// simhost merge: the summary of several shards of one set.
//
// Run k of a set (k = 1..N) draws its conditions from its own generator, seeded by (seed, k), so a
// run's conditions do not depend on which other runs are flown: a shard I/N flies runs
// floor((I-1) N_runs / N) + 1 .. floor(I N_runs / N) of the same set, and shards merge into exactly
// the set flown in one go. Every run is a `simhost run` of the base scenario with the staging
// options and --dt/--wind of its draw, in its own process (the modules keep module-wide state).
// The process is forked from the set's own, which has read the base scenario and so holds its
// configuration and meshes parsed (loader/file_cache.h): a run starts from them, and loads its
// modules itself, as a new process would. --spawn starts each run as a new program instead; the
// records are the same either way. The values are passed as text with fixed decimals and recorded
// as parsed back from that text, so the printed command replays the run exactly.
//
// The records go to a temporary file beside --out, renamed onto it at the end, so an existing set
// is never truncated; --resume first keeps the records of --out that belong to this very set
// (same set, shard range and drawn command) and flies only the missing runs. SIGINT or SIGTERM
// stops the running children, keeps every finished record and prints the summary of them.
//
// Draws, uniform on their intervals: staging altitude [m] and ground speed [m/s] absolute;
// flight-path angle and heading [deg] as offsets from the base; downrange distance and main
// propellant [kg] as factors (1 +- spread) on the base; wind speed [m/s] on an interval, from a
// direction uniform on [0, 360) deg; step length [s] on an interval. The wind
// (montecarlo_wind.cpp): by default a profile of the built-in family with that speed and direction
// at 10 m, a jet of a speed and height on their intervals, a veer uniform on +-spread from 10 m to
// the jet, and a turbulence level drawn from a list with a seed of its own; these are drawn after
// all the others, so the other draws of a run are those of a set with a constant wind, which
// --wind-model constant still flies.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include "physics/turbulence.h"

namespace CLI {
class App;
}

namespace sim {

struct Interval {
  double lo = 0, hi = 0;
};

// --- wind dispersions (montecarlo_wind.cpp) -------------------------------------------------
struct WindDispersion {
  bool constantWind = false;      // today's constant wind instead of a profile
  Interval jetSpeed{15, 50};      // [m/s]
  Interval jetAlt{9000, 13000};   // [m]
  double veerSpread = 45;         // [deg] +-
  std::vector<TurbulenceLevel> turbulence{TurbulenceLevel::None, TurbulenceLevel::Light,
                                          TurbulenceLevel::Moderate};
};

struct WindDraw {
  bool profile = false;
  double jetSpeed = 0, jetAlt = 0, veer = 0;  // [m/s] [m] [deg], as passed on the command line
  TurbulenceLevel turbulence = TurbulenceLevel::None;
  std::uint64_t seed = 0;
};

struct MonteCarloOptions;
struct RunDraw;
struct RunDefaults;
// Draws the wind beyond its speed and direction at the surface ("SPEED:DIR", already drawn) and
// returns the run's wind options.
std::vector<std::string> drawWind(const MonteCarloOptions &o, std::mt19937_64 &g, const std::string &surfaceWind,
                                  RunDraw &d);
void recordWind(const RunDraw &d, nlohmann::json &inputs);  // adds the draw to a run's inputs
std::string windSummary(const nlohmann::json &inputs);     // the draw as the worst-runs list shows it
struct MonteCarloWindText {
  std::string model, jetSpeed, jetAlt, turbulence;
};
void addMonteCarloWindOptions(CLI::App &montecarlo, MonteCarloWindText &text, MonteCarloOptions &o);
bool readMonteCarloWindOptions(const MonteCarloWindText &text, MonteCarloOptions &o, std::string &err);
// ---------------------------------------------------------------------------------------------

struct MonteCarloOptions {
  std::string scenario = "Booster recovery";
  std::filesystem::path root, modules;  // empty: the defaults of simhost run
  int runs = 1000;
  unsigned long long seed = 1;
  int jobs = 0;  // 0: one per processor
  int shardIndex = 1, shardCount = 1;
  Interval altitude{60000, 80000};  // [m]
  Interval speed{1500, 2000};       // [m/s]
  double pathAngleSpread = 5;       // [deg] +-
  double headingSpread = 5;         // [deg] +-
  double downrangeSpread = 0.25;    // +- fraction of the base downrange
  double propellantSpread = 0.15;   // +- fraction of the base main propellant
  Interval windSpeed{0, 15};        // [m/s]
  Interval dt{0.01, 0.1};           // [s]
  WindDispersion windDispersion;
  std::filesystem::path out = "montecarlo.jsonl";
  bool resume = false;              // keep the records of this set already in `out`
  int worst = 10;                   // worst runs listed
  std::string program = "simhost";  // the program as invoked, for the replay commands printed
  std::string landingLaw;           // --landing-law of every run; empty: as the scenario says
  bool spawn = false;               // every run a new program (exec), not forked from this one
};

struct MergeOptions {
  std::vector<std::filesystem::path> inputs;
  std::filesystem::path out;  // empty: only the summary
  int worst = 10;
  std::string program = "simhost";
};

// The conditions of one run, as passed on its command line.
struct RunDraw {
  int index = 0;
  double altitude = 0, speed = 0, pathAngle = 0, heading = 0, downrange = 0, propellant = 0;
  double windSpeed = 0, windFrom = 0, dt = 0;
  WindDraw windDraw;
  std::vector<std::string> args;  // simhost run arguments (after the program name)
};

// What the base scenario's stage starts with.
struct StagingBase {
  double pathAngle = 0, heading = 0, downrange = 0, propellant = 0;  // [deg] [deg] [m] [kg]
};

// The runs [first, last] of a shard, 1-based and inclusive; empty when last < first.
void shardRange(int runs, int index, int count, int &first, int &last);
RunDraw drawRun(const MonteCarloOptions &o, const StagingBase &base, const std::string &scenarioArg, int index);
// Reads the base state from the scenario (throws InputError naming the file and what is missing).
StagingBase readStagingBase(const MonteCarloOptions &o, const std::filesystem::path &dataRoot,
                            const std::filesystem::path &modulesDir);

// The record of one run as a JSON line: inputs, exit status, landing report (without timeline), command.
nlohmann::json runRecord(const MonteCarloOptions &o, const RunDraw &d, int status, const nlohmann::json &report,
                         const std::string &error);
// The summary table of a set of records (any order), with the worst runs and their commands,
// printed to run as `program` (the records say "simhost").
std::string summaryTable(const std::vector<nlohmann::json> &records, const nlohmann::json &set,
                         int worst, double seconds, int jobs,
                         const std::string &program = "simhost");
// Runs whose outcome is "failed": a non-zero exit status, or no landing report.
int failedRuns(const std::vector<nlohmann::json> &records);
bool isLandingVerdict(const std::string &verdict);

// What is wrong with a record ("" if nothing): its fields and their types, its run within its set,
// its verdict one of the table's.
std::string recordProblem(const nlohmann::json &record);
struct RecordLine {
  int line = 0;
  nlohmann::json record;
};
// Reads a record file, one record per non-blank line; "" or the problem naming the file and line.
std::string readRecordFile(const std::filesystem::path &file, std::vector<RecordLine> &records);
// A command's words as a POSIX shell reads them back.
std::string shellQuote(const std::string &word);
// The share of runs that landed upright (within 100 m of the target).
double uprightShare(const std::vector<nlohmann::json> &records);
// The share of runs that landed upright on the pad: at rest within 10 m of the target and at most
// 1 deg of tilt, touching down at no more than 1 m/s down and 0.3 m/s across.
double onPadShare(const std::vector<nlohmann::json> &records);

int runMonteCarlo(const MonteCarloOptions &o, const RunDefaults &defaults, std::ostream &out,
                  std::ostream &err);
int mergeShards(const MergeOptions &o, std::ostream &out, std::ostream &err);

}  // namespace sim
