// Reading bodies and bases (see solar_system.h).
#include "world/solar_system.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "loader/config_file.h"
#include "world/errors.h"
#include "world/text.h"
#include "world/world.h"

namespace sim {
namespace {

double required(const ConfigFile &c, const std::string &key) {
  double d;
  if (!c.number(key, d)) throw InputError(c.file() + ": missing " + key);
  return d;
}

double optional(const ConfigFile &c, const std::string &key, double def) {
  double d;
  return c.number(key, d) ? d : def;
}

CelestialBody &readBody(World &w, const std::filesystem::path &dir, const std::string &name, int type,
                        CelestialBody *parent) {
  const std::shared_ptr<const ConfigFile> file = ConfigFile::read(dir / (name + ".cfg"));
  const ConfigFile &c = *file;
  auto b = std::make_unique<CelestialBody>(name, type);
  b->mass = required(c, "Mass");
  b->meanRadius = required(c, "Size");
  if (!(b->mass > 0) || !(b->meanRadius > 0)) throw InputError(c.file() + ": Mass and Size must be positive");
  b->sidRotPeriod = optional(c, "SidRotPeriod", 0);
  b->sidRotOffset = optional(c, "SidRotOffset", 0);
  b->obliquity = optional(c, "Obliquity", 0);
  b->precessionPeriod = optional(c, "PrecessionPeriod", 0);
  b->lan = optional(c, "LAN", 0);
  b->lanMjd = optional(c, "LAN_MJD", 51544.5);
  b->precessionLan = optional(c, "PrecessionLAN", 0);
  b->precessionObliquity = optional(c, "PrecessionObliquity", 0);
  if (!std::isfinite(b->precessionPeriod + b->lan + b->lanMjd + b->precessionLan + b->precessionObliquity))
    throw InputError(c.file() + ": precession values must be finite");
  std::string atm;
  b->hasAtmosphere = c.text("Atmosphere", atm) && equalsNoCase(atm, "Earth");
  if (parent) {
    b->parent = parent;
    b->orbit.radius = required(c, "OrbitRadius");
    b->orbit.longitude0 = optional(c, "OrbitLongitude", 0) * RAD;
    b->orbit.inclination = optional(c, "OrbitInclination", 0) * RAD;
    b->orbit.node = optional(c, "OrbitNode", 0) * RAD;
  }
  CelestialBody &ref = w.addBody(std::move(b));
  if (parent && parent->parent) parent->moons.push_back(&ref);
  return ref;
}

void readBases(World &w, const std::filesystem::path &dir, CelestialBody &planet) {
  std::filesystem::path baseDir = dir / planet.name() / "Base";
  std::error_code ec;
  if (!std::filesystem::is_directory(baseDir, ec)) return;
  std::vector<std::filesystem::path> files;
  for (auto &e : std::filesystem::directory_iterator(baseDir, ec))
    if (e.path().extension() == ".cfg") files.push_back(e.path());
  std::sort(files.begin(), files.end());
  for (const auto &f : files) {
    const std::shared_ptr<const ConfigFile> file = ConfigFile::read(f);
    const ConfigFile &c = *file;
    std::string name;
    if (!c.text("Name", name) || name.empty()) throw InputError(f.string() + ": missing Name");
    std::vector<double> loc;
    if (!c.numbers("Location", loc, 2)) throw InputError(f.string() + ": missing Location");
    if (std::fabs(loc[1]) > 90) throw InputError(f.string() + ": latitude out of range");
    w.addBase(std::make_unique<SurfaceBase>(name, &planet, loc[0] * RAD, loc[1] * RAD));
  }
}

}  // namespace

void loadSolarSystem(World &w, const std::filesystem::path &configDir) {
  const std::shared_ptr<const ConfigFile> sysFile = ConfigFile::read(configDir / "Sol.cfg");
  const ConfigFile &sys = *sysFile;
  CelestialBody *star = nullptr;
  for (const ConfigFile::Item &i : sys.items()) {
    std::string key = lowerCase(i.key);
    if (key.rfind("star", 0) == 0) {
      star = &readBody(w, configDir, i.value, OBJTP_STAR, nullptr);
    } else if (key.rfind("planet", 0) == 0) {
      if (!star) throw InputError(at(sys.file(), i.line, "a planet before any star"));
      readBody(w, configDir, i.value, OBJTP_PLANET, star);
    } else if (size_t colon = i.key.find(':'); colon != std::string::npos) {
      CelestialBody *planet = w.findBody(i.key.substr(0, colon));
      if (!planet) throw InputError(at(sys.file(), i.line, "unknown planet \"" + i.key.substr(0, colon) + "\""));
      readBody(w, configDir, i.value, OBJTP_PLANET, planet);
    }
  }
  for (const auto &b : w.bodies())
    if (b->objectType() == OBJTP_PLANET) readBases(w, configDir, *b);
  w.finishBodies();
}

}  // namespace sim
