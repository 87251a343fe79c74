// The attitude holds and the altitude hold among the navigation modes.
//
// Attitude holds turn a direction d known in vessel axes onto a vessel axis a:
//   HLEVEL      d = local vertical, a = +y (pitch and bank to zero, the yaw rate killed)
//   PROGRADE    d = +velocity relative to the gravity reference, a = +z
//   RETROGRADE  d = -velocity, a = +z
//   NORMAL      d = +orbit normal (the direction of r x v in the physical sense, crossp(v, r) in
//               the left-handed frame: north for an eastward equatorial orbit), a = +z
//   ANTINORMAL  d = -orbit normal, a = +z
// (the rotation about the held axis is brought to rest, not to an angle).
// A fixed direction seen from the vessel moves as dd/dt = crossp(w, d), so the rotation that
// brings d onto a is the vector e = angle * unit(crossp(d, a)), angle = atan2(|crossp(d, a)|, d.a)
// (half a turn about an axis at right angles to a when d points the other way).
// Per axis i, with alpha_i = M / (m I_i) the angular acceleration of the weaker of the axis's
// two rotation groups (M their recorded maximum moments):
//   target rate  w*_i = sign(e_i) min(k |e_i|, sqrt(alpha_i |e_i|))   (braking at alpha_i / 2)
//   torque       tau_i = m (I_i (w*_i - w_i) / T + (I_j - I_k) w_j w_k)
//   level        |tau_i| / M of the group that turns the right way, at most 1, added as a
//                transient override like KILLROT's,
// with the rate-loop time T = max(0.25 s, 2.5 dt) and the attitude gain k = 1 / (4 T), which
// damps the attitude loop critically. The simulator's own laws for these modes are not on record;
// these are the host's.
// HOLDALT keeps the altitude it was switched on at with the hover group: the hover level is
//   L = m (g_up - v_h^2 / r + a_cmd) / F_up,   a_cmd = -2 w_n v_up - w_n^2 (h - h_hold),
// clamped to [0, 1], with g_up the gravity along the local vertical, v_h the horizontal speed
// relative to the body's centre (non-rotating), F_up the vertical part of the hover group's
// available thrust at the ambient pressure and w_n = 0.5 rad/s; each hover thruster's transient
// override is set so that its level becomes L. Modes act only while the vessel flies.
// Frames: vessel axes unless named (_G global); units m, s, rad, N, kg.
#include <algorithm>

#include "physics/navmodes.h"
#include "vessel/vessel.h"
#include "world/world.h"

