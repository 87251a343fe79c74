// Test support: worlds built on the real host, loading the real module files.
//
// A world is built from the bundled data (or from a temporary data root that adds test-only
// vessel classes), with the modules of the build tree. Spawns describe initial states in the
// host's terms (flying over Earth, orbiting, landed).
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "vessel/spawn.h"
#include "vessel/vessel.h"
#include "world/world.h"

namespace testsupport {

std::filesystem::path dataRoot();    // the bundled data
std::filesystem::path modulesDir();  // the build tree's Modules/
std::filesystem::path exampleDir();  // the example add-on's folder (its class, mesh, scenarios)

// A world of the bundled data (Sun, Earth, Moon, the bases) at the given step length, with the
// add-on folders given (classes and meshes found there first).
std::unique_ptr<sim::World> makeWorld(double dt = 0.02, const std::filesystem::path &root = dataRoot(),
                                      const std::vector<std::filesystem::path> &addons = {});
// A world holding only a non-rotating or rotating Earth fixed at the origin (physics tests).
std::unique_ptr<sim::World> makeEarthWorld(double dt, bool rotating = true, bool atmosphere = true,
                                           const std::vector<std::filesystem::path> &addons = {});

// A temporary data root: the bundled Config/ and Meshes/ plus extra class files; removed at the end.
class TempDataRoot {
 public:
  TempDataRoot();
  ~TempDataRoot();
  TempDataRoot(const TempDataRoot &) = delete;
  TempDataRoot &operator=(const TempDataRoot &) = delete;
  const std::filesystem::path &path() const { return path_; }
  void addClass(const std::string &name, const std::string &cfgText);
  std::filesystem::path writeScenario(const std::string &name, const std::string &text);
  std::filesystem::path file(const std::string &relative) const { return path_ / relative; }

 private:
  std::filesystem::path path_;
};

// Initial states.
sim::VesselSpawn flying(const sim::CelestialBody &body, double lngDeg, double latDeg, double alt, double headingDeg,
                        double speed, double pathAngleDeg);
sim::VesselSpawn orbiting(const sim::CelestialBody &body, const VECTOR3 &rpos, const VECTOR3 &rvel,
                          const VECTOR3 &arotRad = _V(0, 0, 0));
sim::VesselSpawn landed(const sim::CelestialBody &body, double lngDeg, double latDeg, double headingDeg);
// Keeps the tanks as the class defined them (run-time creation without a fuel list).
inline sim::VesselSpawn &keepTanks(sim::VesselSpawn &s) {
  s.vs.flag &= ~static_cast<DWORD>(VS_FUELRESET);
  return s;
}

// Runs the world until simTime >= t.
void runUntil(sim::World &w, double t);

}  // namespace testsupport
