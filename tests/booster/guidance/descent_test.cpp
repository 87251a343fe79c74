// The descent autopilot: engine count by propellant, the braking bands and their gates, the hover
// level, the run-down after touchdown, the legs below 3 km.
#include <gtest/gtest.h>

#include "booster_rig.h"

namespace {

using boostertest::Rig;

const VECTOR3 kUpright = _V(PI05, 0, 0);  // +z straight up

// A stage falling straight down at `sink` m/s at height `alt`, descent autopilot on, the
// correction burn behind it.
Rig descending(double alt, double sink, double mainKg, double dt = 0.02) {
  Rig r(0.0, alt, 0, sink, -90, mainKg, &kUpright, dt);
  r.b->apDescent = 1;
  r.b->descentBurnDone = 1;
  return r;
}

TEST(Descent, EngineCountFollowsThePropellant) {
  Rig many = descending(10000, 200, 25000);
  many.step();
  EXPECT_EQ(many.b->engineMode, 1);
  Rig few = descending(10000, 200, 15000);
  few.step();
  EXPECT_EQ(few.b->engineMode, 2);
  Rig exact = descending(10000, 200, 20000);
  exact.b->engineMode = 0;
  exact.step();
  EXPECT_EQ(exact.b->engineMode, 0);  // exactly 20 t: no change
}

TEST(Descent, UpperGateLightsOnlyWhenBrakingCanNoLongerWait) {
  // 3 t or less: H1 = 850 m. Falling at 60 m/s at 1000 m needs (60 - 30)^2 / 300 = 3 m/s^2: far
  // below three quarters of what full thrust gives; the engine stays dark.
  Rig slow = descending(1000, 60, 2500);
  slow.step();
  EXPECT_EQ(slow.mainLevel(), 0.0);
  // Falling at 150 m/s the need (120^2 / 300 = 48 m/s^2) exceeds it: the engine lights.
  Rig fast = descending(1000, 150, 2500);
  fast.step();
  EXPECT_GT(fast.mainLevel(), 0.0);
  // 30 t: H1 = 7600 m, H2 = 1900 m: at 3000 m the second band brakes without waiting.
  Rig heavy = descending(3000, 60, 30000);
  heavy.step();
  EXPECT_GT(heavy.mainLevel(), 0.0);
  Rig heavyHigh = descending(8000, 60, 30000);
  heavyHigh.step();
  EXPECT_EQ(heavyHigh.mainLevel(), 0.0);  // above H1 with little need: dark
}

TEST(Descent, BelowTwentyFiveMetresASlowStageGetsTheHoverLevel) {
  Rig r = descending(24.8, 0.5, 1500);
  r.b->legsState = 2;
  r.step();
  VESSEL &i = *r.v->intf;
  // hover: (W - Dy) / (sin(pitch) F), F of the centre engine at the ground's pressure
  VECTOR3 W;
  i.GetWeightVector(W);
  double F = i.GetThrusterMax(r.b->thMain[2]);
  double expected = length(W) / (std::sin(i.GetPitch()) * F);
  EXPECT_NEAR(r.mainLevel(), expected, 0.02 * expected);  // drag of a slow stage is small
}

TEST(Descent, OnTheLegsTheThrottleRunsDownAtAQuarterPerSecond) {
  Rig r = descending(24.2, 0.0, 1500);
  r.b->legsState = 2;
  r.b->finsState = 2;
  r.b->finsAnimState[0] = 1.0;  // out: folding them takes a while
  r.b->autoSequence = 4;
  VECTOR3 W;
  r.v->intf->GetWeightVector(W);
  double start = 0.9 * length(W) / r.v->intf->GetThrusterMax(r.b->thMain[2]);  // just under hover
  r.v->intf->SetThrusterGroupLevel(THGROUP_MAIN, start);
  double t0 = r.w->simTime();
  while (r.b->apDescent == 1 && r.w->simTime() - t0 < 10) r.step();
  EXPECT_EQ(r.b->apDescent, 0);
  EXPECT_EQ(r.b->autoSequence, 0);
  EXPECT_EQ(r.b->finsState, 3);
  EXPECT_NEAR(r.w->simTime() - t0, start / 0.25, 0.05);
  EXPECT_EQ(r.mainLevel(), 0.0);
}

TEST(Descent, LegsComeDownBelowThreeKilometres) {
  Rig high = descending(3100, 100, 2500);
  high.step();
  EXPECT_EQ(high.b->legsState, 0);
  Rig low = descending(2900, 100, 2500);
  low.step();
  EXPECT_EQ(low.b->legsState, 1);
  EXPECT_DOUBLE_EQ(low.v->def.touchdown.points[0].pos.z, -24.0);  // the deployed table at once
}

TEST(Descent, NoTargetSkipsTheCorrectionBurn) {
  Rig r(3.0, 12000, 270, 300, -60, 8000);
  r.setTarget("Nowhere");
  r.b->apDescent = 1;
  r.step();
  EXPECT_EQ(r.b->descentBurnDone, 1);
}

}  // namespace
