// The wind on the command line and in scenarios: the run and montecarlo options read into their
// settings or refused naming the option, the command line's wind replacing the scenario's, and
// the WindProfile scenario line read, refused with its line, and saved back as read.
#include <gtest/gtest.h>

#include <fstream>

#include "app/cli.h"
#include "host_test_util.h"

namespace {

using namespace testsupport;

struct Parsed {
  int status;
  sim::CommandLine cmd;
  std::string out, err;
};
Parsed parse(std::vector<std::string> args) {
  args.insert(args.begin(), "simhost");
  std::vector<char *> argv;
  for (std::string &a : args) argv.push_back(a.data());
  Parsed p;
  p.status = sim::parseCommandLine(static_cast<int>(argv.size()), argv.data(), p.cmd, p.out, p.err);
  return p;
}

TEST(WindOptions, RunOptionsGiveTheFamilyTurbulenceAndSeed) {
  Parsed p = parse({"run", "--wind-surface", "8:250", "--wind-jet", "40:11000:6000", "--wind-veer",
                    "-30", "--turbulence", "Severe", "--seed", "42"});
  ASSERT_EQ(p.status, -1) << p.err;
  const sim::WindOptions &o = p.cmd.run.windOptions;
  ASSERT_TRUE(o.family);
  EXPECT_EQ(o.family->surfaceSpeed, 8);
  EXPECT_NEAR(o.family->surfaceFrom * DEG, 250, 1e-12);
  EXPECT_TRUE(o.family->hasJet);
  EXPECT_EQ(o.family->jetSpeed, 40);
  EXPECT_EQ(o.family->jetAlt, 11000);
  EXPECT_EQ(o.family->jetDepth, 6000);
  EXPECT_NEAR(o.family->veer * DEG, -30, 1e-12);
  EXPECT_EQ(o.turbulence, sim::TurbulenceLevel::Severe);
  EXPECT_EQ(o.seed, 42u);

  Parsed plain = parse({"run"});
  ASSERT_EQ(plain.status, -1);
  EXPECT_FALSE(plain.cmd.run.windOptions.family);
  EXPECT_TRUE(plain.cmd.run.windOptions.profileFile.empty());
  EXPECT_EQ(plain.cmd.run.windOptions.turbulence, sim::TurbulenceLevel::None);
}

TEST(WindOptions, BadWindOptionsExitTwoNamingTheOption) {
  struct Case {
    std::vector<std::string> args;
    const char *named;
  };
  for (const Case &c : std::vector<Case>{
           {{"run", "--wind", "5:90", "--wind-profile", "w.csv"}, "--wind-profile"},
           {{"run", "--wind-surface", "5:90", "--wind-profile", "w.csv"}, "--wind-profile"},
           {{"run", "--wind", "5:90", "--wind-veer", "10"},
            "--wind-surface/--wind-jet/--wind-veer"},
           {{"run", "--wind-surface", "fast"}, "--wind-surface"},
           {{"run", "--wind-surface", "500:0"}, "--wind-surface"},
           {{"run", "--wind-jet", "40"}, "--wind-jet"},
           {{"run", "--wind-jet", "40:50"}, "--wind-jet"},
           {{"run", "--wind-jet", "400:11000"}, "--wind-jet"},
           {{"run", "--wind-jet", "40:11000:0"}, "--wind-jet"},
           {{"run", "--wind-veer", "a lot"}, "--wind-veer"},
           {{"run", "--wind-veer", "400"}, "--wind-veer"},
           {{"run", "--turbulence", "strong"}, "--turbulence"},
           {{"run", "--seed", "many"}, "--seed"},
           {{"montecarlo", "--wind-model", "gusty"}, "--wind-model"},
           {{"montecarlo", "--jet-speed", "50:15"}, "--jet-speed"},
           {{"montecarlo", "--jet-speed", "0:500"}, "--jet-speed"},
           {{"montecarlo", "--jet-alt", "0:100000"}, "--jet-alt"},
           {{"montecarlo", "--turbulence", "light,stormy"}, "--turbulence"},
           {{"montecarlo", "--veer", "200"}, "--veer"}}) {
    Parsed p = parse(c.args);
    EXPECT_EQ(p.status, 2) << c.args[1];
    EXPECT_NE(p.err.find(c.named), std::string::npos) << "message: " << p.err;
  }
  Parsed mc = parse({"montecarlo", "--wind-model", "constant", "--jet-speed", "20:30", "--jet-alt",
                     "10000:12000", "--veer", "10", "--turbulence", "severe,none"});
  ASSERT_EQ(mc.status, -1) << mc.err;
  const sim::WindDispersion &d = mc.cmd.montecarlo.windDispersion;
  EXPECT_TRUE(d.constantWind);
  EXPECT_EQ(d.jetSpeed.lo, 20);
  EXPECT_EQ(d.jetSpeed.hi, 30);
  EXPECT_EQ(d.jetAlt.lo, 10000);
  EXPECT_EQ(d.jetAlt.hi, 12000);
  EXPECT_EQ(d.veerSpread, 10);
  EXPECT_EQ(d.turbulence, (std::vector<sim::TurbulenceLevel>{sim::TurbulenceLevel::Severe,
                                                             sim::TurbulenceLevel::None}));
}

const char *kEnvironmentEnd = "END_ENVIRONMENT\nBEGIN_SHIPS\nA:cargo_crate\n";

std::string scenario(const std::string &environment) {
  return "BEGIN_ENVIRONMENT\n  System Sol\n" + environment + kEnvironmentEnd +
         hosttest::orbitLines() + "END\nEND_SHIPS\n";
}

TEST(WindOptions, TheScenariosWindProfileIsFlownAndSavedAsRead) {
  TempDataRoot root;
  auto w = makeWorld(0.1, root.path());
  w->loadScenario(
      root.writeScenario("profiled", scenario("  WindProfile 0 3 270   1000 12.50 280 ; light\n")));
  ASSERT_TRUE(w->windField.profile);
  EXPECT_NEAR(length(w->windField.profile->horizon(500)), 7.75, 1e-12);
  EXPECT_NE(w->scenarioText().find("\n  WindProfile 0 3 270   1000 12.50 280\n"), std::string::npos)
      << w->scenarioText();
  EXPECT_EQ(w->scenarioText().find("  Wind "), std::string::npos);

  // --wind replaces the scenario's profile; a profile from the command line is saved as rows
  sim::applyWindOptions(*w, sim::WindSpec{4, 90 * RAD}, sim::WindOptions{});
  EXPECT_FALSE(w->windField.profile);
  EXPECT_NE(w->scenarioText().find("  Wind 4.000 90.000\n"), std::string::npos);
  std::filesystem::path csv = root.file("wind.csv");
  std::ofstream(csv) << "alt_m,speed_mps,from_deg\n0,2,10\n5000,20,45\n";
  sim::WindOptions fromFile;
  fromFile.profileFile = csv;
  fromFile.turbulence = sim::TurbulenceLevel::Light;
  fromFile.seed = 9;
  sim::applyWindOptions(*w, std::nullopt, fromFile);
  ASSERT_TRUE(w->windField.profile);
  EXPECT_EQ(w->wind.speed, 0);
  EXPECT_EQ(w->windField.turbulence, sim::TurbulenceLevel::Light);
  EXPECT_EQ(w->windField.seed, 9u);
  EXPECT_NE(w->scenarioText().find("  WindProfile 0 2 10  5000 20 45\n"), std::string::npos)
      << w->scenarioText();
  fromFile.profileFile = root.file("missing.csv");
  EXPECT_THROW(sim::applyWindOptions(*w, std::nullopt, fromFile), sim::InputError);
}

TEST(WindOptions, ABadWindProfileLineIsRefusedWithItsLine) {
  TempDataRoot root;
  struct Case {
    std::string environment;
    int line;
    const char *why;
  };
  for (const Case &c :
       std::vector<Case>{{"  WindProfile 0 3\n", 3, "WindProfile: expected"},
                         {"  WindProfile 100 3 270 50 4 280\n", 3, "increase"},
                         {"  Wind 5 270\n  WindProfile 0 3 270\n", 4, "Wind and WindProfile"},
                         {"  WindProfile 0 3 270\n  Wind 5 270\n", 4, "Wind and WindProfile"}}) {
    auto w = makeWorld(0.1, root.path());
    std::string error = hosttest::loadError(*w, root, "bad_wind", scenario(c.environment));
    EXPECT_NE(error.find("bad_wind.scn:" + std::to_string(c.line) + ":"), std::string::npos)
        << error;
    EXPECT_NE(error.find(c.why), std::string::npos) << error;
  }
}

}  // namespace
