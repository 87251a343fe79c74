// The precision landing burn's law against what it promises: a reference speed continuous from
// the braking arc to the touchdown speed, a time to go that integrating the reference reproduces,
// ignition exactly where the arc through the stage's height needs the planned deceleration, and a
// thrust vector within the engine's bounds and the tilt limit.
#include <gtest/gtest.h>

#include <cmath>

#include "booster/guidance/precision_burn.h"

namespace {

using namespace booster;

constexpr double kG = 9.81;

BurnState stage(VECTOR3 pos, VECTOR3 vel, double mass = 22000.0) {
  return BurnState{pos, vel, _V(0, 0, 0), mass, 672000.0, kG};
}

TEST(PrecisionBurn, ReferenceSpeedRunsFromTheArcDownToTheTouchdownSpeed) {
  const double a = 12.0;
  EXPECT_NEAR(referenceSpeed(0.0, a), -0.6, 1e-12);
  // Continuous where the arc meets the final segment, and falling faster with height.
  EXPECT_NEAR(referenceSpeed(10.0 - 1e-9, a), referenceSpeed(10.0 + 1e-9, a), 1e-6);
  double last = 1.0;
  for (double x : {0.0, 2.0, 5.0, 10.0, 50.0, 300.0, 1500.0}) {
    double v = referenceSpeed(x, a);
    EXPECT_LT(v, last) << x;
    last = v;
  }
  // On the arc, v^2 grows by 2 a per metre: constant deceleration a.
  double v1 = referenceSpeed(400.0, a), v2 = referenceSpeed(500.0, a);
  EXPECT_NEAR((v2 * v2 - v1 * v1) / (2.0 * 100.0), a, 1e-9);
}

TEST(PrecisionBurn, TimeToGoIsTheTimeTheReferenceTakesToTheGround) {
  struct Case {
    double x, aRef;
  };
  for (const Case &c : {Case{8.0, 10.0}, Case{60.0, 10.0}, Case{900.0, 14.0}, Case{2500.0, 18.0}}) {
    SCOPED_TRACE(c.x);
    double x = c.x, t = 0, dt = 1e-4;
    while (x > 1e-6 && t < 1000) {
      double v = referenceSpeed(x, c.aRef);
      x += v * dt;
      t += dt;
    }
    EXPECT_NEAR(timeToGo(c.x, referenceSpeed(c.x, c.aRef), c.aRef), t, 0.02 * t + 0.05);
  }
}

TEST(PrecisionBurn, IgnitionComesWhenTheArcNeedsThePlannedDeceleration) {
  BurnState s = stage(_V(0, 1500, 0), _V(0, 0, 0));
  double a = plannedDeceleration(s);
  ASSERT_GT(a, 0);
  double x = heightToGo(s.pos, s.vel);
  double vIgnite = -std::sqrt(3.6 * 3.6 + 2.0 * a * (x - 10.0));  // the arc's speed at this height
  struct Case {
    const char *what;
    VECTOR3 pos, vel;
    bool due;
  };
  const Case cases[] = {
      {"slower than the arc", _V(0, 1500, 0), _V(0, vIgnite * 0.95, 0), false},
      {"faster than the arc", _V(0, 1500, 0), _V(0, vIgnite * 1.05, 0), true},
      {"climbing", _V(0, 1500, 0), _V(0, 20, 0), false},
      {"above the burn's ceiling, however fast", _V(0, kLandingBurnCeiling + 10, 0), _V(0, -900, 0), false},
      {"already on the final segment", _V(0, kFootHeight + 5, 0), _V(0, -1, 0), true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ignitionDue(stage(c.pos, c.vel)), c.due);
  }
}

TEST(PrecisionBurn, TheApproachConeLowersTheHeightToGoWithDistanceAndSpeedAcross) {
  double over = heightToGo(_V(0, 100, 0), _V(0, -5, 0));
  EXPECT_DOUBLE_EQ(over, 100 - kFootHeight);
  EXPECT_LT(heightToGo(_V(30, 100, 0), _V(0, -5, 0)), over);
  EXPECT_LT(heightToGo(_V(0, 100, 0), _V(4, -5, 0)), over);
  EXPECT_NEAR(over - heightToGo(_V(0, 100, 40), _V(0, -5, 0)), 40 * std::tan(15 * RAD), 1e-9);
}

TEST(PrecisionBurn, ShortOfPropellantItComesDownWhereItIs) {
  // On the final segment, 6 m out and drifting: the gate holds it back while it can hover on.
  BurnState s{_V(6, kFootHeight + 3, 0), _V(1, -0.5, 0), _V(0, 0, 0), 20000.0, 672000.0, kG};
  double x = heightToGo(s.pos, s.vel);
  ASSERT_LT(x, 10.0);
  ASSERT_EQ(touchdownGate(6.0, 1.0), 0.0);
  s.hoverTime = 60.0;
  double held = burnCommand(s).thrust.y;
  s.hoverTime = 5.0;
  double landing = burnCommand(s).thrust.y;
  EXPECT_LT(landing, held);  // less thrust: it goes on down
}

TEST(PrecisionBurn, ThrustStaysWithinTheEngineAndTheTiltLimit) {
  struct Case {
    const char *what;
    VECTOR3 pos, vel, drag;
  };
  const Case cases[] = {
      {"far out, falling fast", _V(400, 900, -300), _V(30, -110, -20), _V(-2000, 150000, 1000)},
      {"low, moving across", _V(5, 30, 0), _V(6, -2, 0), _V(-1500, 500, 0)},
      {"on the feet, drifting", _V(0.5, 24.2, 0.5), _V(0.3, -0.5, 0.2), _V(4000, 0, 0)},
      {"climbing high", _V(0, 2000, 0), _V(0, 30, 0), _V(0, 0, 0)},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    BurnState s{c.pos, c.vel, c.drag, 22000.0, 672000.0, kG};
    BurnCommand cmd = burnCommand(s);
    double Th = std::hypot(cmd.thrust.x, cmd.thrust.z);
    EXPECT_GE(cmd.thrust.y, 0.0);
    EXPECT_DOUBLE_EQ(cmd.vertical, cmd.thrust.y);
    EXPECT_LE(length(cmd.thrust), s.maxThrust * (1 + 1e-12));
    double clearance = c.pos.y - kFootHeight + std::hypot(c.pos.x, c.pos.z) + 3.0 * std::hypot(c.vel.x, c.vel.z);
    double lean = std::clamp((c.pos.y - kFootHeight - 0.5) / 2.5, 0.0, 1.0);
    double dragAcross = lean * std::hypot(c.drag.x, c.drag.z);
    EXPECT_LE(Th, std::tan(tiltLimit(clearance)) * cmd.thrust.y + dragAcross + 1e-6);
  }
}

TEST(PrecisionBurn, ItLeansIntoAWindBeyondTheTiltLimitButPlantsItsFeetUpright) {
  // A side drag larger than the tilt limit's share of the thrust, over the pad.
  struct Case {
    double feet;  // [m] above the ground
    bool holdsTheDrag;
  };
  for (const Case &c : {Case{4.0, true}, Case{3.0, true}, Case{0.5, false}, Case{0.1, false}}) {
    SCOPED_TRACE(c.feet);
    BurnState s{_V(0, kFootHeight + c.feet, 0), _V(0, -0.6, 0), _V(15000, 0, 0), 20000.0, 672000.0, kG};
    BurnCommand cmd = burnCommand(s);
    double clearance = c.feet + 3.0 * 0.0;
    ASSERT_LT(std::tan(tiltLimit(clearance)) * cmd.thrust.y, 15000.0);
    if (c.holdsTheDrag) {
      EXPECT_NEAR(cmd.thrust.x, -15000.0, 1e-6);
    } else {
      EXPECT_NEAR(cmd.thrust.x, -std::tan(tiltLimit(clearance)) * cmd.thrust.y, 1e-6);
    }
  }
}

TEST(PrecisionBurn, OverThePadAtRestItHoldsTheWeightLessTheDrag) {
  // On the final segment over the pad, at the reference speed: thrust = weight - vertical drag, plus
  // the small deceleration the segment asks for; horizontal drag is cancelled.
  double x = 5.0;
  double v = referenceSpeed(x, 10.0);
  BurnState s{_V(0, kFootHeight + x, 0), _V(0, v, 0), _V(800, 3000, -500), 20000.0, 672000.0, kG};
  BurnCommand c = burnCommand(s);
  double deceleration = -0.3 * v;  // dv_ref/dt on the final segment
  EXPECT_NEAR(c.thrust.y, 20000.0 * (kG + deceleration) - 3000.0, 1e-6);
  EXPECT_NEAR(c.thrust.x, -800.0, 1e-6);
  EXPECT_NEAR(c.thrust.z, 500.0, 1e-6);
}

TEST(PrecisionBurn, SidewaysThrustPushesTowardsThePadAndAgainstTheDrift) {
  struct Case {
    const char *what;
    VECTOR3 pos, vel;
    double sx, sz;  // expected signs of the thrust's x and z parts
  };
  const Case cases[] = {
      {"east of the pad", _V(40, 300, 0), _V(0, -40, 0), -1, 0},
      {"north of the pad", _V(0, 300, 40), _V(0, -40, 0), 0, -1},
      {"over it, drifting west", _V(0, 300, 0), _V(-6, -40, 0), 1, 0},
      {"over it, drifting south", _V(0, 300, 0), _V(0, -40, -6), 0, 1},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    BurnState s = stage(c.pos, c.vel);
    s.vel.y = referenceSpeed(heightToGo(s.pos, s.vel), plannedDeceleration(s));  // on its braking arc
    BurnCommand cmd = burnCommand(s);
    if (c.sx != 0) {
      EXPECT_GT(cmd.thrust.x * c.sx, 0);
    }
    if (c.sz != 0) {
      EXPECT_GT(cmd.thrust.z * c.sz, 0);
    }
  }
}

}  // namespace
