// Staging overrides (see staging.h).
#include "app/staging.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "scenario/document.h"
#include "vessel/vessel.h"
#include "world/errors.h"
#include "world/text.h"
#include "world/world.h"

namespace sim {
namespace {

// The first blank-separated word of a trimmed line and what follows it.
void splitKeyword(const std::string &line, std::string &key, std::string &rest) {
  size_t b = line.find_first_of(" \t");
  key = line.substr(0, b);
  rest = b == std::string::npos ? std::string() : trim(line.substr(b));
}

const ShipBlock &findShip(const ScenarioDocument &doc, const std::string &name) {
  const std::string &want = name.empty() ? doc.focus : name;
  for (const ShipBlock &s : doc.ships)
    if (want.empty() ? &s == &doc.ships.front() : equalsNoCase(s.name, want)) return s;
  throw InputError(doc.file + ": no vessel \"" + want + "\" to stage");
}

std::string formatNumber(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.7f", v);
  return buf;
}

// Replaces the value of the line with this keyword (the first such line).
void setLine(ShipBlock &ship, const char *key, const std::string &value) {
  for (SourceLine &l : ship.lines) {
    std::string k, rest;
    splitKeyword(trimScenarioLine(l.text), k, rest);
    if (equalsNoCase(k, key)) {
      l.text = std::string("  ") + key + " " + value;
      return;
    }
  }
}

double centralAngle(double lng1, double lat1, double lng2, double lat2) {
  double s = std::sin((lat2 - lat1) / 2), t = std::sin((lng2 - lng1) / 2);
  return 2 * std::asin(std::min(1.0, std::sqrt(s * s + std::cos(lat1) * std::cos(lat2) * t * t)));
}

const SurfaceBase &targetBase(const ScenarioDocument &doc, const World &w, const FlyingState &s,
                              const std::string &body) {
  if (s.target.empty() || equalsNoCase(s.target, "NULL"))
    throw InputError(doc.file + ": the stage names no target (LPRM line), so it has no downrange distance");
  CelestialBody *planet = w.findBody(body);
  SurfaceBase *base = planet ? w.findBase(planet, s.target) : nullptr;
  if (!base) throw InputError(doc.file + ": the stage's target \"" + s.target + "\" is no base on " + body);
  return *base;
}

std::string bodyOf(const ScenarioDocument &doc, const ShipBlock &ship) {
  for (const SourceLine &l : ship.lines) {
    std::string k, rest;
    splitKeyword(trimScenarioLine(l.text), k, rest);
    if (equalsNoCase(k, "STATUS")) {
      std::string mode, body;
      splitKeyword(rest, mode, body);
      return body;
    }
  }
  throw InputError(at(doc.file, ship.line, "vessel \"" + ship.name + "\" has no STATUS line"));
}

}  // namespace

FlyingState readFlyingState(const ScenarioDocument &doc, const std::string &name) {
  const ShipBlock &ship = findShip(doc, name);
  FlyingState s;
  bool flying = false, pos = false, alt = false, hdg = false, gspeed = false;
  std::vector<double> d;
  for (const SourceLine &l : ship.lines) {
    std::string k, rest;
    splitKeyword(trimScenarioLine(l.text), k, rest);
    if (equalsNoCase(k, "STATUS")) flying = equalsNoCase(rest.substr(0, 6), "Flying");
    else if (equalsNoCase(k, "POS") && parseNumbers(rest, d) && d.size() == 2) s.lng = d[0], s.lat = d[1], pos = true;
    else if (equalsNoCase(k, "ALT") && parseNumber(rest, s.altitude)) alt = true;
    else if (equalsNoCase(k, "HEADING") && parseNumber(rest, s.heading)) hdg = true;
    else if (equalsNoCase(k, "GSPEED") && parseNumbers(rest, d) && d.size() == 2) s.speed = d[0], s.pathAngle = d[1], gspeed = true;
    else if (equalsNoCase(k, "LPRM")) {
      s.target = rest.substr(0, rest.find_first_of(" \t"));
      for (char &c : s.target)
        if (c == '+') c = ' ';
    }
  }
  if (!(flying && pos && alt && hdg && gspeed))
    throw InputError(at(doc.file, ship.line,
                        "vessel \"" + ship.name +
                            "\" is not given in the flying form the staging options change (STATUS Flying with "
                            "POS, ALT, HEADING and GSPEED lines)"));
  return s;
}

double downrangeOf(const ScenarioDocument &doc, const World &w, const std::string &name, const FlyingState &s) {
  const ShipBlock &ship = findShip(doc, name);
  const SurfaceBase &base = targetBase(doc, w, s, bodyOf(doc, ship));
  return centralAngle(base.lng, base.lat, s.lng * RAD, s.lat * RAD) * base.planet->meanRadius;
}

void applyStaging(ScenarioDocument &doc, const World &w, const std::string &name, const StagingOverrides &o) {
  if (!o.anyBeforeCreation()) return;
  FlyingState s = readFlyingState(doc, name);
  ShipBlock &ship = const_cast<ShipBlock &>(findShip(doc, name));
  if (o.altitude) setLine(ship, "ALT", formatNumber(*o.altitude));
  if (o.heading) setLine(ship, "HEADING", formatNumber(*o.heading));
  if (o.speed || o.pathAngle)
    setLine(ship, "GSPEED", formatNumber(o.speed.value_or(s.speed)) + " " + formatNumber(o.pathAngle.value_or(s.pathAngle)));
  if (o.downrange) {
    const SurfaceBase &base = targetBase(doc, w, s, bodyOf(doc, ship));
    double lat1 = base.lat, lng1 = base.lng, lat2 = s.lat * RAD, lng2 = s.lng * RAD;
    double bearing = s.heading * RAD;
    if (centralAngle(lng1, lat1, lng2, lat2) * base.planet->meanRadius > 1.0)
      bearing = std::atan2(std::sin(lng2 - lng1) * std::cos(lat2),
                           std::cos(lat1) * std::sin(lat2) - std::sin(lat1) * std::cos(lat2) * std::cos(lng2 - lng1));
    double delta = *o.downrange / base.planet->meanRadius;
    double lat = std::asin(std::sin(lat1) * std::cos(delta) + std::cos(lat1) * std::sin(delta) * std::cos(bearing));
    double lng = lng1 + std::atan2(std::sin(bearing) * std::sin(delta) * std::cos(lat1),
                                   std::cos(delta) - std::sin(lat1) * std::sin(lat));
    setLine(ship, "POS", formatNumber(lng * DEG) + " " + formatNumber(lat * DEG));
  }
}

void applyStagingPropellant(Vessel &v, const StagingOverrides &o) {
  if (!o.propellant) return;
  if (v.def.tanks.empty() || v.st.tankMass.empty())
    throw InputError("--staging-propellant: vessel \"" + v.name() + "\" has no propellant tank");
  v.systems().tankMass[0] = std::clamp(*o.propellant, 0.0, v.def.tanks[0].maxMass);
}

}  // namespace sim
