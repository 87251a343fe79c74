// The landing report of a booster flight: how well the stage came down beside its target.
//
// Followed after every step without allocating: first ground contact (vertical and horizontal
// speed, distance to the target), the rest (tilt of the touchdown plane's normal from the local
// vertical, distance), peak dynamic pressure and peak proper acceleration |dv/dt - g|, and a
// timeline. The booster's own modes (sequence stage, flyback, legs) are read from its scenario
// lines (APST, LEGS, LPRM), read whenever something the host sees changes with them (navigation
// modes, the main thruster and its firing, the attitude set, the touchdown points, animations
// reaching their end) and at least every second of simulated time; the landing law the booster
// flies (its LANDLAW line: "precision", else "specified") is reported as it was at the end; the engine's firing from the THGROUP_MAIN level. Distances are great-circle distances on the mean surface [m].
// Verdicts, in order: crashed (a point driven a metre into the ground, or down at more than
// 5 m/s at first contact), tipped over (at rest with more than 5 deg of tilt), missed (upright
// but more than 100 m from the target), landed upright; out of propellant or timed out when the
// run ended before the stage came to rest, according to the main tank. A crash or a tip-over after
// the main tank ran dry before contact is reported as out of propellant, its cause.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "OrbiterAPI.h"
#include "app/class_report.h"

class Vessel;

namespace sim {

class World;

class LandingRecorder : public ClassReport {
 public:
  LandingRecorder(World &w, Vessel &booster);
  // Call after every step.
  void sample() override;
  nlohmann::json report() const override;
  std::string summary() const override;
  // The booster's target as its state names it ("NULL" if none).
  const std::string &targetName() const { return targetName_; }
  // The timeline so far: event i happened at eventTime(i).
  size_t eventCount() const { return timeline_.size(); }
  double eventTime(size_t i) const { return timeline_[i].time; }
  const char *eventText(size_t i) const { return timeline_[i].what; }

 private:
  struct Event {
    double time;
    const char *what;
  };
  void readModes();
  void followBurns();
  void followContact();
  unsigned long long signature() const;
  void event(const char *what);
  double distanceToTarget() const;

  World &w_;
  Vessel &v_;
  std::string targetName_;
  OBJHANDLE target_ = nullptr;
  std::string stateText_;  // reused buffer for the booster's scenario lines
  std::vector<Event> timeline_;
  long long nextModeSample_ = 0;
  unsigned long long signature_ = 0;

  int sequence_ = -1, flyback_ = -1, legs_ = -1;
  int landingLaw_ = -1;  // the booster's LANDLAW value (0 when the line is absent)
  enum class Burn { None, Reentry, Correction } burn_ = Burn::None;
  bool firing_ = false, landingBurn_ = false;
  bool airborne_ = false;  // has been clear of the ground: contact and rest count from then on
  bool contact_ = false, rest_ = false, emptyBeforeContact_ = false;
  double contactTime_ = 0, contactVz_ = 0, contactVh_ = 0, contactDistance_ = 0;
  double restTime_ = 0, restTilt_ = 0, restDistance_ = 0;
  double tiltBeforeRest_ = 0;  // [deg] of the last sample before the vessel landed
  double peakQ_ = 0, peakQAlt_ = 0, peakAcc_ = 0, peakAccTime_ = 0;
  VECTOR3 lastVel_{};
  const void *lastFrame_ = nullptr;
  bool haveLast_ = false;
};

}  // namespace sim
