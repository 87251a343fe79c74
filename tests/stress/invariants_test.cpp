// Invariants under stress: each vessel, started in a chosen state, is fed a long seeded random
// stream of inputs and checked after every step.
//
// Inputs: keys (the module's own and any other scan code, with and without Shift and Control,
// down and up), module codes (the booster's target codes, 2300 with random text, and codes no
// module knows), input-box answers, and the simulator's own controls a user works beside the
// module's keys (main throttle, navigation modes). Step lengths run from 0.001 s to 1 s; the
// host's step is fixed for a world, so a run is a chain of segments, each a world of its own
// step length continued from the previous segment's saved scenario (which must load again).
// One booster run gets rare inputs and long steps, so that its recovery flies through reentry
// and descent to the ground.
//
// Checked after every step: every state the host holds for any vessel is finite, and the host
// refused no call (a non-finite value, a stale handle); thruster levels lie in [0, 1]; the
// booster has exactly one THGROUP_MAIN group holding exactly thMain[engineMode], its other main
// engines off, its modes and animations in range; the satellite's deployment status is valid and
// its attitude a rotation; the ring's selection is a slot it has. Modes are read from the
// module's own saved lines, as the host sees them.
//
// A failure names the case, the seed, the segment and the step, and the last inputs. To replay
// or to explore, ARVEX_STRESS_SEED runs every case with that seed and ARVEX_STRESS_STEPS sets
// the length of a run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "booster/larkon.h"
#include "scenario/streams.h"
#include "world_fixture.h"

#ifndef ARVEX_STRESS_STEPS
#define ARVEX_STRESS_STEPS 15000
#endif

