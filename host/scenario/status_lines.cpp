// The simulator's default vessel-line parser and writer (see status_lines.h).
#include "scenario/status_lines.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "scenario/document.h"
#include "scenario/streams.h"
#include "vessel/vessel.h"
#include "world/errors.h"
#include "world/frames.h"
#include "world/world.h"

namespace sim {
namespace {

struct ActiveSpawn {
  VesselSpawn *spawn;
  const ScenarioReader *reader;
};
std::vector<ActiveSpawn> &activeSpawns() {
  static std::vector<ActiveSpawn> spawns;
  return spawns;
}

const ScenarioReader *readerOf(const VESSELSTATUS2 *vs) {
  for (const ActiveSpawn &a : activeSpawns())
    if (&a.spawn->vs == vs) return a.reader;
  return nullptr;
}

// What the hand-written forms can mean: a flight above a body's surface, within its sphere of
// influence and below the speed of light.
constexpr double kMaxAltitude = 1e9;       // [m]
constexpr double kMaxSpeed = 299792458.0;  // [m/s]

// The standard keywords, in the parser's order.
constexpr const char *kStandardKeywords[] = {
    "STATUS",  "BASE",        "POS",         "HEADING",  "PRPLEVEL",   "FUEL",
    "THLEVEL", "ENGINE_MAIN", "ENGINE_HOVR", "DOCKINFO", "RPOS",       "RVEL",
    "AROT",    "VROT",        "ALT",         "ELEMENTS", "IDS",        "NAVFREQ",
    "XPDR",    "RCSMODE",     "AFCMODE",     "ATTACHED", "FLIGHTDATA", "GSPEED"};

std::string formatValue(double x) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", x);
  return buf;
}

bool startsWithNoCase(const char *line, const char *key, const char *&rest) {
  size_t n = std::strlen(key);
  for (size_t i = 0; i < n; i++)
    if (!line[i] || std::toupper(static_cast<unsigned char>(line[i])) != key[i]) return false;
  rest = line + n;
  return true;
}

// Reads up to n numbers; returns how many were read (stops at the first token that is not one).
int readNumbers(const char *s, double *out, int n, bool &nonFinite) {
  nonFinite = false;
  int k = 0;
  const char *p = s;
  while (k < n) {
    while (*p == ' ' || *p == '\t') p++;
    if (!*p) break;
    char *end;
    errno = 0;
    double d = std::strtod(p, &end);
    if (end == p || (*end && *end != ' ' && *end != '\t')) break;
    if (!std::isfinite(d)) {
      nonFinite = true;
      break;
    }
    out[k++] = d;
    p = end;
  }
  return k;
}

std::string trimmed(const char *s) {
  std::string t(s);
  size_t b = t.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  size_t e = t.find_last_not_of(" \t");
  return t.substr(b, e - b + 1);
}

// Parses "i:value i:value ..." pairs; false on a malformed pair.
bool readIndexedValues(const char *s, std::vector<std::pair<int, double>> &out) {
  std::string text = trimmed(s);
  size_t p = 0;
  while (p < text.size()) {
    size_t e = text.find_first_of(" \t", p);
    std::string tok = text.substr(p, e == std::string::npos ? std::string::npos : e - p);
    p = e == std::string::npos ? text.size() : text.find_first_not_of(" \t", e);
    if (p == std::string::npos) p = text.size();
    size_t colon = tok.find(':');
    if (colon == std::string::npos) return false;
    char *end;
    long idx = std::strtol(tok.c_str(), &end, 10);
    if (end != tok.c_str() + colon || idx < 0 || idx > 0xFFFF) return false;
    const char *vs = tok.c_str() + colon + 1;
    double val = std::strtod(vs, &end);
    if (end == vs || *end || !std::isfinite(val)) return false;
    out.emplace_back(static_cast<int>(idx), val);
  }
  return true;
}

class LineParser {
 public:
  LineParser(Vessel &v, VESSELSTATUS2 &vs) : v_(v), vs_(vs), spawn_(spawnOf(&vs)), reader_(readerOf(&vs)) {}

  void error(const std::string &msg) {
    std::string where = reader_ ? at(reader_->file(), reader_->lineNumber(), "") : v_.name() + ": ";
    v_.world().diagnostics().inputError(where + msg);
  }

