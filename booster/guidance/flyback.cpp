// Flyback guidance: burn until the stage is on a ballistic path that ends above the target.
//
// Two solutions, both aiming at a point at height H above the target, carried east by the
// planet's rotation over the predicted flight time t (longitude + 2 pi t / 86164 s):
//  - transfer: the minimum-energy ellipse from the stage's position R to the aim point A
//      r1 = |R|, r2 = |A|, c = |R - A|, s = (r1 + r2 + c) / 2, d = r1 - r2
//      speed vE = sqrt(2 mu (s - r1) / (r1 s)), path angle phi = atan(sqrt((s - c)(c - d) / (s (c + d))))
//      flight time sqrt(s c (s - c) / 2 mu) (1 + s atan(sqrt(c / (s - c))) / sqrt(c (s - c)))
//      plus an allowance against gravity loss: 0.75 tb (-av) along the vertical, tb the burn time
//  - falling (while the stage descends): keep the vertical speed, fall to the aim height under the
//      net radial acceleration av = vh^2 / r - mu / r^2, and fly the angle to go in that time.
// The velocity still missing, in vessel axes, steers +z (pointAlongGuidance) and sets the throttle;
// the flight ends once less than 8 m/s (4 m/s along +z) is missing.
// Frames: R, A, V global axes relative to the surface reference; m, m/s, s, rad.
// Guards: a solution with no real value (a negative square root, a degenerate transfer plane, a
// fall that never reaches the aim height) gives no command: the falling step then hands over to
// the transfer step, the transfer step leaves last step's commands in force.
#include <algorithm>
#include <cmath>

#include "booster/guidance/flyback_geometry.h"
#include "booster/guidance/prediction.h"
#include "booster/larkon.h"

namespace {

using booster::kPlanetRadius;

// Unit vector of v, false if v has no length (or is not finite).
bool unitOf(const VECTOR3 &v, VECTOR3 &out) {
  double l = length(v);
  if (!(l > 1e-12) || !std::isfinite(l)) return false;
  out = v / l;
  return true;
}

}  // namespace

namespace booster {

bool FlybackFrame::read(larkon &b, StepInputs &in, OBJHANDLE target) {
  ref = in.surfaceRef();
  mu = GGRAV * oapiGetMass(ref);
  b.GetRelativeVel(ref, vrel);
  b.GetRelativePos(ref, rpos);
  g = in.groundspeedHorizon();
  h = in.altitude();
  double r = h + kPlanetRadius;
  double vh = std::sqrt(std::max(0.0, length2(vrel) - g.y * g.y));
  av = vh * vh / r - gravityAt(mu, h);
  if (oapiGetObjectType(target) == OBJTP_VESSEL) {
    if (!oapiGetEquPos(target, &lng, &lat, &rad)) return false;
  } else {
    oapiGetBaseEquPos(target, &lng, &lat, &rad);
  }
  return mu > 0 && std::isfinite(av);
}

VECTOR3 FlybackFrame::aimPoint(double flightTime, double height) const {
  double aimLng = lng + flightTime * PI2 / kSiderealDay;
  if (aimLng > PI2) aimLng -= PI2;  // once; a negative longitude stays as it is
  VECTOR3 aim_G, ref_G;
  oapiEquToGlobal(ref, aimLng, lat, rad + height, &aim_G);
  oapiGetGlobalPos(ref, &ref_G);
  return aim_G - ref_G;
}

}  // namespace booster

// Throttle law and end test shared by both solutions (dv in vessel axes).
void larkon::flybackThrottle(const VECTOR3 &dv, double alpha, double demand) {
  double level;
  if (std::fabs(std::tan(alpha) * requiredDv) < 25.0 && dv.z > 4.0) {
    level = demand;
  } else if (std::fabs(alpha) < 90.0 * RAD) {
    engineMode = kEngineCentre;  // the centre engine steers while the stage turns
    applyEngineMode();
    level = 0.7;
  } else {
    level = 0.0;
  }
  SetThrusterGroupLevel(THGROUP_MAIN, level);
  if (std::fabs(dv.z) < 4.0 && length(dv) < 8.0) {
    killAttitudeThrust();
    SetThrusterGroupLevel(THGROUP_MAIN, 0.0);
    if (autoSequence == kSequenceFlyback) autoSequence = kSequenceReentry;
    ActivateNavmode(NAVMODE_KILLROT);
    apFlyback = kFlybackOff;
  }
}

