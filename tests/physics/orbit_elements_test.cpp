// Orbital elements: states built from chosen elements by the perifocal route give those elements
// back; degenerate states keep every number finite; the interface's element queries agree.
#include <gtest/gtest.h>

#include "physics/orbit_elements.h"
#include "world_fixture.h"

namespace {

constexpr double kMu = 3.986004e14;  // [m^3/s^2]

// The state (left-handed axes) of the orbit (a, e, i, node, argument of periapsis, true anomaly),
// by the perifocal frame and the rotations R3(-node) R1(-i) R3(-arg) in right-handed axes.
void stateOf(double a, double e, double i, double node, double arg, double nu, VECTOR3 &r, VECTOR3 &v) {
  double p = a * (1 - e * e), rad = p / (1 + e * std::cos(nu));
  double px = rad * std::cos(nu), py = rad * std::sin(nu);
  double vx = -std::sqrt(kMu / p) * std::sin(nu), vy = std::sqrt(kMu / p) * (e + std::cos(nu));
  double cO = std::cos(node), sO = std::sin(node), cw = std::cos(arg), sw = std::sin(arg), ci = std::cos(i),
         si = std::sin(i);
  auto rotate = [&](double x, double y) {
    VECTOR3 rh = _V(x * (cO * cw - sO * sw * ci) - y * (cO * sw + sO * cw * ci),
                    x * (sO * cw + cO * sw * ci) + y * (-sO * sw + cO * cw * ci), x * sw * si + y * cw * si);
    return _V(rh.x, rh.z, rh.y);  // right-handed (x, y, z) to the left-handed (x, z, y)
  };
  r = rotate(px, py);
  v = rotate(vx, vy);
}

double angleDiff(double a, double b) { return std::fabs(normangle(a - b)); }

TEST(OrbitElements, GiveBackTheElementsAStateWasBuiltFrom) {
  struct Case {
    double a, e, iDeg, nodeDeg, argDeg, nuDeg;
  };
  const Case cases[] = {
      {7.0e6, 0.10, 30, 40, 60, 20},      {8.0e6, 0.50, 100, 300, 10, 200},  // retrograde
      {-1.2e7, 1.50, 20, 10, 30, 40},    {-1.2e7, 2.0, 60, 200, 150, -30},   // open orbits
      {4.2e7, 0.70, 5, 80, 270, 180},     {6.8e6, 0.01, 51.6, 123, 45, 300},
  };
  for (const Case &c : cases) {
    VECTOR3 r, v;
    stateOf(c.a, c.e, c.iDeg * RAD, c.nodeDeg * RAD, c.argDeg * RAD, c.nuDeg * RAD, r, v);
    sim::OrbitState o;
    ASSERT_TRUE(sim::orbitElements(r, v, kMu, o));
    SCOPED_TRACE("a " + std::to_string(c.a) + " e " + std::to_string(c.e));
    EXPECT_NEAR(o.el.a, c.a, 1e-6 * std::fabs(c.a));
    EXPECT_NEAR(o.el.e, c.e, 1e-9);
    EXPECT_NEAR(o.el.i, c.iDeg * RAD, 1e-9);
    EXPECT_LT(angleDiff(o.el.theta, c.nodeDeg * RAD), 1e-9);
    EXPECT_LT(angleDiff(o.el.omegab, (c.nodeDeg + c.argDeg) * RAD), 1e-8);
    EXPECT_LT(angleDiff(o.prm.TrA, c.nuDeg * RAD), 1e-7);
    EXPECT_NEAR(o.prm.PeD, c.a * (1 - c.e), 1e-6 * std::fabs(c.a));
    EXPECT_NEAR(o.prm.ApD, c.a * (1 + c.e), 1e-6 * std::fabs(c.a));
    // the mean anomaly by Kepler's equation from the true anomaly
    double nu = c.nuDeg * RAD, M;
    if (c.e < 1) {
      double E = 2 * std::atan(std::sqrt((1 - c.e) / (1 + c.e)) * std::tan(nu / 2));
      M = E - c.e * std::sin(E);
      EXPECT_NEAR(o.prm.T, PI2 * std::sqrt(c.a * c.a * c.a / kMu), 1e-6 * o.prm.T);
      EXPECT_LT(angleDiff(o.prm.PeT * o.meanMotion, PI2 - M), 1e-7);
    } else {
      double F = 2 * std::atanh(std::sqrt((c.e - 1) / (c.e + 1)) * std::tan(nu / 2));
      M = c.e * std::sinh(F) - F;
      EXPECT_EQ(o.prm.T, 0.0);
      EXPECT_NEAR(o.prm.PeT, -M / o.meanMotion, 1e-6 * std::fabs(o.prm.PeT) + 1e-9);
    }
    EXPECT_LT(angleDiff(o.prm.MnA, M), 1e-7);
    EXPECT_LT(angleDiff(o.el.L, (c.nodeDeg + c.argDeg) * RAD + M), 1e-7);
  }
}

TEST(OrbitElements, CircularOrbitsCountTheirAnomalyFromTheNode) {
  // 400 km circular, 28.5 deg inclined, node at 70 deg, 50 deg past the node
  VECTOR3 r, v;
  stateOf(6.771e6, 0.0, 28.5 * RAD, 70 * RAD, 0.0, 50 * RAD, r, v);
  sim::OrbitState o;
  ASSERT_TRUE(sim::orbitElements(r, v, kMu, o));
  EXPECT_LT(o.el.e, 1e-12);
  EXPECT_LT(angleDiff(o.el.omegab, 70 * RAD), 1e-9);
  EXPECT_LT(angleDiff(o.prm.TrA, 50 * RAD), 1e-9);
  EXPECT_NEAR(o.prm.ApD, 6.771e6, 1e-3);
}

TEST(OrbitElements, DegenerateStatesStayFinite) {
  struct Case {
    const char *what;
    VECTOR3 r, v;
    bool defined;
  };
  double vEsc = std::sqrt(2 * kMu / 7e6);
  const Case cases[] = {
      {"at the centre", _V(0, 0, 0), _V(0, 0, 100), false},
      {"at rest", _V(7e6, 0, 0), _V(0, 0, 0), true},
      {"radial, rising", _V(7e6, 0, 0), _V(3000, 0, 0), true},
      {"parabolic", _V(7e6, 0, 0), _V(0, 0, vEsc), true},
      {"polar", _V(0, 7e6, 0), _V(0, 0, 7500), true},
      {"enormous speed", _V(7e6, 0, 0), _V(0, 1e150, 1e150), true},
  };
  for (const Case &c : cases) {
    sim::OrbitState o;
    EXPECT_EQ(sim::orbitElements(c.r, c.v, kMu, o), c.defined) << c.what;
    const double *e = &o.el.a, *p = &o.prm.SMi;
    for (int k = 0; k < 6; k++) EXPECT_TRUE(std::isfinite(e[k])) << c.what << " element " << k;
    for (int k = 0; k < 12; k++) EXPECT_TRUE(std::isfinite(p[k])) << c.what << " parameter " << k;
  }
}

TEST(OrbitElements, TheInterfaceQueriesAgreeWithTheStateAndTheFrames) {
  auto w = testsupport::makeEarthWorld(0.02, true, false);
  sim::CelestialBody &earth = *w->findBody("Earth");
  VECTOR3 r, v;
  stateOf(7.2e6, 0.05, 10 * RAD, 30 * RAD, 40 * RAD, 60 * RAD, r, v);
  double mu = earth.mu();
  v *= std::sqrt(mu / kMu);  // the same orbit about this Earth
  Vessel &ves = w->createVessel("O", "cargo_crate", testsupport::orbiting(earth, r, v));
  VESSEL &i = *ves.intf;
  ELEMENTS el;
  double mjd;
  EXPECT_EQ(i.GetElements(el, mjd), earth.handle());
  EXPECT_NEAR(el.a, 7.2e6, 1.0);
  EXPECT_NEAR(el.i, 10 * RAD, 1e-9);
  EXPECT_DOUBLE_EQ(mjd, w->mjd());
  double ap, pe;
  EXPECT_EQ(i.GetApDist(ap), earth.handle());
  EXPECT_EQ(i.GetPeDist(pe), earth.handle());
  EXPECT_NEAR(ap, 7.2e6 * 1.05, 1.0);
  EXPECT_NEAR(pe, 7.2e6 * 0.95, 1.0);
  // In the equatorial frame the inclination is that to the equator: for an orbit in the
  // ecliptic it is the obliquity.
  Vessel &ecl = w->createVessel("E", "cargo_crate", testsupport::orbiting(earth, _V(7e6, 0, 0), _V(0, 0, 7546)));
  ORBITPARAM prm;
  ASSERT_TRUE(ecl.intf->GetElements(nullptr, el, &prm, 0, FRAME_EQU));
  EXPECT_NEAR(el.i, earth.obliquity, 1e-9);
  ASSERT_TRUE(ecl.intf->GetElements(earth.handle(), el, &prm, 0, FRAME_ECL));
  EXPECT_NEAR(el.i, 0.0, 1e-9);
  // the mean longitude moved to another date at the mean motion
  double L0 = el.L, n = std::sqrt(mu / std::pow(el.a, 3));
  ASSERT_TRUE(ecl.intf->GetElements(earth.handle(), el, nullptr, w->mjd() + 0.01, FRAME_ECL));
  EXPECT_LT(angleDiff(el.L, L0 + n * 864.0), 1e-9);
  EXPECT_FALSE(ecl.intf->GetElements(earth.handle(), el, nullptr, 0, 7));  // an unknown frame
}

}  // namespace
