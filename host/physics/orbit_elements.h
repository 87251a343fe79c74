// Osculating orbital elements of a vessel's state about a central body.
//
// The state (r, v) relative to the body is given in the simulator's left-handed axes (global
// ecliptic axes, or the body's equatorial axes); the elements are those of the right-handed frame
// with the same x axis and the pole along +y, i.e. (x, z, y). With H = r x v, N = pole x H,
// e = ((v^2 - mu/r) r - (r.v) v) / mu, p = h^2 / mu and the energy E = v^2/2 - mu/r:
//   a = -mu / (2 E), i = acos(H_pole / h), theta = atan2(N_y, N_x), omegab = theta + omega,
//   L = omegab + M (mean anomaly M from the eccentric or hyperbolic anomaly),
//   PeD = p / (1 + e), ApD = a (1 + e), T = 2 pi sqrt(a^3 / mu) (0 for an open orbit).
// A circular orbit measures its anomalies from the node (an equatorial one from +x); a state at the
// centre of the body has no elements. Degenerate shapes (a parabola, a radial line) keep every
// number finite: an infinite semi-major axis is reported as +-1e300 m.
// Units: m, m/s, rad, s, m^3/s^2.
#pragma once

#include "OrbiterAPI.h"

namespace sim {

struct OrbitState {
  ELEMENTS el{};
  ORBITPARAM prm{};
  double meanMotion = 0;  // [rad/s] (of the hyperbolic mean anomaly for an open orbit)
};

// Elements of the state (r, v) about a body of gravitational parameter mu; false (and zeros)
// without a defined orbit (r = 0 or mu <= 0).
bool orbitElements(const VECTOR3 &r, const VECTOR3 &v, double mu, OrbitState &out);

}  // namespace sim
