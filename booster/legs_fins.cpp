// Landing legs and grid fins over time: the leg swing with its strut kinematics and touchdown
// points, the fin unfold with its control surfaces, and the fins' steering deflections.
//
// Strut kinematics, in the leg's own plane (x across, z along the leg, origin at the hinge):
//   theta = 120 deg x swing state; the strut's leg-side end P = R(theta) (0.41, 0, 8.405), its
//   body anchor S = (0.41, 0, 3.252); D = P - S, D0 = (0, 0, 5.153);
//   telescoping = (|D| - |D0|) / 5.08, strut swing = angle(D, D0) / 139.5 deg, both in [0, 1].
// Fin steering from the attitude group levels: pitch = up - down, yaw = right - left,
//   k = min(1, 40 |(yaw, pitch)|) with the engine-steering set or 80 |...| with the RCS,
//   phi = atan2(pitch, yaw) + 45 deg, targets A = 0.5 + 0.5 k sin(phi), B = 0.5 + 0.5 k cos(phi),
//   approached at 0.5 per second. Control surfaces: the levels themselves while the main engine
//   burns, 0.1 min(alt / 200 km + 0.5, 1) of them while it does not; while the precision law
//   steers the unpowered fall, as much as gives the fins twice the RCS's torque (36.92 m x 1 kN):
//   a fin of 2 m^2 and lift slope 1.5 at 20 m gives 60 q Nm per unit level, so the scale is
//   min(1, 73,840 / (60 q)).
#include <algorithm>
#include <cmath>

#include "booster/larkon.h"

extern const TOUCHDOWNVTX kDeployedPoints[4];

namespace {

constexpr double kLegRate = 0.1;  // [1/s] a full swing in 10 s
constexpr double kFinRate = 0.5;  // [1/s] a full unfold in 2 s; also the deflection slew rate
constexpr double kStrutExtension = 5.08;  // [m] at telescoping state 1
constexpr double kStrutAngleDeg = 139.5;
constexpr double kRcsFinTorque = 2.0 * 36920.0;  // [N m] twice the RCS's pitch or yaw torque
constexpr double kFinTorquePerLevel = 60.0;  // [N m / Pa] of one fin surface at level 1

// Moves state towards target by at most r.
void slew(double &state, double target, double r) {
  if (std::fabs(target - state) < r)
    state = target;
  else if (state > target)
    state -= r;
  else if (state < target)
    state += r;
}

}  // namespace

void larkon::moveLegs(double simdt) {
  if (legsState < kLegsDeploying) return;
  double d = kLegRate * simdt;
  double &swing = legsAnimState[0];
  if (legsState == kLegsDeploying) {
    swing += d;
    if (swing > 1) {
      swing = 1;
      legsState = kLegsDeployed;
      SetTouchdownPoints(kDeployedPoints, 4);
    }
    SetAnimation(animLegs, swing);
  } else if (legsState == kLegsDeployed) {
    SetAnimation(animLegs, 1.0);
  } else if (legsState == kLegsRetracting) {
    swing -= d;
    if (swing < 0) {
      swing = 0;
      legsState = kLegsStowed;
    }
    SetAnimation(animLegs, swing);
  }
  if (legsState < kLegsDeploying) return;
  double theta = 120.0 * RAD * swing;
  VECTOR3 P = _V(8.405 * std::sin(theta) + 0.41 * std::cos(theta), 0, 8.405 * std::cos(theta) - 0.41 * std::sin(theta));
  VECTOR3 D = P - _V(0.41, 0, 3.252);
  const double L0 = 5.153;
  double len = length(D);
  legsAnimState[2] = std::clamp((len - L0) / kStrutExtension, 0.0, 1.0);
  double cosAngle = len > 0 ? std::clamp(D.z / len, -1.0, 1.0) : 1.0;  // D0 points along +z
  legsAnimState[1] = std::clamp(std::acos(cosAngle) * DEG / kStrutAngleDeg, 0.0, 1.0);
  if (swing == 1.0) legsAnimState[1] = legsAnimState[2] = 1.0;
  SetAnimation(animLegStruts, legsAnimState[1]);
  SetAnimation(animLegExtend, legsAnimState[2]);
}

