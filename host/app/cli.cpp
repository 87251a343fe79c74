// Parsing the command line (see cli.h), with CLI11: the program's own arguments, then one
// subcommand (cli_run.cpp, cli_montecarlo.cpp).
#include "app/cli.h"

#include <cstring>
#include <sstream>
#include <string_view>

#include "app/cli_parts.h"
#include "world/text.h"

#ifndef SIMHOST_VERSION
#define SIMHOST_VERSION "unknown"
#endif

namespace sim {
namespace {

std::string formatBound(double x) {
  std::ostringstream s;
  s << x;
  return s.str();
}

// A refusal CLI11 would word as an unexpected argument: an unknown subcommand.
CliResult checkSubcommand(CLI::App &app, int argc, char **argv) {
  if (argc < 2 || argv[1][0] == '-') return {};
  std::string known;
  for (const CLI::App *s : app.get_subcommands([](CLI::App *) { return true; })) {
    if (s->get_name() == argv[1]) return {};
    known += (known.empty() ? "" : ", ") + s->get_name();
  }
  return CliResult::error("unknown subcommand \"" + std::string(argv[1]) + "\" (" + known +
                          "; simhost --help lists them)");
}

// The subcommand the command line names, "" if none (the program's own options, or its help).
std::string_view subcommandOf(int argc, char **argv) {
  return argc >= 2 && argv[1][0] != '-' ? argv[1] : "";
}

CliResult parseApp(CLI::App &app, int argc, char **argv) {
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp &) {
    return CliResult::done(app.help("", CLI::AppFormatMode::All));
  } catch (const CLI::ParseError &e) {
    if (e.get_exit_code() == 0) return CliResult::done("");
    return CliResult::error(e.what());
  }
  return {};
}

}  // namespace

namespace cli {

CLI::Validator finiteIn(double lo, double hi) {
  std::string range = formatBound(lo) + " to " + formatBound(hi);
  return CLI::Validator(
      [lo, hi, range](std::string &text) -> std::string {
        double d;
        return parseNumber(text, d) && d >= lo && d <= hi
                   ? ""
                   : "must be a finite number from " + range + ", not " + text;
      },
      "NUMBER " + range);
}

// Worded apart from finiteIn: CLI11's own check words its refusal of 0 as "not in range 0 to ...".
CLI::Validator positive(double hi) {
  return CLI::Validator(
      [hi](std::string &text) -> std::string {
        double d;
        if (!parseNumber(text, d) || d <= 0) return "must be a number greater than 0, not " + text;
        return d <= hi ? "" : "must be at most " + formatBound(hi) + ", not " + text;
      },
      "POSITIVE");
}

}  // namespace cli

std::string versionText() { return std::string("simhost ") + SIMHOST_VERSION + "\n"; }

// The program's options, with those of one subcommand or of all; the values they are parsed into.
struct CommandLineParser::Parts {
  explicit Parts(std::string_view subcommand) : builtFor(subcommand) {
    app.require_subcommand(1);
    // Alone it is taken before CLI11 sees the arguments (no subcommand needed).
    app.add_flag("--version", version, "print the program's version and stop");
    run = app.add_subcommand("run", "load a scenario, fly it, and write what was asked for");
    mc = app.add_subcommand("montecarlo",
                            "fly many recoveries from dispersed staging conditions, each in its "
                            "own process, and summarise");
    merge =
        app.add_subcommand("merge", "summarise the record files of shards of one montecarlo set");
    list = app.add_subcommand("list", "the bundled scenarios with their descriptions");
    replay =
        app.add_subcommand("replay", "write the replay page of a track recorded by run --track");
    // CLI11 takes some microseconds for each option: only the named subcommand gets its own.
    auto wanted = [subcommand](const CLI::App *sub) {
      return subcommand.empty() || subcommand == sub->get_name();
    };
    if (wanted(run)) {
      cli::addRun(*run, cmd.run, runArgs);
      addReplayRunOptions(*run, cmd.run);
    }
    if (wanted(mc)) cli::addMonteCarlo(*mc, cmd.montecarlo, mcArgs);
    if (wanted(merge)) cli::addMerge(*merge, cmd.merge, mergeArgs);
    if (wanted(list)) cli::addList(*list, listArgs);
    if (wanted(replay)) addReplay(*replay, cmd.replay);
  }
  CliResult parse(int argc, char **argv);

  std::string builtFor;
  bool used = false;  // the options fill cmd once
  CLI::App app{
      "simhost: a headless stand-in for the space-flight simulator that flies vessel modules"};
  bool version = false;
  CommandLine cmd;
  cli::RunArgs runArgs;
  cli::MonteCarloArgs mcArgs;
  cli::MergeArgs mergeArgs;
  cli::ListArgs listArgs;
  CLI::App *run, *mc, *merge, *list, *replay;
};

CliResult CommandLineParser::Parts::parse(int argc, char **argv) {
  if (CliResult bad = checkSubcommand(app, argc, argv); !bad.proceed()) return bad;
  if (CliResult r = parseApp(app, argc, argv); !r.proceed()) return r;
  if (version) return CliResult::done(versionText());
  using Command = CommandLine::Command;
  cmd.command = mc->parsed()       ? Command::MonteCarlo
                : merge->parsed()  ? Command::Merge
                : list->parsed()   ? Command::List
                : replay->parsed() ? Command::Replay
                                   : Command::Run;
  switch (cmd.command) {
    case Command::MonteCarlo:
      return cli::finishMonteCarlo(mcArgs, cmd.montecarlo);
    case Command::Merge:
      return cli::finishMerge(mergeArgs, cmd.merge);
    case Command::List:
      return cli::finishList(listArgs, cmd.list);
    case Command::Replay:
      return {};
    case Command::Run:
      break;
  }
  return cli::finishRun(runArgs, cmd.run);
}

CommandLineParser::CommandLineParser(std::string_view subcommand)
    : parts_(std::make_unique<Parts>(subcommand)) {}
CommandLineParser::~CommandLineParser() = default;

CliResult CommandLineParser::parse(int argc, char **argv, CommandLine &cmd) {
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) return CliResult::done(versionText());
  std::string_view named = subcommandOf(argc, argv);
  if (parts_->used || named != parts_->builtFor) parts_ = std::make_unique<Parts>(named);
  parts_->used = true;
  CliResult r = parts_->parse(argc, argv);
  cmd = std::move(parts_->cmd);
  return r;
}

CliResult parseCommandLine(int argc, char **argv, CommandLine &cmd) {
  return CommandLineParser(subcommandOf(argc, argv)).parse(argc, argv, cmd);
}

int parseCommandLine(int argc, char **argv, CommandLine &cmd, std::string &out, std::string &err) {
  CliResult r = parseCommandLine(argc, argv, cmd);
  out = r.out, err = r.err;
  return r.exitCode;
}

int parseCommandLine(int argc, char **argv, RunOptions &o, std::string &out, std::string &err) {
  CommandLine cmd;
  int status = parseCommandLine(argc, argv, cmd, out, err);
  if (status < 0 && cmd.command != CommandLine::Command::Run) {
    err = "simhost: expected the run subcommand\n";
    return 2;
  }
  o = std::move(cmd.run);
  return status;
}

}  // namespace sim
