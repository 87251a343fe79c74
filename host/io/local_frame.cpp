// The replay's east-north-up frame (see local_frame.h).
#include "io/local_frame.h"

#include "vessel/vessel.h"
#include "world/body.h"

namespace sim {
LocalFrame localFrameAt(const CelestialBody &body, double lng, double lat, double radius) {
  LocalFrame f;
  f.body = &body;
  f.lng = lng, f.lat = lat, f.radius = radius;
  f.origin_P = equToLocalDir(lng, lat) * radius;
  MATRIX3 H = localToHorizon(lng, lat);  // rows east, up, north: reordered to east, north, up
  f.R_EP = _M(H.m11, H.m12, H.m13, H.m31, H.m32, H.m33, H.m21, H.m22, H.m23);
  return f;
}

VECTOR3 enuPosition(const LocalFrame &f, const Vessel &v) {
  const BodyKinematics &k = f.body->now();
  VECTOR3 pos_P = tmul(k.R_GP, v.globalPos() - k.pos);
  return mul(f.R_EP, pos_P - f.origin_P);
}

Quat enuAttitude(const LocalFrame &f, const Vessel &v) {
  // R_EV S: the rows are already ENU; swapping columns 2 and 3 takes replay-vessel vectors in.
  MATRIX3 R_EV = mul(f.R_EP, mul(transp(f.body->now().R_GP), v.st.R));
  MATRIX3 R = _M(R_EV.m11, R_EV.m13, R_EV.m12, R_EV.m21, R_EV.m23, R_EV.m22, R_EV.m31, R_EV.m33, R_EV.m32);
  return matrixToQuat(R);
}

}  // namespace sim
