// Shared by the fuzz targets: the bundled data and the build's modules, modules kept loaded for
// the whole run, a scratch folder for the scenario files an input becomes, and the checks that
// every target applies to a world. A failed check aborts with a message, which libFuzzer reports
// as a crash and keeps the input of.
#pragma once

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "vessel/vessel.h"
#include "world/world.h"

namespace fuzzsupport {

std::filesystem::path dataRoot();    // the bundled data
std::filesystem::path modulesDir();  // the build tree's Modules/

// The vessel modules of this build (each is also the name of its vessel class).
const std::vector<std::string> &vesselClasses();
// The example add-on: its folder (class, mesh, scenarios; every world searches it) and class.
std::filesystem::path exampleDir();
const std::string &exampleClass();

// Loads every vessel module (and the example add-on's) once and keeps it loaded. Worlds come and go with each input, but a
// module's coverage counters must stay mapped while libFuzzer reads them, and a module keeps its
// module-wide state from world to world, as it does in the simulator across scenarios.
void pinModules();

// A world of the bundled data (Sun, Earth, Moon, the bases) with the given step length.
std::unique_ptr<sim::World> makeWorld(double dt);

// A file in this process's scratch folder (made on first use, removed at exit).
std::filesystem::path scratchFile(const std::string &name);
void writeFile(const std::filesystem::path &file, std::string_view text);

// Loads file into w as simhost run does before its first step: the scenario, then the focus
// vessel's cockpit. Returns the input error's message, or "" if the scenario loaded.
std::string loadLikeSimhost(sim::World &w, const std::filesystem::path &file);

// A finding: prints what went wrong and aborts.
[[noreturn]] void fail(const std::string &what);

// The first vessel of w whose state is not finite, or "".
std::string nonFiniteVessel(const sim::World &w);
// The first refusal of a non-finite value that a module handed to the host, or "".
std::string nonFiniteRefusal(const sim::Diagnostics &d);

// Fails unless every vessel's state is finite and no module handed the host a non-finite value.
void checkFinite(const sim::World &w, const char *when);

// One step of w, then checkFinite, every query of the interface probe (tests/support) finite for
// every vessel, and no vessel that moved at under 10 km/s may have changed its
// velocity by 100 km/s. Returns false when the step ended the flight because a state grew too
// large to measure: that is where an input's run ends, as a simhost run would (a fuzzed state of
// 1e135 m/s gets there in a few steps). Any other error of the step is a finding.
bool stepAndCheck(sim::World &w);

}  // namespace fuzzsupport
