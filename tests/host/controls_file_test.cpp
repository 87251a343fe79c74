// Scripted controls on the command line and in control files, and the key names of --key.
#include <gtest/gtest.h>

#include <fstream>

#include "app/cli.h"
#include "app/controls_file.h"
#include "app/key_names.h"
#include "world/errors.h"
#include "world_fixture.h"

namespace {

TEST(ControlSpecs, AcceptTheGroupsAndModesByTheirNames) {
  struct Case {
    const char *spec;
    bool navmode;
    double time;
    int what;  // THGROUP_* or NAVMODE_*
    double level;
    bool on;
  };
  const Case cases[] = {
      {"2:hover:1", false, 2, THGROUP_HOVER, 1, true},
      {"12:hover:0", false, 12, THGROUP_HOVER, 0, true},
      {"0:MAIN:0.25", false, 0, THGROUP_MAIN, 0.25, true},
      {"1.5:pitchdown:0.1", false, 1.5, THGROUP_ATT_PITCHDOWN, 0.1, true},
      {"3:back:1", false, 3, THGROUP_ATT_BACK, 1, true},
      {"3:bankright:0.5", false, 3, THGROUP_ATT_BANKRIGHT, 0.5, true},
      {"4:killrot", true, 4, NAVMODE_KILLROT, 0, true},
      {"4:HoldAlt:off", true, 4, NAVMODE_HOLDALT, 0, false},
      {"0:antinormal:on", true, 0, NAVMODE_ANTINORMAL, 0, true},
  };
  for (const Case &c : cases) {
    sim::ControlEvent e;
    std::string error;
    bool ok = c.navmode ? sim::parseNavmodeSpec(c.spec, e, error) : sim::parseControlSpec(c.spec, e, error);
    ASSERT_TRUE(ok) << c.spec << ": " << error;
    EXPECT_EQ(e.time, c.time) << c.spec;
    if (c.navmode) {
      EXPECT_EQ(e.kind, sim::ControlEvent::Kind::Navmode);
      EXPECT_EQ(e.navmode, c.what) << c.spec;
      EXPECT_EQ(e.on, c.on) << c.spec;
    } else {
      EXPECT_EQ(e.kind, sim::ControlEvent::Kind::GroupLevel);
      EXPECT_EQ(e.group, c.what) << c.spec;
      EXPECT_EQ(e.level, c.level) << c.spec;
    }
  }
}

TEST(ControlSpecs, RefuseNonsenseWithAMessageThatSaysWhy) {
  struct Case {
    const char *spec;
    bool navmode;
    const char *message;
  };
  const Case cases[] = {
      {"2:hover", false, "expected T:GROUP:LEVEL"},
      {"2:hover:1:2", false, "expected T:GROUP:LEVEL"},
      {"-1:hover:1", false, "not negative"},
      {"x:hover:1", false, "number of seconds"},
      {"2:thrust:1", false, "unknown thruster group \"thrust\""},
      {"2:hover:1.5", false, "from 0 to 1"},
      {"2:hover:-0.1", false, "from 0 to 1"},
      {"2:hover:nan", false, "from 0 to 1"},
      {"2:user:1", false, "unknown thruster group"},
      {"2", true, "expected T:NAME[:off]"},
      {"2:autopilot", true, "unknown navigation mode \"autopilot\""},
      {"2:killrot:maybe", true, "only \"off\""},
  };
  for (const Case &c : cases) {
    sim::ControlEvent e;
    std::string error;
    bool ok = c.navmode ? sim::parseNavmodeSpec(c.spec, e, error) : sim::parseControlSpec(c.spec, e, error);
    EXPECT_FALSE(ok) << c.spec;
    EXPECT_NE(error.find(c.message), std::string::npos) << c.spec << " gave: " << error;
    EXPECT_NE(error.find(c.spec), std::string::npos) << "the message quotes the option text: " << error;
  }
}

TEST(ControlFiles, ReadLinesAndCommentsAndNameTheLineOfAnError) {
  testsupport::TempDataRoot root;
  std::filesystem::path good = root.file("good.controls"), bad = root.file("bad.controls");
  std::ofstream(good) << "# a hop\n\n2 hover 1   ; up\n  12 hover 0\n20 navmode killrot\n25 NAVMODE hlevel off\n";
  std::vector<sim::ControlEvent> events = sim::readControlsFile(good);
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[1].time, 12.0);
  EXPECT_EQ(events[1].level, 0.0);
  EXPECT_EQ(events[2].navmode, NAVMODE_KILLROT);
  EXPECT_FALSE(events[3].on);

