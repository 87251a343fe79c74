// The descent and landing autopilot, from 15 km down onto the legs.
//
// Engines: three above 20 t of main propellant, the centre engine below. Between 15 km and 4 km
// (height above the ground) a correction burn removes the remaining overshoot (the reentry
// burn's scheme with a drag model peaking at 9.7 km and the prediction down to 250 m). Below
// 3 km the legs come down; the landing attitude guidance steers above 40 m, the vertical hold
// from 40 m to 24.5 m. The throttle follows braking targets: with q = max(pm / 3000 kg, 1),
//   above H1 = 750 q + 100 m: 30 m/s at H1 (lit only once the need exceeds 0.75 of full thrust)
//   above H2 = 200 q - 100 m: 10 m/s at H2;  above 35 m: 2 m/s at 35 m;  above 25 m: 1 m/s at 25 m
//   above 24.5 m: 1 m/s at 24.5 m (no deceleration while already slower than 1 m/s)
//   braking law: a = (gy + c)^2 / (2 (hr - Href)), level = (m0 a + W - Dy) / (sin(pitch) F)
// and below 24.5 m (the legs' feet lie 24 m below the origin) it runs down at 0.25 per second;
// then the autopilot, the sequence and the fins fold away. Units: m, m/s, kg, N.
// Guards: a stage lying near the horizontal (sin(pitch) F near zero) gets no braking command.
#include <algorithm>
#include <cmath>

#include "booster/guidance/prediction.h"
#include "booster/larkon.h"

extern const TOUCHDOWNVTX kDeployedPoints[4];

namespace booster {

// The quantities the descent reads at the start of each step.
struct DescentReading {
  double pm;  // [kg] main propellant
  double W;   // [N] weight
  VECTOR3 g;  // [m/s] ground velocity, horizon frame
  double sp;  // sin(pitch)
  double hr;  // [m] height above the ground
  double Dy;  // [N] vertical drag, positive up
  double F;   // [N] full thrust of the selected main thruster
  double m0;  // [kg] mass: empty, RCS and main propellant
};

}  // namespace booster

namespace {

using booster::DescentReading;

constexpr double kPropellantPerGate = 3000.0;  // [kg] q = max(pm / 3000 kg, 1)
constexpr double kIgnitionMargin = 0.75;       // of the deceleration full thrust gives
constexpr double kRunDownRate = 0.25;          // [1/s] of the main level on the legs
const double kCorrectionPointingError = 10.0 * RAD;

// Braking level for the deceleration a.
double brakingLevel(double a, const DescentReading &r) {
  double authority = r.sp * r.F;
  if (!(authority > 1e-6)) return 0.0;
  return std::clamp((r.m0 * a + r.W - r.Dy) / authority, 0.0, 1.0);
}

// [m/s^2] the deceleration that brings the descent to c m/s at the height href.
double neededDeceleration(const DescentReading &r, double c, double href) {
  return (r.g.y + c) * (r.g.y + c) / (2.0 * (r.hr - href));
}

}  // namespace

void larkon::chooseDescentEngines(double pm) {
  int mode = engineMode;
  if (pm > booster::kCentreEngineBelow && engineMode != kEnginesThree) engineMode = kEnginesThree;
  if (pm < booster::kCentreEngineBelow && engineMode != kEngineCentre) engineMode = kEngineCentre;
  if (engineMode != mode) applyEngineMode();
}

void larkon::descentStep() {
  using booster::kCorrectionBurnFloor;
  using booster::kDescentHeight;
  DescentReading r;
  r.pm = GetPropellantMass(phMain);
  chooseDescentEngines(r.pm);
  r.W = length(in_.weight());
  r.g = in_.groundspeedHorizon();
  r.sp = std::sin(in_.pitch());
  r.hr = in_.groundAltitude();
  VECTOR3 drag_H = _V(0, 0, 0);
  HorizonRot(in_.drag(), drag_H);
  r.Dy = drag_H.y;
  r.F = GetThrusterMax(thMain[engineMode]);
  r.m0 = in_.emptyMass() + GetPropellantMass(phRcs) + r.pm;

  if (r.hr > kCorrectionBurnFloor && r.hr < kDescentHeight) {
    if (r.pm > booster::kCorrectionMinPropellant && descentBurnDone == 0) {
      descentCorrectionBurnStep();
    } else {
      SetThrusterLevel(thMain[engineMode], 0.0);
      killAttitudeThrust();
      descentBurnDone = 1;
    }
  } else if (r.hr < kCorrectionBurnFloor) {
    descentBurnDone = 1;
  }
  if (r.hr < kDescentHeight && descentBurnDone == 1) descentLandingPhase(r);
}

