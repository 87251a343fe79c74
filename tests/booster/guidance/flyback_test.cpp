// The flyback guidance: the choice between its two solutions, the throttle law by how far the
// thrust axis is off the guidance, the end of the burn, and finite commands in degenerate
// geometry.
#include <gtest/gtest.h>

#include "booster_rig.h"

namespace {

using boostertest::angleDeg;
using boostertest::finite;
using boostertest::Rig;

// The separated stage of the default recovery: 60 km east of the site, 70 km up, 1.7 km/s east
// climbing at 35 degrees, 40 t of propellant.
Rig separated(double dt = 0.02) { return Rig(60.0, 70000, 90, 1700, 35, 40000, nullptr, dt); }

// The same stage with +z turned `offDeg` away from the guidance vector of its first step.
Rig separatedPointing(double offDeg) {
  Rig probe = separated();
  probe.b->apFlyback = 2;
  probe.step();
  VECTOR3 g = probe.guidanceHorizon();
  Rig r = separated();
  VECTOR3 side = crossp(g, _V(0, 1, 0));
  side /= length(side);
  g /= length(g);
  double t = offDeg * RAD;
  r.pointZ(g * std::cos(t) + side * std::sin(t));
  r.b->apFlyback = 2;
  return r;
}

TEST(Flyback, WithoutATargetTheAutopilotStopsAndLeavesTheThrottle) {
  Rig r = separated();
  r.setTarget("Nowhere");
  r.b->apFlyback = 1;
  r.v->intf->SetThrusterGroupLevel(THGROUP_MAIN, 0.6);
  r.step();
  EXPECT_EQ(r.b->apFlyback, 0);
  EXPECT_DOUBLE_EQ(r.mainLevel(), 0.6);
}

TEST(Flyback, AClimbingStageFliesTheTransferSolution) {
  Rig r = separated();
  r.b->apFlyback = 1;
  r.step();
  EXPECT_EQ(r.b->apFlyback, 2);
  EXPECT_EQ(r.b->engineMode, 1);
  EXPECT_GT(r.b->requiredDv, 1000.0);  // the stage must reverse most of 1.7 km/s
  EXPECT_TRUE(finite(r.b->guidanceVector));
}

TEST(Flyback, AFallingStageKeepsTheFallingSolutionOnlyWhileItIsCheaper) {
  // Coming down 30 km east of the site, still moving away: both solutions are computed each step.
  Rig both(30.0, 60000, 90, 800, -20, 30000);
  both.b->apFlyback = 1;
  both.step();
  Rig transfer(30.0, 60000, 90, 800, -20, 30000);
  transfer.b->apFlyback = 2;
  transfer.step();
  if (both.b->apFlyback == 1)
    EXPECT_LE(both.b->requiredDv, transfer.b->requiredDv);
  else
    EXPECT_EQ(both.b->apFlyback, 2);
  EXPECT_TRUE(finite(both.b->guidanceVector));
}

TEST(Flyback, ThrottleFollowsTheAngleOffTheGuidance) {
  // Along the guidance: the three engines at the demanded level (full for a large change).
  Rig along = separatedPointing(0.0);
  along.step();
  EXPECT_EQ(along.b->engineMode, 1);
  EXPECT_DOUBLE_EQ(along.mainLevel(), 1.0);
  // 45 degrees off: the centre engine at 0.7 gives steering thrust while the stage turns.
  Rig turning = separatedPointing(45.0);
  turning.step();
  EXPECT_EQ(turning.b->engineMode, 2);
  EXPECT_DOUBLE_EQ(turning.v->intf->GetThrusterLevel(turning.b->thMain[2]), 0.7);
  // Beyond 90 degrees: no thrust.
  Rig away = separatedPointing(120.0);
  away.step();
  EXPECT_EQ(away.mainLevel(), 0.0);
}

TEST(Flyback, TheBurnEndsOnABallisticPathBackTowardsTheSite) {
  Rig r = separated();
  r.b->autoSequence = 2;
  r.b->apFlyback = 1;
  double t0 = r.w->simTime();
  double fullMain = r.v->intf->GetPropellantMass(r.b->phMain);
  while (r.b->apFlyback != 0 && r.w->simTime() - t0 < 300) r.step();
  ASSERT_EQ(r.b->apFlyback, 0) << "flyback still burning after 300 s";
  EXPECT_EQ(r.b->autoSequence, 3);
  EXPECT_TRUE(r.v->intf->GetNavmodeState(NAVMODE_KILLROT));
  EXPECT_EQ(r.mainLevel(), 0.0);
  EXPECT_LT(r.b->requiredDv, 8.0);
  // Heading back west towards the site, within a few degrees of its bearing.
  VECTOR3 g = r.groundspeedHorizon(), T = r.targetHorizon();
  EXPECT_LT(angleDeg(_V(g.x, 0, g.z), _V(T.x, 0, T.z)), 5.0);
  double used = fullMain - r.v->intf->GetPropellantMass(r.b->phMain);
  EXPECT_GT(used, 5000.0);
  EXPECT_LT(used, 38000.0);  // propellant left for the reentry and landing burns
}

TEST(Flyback, DegenerateGeometryGivesFiniteCommands) {
  // Hovering straight above the site, and at rest above it at the aim height's order: the
  // transfer plane has no direction.
  const VECTOR3 upright = _V(PI05, 0, 0);
  for (double alt : {6000.0, 20000.0}) {
    Rig r(0.0, alt, 0, 0.0, 0, 20000, &upright);
    r.b->apFlyback = 1;
    r.step(3);
    EXPECT_TRUE(finite(r.b->guidanceVector)) << alt;
    EXPECT_TRUE(std::isfinite(r.b->requiredDv)) << alt;
    EXPECT_TRUE(std::isfinite(r.b->flybackFlightTime)) << alt;
    double level = r.mainLevel();
    EXPECT_TRUE(level >= 0.0 && level <= 1.0) << alt;
  }
}

}  // namespace