namespace sim {
namespace {

struct AxisGroups {
  THGROUP_TYPE positive, negative;  // the groups that turn about +axis and -axis
};
constexpr AxisGroups kAxisGroups[3] = {{THGROUP_ATT_PITCHUP, THGROUP_ATT_PITCHDOWN},
                                       {THGROUP_ATT_YAWLEFT, THGROUP_ATT_YAWRIGHT},
                                       {THGROUP_ATT_BANKRIGHT, THGROUP_ATT_BANKLEFT}};

constexpr double kMinRateLoopTime = 0.25;  // [s]
constexpr double kHoldAltitudeRate = 0.5;   // [rad/s] natural frequency of the altitude hold

double groupMoment(const Vessel &v, THGROUP_TYPE type) {
  int g = v.groupOfType(type);
  return g < 0 || v.def.groups[g].members.empty() ? 0.0 : v.def.groups[g].maxMoment;
}

void addOverride(Vessel &v, THGROUP_TYPE type, double level) {
  int g = v.groupOfType(type);
  if (g < 0) return;
  for (int th : v.def.groups[g].members) v.systems().thrusters[th].override_ += level;
}

// The rotation [rad] that turns direction d (vessel axes) onto axis a; false if d is zero.
bool rotationOnto(const VECTOR3 &d, const VECTOR3 &a, const VECTOR3 &flipAxis, VECTOR3 &e) {
  double ld = length(d);
  if (!(ld > 0) || !std::isfinite(ld)) return false;
  VECTOR3 u = d / ld;
  VECTOR3 c = crossp(u, a);
  double s = length(c), angle = std::atan2(s, dotp(u, a));
  if (s > 1e-12)
    e = c * (angle / s);
  else
    e = dotp(u, a) < 0 ? flipAxis * PI : _V(0, 0, 0);
  return true;
}

// The error rotation of the active attitude hold; false if it has nothing to point at.
bool attitudeError(Vessel &v, unsigned bits, VECTOR3 &e) {
  if (bits & NAVBIT_HLEVEL) {
    if (!v.sp.ref) return false;
    return rotationOnto(v.sp.up_V, _V(0, 1, 0), _V(0, 0, 1), e);
  }
  World &w = v.world();
  const CelestialBody *ref = w.gravityRefAt(v.globalPos());
  if (!ref) return false;
  VECTOR3 vel_G = w.relativeVel(v, *ref), pos_G = w.relativePos(v, *ref);
  VECTOR3 d_G = (bits & (NAVBIT_PROGRADE | NAVBIT_RETROGRADE)) ? vel_G : crossp(vel_G, pos_G);
  if (bits & (NAVBIT_RETROGRADE | NAVBIT_ANTINORMAL)) d_G = -d_G;
  return rotationOnto(tmul(v.st.R, d_G), _V(0, 0, 1), _V(1, 0, 0), e);
}

}  // namespace

void steerAttitude(Vessel &v, double dt, unsigned bits) {
  VECTOR3 e;
  if (!attitudeError(v, bits, e)) return;
  const VECTOR3 &w = v.st.omega, &I = v.def.pmi;
  double m = v.mass();
  double T = std::max(kMinRateLoopTime, 2.5 * dt), k = 1.0 / (4.0 * T);
  double gyro[3] = {(I.y - I.z) * w.y * w.z, (I.z - I.x) * w.z * w.x, (I.x - I.y) * w.x * w.y};
  for (int i = 0; i < 3; i++) {
    const AxisGroups &g = kAxisGroups[i];
    double mPos = groupMoment(v, g.positive), mNeg = groupMoment(v, g.negative);
    double weaker = mPos > 0 && mNeg > 0 ? std::min(mPos, mNeg) : std::max(mPos, mNeg);
    if (!(weaker > 0)) continue;
    double alpha = weaker / (m * I.data[i]);
    double err = e.data[i];
    double target = std::copysign(std::min(k * std::fabs(err), std::sqrt(alpha * std::fabs(err))), err);
    double tau = m * (I.data[i] * (target - w.data[i]) / T + gyro[i]);
    THGROUP_TYPE type = tau > 0 ? g.positive : g.negative;
    double moment = tau > 0 ? mPos : mNeg;
    if (!(moment > 0) || !std::isfinite(tau)) continue;
    addOverride(v, type, std::min(1.0, std::fabs(tau) / moment));
  }
}

void holdAltitude(Vessel &v) {
  const SurfaceParams &sp = v.sp;
  int g = v.groupOfType(THGROUP_HOVER);
  if (!sp.ref || g < 0 || v.def.groups[g].members.empty()) return;
  World &w = v.world();
  VECTOR3 r_G = w.relativePos(v, *sp.ref), vel_G = w.relativeVel(v, *sp.ref);
  double r = length(r_G);
  if (!(r > 0)) return;
  VECTOR3 up_G = r_G / r;
  double pressure = sp.inAtmosphere ? sp.atm.pressure : 0.0;
  double upThrust = 0;
  for (int th : v.def.groups[g].members) {
    const ThrusterDef &t = v.def.thrusters[th];
    if (t.tank < 0 || v.st.tankMass[t.tank] == 0.0) continue;
    upThrust += v.thrusterMax(th, pressure) * dotp(mul(v.st.R, t.dir), up_G);
  }
  if (!(upThrust > 0)) return;
  double gUp = -dotp(w.gravityAt(v.globalPos(), w.bodiesNow()), up_G);
  double vUp = dotp(vel_G, up_G);
  double horizontal2 = std::max(0.0, length2(vel_G) - vUp * vUp);
  double wn = kHoldAltitudeRate;
  double command = -2.0 * wn * sp.groundVel_H.y - wn * wn * (sp.alt - v.st.holdAltitude);
  double level = std::clamp(v.mass() * (gUp - horizontal2 / r + command) / upThrust, 0.0, 1.0);
  if (!std::isfinite(level)) return;
  for (int th : v.def.groups[g].members) {
    ThrusterState &s = v.systems().thrusters[th];
    s.override_ += level - s.permanent;
  }
}

}  // namespace sim
