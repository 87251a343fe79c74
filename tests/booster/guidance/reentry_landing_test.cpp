// The reentry burn and the landing attitude guidance, called on a stage in a chosen state: when
// the burn latches, fires and gives up, which way it swings the ground track, and where each
// regime of the landing guidance points the thrust axis.
#include <gtest/gtest.h>

#include "booster_rig.h"

namespace {

using boostertest::angleDeg;
using boostertest::Rig;

// Coming down from the east towards the site, `eastKm` short of it, 60 km up.
Rig returning(double eastKm, double headingDeg = 270, double alt = 60000, double speed = 1500) {
  Rig r(eastKm, alt, headingDeg, speed, -30, 12000);
  r.b->autoSequence = 3;
  return r;
}

TEST(ReentryBurn, AnOvershootingStageLatchesAndFiresOnlyWhenPointed) {
  Rig r = returning(40.0);
  r.b->reentryBurnStep();  // the stage flies nose first: the demand latches, no thrust yet
  EXPECT_EQ(r.b->engineMode, 2);
  EXPECT_EQ(r.b->reentryBurnOn, 1);
  EXPECT_EQ(r.mainLevel(), 0.0);
  EXPECT_EQ(r.b->below15km, 0);

  r.pointZ(r.guidanceHorizon());
  r.b->reentryBurnStep();
  EXPECT_DOUBLE_EQ(r.v->intf->GetThrusterLevel(r.b->thMain[2]), 1.0);
  EXPECT_EQ(r.b->reentryBurnShown, 1);
  EXPECT_EQ(r.b->apReentryAttitude, 0);

  // 10 degrees off the thrust direction: the engine stops, the latch stays.
  VECTOR3 g = r.guidanceHorizon(), side = crossp(g, _V(0, 1, 0));
  g /= length(g), side /= length(side);
  r.pointZ(g * std::cos(10 * RAD) + side * std::sin(10 * RAD));
  r.b->reentryBurnStep();
  EXPECT_EQ(r.mainLevel(), 0.0);
  EXPECT_EQ(r.b->reentryBurnOn, 1);
}

TEST(ReentryBurn, AStageThatComesDownShortClosesTheWindow) {
  Rig r = returning(400.0, 270, 60000, 600);
  r.v->intf->SetThrusterGroupLevel(THGROUP_MAIN, 1.0);
  r.b->reentryBurnStep();
  EXPECT_EQ(r.b->below15km, 1);
  EXPECT_EQ(r.mainLevel(), 0.0);
}

TEST(ReentryBurn, AboveThirtyFiveKilometresTheThrustSwingsTheTrackOntoTheTarget) {
  for (double heading : {265.0, 275.0}) {
    Rig r = returning(40.0, heading);
    r.b->reentryBurnOn = 1;
    r.b->reentryBurnStep();
    VECTOR3 g = r.groundspeedHorizon(), T = r.targetHorizon(), d = r.guidanceHorizon();
    double headingError = std::atan2(g.x, g.z) - std::atan2(T.x, T.z);
    VECTOR3 back = _V(-g.x, 0, -g.z), thrust = _V(d.x, 0, d.z);
    EXPECT_NEAR(angleDeg(back, thrust), 10.0 * std::fabs(headingError) * DEG, 0.01) << heading;
    // The thrust's cross-track part points to the target's side of the track.
    VECTOR3 across = crossp(_V(g.x, 0, g.z), _V(0, 1, 0));
    double targetSide = dotp(across, T) > 0 ? 1.0 : -1.0;
    EXPECT_GT(targetSide * dotp(across, thrust), 0.0) << heading;
  }
  // Below 35 km the thrust points straight against the ground velocity.
  Rig low = returning(20.0, 275.0, 30000, 900);
  low.b->reentryBurnOn = 1;
  low.b->reentryBurnStep();
  if (low.b->below15km == 0) {
    EXPECT_LT(low.guidanceAngleTo(-low.groundspeedHorizon()), 1e-6);
  }
}

TEST(ReentryBurn, WithoutATargetNothingChanges) {
  Rig r = returning(40.0);
  r.setTarget("Nowhere");
  r.b->engineMode = 1;
  r.b->reentryBurnStep();
  EXPECT_EQ(r.b->engineMode, 1);
  EXPECT_EQ(r.b->reentryBurnOn, 0);
  EXPECT_EQ(r.b->below15km, 0);
}

// The landing guidance at `alt` over a point `eastM` east of the site, moving east at `east`
// m/s and down at `sink` m/s, the main engines at `level`.
Rig approaching(double alt, double eastM, double east, double sink, double level) {
  double speed = std::hypot(east, sink);
  Rig r(eastM / 1000.0, alt, 90, speed, -std::atan2(sink, east) * DEG, 2500);
  r.v->intf->SetThrusterGroupLevel(THGROUP_MAIN, level);
  return r;
}

TEST(LandingAttitude, EachRegimePointsTheThrustAxisAsIntended) {
  // Unpowered below 2 km: upright.
  Rig upright = approaching(1500, 400, 40, 80, 0.0);
  upright.b->landingAttitudeStep();
  EXPECT_LT(upright.guidanceAngleTo(_V(0, 1, 0)), 1e-6);

  // Unpowered above 2 km: the motion turned towards the low aim point, by at most 10 degrees.
  Rig high = approaching(5000, 3000, 200, 100, 0.0);
  high.b->landingAttitudeStep();
  VECTOR3 g = high.groundspeedHorizon(), T = high.targetHorizon();
  VECTOR3 B = _V(T.x, -0.666 * 5000, T.z);
  VECTOR3 d = -high.guidanceHorizon();
  EXPECT_NEAR(angleDeg(d, g), 10.0, 1e-3);
  EXPECT_NEAR(angleDeg(d, B), angleDeg(g, B) - 10.0, 0.05);

  // Powered above 300 m: the motion turned away from the aim point by 0.75 of its angle.
  Rig powered = approaching(1000, 300, 30, 60, 0.5);
  powered.b->landingAttitudeStep();
  g = powered.groundspeedHorizon(), T = powered.targetHorizon();
  VECTOR3 A = _V(T.x, 50.0 - 1000.0 / 3.0, T.z);
  d = -powered.guidanceHorizon();
  EXPECT_NEAR(angleDeg(d, A), 1.75 * angleDeg(g, A), 0.05);

  // Powered below 300 m: the motion turned away from straight down in proportion to the
  // horizontal speed, so that thrust against it brakes that speed.
  Rig low = approaching(200, 30, 10, 20, 0.5);
  low.b->landingAttitudeStep();
  g = low.groundspeedHorizon();
  double fromDown = angleDeg(g, _V(0, -1, 0));
  double vhor = std::hypot(g.x, g.z);
  d = -low.guidanceHorizon();
  EXPECT_NEAR(angleDeg(d, _V(0, -1, 0)), fromDown * (1.0 + 0.008 * vhor), 0.05);
}

TEST(LandingAttitude, WithoutMotionOrTargetTheCommandStaysFinite) {
  const VECTOR3 uprightAttitude = _V(PI05, 0, 0);
  Rig still(0.0, 500, 0, 0.0, 0, 2500, &uprightAttitude);
  still.b->landingAttitudeStep();
  EXPECT_TRUE(boostertest::finite(still.b->guidanceVector));
  Rig lost = approaching(1500, 400, 40, 80, 0.0);
  lost.setTarget("Nowhere");
  lost.b->landingAttitudeStep();  // falls back to the reentry hold
  EXPECT_TRUE(boostertest::finite(lost.b->guidanceVector));
}

}  // namespace
