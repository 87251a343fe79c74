// Deployment and sun tracking through the host: timing, loaded states, the one-step status
// delay, the tracking direction rule and its wrap through 0 and 1.
#include "satellite_fixture.h"

using namespace sat;

TEST(SatelliteDeployment, KeyGUnfoldsInTwentySecondsAndTrackingStartsAStepAfterTheClamp) {
  auto w = makeEarthWorld(0.1, false, false);
  Vessel &v = load(*w, ship("sat", ""));
  ASSERT_EQ(press(*w, v, OAPI_KEY_G), 1);
  double fullAt = -1;
  while (fullAt < 0 && w->simTime() < 25) {
    w->step();
    EXPECT_EQ(v.st.animStates[kSunTrack], 0.0);  // no tracking before the state is exactly 1
    if (v.st.animStates[kDeploy] == 1.0) fullAt = w->simTime();
  }
  EXPECT_NEAR(fullAt, 20.0, 0.1 + 1e-9);
  EXPECT_EQ(status(*w), 3);
  w->step();
  EXPECT_EQ(status(*w), 1);
  EXPECT_GT(v.st.animStates[kSunTrack], 0.0);
}

TEST(SatelliteDeployment, LoadedStatesResumeStowAndTurnBack) {
  auto w = makeEarthWorld(0.1, false, false);
  load(*w, ship("half", "  SOLP 3 0.5\n") + ship("stow", "  SOLP 2 0.3\n", "0 0 6771010") +
               ship("back", "  SOLP 2 0.3\n", "0 0 -6771010") + ship("near", "  SOLP 1 0.999\n", "6771010 0 0"),
       "half");
  auto state = [&](const char *n) { return w->findVessel(n)->st.animStates[kDeploy]; };
  double arrived[2] = {-1, -1}, settled[2] = {-1, -1};
  const char *names[2] = {"half", "stow"};
  const int finalStatus[2] = {1, 0};
  while (w->simTime() < 12 - 1e-9) {
    if (std::fabs(w->simTime() - 3.0) < 1e-9) {
      EXPECT_EQ(press(*w, *w->findVessel("back"), OAPI_KEY_G), 1);
      EXPECT_NEAR(state("back"), 0.15, 1e-9);
    }
    w->step();
    for (int i = 0; i < 2; i++) {
      if (arrived[i] < 0 && state(names[i]) == finalStatus[i]) arrived[i] = w->simTime();
      if (settled[i] < 0 && status(*w, names[i]) == finalStatus[i]) settled[i] = w->simTime();
    }
  }
  EXPECT_NEAR(arrived[0], 10.0, 0.1 + 1e-9);
  EXPECT_NEAR(arrived[1], 6.0, 0.1 + 1e-9);
  for (int i = 0; i < 2; i++) EXPECT_NEAR(settled[i] - arrived[i], 0.1, 1e-9) << names[i];
  EXPECT_EQ(status(*w, "back"), 3);
  EXPECT_NEAR(state("back"), 0.15 + 90 * 0.005, 1e-9);  // deploying again from t = 3 s
  // Deployed by its status but not exactly at 1: nothing moves the wings or the panels.
  EXPECT_EQ(state("near"), 0.999);
  EXPECT_EQ(w->findVessel("near")->st.animStates[kSunTrack], 0.0);
}

TEST(SatelliteSunTracking, TurnsTheShorterWaySnapsAndWrapsThroughZeroAndOne) {
  auto w = makeEarthWorld(0.1, false, false);
  // At rest 1e8 m from the origin (the Sun in this world) with the identity attitude, falling
  // straight towards it: the Sun angle a stays fixed, l ~ (0, -sin a, cos a).
  auto at = [](double deg) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "0 %.6f %.6f", 1e8 * std::sin(deg * RAD), -1e8 * std::cos(deg * RAD));
    return std::string(buf);
  };
  const std::string deployed = "  SOLP 1 1.0000\n";
  load(*w, ship("ahead", deployed, at(10), "0 0 0") + ship("behind", deployed, at(350), "0 0 0") +
               ship("across", deployed + "  SPR 0 0.9722\n", at(10), "0 0 0") +
               ship("driver", deployed, "0 200000000 0", "0 0 0") +
               ship("onSun", deployed + "  SPR 0 0.2500\n", "0 100000000 0", "0 0 0"),
       "ahead");
  const double snap10 = 10.0 / 360, snap350 = 350.0 / 360;
  const std::vector<std::pair<const char *, std::vector<double>>> expected = {
      {"ahead", {0.005, 0.010, 0.015, 0.020, 0.025, snap10, snap10}},
      {"behind", {-0.005, 0.995, 0.990, 0.985, 0.980, 0.975, snap350, snap350}},
      {"across", {0.9772, 0.9822, 0.9872, 0.9922, 0.9972, 1.0022, 0.0022, 0.0072, 0.0122, 0.0172, 0.0222,
                  0.0272, snap10, snap10}},
      // The driver turns (+1) just before; a wing already on the Sun must not follow it.
      {"onSun", {0.25, 0.25, 0.25}}};
  for (size_t step = 0; step < 14; step++) {
    w->step();
    for (const auto &[name, states] : expected) {
      if (step >= states.size()) continue;
      EXPECT_NEAR(w->findVessel(name)->st.animStates[kSunTrack], states[step], 1e-9) << name << " step " << step;
    }
  }
  EXPECT_EQ(w->diagnostics().refusedCount(), 0);
}
