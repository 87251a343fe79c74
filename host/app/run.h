// simhost run: load a scenario, fly it to its end, and write what the options ask for.
//
// The run ends at --until, or by default when the focus vessel has landed and is at rest (the
// simulator's LANDED state), has crashed, or at 3600 s. At the end: the HUD (text and picture),
// the saved scenario, the report, and a summary on standard output. Errors go to standard error:
// exit 2 for bad input, 1 for a failure inside the run (after writing what can still be written).
#pragma once

#include <iosfwd>

#include "app/cli.h"

namespace sim {

struct RunDefaults {
  std::filesystem::path dataRoot;    // the bundled data
  std::filesystem::path modulesDir;  // beside the program
  std::filesystem::path webDir;      // the replay page's built assets (index.html, replay.js)
};

int runSimulation(const RunOptions &o, const RunDefaults &defaults, std::ostream &out, std::ostream &err);
// The whole program: parse the command line, then run.
int simhostMain(int argc, char **argv, const RunDefaults &defaults);
// The world's settings for --root and --modules (empty: the defaults); throws InputError when the
// data root holds no Config/ folder.
WorldSettings worldSettings(const std::filesystem::path &root, const std::filesystem::path &modules,
                            const RunDefaults &defaults);
// Resolves SCENARIO: an existing file, else a name under root/Scenarios (".scn" optional).
std::filesystem::path resolveScenario(const std::string &scenario, const std::filesystem::path &root);

}  // namespace sim