  bool numbers(const char *rest, const char *key, double *out, int n) {
    bool nonFinite;
    int k = readNumbers(rest, out, n, nonFinite);
    if (k == n) return true;
    error(std::string(key) + (nonFinite ? ": value is not finite" : ": expected " + std::to_string(n) +
                                                                         (n == 1 ? " number" : " numbers")));
    return false;
  }

  // A value the line can mean: within [lo, hi], named with its unit range in the message.
  bool within(double x, double lo, double hi, const std::string &what) {
    if (x >= lo && x <= hi) return true;
    char range[96];
    if (lo == -HUGE_VAL)
      std::snprintf(range, sizeof range, "at most %g", hi);
    else
      std::snprintf(range, sizeof range, "from %g to %g", lo, hi);
    error(what + " " + formatValue(x) + " out of range (" + range + ")");
    return false;
  }

  // A value read into an integer field must fit the field's type.
  bool fits(double x, double lo, double hi, const char *key) {
    if (x >= lo && x <= hi) return true;
    error(std::string(key) + ": value out of range");
    return false;
  }

  void parse(const char *line) {
    const char *r;
    double d[3];
    if (startsWithNoCase(line, "STATUS", r)) return status(r);
    if (startsWithNoCase(line, "BASE", r)) return base(r);
    if (startsWithNoCase(line, "POS", r)) {
      if (numbers(r, "POS", d, 2) && within(d[1], -90, 90, "POS: latitude"))
        vs_.surf_lng = d[0] * RAD, vs_.surf_lat = d[1] * RAD;
      return;
    }
    if (startsWithNoCase(line, "HEADING", r)) {
      if (numbers(r, "HEADING", d, 1)) vs_.surf_hdg = d[0] * RAD;
      return;
    }
    if (startsWithNoCase(line, "PRPLEVEL", r)) return indexed(r, "PRPLEVEL", true);
    if (startsWithNoCase(line, "FUEL", r)) {
      if (!numbers(r, "FUEL", d, 1) || !within(d[0], 0, 1, "FUEL: level")) return;
      for (size_t i = 0; i < v_.def.tanks.size(); i++)
        if (!fillFits(i, d[0])) return error("FUEL: level out of range for tank " + std::to_string(i));
      if (spawn_) spawn_->ext.legacyFuel = d[0];
      return;
    }
    if (startsWithNoCase(line, "THLEVEL", r)) return indexed(r, "THLEVEL", false);
    if (startsWithNoCase(line, "ENGINE_MAIN", r) || startsWithNoCase(line, "ENGINE_HOVR", r) ||
        startsWithNoCase(line, "DOCKINFO", r))
      return;
    if (startsWithNoCase(line, "RPOS", r)) {
      if (numbers(r, "RPOS", d, 3)) vs_.rpos = _V(d[0], d[1], d[2]);
      return;
    }
    if (startsWithNoCase(line, "RVEL", r)) {
      if (numbers(r, "RVEL", d, 3)) vs_.rvel = _V(d[0], d[1], d[2]);
      return;
    }
    if (startsWithNoCase(line, "AROT", r)) {
      if (numbers(r, "AROT", d, 3)) {
        vs_.arot = _V(d[0], d[1], d[2]) * RAD;
        if (spawn_) spawn_->ext.hasArot = true;
      }
      return;
    }
    if (startsWithNoCase(line, "VROT", r)) {
      if (numbers(r, "VROT", d, 3)) {
        vs_.vrot = _V(d[0], d[1], d[2]) * RAD;
        if (spawn_) spawn_->ext.hasVrot = true, spawn_->ext.vrot = vs_.vrot;
      }
      return;
    }
    if (startsWithNoCase(line, "ALT", r)) {
      if (numbers(r, "ALT", d, 1) && within(d[0], -HUGE_VAL, kMaxAltitude, "ALT")) {
        vs_.vrot.x = d[0];
        if (spawn_) spawn_->ext.hasAlt = true, spawn_->ext.alt = d[0];
      }
      return;
    }
    if (startsWithNoCase(line, "ELEMENTS", r)) {
      v_.world().diagnostics().note(v_.name(), "ELEMENTS line ignored (give RPOS and RVEL)");
      return;
    }
    if (startsWithNoCase(line, "IDS", r) || startsWithNoCase(line, "NAVFREQ", r)) return;
    if (startsWithNoCase(line, "XPDR", r)) {
      if (numbers(r, "XPDR", d, 1) && fits(d[0], -HUGE_VAL, 4294967295.0, "XPDR"))
        vs_.xpdr = static_cast<DWORD>(std::max(0.0, d[0]));
      return;
    }
    if (startsWithNoCase(line, "RCSMODE", r)) {
      if (numbers(r, "RCSMODE", d, 1) && fits(d[0], INT_MIN, INT_MAX, "RCSMODE") && spawn_)
        spawn_->ext.rcsMode = static_cast<int>(d[0]);
      return;
    }
    if (startsWithNoCase(line, "AFCMODE", r)) {
      if (numbers(r, "AFCMODE", d, 1) && fits(d[0], INT_MIN, INT_MAX, "AFCMODE") && spawn_)
        spawn_->ext.afcMode = static_cast<int>(d[0]);
      return;
    }
    if (startsWithNoCase(line, "ATTACHED", r)) return attached(r);
    if (startsWithNoCase(line, "FLIGHTDATA", r)) return;
    if (startsWithNoCase(line, "GSPEED", r)) {
      if (numbers(r, "GSPEED", d, 2) && within(d[0], 0, kMaxSpeed, "GSPEED: speed") &&
          within(d[1], -90, 90, "GSPEED: path angle") && spawn_)
        spawn_->ext.groundSpeed = d[0], spawn_->ext.pathAngle = d[1] * RAD;
      return;
    }
  }

