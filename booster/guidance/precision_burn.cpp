// The precision landing burn (see precision_burn.h for the maths, frames and units).
#include "booster/guidance/precision_burn.h"

#include <algorithm>
#include <cmath>

namespace booster {

namespace {
constexpr double kTouchdownSpeed = 0.6;  // [m/s] down, on the legs
constexpr double kFinalRate = 0.3;       // [1/s] the final segment's speed per metre of height
constexpr double kFinalHeight = 10.0;    // [m] of height to go, flown on the final segment
constexpr double kFinalTopSpeed = kTouchdownSpeed + kFinalRate * kFinalHeight;  // [m/s]
constexpr double kThrustShare = 0.7;     // of the deceleration full thrust gives, planned for
const double kConeTangent = std::tan(15.0 * RAD);  // approach cone of 15 deg elevation
constexpr double kCarryTime = 3.0;       // [s] of horizontal speed counted as distance
constexpr double kClimbSpeed = 0.5;      // [m/s] the fastest climb the reference asks for
constexpr double kGateDistanceOpen = 1.5, kGateDistanceShut = 4.0;  // [m] from the pad
constexpr double kGateSpeedOpen = 0.15, kGateSpeedShut = 0.3;       // [m/s] across
constexpr double kLandNowHoverTime = 10.0;  // [s] of hovering left: the gate no longer holds back
constexpr double kSpeedGain = 1.5;       // [1/s] vertical speed error to acceleration
constexpr double kMinTimeToGo = 8.0;     // [s] the horizontal gains' floor
const double kTiltAtFeet = 1.0 * RAD;    // [rad] allowed tilt with the feet on the ground
constexpr double kUprightBelow = 0.5;    // [m] of the feet above the ground: no lean into the wind
constexpr double kUprightBlend = 2.5;    // [m] above that, over which the lean is let in
const double kTiltPerMetre = 0.2 * RAD;  // [rad/m] growth with the height to go
const double kTiltMost = 30.0 * RAD;     // [rad]
}  // namespace

double heightToGo(const VECTOR3 &pos, const VECTOR3 &vel) {
  double d = std::sqrt(pos.x * pos.x + pos.z * pos.z) + kCarryTime * std::sqrt(vel.x * vel.x + vel.z * vel.z);
  return pos.y - kFootHeight - d * kConeTangent;
}

double plannedDeceleration(const BurnState &s) {
  if (!(s.mass > 0)) return 0.0;
  return std::max(0.0, kThrustShare * (s.maxThrust / s.mass - s.gravity));
}

double referenceSpeed(double x, double aRef) {
  if (x <= kFinalHeight) return std::min(-(kTouchdownSpeed + kFinalRate * x), kClimbSpeed);
  return -std::sqrt(kFinalTopSpeed * kFinalTopSpeed + 2.0 * aRef * (x - kFinalHeight));
}

double touchdownGate(double d, double v) {
  double byDistance = std::clamp((kGateDistanceShut - d) / (kGateDistanceShut - kGateDistanceOpen), 0.0, 1.0);
  double bySpeed = std::clamp((kGateSpeedShut - v) / (kGateSpeedShut - kGateSpeedOpen), 0.0, 1.0);
  return std::min(byDistance, bySpeed);
}

double timeToGo(double x, double vy, double aRef) {
  double t = 0;
  double xf = std::clamp(x, 0.0, kFinalHeight);
  t += std::log((kTouchdownSpeed + kFinalRate * xf) / kTouchdownSpeed) / kFinalRate;
  if (x > kFinalHeight && aRef > 0) {
    double speed = std::max(-vy, -referenceSpeed(x, aRef));
    t += (speed - kFinalTopSpeed) / aRef;
  }
  return t;
}

bool ignitionDue(const BurnState &s) {
  if (s.pos.y >= kLandingBurnCeiling) return false;
  double x = heightToGo(s.pos, s.vel);
  if (x <= kFinalHeight) return true;
  double fall = -s.vel.y;
  if (fall <= kFinalTopSpeed) return false;  // slow enough to fall on
  return (fall * fall - kFinalTopSpeed * kFinalTopSpeed) / (2.0 * (x - kFinalHeight)) >= plannedDeceleration(s);
}

double tiltLimit(double x) { return std::clamp(kTiltAtFeet + kTiltPerMetre * x, kTiltAtFeet, kTiltMost); }

BurnCommand burnCommand(const BurnState &s) {
  double aRef = plannedDeceleration(s);
  double x = heightToGo(s.pos, s.vel);
  double vRef = referenceSpeed(x, aRef);
  double slope;  // dv_ref/dx
  if (vRef >= kClimbSpeed)
    slope = 0;
  else if (x <= kFinalHeight)
    slope = -kFinalRate;
  else
    slope = -aRef / -vRef;
  double d = std::sqrt(s.pos.x * s.pos.x + s.pos.z * s.pos.z), vh = std::sqrt(s.vel.x * s.vel.x + s.vel.z * s.vel.z);
  if (x <= kFinalHeight && vRef < 0 && s.hoverTime > kLandNowHoverTime) {
    double gate = touchdownGate(d, vh);
    vRef *= gate;
    slope *= gate;
  }
  double av = slope * s.vel.y + kSpeedGain * (vRef - s.vel.y);

  double t = std::max(timeToGo(x, s.vel.y, aRef), kMinTimeToGo);
  double ax = -6.0 * s.pos.x / (t * t) - 4.0 * s.vel.x / t;
  double az = -6.0 * s.pos.z / (t * t) - 4.0 * s.vel.z / t;

  double F = std::max(0.0, s.maxThrust);
  double Tv = std::clamp(s.mass * (av + s.gravity) - s.drag.y, 0.0, F);
  double Tx = s.mass * ax - s.drag.x, Tz = s.mass * az - s.drag.z;
  double Th = std::sqrt(Tx * Tx + Tz * Tz);
  double clearance = s.pos.y - kFootHeight + d + kCarryTime * vh;
  // Leaning into the wind is allowed, except in the last metres: a stage that plants its feet
  // leaning rocks over them as the engine runs down.
  double feet = s.pos.y - kFootHeight;
  double lean = std::clamp((feet - kUprightBelow) / kUprightBlend, 0.0, 1.0);
  double dragAcross = lean * std::sqrt(s.drag.x * s.drag.x + s.drag.z * s.drag.z);
  double room = std::min(std::tan(tiltLimit(clearance)) * Tv + dragAcross, std::sqrt(std::max(0.0, F * F - Tv * Tv)));
  if (Th > room && Th > 0) {
    Tx *= room / Th;
    Tz *= room / Th;
  }
  BurnCommand c;
  c.thrust = _V(Tx, Tv, Tz);
  c.vertical = Tv;
  return c;
}

}  // namespace booster
