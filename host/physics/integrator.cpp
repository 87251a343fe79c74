// Integration of a free vessel over one step (see integrator.h).
#include "physics/integrator.h"

#include <algorithm>
#include <cmath>

#include "physics/contact.h"
#include "vessel/vessel.h"
#include "world/world.h"

namespace sim {
namespace {

const double kMaxRate = 100.0 * PI;  // [rad/s]

struct Derivative {
  VECTOR3 dr, du;
  Quat dq;
  VECTOR3 dw;
};

VECTOR3 angularAcceleration(const Vessel &v, const VECTOR3 &tau_V, double m, const VECTOR3 &w) {
  const VECTOR3 &I = v.def.pmi;
  return _V((tau_V.x / m - (I.y - I.z) * w.y * w.z) / I.x, (tau_V.y / m - (I.z - I.x) * w.z * w.x) / I.y,
            (tau_V.z / m - (I.x - I.y) * w.x * w.y) / I.z);
}

Quat qadd(const Quat &q, const Quat &d, double h) { return {q.w + d.w * h, q.x + d.x * h, q.y + d.y * h, q.z + d.z * h}; }

void capRate(VECTOR3 &w) {
  double l = length(w);
  if (l > kMaxRate) w *= kMaxRate / l;
}

// The largest attitude change [rad] of one Runge-Kutta step. A longer step would turn the vessel
// further than the stages can follow: at the rate cap a 0.1 s step turns 31 rad, and its stage
// attitudes, rates and forces would point anywhere.
const double kMaxAngleStep = 0.1;
const int kMaxRungeKuttaSteps = 4000;  // 100 pi rad/s over the longest step (1 s) needs 3142

// One classic fourth-order Runge-Kutta step of length h, starting at the fraction f0 of the host
// step, whose bodies are known at its start, middle and end (the nearest of them is used).
void rungeKuttaStep(World &world, const Vessel &v, const CelestialBody *F, double m, double f0, double f1, double h,
                    const StepBodies &b, VECTOR3 &r, VECTOR3 &u, Quat &q, VECTOR3 &w) {
  auto bodiesAt = [&](double f) -> const std::vector<BodyKinematics> & {
    return f < 0.25 ? *b.k0 : f < 0.75 ? *b.kh : *b.k1;
  };
  const ForceBuild &fb = v.fb;
  auto deriv = [&](const std::vector<BodyKinematics> &k, const VECTOR3 &rs, const VECTOR3 &us, const Quat &qs,
                   const VECTOR3 &ws) {
    Derivative d;
    d.dr = us;
    d.du = world.gravityRel(F, rs, k) + mul(quatToMatrix(qs), fb.force_V) / m;
    d.dq = quatRate(qs, ws);
    d.dw = angularAcceleration(v, fb.torque_V, m, ws);
    return d;
  };
  // Each stage's attitude is a rotation and its rate within the cap, as the state's always are.
  auto stageAttitude = [](const Quat &qs, const Quat &dq, double hs) { return qnormalised(qadd(qs, dq, hs)); };
  auto stageRate = [](VECTOR3 ws) {
    capRate(ws);
    return ws;
  };
  double h2 = 0.5 * h, fm = 0.5 * (f0 + f1);
  Derivative k1 = deriv(bodiesAt(f0), r, u, q, w);
  Derivative k2 = deriv(bodiesAt(fm), r + k1.dr * h2, u + k1.du * h2, stageAttitude(q, k1.dq, h2), stageRate(w + k1.dw * h2));
  Derivative k3 = deriv(bodiesAt(fm), r + k2.dr * h2, u + k2.du * h2, stageAttitude(q, k2.dq, h2), stageRate(w + k2.dw * h2));
  Derivative k4 = deriv(bodiesAt(f1), r + k3.dr * h, u + k3.du * h, stageAttitude(q, k3.dq, h), stageRate(w + k3.dw * h));
  double s = h / 6.0;
  r = r + (k1.dr + (k2.dr + k3.dr) * 2.0 + k4.dr) * s;
  u = u + (k1.du + (k2.du + k3.du) * 2.0 + k4.du) * s;
  Quat dq{k1.dq.w + 2 * (k2.dq.w + k3.dq.w) + k4.dq.w, k1.dq.x + 2 * (k2.dq.x + k3.dq.x) + k4.dq.x,
          k1.dq.y + 2 * (k2.dq.y + k3.dq.y) + k4.dq.y, k1.dq.z + 2 * (k2.dq.z + k3.dq.z) + k4.dq.z};
  q = qnormalised(qadd(q, dq, s));
  w = stageRate(w + (k1.dw + (k2.dw + k3.dw) * 2.0 + k4.dw) * s);
}

void rungeKutta(World &world, Vessel &v, double dt, const StepBodies &b) {
  double turns = std::ceil(length(v.st.omega) * dt / kMaxAngleStep);
  int n = !(turns > 1) ? 1 : turns < kMaxRungeKuttaSteps ? static_cast<int>(turns) : kMaxRungeKuttaSteps;
  VECTOR3 r = v.st.rpos, u = v.st.rvel, w = v.st.omega;
  Quat q = v.st.q;
  for (int i = 0; i < n; i++)
    rungeKuttaStep(world, v, v.st.frame, v.fb.mass, static_cast<double>(i) / n, static_cast<double>(i + 1) / n, dt / n, b,
                   r, u, q, w);
  Vessel::StateWriter sw = v.writer();
  sw->rpos = r;
  sw->rvel = u;
  sw.setAttitude(q);
  sw->omega = w;
}

// Would a touchdown point reach the ground during this step?
bool nearGround(const Vessel &v, const CelestialBody &b, double dt) {
  if (v.def.touchdown.points.empty()) return false;
  ContactState s;
  s.r = v.st.rpos, s.R = v.st.R;
  double h = lowestTouchdownHeight(v, s, b);
  double radial = dotp(v.st.rvel, v.st.rpos) / length(v.st.rpos);
  double reach = v.def.size;  // a point can swing by the vessel's size when it turns
  return h < 2.0 * std::fabs(radial) * dt + 0.5 + std::min(reach, length(v.st.omega) * reach * dt);
}

void contactSteps(World &world, Vessel &v, double dt, const StepBodies &b, double t0) {
  const CelestialBody &body = *v.st.frame;
  const ForceBuild &fb = v.fb;
  double m = fb.mass;
  double h = contactSubstep(v, v.st.R, unit(v.st.rpos), m, dt);
  double count = std::ceil(dt / h - 1e-9);  // bounded before the cast: h may be 1e-150 s
  int n = !(count > 1) ? 1 : count < 4000 ? static_cast<int>(count) : 4000;
  h = dt / n;
  Vessel::StateWriter sw = v.writer();
  ContactState s{v.st.rpos, v.st.rvel, v.st.R, v.st.omega, body.rotationAt(t0), &sw->anchors};
  Quat q = v.st.q;
  ContactForces c;
  // Kick-drift-kick: half a velocity update, a position update, half a velocity update; the
  // velocity then belongs to the same instant as the position (a plain semi-implicit step would
  // leave a resting vessel with a spurious velocity of half a step's centripetal change).
  auto kick = [&](double dh) {
    contactForces(v, s, body, m, dh, c);
    if (c.deepest >= 1.0) sw->crashed = true;
    VECTOR3 a = world.gravityRel(&body, s.r, *b.k0) + (mul(s.R, fb.force_V) + c.force_G) / m;
    VECTOR3 alpha = angularAcceleration(v, fb.torque_V + c.torque_V, m, s.w);
    s.u += a * dh;
    s.w += alpha * dh;
    capRate(s.w);
  };
  for (int i = 0; i < n; i++) {
    kick(0.5 * h);
    s.r += s.u * h;
    q = qnormalised(qadd(q, quatRate(q, s.w), h));
    s.R = quatToMatrix(q);
    s.R_GP = body.rotationAt(t0 + (i + 1) * h);
    kick(0.5 * h);
  }
  sw->rpos = s.r;
  sw->rvel = s.u;
  sw.setAttitude(q);
  sw->omega = s.w;
}

}  // namespace

void capAngularRate(VECTOR3 &w) { capRate(w); }

void integrateVessel(World &world, Vessel &v, double dt, const StepBodies &bodies) {
  const CelestialBody *surface = v.sp.ref;
  if (surface && v.st.frame != surface && v.sp.alt < 10.0 * v.def.size + 1000.0) v.writer().rebase(surface);
  if (surface && v.st.frame == surface && nearGround(v, *surface, dt)) {
    contactSteps(world, v, dt, bodies, world.simTime());
  } else {
    v.writer()->anchors.clear();
    rungeKutta(world, v, dt, bodies);
  }
}

}  // namespace sim
