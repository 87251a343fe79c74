// Wind profiles: interpolation by height (the direction the shorter way round), CSV files and
// scenario values refused with their file and line, the scenario values kept as read, and the
// built-in family's surface layer, jet and veer.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "physics/wind_profile.h"
#include "world/errors.h"

namespace {

using sim::WindProfile;

std::filesystem::path writeFile(const std::string &name, const std::string &text) {
  std::filesystem::path p = std::filesystem::temp_directory_path() / name;
  std::ofstream(p, std::ios::binary) << text;
  return p;
}

TEST(WindProfile, InterpolatesBetweenRowsAndHoldsBeyondThem) {
  WindProfile p = WindProfile::fromRows(
      {{10, 4, 350 * RAD}, {1010, 14, 30 * RAD}, {2010, 20, 30 * RAD}}, "test");
  struct Case {
    double alt, speed, fromDeg;
  };
  for (const Case &c : std::vector<Case>{{0, 4, 350},      // below the first row
                                         {10, 4, 350},     // on it
                                         {510, 9, 10},     // halfway, across north the short way
                                         {760, 11.5, 20},  // three quarters
                                         {1510, 17, 30},
                                         {50000, 20, 30}}) {  // above the last
    double speed, from;
    p.at(c.alt, speed, from);
    EXPECT_NEAR(speed, c.speed, 1e-12) << c.alt;
    EXPECT_NEAR(std::remainder(from * DEG - c.fromDeg, 360.0), 0, 1e-9) << c.alt;
  }
  VECTOR3 w = p.horizon(1510);  // from 30 deg: blowing towards south-south-west
  EXPECT_NEAR(w.x, -17 * std::sin(30 * RAD), 1e-12);
  EXPECT_NEAR(w.z, -17 * std::cos(30 * RAD), 1e-12);
  EXPECT_EQ(w.y, 0);
}

TEST(WindProfile, ACsvFileIsReadAndABadOneRefusedWithItsLine) {
  std::filesystem::path good = writeFile(
      "wind_good.csv",
      "# launch day\nalt_m, speed_mps, from_deg\r\n0,3,270\n\n500,8.5,280\n12000,45,300\n");
  WindProfile p = WindProfile::readCsv(good);
  ASSERT_EQ(p.rows().size(), 3u);
  EXPECT_EQ(p.rows()[1].alt, 500);
  EXPECT_EQ(p.rows()[1].speed, 8.5);
  EXPECT_NEAR(p.rows()[2].fromDir * DEG, 300, 1e-12);

  struct Case {
    std::string text, where, why;
  };
  const Case cases[] = {
      {"alt,speed,dir\n0,1,2\n", ":1:", "header"},
      {"alt_m,speed_mps,from_deg\n0,1\n", ":2:", "three numbers"},
      {"alt_m,speed_mps,from_deg\n0,1,2,3\n", ":2:", "three numbers"},
      {"alt_m,speed_mps,from_deg\n0,1,\n", ":2:", "three numbers"},
      {"alt_m,speed_mps,from_deg\n0,fast,2\n", ":2:", "three numbers"},
      {"alt_m,speed_mps,from_deg\n0,1,nan\n", ":2:", "three numbers"},
      {"alt_m,speed_mps,from_deg\n-5,1,2\n", ":2:", "negative"},
      {"alt_m,speed_mps,from_deg\n0,1,2\n100,1,2\n100,3,4\n", ":4:", "increase"},
      {"alt_m,speed_mps,from_deg\n0,-1,2\n", ":2:", "speed"},
      {"alt_m,speed_mps,from_deg\n0,250,2\n", ":2:", "speed"},
      {"alt_m,speed_mps,from_deg\n# nothing\n", ":2:", "no rows"},
      {"", "wind_bad.csv:", "header"},
  };
  for (const Case &c : cases) {
    std::filesystem::path bad = writeFile("wind_bad.csv", c.text);
    try {
      WindProfile::readCsv(bad);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const sim::InputError &e) {
      std::string m = e.what();
      EXPECT_NE(m.find("wind_bad.csv" + (c.where[0] == ':' ? c.where : std::string())),
                std::string::npos)
          << m;
      EXPECT_NE(m.find(c.why), std::string::npos) << m;
    }
  }
  EXPECT_THROW(WindProfile::readCsv("/nonexistent/wind.csv"), sim::InputError);
}

TEST(WindProfile, ScenarioValuesAreKeptAsReadAndBadOnesRefusedWithTheirLine) {
  WindProfile p = WindProfile::parseScenarioValues(" 0 3 270   1e3 8.50 280 ", "a.scn", 4);
  EXPECT_EQ(p.scenarioValues(), "0 3 270   1e3 8.50 280");
  ASSERT_EQ(p.rows().size(), 2u);
  EXPECT_EQ(p.rows()[1].alt, 1000);
  for (const char *bad : {"", "0 3", "0 3 270 100", "0 3 x", "100 3 270 50 4 280", "0 300 270"}) {
    try {
      WindProfile::parseScenarioValues(bad, "a.scn", 4);
      ADD_FAILURE() << "accepted: " << bad;
    } catch (const sim::InputError &e) {
      EXPECT_EQ(std::string(e.what()).rfind("a.scn:4: WindProfile", 0), 0u) << e.what();
    }
  }
  // rows not read from a scenario are written from their values, and read back the same
  WindProfile rows = WindProfile::fromRows({{0, 2.5, 10 * RAD}, {300, 7.25, 20 * RAD}}, "test");
  WindProfile again = WindProfile::parseScenarioValues(rows.scenarioValues(), "b.scn", 1);
  ASSERT_EQ(again.rows().size(), 2u);
  EXPECT_EQ(again.rows()[1].speed, 7.25);
  EXPECT_NEAR(again.rows()[1].fromDir, 20 * RAD, 1e-12);
}

TEST(WindProfile, TheFamilyGrowsWithTheSeventhRootPeaksInItsJetAndVeers) {
  sim::WindFamily f;
  f.surfaceSpeed = 8, f.surfaceFrom = 250 * RAD, f.hasJet = true, f.jetSpeed = 40, f.jetAlt = 11000;
  f.jetDepth = 8000, f.veer = 40 * RAD;
  WindProfile p = WindProfile::family(f);
  auto speedAt = [&](double h) {
    double s, d;
    p.at(h, s, d);
    return s;
  };
  auto fromAt = [&](double h) {
    double s, d;
    p.at(h, s, d);
    return d * DEG;
  };
  EXPECT_NEAR(speedAt(11000), 40, 1e-9);
  EXPECT_NEAR(speedAt(15000),
              8 * std::pow(100.0, 1.0 / 7) + (40 - 8 * std::pow(100.0, 1.0 / 7)) * 0.5, 0.05);
  EXPECT_GT(speedAt(11000), speedAt(10500));
  EXPECT_GT(speedAt(11000), speedAt(11500));
  EXPECT_NEAR(fromAt(10), 250, 1e-9);
  EXPECT_NEAR(fromAt(11000), 290, 1e-9);
  EXPECT_NEAR(fromAt(20000), 290, 1e-9);
  EXPECT_NEAR(fromAt(5505), 270, 0.01);

  // without a jet: the power law up to 1000 m, constant above, veering up to 1000 m
  f.hasJet = false;
  p = WindProfile::family(f);
  EXPECT_EQ(speedAt(0), 0);
  EXPECT_NEAR(speedAt(10), 8, 1e-9);
  EXPECT_NEAR(speedAt(100), 8 * std::pow(10.0, 1.0 / 7), 1e-9);
  EXPECT_NEAR(speedAt(1000), 8 * std::pow(100.0, 1.0 / 7), 1e-9);
  EXPECT_NEAR(speedAt(9000), 8 * std::pow(100.0, 1.0 / 7), 1e-9);
  EXPECT_NEAR(fromAt(1000), 290, 1e-9);
}

}  // namespace
