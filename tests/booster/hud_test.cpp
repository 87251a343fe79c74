// The booster's head-up display: row positions on a 4:3 and a wide display, the remaining
// velocity change, the lines for each state and for flags no command sets, the reentry-burn
// line, and a target name too long for its line.
#include <cmath>

#include "booster_fixture.h"

namespace {

using boostertest::Stage;

// Below 100 km in stage 3 every row holds a line: eleven rows, 16 units apart.
TEST(BoosterHud, RowsFollowTheDisplayScale) {
  Stage s = boostertest::highAbove(99e3);
  s.b->autoSequence = 3;
  const std::pair<std::string, DWORD> lines[12] = {
      {"Remaining dV ", 0xffffff},
      {"K = Set Flyback Target: NULL", 0xffffff},
      {"B = Auto Flyback-EDL Active", 0x6699ff},
      {"Auto Reentry Burn Enabled", 0x66ffff},
      {"V = Start Flyback Autopilot", 0x66ff66},
      {"N = Goto Reentry Attitude", 0x66ff66},
      {"M = Descent Autopilot from 15km alt", 0x66ff66},
      {"P = Engine Selection : 9", 0x66ff66},
      {"J = Deploy Grid Fins", 0x66ff66},
      {"G = Deploy Landing Gear", 0x66ff66},
      {"E = Set View +Z/-Z", 0x66ff66},
      {"U = Precision Landing Law", 0x66ff66},
  };
  std::vector<sim::HudText> hud = sim::drawHud(*s.v, 1024, 768);
  ASSERT_EQ(hud.size(), 12u);
  for (size_t k = 0; k < 12; k++) {
    EXPECT_EQ(hud[k].x, 10);
    EXPECT_EQ(hud[k].y, 167 + 16 * static_cast<int>(k));  // the scale is just under 1
    EXPECT_EQ(hud[k].text.rfind(lines[k].first, 0), 0u) << hud[k].text;
    EXPECT_EQ(hud[k].colour, lines[k].second) << hud[k].text;
  }
  hud = sim::drawHud(*s.v, 1920, 1080);
  ASSERT_EQ(hud.size(), 12u);
  const int wide[12] = {113, 135, 158, 180, 203, 225, 248, 270, 293, 315, 338, 360};
  for (size_t k = 0; k < 12; k++) {
    EXPECT_EQ(hud[k].x, 310);
    EXPECT_EQ(hud[k].y, wide[k]);
  }
}

TEST(BoosterHud, RemainingDvUsesTheSingleEngineIspWithTheRcsPropellantAsFinalMass) {
  Stage s = boostertest::highAbove();
  larkon &b = *s.b;
  double isp = s.intf->GetThrusterIsp(b.thMain[2]);
  char expected[128];
  std::snprintf(expected, sizeof expected, "Remaining dV %0.1fm/s : RCS Prop. 350.0kg",
                isp * std::log((19000.0 + 350 + 384000) / (19000.0 + 350)));
  EXPECT_EQ(s.hudRow(168), expected);
  s.intf->SetPropellantMass(b.phMain, 0);
  EXPECT_EQ(s.hudRow(168), "Remaining dV 0.0m/s : RCS Prop. 350.0kg");
  s.intf->SetPropellantMass(b.phRcs, 0);
  EXPECT_EQ(s.hudRow(168), "Remaining dV 0.0m/s : RCS Prop. 0.0kg");
}

TEST(BoosterHud, ActiveStatesAndFlagsNoCommandSets) {
  Stage s = boostertest::highAbove();
  larkon &b = *s.b;
  b.autoSequence = 2, b.apFlyback = 2, b.requiredDv = 123.45, b.apReentryAttitude = 1, b.apDescent = 1;
  b.engineMode = 2, b.finsState = 2, b.legsState = 1, b.landingLaw = larkon::kLawPrecision;
  const std::pair<std::string, DWORD> lines[10] = {
      {"Remaining dV ", 0xffffff},
      {"K = ", 0xffffff},
      {"B = Auto Flyback-EDL Active", 0x6699ff},
      {"V = Flyback Autopilot Active : Required dV 123.5 m/s", 0x66ffff},
      {"N = Reentry Attitude Active", 0x66ffff},
      {"M = Descent Autopilot Active", 0x66ffff},
      {"P = Engine Selection : 1", 0x6666ff},
      {"J = Stow Grid Fins", 0x66ff66},
      {"E = ", 0x66ff66},  // no burn line outside stage 3, no gear line once the legs move
      {"U = Precision Landing Law Active", 0x66ffff},
  };
  std::vector<sim::HudText> hud = sim::drawHud(*s.v, 1024, 768);
  ASSERT_EQ(hud.size(), 10u);
  for (size_t k = 0; k < 10; k++) {
    EXPECT_EQ(hud[k].text.rfind(lines[k].first, 0), 0u) << hud[k].text;
    EXPECT_EQ(hud[k].colour, lines[k].second) << hud[k].text;
  }
  b.engineMode = 1;
  EXPECT_EQ(s.hudRow(280), "P = Engine Selection : 3");
  b.apReentryAttitude = 2, b.apDescent = 2, b.engineMode = 3, b.finsState = 4, b.legsState = 2;
  for (int row : {248, 264, 280, 296, 312}) EXPECT_EQ(s.hudRow(row), "") << row;
}

TEST(BoosterHud, ReentryBurnLineBelow100kmInStageThreeOnly) {
  Stage s = boostertest::highAbove(99e3);
  larkon &b = *s.b;
  b.autoSequence = 3;
  EXPECT_EQ(s.hudRow(216), "Auto Reentry Burn Enabled");
  b.apReentryAttitude = 1;
  EXPECT_EQ(s.hudRow(216), "");
  b.reentryBurnShown = 1;
  std::vector<sim::HudText> hud = sim::drawHud(*s.v, 1024, 768);
  ASSERT_EQ(hud[3].text, "Auto Reentry Burn Active");
  EXPECT_EQ(hud[3].colour, 0x6666ffu);
  EXPECT_EQ(b.reentryBurnShown, 0);  // shown once per burn step
  EXPECT_EQ(s.hudRow(216), "");
  b.reentryBurnShown = 1, b.autoSequence = 4;
  EXPECT_EQ(s.hudRow(216), "");
  EXPECT_EQ(b.reentryBurnShown, 1);  // not drawn, so not cleared
  Stage high = boostertest::highAbove(100.5e3);
  high.b->autoSequence = 3;
  EXPECT_EQ(high.hudRow(216), "");
}

TEST(BoosterHud, TargetNameTooLongForItsLineIsCutWithoutOverrun) {
  Stage s = boostertest::highAbove();
  std::string name(300, 'x');
  name[0] = 'A';
  s.code(2300, name);
  std::string line = s.hudRow(184);
  EXPECT_LE(line.size(), 255u);
  EXPECT_EQ(line.rfind("K = Set Flyback Target: Axx", 0), 0u) << line;
  EXPECT_EQ(line.substr(line.size() - 3), "...");
  EXPECT_EQ(s.world->scenarioText().find(std::string(256, 'x')), std::string::npos);  // stored cut to 255
}

}  // namespace