bool larkon::precisionSteersFall() const {
  return landingLaw == kLawPrecision &&
         (apDescent == 1 || (autoSequence == kSequenceReentry && below15km == 1 && apReentryAttitude == 1));
}

double larkon::finSteeringScale(double q) const {
  return q > kRcsFinTorque / kFinTorquePerLevel ? kRcsFinTorque / (kFinTorquePerLevel * q) : 1.0;
}

void larkon::createFinSurfaces() {
  csFinElevator = CreateControlSurface3(AIRCTRL_ELEVATOR, 2.0, 1.5, _V(0, 0, 20), AIRCTRL_AXIS_XPOS, 0.5, (UINT)-1);
  csFinRudder = CreateControlSurface3(AIRCTRL_RUDDER, 2.0, 1.5, _V(0, 0, 20), AIRCTRL_AXIS_YPOS, 0.5, (UINT)-1);
}

void larkon::moveFins(double simdt) {
  double &unfold = finsAnimState[0];
  switch (finsState) {
    case kFinsUnfolding:
      unfold += kFinRate * simdt;
      if (unfold > 1) {
        unfold = 1;
        finsState = kFinsDeployed;
        createFinSurfaces();
      }
      SetAnimation(animFinsDeploy, unfold);
      break;
    case kFinsDeployed:
      SetAnimation(animFinsDeploy, unfold);
      break;
    case kFinsFolding:
      if (unfold == 1.0) ClearControlSurfaceDefinitions();  // the first step of stowing
      unfold -= kFinRate * simdt;
      if (unfold < 0) {
        unfold = 0;
        finsState = kFinsStowed;
      }
      SetAnimation(animFinsDeploy, unfold);
      break;
    default:
      break;
  }
}

void larkon::steerFins(double alt, double simdt) {
  if (finsState < kFinsDeployed) return;
  double up = GetThrusterGroupLevel(THGROUP_ATT_PITCHUP), down = GetThrusterGroupLevel(THGROUP_ATT_PITCHDOWN);
  double right = GetThrusterGroupLevel(THGROUP_ATT_YAWRIGHT), left = GetThrusterGroupLevel(THGROUP_ATT_YAWLEFT);
  double pitch = up - down, yaw = right - left;
  if (finsState == kFinsDeployed) {
    double scale = attitudeSet == 1 ? 0.1 * std::min(alt / 200000.0 + 0.5, 1.0) : 1.0;
    if (attitudeSet == 1 && precisionSteersFall()) scale = finSteeringScale(in_.dynPressure());
    SetControlSurfaceLevel(AIRCTRL_ELEVATOR, scale * pitch);
    SetControlSurfaceLevel(AIRCTRL_RUDDER, scale * yaw);
  }
  double targetA = 0.5, targetB = 0.5;
  bool commanded = up + down + right + left != 0;
  bool hold = commanded && pitch == 0 && yaw == 0;  // opposite groups cancel: no direction to turn to
  if (commanded && finsState != kFinsFolding && !hold) {
    double k = std::min((attitudeSet == 1 ? 80.0 : 40.0) * std::sqrt(yaw * yaw + pitch * pitch), 1.0);
    double phi = std::atan2(pitch, yaw) + 45.0 * RAD;
    targetA = 0.5 + 0.5 * k * std::sin(phi);
    targetB = 0.5 + 0.5 * k * std::cos(phi);
  }
  if (!hold || finsState == kFinsFolding) {
    double r = kFinRate * simdt;
    slew(finsAnimState[1], targetA, r);
    slew(finsAnimState[2], targetB, r);
  }
  SetAnimation(animFinsDeflectA, finsAnimState[1]);
  SetAnimation(animFinsDeflectB, finsAnimState[2]);
}
