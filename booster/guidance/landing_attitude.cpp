// Landing attitude guidance (above 40 m in the descent): where the thrust axis +z points.
//
// Directions in the horizon frame (x east, y up, z north); T = the target relative to the stage,
// g the ground velocity, h the altitude:
//   unpowered aim B = unit(Tx, -0.666 h, Tz): low over the target
//   powered aim   A = unit(Tx, 50 - h/3, Tz): 2h/3 + 50 m above the target's level
// Engine off: above 2 km turn g about B x g by -2 acos(B.g)(1 + w/40), limited to +-10 deg
// (towards B); below 2 km stand upright. Engine on: above 300 m turn g about A x g by
// 0.75 acos(A.g) (away from A, so thrusting against it bends the path towards A); below 300 m
// turn g away from the vertical by -0.01 x 0.8 vhor x (angle from straight down) to brake the
// horizontal speed; then lean into the wind by 30 (above 300 m) or 20 deg x w^2 / 1000. The thrust
// axis points against the result: guidanceVector = the vessel-frame image of -d.
// Rotations: R(n, t) = cos t I + sin t [n]x + (1 - cos t) n n^T. A rotation whose axis is
// undefined (parallel vectors, no motion) is skipped.
#include <algorithm>
#include <cmath>

#include "booster/guidance/prediction.h"
#include "booster/larkon.h"

namespace {
using booster::kPlanetRadius;

// unit(v), or fallback when v has no length.
VECTOR3 unitOr(const VECTOR3 &v, const VECTOR3 &fallback) {
  double l = length(v);
  return l > 0 ? v / l : fallback;
}

// v turned about the axis unit(axis) by angle; v unchanged if the axis has no direction.
VECTOR3 turned(const VECTOR3 &v, const VECTOR3 &axis, double angle) {
  double l = length(axis);
  if (!(l > 1e-9) || angle == 0) return v;
  return mul(rotm(axis / l, angle), v);
}
}  // namespace

void larkon::landingAttitudeStep() {
  OBJHANDLE target = resolveTarget(in_.gravityRef());
  if (!target) {
    holdReentryAttitude();
    return;
  }
  double lng = 0, lat = 0, rad = kPlanetRadius, windSpeed = 0;
  oapiGetEquPos(GetHandle(), &lng, &lat, &rad);
  VECTOR3 W = oapiGetWindVector(in_.surfaceRef(), lng, lat, rad - kPlanetRadius, 0, &windSpeed);
  if (length(W) == 0) W = _V(0, 1e-5, 0);
  double h = in_.altitude();
  VECTOR3 T = booster::targetInHorizon(*this, target);
  const VECTOR3 &g = in_.groundspeedHorizon();
  double speed = length(g);
  VECTOR3 d;
  if (!(speed > 0)) {
    d = _V(0, -1, 0);  // no motion to steer against: stand upright
  } else {
    VECTOR3 gu = g / speed;
    double vhor = booster::horizontalLength(g);
    VECTOR3 A = unitOr(_V(T.x, 50.0 - h / 3.0, T.z), _V(0, -1, 0));
    VECTOR3 B = unitOr(_V(T.x, -0.666 * h, T.z), _V(0, -1, 0));
    double fromDown = std::acos(std::clamp(-gu.y, -1.0, 1.0));
    if (GetThrusterGroupLevel(THGROUP_MAIN) == 0) {
      if (h >= 2000.0) {
        double t = -2.0 * std::acos(std::clamp(dotp(B, gu), -1.0, 1.0)) * (1.0 + windSpeed / 40.0);
        d = turned(g, crossp(B, gu), std::clamp(t, -10.0 * RAD, 10.0 * RAD));
      } else {
        d = _V(0, -1, 0);
      }
    } else {
      VECTOR3 d1;
      if (h >= 300.0)
        d1 = turned(g, crossp(A, gu), 0.75 * std::acos(std::clamp(dotp(A, gu), -1.0, 1.0)));
      else
        d1 = turned(g, crossp(gu, _V(0, -1, 0)), -0.01 * 0.8 * vhor * fromDown);
      double lean = (h >= 300.0 ? 30.0 : 20.0) * RAD * windSpeed * windSpeed / 1000.0;
      d = turned(d1, crossp(d1, W), lean);
    }
  }
  HorizonInvRot(-d, guidanceVector);
  pointAlongGuidance();
}
