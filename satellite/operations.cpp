// What the satellite does around each step: before it, automatic Earth-pointing and then sun
// tracking; after it, the deployment motion of the panels and antennae.
//
// Earth-pointing imposes the attitude directly (no thruster fires): with b the unit vector to the
// Earth's centre and s the unit vector to the Sun (the global origin), the vessel axes become
//   +z = b,  +x = n = unit(b x s) (normal to the plane through the vessel, Earth and Sun),
//   +y = m = b x n,
// so the Sun lies in the y-z plane, where the wings turn. In the simulator's Euler convention
// (rows of the vessel->global matrix (cb cg, cb sg, -sb), ...) these axes are
//   alpha = atan2(b.y, b.z),  beta = -asin(b.x),  gamma = pi/2 - atan2(n.x, m.x).
// With +z exactly along the global x axis (b.y = b.z = 0) alpha and gamma turn about the same
// axis; there alpha = 0 and gamma = atan2(-n.y, -b.x n.z) give the same axes. Where the attitude
// is undefined (no body named "Earth", the vessel at the global origin or the Earth's centre, or
// on the Earth-Sun line, where b x s vanishes) the step leaves the attitude as it is rather than
// hand the simulator an invalid one.
//
// Sun tracking (only while deployState is exactly 1): with l the direction to the Sun in vessel
// axes, the Sun angle a = atan2(-l.y, l.z) in [0, 2 pi) is the wing angle about +x at which the
// cell faces (along +z at angle 0) look at the Sun. The wings turn the shorter way at 0.05 turn/s
// (18 deg/s) and snap onto a once they are within one step of it, or on it already; a state that
// has left [0, 1] is brought back by one turn in the next step.
//
// Deployment (deployStatus 2 stowing, any other value of 2 or more deploying): the state moves by
// 0.05 per second towards its end and is clamped there (a full deployment takes 20 s); the status
// becomes 0 or 1 in the step after the state has arrived.
// Frames and units: global (ecliptic, left-handed) positions in m, vessel frame, s, rad; states
// in turns (0..1).
#include <algorithm>
#include <cmath>

#include "orlis.h"

namespace {

// |b x s| below this (the sine of the angle between the directions to the Earth and the Sun)
// leaves the plane through vessel, Earth and Sun undefined for practical purposes.
constexpr double kMinSine = 1e-9;

// Euler angles of the Earth-pointing attitude; false if it is undefined.
bool earthPointingAngles(const VECTOR3 &fromEarth, const VECTOR3 &fromSun, VECTOR3 &arot) {
  double earthDistance = length(fromEarth), sunDistance = length(fromSun);
  if (!(earthDistance > 0) || !(sunDistance > 0)) return false;  // also refuses NaN
  VECTOR3 toEarth = fromEarth / -earthDistance;
  VECTOR3 toSun = fromSun / -sunDistance;
  VECTOR3 normal = crossp(toEarth, toSun);
  double sine = length(normal);
  if (!(sine > kMinSine)) return false;
  normal /= sine;
  VECTOR3 third = crossp(toEarth, normal);

  double beta = -std::asin(std::clamp(toEarth.x, -1.0, 1.0));
  double alpha, gamma;
  if (toEarth.y == 0 && toEarth.z == 0) {
    alpha = 0;
    gamma = std::atan2(-normal.y, -toEarth.x * normal.z);
  } else {
    alpha = std::atan2(toEarth.y, toEarth.z);
    gamma = PI05 - std::atan2(normal.x, third.x / length(third));
  }
  arot = _V(alpha, beta, gamma);
  return std::isfinite(alpha) && std::isfinite(beta) && std::isfinite(gamma);
}

constexpr double kRatePerSecond = 0.05;  // [1/s] deployment and wing turn, in state units

// Turn direction for a wing lagging the Sun by diff [rad]: +1, -1, or `previous` on a tie.
int turnDirection(double diff, int previous) {
  if (diff > 0 && diff < PI) return 1;
  if (diff > PI || (diff > -PI && diff < 0)) return -1;
  if (diff < -PI) return 1;
  return previous;  // exactly +-pi: either way is as short
}

}  // namespace

void orlis::pointAtEarth(const VECTOR3 &globalPos) {
  // Keep the simulator's navigation modes from acting against the imposed attitude.
  for (int mode = NAVMODE_KILLROT; mode <= NAVMODE_HOLDALT; mode++) DeactivateNavmode(mode);
  static char earthName[] = "Earth";
  OBJHANDLE earth = oapiGetGbodyByName(earthName);
  if (!earth) return;
  VECTOR3 fromEarth;
  GetRelativePos(earth, fromEarth);
  VECTOR3 arot;
  if (!earthPointingAngles(fromEarth, globalPos, arot)) return;
  SetGlobalOrientation(arot);
  SetAngularVel(_V(0, 0, 0));
}

void orlis::trackSun(const VECTOR3 &globalPos, double simdt) {
  VECTOR3 toSun;
  Global2Local(-globalPos, toSun);  // the global origin seen from the vessel (length immaterial)
  double sunAngle = std::atan2(-toSun.y, toSun.z);
  if (sunAngle < 0) sunAngle += PI2;

  double diff = sunAngle - PI2 * sunTrackState;
  double step = kRatePerSecond * simdt;
  double tolerance = PI2 * step;
  int direction = turnDirection(diff, sunTrackDir);
  // On the Sun already (diff exactly 0 included) or within one step of it: snap.
  if (std::fabs(diff) < tolerance) direction = 0;
  sunTrackDir = direction;

  if (sunTrackState > 1)
    sunTrackState -= 1;
  else if (sunTrackState < 0)
    sunTrackState += 1;
  else if (direction != 0)
    sunTrackState += direction * step;
  else
    sunTrackState = sunAngle / PI2;
  SetAnimation(animSunTrack, sunTrackState);
}

void orlis::clbkPreStep(double, double simdt, double) {
  bool tracking = deployState == 1.0;
  if (autoAttitude <= 0 && !tracking) return;
  VECTOR3 globalPos;
  GetGlobalPos(globalPos);
  if (autoAttitude > 0) pointAtEarth(globalPos);
  if (tracking) trackSun(globalPos, simdt);
}

void orlis::moveDeployment(double simdt) {
  if (deployStatus < kStowing) return;
  double step = kRatePerSecond * simdt;
  if (deployStatus == kStowing) {
    if (!(deployState > 0))
      deployStatus = kStowed;
    else
      deployState = std::max(deployState - step, 0.0);
  } else {
    if (!(deployState < 1))
      deployStatus = kDeployed;
    else
      deployState = std::min(deployState + step, 1.0);
  }
  SetAnimation(animDeploy, deployState);
}

void orlis::clbkPostStep(double, double simdt, double) { moveDeployment(simdt); }
