// Runs of the simhost program as a user makes them: the bundled demo flown to its end, and the
// exit status and messages for bad arguments, a malformed scenario and a missing module.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "loader/config_file.h"
#include "scenario/document.h"
#include "world_fixture.h"

namespace {

using namespace testsupport;

std::string readFile(const std::filesystem::path &p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string quoted(const std::string &s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

struct Outcome {
  int status = -1;
  std::string out, err;
};

// simhost ARGS, run in dir; its exit status, standard output and standard error.
Outcome simhost(const std::filesystem::path &dir, const std::vector<std::string> &args) {
  std::string cmd = "cd " + quoted(dir.string()) + " && " + quoted(ARVEX_TEST_SIMHOST);
  for (const std::string &a : args) cmd += " " + quoted(a);
  cmd += " >stdout.txt 2>stderr.txt";
  Outcome r;
  int s = std::system(cmd.c_str());
  r.status = WIFEXITED(s) ? WEXITSTATUS(s) : 128 + WTERMSIG(s);
  r.out = readFile(dir / "stdout.txt");
  r.err = readFile(dir / "stderr.txt");
  return r;
}

// The first module named by the scenario's classes that has not been built, or "".
std::string missingModule(const std::filesystem::path &scn) {
  for (const sim::ShipBlock &s : sim::ScenarioDocument::read(scn).ships) {
    std::filesystem::path cfg = dataRoot() / "Config" / "Vessels" / (s.className + ".cfg");
    std::string module;
    if (std::filesystem::exists(cfg)) sim::ConfigFile::read(cfg).text("Module", module);
    if (!module.empty() && !std::filesystem::exists(modulesDir() / (module + ".so"))) return module;
  }
  return "";
}

class Simhost : public ::testing::Test {
 protected:
  void SetUp() override {
    root.addClass("ghost", "ClassName = ghost\nModule = no_such_module\n");
    root.writeScenario("Crate", "BEGIN_SHIPS\nCrate:cargo_crate\n  STATUS Landed Earth\n  POS 1 2\nEND\nEND_SHIPS\n");
  }
  TempDataRoot root;
};

TEST_F(Simhost, DemoCapsuleComesToRestAndItsSaveLoadsUnchanged) {
  std::filesystem::path demo = dataRoot() / "Scenarios" / "Demo.scn";
  if (std::string m = missingModule(demo); !m.empty()) GTEST_SKIP() << "module " << m << " is not built";
  std::filesystem::path dir = root.path();
  Outcome r = simhost(dir, {"run", "Demo", "--save", "out.scn", "--log", "log.csv", "--report", "r.json"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("(landed)"), std::string::npos) << r.out;

  nlohmann::json report = nlohmann::json::parse(readFile(dir / "r.json"));
  EXPECT_EQ(report["end_reason"], "landed");
  EXPECT_EQ(report["focus"]["name"], "Capsule");
  EXPECT_EQ(report["focus"]["status"], "landed");
  EXPECT_EQ(report["focus"]["crashed"], false);
  EXPECT_NEAR(report["focus"]["altitude_m"].get<double>(), 1.0, 0.1);  // on its skids, 1 m below its centre
  // Under its canopy the capsule sinks at some 10 m/s: the 10 km take a quarter of an hour.
  EXPECT_GT(report["sim_time_s"].get<double>(), 600);
  EXPECT_LT(report["sim_time_s"].get<double>(), 1800);
  ASSERT_EQ(report["vessels"].size(), 4u);
  for (const auto &v : report["vessels"])
    if (v["name"] != "Capsule") {
      EXPECT_EQ(v["status"], "flying") << v["name"];
      EXPECT_GT(v["altitude_m"].get<double>(), 250e3) << v["name"] << " left its orbit";
    }

  // The log starts with its column names and ends on the ground.
  std::istringstream log(readFile(dir / "log.csv"));
  std::string header, row, last;
  std::getline(log, header);
  int rows = 0;
  while (std::getline(log, row)) last = row, rows++;
  EXPECT_EQ(header.rfind("time_s,alt_m,", 0), 0u) << header;
  EXPECT_GT(rows, 6000);  // every 0.1 s
  EXPECT_EQ(last.substr(last.rfind(',') + 1), "1") << "the last row is not landed: " << last;

  std::string saved = readFile(dir / "out.scn");
  EXPECT_NE(saved.find("Capsule:drop_capsule\n  STATUS Landed Earth\n"), std::string::npos) << saved;
  auto w = makeWorld();
  ASSERT_NO_THROW(w->loadScenario(dir / "out.scn"));
  EXPECT_EQ(w->scenarioText(), saved);
  EXPECT_EQ(w->focus(), w->findVessel("Capsule"));
}

TEST_F(Simhost, BadArgumentsExitTwoNamingTheOption) {
  std::filesystem::path dir = root.path();
  struct Case {
    std::vector<std::string> args;
    const char *named;
  };
  for (const Case &c : std::vector<Case>{
           {{"run", "Crate", "--dt", "0"}, "--dt"},
           {{"run", "Crate", "--key", "1:alt+J"}, "--key"},
           {{"run", "Crate", "--hud-size", "10x10"}, "--hud-size"},
           {{"run", "Crate", "--wind", "fast"}, "--wind"},
           {{"run", "Crate", "--root", root.file("no_such_root").string()}, "--root"},
           {{"run", "Crate", "--root", root.path().string(), "--focus", "Nobody"}, "--focus"},
           {{"run", "no_such_scenario", "--root", root.path().string()}, "no_such_scenario"},
       }) {
    Outcome r = simhost(dir, c.args);
    EXPECT_EQ(r.status, 2) << c.named << ": " << r.err;
    EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
  }
  Outcome help = simhost(dir, {"run", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--hud-png"), std::string::npos);
}

TEST_F(Simhost, BadInputExitsTwoNamingFileAndLine) {
  std::filesystem::path dir = root.path();
  root.writeScenario("bad", "BEGIN_SHIPS\nCrate:cargo_crate\n  STATUS Orbiting Earth\n  RPOS 1 2 x\nEND\nEND_SHIPS\n");
  Outcome r = simhost(dir, {"run", "bad", "--root", root.path().string()});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("bad.scn:4: RPOS"), std::string::npos) << r.err;

  root.writeScenario("ghost",
                     "BEGIN_SHIPS\nCrate:cargo_crate\n  STATUS Landed Earth\n  POS 1 2\nEND\n"
                     "Spook:ghost\n  STATUS Landed Earth\n  POS 1 2\nEND\nEND_SHIPS\n");
  r = simhost(dir, {"run", "ghost", "--root", root.path().string()});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("ghost.scn:6:"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("no_such_module.so"), std::string::npos) << r.err;
}

TEST_F(Simhost, AShortPassiveRunWritesWhatItIsAskedFor) {
  std::filesystem::path dir = root.path();
  Outcome r = simhost(dir, {"run", root.file("Scenarios/Crate.scn").string(), "--until", "1", "--save", "s.scn",
                            "--hud", "hud.txt", "--hud-png", "hud.png", "--report", "r.json"});
  ASSERT_EQ(r.status, 0) << r.err;
  nlohmann::json report = nlohmann::json::parse(readFile(dir / "r.json"));
  EXPECT_EQ(report["end_reason"], "until");
  EXPECT_NEAR(report["sim_time_s"].get<double>(), 1.0, 1e-9);
  EXPECT_EQ(readFile(dir / "hud.txt"), "");  // a passive vessel draws no HUD
  EXPECT_TRUE(std::filesystem::exists(dir / "hud.png"));
  EXPECT_NE(readFile(dir / "s.scn").find("Crate:cargo_crate\n  STATUS Landed Earth\n  POS 1.0000000 2.0000000\n"),
            std::string::npos);

  // A file that cannot be written is a failure of the run, not a success.
  r = simhost(dir, {"run", root.file("Scenarios/Crate.scn").string(), "--until", "1", "--save",
                    root.file("no_such_dir/s.scn").string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("s.scn"), std::string::npos) << r.err;
}

}  // namespace
