// The options of simhost run (see cli.h): declared on the subcommand, then checked and turned
// into RunOptions. Events the run can never reach (after --until) are kept and warned about.
#include <cstdio>

#include "app/cli_parts.h"

namespace sim::cli {
namespace {

std::string formatNumber(double x) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", x);
  return buf;
}

constexpr const char *kStagingNames[6] = {"--staging-alt",       "--staging-speed",
                                          "--staging-angle",     "--staging-heading",
                                          "--staging-downrange", "--staging-propellant"};

void addEventOptions(CLI::App &run, RunOptions &o, RunArgs &a) {
  run.add_option("--key", a.keys,
                 "T:KEY: a buffered key-down event at time T for the focus vessel; KEY is a "
                 "letter, a digit or a "
                 "decimal key code, optionally after modifiers joined with '+' (shift, rshift, "
                 "ctrl, rctrl), e.g. "
                 "12.5:ctrl+J; a trailing ':up' sends a key-up")
      ->take_all();
  run.add_option(
         "--code", a.codes,
         "T:CODE[:TEXT]: a module code through the buffered-key callback (2300 carries TEXT)")
      ->take_all();
  run.add_option("--input", o.inputs,
                 "the answer typed into the next input box a module opens (repeatable, in order); "
                 "a box with no "
                 "answer left is cancelled")
      ->take_all();
}

void addOutputOptions(CLI::App &run, RunOptions &o, RunArgs &a) {
  run.add_option("--save", a.save, "write the scenario at the end");
  run.add_option(
      "--hud", a.hud,
      "at the end draw the focus vessel's HUD once: one line \"x y 0xBBGGRR text\" per text");
  run.add_option("--hud-png", a.hudPng, "the same HUD drawn as a PNG picture");
  a.hudSizeOption =
      run.add_option("--hud-size", a.hudSize, "WxH: display size for the HUD (default 1024x768)");
  run.add_option("--log", a.log, "CSV flight log of the focus vessel; units in the column names");
  run.add_option("--log-every", o.logEvery, "log interval in seconds (default 0.1)")
      ->check(positive());
  run.add_option("--report", a.report,
                 "JSON summary of the run (for a booster: the landing report)");
}

void addStagingOptions(CLI::App &run, RunArgs &a) {
  const char *help[6] = {
      "M: the focus stage's altitude [m] (for a stage given as STATUS Flying with POS, ALT, "
      "HEADING, GSPEED)",
      "MPS: its ground-relative speed [m/s]",
      "DEG: its flight-path angle above the horizon",
      "DEG: its ground-track heading, clockwise from north",
      "M: its surface distance from its target base, along the great circle from the target "
      "through the stage",
      "KG: the propellant in its main tank"};
  const double range[6][2] = {{0, 1e7}, {0, 2e4}, {-90, 90}, {-720, 720}, {0, 2e7}, {0, 1e9}};
  for (int i = 0; i < 6; i++)
    a.stagingOption[i] = run.add_option(kStagingNames[i], a.staging[i], help[i])
                             ->check(finiteIn(range[i][0], range[i][1]));
}

// One --key or --code value into an event, with a warning when the run ends before it.
CliResult addEvent(const char *option, const std::string &value, RunOptions &o) {
  KeyEvent e;
  std::string error;
  bool code = std::string(option) == "--code";
  if (!(code ? parseCodeEvent(value, e, error) : parseKeyEvent(value, e, error)))
    return CliResult::error(std::string(option) + " " + error);
  o.events.push_back(e);
  CliResult r;
  if (o.until && !deliveredBefore(e.time, o.dt, *o.until))
    r.err = "simhost: warning: " + std::string(option) + " " + value +
            ": the run ends before it (--until " + formatNumber(*o.until) +
            " s), so it is never delivered\n";
  return r;
}

CliResult collectEvents(const RunArgs &a, RunOptions &o) {
  CliResult all;
  for (const char *option : {"--key", "--code"})
    for (const std::string &value : std::string(option) == "--key" ? a.keys : a.codes) {
      CliResult r = addEvent(option, value, o);
      if (!r.proceed()) return r;
      all.err += r.err;
    }
  return all;
}

}  // namespace

