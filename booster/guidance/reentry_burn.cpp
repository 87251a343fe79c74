// The automatic reentry burn (stage 3, between 100 km and 15 km): fire the centre engine against
// the ground velocity while the stage would still come down beyond the target.
//
// Prediction, with gravity gr = mu / (h + 6,371,010 m)^2 and the present vertical speed gy:
//   fall time to 800 m   t800 = (gy + sqrt(gy^2 + 2 gr (h - 800))) / gr
//   time left to burn    tb = (gy + sqrt(gy^2 + 2 gr (h - 15,800))) / gr, at least 0.1 s
//   horizontal travel with linear drag kd = 981 (22,500 / h)^2 kg/s:
//     X = (1 - exp(-kd t800 / M)) vhor M / kd
//   distance to the target along the track: Dal = cos(heading error) |T_horizontal|
//   demand a = 4.5 (vhor - v_needed) / tb / cos(pitch), v_needed the speed whose X equals Dal;
//   the burn latches on once a exceeds full thrust (a > F / M), and fires at full thrust while
//   the stage points within 5 deg of the thrust direction and still overshoots (Dal < X).
// Above 35 km the thrust direction is the ground velocity turned about the vertical by -10 x the
// heading error (0.05 to 90 deg), swinging the ground track onto the target.
// Frames: T and the ground velocity g in the horizon frame (x east, y up, z north); m, s, N, kg.
// Guard: where tb has no real value (below 15.8 km falling slowly) the demand counts as not
// exceeding full thrust, so only a latch set earlier can fire the engine.
#include <algorithm>
#include <cmath>

#include "booster/larkon.h"

namespace {
constexpr double kPlanetRadius = 6371010.0;  // [m]

double wrapAngle(double a) {
  if (a > PI) a -= PI2;
  if (a < -PI) a += PI2;
  return a;
}
}  // namespace

void larkon::reentryBurnStep() {
  OBJHANDLE target = resolveTarget(in_.gravityRef());
  if (!target) return;
  if (engineMode != 2) {
    engineMode = 2;
    applyEngineMode();
  }
  double M = in_.mass();
  VECTOR3 target_G, target_V, T = _V(0, 0, 0);
  oapiGetGlobalPos(target, &target_G);
  Global2Local(target_G, target_V);
  HorizonRot(target_V, T);
  const VECTOR3 &g = in_.groundspeedHorizon();
  double h = in_.altitude();
  double gr = GGRAV * oapiGetMass(in_.surfaceRef()) / ((h + kPlanetRadius) * (h + kPlanetRadius));
  double t800 = (g.y + std::sqrt(std::max(0.0, g.y * g.y + 2.0 * gr * (h - 800.0)))) / gr;
  double tbDisc = g.y * g.y + 2.0 * gr * (h - 15800.0);
  double tb = std::max((g.y + std::sqrt(std::max(0.0, tbDisc))) / gr, 0.1);
  double kd = 981.0 * (22500.0 / h) * (22500.0 / h);
  double vhor = std::sqrt(g.x * g.x + g.z * g.z);
  double reach = (1.0 - std::exp(-kd * t800 / M)) * M / kd;  // X per unit horizontal speed
  double X = reach * vhor;
  double delta = wrapAngle(std::atan2(g.x, g.z) - std::atan2(T.x, T.z));
  double Dal = std::cos(delta) * std::sqrt(T.x * T.x + T.z * T.z);
  double F = GetThrusterMax(thMain[engineMode]);
  double a = 4.5 * (vhor - Dal / reach) / tb / std::cos(in_.pitch());
  if (tbDisc >= 0 && F > 0 && a / (F / M) > 1.0) reentryBurnOn = 1;

  if (Dal > X) {  // the stage now comes down short of the target: the window closes
    SetThrusterLevel(thMain[engineMode], 0.0);
    below15km = 1;
    return;
  }
  VECTOR3 d = g;
  double absDelta = std::fabs(delta);
  if (reentryBurnOn == 1 && absDelta >= 0.05 * RAD && absDelta <= 90.0 * RAD && h >= 35000.0) {
    double t = -10.0 * delta, c = std::cos(t), s = std::sin(t);
    d = mul(_M(c, 0, -s, 0, 1, 0, s, 0, c), g);
  }
  HorizonInvRot(-d, guidanceVector);
  pointAlongGuidance();
  double len = length(guidanceVector);
  alignCos = len > 0 ? std::clamp(guidanceVector.z / len, -1.0, 1.0) : 1.0;
  if (std::acos(alignCos) < 5.0 * RAD && Dal < X) {
    SetThrusterLevel(thMain[engineMode], reentryBurnOn);
    reentryBurnShown = reentryBurnOn;
  } else {
    SetThrusterLevel(thMain[engineMode], 0.0);
  }
  apReentryAttitude = 0;
}
