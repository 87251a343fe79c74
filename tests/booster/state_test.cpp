// The booster's scenario lines and their repair after creation: the lines written, the target
// name with a blank or a line break, keywords in any case, targets that name nothing, unreadable
// values, the animation states pushed on loading, and what post-creation re-applies.
#include "booster_fixture.h"

namespace {

using boostertest::loaded;
using boostertest::Stage;

bool holds(const std::string &text, const std::string &line) { return text.find(line) != std::string::npos; }

TEST(BoosterState, UntouchedBoosterSavesTheDefaultLines) {
  Stage s = boostertest::highAbove();
  std::string text = s.world->scenarioText();
  EXPECT_TRUE(holds(text, "  LEGS 0 0.0000 0.0000 0.0000\n"
                          "  FINS 0 0.0000 0.5000 0.5000\n"
                          "  APST 0 0 0 0 0\n"
                          "  LPRM NULL\n"))
      << text;
}

TEST(BoosterState, TwoWordTargetIsSavedWithAPlusAndReadBackWithItsBlank) {
  Stage s = boostertest::highAbove();
  s.code(2300, "Kestrel Point");
  s.b->legsState = 3, s.b->legsAnimState[0] = 0.25;
  s.b->engineMode = 1, s.b->apReentryAttitude = 1, s.b->autoSequence = 3;
  std::string text = s.world->scenarioText();
  EXPECT_TRUE(holds(text, "  LEGS 3 0.2500 0.0000 0.0000\n")) << text;
  EXPECT_TRUE(holds(text, "  APST 1 0 0 1 3\n")) << text;
  EXPECT_TRUE(holds(text, "  LPRM Kestrel+Point\n")) << text;
  EXPECT_EQ(s.hudRow(184), "K = Set Flyback Target: Kestrel Point");  // the module keeps its blank
  Stage back = loaded("  LEGS 3 0.2500 0 0\n  APST 1 0 0 1 3\n  LPRM Kestrel+Point\n");
  EXPECT_EQ(back.hudRow(184), "K = Set Flyback Target: Kestrel Point");
  EXPECT_EQ(back.b->autoSequence, 3);  // the target resolves: the sequence stays on
  EXPECT_TRUE(holds(back.world->scenarioText(), "  LPRM Kestrel+Point\n"));
}

TEST(BoosterState, TargetWithALineBreakCannotWriteLinesOfItsOwn) {
  Stage s = boostertest::highAbove();
  s.code(2300, "Kestrel Point\r\n  LEGS 5 2 -1 9\nAPST 0 7 7 7 9");
  std::string text = s.world->scenarioText();
  EXPECT_TRUE(holds(text, "  LEGS 0 0.0000 0.0000 0.0000\n  FINS 0 0.0000 0.5000 0.5000\n  APST 0 0 0 0 0\n"
                          "  LPRM Kestrel+Point\nEND\n"))
      << text;
}

TEST(BoosterState, KeywordsMatchInAnyCase) {
  Stage s = loaded("  legs 2 1 1 1\n  Fins 1 0.25 0.6 0.4\n  aPsT 2 1 0 0 0\n  lprm Harrow\n");
  EXPECT_EQ(s.b->legsState, 2);
  EXPECT_EQ(s.b->legsAnimState[2], 1.0);
  EXPECT_EQ(s.b->finsState, 1);
  EXPECT_EQ(s.b->finsAnimState[1], 0.6);
  EXPECT_EQ(s.b->engineMode, 2);
  EXPECT_EQ(s.b->apDescent, 1);
  EXPECT_EQ(s.hudRow(184), "K = Set Flyback Target: Harrow");
}

TEST(BoosterState, LoadedTargetThatNamesNothingSwitchesTheFlybackAndSequenceOff) {
  for (const char *name : {"Gone", "Earth"}) {  // a celestial body is no target either
    SCOPED_TRACE(name);
    Stage s = loaded(std::string("  APST 0 1 1 1 2\n  LPRM ") + name + "\n");
    EXPECT_EQ(s.b->apFlyback, 0);
    EXPECT_EQ(s.b->autoSequence, 0);
    EXPECT_EQ(s.b->apDescent, 1);  // left as loaded
    EXPECT_EQ(s.b->apReentryAttitude, 1);
    EXPECT_EQ(s.hudRow(184), "K = Set Flyback Target: NULL");
  }
}

TEST(BoosterState, UnreadableValuesLeaveTheMembersUnchanged) {
  Stage s = loaded("  LEGS x 0.5\n  FINS 2 nan inf 0.3\n  APST 1 x 1\n");
  EXPECT_EQ(s.b->legsState, 0);
  EXPECT_EQ(s.b->legsAnimState[0], 0.0);
  EXPECT_EQ(s.b->finsState, 2);
  EXPECT_EQ(s.b->finsAnimState[0], 0.0);
  EXPECT_EQ(s.b->finsAnimState[1], 0.5);
  EXPECT_EQ(s.b->finsAnimState[2], 0.3);
  EXPECT_EQ(s.b->engineMode, 1);
  EXPECT_EQ(s.b->apDescent, 0);
  EXPECT_EQ(s.b->apFlyback, 0);
  s.step(5);
  EXPECT_EQ(s.world->diagnostics().refusedCount(), 0);  // nothing non-finite reached the host
}

// A loaded autopilot flag or sequence stage outside the values the booster knows is taken as off,
// and saved so.
TEST(BoosterState, ModesOutsideTheirRangeLoadAsOff) {
  const std::pair<const char *, const char *> cases[] = {
      {"0 -5 -5 -5 -5", "0 0 0 0 0"},
      {"1 2 3 2 5", "1 0 0 0 0"},
      {"2 1 2 1 4", "2 1 2 1 4"},  // the highest value of each
      {"1 0 1 0 3", "1 0 1 0 3"},
  };
  for (auto [apst, saved] : cases) {
    Stage s = loaded(std::string("  APST ") + apst + "\n  LPRM Kestrel+Point\n");
    std::string text = s.world->scenarioText();
    EXPECT_TRUE(holds(text, std::string("  APST ") + saved + "\n")) << apst << "\n" << text;
  }
}

TEST(BoosterState, AnimationStatesOutsideTheirRangeAreBroughtWithinIt) {
  Stage s = loaded("  LEGS 1 -3 2 0.5\n  FINS 3 0.13e085 -1e300 0.25\n");
  EXPECT_EQ(s.b->legsAnimState[0], 0.0);
  EXPECT_EQ(s.b->legsAnimState[1], 1.0);
  EXPECT_EQ(s.b->legsAnimState[2], 0.5);
  EXPECT_EQ(s.b->finsAnimState[0], 1.0);
  EXPECT_EQ(s.b->finsAnimState[1], 0.0);
  EXPECT_EQ(s.b->finsAnimState[2], 0.25);
  s.step(5);  // a fin state of 1.3e84 made the state non-finite within five steps
  EXPECT_EQ(s.world->diagnostics().refusedCount(), 0);
}

TEST(BoosterState, LoadedAnimationStatesPoseTheMeshesAtOnce) {
  Stage s = loaded("  LEGS 3 0.4 0.3 0.2\n  FINS 3 0.6 0.75 0.25\n");
  const larkon &b = *s.b;
  const std::pair<UINT, double> expected[] = {{b.animLegs, 0.4},       {b.animLegStruts, 0.3},
                                              {b.animLegExtend, 0.2},  {b.animFinsDeploy, 0.6},
                                              {b.animFinsDeflectA, 0.75}, {b.animFinsDeflectB, 0.25}};
  for (auto [anim, state] : expected) EXPECT_EQ(s.anim(anim), state) << anim;
  // fin 1 already turned before the driver has run: (0.75 - 0.5) x 90 deg about its axis
  sim::Affine fin = sim::groupTransform(*s.v, 1, 3);
  s.intf->SetAnimation(b.animFinsDeflectA, 0.5);
  sim::Affine neutral = sim::groupTransform(*s.v, 1, 3);
  MATRIX3 turn = mul(fin.A, transp(neutral.A));
  EXPECT_NEAR(std::acos((turn.m11 + turn.m22 + turn.m33 - 1) / 2) * DEG, 22.5, 1e-4);
}

TEST(BoosterState, PostCreationRestoresTheFinSurfacesTheEngineAndTheDeployedLegs) {
  Stage s = loaded("  LEGS 2 1 1 1\n  FINS 2 1 0.5 0.5\n  APST 2 0 0 0 0\n");
  const auto &cs = s.v->def.controlSurfaces;
  ASSERT_EQ(cs.size(), 2u);
  EXPECT_EQ(cs[0].type, AIRCTRL_ELEVATOR);
  EXPECT_EQ(cs[0].axis, AIRCTRL_AXIS_XPOS);
  EXPECT_EQ(cs[1].type, AIRCTRL_RUDDER);
  EXPECT_EQ(cs[1].axis, AIRCTRL_AXIS_YPOS);
  for (const sim::ControlSurfaceDef &c : cs) {
    EXPECT_EQ(c.area, 2.0);
    EXPECT_EQ(c.dCl, 1.5);
    EXPECT_EQ(c.ref.z, 20.0);
    EXPECT_EQ(c.anim, (UINT)-1);
  }
  EXPECT_EQ(s.v->st.controls[AIRCTRL_ELEVATOR].delay, 0.5);
  EXPECT_EQ(s.members(THGROUP_MAIN), s.indices(s.b->thMain, {2}));
  EXPECT_EQ(s.intf->GetThrusterMax0(s.b->thEngineAtt[0]), 9500.0);
  const auto &points = s.v->def.touchdown.points;
  ASSERT_EQ(points.size(), 4u);
  for (int k = 0; k < 3; k++) {
    EXPECT_EQ(points[k].pos.z, -24.0);
    EXPECT_EQ(points[k].damping, 1e6);
    EXPECT_EQ(points[k].mu, 0.7);
  }
  EXPECT_EQ(points[3].pos.y, 20.0);
  // legs and fins on their way out keep the stowed points and get no surfaces yet
  Stage moving = loaded("  LEGS 1 0.5 0.5 0.5\n  FINS 1 0.5 0.5 0.5\n");
  EXPECT_TRUE(moving.v->def.controlSurfaces.empty());
  EXPECT_EQ(moving.v->def.touchdown.points[0].pos.z, -20.0);
}

}  // namespace

