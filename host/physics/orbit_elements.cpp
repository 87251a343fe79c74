// Osculating orbital elements (see orbit_elements.h).
#include "physics/orbit_elements.h"

#include <algorithm>
#include <cmath>

namespace sim {
namespace {

constexpr double kHuge = 1e300;     // [m] stands for an infinite length
constexpr double kRound = 1e-11;    // eccentricity below which an orbit counts as circular
constexpr double kFlat = 1e-11;     // sine of the inclination below which an orbit is equatorial

// The right-handed form (x, z, y) of a left-handed vector.
VECTOR3 rightHanded(const VECTOR3 &a) { return _V(a.x, a.z, a.y); }

double angleBetween(const VECTOR3 &a, const VECTOR3 &b) {
  double la = length(a), lb = length(b);
  if (!(la > 0) || !(lb > 0)) return 0.0;
  return std::acos(std::clamp(dotp(a, b) / (la * lb), -1.0, 1.0));
}

double finiteOr(double x, double fallback) { return std::isfinite(x) ? x : fallback; }

// Where the orbit lies and where the state is on it, in the right-handed frame.
struct PlaneAngles {
  double theta;  // [rad] longitude of the ascending node (0 for an equatorial orbit)
  double omega;  // [rad] argument of the periapsis (0 for a circular orbit)
  double nu;     // [rad] true anomaly
};

// The angles are measured in the orbit's own sense, from the node (from +x when the orbit is
// equatorial; a circular orbit has no periapsis and measures the anomaly from there too).
PlaneAngles planeAngles(const VECTOR3 &r, const VECTOR3 &H, double h, const VECTOR3 &evec, double e,
                        double rv) {
  PlaneAngles out;
  VECTOR3 N = _V(-H.y, H.x, 0.0);  // pole x H: towards the ascending node
  bool equatorial = !(length(N) > kFlat * h);
  out.theta = equatorial ? 0.0 : posangle(std::atan2(N.y, N.x));
  VECTOR3 ref = equatorial ? _V(1, 0, 0) : N;  // the direction anomalies start from
  auto angleInOrbit = [&](const VECTOR3 &x) {
    double ang = angleBetween(ref, x);
    // beyond half a turn when x lies behind ref in the sense of the motion
    VECTOR3 c = crossp(ref, x);
    return dotp(c, H) < 0 ? PI2 - ang : ang;
  };
  if (e > kRound) {
    out.omega = angleInOrbit(evec);
    out.nu = angleBetween(evec, r);
    if (rv < 0) out.nu = PI2 - out.nu;
  } else {
    out.omega = 0;
    out.nu = angleInOrbit(r);
  }
  return out;
}

// Mean anomaly M and eccentric (or hyperbolic) anomaly E from the true anomaly nu; fills the mean
// motion, the period, the semi-minor axis and the times to the apsides.
void anomaliesAndTimes(double a, double e, double nu, double mu, double &M, double &E,
                       OrbitState &out) {
  ORBITPARAM &prm = out.prm;
  if (e < 1.0) {
    E = 2.0 * std::atan(std::sqrt((1.0 - e) / (1.0 + e)) * std::tan(0.5 * nu));
    M = posangle(E - e * std::sin(E));
    E = posangle(E);
    out.meanMotion = std::sqrt(mu / (a * a * a));
    prm.T = PI2 / out.meanMotion;
    prm.SMi = a * std::sqrt(std::max(0.0, 1.0 - e * e));
    prm.PeT = (PI2 - M) / out.meanMotion;
    prm.ApT = posangle(PI - M) / out.meanMotion;
  } else {
    double s = std::sqrt((e - 1.0) / (e + 1.0)) * std::tan(0.5 * normangle(nu));
    E = 2.0 * std::atanh(std::clamp(s, -1.0 + 1e-16, 1.0 - 1e-16));
    M = e * std::sinh(E) - E;
    out.meanMotion = std::sqrt(mu / std::fabs(a * a * a));
    prm.T = 0;
    prm.SMi = std::fabs(a) * std::sqrt(std::max(0.0, e * e - 1.0));
    prm.PeT = -M / out.meanMotion;  // negative once past the periapsis
    prm.ApT = 0;
  }
}

// Anything a degenerate shape left undefined reads as zero.
void zeroUndefined(OrbitState &out) {
  ELEMENTS &el = out.el;
  ORBITPARAM &prm = out.prm;
  for (double *x : {&el.a, &el.e, &el.i, &el.theta, &el.omegab, &el.L})
    if (!std::isfinite(*x)) *x = 0;
  for (double *x : {&prm.SMi, &prm.PeD, &prm.ApD, &prm.MnA, &prm.TrA, &prm.MnL, &prm.TrL, &prm.EcA,
                    &prm.Lec, &prm.T, &prm.PeT, &prm.ApT})
    if (!std::isfinite(*x)) *x = 0;
  if (!std::isfinite(out.meanMotion)) out.meanMotion = 0;
}

}  // namespace

bool orbitElements(const VECTOR3 &rL, const VECTOR3 &vL, double mu, OrbitState &out) {
  out = OrbitState{};
  VECTOR3 r = rightHanded(rL), v = rightHanded(vL);
  double rad = length(r);
  if (!(rad > 0) || !(mu > 0) || !std::isfinite(rad) || !std::isfinite(length2(v))) return false;
  // Standard right-handed cross products (crossp is the plain component formula).
  VECTOR3 H = crossp(r, v);
  double h = length(H), v2 = length2(v), rv = dotp(r, v);
  VECTOR3 evec = (r * (v2 - mu / rad) - v * rv) / mu;
  double e = length(evec);
  double energy = 0.5 * v2 - mu / rad;
  double a = energy != 0 ? -mu / (2.0 * energy) : kHuge;
  a = std::clamp(finiteOr(a, kHuge), -kHuge, kHuge);
  double p = h * h / mu;

  ELEMENTS &el = out.el;
  el.a = a;
  el.e = e;
  el.i = h > 0 ? std::acos(std::clamp(H.z / h, -1.0, 1.0)) : 0.0;
  const PlaneAngles ang = planeAngles(r, H, h, evec, e, rv);
  el.theta = ang.theta;
  el.omegab = posangle(el.theta + ang.omega);
  double nu = ang.nu, M = 0, E = 0;
  anomaliesAndTimes(a, e, nu, mu, M, E, out);

  ORBITPARAM &prm = out.prm;
  el.L = posangle(el.omegab + M);
  prm.PeD = p / (1.0 + e);
  prm.ApD = std::clamp(finiteOr(a * (1.0 + e), kHuge), -kHuge, kHuge);
  prm.MnA = M;
  prm.TrA = nu;
  prm.EcA = E;
  prm.MnL = el.L;
  prm.TrL = posangle(el.omegab + nu);
  prm.Lec = std::clamp(a * e, -kHuge, kHuge);
  zeroUndefined(out);
  return true;
}

}  // namespace sim
