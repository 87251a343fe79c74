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
constexpr double kSpeedGain = 1.5;       // [1/s] vertical speed error to acceleration
constexpr double kMinTimeToGo = 5.0;     // [s] the horizontal gains' floor
const double kTiltAtFeet = 2.0 * RAD;    // [rad] allowed tilt with the feet on the ground
const double kTiltPerMetre = 0.2 * RAD;  // [rad/m] growth with the height to go
const double kTiltMost = 20.0 * RAD;     // [rad]
}  // namespace

double heightToGo(const VECTOR3 &pos) {
  double d = std::sqrt(pos.x * pos.x + pos.z * pos.z);
  return pos.y - kFootHeight - d * kConeTangent;
}

double plannedDeceleration(const BurnState &s) {
  if (!(s.mass > 0)) return 0.0;
  return std::max(0.0, kThrustShare * (s.maxThrust / s.mass - s.gravity));
}

double referenceSpeed(double x, double aRef) {
  if (x <= 0) return -kTouchdownSpeed;
  if (x <= kFinalHeight) return -(kTouchdownSpeed + kFinalRate * x);
  return -std::sqrt(kFinalTopSpeed * kFinalTopSpeed + 2.0 * aRef * (x - kFinalHeight));
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
  double x = heightToGo(s.pos);
  if (x <= kFinalHeight) return true;
  double fall = -s.vel.y;
  if (fall <= kFinalTopSpeed) return false;  // slow enough to fall on
  return (fall * fall - kFinalTopSpeed * kFinalTopSpeed) / (2.0 * (x - kFinalHeight)) >= plannedDeceleration(s);
}

double tiltLimit(double x) { return std::clamp(kTiltAtFeet + kTiltPerMetre * x, kTiltAtFeet, kTiltMost); }

BurnCommand burnCommand(const BurnState &s) {
  double aRef = plannedDeceleration(s);
  double x = heightToGo(s.pos);
  double vRef = referenceSpeed(x, aRef);
  double slope;  // dv_ref/dx
  if (x <= 0)
    slope = 0;
  else if (x <= kFinalHeight)
    slope = -kFinalRate;
  else
    slope = -aRef / -vRef;
  double av = slope * s.vel.y + kSpeedGain * (vRef - s.vel.y);

  double t = std::max(timeToGo(x, s.vel.y, aRef), kMinTimeToGo);
  double ax = -6.0 * s.pos.x / (t * t) - 4.0 * s.vel.x / t;
  double az = -6.0 * s.pos.z / (t * t) - 4.0 * s.vel.z / t;

  double F = std::max(0.0, s.maxThrust);
  double Tv = std::clamp(s.mass * (av + s.gravity) - s.drag.y, 0.0, F);
  double Tx = s.mass * ax - s.drag.x, Tz = s.mass * az - s.drag.z;
  double Th = std::sqrt(Tx * Tx + Tz * Tz);
  double room = std::min(std::tan(tiltLimit(x)) * Tv, std::sqrt(std::max(0.0, F * F - Tv * Tv)));
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
