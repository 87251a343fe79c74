// The subcommands of simhost's command line (see cli.h), one pair of functions each: one declares
// the subcommand's options on a CLI11 app, the other turns what was given into its options, or
// into an error naming the option. Only the command line's own files include this header.
#pragma once

#include <CLI/CLI.hpp>
#include <cmath>
#include <string>
#include <vector>

#include "app/cli.h"
#include "app/controls_file.h"
#include "app/wind_options.h"

namespace sim::cli {

// A finite number from lo to hi; a finite number above zero and at most hi.
CLI::Validator finiteIn(double lo, double hi);
CLI::Validator positive(double hi = HUGE_VAL);
// Whether the option was given on the command line.
inline bool given(const CLI::Option *o) { return o && o->count() > 0; }

struct RunArgs {
  std::vector<std::string> keys, codes;
  std::string hudSize, wind, root, modules, save, hud, hudPng, log, report;
  double until = 0;
  double staging[6] = {};  // altitude, speed, angle, heading, downrange, propellant
  CLI::Option *hudSizeOption = nullptr, *windOption = nullptr, *untilOption = nullptr;
  CLI::Option *stagingOption[6] = {};
  ControlOptionText controls;  // --control, --navmode, --controls
  WindOptionText windOptions;  // --wind-profile, --wind-surface, ... (app/wind_options.h)
};
void addRun(CLI::App &run, RunOptions &o, RunArgs &a);
CliResult finishRun(const RunArgs &a, RunOptions &o);

struct MonteCarloArgs {
  std::string interval[4];  // --alt, --speed, --wind, --dt as given
  std::string shard, root, modules, out, seed;
  MonteCarloWindText wind;  // the wind model's options (app/montecarlo_wind.cpp)
  CLI::Option *intervalOption[4] = {}, *shardOption = nullptr, *seedOption = nullptr,
              *outOption = nullptr;
};
void addMonteCarlo(CLI::App &mc, MonteCarloOptions &o, MonteCarloArgs &a);
CliResult finishMonteCarlo(const MonteCarloArgs &a, MonteCarloOptions &o);

struct MergeArgs {
  std::vector<std::string> inputs;
  std::string out;
};
void addMerge(CLI::App &merge, MergeOptions &o, MergeArgs &a);
CliResult finishMerge(const MergeArgs &a, MergeOptions &o);

struct ListArgs {
  std::string root;
};
void addList(CLI::App &list, ListArgs &a);
CliResult finishList(const ListArgs &a, ListOptions &o);

}  // namespace sim::cli