 private:
  void status(const char *r) {
    std::string text = trimmed(r);
    size_t sp = text.find_first_of(" \t");
    std::string mode = text.substr(0, sp);
    std::string bodyName = sp == std::string::npos ? "" : trimmed(text.c_str() + sp);
    for (char &c : mode) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    CelestialBody *body = v_.world().findBody(bodyName);
    if (!body) return error("STATUS: unknown body \"" + bodyName + "\"");
    vs_.rbody = body->handle();
    if (mode == "landed") {
      vs_.status = 1;
      vs_.surf_hdg = 0;
      if (spawn_) spawn_->ext.hasArot = false, spawn_->ext.flying = false;
    } else if (mode == "orbiting") {
      vs_.status = 0;
      if (spawn_) spawn_->ext.flying = false;
    } else if (mode == "flying" && spawn_) {
      vs_.status = 0;
      spawn_->ext.flying = true;
    } else {
      error("STATUS: expected Orbiting, Landed or Flying, got \"" + mode + "\"");
    }
  }

  void base(const char *r) {
    std::string text = trimmed(r);
    size_t colon = text.rfind(':');
    std::string name = text.substr(0, colon);
    int pad = colon == std::string::npos ? 1 : std::atoi(text.c_str() + colon + 1);
    CelestialBody *body = v_.world().bodyOf(vs_.rbody);
    SurfaceBase *b = body ? v_.world().findBase(body, name) : nullptr;
    if (!b) return error("BASE: unknown base \"" + name + "\"");
    vs_.base = b->handle();
    vs_.port = pad > 0 ? pad - 1 : 0;
    vs_.surf_lng = b->lng, vs_.surf_lat = b->lat;
  }

  // A fill level of tank i gives a finite mass (level x capacity); unknown tanks are refused later.
  bool fillFits(size_t i, double level) const {
    return i >= v_.def.tanks.size() || std::isfinite(level * v_.def.tanks[i].maxMass);
  }

  void indexed(const char *r, const char *key, bool fuel) {
    std::vector<std::pair<int, double>> values;
    if (!readIndexedValues(r, values)) return error(std::string(key) + ": expected index:value pairs");
    if (fuel)
      for (auto [i, val] : values) {
        if (!within(val, 0, 1, std::string(key) + ": level of tank " + std::to_string(i))) return;
        if (!fillFits(static_cast<size_t>(i), val))
          return error(std::string(key) + ": level out of range for tank " + std::to_string(i));
      }
    if (!spawn_) return;  // a module's own structure has no list storage
    for (auto [i, val] : values) {
      if (fuel)
        spawn_->fuel.push_back({static_cast<DWORD>(i), val});
      else
        spawn_->thrusters.push_back({static_cast<DWORD>(i), val});
    }
    vs_.flag |= fuel ? VS_FUELLIST : VS_THRUSTLIST;
    spawn_->relink();
  }

  void attached(const char *r) {
    std::string text = trimmed(r);
    int ci, pi, n = 0;
    if (std::sscanf(text.c_str(), "%d:%d,%n", &ci, &pi, &n) != 2 || n == 0 || ci < 0 || pi < 0)
      return error("ATTACHED: expected child:parent,NAME");
    if (!spawn_) return;
    spawn_->ext.attached = true;
    spawn_->ext.attachOwnIndex = ci;
    spawn_->ext.attachParentIndex = pi;
    spawn_->ext.attachParent = trimmed(text.c_str() + n);
  }