namespace {

using testsupport::dataRoot;

constexpr int kStepsPerRun = ARVEX_STRESS_STEPS;
constexpr double kMinStep = 0.001, kMaxStep = 1.0;  // [s]
constexpr int kMinSegment = 150, kMaxSegment = 1200;  // steps per world

enum class Kind { Booster, Satellite, Ring };

struct StressCase {
  Kind kind;
  const char *vessel;         // the focus vessel, the one fed
  std::string scenarioFile;   // under the bundled Scenarios/, or empty for `scenarioText`
  std::string scenarioText;
  unsigned seed;
  double inputRate = 1;  // scales how often inputs come (a quiet stream lets autopilots run their course)
  double minStep = kMinStep;  // [s] shortest step length (long steps fly a whole recovery)
};

std::string readFile(const std::filesystem::path &p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// --- random inputs ------------------------------------------------------------------------------

// Keys each module acts on; the stream mixes them with any other scan code.
std::vector<DWORD> commandKeys(Kind kind) {
  switch (kind) {
    case Kind::Booster:
      return {OAPI_KEY_E, OAPI_KEY_P, OAPI_KEY_G, OAPI_KEY_J, OAPI_KEY_K, OAPI_KEY_V, OAPI_KEY_N, OAPI_KEY_M, OAPI_KEY_B};
    case Kind::Satellite:
      return {OAPI_KEY_G, OAPI_KEY_V};
    case Kind::Ring:
      return {OAPI_KEY_J, OAPI_KEY_N};
  }
  return {};
}

class InputStream {
 public:
  InputStream(unsigned seed, Kind kind, double rate)
      : rng_(seed), keys_(commandKeys(kind)), booster_(kind == Kind::Booster), rate_(rate) {}

  double stepLength(double shortest) { return std::exp(uniform(std::log(shortest), std::log(kMaxStep))); }
  int segmentSteps() { return std::uniform_int_distribution<int>(kMinSegment, kMaxSegment)(rng_); }

  // Queues this step's inputs for the focus vessel v (delivered at the start of the next step);
  // returns what was fed, for the failure message ("" if nothing).
  std::string feed(sim::World &w, Vessel &v) {
    std::string fed;
    double t = w.simTime();
    if (chance(0.08 * rate_)) fed += key(w, t);
    if (chance(0.012 * rate_)) fed += code(w, t);
    if (chance(0.015 * rate_)) {
      std::string answer = text();
      w.queueInputAnswer(answer);
      fed += "answer \"" + printable(answer) + "\"; ";
    }
    // The simulator's throttle keys, in short bursts so that the propellant lasts the run.
    if (booster_ && throttleSteps_ > 0 && --throttleSteps_ == 0) {
      v.intf->SetThrusterGroupLevel(THGROUP_MAIN, 0.0);
      fed += "throttle off; ";
    } else if (booster_ && chance(0.004 * rate_)) {
      double level = chance(0.3) ? 1.0 : uniform(0, 1);
      throttleSteps_ = 1 + below(100);
      v.intf->SetThrusterGroupLevel(THGROUP_MAIN, level);
      fed += "throttle " + std::to_string(level) + " for " + std::to_string(throttleSteps_) + " steps; ";
    }
    if (chance(0.005 * rate_)) {  // the simulator's navigation-mode keys
      int mode = std::uniform_int_distribution<int>(NAVMODE_KILLROT, NAVMODE_HOLDALT)(rng_);
      bool on = chance(0.6);
      if (on)
        v.intf->ActivateNavmode(mode);
      else
        v.intf->DeactivateNavmode(mode);
      fed += std::string(on ? "navmode on " : "navmode off ") + std::to_string(mode) + "; ";
    }
    return fed;
  }

 private:
  bool chance(double p) { return std::bernoulli_distribution(p)(rng_); }
  double uniform(double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng_); }
  int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

  std::string key(sim::World &w, double t) {
    sim::KeyEvent e;
    e.time = t;
    e.key = chance(0.6) ? keys_[static_cast<size_t>(below(static_cast<int>(keys_.size())))]
                        : static_cast<DWORD>(below(256));
    e.down = chance(0.85);
    static const DWORD kModifiers[] = {OAPI_KEY_LSHIFT, OAPI_KEY_RSHIFT, OAPI_KEY_LCONTROL, OAPI_KEY_RCONTROL};
    if (chance(0.4))
      for (DWORD m : kModifiers)
        if (chance(0.4)) e.modifiers.push_back(m);
    std::string fed = "key " + std::to_string(e.key) + (e.down ? "" : " up");
    for (DWORD m : e.modifiers) fed += "+" + std::to_string(m);
    w.queueKey(std::move(e));
    return fed + "; ";
  }

  std::string code(sim::World &w, double t) {
    sim::KeyEvent e;
    e.time = t;
    e.isCode = true;
    e.down = chance(0.9);
    static const DWORD kOtherCodes[] = {0, 255, 256, 2299, 2302, 65535, 0xFFFFFFFFu};
    int which = below(4);
    if (which == 0 || which == 1) {
      e.key = 2300;
      e.text = text();
    } else if (which == 2) {
      e.key = 2301;
    } else {
      e.key = chance(0.5) ? kOtherCodes[below(7)] : static_cast<DWORD>(std::uniform_int_distribution<long>(256, 1 << 24)(rng_));
      if (chance(0.5)) e.text = text();
    }
    std::string fed = "code " + std::to_string(e.key) + (e.text.empty() ? "" : " \"" + printable(e.text) + "\"");
    w.queueKey(std::move(e));
    return fed + "; ";
  }

  // Names that resolve, near misses, and random text: printable, long, or any byte but NUL.
  std::string text() {
    static const char *kNames[] = {"Kestrel Point", "Kestrel+Point", "kestrel point", "Larkon-1", "Earth", "Moon",
                                   "Sun", "NULL", "", " ", "Kestrel  Point", " Kestrel Point", "Orlis-1", "Dispenser",
                                   "Kestrel\nAPST 7 7 7 7 9", "Kestrel\r\nLEGS 5 2 -1 9", "x\nEND\nGhost:larkon"};
    std::string s;
    switch (below(4)) {
      case 0:
        return kNames[below(static_cast<int>(std::size(kNames)))];
      case 1:
        for (int n = below(40); n > 0; n--) s += static_cast<char>(std::uniform_int_distribution<int>(32, 126)(rng_));
        return s;
      case 2:
        for (int n = 200 + below(200); n > 0; n--) s += static_cast<char>('a' + below(26));
        return s;
      default:
        for (int n = below(64); n > 0; n--) s += static_cast<char>(1 + below(255));
        return s;
    }
  }

  static std::string printable(const std::string &s) {
    std::string out;
    for (unsigned char c : s.substr(0, 60)) {
      if (c >= 32 && c < 127 && c != '\\') {
        out += static_cast<char>(c);
      } else {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02x", c);
        out += hex;
      }
    }
    return s.size() > 60 ? out + "..." : out;
  }

  std::mt19937 rng_;
  std::vector<DWORD> keys_;
  bool booster_;
  double rate_;
  int throttleSteps_ = 0;  // steps until the user's throttle burst ends
};

// --- invariants ---------------------------------------------------------------------------------

bool finite(double d) { return std::isfinite(d); }
bool finite(const VECTOR3 &a) { return sim::isFinite(a); }
bool finite(const MATRIX3 &m) {
  for (double d : m.data)
    if (!std::isfinite(d)) return false;
  return true;
}
bool inUnit(double d) { return d >= 0 && d <= 1; }

// The first state the host holds for v that is not finite, or "".
std::string nonFiniteState(const Vessel &v) {
  const sim::VesselState &s = v.st;
  if (!finite(s.rpos) || !finite(s.rvel)) return "position or velocity";
  if (!finite(s.q.w) || !finite(s.q.x) || !finite(s.q.y) || !finite(s.q.z) || !finite(s.R)) return "orientation";
  if (!finite(s.omega)) return "angular velocity";
  if (s.status == sim::FlightStatus::Landed && (!finite(s.landed.pos_P) || !finite(s.landed.R_PV))) return "landed pose";
  if (s.parentLink.parent && (!finite(s.parentLink.pos_P) || !finite(s.parentLink.R_PC))) return "attachment link";
  for (const sim::ContactAnchor &a : s.anchors)
    if (a.valid && !finite(a.pos_P)) return "contact anchor";
  for (double m : s.tankMass)
    if (!finite(m) || m < 0) return "propellant mass " + std::to_string(m);
  for (const sim::ThrusterState &t : s.thrusters)
    if (!finite(t.permanent) || !finite(t.override_) || !finite(t.effective)) return "thruster level";
  for (const sim::ControlSurfaceState &c : s.controls)
    if (!finite(c.permanent) || !finite(c.current)) return "control surface level";
  for (double a : s.animStates)
    if (!finite(a)) return "animation state";
  const sim::VesselDefinition &d = v.def;
  if (!finite(d.emptyMass) || !(d.emptyMass > 0) || !finite(d.size) || !finite(d.pmi)) return "mass properties";
  for (const sim::ThrusterDef &t : d.thrusters)
    if (!finite(t.maxth0) || !finite(t.isp0)) return "thruster definition";
  for (const TOUCHDOWNVTX &p : d.touchdown.points)
    if (!finite(p.pos) || !finite(p.stiffness) || !finite(p.damping)) return "touchdown point";
  if (!finite(v.fb.force_V) || !finite(v.fb.torque_V) || !finite(v.fb.mass)) return "force build";
  const sim::SurfaceParams &sp = v.sp;
  if (sp.ref && (!finite(sp.alt) || !finite(sp.lng) || !finite(sp.lat) || !finite(sp.groundVel_G) ||
                 !finite(sp.airVel_V) || !finite(sp.dynPressure) || !finite(sp.mach) || !finite(sp.aoa) ||
                 !finite(sp.slip) || !finite(sp.pitch) || !finite(sp.bank)))
    return "surface parameters";
  return "";
}

std::string levelsOutOfRange(const Vessel &v) {
  for (size_t i = 0; i < v.st.thrusters.size(); i++) {
    const sim::ThrusterState &t = v.st.thrusters[i];
    if (!v.def.thrusters[i].deleted && (!inUnit(t.permanent) || !inUnit(t.effective)))
      return "thruster " + std::to_string(i) + " at level " + std::to_string(t.permanent) + " (effective " +
             std::to_string(t.effective) + ")";
  }
  return "";
}

// The module's own saved lines, as the host's scenario writer receives them.
std::string moduleLines(Vessel &v) {
  std::string text;
  sim::ScenarioWriter writer(text);
  writer.moduleLinesOnly = true;
  v.callbacks()->clbkSaveState(writer.handle());
  return text;
}

// The integers after "  KEY " in the saved lines; empty if the line is missing.
std::vector<long> lineValues(const std::string &lines, const std::string &key) {
  std::vector<long> values;
  size_t at = lines.find("  " + key + " ");
  if (at == std::string::npos) return values;
  std::istringstream in(lines.substr(at + key.size() + 3, lines.find('\n', at) - at - key.size() - 3));
  double x;
  while (in >> x) values.push_back(static_cast<long>(x));
  return values;
}

std::string outOfRange(const char *what, long value, long lo, long hi) {
  if (value >= lo && value <= hi) return "";
  return std::string(what) + " = " + std::to_string(value) + ", outside " + std::to_string(lo) + ".." +
         std::to_string(hi);
}

std::string boosterInvariants(Vessel &v) {
  std::string lines = moduleLines(v);
  std::vector<long> legs = lineValues(lines, "LEGS"), fins = lineValues(lines, "FINS"), apst = lineValues(lines, "APST");
  if (legs.size() != 4 || fins.size() != 4 || apst.size() != 5) return "unreadable state lines:\n" + lines;
  const long engineMode = apst[0];
  for (const std::string &e : {outOfRange("engineMode", engineMode, 0, 2), outOfRange("legsState", legs[0], 0, 3),
                        outOfRange("finsState", fins[0], 0, 3), outOfRange("apFlyback", apst[2], 0, 2),
                        outOfRange("autoSequence", apst[4], 0, 4)})
    if (!e.empty()) return e;

  const larkon &b = *static_cast<larkon *>(static_cast<VESSEL3 *>(v.callbacks3()));
  int mainThruster[3];
  for (int i = 0; i < 3; i++) mainThruster[i] = v.thrusterIndex(b.thMain[i], "stress test");
  int mainGroups = 0;
  for (const sim::GroupDef &g : v.def.groups)
    if (g.exists && g.type == THGROUP_MAIN && !g.members.empty()) {
      mainGroups++;
      if (g.members != std::vector<int>{mainThruster[engineMode]})
        return "THGROUP_MAIN does not hold exactly thMain[" + std::to_string(engineMode) + "]";
    }
  if (mainGroups != 1) return std::to_string(mainGroups) + " THGROUP_MAIN groups";
  for (int i = 0; i < 3; i++)
    if (i != engineMode && v.st.thrusters[mainThruster[i]].permanent != 0)
      return "thMain[" + std::to_string(i) + "] burns outside the main group";
  for (size_t i = 0; i < v.st.animStates.size(); i++)
    if (!inUnit(v.st.animStates[i])) return "animation " + std::to_string(i) + " at " + std::to_string(v.st.animStates[i]);
  return "";
}

std::string satelliteInvariants(Vessel &v) {
  std::vector<long> solp = lineValues(moduleLines(v), "SOLP");
  if (solp.size() != 2) return "unreadable SOLP line";
  if (std::string e = outOfRange("deployStatus", solp[0], 0, 3); !e.empty()) return e;
  const MATRIX3 &R = v.st.R;
  for (int i = 0; i < 3; i++)
    for (int j = 0; j < 3; j++) {
      double dot = 0;
      for (int k = 0; k < 3; k++) dot += R.data[3 * k + i] * R.data[3 * k + j];
      if (std::fabs(dot - (i == j ? 1.0 : 0.0)) > 1e-9) return "orientation not orthonormal";
    }
  double det = R.m11 * (R.m22 * R.m33 - R.m23 * R.m32) - R.m12 * (R.m21 * R.m33 - R.m23 * R.m31) +
               R.m13 * (R.m21 * R.m32 - R.m22 * R.m31);
  if (std::fabs(det - 1) > 1e-9) return "orientation determinant " + std::to_string(det);
  return "";
}

std::string ringInvariants(Vessel &v) {
  std::vector<long> npls = lineValues(moduleLines(v), "NPLS");
  if (npls.size() != 1) return "unreadable NPLS line";
  return outOfRange("selectedSlot", npls[0], 0, 7);
}

// The first broken invariant after a step, or "".
std::string brokenInvariant(sim::World &w, Vessel &fed, Kind kind) {
  for (const auto &vp : w.vessels()) {
    if (std::string e = nonFiniteState(*vp); !e.empty()) return vp->name() + ": non-finite " + e;
    if (std::string e = levelsOutOfRange(*vp); !e.empty()) return vp->name() + ": " + e;
  }
  // Any refused call counts, a non-finite value as much as a stale handle.
  if (w.diagnostics().refusedCount() > 0)
    for (const sim::Diagnostics::Entry &e : w.diagnostics().entries())
      if (e.text.find(": refused: ") != std::string::npos) return "the host refused a call: " + e.text;
  std::string e = kind == Kind::Booster     ? boosterInvariants(fed)
                  : kind == Kind::Satellite ? satelliteInvariants(fed)
                                            : ringInvariants(fed);
  return e.empty() ? e : fed.name() + ": " + e;
}

// --- the runs -----------------------------------------------------------------------------------

// Runs the case, failing at the first step that breaks an invariant.
void runStress(const StressCase &c) {
  unsigned seed = c.seed;
  if (const char *s = std::getenv("ARVEX_STRESS_SEED")) seed = static_cast<unsigned>(std::strtoul(s, nullptr, 10));
  int runSteps = kStepsPerRun;
  if (const char *s = std::getenv("ARVEX_STRESS_STEPS")) runSteps = std::atoi(s);
  InputStream inputs(seed, c.kind, c.inputRate);
  testsupport::TempDataRoot root;
  std::filesystem::path file = c.scenarioFile.empty() ? root.writeScenario("start", c.scenarioText)
                                                      : dataRoot() / "Scenarios" / c.scenarioFile;
  std::deque<std::string> recent;  // the inputs of the last steps that fed any
  int done = 0;
  for (int segment = 0; done < runSteps; segment++) {
    double dt = inputs.stepLength(c.minStep);
    int steps = std::min(inputs.segmentSteps(), runSteps - done);
    auto w = testsupport::makeWorld(dt, root.path());
    ASSERT_NO_THROW(w->loadScenario(file)) << "seed " << seed << ", segment " << segment << "\n" << readFile(file);
    Vessel *v = w->findVessel(c.vessel);
    ASSERT_NE(v, nullptr) << "seed " << seed << ", segment " << segment;
    w->setFocus(v);
    for (int i = 0; i < steps; i++, done++) {
      if (std::string fed = inputs.feed(*w, *v); !fed.empty()) {
        recent.push_back("step " + std::to_string(done) + ": " + fed);
        if (recent.size() > 6) recent.pop_front();
      }
      w->step();
      if (std::string broken = brokenInvariant(*w, *v, c.kind); !broken.empty()) {
        std::string last;
        for (const std::string &r : recent) last += "\n  " + r;
        FAIL() << broken << "\nreplay: seed " << seed << ", segment " << segment << " (dt " << dt << " s), step " << i
               << " of the segment, step " << done << " of the run; last inputs:" << last;
      }
    }
    std::string saved = w->scenarioText();
    w.reset();  // the modules unload before the next world loads them afresh
    file = root.writeScenario("segment" + std::to_string(segment), saved);
  }
}

const std::string kOrbitingBooster =
    "BEGIN_ENVIRONMENT\n  System Sol\n  Date MJD 60300.5\nEND_ENVIRONMENT\n"
    "BEGIN_FOCUS\n  Ship Larkon-1\nEND_FOCUS\n"
    "BEGIN_SHIPS\nLarkon-1:larkon\n  STATUS Orbiting Earth\n  RPOS 6671010.000 0.000 0.000\n"
    "  RVEL 0.0000 0.0000 7729.8861\n  AROT 0.000 0.000 0.000\n  PRPLEVEL 0:0.104167 1:1.000000\nEND\nEND_SHIPS\n";

TEST(StressInvariants, BoosterAtStaging) {
  runStress({Kind::Booster, "Larkon-1", "Booster recovery.scn", "", 20240611u});
}
TEST(StressInvariants, BoosterRecoveringUnderRareInputs) {
  runStress({Kind::Booster, "Larkon-1", "Booster recovery.scn", "", 2u, 0.03, 0.05});
}
TEST(StressInvariants, BoosterOnThePad) { runStress({Kind::Booster, "Larkon-1", "Booster on the pad.scn", "", 7u}); }
TEST(StressInvariants, BoosterInOrbit) { runStress({Kind::Booster, "Larkon-1", "", kOrbitingBooster, 424242u}); }
TEST(StressInvariants, SatelliteInOrbit) {
  runStress({Kind::Satellite, "Orlis-1", "Satellite deploy.scn", "", 31337u});
}
TEST(StressInvariants, RingWithPayloads) { runStress({Kind::Ring, "Dispenser", "Dispenser deploy.scn", "", 1009u}); }

}  // namespace
