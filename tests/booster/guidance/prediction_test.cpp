// The guidance's predictions against results found another way: the fall time as the later root
// of the fall's own equation of motion, the horizontal travel against a stepwise integration of
// linear drag, the heading error on both sides of +-180 deg, and the drag and gravity figures at
// their reference heights.
#include <gtest/gtest.h>

#include <cmath>

#include "booster/guidance/prediction.h"

namespace {

using namespace booster;

TEST(Prediction, FallTimeIsTheLaterRootOfTheFall) {
  struct Case {
    const char *what;
    double gy, gr, h, floor;
  };
  const Case cases[] = {
      {"falling fast from 60 km to 800 m", -1200.0, 9.63, 60000.0, 800.0},
      {"climbing from 70 km to 15.8 km", 900.0, 9.6, 70000.0, 15800.0},
      {"at rest 250 m above the floor", 0.0, 9.82, 500.0, 250.0},
      {"on the floor, falling", -30.0, 9.82, 4000.0, 4000.0},
      {"on the floor, climbing", 30.0, 9.82, 4000.0, 4000.0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_GE(fallDiscriminant(c.gy, c.gr, c.h, c.floor), 0.0);
    double t = fallTime(c.gy, c.gr, c.h, c.floor);
    double height = c.h + c.gy * t - 0.5 * c.gr * t * t;
    EXPECT_NEAR(height, c.floor, 1e-9 * std::max(1.0, c.h));
    EXPECT_LE(c.gy - c.gr * t, 1e-9);  // moving down (or just at rest) when it gets there
    EXPECT_GE(t, 0.0);
  }
  // climbing too slowly to reach a floor above it: the discriminant is negative, and the time
  // counts it as zero, the time to the top of the arc
  EXPECT_LT(fallDiscriminant(50.0, 9.8, 15000.0, 15800.0), 0.0);
  EXPECT_DOUBLE_EQ(fallTime(50.0, 9.8, 15000.0, 15800.0), 50.0 / 9.8);
}

TEST(Prediction, DragReachMatchesAStepwiseIntegrationOfLinearDrag) {
  struct Case {
    double kd, t, M;
  };
  const Case cases[] = {{981.0, 120.0, 60000.0}, {735.75, 40.0, 25000.0}, {20000.0, 30.0, 20000.0}};
  for (const Case &c : cases) {
    // x' = v, v' = -kd v / M from unit horizontal speed, in classical Runge-Kutta steps
    double x = 0, v = 1.0, k = c.kd / c.M;
    const int n = 20000;
    double dt = c.t / n;
    for (int i = 0; i < n; i++) {
      double v1 = v, v2 = v - 0.5 * dt * k * v1, v3 = v - 0.5 * dt * k * v2, v4 = v - dt * k * v3;
      x += dt / 6 * (v1 + 2 * v2 + 2 * v3 + v4);
      v -= dt / 6 * k * (v1 + 2 * v2 + 2 * v3 + v4);
    }
    EXPECT_NEAR(dragReach(c.kd, c.t, c.M), x, 1e-6 * c.t) << c.kd << " kg/s for " << c.t << " s";
  }
  // with little drag the reach is the time itself; with much, it tends to M / kd
  EXPECT_NEAR(dragReach(1e-6, 50.0, 30000.0), 50.0, 1e-6);
  EXPECT_NEAR(dragReach(30000.0, 100.0, 30000.0), 1.0, 1e-12);
}

// A horizon-frame direction of heading deg (from north towards east), exact at quarter turns.
VECTOR3 heading(double deg, double horizontal, double vertical) {
  auto exact = [](double x) { return std::fabs(x) < 1e-12 ? 0.0 : x; };
  return _V(horizontal * exact(std::sin(deg * RAD)), vertical,
            horizontal * exact(std::cos(deg * RAD)));
}

// Ground track heading psi and target bearing beta.
TEST(Prediction, HeadingErrorWrapsOnBothSidesOfHalfATurn) {
  struct Case {
    double psiDeg, betaDeg, errorDeg;
  };
  const Case cases[] = {
      {179.0, -179.0, -2.0},  {-179.0, 179.0, 2.0},   // just across +-180 deg, either way
      {170.0, -170.0, -20.0}, {-170.0, 170.0, 20.0},  //
      {10.0, -10.0, 20.0},    {-10.0, 10.0, -20.0},   // across north: no wrap
      {90.0, -90.0, 180.0},   {-90.0, 90.0, -180.0},  // exactly half a turn stays as it is
      {0.0, 0.0, 0.0},
  };
  for (const Case &c : cases) {
    TrackToTarget track =
        trackToTarget(heading(c.psiDeg, 150, -40), heading(c.betaDeg, 2000, -900));
    EXPECT_NEAR(track.headingError * DEG, c.errorDeg, 1e-9) << c.psiDeg << " towards " << c.betaDeg;
    EXPECT_NEAR(track.alongTrack, 2000 * std::cos(c.errorDeg * RAD), 1e-6)
        << c.psiDeg << " towards " << c.betaDeg;
  }
  EXPECT_DOUBLE_EQ(wrapAngle(2.5 * PI), 0.5 * PI);
  EXPECT_DOUBLE_EQ(wrapAngle(-2.5 * PI), -0.5 * PI);
}

TEST(Prediction, DragRatesAndGravityAtTheirReferenceHeights) {
  const std::pair<double, double> reentry[] = {
      {22500.0, 981.0}, {45000.0, 981.0 / 4}, {11250.0, 981.0 * 4}};
  for (auto [h, kd] : reentry) EXPECT_NEAR(reentryDragRate(h), kd, 1e-9) << h;
  const std::pair<double, double> correction[] = {
      {9700.0, 735.75},                         // the peak
      {9700.0 * std::sqrt(1.25), 588.6},        // f = 1.25, taken as 0.8
      {9700.0 * std::sqrt(0.8), 588.6},         // f = 0.8
      {9700.0 * std::sqrt(0.5), 0.7 * 735.75},  // f = 0.5, raised to 0.7
      {19400.0, 0.7 * 735.75},                  // f = 4, 1 / 4 raised to 0.7
      {0.0, 0.7 * 735.75},
  };
  for (auto [h, kd] : correction) EXPECT_NEAR(correctionDragRate(h), kd, 1e-9) << h;
  const double mu = 3.986004e14;
  EXPECT_NEAR(gravityAt(mu, 0.0), 9.8202, 1e-4);
  EXPECT_NEAR(gravityAt(mu, kPlanetRadius), gravityAt(mu, 0.0) / 4, 1e-12);
}

TEST(Prediction, AngleFromPlusZ) {
  const std::pair<VECTOR3, double> cases[] = {
      {_V(0, 0, 3), 0.0},   {_V(0, 0, -2), PI}, {_V(1, 0, 1), PI / 4},
      {_V(0, -5, 0), PI05}, {_V(0, 0, 0), 0.0},
  };
  for (const auto &[v, angle] : cases)
    EXPECT_NEAR(angleFromPlusZ(v), angle, 1e-12) << v.x << " " << v.y << " " << v.z;
}

}  // namespace