  Vessel &v_;
  VESSELSTATUS2 &vs_;
  VesselSpawn *spawn_;
  const ScenarioReader *reader_;
};

void writeItem(FILEHANDLE scn, const char *key, const char *fmt, ...) __attribute__((format(printf, 3, 4)));
void writeItem(FILEHANDLE scn, const char *key, const char *fmt, ...) {
  // Sized to the text: a large value in fixed-point notation runs to hundreds of digits, and a
  // line cut short would not load again.
  va_list ap, again;
  va_start(ap, fmt);
  va_copy(again, ap);
  int n = std::vsnprintf(nullptr, 0, fmt, ap);
  va_end(ap);
  std::vector<char> buf(static_cast<size_t>(std::max(n, 0)) + 1);
  std::vsnprintf(buf.data(), buf.size(), fmt, again);
  va_end(again);
  char k[32];
  std::snprintf(k, sizeof k, "%s", key);
  oapiWriteScenario_string(scn, k, buf.data());
}

// Euler angles [deg] as AROT writes them: values that print as zero are written as zero, so that
// the rounding noise of recomputing them never prints as "-0.000" and changes from save to save.
VECTOR3 arotForWriting(VECTOR3 deg) {
  for (double *c : {&deg.x, &deg.y, &deg.z})
    if (std::fabs(*c) < 5e-4) *c = 0.0;
  return deg;
}

}  // namespace

VesselSpawn *spawnOf(const VESSELSTATUS2 *vs) {
  for (const ActiveSpawn &a : activeSpawns())
    if (&a.spawn->vs == vs) return a.spawn;
  return nullptr;
}

SpawnScope::SpawnScope(VesselSpawn &spawn, const ScenarioReader *reader) {
  activeSpawns().push_back({&spawn, reader});
}
SpawnScope::~SpawnScope() { activeSpawns().pop_back(); }

void parseStandardLine(Vessel &v, const char *line, VESSELSTATUS2 &vs) { LineParser(v, vs).parse(line); }

const char *standardKeyword(const char *line) {
  const char *rest;
  for (const char *k : kStandardKeywords)
    if (startsWithNoCase(line, k, rest)) return k;
  return nullptr;
}

void checkPlacement(const std::string &file, const ShipBlock &ship, const VesselSpawn &spawn) {
  if (!spawn.vs.rbody && !spawn.ext.attached)
    throw InputError(at(file, ship.line,
                        "vessel \"" + ship.name + "\" has no STATUS line (nowhere to place it)"));
  if (spawn.ext.flying && spawn.ext.hasAlt && spawn.ext.alt < 0) {
    int line = ship.line;
    for (const SourceLine &l : ship.lines) {
      const char *rest;
      if (startsWithNoCase(trimScenarioLine(l.text).c_str(), "ALT", rest)) line = l.number;
    }
    throw InputError(
        at(file, line,
           "ALT " + formatValue(spawn.ext.alt) + ": below the surface for a flying vessel"));
  }
}

