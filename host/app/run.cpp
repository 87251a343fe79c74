// simhost run (see run.h).
#include "app/run.h"

#include <unistd.h>

#include <fstream>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>

#include "app/landing_law.h"
#include "app/landing_report.h"
#include "app/report.h"
#include "app/staging.h"
#include "scenario/document.h"
#include "world/text.h"
#include "io/flight_log.h"
#include "io/hud.h"
#include "io/track.h"
#include "vessel/vessel.h"
#include "world/errors.h"

namespace sim {

std::filesystem::path resolveScenario(const std::string &scenario, const std::filesystem::path &root) {
  std::filesystem::path p(scenario);
  std::error_code ec;
  if (std::filesystem::is_regular_file(p, ec)) return p;
  std::filesystem::path named = root / "Scenarios" / p;
  if (std::filesystem::is_regular_file(named, ec)) return named;
  named += ".scn";
  if (std::filesystem::is_regular_file(named, ec)) return named;
  throw InputError("scenario \"" + scenario + "\": no such file, and none under " + (root / "Scenarios").string());
}

WorldSettings worldSettings(const std::filesystem::path &root, const std::filesystem::path &modules,
                            const RunDefaults &d) {
  WorldSettings s;
  s.dataRoot = root.empty() ? d.dataRoot : root;
  s.modulesDir = modules.empty() ? d.modulesDir : modules;
  std::error_code ec;
  if (!std::filesystem::is_directory(s.dataRoot / "Config", ec))
    throw InputError("--root: " + s.dataRoot.string() + " holds no Config/ folder");
  return s;
}

namespace {

// SCENARIO among the add-ons' scenarios first, then the data root's; checks the add-on folders.
std::filesystem::path findScenario(const RunOptions &o, const std::filesystem::path &dataRoot) {
  std::error_code ec;
  for (const std::filesystem::path &a : o.addons)
    if (!std::filesystem::is_directory(a, ec)) throw InputError("--addon: " + a.string() + " is not a folder");
  for (const std::filesystem::path &a : o.addons) {
    std::filesystem::path named = a / "Scenarios" / o.scenario;
    for (const std::filesystem::path &f : {named, std::filesystem::path(named.string() + ".scn")})
      if (std::filesystem::is_regular_file(f, ec)) return f;
  }
  return resolveScenario(o.scenario, dataRoot);
}

// flown: the focus vessel has been off the ground since the start (one that starts on the ground
// has not landed until it has taken off and come down again).
const char *endReason(World &w, Vessel *focus, const RunOptions &o, bool flown) {
  if (o.until) return w.simTime() >= *o.until - 1e-9 ? "until" : nullptr;
  if (!focus) return w.simTime() >= 3600.0 - 1e-9 ? "time limit" : nullptr;
  if (focus->st.crashed) return "crashed";
  if (focus->landed() && flown) return "landed";
  if (w.simTime() >= 3600.0 - 1e-9) return "time limit";
  return nullptr;
}

// Whether the world's scenario, once saved, would load again: a failed run can leave a state that
// is non-finite or too large to measure, and --save may name the very scenario the run started from.
bool savable(const World &w) {
  for (const auto &v : w.vessels())
    if (!stateFinite(v->st) || !stateMeasurable(v->st)) return false;
  return true;
}

void finish(World &w, const RunOptions &o, const std::string &scenario, const std::string &reason,
            const LandingRecorder *landing, std::ostream &out, std::ostream &err) {
  Vessel *focus = w.focus();
  if (focus && !o.hud.empty()) writeHudText(drawHud(*focus, o.hudWidth, o.hudHeight), o.hud);
  if (focus && !o.hudPng.empty()) writeHudPng(drawHud(*focus, o.hudWidth, o.hudHeight), o.hudWidth, o.hudHeight, o.hudPng);
  if (!o.save.empty()) {
    if (savable(w))
      w.saveScenario(o.save);
    else
      err << "simhost: --save: " << o.save.string() << " left as it was: the state cannot be saved as a scenario that loads\n";
  }
  nlohmann::json report = runReport(w, scenario, reason);
  if (landing) report["landing"] = landing->report();
  if (!o.report.empty()) {
    std::ofstream r(o.report, std::ios::trunc);
    if (!r) throw RunError(o.report.string() + ": cannot write the report");
    r << report.dump(2) << "\n";
  }
  out << summaryText(report);
  if (landing) out << landing->summary();
}

}  // namespace

int runSimulation(const RunOptions &o, const RunDefaults &d, std::ostream &out, std::ostream &err) {
  std::unique_ptr<World> world;
  std::unique_ptr<FlightLog> log;
  std::unique_ptr<LandingRecorder> landing;
  std::unique_ptr<TrackWriter> track;
  std::string scenarioName = o.scenario;
  try {
    WorldSettings s = worldSettings(o.root, o.modules, d);
    s.dt = o.dt;
    s.addonRoots = o.addons;
    std::filesystem::path file = findScenario(o, s.dataRoot);
    scenarioName = file.stem().string();
    world = std::make_unique<World>(s);
    World &w = *world;
    world->loadScenario(file, [&](ScenarioDocument &doc) {
      applyStaging(doc, w, o.focus, o.staging);
      applyLandingLaw(doc, o.focus, o.landingLaw);
    });
    applyWindOptions(*world, o.wind, o.windOptions);
    if (!o.focus.empty()) {
      Vessel *f = world->findVessel(o.focus);
      if (!f) throw InputError("--focus: no vessel named \"" + o.focus + "\" in " + file.string());
      world->setFocus(f);
    }
    if (o.staging.propellant) {
      if (!world->focus()) throw InputError("--staging-propellant: " + file.string() + " has no focus vessel");
      applyStagingPropellant(*world->focus(), o.staging);
    }
    for (const KeyEvent &e : o.events) world->queueKey(e);
    for (const ControlEvent &e : o.controls) world->controls.queue(e);
    for (const std::string &a : o.inputs) world->queueInputAnswer(a);
    for (const auto &v : world->vessels()) v->stateChanged();
    if (Vessel *f = world->focus())
      if (VESSEL2 *cb = f->callbacks()) cb->clbkLoadGenericCockpit();
    if (!o.log.empty()) log = std::make_unique<FlightLog>(o.log, o.logEvery);
    if (Vessel *f = world->focus(); f && equalsNoCase(f->className(), "larkon"))
      landing = std::make_unique<LandingRecorder>(*world, *f);
    track = startTrack(*world, o, scenarioName, landing.get());
  } catch (const InputError &e) {
    err << "simhost: " << e.what() << "\n";
    return 2;
  } catch (const RunError &e) {
    err << "simhost: " << e.what() << "\n";
    return 1;
  }
  World &w = *world;
  bool progress = isatty(STDOUT_FILENO);
  try {
    if (log && w.focus()) log->sample(w, *w.focus());
    if (track) track->sample();
    const char *reason;
    long long lastReport = -1;
    bool flown = !w.focus() || !w.focus()->landed();
    while (!(reason = endReason(w, w.focus(), o, flown))) {
      w.step();
      if (w.focus() && !w.focus()->landed()) flown = true;
      if (landing) landing->sample();
      if (track) track->sample();
      if (log && w.focus()) log->sample(w, *w.focus());
      if (progress && w.focus() && static_cast<long long>(w.simTime()) / 10 != lastReport) {
        lastReport = static_cast<long long>(w.simTime()) / 10;
        const Vessel &f = *w.focus();
        out << "\r  t " << static_cast<int>(w.simTime()) << " s  alt " << static_cast<long long>(f.sp.alt) << " m  speed "
            << static_cast<long long>(f.sp.groundspeed) << " m/s   " << std::flush;
      }
    }
    if (progress) out << "\r" << std::string(60, ' ') << "\r";
    if (log && w.focus()) log->finalRow(w, *w.focus());
    finish(w, o, scenarioName, reason, landing.get(), out, err);
    if (track && finishTrack(*track, o, reason, d, out, err) != 0) return 1;
  } catch (const RunError &e) {
    err << "simhost: " << e.what() << "\n";
    log.reset();
    try {
      finish(w, o, scenarioName, "failed", landing.get(), out, err);
      if (track) finishTrack(*track, o, "failed", d, out, err);
    } catch (const std::exception &) {
    }
    return 1;
  } catch (const InputError &e) {
    err << "simhost: " << e.what() << "\n";
    return 2;
  }
  const Diagnostics &diag = w.diagnostics();
  if (diag.refusedCount() > 0) {
    err << "simhost: " << diag.refusedCount() << " interface call(s) refused:\n";
    int shown = 0;
    for (const Diagnostics::Entry &e : diag.entries())
      if (e.text.find("refused") != std::string::npos && shown++ < 5) err << "  " << e.text << " (x" << e.count << ")\n";
  }
  return 0;
}

int simhostMain(int argc, char **argv, const RunDefaults &defaults) {
  CommandLine cmd;
  std::string out, err;
  int status = parseCommandLine(argc, argv, cmd, out, err);
  std::cout << out;
  std::cerr << err;
  if (status >= 0) return status;
  try {
    switch (cmd.command) {
      case CommandLine::Command::MonteCarlo:
        return runMonteCarlo(cmd.montecarlo, defaults.dataRoot, defaults.modulesDir, std::cout, std::cerr);
      case CommandLine::Command::Merge: return mergeShards(cmd.merge, std::cout, std::cerr);
      case CommandLine::Command::Replay: return runReplay(cmd.replay, defaults, std::cout, std::cerr);
      case CommandLine::Command::Run: break;
    }
    return runSimulation(cmd.run, defaults, std::cout, std::cerr);
  } catch (const std::exception &e) {
    // A failure no check foresaw still ends with a message and a status, not an abort.
    std::cerr << "simhost: internal error: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace sim
