// The booster's whole automatic recovery, flown by the simhost program from staging to rest on
// its legs, for the bundled scenario at three step lengths and for further staging states.
// Each flight must come to rest upright (tilt under 5 deg), within 100 m of its target, having
// touched down slower than 3 m/s vertically and 1 m/s horizontally (4.5 m/s at the long step),
// with the descent autopilot and the sequence off and the fins folding or folded.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Flight {
  nlohmann::json report;
  std::string saved;
  int status = -1;
};

Flight fly(const std::string &scenario, const std::string &extra = "") {
  std::random_device rd;
  fs::path dir = fs::temp_directory_path() / ("arvex_recovery_" + std::to_string(rd()));
  fs::create_directories(dir);
  std::string cmd = std::string("\"") + ARVEX_TEST_SIMHOST + "\" run \"" + scenario + "\" " + extra + " --report \"" +
                    (dir / "r.json").string() + "\" --save \"" + (dir / "s.scn").string() + "\" > \"" +
                    (dir / "out.txt").string() + "\" 2>&1";
  Flight f;
  f.status = std::system(cmd.c_str());
  std::ifstream r(dir / "r.json");
  if (r) r >> f.report;
  std::stringstream ss;
  ss << std::ifstream(dir / "s.scn").rdbuf();
  f.saved = ss.str();
  fs::remove_all(dir);
  return f;
}

std::string line(const std::string &text, const std::string &key) {
  size_t p = text.find("  " + key + " ");
  if (p == std::string::npos) return {};
  size_t e = text.find('\n', p);
  return text.substr(p + key.size() + 3, e - p - key.size() - 3);
}

void expectGoodLanding(const Flight &f, double maxAcross = 1.0) {
  ASSERT_EQ(f.status, 0);
  ASSERT_TRUE(f.report.contains("landing"));
  const nlohmann::json &l = f.report["landing"];
  SCOPED_TRACE(l.dump(1));
  EXPECT_EQ(l["verdict"], "landed upright");
  EXPECT_EQ(f.report["end_reason"], "landed");
  EXPECT_LT(l["tilt_at_rest_deg"].get<double>(), 5.0);
  EXPECT_GT(l["touchdown_vertical_speed_mps"].get<double>(), -3.0);
  EXPECT_LT(l["touchdown_horizontal_speed_mps"].get<double>(), maxAcross);
  EXPECT_LT(l["distance_at_touchdown_m"].get<double>(), 100.0);
  EXPECT_LT(l["distance_at_rest_m"].get<double>(), 100.0);
  // APST: engine mode, descent, flyback, reentry hold, sequence; FINS: folding (3) or folded (0)
  int apst[5] = {-1, -1, -1, -1, -1}, fins = -1;
  std::sscanf(line(f.saved, "APST").c_str(), "%d %d %d %d %d", &apst[0], &apst[1], &apst[2], &apst[3], &apst[4]);
  std::sscanf(line(f.saved, "FINS").c_str(), "%d", &fins);
  EXPECT_EQ(apst[1], 0);
  EXPECT_EQ(apst[4], 0);
  EXPECT_TRUE(fins == 3 || fins == 0) << fins;
}

std::string bundled() { return std::string(ARVEX_TEST_DATA_DIR) + "/Scenarios/Booster recovery.scn"; }
std::string staging(const char *file) { return std::string(ARVEX_RECOVERY_DIR) + "/" + file; }

// The simulator calls the stage landed 7.0 s after its first contact: its rule samples the pose every
// 0.1 s and forgives the last centimetres per second of rocking on the legs (a bound of 1e-4 m/s and
// 1e-4 rad/s held for 5 s took 11.9 s).
TEST(Recovery, BundledScenarioAtTheDefaultStep) {
  Flight f = fly(bundled());
  expectGoodLanding(f);
  const nlohmann::json &l = f.report["landing"];
  EXPECT_NEAR(l["rest_time_s"].get<double>() - l["touchdown_time_s"].get<double>(), 7.0, 0.4);
}
TEST(Recovery, BundledScenarioAtAShortStep) { expectGoodLanding(fly(bundled(), "--dt 0.01")); }
// At 0.05 s the last 30 m come in drifting: the landing attitude guidance stands the stage upright
// while it still moves 3.7 m/s east (measured), and it comes to rest upright 1.6 m from the pad.
TEST(Recovery, BundledScenarioAtALongStep) { expectGoodLanding(fly(bundled(), "--dt 0.05"), 4.5); }
TEST(Recovery, StagingAt65km) { expectGoodLanding(fly(staging("staging_65km.scn"))); }
TEST(Recovery, StagingAt75km) { expectGoodLanding(fly(staging("staging_75km.scn"))); }
TEST(Recovery, StagingAt68km) { expectGoodLanding(fly(staging("staging_68km.scn"))); }

// A known limit of the landing guidance: in a 10 m/s wind the stage drifts downwind while it
// falls upright and unpowered below 2 km, and the powered aim cannot take the offset out, so it
// touches down far off and sliding sideways, and falls over. The outcome as measured (within
// about 10 %), so that a change of the guidance or of the wind shows, whichever way it goes.
TEST(Recovery, StagingAt70kmInA10MsWind) {
  Flight f = fly(staging("staging_70km_wind.scn"));
  ASSERT_EQ(f.status, 0);
  ASSERT_TRUE(f.report.contains("landing"));
  const nlohmann::json &l = f.report["landing"];
  SCOPED_TRACE(l.dump(1));
  EXPECT_EQ(l["verdict"], "crashed");
  EXPECT_EQ(f.report["end_reason"], "crashed");
  EXPECT_NEAR(l["distance_at_touchdown_m"].get<double>(), 227.0, 23.0);
  EXPECT_NEAR(l["touchdown_horizontal_speed_mps"].get<double>(), 18.0, 1.8);
  EXPECT_NEAR(l["flight_time_s"].get<double>(), 358.5, 5.0);
}

// The goal, out of reach of today's guidance (see above): land upright in that wind as well.
TEST(Recovery, DISABLED_StagingAt70kmInA10MsWindLandsUpright) {
  expectGoodLanding(fly(staging("staging_70km_wind.scn")));
}

}  // namespace
