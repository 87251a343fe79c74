// Scenario files as a whole: malformed input is an InputError naming the file and line, saving
// never leaves an existing file truncated, and every bundled scenario survives a load-save-load-
// save round trip unchanged.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "host_test_util.h"
#include "loader/config_file.h"
#include "scenario/document.h"

namespace {

using namespace testsupport;

std::string readFile(const std::filesystem::path &p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class ScenarioErrors : public ::testing::Test {
 protected:
  void SetUp() override { hosttest::addTestClasses(root); }
  // The error loading text as bad.scn; fails the test if it loads.
  std::string error(const std::string &text) {
    auto w = makeWorld(0.1, root.path());
    std::string e = hosttest::loadError(*w, root, "bad", text);
    if (e.empty()) ADD_FAILURE() << "loaded without an error:\n" << text;
    return e;
  }
  // The error for one bad line in a crate's block (line 9 of the file).
  std::string lineError(const std::string &line) {
    return error(hosttest::scenarioWithShips("Crate:cargo_crate\n  STATUS Orbiting Earth\n" + line + "\nEND\n"));
  }
  TempDataRoot root;
};

// The message names bad.scn, the line and what was wrong.
::testing::AssertionResult namesFileLine(const std::string &message, int line, const std::string &what) {
  std::string at = "bad.scn:" + std::to_string(line) + ":";
  if (message.find(at) != std::string::npos && message.find(what) != std::string::npos)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "expected \"" << at << "\" and \"" << what << "\" in: " << message;
}

TEST_F(ScenarioErrors, BadValuesNameFileAndLine) {
  EXPECT_TRUE(namesFileLine(lineError("  RPOS 1 2 x"), 9, "RPOS: expected 3 numbers"));
  EXPECT_TRUE(namesFileLine(lineError("  RPOS 1 2"), 9, "RPOS: expected 3 numbers"));
  EXPECT_TRUE(namesFileLine(lineError("  RVEL 0 nan 0"), 9, "RVEL: value is not finite"));
  EXPECT_TRUE(namesFileLine(lineError("  ALT 1e999"), 9, "ALT: value is not finite"));
  EXPECT_TRUE(namesFileLine(lineError("  AROT inf 0 0"), 9, "AROT: value is not finite"));
  EXPECT_TRUE(namesFileLine(lineError("  HEADING north"), 9, "HEADING"));
  EXPECT_TRUE(namesFileLine(lineError("  PRPLEVEL 0:half"), 9, "PRPLEVEL"));
  EXPECT_TRUE(namesFileLine(lineError("  STATUS Orbiting Vulcan"), 9, "unknown body \"Vulcan\""));
  EXPECT_TRUE(namesFileLine(lineError("  STATUS Landed Earth\n  BASE Atlantis:1"), 10, "unknown base \"Atlantis\""));
  EXPECT_TRUE(namesFileLine(lineError("  ATTACHED 0:0"), 9, "ATTACHED: expected child:parent,NAME"));
  // Numbers for integer fields must fit them.
  EXPECT_TRUE(namesFileLine(lineError("  RCSMODE 1e300"), 9, "RCSMODE: value out of range"));
  EXPECT_TRUE(namesFileLine(lineError("  AFCMODE -3e9"), 9, "AFCMODE: value out of range"));
  EXPECT_TRUE(namesFileLine(lineError("  XPDR 5e9"), 9, "XPDR: value out of range"));
}

TEST_F(ScenarioErrors, BrokenStructureNamesTheOpeningLine) {
  // A vessel block that runs into END_SHIPS, and one that runs into the end of the file.
  EXPECT_TRUE(namesFileLine(error(hosttest::scenarioWithShips("A:cargo_crate\n" + hosttest::orbitLines())), 7,
                            "vessel \"A\" has no END line"));
  std::string text = hosttest::scenarioWithShips("A:cargo_crate\n" + hosttest::orbitLines() + "END\n");
  text.resize(text.size() - std::string("END\nEND_SHIPS\n").size());
  EXPECT_TRUE(namesFileLine(error(text), 7, "vessel \"A\" has no END line"));
  EXPECT_TRUE(namesFileLine(error("BEGIN_ENVIRONMENT\n  System Sol\n\nBEGIN_SHIPS\nEND_SHIPS\n"), 1,
                            "BEGIN_ENVIRONMENT without END_ENVIRONMENT"));
  EXPECT_TRUE(namesFileLine(error("BEGIN_SHIPS\nA:cargo_crate\n  STATUS Orbiting Earth\nEND\n"), 1,
                            "BEGIN_SHIPS without END_SHIPS"));
  EXPECT_TRUE(namesFileLine(error(hosttest::scenarioWithShips("A : cargo_crate\nEND\n")), 7, "no blanks"));
  EXPECT_TRUE(namesFileLine(error(hosttest::scenarioWithShips("A:no_such_class\nEND\n")), 7,
                            "unknown vessel class \"no_such_class\""));
  EXPECT_TRUE(namesFileLine(error(hosttest::scenarioWithShips("A:ghost\nEND\n")), 7, "no_such_module"));
  // Names longer than a file name may be are unknown classes and missing modules, like any other.
  std::string longName(300, 'q');
  EXPECT_TRUE(namesFileLine(error(hosttest::scenarioWithShips("A:" + longName + "\nEND\n")), 7,
                            "unknown vessel class \"" + longName + "\""));
  root.addClass("longmod", "ClassName = longmod\nModule = " + longName + "\n");
  EXPECT_TRUE(namesFileLine(error(hosttest::scenarioWithShips("A:longmod\nEND\n")), 7, "not found"));
  EXPECT_TRUE(namesFileLine(error("BEGIN_ENVIRONMENT\n  Date MJD soon\nEND_ENVIRONMENT\n"), 2, "Date"));
  // A date so far away that the bodies' positions would not be finite.
  EXPECT_TRUE(namesFileLine(error("BEGIN_ENVIRONMENT\n  Date MJD -1e308\nEND_ENVIRONMENT\n"), 2, "Date: out of range"));
  EXPECT_TRUE(namesFileLine(error("BEGIN_ENVIRONMENT\n  Date JD 1e300\nEND_ENVIRONMENT\n"), 2, "Date: out of range"));
}

TEST_F(ScenarioErrors, LinksAndFocusMustNameWhatExists) {
  std::string dock = "Dock:dock\n" + hosttest::orbitLines() + "END\n";
  auto payload = [](const std::string &attached) {
    return "Sat:pelo_payload\n" + hosttest::orbitLines(3) + "  " + attached + "\nEND\n";
  };
  // Vessel blocks start at line 7 (Dock) and 12 (Sat).
  EXPECT_TRUE(namesFileLine(error(hosttest::scenarioWithShips(dock + payload("ATTACHED 0:0,Nobody"))), 12,
                            "ATTACHED: no vessel named \"Nobody\""));
  EXPECT_TRUE(namesFileLine(error(hosttest::scenarioWithShips(dock + payload("ATTACHED 0:2,Dock"))), 12,
                            "attachment index out of range"));
  EXPECT_TRUE(namesFileLine(error(hosttest::scenarioWithShips(dock + payload("ATTACHED 1:0,Dock"))), 12,
                            "attachment index out of range"));
  EXPECT_TRUE(
      namesFileLine(error(hosttest::scenarioWithShips(dock, "Nobody")), 7, "focus: no vessel named \"Nobody\""));

  // The same links, well formed, load: the payload hangs from the dock's second port.
  auto w = makeWorld(0.1, root.path());
  std::string ok =
      hosttest::loadError(*w, root, "good", hosttest::scenarioWithShips(dock + payload("ATTACHED 0:1,Dock"), "Sat"));
  ASSERT_EQ(ok, "");
  Vessel &sat = *w->findVessel("Sat");
  EXPECT_EQ(sat.st.parentLink.parent, w->findVessel("Dock"));
  EXPECT_EQ(w->focus(), &sat);
  EXPECT_NE(w->scenarioText().find("  ATTACHED 0:1,Dock\n"), std::string::npos);
}

TEST_F(ScenarioErrors, FilesThatHoldNoScenarioAreRefused) {
  std::string bytes;
  unsigned x = 12345;
  for (int i = 0; i < 4000; i++) bytes += static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
  for (const std::string &text :
       {std::string(), std::string("just some words\nand more of them\n"), bytes,
        std::string("BEGIN_SHIPS\nEND_SHIPS\n"), std::string("BEGIN_DESC\nx\nEND_DESC\n")})
    EXPECT_NE(error(text).find("bad.scn: not a scenario: no vessel"), std::string::npos)
        << text.substr(0, 40);
  auto w = makeWorld(0.1, root.path());
  EXPECT_EQ(
      hosttest::loadError(*w, root, "empty", "BEGIN_ENVIRONMENT\n  System Sol\nEND_ENVIRONMENT\n"),
      "");
}

TEST_F(ScenarioErrors, ValuesTheLinesCannotMeanAreRefused) {
  struct Case {
    const char *line, *message;
  };
  for (const Case &c : std::vector<Case>{
           {"  PRPLEVEL 0:-1", "PRPLEVEL: level of tank 0 -1 out of range (from 0 to 1)"},
           {"  PRPLEVEL 0:0.5 1:5", "PRPLEVEL: level of tank 1 5 out of range"},
           {"  FUEL 1.5", "FUEL: level 1.5 out of range"},
           {"  POS 10 95", "POS: latitude 95 out of range (from -90 to 90)"},
           {"  ALT 1e30", "ALT 1e+30 out of range (at most 1e+09)"},
           {"  GSPEED 1e25 10", "GSPEED: speed 1e+25 out of range"},
           {"  GSPEED -5 0", "GSPEED: speed -5 out of range"},
           {"  GSPEED 100 500", "GSPEED: path angle 500 out of range (from -90 to 90)"}})
    EXPECT_TRUE(namesFileLine(lineError(c.line), 9, c.message));
  auto flying = [](const std::string &alt) {
    return hosttest::scenarioWithShips("C:drop_capsule\n  STATUS Flying Earth\n  POS 1 2\n" + alt +
                                       "  HEADING 0\n  GSPEED 100 0\nEND\n");
  };
  EXPECT_TRUE(namesFileLine(error(flying("  ALT -1e6\n")), 10,
                            "ALT -1e+06: below the surface for a flying vessel"));
  EXPECT_TRUE(
      namesFileLine(error(hosttest::scenarioWithShips("Crate:cargo_crate\n  POS 1 2\nEND\n")), 7,
                    "vessel \"Crate\" has no STATUS line"));
  auto w = makeWorld(0.1, root.path());
  EXPECT_EQ(hosttest::loadError(*w, root, "good", flying("  ALT 0\n")),
            "");  // on the surface is no error
}

TEST(ScenarioSave, ReplacesTheFileWithoutTruncatingIt) {
  TempDataRoot root;
  auto w = makeWorld(0.1, root.path());
  w->loadScenario(
      root.writeScenario("src", hosttest::scenarioWithShips("A:cargo_crate\n" + hosttest::orbitLines() + "END\n")));
  std::filesystem::path target = root.file("Scenarios/saved.scn");
  std::ofstream(target) << "old contents\n";
  std::ifstream before(target);  // still reads the old file once the new one replaces it
  w->saveScenario(target);
  EXPECT_EQ(readFile(target), w->scenarioText());
  EXPECT_FALSE(std::filesystem::exists(target.string() + ".tmp"));
  std::string old;
  std::getline(before, old);
  EXPECT_EQ(old, "old contents") << "the old file was written over in place";

  // If the new text cannot be written, the old file stays as it was, and nothing is left beside it;
  // a file of the user's named like a temporary one is not touched.
  std::ofstream(target, std::ios::trunc) << "keep me\n";
  std::ofstream(target.string() + ".tmp") << "mine\n";
  {
    hosttest::FileSizeLimit limit(16);
    EXPECT_THROW(w->saveScenario(target), sim::RunError);
  }
  EXPECT_EQ(readFile(target), "keep me\n");
  EXPECT_EQ(hosttest::folderEntries(target.parent_path()),
            (std::vector<std::string>{"saved.scn", "saved.scn.tmp", "src.scn"}));
  w->saveScenario(target);
  EXPECT_EQ(readFile(target.string() + ".tmp"), "mine\n");
  EXPECT_THROW(w->saveScenario(root.file("no_such_dir/x.scn")), sim::RunError);
}

TEST(ScenarioSave, HugeValuesAreWrittenInFull) {
  // The fixed-point form of a value near the largest double runs to some 300 digits.
  TempDataRoot root;
  std::string text = "BEGIN_ENVIRONMENT\n  System Sol\n  Wind 1e300 -1.7e308\nEND_ENVIRONMENT\n" +
                     std::string("BEGIN_SHIPS\nA:cargo_crate\n") + hosttest::orbitLines() + "END\nEND_SHIPS\n";
  std::filesystem::path saved = root.file("Scenarios/huge_saved.scn");
  {
    auto w = makeWorld(0.1, root.path());
    w->loadScenario(root.writeScenario("huge", text));
    w->saveScenario(saved);
  }
  auto w = makeWorld(0.1, root.path());
  ASSERT_NO_THROW(w->loadScenario(saved)) << readFile(saved);
  EXPECT_EQ(w->wind.speed, 1e300);
  EXPECT_NEAR(w->wind.fromDir * DEG / -1.7e308, 1.0, 1e-12);
}

TEST_F(ScenarioErrors, StatesTooLargeToMeasureAreRefused) {
  // Finite values whose squares overflow: no distance, speed or rate could be computed from them.
  EXPECT_TRUE(
      namesFileLine(lineError("  RPOS 1e200 0 0"), 7, "vessel \"Crate\": position, speed or rotation too large"));
  EXPECT_TRUE(namesFileLine(lineError("  RPOS 7e6 0 0\n  RVEL 0 -1e300 0"), 7, "too large"));
  // (a VROT too large is capped at the host's rate limit instead: DefaultParser.AngularRatesBeyondTheCapAreCapped)
  EXPECT_TRUE(namesFileLine(lineError("  STATUS Landed Earth\n  POS 1 2\n  ALT -1e308\n  AROT 0 0 0"), 7, "too large"));
  // (a ground speed that large is beyond the speed of light, refused on its own line)
  EXPECT_TRUE(namesFileLine(error(hosttest::scenarioWithShips(
                                "C:drop_capsule\n  STATUS Flying Earth\n  POS 1 2\n  ALT 100\n"
                                "  GSPEED 1e300 0\nEND\n")),
                            11, "GSPEED: speed 1e+300 out of range"));
}

// True if every module the scenario's classes name has been built (others are being written
// alongside; their scenarios are checked once their modules exist).
bool modulesBuilt(const std::filesystem::path &scn, std::string &missing) {
  sim::ScenarioDocument doc = sim::ScenarioDocument::read(scn);
  for (const sim::ShipBlock &s : doc.ships) {
    std::filesystem::path cfg = dataRoot() / "Config" / "Vessels" / (s.className + ".cfg");
    if (!std::filesystem::exists(cfg)) continue;  // reported by the load itself
    std::string module;
    sim::ConfigFile::read(cfg)->text("Module", module);
    if (!module.empty() && !std::filesystem::exists(modulesDir() / (module + ".so"))) {
      missing = module;
      return false;
    }
  }
  return true;
}

// Loads text, saves it, loads the saved file and saves again; both saves must be equal.
void expectStableRoundTrip(TempDataRoot &root, const std::filesystem::path &scn) {
  std::string first, second;
  std::filesystem::path saved = root.file("Scenarios/first.scn");
  {
    auto w = makeWorld(0.1, root.path());
    ASSERT_NO_THROW(w->loadScenario(scn));
    w->saveScenario(saved);
    first = readFile(saved);
  }
  auto w = makeWorld(0.1, root.path());
  ASSERT_NO_THROW(w->loadScenario(saved));
  second = w->scenarioText();
  EXPECT_EQ(w->diagnostics().refusedCount(), 0);
  EXPECT_EQ(first, second);
}

TEST(ScenarioRoundTrip, PassiveVesselsInEveryState) {
  TempDataRoot root;
  hosttest::addTestClasses(root);
  std::string ships =
      "Crate:cargo_crate\n  STATUS Landed Earth\n  POS -80.6 28.6\nEND\n"
      "Turned:cargo_crate\n  STATUS Landed Earth\n  POS 0 0\n  HEADING 359.999\nEND\n"
      "Pad:landing_pad\n  STATUS Landed Earth\n  BASE Kestrel Point:1\nEND\n"
      "Capsule:drop_capsule\n  STATUS Flying Earth\n  POS 10 20\n  ALT 10000\n  HEADING 90\n  GSPEED 100 -5\nEND\n"
      "Dock:dock\n  STATUS Orbiting Earth\n  RPOS 6771010 0 0\n  RVEL 0 0 7672.593\n  AROT 0 0 0\n"
      "  VROT 0.1 -0.2 0.3\nEND\n"
      "Sat:pelo_payload\n  STATUS Orbiting Earth\n  RPOS 0 0 0\n  ATTACHED 0:1,Dock\nEND\n";
  std::string text = "BEGIN_DESC\nkept as written\nEND_DESC\n\n" + hosttest::scenarioWithShips(ships, "Sat");
  expectStableRoundTrip(root, root.writeScenario("passive", text));
}

// A file that repeats the world's sections loads the vessels of every ship list and the last
// environment; it saves one copy of each section, which loads again with the same vessels.
TEST(ScenarioRoundTrip, RepeatedSectionsAreSavedOnce) {
  TempDataRoot root;
  std::string text =
      "BEGIN_ENVIRONMENT\n  System Sol\n  Date MJD 60000\nEND_ENVIRONMENT\n"
      "BEGIN_SHIPS\nA:cargo_crate\n  STATUS Landed Earth\n  POS -80.6 28.6\nEND\nEND_SHIPS\n"
      "BEGIN_ENVIRONMENT\n  System Sol\n  Date MJD 60001\n  Wind 5 270\nEND_ENVIRONMENT\n"
      "BEGIN_FOCUS\n  Ship B\nEND_FOCUS\nBEGIN_FOCUS\n  Ship B\nEND_FOCUS\n"
      "BEGIN_SHIPS\nB:cargo_crate\n  STATUS Landed Earth\n  POS -80.7 28.6\nEND\nEND_SHIPS\n";
  std::filesystem::path scn = root.writeScenario("repeated", text);
  {
    auto w = makeWorld(0.1, root.path());
    ASSERT_NO_THROW(w->loadScenario(scn));
    EXPECT_EQ(w->vessels().size(), 2u);
    EXPECT_DOUBLE_EQ(w->mjd(), 60001);
    std::string saved = w->scenarioText();
    for (const char *section : {"BEGIN_ENVIRONMENT", "BEGIN_FOCUS", "BEGIN_SHIPS", "\nA:cargo_crate", "\nB:cargo_crate"}) {
      size_t first = saved.find(section);
      EXPECT_NE(first, std::string::npos) << section;
      EXPECT_EQ(saved.find(section, first + 1), std::string::npos) << section << " twice in:\n" << saved;
    }
  }
  expectStableRoundTrip(root, scn);
}

TEST(ScenarioRoundTrip, EveryBundledScenarioSavesWhatItLoads) {
  int checked = 0;
  TempDataRoot tmp;
  for (const auto &e : std::filesystem::directory_iterator(dataRoot() / "Scenarios")) {
    if (e.path().extension() != ".scn") continue;
    SCOPED_TRACE(e.path().filename().string());
    std::string missing;
    if (!modulesBuilt(e.path(), missing)) {
      std::cout << "[ SKIPPED  ] " << e.path().filename() << ": module " << missing << " not built\n";
      continue;
    }
    expectStableRoundTrip(tmp, e.path());
    checked++;
  }
  EXPECT_GT(checked, 0);
}

}  // namespace
