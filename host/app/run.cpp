// simhost run (see run.h): the outputs checked, the world loaded, the flight, the outputs written.
#include "app/run.h"

#include <unistd.h>

#include <csignal>
#include <ctime>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>

#include "app/class_report.h"
#include "app/interrupt.h"
#include "app/landing_law.h"
#include "app/landing_report.h"
#include "app/load_warnings.h"
#include "app/progress.h"
#include "app/report.h"
#include "app/staging.h"
#include "io/flight_log.h"
#include "io/hud.h"
#include "io/output_file.h"
#include "io/track.h"
#include "scenario/document.h"
#include "vessel/vessel.h"
#include "world/errors.h"
#include "world/text.h"

namespace sim {

RunDefaults programDefaults(const std::filesystem::path &exe,
                            const std::filesystem::path &dataRelative,
                            const std::filesystem::path &dataCompiled) {
  RunDefaults d;
  std::filesystem::path dir = exe.parent_path();
  std::error_code ec;
  std::filesystem::path near = (dir / dataRelative).lexically_normal();
  d.dataRoot = std::filesystem::is_directory(near / "Config", ec) ? near : dataCompiled;
  d.modulesDir = std::filesystem::exists(dir / "Modules", ec) ? dir / "Modules"
                                                              : dir.parent_path() / "Modules";
  return d;
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

// What a run holds from its start to its end.
struct Flight {
  std::filesystem::path file;
  std::string scenarioName;
  OutputSet outputs;
  OutputFile *save = nullptr, *hud = nullptr, *hudPng = nullptr, *logFile = nullptr,
             *report = nullptr;
  std::unique_ptr<World> world;
  std::unique_ptr<FlightLog> log;
  std::unique_ptr<ClassReport> classReport;
  std::string classReportKey;
  std::unique_ptr<TrackWriter> track;  // written as it flies (app/replay_cli.h)
  size_t meshNotes = 0;                // diagnostics entries looked at for mesh warnings
  double cpuStart = 0;                 // [s] of process CPU time as the world was made
};

// SCENARIO among the add-ons' scenarios first, then the data root's; checks the add-on folders.
std::filesystem::path findScenario(const RunOptions &o, const std::filesystem::path &dataRoot) {
  std::error_code ec;
  for (const std::filesystem::path &a : o.addons)
    if (!std::filesystem::is_directory(a, ec))
      throw InputError("--addon: " + a.string() + " is not a folder");
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
  if (interruptSignal()) return "interrupted";
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

int stop(std::ostream &err, const std::string &message, int status) {
  err << "simhost: " << message << "\n";
  return status;
}

void warn(const std::vector<std::string> &warnings, std::ostream &err) {
  for (const std::string &s : warnings) err << "simhost: warning: " << s << "\n";
}

// Every output checked and opened before anything is flown (throws OutputError naming the option).
void openOutputs(const RunOptions &o, Flight &f) {
  f.outputs.addInput(f.file, "the scenario flown");
  f.save =
      f.outputs.add("--save", o.save, true);  // continuing a scenario in its own file is a save
  f.hud = f.outputs.add("--hud", o.hud);
  f.hudPng = f.outputs.add("--hud-png", o.hudPng);
  if (f.hudPng)
    if (std::string problem = hudPngProblem(); !problem.empty())
      throw OutputError("--hud-png: " + problem);
  f.logFile = f.outputs.add("--log", o.log);
  f.report = f.outputs.add("--report", o.report);
  f.outputs.reserve("--track", trackFileOf(o));
}

void setUpWorld(const RunOptions &o, World &w) {
  applyWindOptions(w, o.wind, o.windOptions);
  if (!o.focus.empty()) {
    Vessel *f = w.findVessel(o.focus);
    if (!f)
      throw InputError("--focus: no vessel named \"" + o.focus + "\" in " + w.scenario()->file);
    w.setFocus(f);
  }
  if (o.staging.propellant) {
    if (!w.focus())
      throw InputError("--staging-propellant: " + w.scenario()->file + " has no focus vessel");
    applyStagingPropellant(*w.focus(), o.staging);
  }
  for (const KeyEvent &e : o.events) w.queueKey(e);
  for (const ControlEvent &e : o.controls) w.controls.queue(e);
  for (const std::string &a : o.inputs) w.queueInputAnswer(a);
  for (const auto &v : w.vessels()) v->stateChanged();
  if (Vessel *f = w.focus())
    if (VESSEL2 *cb = f->callbacks()) cb->clbkLoadGenericCockpit();
}

double processCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// Throws InputError (bad input), OutputError (an output that cannot be written) or RunError.
void prepare(const RunOptions &o, const RunDefaults &d, Flight &f, std::ostream &err) {
  WorldSettings s = worldSettings(o.root, o.modules, d);
  s.dt = o.dt;
  s.addonRoots = o.addons;
  f.file = findScenario(o, s.dataRoot);
  f.scenarioName = f.file.stem().string();
  openOutputs(o, f);
  f.cpuStart = processCpuSeconds();  // a flight's own cost, as the recovery benchmark counts it
  f.world = std::make_unique<World>(s);
  World &w = *f.world;
  w.loadScenario(f.file, [&](ScenarioDocument &doc) {
    applyStaging(doc, w, o.focus, o.staging);
    applyLandingLaw(doc, o.focus, o.landingLaw);
  });
  setUpWorld(o, w);
  if (f.logFile) f.log = std::make_unique<FlightLog>(*f.logFile, o.logEvery);
  if (Vessel *focus = w.focus())
    if (const ClassHooks *h = classHooks(focus->className()); h && h->makeReport) {
      f.classReport = h->makeReport(w, *focus);
      f.classReportKey = h->reportKey;
    }
  // The track centres on the booster's target when the focus is a booster.
  f.track =
      startTrack(w, o, f.scenarioName, dynamic_cast<const LandingRecorder *>(f.classReport.get()));
  warn(loadWarnings(w), err);
  warn(meshWarnings(w.diagnostics(), f.meshNotes), err);
}

const char *fly(Flight &f, const RunOptions &o, std::ostream &out) {
  World &w = *f.world;
  ProgressLine progress(out, o.progress);
  if (f.log && w.focus()) f.log->sample(w, *w.focus());
  if (f.track) f.track->sample();
  const char *reason;
  bool flown = !w.focus() || !w.focus()->landed();
  while (!(reason = endReason(w, w.focus(), o, flown))) {
    w.step();
    if (w.focus() && !w.focus()->landed()) flown = true;
    if (f.classReport) f.classReport->sample();
    if (f.track) f.track->sample();
    if (Vessel *focus = w.focus()) {
      if (f.log) f.log->sample(w, *focus);
      progress.update(w.simTime(), focus->sp.alt, focus->sp.groundspeed);
    }
  }
  progress.clear();
  if (f.log && w.focus()) f.log->finalRow(w, *w.focus());
  return reason;
}

// Writes every output to its temporary file, then replaces the named files (OutputError if any
// cannot be written: then none is replaced).
void writeOutputs(Flight &f, const RunOptions &o, const std::string &reason, std::ostream &out,
                  std::ostream &err) {
  World &w = *f.world;
  Vessel *focus = w.focus();
  if (focus && f.hud) writeHudText(drawHud(*focus, o.hudWidth, o.hudHeight), *f.hud);
  if (focus && f.hudPng)
    writeHudPng(drawHud(*focus, o.hudWidth, o.hudHeight), o.hudWidth, o.hudHeight, *f.hudPng);
  if (!focus) f.outputs.drop(f.hud), f.outputs.drop(f.hudPng);  // nothing drawn: left as they were
  if (f.save && savable(w)) {
    f.save->write(w.scenarioText());
  } else if (f.save) {
    err << "simhost: --save: " << o.save.string()
        << " left as it was: the state cannot be saved as a scenario that loads\n";
    f.outputs.drop(f.save);
  }
  nlohmann::json report = runReport(w, f.scenarioName, reason);
  if (f.classReport) report[f.classReportKey] = f.classReport->report();
  // Names are text in the scenario's own encoding: bytes that are not UTF-8 are replaced.
  if (f.report)
    f.report->write(report.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n");
  if (f.log) f.log->flush();
  f.outputs.commitAll();
  out << summaryText(report);
  if (f.classReport) out << f.classReport->summary();
}

void reportRefusedCalls(const Diagnostics &diag, std::ostream &err) {
  if (diag.refusedCount() == 0) return;
  err << "simhost: " << diag.refusedCount() << " interface call(s) refused:\n";
  int shown = 0;
  for (const Diagnostics::Entry &e : diag.entries())
    if (e.text.find("refused") != std::string::npos && shown++ < 5)
      err << "  " << e.text << " (x" << e.count << ")\n";
}

// The end of a run that failed in flight: what can be written is, with end_reason "failed".
int failedRun(Flight &f, const RunOptions &o, const RunDefaults &d, const RunError &e,
              std::ostream &out, std::ostream &err) {
  err << "simhost: " << e.what() << "\n";
  try {
    writeOutputs(f, o, "failed", out, err);
    if (f.track) finishTrack(*f.track, o, "failed", d, out, err);
  } catch (const std::exception &again) {
    err << "simhost: " << again.what() << "\n";
  }
  return 1;
}

}  // namespace

int runSimulation(const RunOptions &o, const RunDefaults &d, std::ostream &out, std::ostream &err) {
  Flight f;
  try {
    prepare(o, d, f, err);
  } catch (const InputError &e) {
    return stop(err, e.what(), 2);
  } catch (const OutputError &e) {
    return stop(err, e.what(), 2);
  } catch (const RunError &e) {
    return stop(err, e.what(), 1);
  }
  try {
    const char *reason = fly(f, o, out);
    if (d.flightCpuSeconds) *d.flightCpuSeconds = processCpuSeconds() - f.cpuStart;
    warn(meshWarnings(f.world->diagnostics(), f.meshNotes), err);
    writeOutputs(f, o, reason, out, err);
    if (f.track && finishTrack(*f.track, o, reason, d, out, err) != 0) return 1;
  } catch (const OutputError &e) {
    return stop(err, e.what() + std::string("; every output left as it was"), 1);
  } catch (const RunError &e) {
    return failedRun(f, o, d, e, out, err);
  } catch (const InputError &e) {
    return stop(err, e.what(), 2);
  }
  reportRefusedCalls(f.world->diagnostics(), err);
  if (int signal = interruptSignal()) {
    err << "simhost: interrupted at t = " << f.world->simTime()
        << " s; the outputs hold the state there\n";
    return 128 + signal;
  }
  return 0;
}

namespace {

int runCommand(const CliResult &parsed, CommandLine &cmd, int argc, char **argv,
               const RunDefaults &defaults) {
  std::cout << parsed.out;
  std::cerr << parsed.err;
  if (!parsed.proceed()) return parsed.exitCode;
  std::signal(SIGXFSZ, SIG_IGN);  // a file-size limit is a failed write, reported as such
  std::string program = argc > 0 ? argv[0] : "simhost";
  try {
    switch (cmd.command) {
      case CommandLine::Command::MonteCarlo: {
        InterruptGuard guard;
        cmd.montecarlo.program = program;
        return runMonteCarlo(cmd.montecarlo, defaults, std::cout, std::cerr);
      }
      case CommandLine::Command::Merge:
        cmd.merge.program = program;
        return mergeShards(cmd.merge, std::cout, std::cerr);
      case CommandLine::Command::List:
        return listScenarios(cmd.list, defaults, std::cout, std::cerr);
      case CommandLine::Command::Replay: return runReplay(cmd.replay, defaults, std::cout, std::cerr);
      case CommandLine::Command::Run: break;
    }
    InterruptGuard guard;
    cmd.run.progress = isatty(STDOUT_FILENO);
    return runSimulation(cmd.run, defaults, std::cout, std::cerr);
  } catch (const std::exception &e) {
    // A failure no check foresaw still ends with a message and a status, not an abort.
    std::cerr << "simhost: internal error: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace

int simhostMain(int argc, char **argv, const RunDefaults &defaults) {
  CommandLine cmd;
  return runCommand(parseCommandLine(argc, argv, cmd), cmd, argc, argv, defaults);
}

int simhostMain(int argc, char **argv, const RunDefaults &defaults, CommandLineParser &parser) {
  CommandLine cmd;
  return runCommand(parser.parse(argc, argv, cmd), cmd, argc, argv, defaults);
}

}  // namespace sim
