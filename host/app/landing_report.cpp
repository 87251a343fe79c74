// The landing report of a booster flight (see landing_report.h).
#include "app/landing_report.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>

#include "physics/contact.h"
#include "scenario/streams.h"
#include "vessel/vessel.h"
#include "world/world.h"

namespace sim {
namespace {

constexpr double kModeSampleInterval = 1.0;  // [s] between readings without a visible change
constexpr double kCrashSpeed = 5.0;          // [m/s] downward at first contact
constexpr double kUprightTilt = 5.0;         // [deg]
constexpr double kMissDistance = 100.0;      // [m]

double greatCircle(double lng1, double lat1, double lng2, double lat2, double radius) {
  double s1 = std::sin(0.5 * (lat2 - lat1)), s2 = std::sin(0.5 * (lng2 - lng1));
  double a = s1 * s1 + std::cos(lat1) * std::cos(lat2) * s2 * s2;
  return 2.0 * radius * std::asin(std::sqrt(std::min(1.0, a)));
}

const char *stageName(int s) {
  switch (s) {
    case 0: return "sequence off";
    case 1: return "sequence stage 1: settle";
    case 2: return "sequence stage 2: flyback";
    case 3: return "sequence stage 3: coast and reentry";
    case 4: return "sequence stage 4: descent and landing";
    default: return "sequence stage out of range";
  }
}

// The integer values following `key ` in a block of scenario lines; false if the key is absent.
bool lineValues(const std::string &text, const char *key, int *out, int n) {
  std::string k = std::string("  ") + key + " ";
  size_t p = text.find(k);
  if (p == std::string::npos) return false;
  const char *s = text.c_str() + p + k.size();
  for (int i = 0; i < n; i++) {
    char *end;
    long v = std::strtol(s, &end, 10);
    if (end == s) return false;
    out[i] = static_cast<int>(v);
    s = end;
  }
  return true;
}

}  // namespace

LandingRecorder::LandingRecorder(World &w, Vessel &booster) : w_(w), v_(booster) {
  timeline_.reserve(64);
  stateText_.reserve(2048);
  readModes();
  size_t p = stateText_.find("  LPRM ");
  if (p != std::string::npos) {
    size_t b = p + 7, e = stateText_.find_first_of(" \n", b);
    targetName_ = stateText_.substr(b, e - b);
    if (size_t plus = targetName_.find('+'); plus != std::string::npos) targetName_[plus] = ' ';
  } else {
    targetName_ = "NULL";
  }
  if (Vessel *t = w_.findVessel(targetName_)) {
    target_ = t->handle();
  } else if (v_.sp.ref) {
    if (SurfaceBase *b = w_.findBase(v_.sp.ref, targetName_)) target_ = b->handle();
  }
}

void LandingRecorder::event(const char *what) {
  if (timeline_.size() < timeline_.capacity()) timeline_.push_back({w_.simTime(), what});
}

void LandingRecorder::readModes() {
  VESSEL2 *cb = v_.callbacks();
  if (!cb) return;
  stateText_.clear();
  {
    ScenarioWriter writer(stateText_);
    writer.moduleLinesOnly = true;  // the modes are in the module's lines
    cb->clbkSaveState(writer.handle());
  }
  int apst[5], legs[1];
  if (lineValues(stateText_, "APST", apst, 5)) {
    if (apst[4] != sequence_) {
      if (sequence_ >= 0 || apst[4] != 0) event(stageName(apst[4]));
      sequence_ = apst[4];
    }
    if (apst[2] != flyback_) {
      if (flyback_ > 0 && apst[2] == 0) event("flyback end");
      if (flyback_ <= 0 && apst[2] > 0) event("flyback autopilot on");
      flyback_ = apst[2];
    }
  }
  int law[1] = {0};
  if (!lineValues(stateText_, "LANDLAW", law, 1)) law[0] = 0;
  if (law[0] != landingLaw_) {
    if (landingLaw_ >= 0 || law[0] != 0) event(law[0] == 1 ? "precision landing law" : "specified landing law");
    landingLaw_ = law[0];
  }
  if (lineValues(stateText_, "LEGS", legs, 1) && legs[0] != legs_) {
    if (legs[0] == 1) event("legs deploying");
    if (legs[0] == 2) event("legs down");
    legs_ = legs[0];
  }
}

double LandingRecorder::distanceToTarget() const {
  if (!target_ || !v_.sp.ref) return -1;
  WorldObject *o = w_.object(target_);
  if (!o) return -1;
  double lng, lat;
  if (o->objectType() == OBJTP_SURFBASE) {
    const SurfaceBase &b = *static_cast<SurfaceBase *>(o);
    lng = b.lng, lat = b.lat;
  } else {
    const Vessel &t = *static_cast<Vessel *>(o);
    lng = t.sp.lng, lat = t.sp.lat;
  }
  return greatCircle(v_.sp.lng, v_.sp.lat, lng, lat, v_.sp.ref->meanRadius);
}

// What the host sees change when the booster switches modes: navigation modes, the main thruster
// and its level, the thrusters of the pitch-up group (the attitude set), the touchdown points,
// animations reaching their end.
unsigned long long LandingRecorder::signature() const {
  int g = v_.groupOfType(THGROUP_MAIN), p = v_.groupOfType(THGROUP_ATT_PITCHUP);
  const GroupDef &main = v_.def.groups[g], &pitch = v_.def.groups[p];
  unsigned long long s = v_.st.navBits;
  s = s * 31 + (main.members.empty() ? 0 : main.members[0] + 1);
  s = s * 31 + (pitch.members.empty() ? 0 : pitch.members[0] + 1);
  s = s * 31 + (v_.groupLevel(g) > 0 ? 1 : 0);
  s = s * 31 + v_.def.touchdown.points.size();
  if (!v_.def.touchdown.points.empty()) s = s * 31 + static_cast<unsigned long long>(std::fabs(v_.def.touchdown.points[0].pos.z) * 100);
  for (size_t i = 0; i < v_.st.animStates.size() && i < 16; i++)  // animations at their end (legs down)
    if (v_.st.animStates[i] >= 1.0) s ^= 1ull << (40 + i);
  return s;
}

void LandingRecorder::sample() {
  unsigned long long sig = signature();
  bool changed = sig != signature_;
  signature_ = sig;
  if (changed || static_cast<double>(nextModeSample_) * kModeSampleInterval <= w_.simTime() + 1e-9) {
    readModes();
    while (static_cast<double>(nextModeSample_) * kModeSampleInterval <= w_.simTime() + 1e-9) nextModeSample_++;
  }
  const SurfaceParams &sp = v_.sp;
  if (sp.dynPressure > peakQ_) peakQ_ = sp.dynPressure, peakQAlt_ = sp.alt;
  if (!v_.landed() && haveLast_ && lastFrame_ == v_.st.frame) {
    VECTOR3 a = (v_.st.rvel - lastVel_) / w_.dt() - w_.gravityRel(v_.st.frame, v_.st.rpos, w_.bodiesNow());
    double acc = length(a);
    if (acc > peakAcc_) peakAcc_ = acc, peakAccTime_ = w_.simTime();
  }
  lastVel_ = v_.st.rvel;
  lastFrame_ = v_.st.frame;
  haveLast_ = true;

  followBurns();
  followContact();
}

// The main engine's burns: reentry, correction and landing, by the sequence stage they start in.
void LandingRecorder::followBurns() {
  const SurfaceParams &sp = v_.sp;
  int g = v_.groupOfType(THGROUP_MAIN);
  bool firing = g >= 0 && v_.groupLevel(g) > 0;
  if (firing == firing_) return;
  if (firing && sequence_ == 3) event("reentry burn start"), burn_ = Burn::Reentry;
  if (firing && sequence_ == 4 && sp.alt >= 4000.0)
    event("correction burn start"), burn_ = Burn::Correction;
  if (!firing && burn_ == Burn::Reentry) event("reentry burn end");
  if (!firing && burn_ == Burn::Correction) event("correction burn end");
  if (!firing) burn_ = Burn::None;
  if (sequence_ == 4 && sp.alt < 4000.0 && firing && !landingBurn_) {
    event("landing burn ignition");
    landingBurn_ = true;
  }
  firing_ = firing;
}

// First ground contact and the rest, once the vessel has flown: one that starts on the ground
// has not landed.
void LandingRecorder::followContact() {
  const SurfaceParams &sp = v_.sp;
  double lowest = lowestTouchdownHeight(v_);
  if (!airborne_ && !v_.landed() && lowest > 0.0) airborne_ = true;
  if (airborne_ && !contact_ && lowest <= 0.0) {
    contact_ = true;
    contactTime_ = w_.simTime();
    contactVz_ = sp.groundVel_H.y;
    contactVh_ = std::hypot(sp.groundVel_H.x, sp.groundVel_H.z);
    contactDistance_ = distanceToTarget();
    emptyBeforeContact_ = !v_.st.tankMass.empty() && v_.st.tankMass[0] == 0.0;
    event("touchdown");
  }
  // The tilt it came to rest at: the host re-poses a vessel onto its touchdown points as it lands.
  double tilt = std::acos(std::max(-1.0, std::min(1.0, dotp(v_.def.touchdown.up_V, sp.up_V)))) * DEG;
  if (!v_.landed()) tiltBeforeRest_ = tilt;
  if (airborne_ && !rest_ && v_.landed()) {
    rest_ = true;
    restTime_ = w_.simTime();
    restTilt_ = tiltBeforeRest_;
    restDistance_ = distanceToTarget();
    event("at rest");
  }
}

nlohmann::json LandingRecorder::report() const {
  nlohmann::json r;
  const char *verdict;
  double mainLeft = v_.st.tankMass.empty() ? 0.0 : v_.st.tankMass[0];
  bool crashed = v_.st.crashed || (contact_ && contactVz_ < -kCrashSpeed);
  if ((crashed || (rest_ && restTilt_ > kUprightTilt)) && emptyBeforeContact_)
    verdict = "out of propellant";  // the cause, not the symptom
  else if (crashed)
    verdict = "crashed";
  else if (rest_ && restTilt_ > kUprightTilt)
    verdict = "tipped over";
  else if (rest_ && (restDistance_ < 0 || restDistance_ > kMissDistance))
    verdict = "missed";
  else if (rest_)
    verdict = "landed upright";
  else if (mainLeft == 0.0 || emptyBeforeContact_)
    verdict = "out of propellant";
  else
    verdict = "timed out";
  r["verdict"] = verdict;
  r["landing_law"] = landingLaw_ == 1 ? "precision" : "specified";
  r["target"] = targetName_;
  r["target_found"] = target_ != nullptr;
  if (contact_) {
    r["touchdown_time_s"] = contactTime_;
    r["touchdown_vertical_speed_mps"] = contactVz_;
    r["touchdown_horizontal_speed_mps"] = contactVh_;
    r["distance_at_touchdown_m"] = contactDistance_ < 0 ? nlohmann::json() : nlohmann::json(contactDistance_);
  }
  if (rest_) {
    r["rest_time_s"] = restTime_;
    r["tilt_at_rest_deg"] = restTilt_;
    r["distance_at_rest_m"] = restDistance_ < 0 ? nlohmann::json() : nlohmann::json(restDistance_);
  }
  r["main_propellant_kg"] = mainLeft;
  r["rcs_propellant_kg"] = v_.st.tankMass.size() > 1 ? v_.st.tankMass[1] : 0.0;
  r["flight_time_s"] = rest_ ? restTime_ : w_.simTime();
  r["peak_dynamic_pressure_pa"] = peakQ_;
  r["peak_dynamic_pressure_altitude_m"] = peakQAlt_;
  r["peak_acceleration_mps2"] = peakAcc_;
  r["peak_acceleration_time_s"] = peakAccTime_;
  nlohmann::json t = nlohmann::json::array();
  for (const Event &e : timeline_) t.push_back({{"t_s", e.time}, {"event", e.what}});
  r["timeline"] = t;
  return r;
}

std::string LandingRecorder::summary() const {
  nlohmann::json r = report();
  char buf[512];
  std::string s = "landing: " + r["verdict"].get<std::string>();
  if (rest_) {
    if (restDistance_ >= 0)
      std::snprintf(buf, sizeof buf, ", at rest %.1f m from %s, tilt %.2f deg", restDistance_, targetName_.c_str(),
                    restTilt_);
    else
      std::snprintf(buf, sizeof buf, ", at rest with no target, tilt %.2f deg", restTilt_);
    s += buf;
  }
  if (contact_) {
    std::snprintf(buf, sizeof buf, "\n  first contact at t = %.2f s: %.2f m/s down, %.2f m/s across", contactTime_,
                  -contactVz_, contactVh_);
    s += buf;
    if (contactDistance_ >= 0) {
      std::snprintf(buf, sizeof buf, ", %.1f m from the target", contactDistance_);
      s += buf;
    }
  }
  std::snprintf(buf, sizeof buf,
                "\n  propellant left: main %.0f kg, RCS %.1f kg; flight %.1f s; peak q %.1f kPa at %.1f km; peak "
                "acceleration %.1f m/s^2 (%.2f g)\n",
                r["main_propellant_kg"].get<double>(), r["rcs_propellant_kg"].get<double>(),
                r["flight_time_s"].get<double>(), peakQ_ / 1000.0, peakQAlt_ / 1000.0, peakAcc_, peakAcc_ / 9.80665);
  s += buf;
  for (const Event &e : timeline_) {
    std::snprintf(buf, sizeof buf, "  %8.2f s  %s\n", e.time, e.what);
    s += buf;
  }
  return s;
}

}  // namespace sim
