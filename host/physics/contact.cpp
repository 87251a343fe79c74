// Ground contact (see contact.h).
#include "physics/contact.h"

#include <algorithm>

#include "vessel/placement.h"
#include "vessel/vessel.h"
#include "world/body.h"

namespace sim {
namespace {

// Effective inverse mass [1/kg] of a point at lever r_V for a force along e_V (vessel axes).
double inverseMass(const Vessel &v, const VECTOR3 &r_V, const VECTOR3 &e_V, double mass) {
  VECTOR3 c = crossp(r_V, e_V);
  const VECTOR3 &I = v.def.pmi;
  return (1.0 + c.x * c.x / I.x + c.y * c.y / I.y + c.z * c.z / I.z) / mass;
}

double frictionScale(double speed) { return speed < 10.0 ? std::sqrt(0.1 * speed) : 1.0; }

// The static-friction spring is a tenth of the point's own stiffness and damping: stiff enough to
// hold a vessel within millimetres, soft enough not to set the sub-step length.
constexpr double kStickFactor = 0.1;

VECTOR3 perpendicular(const VECTOR3 &n) {
  return std::fabs(n.x) < 0.9 ? unit(crossp(n, _V(1, 0, 0))) : unit(crossp(n, _V(0, 1, 0)));
}

constexpr double kMaxNosewheelAngle = 0.5;  // [rad] at full rudder

// The steered nose wheel (point 0) rolls along el turned towards the vessel's right by the rudder.
void steerNosewheel(const Vessel &v, const ContactState &s, const VECTOR3 &n, VECTOR3 &el) {
  double angle = v.st.controls[AIRCTRL_RUDDER].current * kMaxNosewheelAngle;
  if (angle == 0) return;
  VECTOR3 right = mul(s.R, _V(1, 0, 0));
  right -= n * dotp(right, n);
  double l = length(right);
  if (!(l > 1e-12)) return;
  el = el * std::cos(angle) + right * (std::sin(angle) / l);
  el -= n * dotp(el, n);
  el = unit(el);
}

// [N] the brake force of touchdown point i (1 left, 2 right main wheel).
double brakeForce(const Vessel &v, size_t i) {
  if ((i != 1 && i != 2) || v.def.ground.maxWheelbrakeForce <= 0) return 0.0;
  int side = static_cast<int>(i) - 1;
  double level = std::clamp(v.st.wheelbrake[side] + v.st.wheelbrakeTransient[side], 0.0, 1.0);
  return 0.5 * level * v.def.ground.maxWheelbrakeForce;
}

}  // namespace

double lowestTouchdownHeight(const Vessel &v, const ContactState &s, const CelestialBody &b) {
  double lowest = 1e30;
  for (const TOUCHDOWNVTX &p : v.def.touchdown.points)
    lowest = std::min(lowest, length(s.r + mul(s.R, p.pos)) - b.meanRadius);
  return lowest;
}

double lowestTouchdownHeight(const Vessel &v) {
  const CelestialBody *b = v.sp.ref;
  if (!b) return 1e30;
  ContactState s;
  s.r = v.st.frame == b ? v.st.rpos : v.globalPos() - b->now().pos;
  s.R = v.st.R;
  return lowestTouchdownHeight(v, s, *b);
}

namespace {

// What every touchdown point of one contact evaluation shares.
struct ContactScene {
  const Vessel &v;
  const ContactState &s;
  const CelestialBody &b;
  double mass, h;  // [kg], [s] the kick the forces are for
  int n_c;         // points below the surface: they share the limit of what a kick may stop
  VECTOR3 spin_G;  // [rad/s] the planet's rotation
  VECTOR3 lng_G;   // the touchdown plane's longitudinal axis p0 - (p1 + p2)/2
};

int pointsBelowSurface(const std::vector<TOUCHDOWNVTX> &td, const ContactState &s,
                       const CelestialBody &b) {
  int n_c = 0;
  for (const TOUCHDOWNVTX &p : td)
    if (length(s.r + mul(s.R, p.pos)) < b.meanRadius) n_c++;
  return n_c;
}

// The direction point i rolls along: the longitudinal axis on the ground plane (any direction on
// it when the axis stands vertical), turned by the rudder for a steered nose wheel.
VECTOR3 rollingDirection(const ContactScene &c, size_t i, const VECTOR3 &n) {
  VECTOR3 el = c.lng_G - n * dotp(c.lng_G, n);
  double ll = length(el);
  el = ll > 1e-12 ? el / ll : perpendicular(n);
  if (i == 0 && c.v.def.ground.nosewheelSteering) steerNosewheel(c.v, c.s, n, el);
  return el;
}

// [N] friction along the ground direction e: the anchor's spring while it holds within limit,
// else sliding friction no larger than what stops the point in one kick; the anchor then follows.
double frictionAlong(const ContactScene &c, const TOUCHDOWNVTX &p, const VECTOR3 &e,
                     const VECTOR3 &vel, const VECTOR3 &offset, double limit, VECTOR3 &anchor_G) {
  double vd = dotp(vel, e), sd = dotp(offset, e);
  double kt = kStickFactor * p.stiffness, ct = kStickFactor * p.damping;
  double stick = -kt * sd - ct * vd;
  if (std::fabs(stick) <= limit) return stick;
  double slide = limit * frictionScale(std::fabs(vd));
  double w = inverseMass(c.v, p.pos, tmul(c.s.R, e), c.mass);
  slide = std::min(slide, std::fabs(vd) / (c.h * w * std::max(c.n_c, 1)));
  double f = (vd > 0 || (vd == 0 && stick < 0)) ? -slide : slide;
  // the anchor follows: the spring then holds just what slides
  double sdNew = kt > 0 ? -(f + ct * vd) / kt : 0.0;
  anchor_G += e * (sd - sdNew);
  return f;
}

// Normal and friction force of touchdown point i; drops its anchor when it is off the ground.
void pointContact(const ContactScene &c, size_t i, ContactAnchor &anchor, ContactForces &out) {
  const ContactState &s = c.s;
  const CelestialBody &b = c.b;
  const TOUCHDOWNVTX &p = c.v.def.touchdown.points[i];
  VECTOR3 pr = s.r + mul(s.R, p.pos);
  double dist = length(pr);
  double height = dist - b.meanRadius;
  if (height >= 0) {
    anchor.valid = false;
    return;
  }
  VECTOR3 n = pr / dist;
  out.deepest = std::max(out.deepest, -height);
  double depth = std::min(-height, 1.0);
  VECTOR3 vel = s.u + mul(s.R, crossp(p.pos, s.w)) - crossp(pr, c.spin_G);
  double vn = dotp(vel, n);
  double normal = std::max(0.0, p.stiffness * depth - p.damping * vn);
  double base = std::min(depth, 0.1) * p.stiffness;
  VECTOR3 ground = n * b.meanRadius;
  if (!anchor.valid) anchor = {true, tmul(s.R_GP, ground)};
  VECTOR3 anchor_G = mul(s.R_GP, anchor.pos_P);
  VECTOR3 offset = pr - anchor_G;
  VECTOR3 el = rollingDirection(c, i, n);
  VECTOR3 es = crossp(n, el);
  VECTOR3 F = n * normal;
  double muLng = i < 3 ? p.mu_lng : p.mu;
  // Brakes add to the rolling friction up to the larger of the two coefficients.
  double brake = brakeForce(c.v, i);
  double limitLng = muLng * base;
  if (brake > 0) limitLng = std::min(limitLng + brake, std::max(muLng, p.mu) * base);
  F += el * frictionAlong(c, p, el, vel, offset, limitLng, anchor_G);
  F += es * frictionAlong(c, p, es, vel, offset, p.mu * base, anchor_G);
  anchor.pos_P = tmul(s.R_GP, unit(anchor_G) * b.meanRadius);
  out.force_G += F;
  out.torque_V += crossp(tmul(s.R, F), p.pos);
  out.contacts++;
}

}  // namespace

void contactForces(const Vessel &v, ContactState &s, const CelestialBody &b, double mass, double h,
                   ContactForces &out) {
  out = ContactForces{};
  const std::vector<TOUCHDOWNVTX> &td = v.def.touchdown.points;
  std::vector<ContactAnchor> &anchors = *s.anchors;
  anchors.resize(td.size());
  if (td.size() < 3) return;
  VECTOR3 spin_G = mul(s.R_GP, _V(0, b.rotationRate(), 0));
  VECTOR3 lng_G = mul(s.R, td[0].pos - (td[1].pos + td[2].pos) * 0.5);
  const ContactScene scene{v, s, b, mass, h, pointsBelowSurface(td, s, b), spin_G, lng_G};
  for (size_t i = 0; i < td.size(); i++) pointContact(scene, i, anchors[i], out);
}

double contactSubstep(const Vessel &v, const MATRIX3 &R, const VECTOR3 &up_G, double mass, double dt) {
  double h = dt;
  VECTOR3 up_V = tmul(R, up_G);
  VECTOR3 a_V = perpendicular(up_V), b_V = crossp(up_V, a_V);
  for (const TOUCHDOWNVTX &p : v.def.touchdown.points) {
    for (const VECTOR3 *e : {&up_V, &a_V, &b_V}) {
      double f = e == &up_V ? 1.0 : kStickFactor;  // the normal spring, or the friction spring
      double w = inverseMass(v, p.pos, *e, mass);
      if (p.damping > 0) h = std::min(h, 0.25 / (f * p.damping * w));
      if (p.stiffness > 0) h = std::min(h, 0.2 / std::sqrt(f * p.stiffness * w));
    }
  }
  return h;
}

namespace {
// Angle [rad] of the rotation between two attitudes: |A - B| (Frobenius) = 2 sqrt(2) sin(angle / 2).
double turnBetween(const MATRIX3 &A, const MATRIX3 &B) {
  double d2 = 0;
  for (int i = 0; i < 9; i++) d2 += (A.data[i] - B.data[i]) * (A.data[i] - B.data[i]);
  return 2.0 * std::asin(std::min(1.0, std::sqrt(d2) / (2.0 * std::sqrt(2.0))));
}
}  // namespace

void updateLandedState(Vessel &v, double t) {
  if (v.landed() || v.st.parentLink.parent) return;
  RestWatch &w = v.writer()->rest;
  const CelestialBody *b = v.sp.ref;
  if (!b || v.fb.thrusting || lowestTouchdownHeight(v) > 1e-3) {
    w.sampling = false;
    return;
  }
  const MATRIX3 &R_GP = b->now().R_GP;
  VECTOR3 pos_P = tmul(R_GP, v.st.frame == b ? v.st.rpos : v.globalPos() - b->now().pos);
  MATRIX3 R_PV = mul(transp(R_GP), v.st.R);
  if (!w.sampling) {
    w = {true, t, t, pos_P, R_PV};
    return;
  }
  double elapsed = t - w.sampleTime;
  if (elapsed < kRestSampleInterval - 1e-9) return;
  double turn = turnBetween(R_PV, w.R_PV);
  bool moved = length2(pos_P - w.pos_P) / elapsed > kRestMotionThreshold || turn * turn / elapsed > kRestMotionThreshold;
  if (moved) w.quietSince = t;
  w.sampleTime = t, w.pos_P = pos_P, w.R_PV = R_PV;
  if (t - w.quietSince < kLandedRestTime - 1e-9) return;
  restOnTouchdownPoints(v, *b);
  v.writer()->anchors.clear();
  v.stateChanged();
}

}  // namespace sim
