// Rotations and frame conversions in the simulator's left-handed frames.
//
// Conventions (all matrices map the second-named frame into the first: R_GV maps vessel vectors
// into global axes, v_G = R_GV v_V):
//  - planet-local point at (lng, lat, r): r (cos lat cos lng, sin lat, cos lat sin lng)
//  - horizon frame x east, y up, z north; L2H(lng, lat) maps planet-local vectors into it
//  - planet rotation R_GP = R_ecl S(angle), S rows (cos, 0, -sin), (0, 1, 0), (sin, 0, cos)
//  - Euler angles (a, b, c) of an orientation: the matrix with rows
//      (cb cc, cb sc, -sb), (sa sb cc - ca sc, sa sb sc + ca cc, sa cb), (ca sb cc + sa sc, ca sb sc - sa cc, ca cb)
//    and back a = atan2(R23, R33), b = -asin(R13), c = atan2(R12, R11)
//  - angular velocity w in vessel axes: a body-fixed vector v moves as d(R v)/dt = R (v x w), so
//    w.x > 0 pitches +z towards +y, w.y > 0 yaws +z towards -x, w.z > 0 banks +y towards +x.
// The attitude is carried as a unit quaternion q (w, x, y, z) with R = R(q) in the standard sense;
// in standard terms the vessel turns with -w, so dq/dt = q (0, -w) / 2.
#pragma once

#include "OrbiterAPI.h"

namespace sim {

struct Quat {
  double w = 1, x = 0, y = 0, z = 0;
};

inline Quat qmul(const Quat &a, const Quat &b) {
  return {a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z, a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
          a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x, a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w};
}

inline Quat qnormalised(const Quat &q) {
  double n = std::sqrt(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z);
  return {q.w / n, q.x / n, q.y / n, q.z / n};
}

// Rotation matrix of a unit quaternion (standard, column-vector sense).
inline MATRIX3 quatToMatrix(const Quat &q) {
  double ww = q.w * q.w, xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
  double xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z, wx = q.w * q.x, wy = q.w * q.y, wz = q.w * q.z;
  return _M(ww + xx - yy - zz, 2 * (xy - wz), 2 * (xz + wy), 2 * (xy + wz), ww - xx + yy - zz, 2 * (yz - wx),
            2 * (xz - wy), 2 * (yz + wx), ww - xx - yy + zz);
}

// Unit quaternion of a rotation matrix (Shepperd's method).
Quat matrixToQuat(const MATRIX3 &R);

// Time derivative of the attitude quaternion for the angular velocity w_V (vessel axes).
inline Quat quatRate(const Quat &q, const VECTOR3 &w_V) {
  Quat r = qmul(q, Quat{0.0, -w_V.x, -w_V.y, -w_V.z});
  return {0.5 * r.w, 0.5 * r.x, 0.5 * r.y, 0.5 * r.z};
}

// The simulator's Euler convention (see above).
MATRIX3 eulerToMatrix(const VECTOR3 &arot);
VECTOR3 matrixToEuler(const MATRIX3 &R);

// Planet-local unit vector of (lng, lat) [rad].
inline VECTOR3 equToLocalDir(double lng, double lat) {
  return _V(std::cos(lat) * std::cos(lng), std::sin(lat), std::cos(lat) * std::sin(lng));
}

// Planet-local -> horizon rotation at (lng, lat) [rad].
inline MATRIX3 localToHorizon(double lng, double lat) {
  double sl = std::sin(lng), cl = std::cos(lng), sb = std::sin(lat), cb = std::cos(lat);
  return _M(-sl, 0, cl, cb * cl, sb, cb * sl, -sb * cl, cb, -sb * sl);
}

// S(angle): the planet's rotation about its own +y axis.
inline MATRIX3 spinMatrix(double angle) {
  double c = std::cos(angle), s = std::sin(angle);
  return _M(c, 0, -s, 0, 1, 0, s, 0, c);
}

// R_ecl: tilts the planet's +y axis by the obliquity towards global +z (ecliptic longitude 90 deg),
// about the global x axis (the equinox direction).
inline MATRIX3 obliquityMatrix(double obliquity) {
  double c = std::cos(obliquity), s = std::sin(obliquity);
  return _M(1, 0, 0, 0, c, -s, 0, s, c);
}

inline bool isFinite(const VECTOR3 &v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace sim
