// The satellite's scenario lines, the refill after creation and the keys.
#include "satellite_fixture.h"

using namespace sat;

TEST(SatelliteState, LinesSurviveASaveAndReloadUnchanged) {
  auto w = makeEarthWorld(0.1, false, false);
  Vessel &v = load(*w, ship("sat", "  sunlock 7\n  AutoAtt 2\n  spr 3 0.1234\n  SOLP 2 0.4321\n"));
  EXPECT_EQ(v.st.animStates[kSunTrack], 0.1234);
  EXPECT_EQ(v.st.animStates[kDeploy], 0.4321);
  std::string text = w->scenarioText();
  const std::string lines = "  SUNLOCK 7\n  AUTOATT 2\n  SPR 3 0.1234\n  SOLP 2 0.4321\nEND\n";
  size_t own = text.find(lines);
  ASSERT_NE(own, std::string::npos) << text;
  EXPECT_LT(text.find("  PRPLEVEL"), own);  // after the simulator's own lines
  w.reset();
  auto again = makeEarthWorld(0.1, false, false);
  TempDataRoot root;
  again->loadScenario(root.writeScenario("again", text));
  EXPECT_NE(again->scenarioText().find(lines), std::string::npos);
}

TEST(SatelliteState, UnreadableOrCorruptValuesCannotStickTheSatellite) {
  auto w = makeEarthWorld(0.1, false, false);
  load(*w, ship("sat", "  SOLP 3 nan\n  SPR 1 inf\n  AUTOATT 99999999999\n  SUNLOCK x\n") +
               ship("big", "  SOLP 1 7.5\n  SPR 0 1e20\n", "0 0 6771010"));
  EXPECT_EQ(saved(*w, "sat", "SOLP"), "3 0.0000");  // the integers read, the reals not
  EXPECT_EQ(saved(*w, "sat", "SPR"), "1 0.0000");
  EXPECT_EQ(saved(*w, "sat", "AUTOATT"), "0");
  EXPECT_EQ(saved(*w, "sat", "SUNLOCK"), "0");
  EXPECT_EQ(saved(*w, "big", "SOLP"), "1 1.0000");
  double turn = w->findVessel("big")->st.animStates[kSunTrack];
  EXPECT_TRUE(turn >= 0 && turn < 1) << turn;
  w->step();
  EXPECT_NEAR(w->findVessel("sat")->st.animStates[kDeploy], 0.005, 1e-12);
  EXPECT_NE(w->findVessel("big")->st.animStates[kSunTrack], turn);  // exactly deployed: tracks
  EXPECT_EQ(w->diagnostics().refusedCount(), 0);
}

TEST(SatelliteState, LoadedAutoAttitudeOfFiveOrMinusThreeFlipsWithOnePress) {
  for (auto [loaded, after] : {std::pair{"5", "0"}, std::pair{"-3", "1"}}) {
    auto w = makeEarthWorld(0.1, false, false);
    Vessel &v = load(*w, ship("sat", std::string("  AUTOATT ") + loaded + "\n"));
    EXPECT_EQ(press(*w, v, OAPI_KEY_V), 1);
    EXPECT_EQ(saved(*w, "sat", "AUTOATT"), after) << loaded;
  }
}

TEST(SatelliteState, EmptyTankRefilledOnlyWhenCreatedDuringTheRun) {
  auto w = makeEarthWorld(0.1, false, false);
  auto spawn = orbiting(*w->findBody("Earth"), _V(0, kOrbitRadius, 0), _V(7672.593, 0, 0));
  spawn.vs.flag |= VS_FUELRESET;
  EXPECT_EQ(w->createVessel("early", "orlis", spawn).st.tankMass[0], 0.0);
  runUntil(*w, 5);
  EXPECT_EQ(w->createVessel("late", "orlis", spawn).st.tankMass[0], 145.0);
  EXPECT_EQ(w->findVessel("early")->st.tankMass[0], 0.0);
}

TEST(SatelliteKeys, ShiftIsFilteredControlIsNotAndGActsOnlyWhenStowed) {
  auto w = makeEarthWorld(0.1, false, false);
  Vessel &v = load(*w, ship("sat", ""));
  for (int shift : {OAPI_KEY_LSHIFT, OAPI_KEY_RSHIFT}) {
    EXPECT_EQ(press(*w, v, OAPI_KEY_V, {shift}), 0);
    EXPECT_EQ(press(*w, v, OAPI_KEY_G, {shift}), 0);
  }
  EXPECT_EQ(press(*w, v, OAPI_KEY_V, {}, false), 0);  // key up
  EXPECT_EQ(press(*w, v, OAPI_KEY_J), 0);
  EXPECT_EQ(saved(*w, "sat", "AUTOATT"), "0");
  EXPECT_EQ(status(*w), 0);
  EXPECT_EQ(press(*w, v, OAPI_KEY_V, {OAPI_KEY_LCONTROL}), 1);
  EXPECT_EQ(saved(*w, "sat", "AUTOATT"), "1");
  EXPECT_EQ(press(*w, v, OAPI_KEY_V, {OAPI_KEY_RCONTROL}), 1);
  EXPECT_EQ(saved(*w, "sat", "AUTOATT"), "0");
  for (int i = 0; i < 2; i++) {
    EXPECT_EQ(press(*w, v, OAPI_KEY_G), 1);
    EXPECT_EQ(status(*w), 3);
  }
  runUntil(*w, 21);
  EXPECT_EQ(press(*w, v, OAPI_KEY_G), 1);
  EXPECT_EQ(saved(*w, "sat", "SOLP"), "1 1.0000");
}
