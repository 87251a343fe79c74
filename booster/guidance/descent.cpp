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

#include "booster/larkon.h"

extern const TOUCHDOWNVTX kDeployedPoints[4];

namespace {
constexpr double kPlanetRadius = 6371010.0;  // [m]

double wrapAngle(double a) {
  if (a > PI) a -= PI2;
  if (a < -PI) a += PI2;
  return a;
}

// Braking level for descending at c m/s at height href.
double brakingLevel(double a, double m0, double W, double Dy, double sp, double F) {
  double authority = sp * F;
  if (!(authority > 1e-6)) return 0.0;
  return std::clamp((m0 * a + W - Dy) / authority, 0.0, 1.0);
}
}  // namespace

void larkon::descentStep() {
  double pm = GetPropellantMass(phMain);
  int mode = engineMode;
  if (pm > 20000.0 && engineMode != 1) engineMode = 1;
  if (pm < 20000.0 && engineMode != 2) engineMode = 2;
  if (engineMode != mode) applyEngineMode();

  double W = length(in_.weight());
  const VECTOR3 &g = in_.groundspeedHorizon();
  double sp = std::sin(in_.pitch());
  double hr = in_.groundAltitude();
  VECTOR3 drag_H = _V(0, 0, 0);
  HorizonRot(in_.drag(), drag_H);
  double Dy = drag_H.y;
  double F = GetThrusterMax(thMain[engineMode]);
  double m0 = in_.emptyMass() + GetPropellantMass(phRcs) + pm;

  if (hr > 4000.0 && hr < 15000.0) {
    if (pm > 3000.0 && descentBurnDone == 0) {
      descentCorrectionBurnStep();
    } else {
      SetThrusterLevel(thMain[engineMode], 0.0);
      killAttitudeThrust();
      descentBurnDone = 1;
    }
  } else if (hr < 4000.0) {
    descentBurnDone = 1;
  }
  if (!(hr < 15000.0) || descentBurnDone != 1) return;

  if (hr < 3000.0 && legsState == 0) {
    legsState = 1;
    SetTouchdownPoints(kDeployedPoints, 4);
  }
  if (hr > 40.0)
    landingAttitudeStep();
  else if (hr > 24.5)
    holdVerticalAttitude();

  double q = std::max(pm / 3000.0, 1.0);
  double H1 = 750.0 * q + 100.0, H2 = 200.0 * q - 100.0;
  auto need = [&](double c, double href) { return (g.y + c) * (g.y + c) / (2.0 * (hr - href)); };
  if (hr > H1) {
    double a = need(30.0, H1);
    double amax = (sp * F - W + Dy) / m0;
    double threshold = GetThrusterGroupLevel(THGROUP_MAIN) > 0 ? 0.0 : 0.75 * amax;
    double level = a > threshold ? brakingLevel(a, m0, W, Dy, sp, F) : 0.0;
    SetThrusterGroupLevel(THGROUP_MAIN, g.y > 0 ? 0.0 : level);
  } else if (hr > H2) {
    double level = brakingLevel(need(10.0, H2), m0, W, Dy, sp, F);
    SetThrusterGroupLevel(THGROUP_MAIN, g.y > 0 ? 0.0 : level);
  } else if (hr > 35.0) {
    double level = brakingLevel(need(2.0, 35.0), m0, W, Dy, sp, F);
    SetThrusterGroupLevel(THGROUP_MAIN, Dy < 0 ? 0.0 : level);
  } else if (hr > 25.0) {
    double level = brakingLevel(need(1.0, 25.0), m0, W, Dy, sp, F);
    SetThrusterGroupLevel(THGROUP_MAIN, Dy < 0 ? 0.0 : level);
  } else if (hr > 24.5) {
    double a = g.y > -1.0 ? 0.0 : need(1.0, 24.5);
    double level = brakingLevel(a, m0, W, Dy, sp, F);
    SetThrusterGroupLevel(THGROUP_MAIN, Dy < 0 ? 0.0 : level);
  } else {
    double level = GetThrusterGroupLevel(THGROUP_MAIN) - 0.25 * simDt;
    SetThrusterGroupLevel(THGROUP_MAIN, level);
    if (level < 0) {
      SetThrusterGroupLevel(THGROUP_MAIN, 0.0);
      killAttitudeThrust();
      apDescent = 0;
      autoSequence = 0;
      finsState = 3;
    }
  }
}

void larkon::descentCorrectionBurnStep() {
  OBJHANDLE target = resolveTarget(in_.gravityRef());
  if (!target) {
    descentBurnDone = 1;
    return;
  }
  double M = in_.mass();
  VECTOR3 target_G, target_V, T = _V(0, 0, 0);
  oapiGetGlobalPos(target, &target_G);
  Global2Local(target_G, target_V);
  HorizonRot(target_V, T);
  const VECTOR3 &g = in_.groundspeedHorizon();
  double h = in_.altitude();
  double gr = GGRAV * oapiGetMass(in_.surfaceRef()) / ((h + kPlanetRadius) * (h + kPlanetRadius));
  double t250 = (g.y + std::sqrt(std::max(0.0, g.y * g.y + 2.0 * gr * (h - 250.0)))) / gr;
  double f = (h / 9700.0) * (h / 9700.0);
  if (f > 1) f = 1.0 / f;
  if (f < 0.7) f = 0.7;
  double kd = 735.75 * f;
  double vhor = std::sqrt(g.x * g.x + g.z * g.z);
  double X = (1.0 - std::exp(-kd * t250 / M)) * vhor * M / kd;
  double delta = wrapAngle(std::atan2(g.x, g.z) - std::atan2(T.x, T.z));
  double Dal = std::cos(delta) * std::sqrt(T.x * T.x + T.z * T.z);
  if (Dal > X) {
    descentBurnDone = 1;
    return;
  }
  HorizonInvRot(-g, guidanceVector);
  pointAlongGuidance();
  double len = length(guidanceVector);
  alignCos = len > 0 ? std::clamp(guidanceVector.z / len, -1.0, 1.0) : 1.0;
  SetThrusterLevel(thMain[engineMode], std::acos(alignCos) < 10.0 * RAD && Dal < X ? 1.0 : 0.0);
}