namespace {

TEST(BoosterState, TheLandingLawLineIsWrittenForThePrecisionLawAloneAndReadBack) {
  Stage s = boostertest::highAbove();
  EXPECT_FALSE(holds(s.world->scenarioText(), "LANDLAW"));  // the descent autopilot's own law
  s.b->landingLaw = larkon::kLawPrecision;
  std::string text = s.world->scenarioText();
  EXPECT_TRUE(holds(text, "  LPRM NULL\n  LANDLAW 1\n")) << text;
  struct Case {
    const char *lines;
    int law;
  };
  const Case cases[] = {{"  LANDLAW 1\n", larkon::kLawPrecision},
                        {"  landlaw 1\n", larkon::kLawPrecision},
                        {"  LANDLAW 0\n", larkon::kLawSpecified},
                        {"  LANDLAW 7\n", larkon::kLawSpecified},  // no such law: the specified one
                        {"  LANDLAW -1\n", larkon::kLawSpecified},
                        {"  LANDLAW x\n", larkon::kLawSpecified},
                        {"  LEGS 0 0 0 0\n", larkon::kLawSpecified}};  // absent
  for (const Case &c : cases) {
    SCOPED_TRACE(c.lines);
    EXPECT_EQ(loaded(c.lines).b->landingLaw, c.law);
  }
}

}  // namespace
