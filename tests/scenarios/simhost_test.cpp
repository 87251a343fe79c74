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
#include "simhost_runner.h"
#include "world_fixture.h"

namespace {

using namespace testsupport;

// The first module named by the scenario's classes that has not been built, or "".
std::string missingModule(const std::filesystem::path &scn) {
  for (const sim::ShipBlock &s : sim::ScenarioDocument::read(scn).ships) {
    std::filesystem::path cfg = dataRoot() / "Config" / "Vessels" / (s.className + ".cfg");
    std::string module;
    if (std::filesystem::exists(cfg)) sim::ConfigFile::read(cfg)->text("Module", module);
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

// The picture library is opened only for a picture: a plain run never maps cairo.
TEST_F(Simhost, OnlyARunThatDrawsAPictureOpensThePictureLibrary) {
  std::filesystem::path dir = root.path();
  std::string crate = root.file("Scenarios/Crate.scn").string();
  Outcome plain = simhost(dir, {"run", crate, "--until", "0.02"}, "LD_DEBUG=files");
  ASSERT_EQ(plain.status, 0) << plain.err;
  EXPECT_EQ(plain.err.find("libcairo"), std::string::npos);
  EXPECT_EQ(plain.err.find("libsimhost_hudpng"), std::string::npos);
  Outcome drawn =
      simhost(dir, {"run", crate, "--until", "0.02", "--hud-png", "h.png"}, "LD_DEBUG=files");
  ASSERT_EQ(drawn.status, 0) << drawn.err;
  EXPECT_NE(drawn.err.find("libsimhost_hudpng"), std::string::npos);
  EXPECT_NE(drawn.err.find("libcairo"), std::string::npos);
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

  // A file that cannot be written is refused before the flight, naming the option.
  r = simhost(dir, {"run", root.file("Scenarios/Crate.scn").string(), "--until", "1", "--save",
                    root.file("no_such_dir/s.scn").string()});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--save: " + root.file("no_such_dir/s.scn").string() + ": cannot write"),
            std::string::npos)
      << r.err;
}

// A run that fails on a state too large to measure ends with status 1 and does not replace the
// file --save names (here the scenario it started from) with a scenario that would not load.
TEST_F(Simhost, AFailedRunLeavesTheSavedScenarioAsItWas) {
  std::filesystem::path dir = root.path();
  const std::string text =
      "BEGIN_SHIPS\nCrate:cargo_crate\n  STATUS Orbiting Earth\n  RPOS 6441010 0 0\n"
      "  RVEL 0 -1.09e135 0\nEND\nEND_SHIPS\n";
  root.writeScenario("fast", text);
  std::filesystem::path scn = root.file("Scenarios/fast.scn");
  Outcome r = simhost(dir, {"run", scn.string(), "--until", "1", "--save", scn.string(), "--report", "r.json"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("vessel Crate: position, speed or rotation became too large to measure"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("--save: " + scn.string() + " left as it was"), std::string::npos) << r.err;
  EXPECT_EQ(readFile(scn), text);
  EXPECT_EQ(nlohmann::json::parse(readFile(dir / "r.json"))["end_reason"], "failed");
}

// The last value of column `name` in a simhost log, and its first.
std::pair<double, double> firstAndLast(const std::string &csv, const std::string &name) {
  std::istringstream in(csv);
  std::string header, row;
  std::getline(in, header);
  int column = 0;
  for (size_t b = 0, e; (e = header.find(',', b)) != std::string::npos && header.substr(b, e - b) != name; b = e + 1)
    column++;
  std::vector<double> values;
  while (std::getline(in, row)) {
    size_t b = 0;
    for (int c = 0; c < column; c++) b = row.find(',', b) + 1;
    values.push_back(std::stod(row.substr(b)));
  }
  return values.empty() ? std::pair{0.0, 0.0} : std::pair{values.front(), values.back()};
}

TEST_F(Simhost, TheBoosterOnThePadLiftsOffOnNineEngines) {
  std::filesystem::path dir = root.path();
  Outcome r = simhost(dir, {"run", "Booster on the pad", "--until", "5", "--log", "log.csv", "--log-every", "0.5",
                            "--report", "r.json"});
  ASSERT_EQ(r.status, 0) << r.err;
  // Starting on the ground is not a landing: no touchdown, no rest.
  nlohmann::json landing = nlohmann::json::parse(readFile(dir / "r.json"))["landing"];
  EXPECT_FALSE(landing.contains("touchdown_time_s")) << landing;
  EXPECT_FALSE(landing.contains("rest_time_s")) << landing;
  std::string log = readFile(dir / "log.csv");
  auto [alt0, alt1] = firstAndLast(log, "alt_m");
  auto [level0, level1] = firstAndLast(log, "main_level");
  auto [mass0, mass1] = firstAndLast(log, "mass_kg");
  EXPECT_NEAR(alt0, 23.94, 0.05);  // standing on its legs, their feet 24 m below the centre
  EXPECT_GT(alt1, 800.0);
  EXPECT_EQ(level1, 1.0);
  // Nine engines burn some 2.2 t of propellant a second.
  EXPECT_NEAR((mass0 - mass1) / 5.0, 2186.0, 50.0);
}

TEST_F(Simhost, KeysDriveTheBoosterAndItsSaveHoldsTheFourStateLines) {
  std::string pad = readFile(dataRoot() / "Scenarios" / "Booster on the pad.scn");
  size_t th = pad.find("  THLEVEL");
  pad.erase(th, pad.find('\n', th) - th + 1);  // engines off: the stage stays on the pad
  std::filesystem::path scn = root.writeScenario("Quiet pad", pad);
  std::filesystem::path dir = root.path();
  Outcome r = simhost(dir, {"run", scn.string(), "--until", "8", "--key", "2:J", "--key", "3:P",
                            "--key", "4:E", "--key", "5:K", "--input", "Harrow", "--key", "6:N", "--save", "s.scn",
                            "--hud", "hud.txt", "--hud-png", "hud.png"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::string saved = readFile(dir / "s.scn");
  EXPECT_NE(saved.find("  LEGS 2 1.0000 1.0000 1.0000\n"), std::string::npos) << saved;
  // fins out; the reentry hold steers with them, so their deflections are its business
  EXPECT_NE(saved.find("  FINS 2 1.0000 "), std::string::npos) << saved;
  EXPECT_NE(saved.find("  APST 1 0 0 1 0\n"), std::string::npos) << saved;  // three engines, reentry hold
  EXPECT_NE(saved.find("  LPRM Harrow\n"), std::string::npos) << saved;
  std::string hud = readFile(dir / "hud.txt");
  for (const char *text : {"K = Set Flyback Target: Harrow", "N = Reentry Attitude Active", "P = Engine Selection : 3",
                           "J = Stow Grid Fins"})
    EXPECT_NE(hud.find(text), std::string::npos) << text << " not in\n" << hud;
  EXPECT_EQ(hud.find("G = Deploy Landing Gear"), std::string::npos) << "the legs are down";
  EXPECT_GT(std::filesystem::file_size(dir / "hud.png"), 1000u);
}

TEST_F(Simhost, OutputsAreCheckedBeforeTheFlightAndNeverHalfReplaced) {
  std::filesystem::path dir = root.path();
  std::string crate = root.file("Scenarios/Crate.scn").string();
  std::filesystem::create_symlink("real.scn", dir / "link.scn");
  struct Case {
    std::vector<std::string> outputs;
    std::string message;
  };
  for (const Case &c : std::vector<Case>{
           {{"--report", "/dev/full"},
            "--report: /dev/full: cannot write: it exists and is a character device"},
           {{"--save", "/dev/null"},
            "--save: /dev/null: cannot write: it exists and is a character device"},
           {{"--log", crate}, "--log: " + crate + " is the scenario flown"},
           {{"--log", "x.csv", "--report", "./x.csv"},
            "--report: ./x.csv is also the file of --log"},
           {{"--save", "old.scn", "--hud", "link.scn", "--report", "real.scn"},
            "is also the file of --hud"},
           {{"--save", "old.scn", "--report", "/proc/r.json"},
            "--report: /proc/r.json: cannot write"},
           {{"--save", "old.scn", "--hud-png", "no/h.png"}, "--hud-png: no/h.png: cannot write"},
           {{"--log", "t.jsonl", "--track", "t.jsonl"},
            "--track: t.jsonl is also the file of --log"},
           {{"--track", "/dev/null"},
            "--track: /dev/null: cannot write: it exists and is a character device"}}) {
    std::ofstream(dir / "old.scn") << "old\n";
    std::vector<std::string> args = {"run", crate, "--until", "1"};
    args.insert(args.end(), c.outputs.begin(), c.outputs.end());
    Outcome r = simhost(dir, args);
    EXPECT_EQ(r.status, 2) << c.message;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "") << "it flew";
    EXPECT_EQ(readFile(dir / "old.scn"), "old\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "x.csv"));
  }
  // A link is written through: it stays a link, its target gets the scenario.
  Outcome r = simhost(dir, {"run", crate, "--until", "1", "--save", "link.scn"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.scn"));
  EXPECT_NE(readFile(dir / "real.scn").find("Crate:cargo_crate"), std::string::npos);
}

TEST_F(Simhost, InputThatIsNoScenarioOrNoModuleIsRefused) {
  std::filesystem::path dir = root.path();
  std::ofstream(dir / "empty.scn").close();
  std::ofstream(dir / "text.scn") << "Dear user,\nthis is a letter, not a scenario.\n";
  std::filesystem::create_directories(dir / "mods");
  std::filesystem::copy_file(modulesDir() / "larkon.so", dir / "mods" / "larkon.so");
  std::filesystem::resize_file(dir / "mods" / "larkon.so",
                               std::filesystem::file_size(modulesDir() / "larkon.so") / 2);
  for (auto [args, message] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"run", "empty.scn"}, "empty.scn: not a scenario: no vessel"},
           {{"run", "text.scn"}, "text.scn: not a scenario"},
           {{"run", dir.string()},
            "scenario \"" + dir.string() + "\": is a folder, not a scenario file"},
           {{"run", "/dev/zero"}, "scenario \"/dev/zero\": is a device"},
           {{"run", "Recovery"},
            "(it holds \"Booster on the pad\", \"Booster recovery\", \"Demo\""},
           {{"run", "--modules", "mods"}, "module larkon: cannot load mods/larkon.so: truncated"},
           {{"montecarlo", "--modules", "mods", "--runs", "2"},
            "module larkon: cannot load mods/larkon.so: truncated"}}) {
    Outcome r = simhost(dir, args);
    EXPECT_EQ(r.status, 2) << message << ": " << r.err;
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
  }
  Outcome any = simhost(dir, {"run", "booster RECOVERY", "--until", "1"});
  EXPECT_EQ(any.status, 0) << any.err;
  EXPECT_NE(any.out.find("simhost: Booster recovery: 50 steps"), std::string::npos) << any.out;
}

TEST_F(Simhost, VersionListAndUnknownSubcommands) {
  std::filesystem::path dir = root.path();
  Outcome version = simhost(dir, {"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("simhost ", 0), 0u) << version.out;
  Outcome list = simhost(dir, {"list"});
  EXPECT_EQ(list.status, 0) << list.err;
  for (const char *line :
       {"Booster on the pad\n    The first stage standing on its legs",
        "Booster recovery (the default)\n    The first stage just after separation", "Demo\n"})
    EXPECT_NE(list.out.find(line), std::string::npos) << line << " not in\n" << list.out;
  Outcome unknown = simhost(dir, {"fly", "Demo"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("unknown subcommand \"fly\""), std::string::npos) << unknown.err;
}

TEST_F(Simhost, WarningsNameWhatWillNotFlyAsWritten) {
  std::filesystem::path dir = root.path();
  std::string recovery = readFile(dataRoot() / "Scenarios" / "Booster recovery.scn");
  size_t lprm = recovery.find("LPRM Kestrel+Point");
  ASSERT_NE(lprm, std::string::npos);
  std::string lost = recovery;
  lost.replace(lprm, 18, "LPRM Nowhere");
  Outcome r = simhost(dir, {"run", root.writeScenario("lost", lost).string(), "--until", "1"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("simhost: warning: "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("its target \"Nowhere\" (LPRM) names no vessel and no base of Earth"),
            std::string::npos)
      << r.err;

  root.addClass("larkon", "");
  r = simhost(dir, {"run", root.writeScenario("recovery", recovery).string(), "--root",
                    root.path().string(), "--until", "1"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("larkon.cfg names no Module, so it flies as a passive vessel"),
            std::string::npos)
      << r.err;
}

TEST_F(Simhost, AnInterruptedRunEndsItsLogAtAWholeRow) {
  std::filesystem::path dir = root.path();
  Outcome r = simhostStopped(dir,
                             {"run", "Satellite deploy", "--until", "1e7", "--log", "log.csv",
                              "--log-every", "1", "--report", "r.json"},
                             1.5, SIGINT);
  EXPECT_EQ(r.status, 130) << r.err;
  EXPECT_NE(r.err.find("simhost: interrupted at t = "), std::string::npos) << r.err;
  std::string log = readFile(dir / "log.csv");
  ASSERT_GT(log.size(), 100000u) << "the run had hardly started";
  EXPECT_EQ(log.back(), '\n');
  std::istringstream rows(log);
  std::string header, row;
  std::getline(rows, header);
  long columns = std::count(header.begin(), header.end(), ',');
  while (std::getline(rows, row))
    ASSERT_EQ(std::count(row.begin(), row.end(), ','), columns) << row;
  EXPECT_EQ(nlohmann::json::parse(readFile(dir / "r.json"))["end_reason"], "interrupted");
}

// The run is interrupted after 2.5 s of wall time: long enough for the line, on any machine.
TEST_F(Simhost, ALongRunOnATerminalShowsItsProgress) {
  const std::filesystem::path &dir = root.path();
  std::string command = "timeout --preserve-status -s INT 2.5 " +
                        testsupport::quoted(ARVEX_TEST_SIMHOST) +
                        " run 'Satellite deploy' --until 1e7 --dt 1";
  std::string cmd = "cd " + testsupport::quoted(dir.string()) + " && script -qec " +
                    testsupport::quoted(command) + " /dev/null >tty.txt 2>&1";
  int status = std::system(cmd.c_str());
  ASSERT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 130) << readFile(dir / "tty.txt");
  std::string tty = readFile(dir / "tty.txt");
  EXPECT_NE(tty.find("\r  t "), std::string::npos) << tty;
  EXPECT_NE(tty.find(" s  (x"), std::string::npos) << tty;
  EXPECT_NE(tty.find(" m  speed 75"), std::string::npos) << tty;  // some 7.5 km/s in its orbit
  Outcome piped = simhost(dir, {"run", "Satellite deploy", "--until", "600000", "--dt", "1"});
  EXPECT_EQ(piped.out.find('\r'), std::string::npos) << "a progress line in a pipe";
}

}  // namespace
