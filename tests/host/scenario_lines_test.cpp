// Vessel lines of a scenario: how the reader trims them and where a block ends, the writers'
// formats, and the default parser: case-insensitive prefix keywords, the three kinds of STATUS,
// propellant and thruster lists (a tank the scenario does not list starts empty).
#include <gtest/gtest.h>

#include "host_test_util.h"
#include "scenario/status_lines.h"
#include "scenario/streams.h"

namespace {

using namespace testsupport;
using hosttest::RecorderLog;

TEST(ScenarioReader, TrimsCommentsAndBlanksLineByLine) {
  EXPECT_EQ(sim::trimScenarioLine("  RPOS 1 2 3 ; where it is"), "RPOS 1 2 3");
  EXPECT_EQ(sim::trimScenarioLine("\t LEGS\t1 0.5 \t\r"), "LEGS\t1 0.5");
  EXPECT_EQ(sim::trimScenarioLine("; only a comment"), "");
  EXPECT_EQ(sim::trimScenarioLine(" \t "), "");
  EXPECT_EQ(sim::trimScenarioLine("LPRM Kestrel Point;x;y"), "LPRM Kestrel Point");

  std::vector<sim::SourceLine> lines = {{3, "  ALT 12.5 ; metres"}, {4, ""}, {5, "\tNPLS 2"}};
  sim::ScenarioReader reader("f.scn", lines);
  char *line = nullptr;
  ASSERT_TRUE(oapiReadScenario_nextline(reader.handle(), line));
  EXPECT_STREQ(line, "ALT 12.5");
  EXPECT_EQ(reader.lineNumber(), 3);
  ASSERT_TRUE(oapiReadScenario_nextline(reader.handle(), line));
  EXPECT_STREQ(line, "");
  ASSERT_TRUE(oapiReadScenario_nextline(reader.handle(), line));
  EXPECT_STREQ(line, "NPLS 2");
  EXPECT_EQ(reader.lineNumber(), 5);
  EXPECT_FALSE(oapiReadScenario_nextline(reader.handle(), line));
  EXPECT_FALSE(oapiReadScenario_nextline(reader.handle(), line));
}

TEST(ScenarioReader, TheModuleSeesTrimmedLinesUpToEnd) {
  TempDataRoot root;
  hosttest::addTestClasses(root);
  auto w = makeWorld(0.1, root.path());
  RecorderLog log(*w);
  log.clear();
  std::string ships = "A:recorder\n" + hosttest::orbitLines() +
                      "  REC one ; a comment\n"
                      "\t REC\ttwo \t\n"
                      "  end   ; the block ends here, whatever the case\n"
                      "B:recorder\n" +
                      hosttest::orbitLines(100) + "rec three\nEND\n";
  w->loadScenario(root.writeScenario("trim", hosttest::scenarioWithShips(ships)));
  EXPECT_NE(log.text().find("clbkLoadStateEx;line[REC one];line[REC\ttwo];ovcInit;"), std::string::npos) << log.text();
  EXPECT_NE(log.text().find("line[rec three];clbkPostCreation"), std::string::npos) << log.text();
  EXPECT_EQ(w->vessels().size(), 2u);
}

TEST(ScenarioWriter, WritesIndentedItems) {
  std::string out;
  {
    sim::ScenarioWriter writer(out);
    oapiWriteScenario_string(writer.handle(), const_cast<char *>("LPRM"), const_cast<char *>("Kestrel+Point"));
    oapiWriteScenario_int(writer.handle(), const_cast<char *>("NPLS"), -3);
    oapiWriteScenario_float(writer.handle(), const_cast<char *>("RATIO"), 1.0 / 3.0);
    oapiWriteScenario_float(writer.handle(), const_cast<char *>("TINY"), 1.5e-7);
    oapiWriteScenario_float(writer.handle(), const_cast<char *>("BIG"), 1234567.0);
  }
  EXPECT_EQ(out, "  LPRM Kestrel+Point\n  NPLS -3\n  RATIO 0.333333\n  TINY 1.5e-07\n  BIG 1.23457e+06\n");

  // A handle that is not an open writer is refused, not written through.
  auto w = makeWorld();
  std::vector<sim::SourceLine> none;
  sim::ScenarioReader reader("f.scn", none);
  oapiWriteScenario_int(reader.handle(), const_cast<char *>("X"), 1);
  oapiWriteScenario_string(nullptr, const_cast<char *>("X"), const_cast<char *>("y"));
  char *line;
  std::string outStream;
  sim::ScenarioWriter writer(outStream);
  EXPECT_FALSE(oapiReadScenario_nextline(writer.handle(), line));
  EXPECT_EQ(w->diagnostics().refusedCount(), 3);
}

class DefaultParser : public ::testing::Test {
 protected:
  void SetUp() override { hosttest::addTestClasses(root); }
  Vessel &load(const std::string &name, const std::string &cls, const std::string &lines) {
    w.reset();
    w = makeWorld(0.1, root.path());
    std::string err =
        hosttest::loadError(*w, root, name, hosttest::scenarioWithShips("V:" + cls + "\n" + lines + "END\n"));
    if (!err.empty()) ADD_FAILURE() << err;
    return *w->findVessel("V");
  }
  TempDataRoot root;
  std::unique_ptr<sim::World> w;
};

TEST_F(DefaultParser, KeywordsArePrefixesInAnyCase) {
  Vessel &v = load("prefix", "cargo_crate", "  status orbiting EARTH\n  Rpos 7000000 1 2\n  rVel 3 4 7500\n");
  EXPECT_EQ(v.st.frame, w->findBody("Earth"));
  EXPECT_DOUBLE_EQ(v.st.rpos.x, 7e6);
  EXPECT_DOUBLE_EQ(v.st.rvel.z, 7500);
  // A keyword followed by more letters is still that keyword: its values are read after the
  // keyword's own length, so "rposXYZ 1 2 3" is an RPOS line whose values cannot be read.
  w.reset();
  w = makeWorld(0.1, root.path());
  std::string e = hosttest::loadError(*w, root, "prefix2",
                                      hosttest::scenarioWithShips("V:cargo_crate\n  STATUS Orbiting Earth\n"
                                                                  "  rposXYZ 1 2 3\nEND\n"));
  EXPECT_NE(e.find("prefix2.scn:9: RPOS"), std::string::npos) << e;
  // Unknown lines are ignored.
  Vessel &u = load("unknown", "cargo_crate", hosttest::orbitLines(7) + "  SOMETHING else 1 2\n  NAVFREQ 0 0\n");
  EXPECT_DOUBLE_EQ(u.st.rpos.z, 7.0);
}

TEST_F(DefaultParser, LandedOrbitingAndFlyingStates) {
  Vessel &l = load("landed", "cargo_crate", "  STATUS Landed Earth\n  POS -80.6 28.6\n  HEADING 45\n");
  EXPECT_TRUE(l.landed());
  EXPECT_NEAR(l.sp.lng * DEG, -80.6, 1e-9);
  EXPECT_NEAR(l.sp.lat * DEG, 28.6, 1e-9);
  EXPECT_NEAR(l.sp.alt, 0.75, 0.05);  // on its touchdown points
  std::string saved = w->scenarioText();
  EXPECT_NE(saved.find("  STATUS Landed Earth\n  POS -80.6000000 28.6000000\n  HEADING 45.00\n"), std::string::npos)
      << saved;

  Vessel &b = load("base", "cargo_crate", "  STATUS Landed Earth\n  BASE Kestrel Point:1\n");
  EXPECT_TRUE(b.landed());
  EXPECT_NEAR(b.sp.lng * DEG, -80.6042, 1e-9);
  EXPECT_NEAR(b.sp.lat * DEG, 28.6083, 1e-9);

  // A pad number below 1 is taken as the first pad.
  Vessel &b2 = load("base2", "cargo_crate", "  STATUS Landed Earth\n  BASE kestrel point:-2147483648\n");
  EXPECT_NEAR(b2.sp.lat * DEG, 28.6083, 1e-9);

  Vessel &o = load("orbiting", "cargo_crate", hosttest::orbitLines(0) + "  VROT 1 2 3\n");
  EXPECT_FALSE(o.landed());
  EXPECT_NEAR(o.st.omega.y, 2 * RAD, 1e-12);
  EXPECT_NEAR(o.sp.alt, 400000, 1);

  Vessel &f = load("flying", "drop_capsule",
                   "  STATUS Flying Earth\n  POS 10 20\n  ALT 10000\n  HEADING 90\n  GSPEED 100 10\n");
  EXPECT_FALSE(f.landed());
  EXPECT_NEAR(f.sp.alt, 10000, 1e-3);
  EXPECT_NEAR(f.sp.groundspeed, 100, 1e-6);
  EXPECT_NEAR(f.sp.groundVel_H.y, 100 * std::sin(10 * RAD), 1e-6);
  EXPECT_NEAR(f.sp.groundVel_H.x, 100 * std::cos(10 * RAD), 1e-6);  // heading 90: east
  // Saved in the standard orbiting form.
  saved = w->scenarioText();
  EXPECT_NE(saved.find("V:drop_capsule\n  STATUS Orbiting Earth\n  RPOS "), std::string::npos) << saved;

  w.reset();
  w = makeWorld(0.1, root.path());
  std::string e = hosttest::loadError(*w, root, "hover",
                                      hosttest::scenarioWithShips("V:cargo_crate\n  STATUS Hovering Earth\nEND\n"));
  EXPECT_NE(e.find("hover.scn:8: STATUS: expected Orbiting, Landed or Flying"), std::string::npos) << e;
}

// A VROT beyond the host's rate cap (100 pi rad/s) is brought within it: with the rate as given,
// the first step's rotational damping and integration stages threw the vessel out of the solar
// system and soon made its state non-finite.
TEST_F(DefaultParser, AngularRatesBeyondTheCapAreCapped) {
  Vessel &o = load("spinning", "cargo_crate", hosttest::orbitLines(0) + "  VROT 1.1e31 1 0.2\n");
  EXPECT_NEAR(length(o.st.omega), 100 * PI, 1e-9);
  EXPECT_GT(o.st.omega.x, 0);
  for (int i = 0; i < 5; i++) w->step();
  EXPECT_NEAR(length(o.st.rpos), 6771010, 1000);
  EXPECT_LE(length(o.st.omega), 100 * PI + 1e-9);

  o.intf->SetAngularVel(_V(0, -1e30, 0));
  EXPECT_NEAR(o.st.omega.y, -100 * PI, 1e-9);
}

// A speed whose square is finite (1.2e270) loads but soon cannot be measured: the step that leaves such a state ends the run with its own error, so every scenario
// saved before it loads again and none after it is taken for a good one.
TEST_F(DefaultParser, AFlightTooLargeToMeasureEndsAtTheStepThatMakesIt) {
  Vessel &v = load("fast", "drop_capsule",
                   "  STATUS Orbiting Earth\n  RPOS 6441010 0 0\n  RVEL 0 -1.09e135 0\n");
  EXPECT_GT(v.sp.groundspeed, 1e134);
  int steps = 0;
  bool ended = false;
  for (; steps < 20 && !ended; steps++) {
    std::string saved = w->scenarioText();
    auto again = makeWorld(0.1, root.path());
    EXPECT_EQ(hosttest::loadError(*again, root, "again" + std::to_string(steps), saved), "") << "step " << steps;
    try {
      w->step();
    } catch (const sim::UnmeasurableState &e) {
      ended = true;
      EXPECT_NE(std::string(e.what()).find("vessel V: position, speed or rotation became too large to measure"),
                std::string::npos) << e.what();
    }
  }
  EXPECT_TRUE(ended);  // here at the first step: its drag alone is 1e266 m/s^2
}

// The keywords the default parser reads, for telling a module's lines from the simulator's.
TEST(StandardLines, KeywordsAreKnownAsTheParserMatchesThem) {
  for (const char *line : {"STATUS Landed Earth", "rpos 1 2 3", "PRPLEVEL 0:1", "ALT 5",
                           "Gspeed 1 2", "ATTACHED 0:0,X", "XPDR 4", "FLIGHTDATA", "POSITION 1"})
    EXPECT_NE(sim::standardKeyword(line), nullptr) << line;
  for (const char *line :
       {"LEGS 0 0 0 0", "APST 0 0 0 0 0", "LPRM NULL", "SOLP 1", "NPLS 2", "ZZZ"})
    EXPECT_EQ(sim::standardKeyword(line), nullptr) << line;
  EXPECT_STREQ(sim::standardKeyword("POSITION 1"), "POS");  // matched as a prefix, as it is read
}

TEST_F(DefaultParser, TanksStartEmptyUnlessListed) {
  // The recorder's class gives its tank 50 of 100 kg; a scenario vessel starts with what it lists.
  Vessel &empty = load("notank", "recorder", hosttest::orbitLines());
  EXPECT_EQ(empty.st.tankMass.at(0), 0.0);
  EXPECT_EQ(w->scenarioText().find("PRPLEVEL"), std::string::npos);

  Vessel &listed = load("tank", "recorder", hosttest::orbitLines() + "  PRPLEVEL 0:0.25\n");
  EXPECT_DOUBLE_EQ(listed.st.tankMass.at(0), 25.0);
  EXPECT_NE(w->scenarioText().find("  PRPLEVEL 0:0.250000\n"), std::string::npos);

  Vessel &legacy = load("fuel", "recorder", hosttest::orbitLines() + "  FUEL 0.5\n");
  EXPECT_DOUBLE_EQ(legacy.st.tankMass.at(0), 50.0);

  // A vessel created at run time without a fuel list keeps what its class gave it.
  sim::CelestialBody &earth = *w->findBody("Earth");
  sim::VesselSpawn s = orbiting(earth, _V(7e6, 0, 0), _V(0, 0, 7500));
  Vessel &kept = w->createVessel("K", "recorder", s);
  EXPECT_DOUBLE_EQ(kept.st.tankMass.at(0), 50.0);
}

// A module can put more into a tank than it holds: the level saved is the reader's largest, 1.
TEST_F(DefaultParser, ALevelBeyondTheCapacityIsSavedAsFullAndLoadsAgain) {
  Vessel &v = load("overfull", "recorder", hosttest::orbitLines() + "  PRPLEVEL 0:0.25\n");
  v.systems().tankMass[0] = 1.5 * v.def.tanks[0].maxMass;
  std::string saved = w->scenarioText();
  EXPECT_NE(saved.find("  PRPLEVEL 0:1.000000\n"), std::string::npos) << saved;
  auto again = makeWorld(0.1, root.path());
  EXPECT_EQ(hosttest::loadError(*again, root, "again", saved), "");
}

TEST_F(DefaultParser, ThrusterAndPropellantListsArePairs) {
  auto world = makeWorld();
  sim::CelestialBody &earth = *world->findBody("Earth");
  Vessel &v = world->createVessel("T", "cargo_crate", orbiting(earth, _V(7e6, 0, 0), _V(0, 0, 7500)));
  PROPELLANT_HANDLE tank = v.intf->CreatePropellantResource(10.0);
  PROPELLANT_HANDLE tank2 = v.intf->CreatePropellantResource(40.0);
  for (int i = 0; i < 3; i++) v.intf->CreateThruster(_V(0, 0, 0), _V(0, 0, 1), 1000.0, tank, 3000.0);

  sim::VesselSpawn spawn;
  spawn.vs.flag = VS_FUELRESET | VS_THRUSTRESET;
  {
    sim::SpawnScope scope(spawn, nullptr);
    sim::parseStandardLine(v, "STATUS Orbiting Earth", spawn.vs);
    sim::parseStandardLine(v, "RPOS 7000000 0 0", spawn.vs);
    sim::parseStandardLine(v, "THLEVEL 0:0.5 2:1", spawn.vs);
    sim::parseStandardLine(v, "PRPLEVEL 1:0.75", spawn.vs);
    ASSERT_EQ(spawn.thrusters.size(), 2u);
    EXPECT_TRUE(spawn.vs.flag & VS_THRUSTLIST);
    EXPECT_TRUE(spawn.vs.flag & VS_FUELLIST);
    v.applyStatus(spawn.vs, &spawn);
  }
  EXPECT_EQ(v.intf->GetPropellantMass(tank), 0.0);
  EXPECT_DOUBLE_EQ(v.intf->GetPropellantMass(tank2), 30.0);
  EXPECT_DOUBLE_EQ(v.st.thrusters[0].permanent, 0.5);
  EXPECT_EQ(v.st.thrusters[1].permanent, 0.0);
  EXPECT_DOUBLE_EQ(v.st.thrusters[2].permanent, 1.0);
  std::string saved = world->scenarioText();
  EXPECT_NE(saved.find("  PRPLEVEL 1:0.750000\n  THLEVEL 0:0.500000 2:1.000000\n"), std::string::npos) << saved;

  // Malformed pairs, and levels whose propellant mass would not be finite.
  for (const char *bad : {"PRPLEVEL 0.5", "PRPLEVEL 0:x", "THLEVEL 0:0.5 1", "PRPLEVEL -1:0.5", "THLEVEL 0:nan",
                          "PRPLEVEL 1:0.5 0:1e308", "FUEL -1e308"}) {
    sim::VesselSpawn s2;
    sim::SpawnScope scope(s2, nullptr);
    sim::parseStandardLine(v, bad, s2.vs);
    EXPECT_NE(world->diagnostics().takeInputError(), "") << bad;
  }
}

}  // namespace
