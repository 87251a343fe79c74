// simhost run inside the test process: the program's defaults found from its own place, outputs
// checked before the flight and replaced only all together, an interrupted run that ends cleanly,
// names that are not UTF-8, and the progress line's text.
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/interrupt.h"
#include "app/progress.h"
#include "app/run.h"
#include "host_test_util.h"

namespace {

namespace fs = std::filesystem;
using testsupport::TempDataRoot;

std::string readFile(const fs::path &p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TEST(ProgramDefaults, TheDataIsFoundFromTheProgramsPlaceElseAtItsConfiguredPath) {
  fs::path top = fs::temp_directory_path() / ("arvex_defaults_" + std::to_string(::getpid()));
  fs::remove_all(top);
  fs::create_directories(top / "clone" / "build" / "bin");
  fs::create_directories(top / "clone" / "data" / "Config");
  fs::create_directories(top / "clone" / "build" / "Modules");
  fs::create_directories(top / "installed" / "bin" / "Modules");
  struct Case {
    fs::path exe, relative, data, modules;
  };
  for (const Case &c : std::vector<Case>{{top / "clone/build/bin/simhost", "../../data",
                                          top / "clone/data", top / "clone/build/Modules"},
                                         {top / "clone/build/bin/simhost", "../data",
                                          "/configured/data", top / "clone/build/Modules"},
                                         {top / "installed/bin/simhost", "../../data",
                                          "/configured/data", top / "installed/bin/Modules"}}) {
    sim::RunDefaults d = sim::programDefaults(c.exe, c.relative, "/configured/data");
    EXPECT_EQ(d.dataRoot, c.data) << c.exe << " " << c.relative;
    EXPECT_EQ(d.modulesDir, c.modules) << c.exe;
  }
  fs::remove_all(top);
}

TEST(Progress, TheLineShowsTimeSpeedUpAltitudeAndSpeed) {
  EXPECT_EQ(sim::progressText(120.4, 2.0, 15012.3, 1199.6),
            "  t 120 s  (x60)  alt 15012 m  speed 1200 m/s");
  EXPECT_EQ(sim::progressText(0, 0, 0, 0), "  t 0 s  (x0)  alt 0 m  speed 0 m/s");
  std::ostringstream out;
  {
    sim::ProgressLine off(out, false);
    for (int i = 0; i < 1000; i++) off.update(i, 1, 1);
  }
  EXPECT_EQ(out.str(), "");
}

class RunInProcess : public ::testing::Test {
 protected:
  void SetUp() override {
    defaults.dataRoot = testsupport::dataRoot(), defaults.modulesDir = testsupport::modulesDir();
    dir = root.path() / "out";
    fs::create_directories(dir);
    for (const char *f : {"save.scn", "report.json", "log.csv"})
      std::ofstream(dir / f) << "old " << f << "\n";
  }
  void expectOld() {
    for (const char *f : {"save.scn", "report.json", "log.csv"})
      EXPECT_EQ(readFile(dir / f), std::string("old ") + f + "\n") << f;
  }
  sim::RunOptions withOutputs() {
    sim::RunOptions o;
    o.save = dir / "save.scn", o.report = dir / "report.json", o.log = dir / "log.csv";
    return o;
  }
  int run(const sim::RunOptions &o) { return sim::runSimulation(o, defaults, out, err); }
  TempDataRoot root;
  sim::RunDefaults defaults;
  fs::path dir;
  std::ostringstream out, err;
};

TEST_F(RunInProcess, AnOutputThatCannotBeWrittenIsRefusedBeforeTheFlight) {
  sim::RunOptions o = withOutputs();
  o.hud = dir / "missing" / "hud.txt";
  EXPECT_EQ(run(o), 2);
  EXPECT_NE(err.str().find("--hud: " + o.hud.string() + ": cannot write"), std::string::npos)
      << err.str();
  EXPECT_EQ(out.str(), "") << "it flew";
  expectOld();
  EXPECT_EQ(hosttest::folderEntries(dir),
            (std::vector<std::string>{"log.csv", "report.json", "save.scn"}));
}

TEST_F(RunInProcess, AWriteThatFailsLeavesEveryOutputAsItWas) {
  sim::RunOptions o = withOutputs();
  int status;
  {
    hosttest::FileSizeLimit limit(20000);  // the log of the recovery runs to some 750 kB
    status = run(o);
  }
  EXPECT_EQ(status, 1);
  EXPECT_NE(err.str().find("--log: " + o.log.string() +
                           ": cannot write: File too large; every output left as it was"),
            std::string::npos)
      << err.str();
  expectOld();
  EXPECT_EQ(hosttest::folderEntries(dir),
            (std::vector<std::string>{"log.csv", "report.json", "save.scn"}));
}

TEST_F(RunInProcess, AnInterruptedRunStopsCleanlyWithItsOutputsOfThatMoment) {
  sim::RunOptions o = withOutputs();
  int status;
  {
    sim::InterruptGuard guard;
    std::raise(SIGTERM);
    status = run(o);
  }
  int signal = sim::interruptSignal();
  sim::clearInterrupt();
  EXPECT_EQ(signal, SIGTERM);
  EXPECT_EQ(status, 128 + SIGTERM);
  EXPECT_NE(err.str().find("interrupted at t = 0 s"), std::string::npos) << err.str();
  EXPECT_EQ(nlohmann::json::parse(readFile(dir / "report.json"))["end_reason"], "interrupted");
  std::string log = readFile(dir / "log.csv");
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2) << log;  // the header and the row at 0 s
  EXPECT_NE(readFile(dir / "save.scn").find("BEGIN_SHIPS"), std::string::npos);
}

// Names are text in the scenario's own encoding: the report replaces what is not UTF-8.
TEST_F(RunInProcess, NamesThatAreNotUtf8AreWrittenWithTheirBytesReplaced) {
  std::string text = readFile(testsupport::dataRoot() / "Scenarios" / "Booster recovery.scn");
  for (size_t p; (p = text.find("Larkon-1")) != std::string::npos;)
    text.replace(p, 8, "Larkon-\xff\xfe");
  sim::RunOptions o = withOutputs();
  o.scenario = root.writeScenario("Recovery \xe9t\xe9", text).string();
  o.until = 2;
  ASSERT_EQ(run(o), 0) << err.str();
  nlohmann::json report = nlohmann::json::parse(readFile(dir / "report.json"));
  EXPECT_EQ(report["scenario"], "Recovery \xef\xbf\xbdt\xef\xbf\xbd");
  EXPECT_EQ(report["focus"]["name"], "Larkon-\xef\xbf\xbd\xef\xbf\xbd");
  EXPECT_NE(readFile(dir / "save.scn").find("Larkon-\xff\xfe:larkon\n"), std::string::npos);
}

}  // namespace
