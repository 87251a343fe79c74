// The precision law's prediction of the fall: against the closed form of a fall in thin air (no
// drag: the horizontal speed carries on unchanged to the ignition point the burn's own rule finds),
// the drift of a stage falling through a wind, the wind column's interpolation, and the stage's
// own place for inputs that hold nothing to predict.
#include <gtest/gtest.h>

#include <cmath>

#include "booster/guidance/precision_burn.h"
#include "booster/guidance/precision_fall.h"

namespace {

using namespace booster;

constexpr double kG = 9.81;

WindColumn still() {
  WindColumn w;
  for (int i = 0; i < kWindSamples; i++) w.height[i] = 1000.0 * i, w.wind[i] = _V(0, 0, 0);
  return w;
}

WindColumn steady(const VECTOR3 &wind) {
  WindColumn w = still();
  for (VECTOR3 &v : w.wind) v = wind;
  return w;
}

FallInputs falling(VECTOR3 pos, VECTOR3 vel, double density) {
  FallInputs in;
  in.pos = pos, in.vel = vel, in.mass = 22000, in.density = density, in.dragArea = 25, in.legsArea = 0;
  in.legsHeight = 3000, in.gravity = kG, in.maxThrust = 672000;
  return in;
}

TEST(PrecisionFall, WithoutDragTheStageCarriesItsSpeedToTheIgnitionPoint) {
  FallInputs in = falling(_V(-300, 3000, 200), _V(4, -80, -2), 1e-12);
  FallPrediction p = predictFall(in, still());
  ASSERT_TRUE(p.reached);
  // Closed form: y(t) = y0 + vy t - g t^2 / 2; the rule holds from the first t it is due.
  auto at = [&](double t) {
    return BurnState{_V(in.pos.x + in.vel.x * t, in.pos.y + in.vel.y * t - 0.5 * kG * t * t, in.pos.z + in.vel.z * t),
                     _V(in.vel.x, in.vel.y - kG * t, in.vel.z), _V(0, 0, 0), in.mass, in.maxThrust, kG};
  };
  double t = 0;
  while (!ignitionDue(at(t))) t += 1e-4;
  EXPECT_NEAR(p.time, t, 0.05);
  BurnState s = at(t);
  double burn = timeToGo(heightToGo(s.pos, s.vel), s.vel.y, plannedDeceleration(s));
  EXPECT_NEAR(p.miss.x, s.pos.x + 0.5 * s.vel.x * burn, 0.5);
  EXPECT_NEAR(p.miss.z, s.pos.z + 0.5 * s.vel.z * burn, 0.5);
  EXPECT_EQ(p.miss.y, 0.0);
}

TEST(PrecisionFall, AStageFallingThroughAWindDriftsWithIt) {
  struct Case {
    const char *what;
    VECTOR3 wind;
  };
  for (const Case &c : {Case{"east wind", _V(12, 0, 0)}, Case{"south-westerly", _V(8, 0, 8)}, Case{"north", _V(0, 0, -15)}}) {
    SCOPED_TRACE(c.what);
    // At sea-level density and its terminal speed, moving with the air already.
    FallInputs in = falling(_V(0, 2500, 0), _V(c.wind.x, -120, c.wind.z), 1.0);
    FallPrediction p = predictFall(in, steady(c.wind));
    ASSERT_TRUE(p.reached);
    double drift = std::hypot(p.miss.x, p.miss.z);
    double speed = std::hypot(c.wind.x, c.wind.z);
    // Carried with the air until the burn, then half the burn's time at that speed: a few seconds.
    double extra = drift / speed - p.time;
    EXPECT_GT(extra, 1.0);
    EXPECT_LT(extra, 10.0);
    EXPECT_GT(p.miss.x * c.wind.x + p.miss.z * c.wind.z, 0);  // downwind
    EXPECT_NEAR(p.miss.x * c.wind.z - p.miss.z * c.wind.x, 0, 1e-6 * drift * speed);
  }
}

TEST(PrecisionFall, WindColumnIsLinearInHeightAndHeldBeyondItsEnds) {
  WindColumn w;
  const double h[kWindSamples] = {10, 1000, 2000, 3000};
  const VECTOR3 v[kWindSamples] = {_V(2, 0, 0), _V(4, 0, 2), _V(10, 0, -4), _V(0, 0, 0)};
  for (int i = 0; i < kWindSamples; i++) w.height[i] = h[i], w.wind[i] = v[i];
  struct Case {
    double y, x, z;
  };
  for (const Case &c : {Case{0, 2, 0}, Case{10, 2, 0}, Case{505, 3, 1}, Case{1500, 7, -1}, Case{2750, 2.5, -1},
                        Case{9000, 0, 0}}) {
    SCOPED_TRACE(c.y);
    VECTOR3 at = w.at(c.y);
    EXPECT_NEAR(at.x, c.x, 1e-9);
    EXPECT_NEAR(at.z, c.z, 1e-9);
  }
}

TEST(PrecisionFall, NothingToPredictGivesTheStagesOwnPlace) {
  struct Case {
    const char *what;
    double mass, density;
  };
  for (const Case &c : {Case{"no mass", 0.0, 1.0}, Case{"no air", 22000.0, 0.0}, Case{"NaN mass", NAN, 1.0}}) {
    SCOPED_TRACE(c.what);
    FallInputs in = falling(_V(120, 2000, -40), _V(0, -100, 0), c.density);
    in.mass = c.mass;
    FallPrediction p = predictFall(in, still());
    EXPECT_EQ(p.miss.x, 120.0);
    EXPECT_EQ(p.miss.z, -40.0);
    EXPECT_FALSE(p.reached);
  }
}

}  // namespace