namespace {

// A landed vessel as the simulator saves it: its place on the body, the heading of its
// longitudinal axis, its height and its horizon-relative attitude.
void writeLandedPose(const Vessel &v, const CelestialBody &ref, FILEHANDLE scn) {
  const LandedPose &lp = v.st.landed;
  double r = length(lp.pos_P);
  double lng = std::atan2(lp.pos_P.z, lp.pos_P.x);
  double lat = std::asin(std::clamp(lp.pos_P.y / r, -1.0, 1.0));
  MATRIX3 R_HV = mul(localToHorizon(lng, lat), lp.R_PV);
  const std::vector<TOUCHDOWNVTX> &td = v.def.touchdown.points;
  VECTOR3 lngAxis_V = td.size() >= 3 ? td[0].pos - (td[1].pos + td[2].pos) * 0.5 : _V(0, 0, 1);
  VECTOR3 lngAxis_H = mul(R_HV, lngAxis_V);
  double heading = posangle(std::atan2(lngAxis_H.x, lngAxis_H.z));
  VECTOR3 arot = arotForWriting(matrixToEuler(R_HV) * DEG);
  writeItem(scn, "STATUS", "Landed %s", ref.name().c_str());
  writeItem(scn, "POS", "%0.7f %0.7f", lng * DEG, lat * DEG);
  writeItem(scn, "HEADING", "%0.2f", heading * DEG);
  writeItem(scn, "ALT", "%0.3f", r - ref.meanRadius);
  writeItem(scn, "AROT", "%0.3f %0.3f %0.3f", arot.x, arot.y, arot.z);
}

// Any other vessel in the standard orbiting form: position and velocity relative to ref, and
// the rotation only when it is not (nearly) still.
void writeOrbitingState(const Vessel &v, const World &w, const CelestialBody &ref, FILEHANDLE scn) {
  VECTOR3 rpos = w.relativePos(v, ref), rvel = w.relativeVel(v, ref);
  VECTOR3 arot = arotForWriting(matrixToEuler(v.st.R) * DEG);
  writeItem(scn, "STATUS", "Orbiting %s", ref.name().c_str());
  writeItem(scn, "RPOS", "%0.3f %0.3f %0.3f", rpos.x, rpos.y, rpos.z);
  writeItem(scn, "RVEL", "%0.4f %0.4f %0.4f", rvel.x, rvel.y, rvel.z);
  writeItem(scn, "AROT", "%0.3f %0.3f %0.3f", arot.x, arot.y, arot.z);
  if (length2(v.st.omega) > 1e-8) {
    VECTOR3 w_deg = v.st.omega * DEG;
    writeItem(scn, "VROT", "%0.4f %0.4f %0.4f", w_deg.x, w_deg.y, w_deg.z);
  }
}

// ATTACHED counts the points by kind, as the reader does: the child's among its to-parent points,
// the parent's among its to-child points.
void writeAttachment(const Vessel &v, FILEHANDLE scn) {
  const ParentLink &pl = v.st.parentLink;
  if (!pl.parent) return;
  int own = 0, par = 0;
  for (int i = 0; i < pl.ownPoint; i++) own += v.def.attachments[i].toParent ? 1 : 0;
  for (int i = 0; i < pl.parentPoint; i++) par += pl.parent->def.attachments[i].toParent ? 0 : 1;
  writeItem(scn, "ATTACHED", "%d:%d,%s", own, par, pl.parent->name().c_str());
}

// PRPLEVEL: the tanks that hold anything, as fractions of their capacity.
void writePropellantLevels(const Vessel &v, FILEHANDLE scn) {
  std::string prp;
  for (size_t i = 0; i < v.def.tanks.size(); i++) {
    double cap = v.def.tanks[i].maxMass;
    // A module may have set a mass beyond the capacity (or below 0): the level is written within
    // [0, 1], the range the reader takes, so that the saved scenario loads again.
    double f = cap > 0 ? std::clamp(v.st.tankMass[i] / cap, 0.0, 1.0) : 0.0;
    if (f == 0) continue;
    char item[64];
    std::snprintf(item, sizeof item, "%s%zu:%0.6f", prp.empty() ? "" : " ", i, f);
    prp += item;
  }
  if (!prp.empty()) writeItem(scn, "PRPLEVEL", "%s", prp.c_str());
}

// THLEVEL: the permanent levels of the thrusters that are on (and not deleted).
void writeThrustLevels(const Vessel &v, FILEHANDLE scn) {
  std::string thl;
  for (size_t i = 0; i < v.def.thrusters.size(); i++) {
    double l = v.st.thrusters[i].permanent;
    if (l == 0 || v.def.thrusters[i].deleted) continue;
    char item[64];
    std::snprintf(item, sizeof item, "%s%zu:%0.6f", thl.empty() ? "" : " ", i, l);
    thl += item;
  }
  if (!thl.empty()) writeItem(scn, "THLEVEL", "%s", thl.c_str());
}

}  // namespace

void writeStandardLines(Vessel &v, FILEHANDLE scn) {
  World &w = v.world();
  const CelestialBody *ref = v.landed() ? v.st.landed.body : w.gravityRefAt(v.globalPos());
  if (!ref) return;
  if (v.landed())
    writeLandedPose(v, *ref, scn);
  else
    writeOrbitingState(v, w, *ref, scn);
  writeAttachment(v, scn);
  if (v.st.rcsMode != RCS_ROT) writeItem(scn, "RCSMODE", "%d", v.st.rcsMode);
  if (v.st.afcMode != 0) writeItem(scn, "AFCMODE", "%d", v.st.afcMode);
  writePropellantLevels(v, scn);
  writeThrustLevels(v, scn);
}

}  // namespace sim
