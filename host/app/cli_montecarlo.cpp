// The options of simhost montecarlo, merge and list (see cli.h): declared on their subcommands,
// then checked and turned into their options.
#include <cstdio>

#include "app/cli_parts.h"

namespace sim::cli {
namespace {

struct IntervalOption {
  const char *name, *help;
  double lo, hi;  // the bounds of MIN and MAX
  const char *unit;
};
constexpr IntervalOption kIntervals[4] = {
    {"--alt", "MIN:MAX: staging altitude [m] (default 60000:80000)", 1000, 1e6, "m"},
    {"--speed", "MIN:MAX: staging ground speed [m/s] (default 1500:2000)", 0, 1e4, "m/s"},
    {"--wind",
     "MIN:MAX: wind speed [m/s] at 10 m (or of the constant wind), from a direction drawn on "
     "0-360 deg (default 0:15)",
     0, 100, "m/s"},
    {"--dt", "MIN:MAX: step length [s] (default 0.01:0.1)", 0.001, 1, "s"}};

Interval *intervalOf(MonteCarloOptions &o, int i) {
  Interval *all[4] = {&o.altitude, &o.speed, &o.windSpeed, &o.dt};
  return all[i];
}

void addSpreads(CLI::App &mc, MonteCarloOptions &o) {
  mc.add_option("--path-angle", o.pathAngleSpread,
                "DEG: +- spread of the flight-path angle (default 5)")
      ->check(finiteIn(0.0, 45.0));
  mc.add_option("--heading", o.headingSpread, "DEG: +- spread of the heading (default 5)")
      ->check(finiteIn(0.0, 180.0));
  mc.add_option("--downrange", o.downrangeSpread,
                "FRACTION: +- spread of the downrange distance (default 0.25)")
      ->check(finiteIn(0.0, 0.99));
  mc.add_option("--propellant", o.propellantSpread,
                "FRACTION: +- spread of the main propellant (default 0.15)")
      ->check(finiteIn(0.0, 0.99));
}

}  // namespace

void addMonteCarlo(CLI::App &mc, MonteCarloOptions &o, MonteCarloArgs &a) {
  mc.add_option("SCENARIO", o.scenario,
                "the base scenario (default: \"" + std::string(kDefaultScenario) +
                    "\"); its focus stage in the flying form, with a target");
  mc.add_option("--root", a.root, "data root, passed to every run");
  mc.add_option("--modules", a.modules, "folder of the vessel modules, passed to every run");
  mc.add_option("--runs", o.runs, "number of runs in the set (default 1000)")
      ->check(CLI::Range(1, 10000000));
  a.seedOption =
      mc.add_option("--seed", a.seed, "seed of the set, 0 to 18446744073709551615 (default 1)");
  mc.add_option("--jobs", o.jobs, "runs flown at once (default: one per processor)")
      ->check(CLI::Range(1, 1024));
  a.shardOption = mc.add_option(
      "--shard", a.shard, "I/N: fly only the I-th of N equal slices of the set (1 <= I <= N)");
  for (int i = 0; i < 4; i++)
    a.intervalOption[i] = mc.add_option(kIntervals[i].name, a.interval[i], kIntervals[i].help);
  addSpreads(mc, o);
  addMonteCarloWindOptions(mc, a.wind, o);
  mc.add_option("--landing-law", o.landingLaw, "specified|precision: the landing law of every run")
      ->check(CLI::IsMember({"specified", "precision"}));
  a.outOption = mc.add_option("--out", a.out,
                              "the runs' records, one JSON line each (default montecarlo.jsonl)");
  mc.add_flag("--resume", o.resume,
              "continue the set from the records already in --out (they must be of this very set)");
  mc.add_flag("--spawn", o.spawn,
              "start every run as a new simhost program instead of forking it from this one");
  mc.add_option("--worst", o.worst, "worst runs listed with their replay commands (default 10)")
      ->check(CLI::Range(0, 100000));
}

CliResult finishMonteCarlo(const MonteCarloArgs &a, MonteCarloOptions &o) {
  std::string error;
  for (int i = 0; i < 4; i++) {
    const IntervalOption &k = kIntervals[i];
    Interval &v = *intervalOf(o, i);
    if (given(a.intervalOption[i]) && !parseInterval(a.interval[i], v, error))
      return CliResult::error(std::string(k.name) + " " + error);
    if (v.lo < k.lo || v.hi > k.hi) {
      char range[96];
      std::snprintf(range, sizeof range, ": between %g and %g %s", k.lo, k.hi, k.unit);
      return CliResult::error(k.name + std::string(range));
    }
  }
  if (given(a.shardOption) && !parseShard(a.shard, o.shardIndex, o.shardCount, error))
    return CliResult::error("--shard " + error);
  if (given(a.seedOption) && !parseSeed(a.seed, o.seed, error))
    return CliResult::error("--seed " + error);
  if (given(a.outOption) && a.out.empty()) return CliResult::error("--out: an empty file name");
  std::string windError;  // the wind options' own message, "simhost: --opt ...\n"
  if (!readMonteCarloWindOptions(a.wind, o, windError)) return {2, "", windError};
  o.root = a.root, o.modules = a.modules;
  if (given(a.outOption)) o.out = a.out;
  return {};
}

void addMerge(CLI::App &merge, MergeOptions &o, MergeArgs &a) {
  merge.add_option("FILES", a.inputs, "record files written by montecarlo --out")->required();
  merge.add_option("--out", a.out, "write the merged records here, ordered by run");
  merge.add_option("--worst", o.worst, "worst runs listed (default 10)")
      ->check(CLI::Range(0, 100000));
}

CliResult finishMerge(const MergeArgs &a, MergeOptions &o) {
  for (const std::string &f : a.inputs) {
    if (f.empty()) return CliResult::error("merge: an empty file name");
    o.inputs.push_back(f);
  }
  o.out = a.out;
  return {};
}

void addList(CLI::App &list, ListArgs &a) {
  list.add_option("--root", a.root, "data root holding Scenarios/ (default: the bundled data)");
}

CliResult finishList(const ListArgs &a, ListOptions &o) {
  o.root = a.root;
  return {};
}

}  // namespace sim::cli
