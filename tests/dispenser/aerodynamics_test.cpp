// The ring's airfoil coefficients, called as the simulator calls them: no lift or moment at any
// angle, the vertical airfoil's sin^2 drag term, and the wave-drag profile over Mach number.
#include <cmath>

#include "ring_world.h"

namespace {

struct Coefficients {
  double cl, cm, cd;
};

Coefficients coefficients(Vessel &ring, int airfoil, double angle, double mach) {
  const sim::AirfoilDef &af = ring.def.airfoils.at(static_cast<size_t>(airfoil));
  Coefficients c{NAN, NAN, NAN};
  af.cfx(ring.intf, angle, mach, 1e6, af.context, &c.cl, &c.cm, &c.cd);
  return c;
}

constexpr int kVertical = 0, kHorizontal = 1;

TEST(RingAerodynamics, TwoAirfoilsMakeNoLiftOrMomentAtAnyAngle) {
  ringtest::RingWorld r;
  ASSERT_EQ(r.ring->def.airfoils.size(), 2u);
  EXPECT_EQ(r.ring->def.airfoils[kVertical].align, LIFT_VERTICAL);
  EXPECT_EQ(r.ring->def.airfoils[kHorizontal].align, LIFT_HORIZONTAL);
  for (int airfoil : {kVertical, kHorizontal}) {
    EXPECT_DOUBLE_EQ(r.ring->def.airfoils[airfoil].area, 2.0);
    // Every table entry, between them, and the ends of the range with a step past them.
    for (double deg = -180; deg <= 180; deg += 2.5) {
      Coefficients c = coefficients(*r.ring, airfoil, deg * RAD, 0.5);
      EXPECT_EQ(c.cl, 0.0) << deg;
      EXPECT_EQ(c.cm, 0.0) << deg;
    }
    for (double angle : {std::nextafter(PI, 4.0), std::nextafter(-PI, -4.0)}) {
      Coefficients c = coefficients(*r.ring, airfoil, angle, 0.5);
      EXPECT_EQ(c.cl, 0.0);
      EXPECT_NEAR(c.cd, 0.03, 1e-12);
    }
  }
}

TEST(RingAerodynamics, OnlyTheVerticalAirfoilHasTheSinSquaredDragTerm) {
  ringtest::RingWorld r;
  const double angles[] = {0.0, PI / 2, -PI / 6, 2.0, PI};
  for (double a : angles) {
    double s = std::sin(a);
    EXPECT_NEAR(coefficients(*r.ring, kVertical, a, 0.5).cd, 0.03 + 0.4 * s * s, 1e-12) << a;
    EXPECT_NEAR(coefficients(*r.ring, kHorizontal, a, 0.5).cd, 0.03, 1e-12) << a;
  }
}

TEST(RingAerodynamics, WaveDragRisesFromMach075PeaksThenFallsOff) {
  ringtest::RingWorld r;
  // 0 below Mach 0.75, linear to 0.04 at Mach 1, flat to 1.1, then 0.04 sqrt((1.1^2 - 1) / (M^2 - 1)).
  const struct {
    double mach, wave;
  } profile[] = {{0.5, 0.0}, {0.9, 0.024}, {1.05, 0.04}, {2.0, 0.04 * std::sqrt(0.21 / 3.0)}};
  for (const auto &p : profile)
    for (int airfoil : {kVertical, kHorizontal})
      EXPECT_NEAR(coefficients(*r.ring, airfoil, 0.0, p.mach).cd, 0.03 + p.wave, 1e-12) << p.mach;
}

}  // namespace