void larkon::flybackTransferStep() {
  if (engineMode != kEnginesThree) {
    engineMode = kEnginesThree;
    applyEngineMode();
  }
  const VECTOR3 &g = in_.groundspeedHorizon();
  double M = in_.mass(), Md = in_.emptyMass() + GetPropellantMass(phRcs);
  double psi = std::atan2(g.x, g.z);
  double rho = std::max((Md / M) * (Md / M), 0.4);
  double k = std::clamp((M - Md) / 10000.0 + 0.8, 1.0, 3.0);
  double H = (5750.0 + 4020.0 * rho - 2000.0 * std::sin(psi) + 15000.0 * std::sin(65.0 * RAD - transferArrivalAngle)) * k;

  OBJHANDLE target = resolveTarget(in_.surfaceRef());
  if (!target) {
    apFlyback = kFlybackOff;
    return;
  }
  DeactivateNavmode(NAVMODE_KILLROT);
  booster::FlybackFrame f;
  if (!f.read(*this, in_, target)) return;
  VECTOR3 aim = f.aimPoint(flybackFlightTime, H);

  double r1 = length(f.rpos), r2 = length(aim), c = length(f.rpos - aim);
  double s = (r1 + r2 + c) / 2.0, d = r1 - r2;
  double vE = std::sqrt(std::max(0.0, 2.0 * f.mu * (s - r1) / (r1 * s)));
  double ratio = (s - c) * (c - d) / (s * (c + d));
  double phi = std::atan(std::sqrt(std::max(0.0, ratio)));
  double vt = vE * std::cos(phi), vr = vE * std::sin(phi);
  double time = std::sqrt(s * c * (s - c) / (2.0 * f.mu)) * (1.0 + s * std::atan(std::sqrt(c / (s - c))) / std::sqrt(c * (s - c)));
  VECTOR3 rhat, ahat, nhat, that;
  if (!unitOf(f.rpos, rhat) || !unitOf(aim, ahat) || !unitOf(crossp(ahat, rhat), nhat) ||
      !unitOf(crossp(rhat, nhat), that) || !std::isfinite(ratio) || !std::isfinite(time))
    return;  // a degenerate transfer (the aim point straight above or at the stage)
  flybackFlightTime = time;
  VECTOR3 vreq = that * vt + rhat * vr;
  transferArrivalAngle = std::atan2(std::fabs(vr) + std::sqrt(std::max(0.0, -2.0 * f.av * f.h)), std::fabs(vt));

  VECTOR3 dV = vreq - f.vrel;
  THRUSTER_HANDLE th = thMain[engineMode];
  double isp = GetThrusterIsp(th), F = GetThrusterMax(th);
  if (isp > 0 && F > 0) {
    double propellant = M * (1.0 - std::exp(-length(dV) / isp));
    double burnTime = propellant / (F / isp);
    dV += rhat * std::max(0.0, -0.75 * burnTime * f.av);
  }
  VECTOR3 dv;
  Global2Local(in_.globalPos() + dV, dv);
  requiredDv = length(dv);
  guidanceVector = dv;
  pointAlongGuidance();
  double alpha = booster::angleFromPlusZ(dv);
  double cosAlpha = std::cos(alpha);
  double demand = (cosAlpha > 0 && F > 0 && simDt > 0) ? std::clamp(dv.z / (cosAlpha * simDt * F / M), 0.0, 1.0) : 0.0;
  flybackThrottle(dv, alpha, demand);
}

void larkon::flybackFallStep() {
  if (apFlyback == kFlybackOff) return;
  if (engineMode != kEnginesThree) {
    engineMode = kEnginesThree;
    applyEngineMode();
  }
  OBJHANDLE target = resolveTarget(in_.surfaceRef());
  if (!target) {
    apFlyback = kFlybackOff;
    return;
  }
  DeactivateNavmode(NAVMODE_KILLROT);
  const VECTOR3 &g = in_.groundspeedHorizon();
  if (g.y > 0) {  // still climbing: the transfer solution flies this flight
    apFlyback = kFlybackTransferOnly;
    return;
  }
  double M = in_.mass(), Md = in_.emptyMass() + GetPropellantMass(phRcs);
  double psi = std::atan2(g.x, g.z);
  double H2 = 7500.0 * (Md / M) * (1.0 + std::cos(fallArrivalAngle)) - 3000.0 * std::sin(psi);
  booster::FlybackFrame f;
  if (!f.read(*this, in_, target)) return;
  double disc = g.y * g.y - 2.0 * f.av * (f.h - H2);
  double tf = (-g.y - std::sqrt(disc)) / f.av;
  if (!(disc >= 0) || !(f.av != 0) || !(tf > 0) || !std::isfinite(tf)) {
    apFlyback = kFlybackTransferOnly;  // no real falling solution: not cheaper than the transfer
    return;
  }
  VECTOR3 aim = f.aimPoint(tf, H2);
  VECTOR3 ahat, rhat, nhat, that;
  if (!unitOf(aim, ahat) || !unitOf(f.rpos, rhat) || !unitOf(crossp(ahat, rhat), nhat) ||
      !unitOf(crossp(rhat, nhat), that)) {
    apFlyback = kFlybackTransferOnly;
    return;
  }
  double theta = std::acos(std::clamp(dotp(rhat, ahat), -1.0, 1.0));
  double vt = ((f.h + H2) / 2.0 + kPlanetRadius) * theta / tf;
  VECTOR3 vreq = that * vt + rhat * g.y;
  fallArrivalAngle = std::atan2(std::fabs(g.y) + std::sqrt(std::max(0.0, -2.0 * f.av * (f.h - H2))), std::fabs(vt));
  VECTOR3 dv;
  Global2Local(in_.globalPos() + (vreq - f.vrel), dv);
  double missing = length(dv);
  if (missing > requiredDv) {  // the transfer step's command stands; a tie keeps this solution
    apFlyback = kFlybackTransferOnly;
    return;
  }
  requiredDv = missing;
  guidanceVector = dv;
  pointAlongGuidance();
  double alpha = booster::angleFromPlusZ(dv);
  THRUSTER_HANDLE th = thMain[engineMode];
  double F = GetThrusterMax(th);
  double demand = (F > 0 && simDt > 0) ? std::clamp(dv.z / (simDt * F / M), 0.0, 1.0) : 0.0;
  flybackThrottle(dv, alpha, demand);
}