void addRun(CLI::App &run, RunOptions &o, RunArgs &a) {
  run.add_option("SCENARIO", o.scenario,
                 "a .scn file, or a name under Scenarios/ (default: \"" +
                     std::string(kDefaultScenario) + "\"); names match in any case");
  run.add_option("--root", a.root,
                 "data root holding Config/, Meshes/ and Scenarios/ (default: the bundled data)");
  run.add_option("--modules", a.modules,
                 "folder of the vessel modules NAME.so (default: beside the program)");
  run.add_option("--dt", o.dt, "fixed step length in seconds, 0.001 to 1 (default 0.02)")
      ->check(finiteIn(0.001, 1.0));
  a.untilOption =
      run.add_option("--until", a.until,
                     "stop at simulation time T [s], at most 1e8; default: when the "
                     "focus vessel has landed and is at rest, has crashed, or at 3600 s")
          ->check(positive(kMaxRunTime));
  run.add_option("--focus", o.focus, "the vessel that receives keys and codes and draws the HUD");
  addEventOptions(run, o, a);
  addOutputOptions(run, o, a);
  addControlOptions(run, a.controls);
  run.add_option("--addon", o.addons,
                 "DIR: an add-on's own folder, searched before the data root for Config/Vessels/ "
                 "classes, Meshes/ and Scenarios/, and before --modules for Modules/ (repeatable)")
      ->take_all();
  a.windOption = run.add_option(
      "--wind", a.wind,
      "SPEED:DIR: a constant horizontal wind of SPEED m/s blowing from DIR degrees (clockwise "
      "from north), as a weather report gives it");
  addWindOptions(run, a.windOptions);
  run.add_option("--landing-law", o.landingLaw,
                 "specified|precision: the law the focus booster's descent autopilot lands by "
                 "(default: as the scenario says, else specified)")
      ->check(CLI::IsMember({"specified", "precision"}));
  addStagingOptions(run, a);
  run.footer(
      "Core controls: --control, --navmode and --controls set the focus vessel's thruster groups "
      "and navigation modes; keys the vessel declines reach the simulator's default bindings "
      "(numpad keys, L, A, [, ], ;, ').\nOutputs are written to temporary files beside them and "
      "replace the named files only once all are written.\nExit status: 0 success, 2 bad "
      "arguments or bad input, 1 a failure inside the run, 130/143 interrupted.");
}

CliResult finishRun(const RunArgs &a, RunOptions &o) {
  std::string error;
  std::optional<double> *staging[6] = {&o.staging.altitude,  &o.staging.speed,
                                       &o.staging.pathAngle, &o.staging.heading,
                                       &o.staging.downrange, &o.staging.propellant};
  for (int i = 0; i < 6; i++)
    if (given(a.stagingOption[i])) *staging[i] = a.staging[i];
  if (given(a.untilOption)) o.until = a.until;
  if (given(a.hudSizeOption) && !parseSize(a.hudSize, o.hudWidth, o.hudHeight, error))
    return CliResult::error("--hud-size " + error);
  if (given(a.windOption)) {
    WindSpec w;
    if (!parseWind(a.wind, w, error)) return CliResult::error("--wind " + error);
    o.wind = w;
  }
  if (!controlEvents(a.controls, o.controls, error)) return CliResult::error(error);
  std::string windError;  // the wind options' own message, "simhost: --opt ...\n"
  if (!readWindOptions(a.windOptions, o.wind.has_value(), o.windOptions, windError))
    return {2, "", windError};
  o.root = a.root, o.modules = a.modules, o.save = a.save, o.hud = a.hud, o.hudPng = a.hudPng,
  o.log = a.log;
  o.report = a.report;
  return collectEvents(a, o);
}

}  // namespace sim::cli
