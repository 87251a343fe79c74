// The automatic reentry burn (stage 3, between 100 km and 15 km): fire the centre engine against
// the ground velocity while the stage would still come down beyond the target.
//
// Prediction (prediction.h), with gravity gr = mu / (h + 6,371,010 m)^2 and the vertical speed gy:
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

#include "booster/guidance/prediction.h"
#include "booster/larkon.h"

namespace {
constexpr double kLeastBurnTime = 0.1;  // [s]
constexpr double kDemandGain = 4.5;
constexpr double kHeadingCorrectionFloor = 35000.0;  // [m]
const double kHeadingCorrectionFrom = 0.05 * RAD;
const double kHeadingCorrectionTo = 90.0 * RAD;
constexpr double kHeadingCorrectionGain = -10.0;
const double kFiringPointingError = 5.0 * RAD;
}  // namespace

void larkon::reentryBurnStep() {
  using namespace booster;
  OBJHANDLE target = resolveTarget(in_.gravityRef());
  if (!target) return;
  if (engineMode != kEngineCentre) {
    engineMode = kEngineCentre;
    applyEngineMode();
  }
  FallView f = viewFall(*this, in_, target);
  const VECTOR3 &g = f.ground_H;
  double M = f.mass, h = f.altitude;
  double t800 = fallTime(g.y, f.gravity, h, kReentryAimHeight);
  bool burnTimeIsReal = fallDiscriminant(g.y, f.gravity, h, kReentryBurnEndHeight) >= 0;
  double tb = std::max(fallTime(g.y, f.gravity, h, kReentryBurnEndHeight), kLeastBurnTime);
  double vhor = horizontalLength(g);
  double reach = dragReach(reentryDragRate(h), t800, M);  // X per unit horizontal speed
  double X = reach * vhor;
  TrackToTarget track = trackToTarget(g, f.target_H);
  double delta = track.headingError, Dal = track.alongTrack;
  double F = GetThrusterMax(thMain[engineMode]);
  double a = kDemandGain * (vhor - Dal / reach) / tb / std::cos(in_.pitch());
  if (burnTimeIsReal && F > 0 && a / (F / M) > 1.0) reentryBurnOn = 1;

  if (Dal > X) {  // the stage now comes down short of the target: the window closes
    SetThrusterLevel(thMain[engineMode], 0.0);
    below15km = 1;
    return;
  }
  VECTOR3 d = g;
  double absDelta = std::fabs(delta);
  if (reentryBurnOn == 1 && absDelta >= kHeadingCorrectionFrom &&
      absDelta <= kHeadingCorrectionTo && h >= kHeadingCorrectionFloor) {
    double t = kHeadingCorrectionGain * delta, c = std::cos(t), s = std::sin(t);
    d = mul(_M(c, 0, -s, 0, 1, 0, s, 0, c), g);
  }
  HorizonInvRot(-d, guidanceVector);
  pointAlongGuidance();
  if (angleFromPlusZ(guidanceVector) < kFiringPointingError && Dal < X) {
    SetThrusterLevel(thMain[engineMode], reentryBurnOn);
    reentryBurnShown = reentryBurnOn;
  } else {
    SetThrusterLevel(thMain[engineMode], 0.0);
  }
  apReentryAttitude = 0;
}