void larkon::descentLandingPhase(const DescentReading &r) {
  double hr = r.hr;
  if (hr < booster::kLegsDownHeight && legsState == kLegsStowed) {
    legsState = kLegsDeploying;
    SetTouchdownPoints(kDeployedPoints, 4);
  }
  if (hr > booster::kLandingAttitudeFloor)
    landingAttitudeStep();
  else if (hr > booster::kTouchdownHeight)
    holdVerticalAttitude();

  double q = std::max(r.pm / kPropellantPerGate, 1.0);
  double H1 = 750.0 * q + 100.0, H2 = 200.0 * q - 100.0;
  auto braking = [&](double c, double href) {
    return brakingLevel(neededDeceleration(r, c, href), r);
  };
  if (hr > H1) {
    double a = neededDeceleration(r, 30.0, H1);
    double amax = (r.sp * r.F - r.W + r.Dy) / r.m0;
    double threshold = GetThrusterGroupLevel(THGROUP_MAIN) > 0 ? 0.0 : kIgnitionMargin * amax;
    double level = a > threshold ? brakingLevel(a, r) : 0.0;
    SetThrusterGroupLevel(THGROUP_MAIN, r.g.y > 0 ? 0.0 : level);
  } else if (hr > H2) {
    SetThrusterGroupLevel(THGROUP_MAIN, r.g.y > 0 ? 0.0 : braking(10.0, H2));
  } else if (hr > 35.0) {
    SetThrusterGroupLevel(THGROUP_MAIN, r.Dy < 0 ? 0.0 : braking(2.0, 35.0));
  } else if (hr > 25.0) {
    SetThrusterGroupLevel(THGROUP_MAIN, r.Dy < 0 ? 0.0 : braking(1.0, 25.0));
  } else if (hr > booster::kTouchdownHeight) {
    double a = r.g.y > -1.0 ? 0.0 : neededDeceleration(r, 1.0, booster::kTouchdownHeight);
    SetThrusterGroupLevel(THGROUP_MAIN, r.Dy < 0 ? 0.0 : brakingLevel(a, r));
  } else {
    double level = GetThrusterGroupLevel(THGROUP_MAIN) - kRunDownRate * simDt;
    SetThrusterGroupLevel(THGROUP_MAIN, level);
    if (level < 0) {
      SetThrusterGroupLevel(THGROUP_MAIN, 0.0);
      killAttitudeThrust();
      apDescent = 0;
      autoSequence = kSequenceOff;
      finsState = kFinsFolding;
    }
  }
}

void larkon::descentCorrectionBurnStep() {
  using namespace booster;
  OBJHANDLE target = resolveTarget(in_.gravityRef());
  if (!target) {
    descentBurnDone = 1;
    return;
  }
  FallView f = viewFall(*this, in_, target);
  double t250 = fallTime(f.ground_H.y, f.gravity, f.altitude, kCorrectionAimHeight);
  double X = dragReach(correctionDragRate(f.altitude), t250, f.mass) * horizontalLength(f.ground_H);
  double Dal = trackToTarget(f.ground_H, f.target_H).alongTrack;
  if (Dal > X) {
    descentBurnDone = 1;
    return;
  }
  HorizonInvRot(-f.ground_H, guidanceVector);
  pointAlongGuidance();
  bool aligned = angleFromPlusZ(guidanceVector) < kCorrectionPointingError;
  SetThrusterLevel(thMain[engineMode], aligned && Dal < X ? 1.0 : 0.0);
}
