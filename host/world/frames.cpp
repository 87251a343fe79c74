// Euler-angle and quaternion conversions in the simulator's conventions (see frames.h).
#include "world/frames.h"

#include <algorithm>

namespace sim {

Quat matrixToQuat(const MATRIX3 &R) {
  Quat q;
  double tr = R.m11 + R.m22 + R.m33;
  if (tr > 0) {
    double s = std::sqrt(tr + 1.0) * 2;
    q = {0.25 * s, (R.m32 - R.m23) / s, (R.m13 - R.m31) / s, (R.m21 - R.m12) / s};
  } else if (R.m11 > R.m22 && R.m11 > R.m33) {
    double s = std::sqrt(1.0 + R.m11 - R.m22 - R.m33) * 2;
    q = {(R.m32 - R.m23) / s, 0.25 * s, (R.m12 + R.m21) / s, (R.m13 + R.m31) / s};
  } else if (R.m22 > R.m33) {
    double s = std::sqrt(1.0 + R.m22 - R.m11 - R.m33) * 2;
    q = {(R.m13 - R.m31) / s, (R.m12 + R.m21) / s, 0.25 * s, (R.m23 + R.m32) / s};
  } else {
    double s = std::sqrt(1.0 + R.m33 - R.m11 - R.m22) * 2;
    q = {(R.m21 - R.m12) / s, (R.m13 + R.m31) / s, (R.m23 + R.m32) / s, 0.25 * s};
  }
  return qnormalised(q);
}

MATRIX3 eulerToMatrix(const VECTOR3 &arot) {
  double sa = std::sin(arot.x), ca = std::cos(arot.x);
  double sb = std::sin(arot.y), cb = std::cos(arot.y);
  double sc = std::sin(arot.z), cc = std::cos(arot.z);
  return _M(cb * cc, cb * sc, -sb, sa * sb * cc - ca * sc, sa * sb * sc + ca * cc, sa * cb, ca * sb * cc + sa * sc,
            ca * sb * sc - sa * cc, ca * cb);
}

VECTOR3 matrixToEuler(const MATRIX3 &R) {
  return _V(std::atan2(R.m23, R.m33), -std::asin(std::clamp(R.m13, -1.0, 1.0)), std::atan2(R.m12, R.m11));
}

}  // namespace sim
