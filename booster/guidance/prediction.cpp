// The guidance's predictions (see prediction.h for the maths, frames and units).
#include "booster/guidance/prediction.h"

#include <algorithm>
#include <cmath>

namespace booster {

namespace {
constexpr double kReentryDrag = 981.0;          // [kg/s] reentry drag rate at its reference height
constexpr double kReentryDragHeight = 22500.0;  // [m]
constexpr double kCorrectionDrag = 735.75;      // [kg/s] correction drag rate at its peak
constexpr double kCorrectionDragPeak = 9700.0;  // [m]
constexpr double kCorrectionDragFloor = 0.7;    // the least fraction of the peak rate
}  // namespace

double wrapAngle(double a) {
  if (a > PI) a -= PI2;
  if (a < -PI) a += PI2;
  return a;
}

VECTOR3 targetInHorizon(const VESSEL &v, OBJHANDLE target) {
  VECTOR3 target_G, target_V, target_H = _V(0, 0, 0);
  oapiGetGlobalPos(target, &target_G);
  v.Global2Local(target_G, target_V);
  v.HorizonRot(target_V, target_H);
  return target_H;
}

double horizontalLength(const VECTOR3 &v_H) { return std::sqrt(v_H.x * v_H.x + v_H.z * v_H.z); }

TrackToTarget trackToTarget(const VECTOR3 &ground_H, const VECTOR3 &target_H) {
  double delta = wrapAngle(std::atan2(ground_H.x, ground_H.z) - std::atan2(target_H.x, target_H.z));
  return {delta, std::cos(delta) * horizontalLength(target_H)};
}

FallView viewFall(const VESSEL &v, StepInputs &in, OBJHANDLE target) {
  FallView f;
  f.mass = in.mass();
  f.target_H = targetInHorizon(v, target);
  f.ground_H = in.groundspeedHorizon();
  f.altitude = in.altitude();
  f.gravity = gravityAt(GGRAV * oapiGetMass(in.surfaceRef()), f.altitude);
  return f;
}

double gravityAt(double mu, double h) { return mu / ((h + kPlanetRadius) * (h + kPlanetRadius)); }

double fallDiscriminant(double gy, double gr, double h, double floor) {
  return gy * gy + 2.0 * gr * (h - floor);
}

double fallTime(double gy, double gr, double h, double floor) {
  return (gy + std::sqrt(std::max(0.0, fallDiscriminant(gy, gr, h, floor)))) / gr;
}

double dragReach(double kd, double t, double M) { return (1.0 - std::exp(-kd * t / M)) * M / kd; }

double reentryDragRate(double h) {
  return kReentryDrag * (kReentryDragHeight / h) * (kReentryDragHeight / h);
}

double correctionDragRate(double h) {
  double f = (h / kCorrectionDragPeak) * (h / kCorrectionDragPeak);
  if (f > 1) f = 1.0 / f;
  if (f < kCorrectionDragFloor) f = kCorrectionDragFloor;
  return kCorrectionDrag * f;
}

double angleFromPlusZ(const VECTOR3 &v) {
  double len = length(v);
  return std::acos(len > 0 ? std::clamp(v.z / len, -1.0, 1.0) : 1.0);
}

}  // namespace booster
