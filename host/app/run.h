// simhost run: load a scenario, fly it to its end, and write what the options ask for.
//
// The run ends at --until, or by default when the focus vessel has landed and is at rest (the
// simulator's LANDED state), has crashed, or at 3600 s; or when SIGINT or SIGTERM interrupts it
// (exit 130 or 143, its outputs written as at its end). Every output is checked before the flight
// (io/output_file.h: refused with exit 2 naming the option) and written to a temporary file
// beside it; they replace the named files only once all are written. At the end: the HUD (text
// and picture), the saved scenario, the flight log, the report, and a summary on standard output.
// Errors go to standard error: exit 2 for bad input, 1 for a failure inside the run (its report
// still written, with end_reason "failed") or for an output that could not be written (then every
// named file is left as it was). Warnings about the scenario go to standard error as well.
#pragma once

#include <ostream>

#include "app/cli.h"
#include "app/scenario_names.h"
#include "world/errors.h"

namespace sim {

struct RunDefaults {
  std::filesystem::path dataRoot;    // the bundled data
  std::filesystem::path modulesDir;  // beside the program
  std::filesystem::path webDir;      // the replay page's built assets (index.html, replay.js)
  double *flightCpuSeconds = nullptr;  // if set, a run writes its flight's own CPU time there [s]
};

// The defaults of the program at `exe`: the data root at `dataRelative` from the program's
// folder when it holds Config/ (the clone moved with its build), else `dataCompiled`; the
// modules in the program's folder's Modules/ or its parent's.
RunDefaults programDefaults(const std::filesystem::path &exe,
                            const std::filesystem::path &dataRelative,
                            const std::filesystem::path &dataCompiled);

// Runs `body`: a refusal of the input (InputError) is reported on err with exit status 2, a
// failure (RunError) with 1; 0 when body ends normally.
template <class Body>
int exitStatusOf(std::ostream &err, Body &&body) {
  try {
    body();
  } catch (const InputError &e) {
    err << "simhost: " << e.what() << "\n";
    return 2;
  } catch (const RunError &e) {
    err << "simhost: " << e.what() << "\n";
    return 1;
  }
  return 0;
}

int runSimulation(const RunOptions &o, const RunDefaults &defaults, std::ostream &out, std::ostream &err);
// The whole program: parse the command line, then run.
int simhostMain(int argc, char **argv, const RunDefaults &defaults);
// The same with a parser whose options were built beforehand (app/cli.h).
int simhostMain(int argc, char **argv, const RunDefaults &defaults, CommandLineParser &parser);
// The world's settings for --root and --modules (empty: the defaults); throws InputError when the
// data root holds no Config/ folder.
WorldSettings worldSettings(const std::filesystem::path &root, const std::filesystem::path &modules,
                            const RunDefaults &defaults);

}  // namespace sim
