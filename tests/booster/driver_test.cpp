// The per-step driver: the settle time of the automatic sequence, the one plume swap near the
// ground, the legs' and fins' motion with their touchdown points and control surfaces, and the
// grid-fin deflection slew.
#include "booster_fixture.h"

namespace {

using boostertest::Stage;

TEST(BoosterDriver, SequenceSettlesForMoreThanTwoSecondsOnlyOnce) {
  Stage s = boostertest::highAbove(150e3, 0.25);  // steps that add up to 2 s exactly
  s.code(2300, "Kestrel Point");  // a target, so that the flyback guidance keeps its switch on
  s.b->autoSequence = 1;
  s.step(8);
  EXPECT_EQ(s.b->sequenceTimer, 2.0);
  EXPECT_EQ(s.b->autoSequence, 1);
  s.step();
  EXPECT_EQ(s.b->autoSequence, 2);
  s.step();
  EXPECT_NE(s.b->apFlyback, 0);  // stage 2 switched the flyback autopilot on
  s.key(OAPI_KEY_B);  // off, and on again on the same booster: no second settle
  ASSERT_EQ(s.key(OAPI_KEY_B), 1);
  ASSERT_EQ(s.b->autoSequence, 1);
  s.step();
  EXPECT_EQ(s.b->autoSequence, 2);
}

TEST(BoosterDriver, PlumeIsSwappedOnceOnTheFirstStepBelowFiftyMetres) {
  auto w = testsupport::makeEarthWorld(0.02, false, true);
  const sim::CelestialBody &earth = *w->findBody("Earth");
  // exactly 50 m above the mean radius, at rest: the first step starts at 50 m, the next below
  sim::VesselSpawn at = testsupport::orbiting(earth, _V(earth.meanRadius + 50, 0, 0), _V(0, 0, 0));
  Stage s = boostertest::spawn(std::move(w), at);
  ASSERT_EQ(s.v->sp.alt, 50.0);
  const auto &streams = s.v->def.streams;
  size_t before = streams.size();
  int low = s.v->streamIndex(s.b->psLandingPlume, "test");
  ASSERT_GE(low, 0);
  s.step();
  EXPECT_EQ(streams.size(), before);
  EXPECT_FALSE(streams[low].deleted);
  s.step();
  ASSERT_EQ(streams.size(), before + 1);
  EXPECT_TRUE(streams[low].deleted);
  const sim::StreamDef &swapped = streams.back();
  EXPECT_EQ(swapped.thruster, s.index(s.b->thMain[2]));
  EXPECT_EQ(swapped.pos.z, -24.0);
  EXPECT_EQ(swapped.spec.srcsize, 5.0);
  EXPECT_EQ(swapped.spec.v0, 200.0);
  EXPECT_EQ(swapped.spec.atmsmap, PARTICLESTREAMSPEC::ATM_PLOG);
  s.v->edit()->rpos.x += 100;  // climbing back above 50 m does not undo it, nor does falling again
  s.v->stateChanged();
  s.step(20);
  EXPECT_EQ(streams.size(), before + 1);
  EXPECT_EQ(s.world->diagnostics().refusedCount(), 0);
}

TEST(BoosterDriver, LegsSwingOutInTenSecondsAndThenStandOnTheirFeet) {
  Stage s = boostertest::highAbove();
  larkon &b = *s.b;
  s.key(OAPI_KEY_G);
  s.run(9.9);
  EXPECT_EQ(b.legsState, 1);
  EXPECT_NEAR(b.legsAnimState[0], 0.99, 1e-9);
  EXPECT_EQ(s.v->def.touchdown.points.size(), 3u);
  EXPECT_GT(b.legsAnimState[1], 0.99);  // the strut follows the leg
  EXPECT_GT(b.legsAnimState[2], 0.99);
  s.run(0.2);
  EXPECT_EQ(b.legsState, 2);
  for (double x : b.legsAnimState) EXPECT_EQ(x, 1.0);
  for (UINT a : {b.animLegs, b.animLegStruts, b.animLegExtend}) EXPECT_EQ(s.anim(a), 1.0);
  ASSERT_EQ(s.v->def.touchdown.points.size(), 4u);
  EXPECT_EQ(s.v->def.touchdown.points[0].pos.z, -24.0);
  b.legsAnimState[0] = 0.3;  // deployed keeps the legs down whatever the state says
  s.step();
  EXPECT_EQ(s.anim(b.animLegs), 1.0);
  b.legsState = 3, b.legsAnimState[0] = 0.5;  // retracting (only a scenario sets it) takes 5 s
  s.run(4.9);
  EXPECT_EQ(b.legsState, 3);
  s.run(0.2);
  EXPECT_EQ(b.legsState, 0);
  EXPECT_EQ(s.anim(b.animLegs), 0.0);
  EXPECT_EQ(s.v->def.touchdown.points[0].pos.z, -24.0);  // retracting leaves the points
}

TEST(BoosterDriver, FinsUnfoldInTwoSecondsAndCarrySurfacesOnlyWhileOut) {
  Stage s = boostertest::highAbove();
  larkon &b = *s.b;
  const auto &surfaces = s.v->def.controlSurfaces;
  s.key(OAPI_KEY_J);
  s.run(1.9);
  EXPECT_EQ(b.finsState, 1);
  EXPECT_TRUE(surfaces.empty());
  s.run(0.2);
  EXPECT_EQ(b.finsState, 2);
  EXPECT_EQ(s.anim(b.animFinsDeploy), 1.0);
  EXPECT_EQ(surfaces.size(), 2u);
  s.step(10);
  EXPECT_EQ(surfaces.size(), 2u);  // created once
  s.key(OAPI_KEY_J);
  s.step();
  EXPECT_EQ(b.finsState, 3);
  EXPECT_TRUE(surfaces.empty());  // cleared on the first stowing step
  s.run(2.0);
  EXPECT_EQ(b.finsState, 0);
  EXPECT_EQ(s.anim(b.animFinsDeploy), 0.0);
  EXPECT_EQ(s.world->diagnostics().refusedCount(), 0);
}

TEST(BoosterDriver, FinDeflectionSlewsToItsTargetAndHoldsWhenCommandsCancel) {
  Stage s = boostertest::loaded("  FINS 2 1 1.0 0.0\n");
  larkon &b = *s.b;
  s.run(0.5);  // no command: back towards neutral at 0.5 per second
  EXPECT_NEAR(b.finsAnimState[1], 0.75, 1e-9);
  EXPECT_NEAR(b.finsAnimState[2], 0.25, 1e-9);
  s.run(0.6);
  EXPECT_EQ(b.finsAnimState[1], 0.5);
  EXPECT_EQ(b.finsAnimState[2], 0.5);
  EXPECT_EQ(s.anim(b.animFinsDeflectA), 0.5);
  ASSERT_EQ(b.attitudeSet, 1);
  s.intf->SetThrusterGroupLevel(THGROUP_ATT_PITCHUP, 1.0);  // pitch up: channel A up, B down
  s.run(0.2);
  EXPECT_GT(b.finsAnimState[1], 0.5);
  EXPECT_LT(b.finsAnimState[2], 0.5);
  // RCS set at 150 km: the elevator gets 0.1 x min(150/200 + 0.5, 1) of the pitch command
  EXPECT_DOUBLE_EQ(s.v->st.controls[AIRCTRL_ELEVATOR].permanent, 0.1);
  double a = b.finsAnimState[1], bb = b.finsAnimState[2];
  s.intf->SetThrusterGroupLevel(THGROUP_ATT_PITCHDOWN, 1.0);  // opposite groups cancel: hold
  s.run(0.5);
  EXPECT_EQ(b.finsAnimState[1], a);
  EXPECT_EQ(b.finsAnimState[2], bb);
  EXPECT_EQ(s.world->diagnostics().refusedCount(), 0);
}

}  // namespace
