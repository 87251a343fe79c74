// Analytic motion of celestial bodies (see body.h).
//
// Circular orbit with radius a, mean motion n, inclination i, node W and argument of latitude
// u = u0 + n t, in the left-handed global frame (y = ecliptic north):
//   r = a (cos W cos u - sin W sin u cos i, sin u sin i, sin W cos u + cos W sin u cos i)
//   v = dr/dt, a = -n^2 r.
// A planet sits at its system barycentre minus the mass-weighted offsets of its moons; a moon at
// the barycentre plus its own orbit minus the same offsets.
// Rotation and precession of the axis: see body.h. Within the integrator's intermediate stages the
// axis is held (it turns by 1e-13 rad in a step); every step boundary evaluates it afresh.
#include "world/body.h"

#include "world/frames.h"

namespace sim {
namespace {

constexpr double kEpochMjd = 51544.5;

void circular(const CircularOrbit &o, double u, VECTOR3 &pos, VECTOR3 &vel, VECTOR3 &acc) {
  double cu = std::cos(u), su = std::sin(u), cW = o.cosNode, sW = o.sinNode, ci = o.cosInc, si = o.sinInc;
  pos = _V(cW * cu - sW * su * ci, su * si, sW * cu + cW * su * ci) * o.radius;
  vel = _V(-cW * su - sW * cu * ci, cu * si, -sW * su + cW * cu * ci) * (o.radius * o.meanMotion);
  acc = pos * (-o.meanMotion * o.meanMotion);
}

}  // namespace

double CelestialBody::systemMass() const {
  double m = mass;
  for (const CelestialBody *moon : moons) m += moon->mass;
  return m;
}

void CelestialBody::setStartMjd(double mjd) {
  orbit.cosNode = std::cos(orbit.node), orbit.sinNode = std::sin(orbit.node);
  orbit.cosInc = std::cos(orbit.inclination), orbit.sinInc = std::sin(orbit.inclination);
  double sinceEpoch = (mjd - kEpochMjd) * 86400.0;
  orbitPhaseStart_ = posangle(orbit.longitude0 - orbit.node + orbit.meanMotion * sinceEpoch);
  startMjd_ = mjd;
  R_tilt_ = obliquityMatrix(obliquity);
  refTilted_ = precessionLan != 0 || precessionObliquity != 0;
  R_ref_ = mul(spinMatrix(precessionLan), obliquityMatrix(precessionObliquity));
  spinStart_ = sidRotPeriod > 0 ? posangle(sidRotOffset + std::fmod(sinceEpoch / sidRotPeriod, 1.0) * PI2)
                                : sidRotOffset;
}

double CelestialBody::axisNode(double mjd) const {
  return precessionPeriod != 0 ? lan + PI2 * (mjd - lanMjd) / precessionPeriod : lan;
}

void CelestialBody::axisFrameAt(double t, MATRIX3 &R_axis, double &angle) const {
  double node = axisNode(startMjd_ + t / 86400.0);
  R_axis = mul(spinMatrix(node), R_tilt_);
  if (refTilted_) R_axis = mul(R_ref_, R_axis);
  angle = spinStart_ + rotationRate() * t - node * std::cos(obliquity);
}

VECTOR3 CelestialBody::axisAt(double t) const {
  MATRIX3 R;
  double angle;
  axisFrameAt(t, R, angle);
  return _V(R.m12, R.m22, R.m32);
}

void CelestialBody::systemOrbit(double t, VECTOR3 &pos, VECTOR3 &vel, VECTOR3 &acc) const {
  circular(orbit, orbitPhaseStart_ + orbit.meanMotion * t, pos, vel, acc);
}

void CelestialBody::barycentreOffset(double t, VECTOR3 &pos, VECTOR3 &vel, VECTOR3 &acc) const {
  // The planet of this system (this body, or the parent of a moon) and its moons.
  const CelestialBody *planet = (parent && parent->parent) ? parent : this;
  double msys = planet->systemMass();
  pos = vel = acc = _V(0, 0, 0);
  for (const CelestialBody *moon : planet->moons) {
    VECTOR3 p, v, a;
    moon->systemOrbit(t, p, v, a);
    double f = moon->mass / msys;
    pos -= p * f, vel -= v * f, acc -= a * f;
    if (moon == this) pos += p, vel += v, acc += a;
  }
}

BodyKinematics CelestialBody::kinematicsAt(double t) const {
  BodyKinematics k;
  if (parent) {
    const CelestialBody *planet = parent->parent ? parent : this;  // a moon rides on its planet's system
    VECTOR3 p, v, a;
    planet->systemOrbit(t, p, v, a);
    VECTOR3 op, ov, oa;
    barycentreOffset(t, op, ov, oa);
    const CelestialBody *star = planet->parent;
    k.pos = star->now().pos + p + op;
    k.vel = star->now().vel + v + ov;
    k.acc = a + oa;
  }
  MATRIX3 R_axis;
  axisFrameAt(t, R_axis, k.spinAngle);
  k.R_GP = mul(R_axis, spinMatrix(k.spinAngle));
  return k;
}

BodyKinematics CelestialBody::advanced(const BodyKinematics &k, double dt) const {
  BodyKinematics a = k;
  a.pos = k.pos + k.vel * dt + k.acc * (0.5 * dt * dt);
  a.vel = k.vel + k.acc * dt;
  a.spinAngle = k.spinAngle + rotationRate() * dt;
  a.R_GP = mul(k.R_GP, spinMatrix(rotationRate() * dt));
  return a;
}

MATRIX3 CelestialBody::rotationAt(double t) const {
  MATRIX3 R_axis;
  double angle;
  axisFrameAt(t, R_axis, angle);
  return mul(R_axis, spinMatrix(angle));
}

}  // namespace sim