  struct Case {
    const char *text;
    const char *message;
  };
  const Case cases[] = {
      {"2 hover 1\n3 hover\n", ":2: expected \"T GROUP LEVEL\""},
      {"2 navmode\n", ":1: expected \"T navmode NAME [off]\""},
      {"1 hover 1\n2 hover 1\n3 hover 2\n", ":3: the level must be a number from 0 to 1"},
      {"1 navmode warp\n", ":1: unknown navigation mode"},
      {"soon hover 1\n", ":1: the time must be"},
  };
  for (const Case &c : cases) {
    std::ofstream(bad, std::ios::trunc) << c.text;
    try {
      sim::readControlsFile(bad);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const sim::InputError &e) {
      std::string m = e.what();
      EXPECT_NE(m.find(bad.string() + c.message), std::string::npos) << m;
    }
  }
  EXPECT_THROW(sim::readControlsFile(root.file("missing.controls")), sim::InputError);
}

// The command line: the options land in the run's events, bad ones stop it with status 2.
int parse(std::vector<std::string> args, sim::RunOptions &o, std::string &err) {
  args.insert(args.begin(), {"simhost", "run"});
  std::vector<char *> argv;
  for (std::string &a : args) argv.push_back(a.data());
  std::string out;
  return sim::parseCommandLine(static_cast<int>(argv.size()), argv.data(), o, out, err);
}

TEST(ControlOptions, ReachTheRunOrStopItWithStatus2) {
  testsupport::TempDataRoot root;
  std::filesystem::path file = root.file("hop.controls");
  std::ofstream(file) << "5 navmode holdalt\n";
  sim::RunOptions o;
  std::string err;
  ASSERT_EQ(parse({"--control", "2:hover:1", "--control", "12:hover:0", "--navmode", "3:killrot", "--controls",
                   file.string(), "--addon", root.path().string(), "--key", "1:ctrl+add", "--key", "2:numpad8:up"},
                  o, err),
            -1)
      << err;
  ASSERT_EQ(o.controls.size(), 4u);
  EXPECT_EQ(o.controls[1].time, 12.0);
  EXPECT_EQ(o.controls[3].navmode, NAVMODE_HOLDALT);
  ASSERT_EQ(o.addons.size(), 1u);
  ASSERT_EQ(o.events.size(), 2u);
  EXPECT_EQ(o.events[0].key, static_cast<DWORD>(OAPI_KEY_ADD));
  EXPECT_EQ(o.events[1].key, static_cast<DWORD>(OAPI_KEY_NUMPAD8));
  EXPECT_FALSE(o.events[1].down);

  struct Case {
    std::vector<std::string> args;
    const char *message;
  };
  std::ofstream(root.file("bad.controls")) << "1 hover 1\n2 sideways 1\n";
  const Case cases[] = {
      {{"--control", "2:hover:3"}, "--control \"2:hover:3\""},
      {{"--navmode", "2:warp"}, "--navmode \"2:warp\""},
      {{"--controls", root.file("bad.controls").string()}, "bad.controls:2: unknown thruster group"},
      {{"--controls", root.file("none.controls").string()}, "cannot read the control file"},
      {{"--key", "1:numpad99"}, "unknown key \"numpad99\""},
  };
  for (const Case &c : cases) {
    sim::RunOptions bad;
    EXPECT_EQ(parse(c.args, bad, err), 2) << c.message;
    EXPECT_NE(err.find(c.message), std::string::npos) << err;
  }
}

TEST(KeyNames, AreTheKeyConstantsInLowerCase) {
  struct Case {
    const char *name;
    DWORD code;
  };
  const Case cases[] = {{"numpad0", OAPI_KEY_NUMPAD0}, {"NUMPAD5", OAPI_KEY_NUMPAD5}, {"add", OAPI_KEY_ADD},
                        {"subtract", OAPI_KEY_SUBTRACT}, {"multiply", OAPI_KEY_MULTIPLY}, {"divide", OAPI_KEY_DIVIDE},
                        {"decimal", OAPI_KEY_DECIMAL},   {"lbracket", OAPI_KEY_LBRACKET}, {"apostrophe", OAPI_KEY_APOSTROPHE},
                        {"semicolon", OAPI_KEY_SEMICOLON}, {"comma", OAPI_KEY_COMMA},     {"f12", OAPI_KEY_F12}};
  for (const Case &c : cases) {
    DWORD code = 0;
    EXPECT_TRUE(sim::keyByName(c.name, code)) << c.name;
    EXPECT_EQ(code, c.code) << c.name;
  }
  DWORD code;
  EXPECT_FALSE(sim::keyByName("numpad", code));
  EXPECT_FALSE(sim::keyByName("", code));
}

}  // namespace
