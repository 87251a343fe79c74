// Engine configuration: the one main group follows the engine selection and keeps the throttle,
// the steering thrust follows the engine count, and the attitude groups swap between the two
// thruster sets leaving the previous set silent.
#include "booster_fixture.h"

namespace {

using boostertest::Stage;

TEST(BoosterEngines, SelectingEnginesMovesTheThrottleToTheNewThruster) {
  Stage s = boostertest::highAbove();
  larkon &b = *s.b;
  s.intf->SetThrusterGroupLevel(THGROUP_MAIN, 0.6);
  const double steering[3] = {38000, 9500, 9500};
  for (int mode : {1, 2, 0}) {  // P: nine -> three -> one -> nine
    SCOPED_TRACE(testing::Message() << "engine mode " << mode);
    ASSERT_EQ(s.key(OAPI_KEY_P), 1);
    EXPECT_EQ(b.engineMode, mode);
    EXPECT_EQ(s.members(THGROUP_MAIN), s.indices(b.thMain, {mode}));
    for (int k = 0; k < 3; k++) EXPECT_DOUBLE_EQ(s.level(b.thMain[k]), k == mode ? 0.6 : 0.0) << k;
    for (THRUSTER_HANDLE th : b.thEngineAtt) EXPECT_EQ(s.intf->GetThrusterMax0(th), steering[mode]);
  }
  s.step();  // and the burn goes on with the selected thruster only
  EXPECT_NEAR(s.v->fb.thrust_V.z, 0.6 * 6669000, 1.0);  // nearly vacuum at 150 km
  EXPECT_EQ(s.world->diagnostics().refusedCount(), 0);
}

// The groups are rebuilt only when the selected main thruster starts (level above 0: engine
// steering) or stops (level exactly 0: RCS) burning; a rebuild silences the previous set.
TEST(BoosterEngines, AttitudeGroupsSwapOnlyWhenTheSelectedEngineStartsOrStops) {
  Stage s = boostertest::highAbove();
  larkon &b = *s.b;
  s.intf->SetThrusterGroupLevel(THGROUP_MAIN, 1e-6);
  s.intf->SetThrusterGroupLevel(THGROUP_ATT_PITCHUP, 0.8);
  s.step(2);  // burning with the engine set: no rebuild, the group keeps its level
  ASSERT_EQ(b.attitudeSet, 0);
  EXPECT_DOUBLE_EQ(s.groupLevel(THGROUP_ATT_PITCHUP), 0.8);
  s.intf->SetThrusterGroupLevel(THGROUP_MAIN, 0.0);
  s.step();
  ASSERT_EQ(b.attitudeSet, 1);
  EXPECT_DOUBLE_EQ(b.maxAttRate, 3 * RAD);
  for (THRUSTER_HANDLE th : b.thEngineAtt) EXPECT_EQ(s.level(th), 0.0);
  EXPECT_EQ(s.members(THGROUP_ATT_PITCHUP), s.indices(b.thRcs, {3, 5}));
  s.intf->SetThrusterGroupLevel(THGROUP_ATT_YAWRIGHT, 0.8);
  s.step(2);  // silent with the RCS set: no rebuild
  EXPECT_DOUBLE_EQ(s.groupLevel(THGROUP_ATT_YAWRIGHT), 0.8);
  s.key(OAPI_KEY_P);  // three engines selected; the nine-engine thruster burning does not count
  s.intf->SetThrusterLevel(b.thMain[0], 0.5);
  s.step();
  EXPECT_EQ(b.attitudeSet, 1);
  s.intf->SetThrusterGroupLevel(THGROUP_MAIN, 0.5);
  s.step();
  ASSERT_EQ(b.attitudeSet, 0);
  EXPECT_DOUBLE_EQ(b.maxAttRate, 5 * RAD);
  for (THRUSTER_HANDLE th : b.thRcs) EXPECT_EQ(s.level(th), 0.0);
  EXPECT_EQ(s.members(THGROUP_ATT_PITCHUP), s.indices(b.thEngineAtt, {9, 11}));
  EXPECT_EQ(s.world->diagnostics().refusedCount(), 0);
}

TEST(BoosterEngines, RcsSetBuiltTwiceGivesTheSameGroups) {
  Stage s = boostertest::highAbove();
  s.step();  // the main engine is off: the first step builds the RCS set
  ASSERT_EQ(s.b->attitudeSet, 1);
  std::vector<std::vector<int>> first;
  for (int t = THGROUP_ATT_PITCHUP; t <= THGROUP_ATT_BANKRIGHT; t++) first.push_back(s.members(THGROUP_TYPE(t)));
  s.b->attitudeSet = 0;  // as if the groups were still the engine set: the driver builds the RCS set again
  s.step();
  EXPECT_EQ(s.b->attitudeSet, 1);
  for (int t = THGROUP_ATT_PITCHUP; t <= THGROUP_ATT_BANKRIGHT; t++)
    EXPECT_EQ(s.members(THGROUP_TYPE(t)), first[t - THGROUP_ATT_PITCHUP]) << t;
  EXPECT_EQ(s.world->diagnostics().refusedCount(), 0);
}

// The engine mode indexes the three main thrusters; a scenario value outside 0..2 must not.
TEST(BoosterEngines, EngineModeOutsideTheRangeLoadsAsNineEngines) {
  for (const char *apst : {"  APST 7 0 0 0 0\n", "  APST -1 0 0 0 0\n"}) {
    SCOPED_TRACE(apst);
    Stage s = boostertest::loaded(apst);
    EXPECT_EQ(s.b->engineMode, 0);
    EXPECT_EQ(s.members(THGROUP_MAIN), s.indices(s.b->thMain, {0}));
    s.intf->SetThrusterGroupLevel(THGROUP_MAIN, 0.2);
    s.step(3);
    EXPECT_EQ(s.b->attitudeSet, 0);  // the driver reads the nine-engine thruster's level
    EXPECT_EQ(s.hudRow(280), "P = Engine Selection : 9");
    EXPECT_EQ(s.key(OAPI_KEY_P), 1);
    EXPECT_EQ(s.b->engineMode, 1);
    EXPECT_EQ(s.world->diagnostics().refusedCount(), 0);
  }
}

}  // namespace
