// Test support (see world_fixture.h).
#include "world_fixture.h"

#include <fstream>
#include <random>

#include "world/body.h"

namespace testsupport {

std::filesystem::path dataRoot() { return ARVEX_TEST_DATA_DIR; }
std::filesystem::path modulesDir() { return ARVEX_TEST_MODULES_DIR; }
std::filesystem::path exampleDir() { return ARVEX_TEST_EXAMPLE_DIR; }

std::unique_ptr<sim::World> makeWorld(double dt, const std::filesystem::path &root,
                                      const std::vector<std::filesystem::path> &addons) {
  sim::WorldSettings s;
  s.dataRoot = root;
  s.modulesDir = modulesDir();
  s.dt = dt;
  s.addonRoots = addons;
  return std::make_unique<sim::World>(s);
}

std::unique_ptr<sim::World> makeEarthWorld(double dt, bool rotating, bool atmosphere,
                                           const std::vector<std::filesystem::path> &addons) {
  sim::WorldSettings s;
  s.dataRoot = dataRoot();
  s.modulesDir = modulesDir();
  s.dt = dt;
  s.addonRoots = addons;
  s.loadSolarSystem = false;
  auto w = std::make_unique<sim::World>(s);
  auto earth = std::make_unique<sim::CelestialBody>("Earth", OBJTP_PLANET);
  earth->mass = 5.973698968e24;
  earth->meanRadius = 6.37101e6;
  earth->sidRotPeriod = rotating ? 86164.10132 : 0.0;
  earth->sidRotOffset = 4.88948754;
  earth->obliquity = 0.4090928023;
  earth->hasAtmosphere = atmosphere;
  sim::CelestialBody &e = w->addBody(std::move(earth));
  w->addBase(std::make_unique<sim::SurfaceBase>("Test Site", &e, 0.0, 0.0));
  w->finishBodies();
  return w;
}

TempDataRoot::TempDataRoot() {
  std::random_device rd;
  path_ = std::filesystem::temp_directory_path() / ("arvex_test_" + std::to_string(rd()) + std::to_string(rd()));
  std::filesystem::create_directories(path_ / "Config" / "Vessels");
  std::filesystem::create_directories(path_ / "Scenarios");
  for (auto &e : std::filesystem::directory_iterator(dataRoot() / "Config"))
    if (e.path().filename() != "Vessels") std::filesystem::create_directory_symlink(e.path(), path_ / "Config" / e.path().filename());
  // Body files are plain files: link them one by one.
  for (auto &e : std::filesystem::directory_iterator(dataRoot() / "Config" / "Vessels"))
    std::filesystem::create_symlink(e.path(), path_ / "Config" / "Vessels" / e.path().filename());
  std::filesystem::create_directory_symlink(dataRoot() / "Meshes", path_ / "Meshes");
}

TempDataRoot::~TempDataRoot() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void TempDataRoot::addClass(const std::string &name, const std::string &cfgText) {
  std::filesystem::path p = path_ / "Config" / "Vessels" / (name + ".cfg");
  std::filesystem::remove(p);  // a link to a bundled class file: replace the link, never the file
  std::ofstream(p) << cfgText;
}

std::filesystem::path TempDataRoot::writeScenario(const std::string &name, const std::string &text) {
  std::filesystem::path p = path_ / "Scenarios" / (name + ".scn");
  std::ofstream(p) << text;
  return p;
}

sim::VesselSpawn flying(const sim::CelestialBody &body, double lngDeg, double latDeg, double alt, double headingDeg,
                        double speed, double pathAngleDeg) {
  sim::VesselSpawn s;
  s.vs.rbody = body.handle();
  s.vs.status = 0;
  s.vs.surf_lng = lngDeg * RAD;
  s.vs.surf_lat = latDeg * RAD;
  s.vs.surf_hdg = headingDeg * RAD;
  s.ext.flying = true;
  s.ext.alt = alt;
  s.ext.groundSpeed = speed;
  s.ext.pathAngle = pathAngleDeg * RAD;
  return s;
}

sim::VesselSpawn orbiting(const sim::CelestialBody &body, const VECTOR3 &rpos, const VECTOR3 &rvel,
                          const VECTOR3 &arot) {
  sim::VesselSpawn s;
  s.vs.rbody = body.handle();
  s.vs.status = 0;
  s.vs.rpos = rpos;
  s.vs.rvel = rvel;
  s.vs.arot = arot;
  return s;
}

sim::VesselSpawn landed(const sim::CelestialBody &body, double lngDeg, double latDeg, double headingDeg) {
  sim::VesselSpawn s;
  s.vs.rbody = body.handle();
  s.vs.status = 1;
  s.vs.surf_lng = lngDeg * RAD;
  s.vs.surf_lat = latDeg * RAD;
  s.vs.surf_hdg = headingDeg * RAD;
  return s;
}

void runUntil(sim::World &w, double t) {
  while (w.simTime() < t - 1e-9) w.step();
}

}  // namespace testsupport
