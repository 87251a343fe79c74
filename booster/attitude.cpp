// The booster's attitude laws: tail first into the airflow, +z straight up, +z along the guidance
// vector. Each drives the pitch and yaw groups with one per-axis rule (error e, rate w):
//   torque T = 36.92 m x the RCS thrust (RCS set) or 2 x 21 m x the steering thrust (engine set)
//   a = T / (129 m^2 x mass): the angular acceleration the set can give
//   far from the target: target rate wt = -sign(e) min(0.9 sqrt(|2 a e|), maxAttRate),
//                        command u = (wt - w) / (a dt)
//   within the band |e| < B:   u = (-e - w) / 0.1 s / a
//   u is faded by 1 - 0.75 min(q / 40 kPa, 1) for the guidance pointing, then limited to [-1, 1];
//   u > 0 fires pitch up (yaw left), u < 0 pitch down (yaw right).
// holdGuidanceDirection, the precision landing burn's steering: a plain critically damped law per
// axis, u = (-wn^2 e - 2 wn w) / a, limited to [-1, 1], smooth where the shared rule switches
// between its profile and its band.
// Errors [rad]: reentry hold from AOA and sideslip towards +-180 deg; vertical hold and the
// pointing law from atan2 of the target direction in vessel axes (pitch about x, yaw about y).
// With no authority (no thrust, no mass) or no step length yet, the command is 0. The pointing law
// itself (aimAlongGuidance) takes its rate limit, any angular acceleration the fins add to the
// thrusters', and the factor on its commands (negative: the fade in dense air above) from the
// caller; pointAlongGuidance gives it maxAttRate, lowered to 2 deg/s
// below 300 m, and nothing for the fins.
#include <algorithm>
#include <cmath>

#include "booster/larkon.h"

namespace {

constexpr double kPitchYawInertia = 129.0;  // [m^2] mass-normalised, as defined
constexpr double kEngineLever = 21.0;       // [m] engine plane below the CG
constexpr double kRcsLever = 36.92;         // [m] RCS torque factor
constexpr double kProportionalTime = 0.1;   // [s] time constant within the band

}  // namespace

double larkon::attitudeAcceleration() {
  double torque = attitudeSet == 1 ? kRcsLever * GetThrusterMax(thRcs[0])
                                   : 2.0 * kEngineLever * GetThrusterMax(thEngineAtt[0]);
  double mass = in_.mass();
  return mass > 0 ? torque / (kPitchYawInertia * mass) : 0.0;
}

double larkon::axisCommand(double a, double error, double rate, double bandDeg, double fade,
                           double rateLimit) const {
  if (!(a > 0) || !(simDt > 0) || !std::isfinite(error)) return 0.0;
  double u;
  double errorDeg = error * DEG;
  if (-bandDeg < errorDeg && errorDeg < bandDeg) {
    u = (-error - rate) / kProportionalTime / a;
  } else {
    double profile = std::min(0.9 * std::sqrt(std::fabs(2.0 * a * error)), rateLimit);
    double target = error > 0 ? -profile : profile;
    u = (target - rate) / (a * simDt);
  }
  u *= fade;
  return std::clamp(u, -1.0, 1.0);
}

void larkon::setPitchYawCommands(double pitch, double yaw) {
  SetThrusterGroupLevel(THGROUP_ATT_PITCHUP, pitch > 0 ? pitch : 0.0);
  SetThrusterGroupLevel(THGROUP_ATT_PITCHDOWN, pitch < 0 ? -pitch : 0.0);
  SetThrusterGroupLevel(THGROUP_ATT_YAWLEFT, yaw > 0 ? yaw : 0.0);
  SetThrusterGroupLevel(THGROUP_ATT_YAWRIGHT, yaw < 0 ? -yaw : 0.0);
}

void larkon::holdReentryAttitude() {
  double aoa = in_.aoa(), beta = in_.slip();
  double pitchError = aoa > 0 ? aoa - PI : aoa + PI;
  double yawError = beta > 0 ? -(beta - PI) : -(beta + PI);
  double a = attitudeAcceleration();
  const VECTOR3 &w = in_.angularVel();
  setPitchYawCommands(axisCommand(a, pitchError, w.x, 2.0, 1.0, maxAttRate),
                      axisCommand(a, yawError, w.y, 2.0, 1.0, maxAttRate));
}

void larkon::holdVerticalAttitude() {
  const VECTOR3 &W = in_.weight();
  double pitchError = std::atan2(W.y, -W.z), yawError = std::atan2(-W.x, -W.z);
  double a = attitudeAcceleration();
  const VECTOR3 &w = in_.angularVel();
  setPitchYawCommands(axisCommand(a, pitchError, w.x, 1.0, 1.0, maxAttRate),
                      axisCommand(a, yawError, w.y, 1.0, 1.0, maxAttRate));
}

void larkon::pointAlongGuidance() {
  if (in_.altitude() < 300.0) maxAttRate = 2.0 * RAD;
  aimAlongGuidance(maxAttRate);
}

void larkon::aimAlongGuidance(double rateLimit, double extraAccel, double gain) {
  DeactivateNavmode(NAVMODE_KILLROT);
  const VECTOR3 &g = guidanceVector;
  double pitchError = std::atan2(-g.y, g.z), yawError = std::atan2(g.x, g.z);
  double fade = gain < 0 ? 1.0 - 0.75 * std::min(in_.dynPressure() / 40000.0, 1.0) : gain;
  double a = attitudeAcceleration() + extraAccel;
  const VECTOR3 &w = in_.angularVel();
  setPitchYawCommands(axisCommand(a, pitchError, w.x, 1.0, fade, rateLimit),
                      axisCommand(a, yawError, w.y, 1.0, fade, rateLimit));
}

void larkon::holdGuidanceDirection(double naturalFrequency) {
  DeactivateNavmode(NAVMODE_KILLROT);
  const VECTOR3 &g = guidanceVector;
  double pitchError = std::atan2(-g.y, g.z), yawError = std::atan2(g.x, g.z);
  double a = attitudeAcceleration();
  const VECTOR3 &w = in_.angularVel();
  auto axis = [&](double e, double rate) {
    if (!(a > 0) || !std::isfinite(e)) return 0.0;
    double wanted = -naturalFrequency * naturalFrequency * e - 2.0 * naturalFrequency * rate;
    return std::clamp(wanted / a, -1.0, 1.0);
  };
  setPitchYawCommands(axis(pitchError, w.x), axis(yawError, w.y));
}
