// Parsing the command line (see cli.h), with CLI11.
#include "app/cli.h"

#include <CLI/CLI.hpp>
#include <cctype>
#include <cmath>
#include <sstream>

#include "app/controls_file.h"
#include "app/key_names.h"
#include "world/text.h"

namespace sim {
namespace {

// Scan codes of the letter keys A..Z and the digit keys 0..9.
const DWORD kLetterCodes[26] = {OAPI_KEY_A, OAPI_KEY_B, OAPI_KEY_C, OAPI_KEY_D, OAPI_KEY_E, OAPI_KEY_F, OAPI_KEY_G,
                                OAPI_KEY_H, OAPI_KEY_I, OAPI_KEY_J, OAPI_KEY_K, OAPI_KEY_L, OAPI_KEY_M, OAPI_KEY_N,
                                OAPI_KEY_O, OAPI_KEY_P, OAPI_KEY_Q, OAPI_KEY_R, OAPI_KEY_S, OAPI_KEY_T, OAPI_KEY_U,
                                OAPI_KEY_V, OAPI_KEY_W, OAPI_KEY_X, OAPI_KEY_Y, OAPI_KEY_Z};
const DWORD kDigitCodes[10] = {OAPI_KEY_0, OAPI_KEY_1, OAPI_KEY_2, OAPI_KEY_3, OAPI_KEY_4,
                               OAPI_KEY_5, OAPI_KEY_6, OAPI_KEY_7, OAPI_KEY_8, OAPI_KEY_9};

// A finite number above zero (CLI11's own check words its refusal of 0 as "not in range 0 to ...").
const CLI::Validator kPositive(
    [](std::string &text) -> std::string {
      double d;
      return parseNumber(text, d) && d > 0 && std::isfinite(d) ? "" : "must be a number greater than 0, not " + text;
    },
    "POSITIVE");

bool parseTime(const std::string &s, double &t, std::string &error, const std::string &spec) {
  if (!parseNumber(s, t) || t < 0) {
    error = "\"" + spec + "\": the time must be a number of seconds, not negative";
    return false;
  }
  return true;
}

bool parseKeyName(const std::string &name, DWORD &code) {
  if (keyByName(name, code)) return true;
  if (name.size() == 1 && std::isalpha(static_cast<unsigned char>(name[0]))) {
    code = kLetterCodes[std::toupper(static_cast<unsigned char>(name[0])) - 'A'];
    return true;
  }
  if (name.size() == 1 && std::isdigit(static_cast<unsigned char>(name[0]))) {
    code = kDigitCodes[name[0] - '0'];
    return true;
  }
  double d;
  if (parseNumber(name, d) && d >= 0 && d <= 255 && d == static_cast<int>(d) && name.find('.') == std::string::npos) {
    code = static_cast<DWORD>(d);
    return true;
  }
  return false;
}

}  // namespace

bool parseKeyEvent(const std::string &spec, KeyEvent &e, std::string &error) {
  e = KeyEvent{};
  size_t colon = spec.find(':');
  if (colon == std::string::npos) {
    error = "\"" + spec + "\": expected T:KEY";
    return false;
  }
  if (!parseTime(spec.substr(0, colon), e.time, error, spec)) return false;
  std::string key = spec.substr(colon + 1);
  size_t up = key.rfind(':');
  if (up != std::string::npos) {
    if (!equalsNoCase(key.substr(up + 1), "up")) {
      error = "\"" + spec + "\": only \":up\" may follow the key";
      return false;
    }
    e.down = false;
    key = key.substr(0, up);
  }
  std::vector<std::string> parts;
  std::stringstream ss(key);
  for (std::string p; std::getline(ss, p, '+');) parts.push_back(p);
  if (parts.empty() || parts.back().empty()) {
    error = "\"" + spec + "\": missing key";
    return false;
  }
  for (size_t i = 0; i + 1 < parts.size(); i++) {
    std::string m = lowerCase(parts[i]);
    if (m == "shift") e.modifiers.push_back(OAPI_KEY_LSHIFT);
    else if (m == "rshift") e.modifiers.push_back(OAPI_KEY_RSHIFT);
    else if (m == "ctrl") e.modifiers.push_back(OAPI_KEY_LCONTROL);
    else if (m == "rctrl") e.modifiers.push_back(OAPI_KEY_RCONTROL);
    else {
      error = "\"" + spec + "\": unknown modifier \"" + parts[i] + "\" (shift, rshift, ctrl, rctrl)";
      return false;
    }
  }
  if (!parseKeyName(parts.back(), e.key)) {
    error = "\"" + spec + "\": unknown key \"" + parts.back() +
            "\" (a letter, a digit, a key name such as numpad8 or add, or a code 0-255)";
    return false;
  }
  return true;
}

bool parseCodeEvent(const std::string &spec, KeyEvent &e, std::string &error) {
  e = KeyEvent{};
  e.isCode = true;
  size_t c1 = spec.find(':');
  if (c1 == std::string::npos) {
    error = "\"" + spec + "\": expected T:CODE[:TEXT]";
    return false;
  }
  if (!parseTime(spec.substr(0, c1), e.time, error, spec)) return false;
  size_t c2 = spec.find(':', c1 + 1);
  std::string code = spec.substr(c1 + 1, c2 == std::string::npos ? std::string::npos : c2 - c1 - 1);
  double d;
  if (!parseNumber(code, d) || d < 0 || d > 4294967295.0 || d != static_cast<double>(static_cast<long long>(d))) {
    error = "\"" + spec + "\": the code must be a whole number";
    return false;
  }
  e.key = static_cast<DWORD>(d);
  if (c2 != std::string::npos) e.text = spec.substr(c2 + 1);
  return true;
}

bool parseWind(const std::string &spec, WindSpec &w, std::string &error) {
  size_t c = spec.find(':');
  double speed, dir;
  if (c == std::string::npos || !parseNumber(spec.substr(0, c), speed) || !parseNumber(spec.substr(c + 1), dir)) {
    error = "\"" + spec + "\": expected SPEED:DIR (m/s and degrees)";
    return false;
  }
  if (speed < 0 || speed > 100) {
    error = "\"" + spec + "\": the speed must lie between 0 and 100 m/s";
    return false;
  }
  w = {speed, dir * RAD};
  return true;
}

bool parseSize(const std::string &spec, int &w, int &h, std::string &error) {
  size_t x = spec.find_first_of("xX");
  double dw, dh;
  if (x == std::string::npos || !parseNumber(spec.substr(0, x), dw) || !parseNumber(spec.substr(x + 1), dh) ||
      dw < 64 || dh < 64 || dw > 8192 || dh > 8192 || dw != std::floor(dw) || dh != std::floor(dh)) {
    error = "\"" + spec + "\": expected WxH with whole numbers from 64 to 8192";
    return false;
  }
  w = static_cast<int>(dw), h = static_cast<int>(dh);
  return true;
}

bool parseInterval(const std::string &spec, Interval &i, std::string &error) {
  size_t c = spec.find(':');
  if (c == std::string::npos || !parseNumber(spec.substr(0, c), i.lo) || !parseNumber(spec.substr(c + 1), i.hi) ||
      i.lo > i.hi) {
    error = "\"" + spec + "\": expected MIN:MAX with MIN not above MAX";
    return false;
  }
  return true;
}

bool parseShard(const std::string &spec, int &index, int &count, std::string &error) {
  size_t s = spec.find('/');
  double i, n;
  if (s == std::string::npos || !parseNumber(spec.substr(0, s), i) || !parseNumber(spec.substr(s + 1), n) ||
      i != std::floor(i) || n != std::floor(n) || n < 1 || n > 1e6 || i < 1 || i > n) {
    error = "\"" + spec + "\": expected I/N with whole numbers, 1 <= I <= N";
    return false;
  }
  index = static_cast<int>(i), count = static_cast<int>(n);
  return true;
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

int parseCommandLine(int argc, char **argv, CommandLine &cmd, std::string &out, std::string &err) {
  RunOptions &o = cmd.run;
  CLI::App app{"simhost: a headless stand-in for the space-flight simulator that flies vessel modules"};
  app.require_subcommand(1);
  CLI::App *run = app.add_subcommand("run", "load a scenario, fly it, and write what was asked for");
  std::vector<std::string> keys, codes;
  std::string hudSize, wind, root, modules, save, hud, hudPng, log, report;
  double until = -1;
  run->add_option("SCENARIO", o.scenario, "a .scn file, or a name under Scenarios/ (default: \"" +
                                              std::string(kDefaultScenario) + "\")");
  run->add_option("--root", root, "data root holding Config/, Meshes/ and Scenarios/ (default: the bundled data)");
  run->add_option("--modules", modules, "folder of the vessel modules NAME.so (default: beside the program)");
  run->add_option("--dt", o.dt, "fixed step length in seconds, 0.001 to 1 (default 0.02)")
      ->check(CLI::Range(0.001, 1.0));
  run->add_option("--until", until,
                  "stop at simulation time T [s]; default: when the focus vessel has landed and is at rest, has "
                  "crashed, or at 3600 s")
      ->check(kPositive);
  run->add_option("--focus", o.focus, "the vessel that receives keys and codes and draws the HUD");
  run->add_option("--key", keys,
                  "T:KEY: a buffered key-down event at time T for the focus vessel; KEY is a letter, a digit or a "
                  "decimal key code, optionally after modifiers joined with '+' (shift, rshift, ctrl, rctrl), e.g. "
                  "12.5:ctrl+J; a trailing ':up' sends a key-up")
      ->take_all();
  run->add_option("--code", codes, "T:CODE[:TEXT]: a module code through the buffered-key callback (2300 carries TEXT)")
      ->take_all();
  run->add_option("--input", o.inputs,
                  "the answer typed into the next input box a module opens (repeatable, in order); a box with no "
                  "answer left is cancelled")
      ->take_all();
  run->add_option("--save", save, "write the scenario at the end (to a temporary file, then renamed)");
  run->add_option("--hud", hud, "at the end draw the focus vessel's HUD once: one line \"x y 0xBBGGRR text\" per text");
  run->add_option("--hud-png", hudPng, "the same HUD drawn as a PNG picture");
  run->add_option("--hud-size", hudSize, "WxH: display size for the HUD (default 1024x768)");
  run->add_option("--log", log, "CSV flight log of the focus vessel; units in the column names");
  run->add_option("--log-every", o.logEvery, "log interval in seconds (default 0.1)")->check(kPositive);
  run->add_option("--report", report, "JSON summary of the run (for a booster: the landing report)");
  ControlOptionText controlText;
  addControlOptions(*run, controlText);
  run->add_option("--addon", o.addons,
                  "DIR: an add-on's own folder, searched before the data root for Config/Vessels/ classes, "
                  "Meshes/ and Scenarios/, and before --modules for Modules/ (repeatable)")
      ->take_all();
  run->add_option("--wind", wind,
                  "SPEED:DIR: a constant horizontal wind of SPEED m/s blowing from DIR degrees (clockwise from "
                  "north), as a weather report gives it");
  WindOptionText windText;
  addWindOptions(*run, windText);
  const CLI::IsMember kLaws({"specified", "precision"});
  run->add_option("--landing-law", o.landingLaw,
                  "specified|precision: the law the focus booster's descent autopilot lands by (default: as the "
                  "scenario says, else specified)")
      ->check(kLaws);
  double stagingAlt = NAN, stagingSpeed = NAN, stagingAngle = NAN, stagingHeading = NAN, stagingDownrange = NAN,
         stagingPropellant = NAN;
  run->add_option("--staging-alt", stagingAlt,
                  "M: the focus stage's altitude [m] (for a stage given as STATUS Flying with POS, ALT, HEADING, "
                  "GSPEED)")
      ->check(CLI::Range(0.0, 1e7));
  run->add_option("--staging-speed", stagingSpeed, "MPS: its ground-relative speed [m/s]")->check(CLI::Range(0.0, 2e4));
  run->add_option("--staging-angle", stagingAngle, "DEG: its flight-path angle above the horizon")
      ->check(CLI::Range(-90.0, 90.0));
  run->add_option("--staging-heading", stagingHeading, "DEG: its ground-track heading, clockwise from north")
      ->check(CLI::Range(-720.0, 720.0));
  run->add_option("--staging-downrange", stagingDownrange,
                  "M: its surface distance from its target base, along the great circle from the target through the "
                  "stage")
      ->check(CLI::Range(0.0, 2e7));
  run->add_option("--staging-propellant", stagingPropellant, "KG: the propellant in its main tank")
      ->check(CLI::Range(0.0, 1e9));

  MonteCarloOptions &mc = cmd.montecarlo;
  CLI::App *montecarlo = app.add_subcommand(
      "montecarlo", "fly many recoveries from dispersed staging conditions, each in its own process, and summarise");
  std::string mcAlt, mcSpeed, mcWind, mcDt, mcShard, mcRoot, mcModules, mcOut;
  montecarlo->add_option("SCENARIO", mc.scenario, "the base scenario (default: \"" + std::string(kDefaultScenario) +
                                                      "\"); its focus stage in the flying form, with a target");
  montecarlo->add_option("--root", mcRoot, "data root, passed to every run");
  montecarlo->add_option("--modules", mcModules, "folder of the vessel modules, passed to every run");
  montecarlo->add_option("--runs", mc.runs, "number of runs in the set (default 1000)")->check(CLI::Range(1, 10000000));
  montecarlo->add_option("--seed", mc.seed, "seed of the set (default 1)");
  montecarlo->add_option("--jobs", mc.jobs, "runs flown at once (default: one per processor)")->check(CLI::Range(1, 1024));
  montecarlo->add_option("--shard", mcShard, "I/N: fly only the I-th of N equal slices of the set (1 <= I <= N)");
  montecarlo->add_option("--alt", mcAlt, "MIN:MAX: staging altitude [m] (default 60000:80000)");
  montecarlo->add_option("--speed", mcSpeed, "MIN:MAX: staging ground speed [m/s] (default 1500:2000)");
  montecarlo->add_option("--path-angle", mc.pathAngleSpread, "DEG: +- spread of the flight-path angle (default 5)")
      ->check(CLI::Range(0.0, 45.0));
  montecarlo->add_option("--heading", mc.headingSpread, "DEG: +- spread of the heading (default 5)")
      ->check(CLI::Range(0.0, 180.0));
  montecarlo->add_option("--downrange", mc.downrangeSpread, "FRACTION: +- spread of the downrange distance (default 0.25)")
      ->check(CLI::Range(0.0, 0.99));
  montecarlo->add_option("--propellant", mc.propellantSpread,
                         "FRACTION: +- spread of the main propellant (default 0.15)")
      ->check(CLI::Range(0.0, 0.99));
  montecarlo->add_option("--wind", mcWind, "MIN:MAX: wind speed [m/s] at 10 m (or of the constant wind), from a direction drawn on 0-360 deg "
                         "(default 0:15)");
  MonteCarloWindText mcWindText;
  addMonteCarloWindOptions(*montecarlo, mcWindText, mc);
  montecarlo->add_option("--landing-law", mc.landingLaw, "specified|precision: the landing law of every run")
      ->check(kLaws);
  montecarlo->add_option("--dt", mcDt, "MIN:MAX: step length [s] (default 0.01:0.1)");
  montecarlo->add_option("--out", mcOut, "the runs' records, one JSON line each (default montecarlo.jsonl)");
  montecarlo->add_option("--worst", mc.worst, "worst runs listed with their replay commands (default 10)")
      ->check(CLI::Range(0, 100000));

  MergeOptions &mg = cmd.merge;
  CLI::App *merge = app.add_subcommand("merge", "summarise the record files of shards of one montecarlo set");
  std::vector<std::string> mergeInputs;
  std::string mergeOut;
  merge->add_option("FILES", mergeInputs, "record files written by montecarlo --out")->required();
  merge->add_option("--out", mergeOut, "write the merged records here, ordered by run");
  merge->add_option("--worst", mg.worst, "worst runs listed (default 10)")->check(CLI::Range(0, 100000));

  addReplayRunOptions(*run, o);
  CLI::App *replay = addReplayCommand(app, cmd.replay);

  run->footer(
      "Core controls: --control, --navmode and --controls set the focus vessel's thruster groups and "
      "navigation modes; keys the vessel declines reach the simulator's default bindings (numpad keys, "
      "L, A, [, ], ;, ').\nExit status: 0 success, 2 bad arguments or bad input, 1 a failure "
      "inside the run.");
  std::ostringstream outs, errs;
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp &e) {
    out = app.help("", CLI::AppFormatMode::All);
    return 0;
  } catch (const CLI::ParseError &e) {
    err = std::string("simhost: ") + e.what() + "\n";
    return e.get_exit_code() == 0 ? 0 : 2;
  }
  std::string error;
  if (montecarlo->parsed()) {
    cmd.command = CommandLine::Command::MonteCarlo;
    if (!mcAlt.empty() && !parseInterval(mcAlt, mc.altitude, error)) return err = "simhost: --alt " + error + "\n", 2;
    if (!mcSpeed.empty() && !parseInterval(mcSpeed, mc.speed, error)) return err = "simhost: --speed " + error + "\n", 2;
    if (!mcWind.empty() && !parseInterval(mcWind, mc.windSpeed, error)) return err = "simhost: --wind " + error + "\n", 2;
    if (!mcDt.empty() && !parseInterval(mcDt, mc.dt, error)) return err = "simhost: --dt " + error + "\n", 2;
    if (!mcShard.empty() && !parseShard(mcShard, mc.shardIndex, mc.shardCount, error))
      return err = "simhost: --shard " + error + "\n", 2;
    if (mc.altitude.lo < 1000 || mc.altitude.hi > 1e6) return err = "simhost: --alt: between 1000 and 1e6 m\n", 2;
    if (mc.speed.lo < 0 || mc.speed.hi > 1e4) return err = "simhost: --speed: between 0 and 10000 m/s\n", 2;
    if (mc.windSpeed.lo < 0 || mc.windSpeed.hi > 100) return err = "simhost: --wind: between 0 and 100 m/s\n", 2;
    if (mc.dt.lo < 0.001 || mc.dt.hi > 1) return err = "simhost: --dt: between 0.001 and 1 s\n", 2;
    if (!readMonteCarloWindOptions(mcWindText, mc, err)) return 2;
    mc.root = mcRoot, mc.modules = mcModules;
    if (!mcOut.empty()) mc.out = mcOut;
    return -1;
  }
  if (replay->parsed()) {
    cmd.command = CommandLine::Command::Replay;
    return -1;
  }
  if (merge->parsed()) {
    cmd.command = CommandLine::Command::Merge;
    for (const std::string &f : mergeInputs) mg.inputs.push_back(f);
    mg.out = mergeOut;
    return -1;
  }
  cmd.command = CommandLine::Command::Run;
  if (!std::isnan(stagingAlt)) o.staging.altitude = stagingAlt;
  if (!std::isnan(stagingSpeed)) o.staging.speed = stagingSpeed;
  if (!std::isnan(stagingAngle)) o.staging.pathAngle = stagingAngle;
  if (!std::isnan(stagingHeading)) o.staging.heading = stagingHeading;
  if (!std::isnan(stagingDownrange)) o.staging.downrange = stagingDownrange;
  if (!std::isnan(stagingPropellant)) o.staging.propellant = stagingPropellant;
  for (const std::string &k : keys) {
    KeyEvent e;
    if (!parseKeyEvent(k, e, error)) return err = "simhost: --key " + error + "\n", 2;
    o.events.push_back(e);
  }
  for (const std::string &c : codes) {
    KeyEvent e;
    if (!parseCodeEvent(c, e, error)) return err = "simhost: --code " + error + "\n", 2;
    o.events.push_back(e);
  }
  if (!hudSize.empty() && !parseSize(hudSize, o.hudWidth, o.hudHeight, error))
    return err = "simhost: --hud-size " + error + "\n", 2;
  if (!wind.empty()) {
    WindSpec w;
    if (!parseWind(wind, w, error)) return err = "simhost: --wind " + error + "\n", 2;
    o.wind = w;
  }
  if (!controlEvents(controlText, o.controls, error)) return err = "simhost: " + error + "\n", 2;
  if (!readWindOptions(windText, o.wind.has_value(), o.windOptions, err)) return 2;
  if (until > 0) o.until = until;
  o.root = root, o.modules = modules, o.save = save, o.hud = hud, o.hudPng = hudPng, o.log = log, o.report = report;
  return -1;
}

}  // namespace sim
