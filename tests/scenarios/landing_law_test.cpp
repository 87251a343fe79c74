// The choice of landing law as a user makes it on the command line: the bundled recovery with the
// precision law at rest on Kestrel Point with more propellant left than the descent autopilot's own
// law leaves; a descent saved with the precision law, in the fall and in the burn, that loads and
// lands as it would have; the law recorded and printed by montecarlo; and the options refused with
// exit status 2 for a law that does not exist or a focus vessel that is no booster.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "simhost_runner.h"
#include "world_fixture.h"

namespace {

using namespace testsupport;

nlohmann::json landing(const std::filesystem::path &report) {
  return nlohmann::json::parse(readFile(report))["landing"];
}

TEST(LandingLaw, TheBundledRecoveryLandsOnThePadWithMorePropellantLeft) {
  TempDataRoot root;
  std::filesystem::path dir = root.path();
  Outcome p = simhost(dir, {"run", "--landing-law", "precision", "--report", "precision.json"});
  Outcome s = simhost(dir, {"run", "--report", "specified.json"});
  ASSERT_EQ(p.status, 0) << p.err;
  ASSERT_EQ(s.status, 0) << s.err;
  nlohmann::json lp = landing(dir / "precision.json"), ls = landing(dir / "specified.json");
  EXPECT_EQ(lp["landing_law"], "precision");
  EXPECT_EQ(ls["landing_law"], "specified");
  EXPECT_EQ(lp["verdict"], "landed upright");
  EXPECT_LT(lp["distance_at_rest_m"].get<double>(), 1.0);
  EXPECT_LE(-lp["touchdown_vertical_speed_mps"].get<double>(), 1.0);
  EXPECT_LE(lp["touchdown_horizontal_speed_mps"].get<double>(), 0.3);
  EXPECT_GE(lp["main_propellant_kg"].get<double>(), ls["main_propellant_kg"].get<double>());
}

TEST(LandingLaw, ADescentSavedWithThePrecisionLawLoadsAndLandsOnThePad) {
  struct Case {
    const char *what, *until;
  };
  for (const Case &c : {Case{"in the fall", "290"}, Case{"in the landing burn", "320"}}) {
    SCOPED_TRACE(c.what);
    TempDataRoot root;
    std::filesystem::path dir = root.path();
    Outcome first = simhost(dir, {"run", "--landing-law", "precision", "--until", c.until, "--save", "mid.scn"});
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_NE(readFile(dir / "mid.scn").find("  LANDLAW 1\n"), std::string::npos);
    Outcome rest = simhost(dir, {"run", (dir / "mid.scn").string(), "--report", "rest.json"});
    ASSERT_EQ(rest.status, 0) << rest.err;
    nlohmann::json l = landing(dir / "rest.json");
    EXPECT_EQ(l["landing_law"], "precision");
    EXPECT_EQ(l["verdict"], "landed upright");
    EXPECT_LT(l["distance_at_rest_m"].get<double>(), 1.0);
  }
}

TEST(LandingLaw, MonteCarloRecordsAndPrintsTheLawThatFlew) {
  TempDataRoot root;
  std::filesystem::path dir = root.path();
  Outcome r = simhost(dir, {"montecarlo", "--runs", "2", "--seed", "3", "--jobs", "2", "--landing-law", "precision",
                            "--out", "set.jsonl", "--worst", "1"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("landing law: precision (2 runs)"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("--landing-law precision"), std::string::npos) << r.out;  // the replay command
  std::ifstream in(dir / "set.jsonl");
  int n = 0;
  for (std::string line; std::getline(in, line); n++) {
    nlohmann::json rec = nlohmann::json::parse(line);
    EXPECT_EQ(rec["inputs"]["landing_law"], "precision");
    EXPECT_EQ(rec["set"]["landing_law"], "precision");
    EXPECT_EQ(rec["landing"]["landing_law"], "precision");
  }
  EXPECT_EQ(n, 2);
}

TEST(LandingLaw, ALawThatDoesNotExistOrAFocusThatIsNoBoosterExitsTwo) {
  TempDataRoot root;
  std::filesystem::path dir = root.path();
  struct Case {
    std::vector<std::string> args;
    const char *named;
  };
  const Case cases[] = {
      {{"run", "--landing-law", "fastest"}, "--landing-law"},
      {{"montecarlo", "--runs", "1", "--landing-law", ""}, "--landing-law"},
      {{"run", "Satellite deploy", "--landing-law", "precision"}, "is no booster"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.args.back());
    Outcome r = simhost(dir, c.args);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
  }
}

}  // namespace
