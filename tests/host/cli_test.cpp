// The command line of simhost: the values of --key, --code, --wind and --hud-size, the help text
// (every option of the contract), and the exit status 2 with the option named for bad values.
#include <gtest/gtest.h>

#include "app/cli.h"

namespace {

using sim::KeyEvent;

TEST(CliValues, KeyEvents) {
  KeyEvent e;
  std::string err;
  ASSERT_TRUE(sim::parseKeyEvent("12.5:ctrl+J", e, err)) << err;
  EXPECT_DOUBLE_EQ(e.time, 12.5);
  EXPECT_EQ(e.key, static_cast<DWORD>(OAPI_KEY_J));
  EXPECT_TRUE(e.down);
  EXPECT_FALSE(e.isCode);
  EXPECT_EQ(e.modifiers, std::vector<DWORD>{OAPI_KEY_LCONTROL});

  ASSERT_TRUE(sim::parseKeyEvent("3:g:up", e, err)) << err;
  EXPECT_EQ(e.key, static_cast<DWORD>(OAPI_KEY_G));
  EXPECT_FALSE(e.down);
  EXPECT_TRUE(e.modifiers.empty());

  ASSERT_TRUE(sim::parseKeyEvent("5:37", e, err)) << err;
  EXPECT_EQ(e.key, 37u);
  ASSERT_TRUE(sim::parseKeyEvent("5:7", e, err)) << err;  // one digit is the digit key, not code 7
  EXPECT_EQ(e.key, static_cast<DWORD>(OAPI_KEY_7));

  ASSERT_TRUE(sim::parseKeyEvent("0:rshift+rctrl+K", e, err)) << err;
  EXPECT_EQ(e.key, static_cast<DWORD>(OAPI_KEY_K));
  EXPECT_EQ(e.modifiers, (std::vector<DWORD>{OAPI_KEY_RSHIFT, OAPI_KEY_RCONTROL}));
  ASSERT_TRUE(sim::parseKeyEvent("1:Shift+B:UP", e, err)) << err;
  EXPECT_EQ(e.modifiers, std::vector<DWORD>{OAPI_KEY_LSHIFT});
  EXPECT_FALSE(e.down);

  for (const char *bad :
       {"J", "-1:J", "x:J", "nan:J", "1:", "1:alt+J", "1:J:down", "1:256", "1:1.5", "1:JK", "1:+J", "1:ctrl+"}) {
    err.clear();
    EXPECT_FALSE(sim::parseKeyEvent(bad, e, err)) << bad;
    EXPECT_NE(err.find(bad), std::string::npos) << "the message should quote the value: " << err;
  }
}

TEST(CliValues, CodeEvents) {
  KeyEvent e;
  std::string err;
  ASSERT_TRUE(sim::parseCodeEvent("1:2300:Kestrel Point", e, err)) << err;
  EXPECT_TRUE(e.isCode);
  EXPECT_DOUBLE_EQ(e.time, 1);
  EXPECT_EQ(e.key, 2300u);
  EXPECT_EQ(e.text, "Kestrel Point");
  ASSERT_TRUE(sim::parseCodeEvent("2.5:2301", e, err)) << err;
  EXPECT_EQ(e.key, 2301u);
  EXPECT_EQ(e.text, "");
  ASSERT_TRUE(sim::parseCodeEvent("0:2300:a:b ", e, err)) << err;
  EXPECT_EQ(e.text, "a:b ");  // everything after the second colon, as given
  for (const char *bad : {"2300", "1:abc", "1:-5", "1:23.5", "-2:2300", "1::x"}) {
    err.clear();
    EXPECT_FALSE(sim::parseCodeEvent(bad, e, err)) << bad;
    EXPECT_FALSE(err.empty());
  }
}

TEST(CliValues, WindAndSize) {
  sim::WindSpec w;
  std::string err;
  ASSERT_TRUE(sim::parseWind("10:270", w, err)) << err;
  EXPECT_DOUBLE_EQ(w.speed, 10);
  EXPECT_NEAR(w.fromDir, 270 * RAD, 1e-12);
  // From the west: it blows toward the east (+x of the horizon frame).
  EXPECT_NEAR(w.horizon().x, 10, 1e-9);
  EXPECT_NEAR(w.horizon().z, 0, 1e-9);
  ASSERT_TRUE(sim::parseWind("0:0", w, err)) << err;
  for (const char *bad : {"10", "-1:0", "101:0", "a:b", "5:", ":5", "5:inf"})
    EXPECT_FALSE(sim::parseWind(bad, w, err)) << bad;

  int W = 0, H = 0;
  ASSERT_TRUE(sim::parseSize("1920x1080", W, H, err)) << err;
  EXPECT_EQ(W, 1920);
  EXPECT_EQ(H, 1080);
  ASSERT_TRUE(sim::parseSize("800X600", W, H, err)) << err;
  EXPECT_EQ(W, 800);
  for (const char *bad : {"1024", "10x10", "1024x768.5", "9000x100", "1e300x100", "x768", "axb", "-800x600"})
    EXPECT_FALSE(sim::parseSize(bad, W, H, err)) << bad;
}

// Runs parseCommandLine on the given arguments (after the program name).
struct Parsed {
  int status;
  sim::RunOptions opts;
  std::string out, err;
};
Parsed parse(std::vector<std::string> args) {
  args.insert(args.begin(), "simhost");
  std::vector<char *> argv;
  for (std::string &a : args) argv.push_back(a.data());
  Parsed p;
  p.status = sim::parseCommandLine(static_cast<int>(argv.size()), argv.data(), p.opts, p.out, p.err);
  return p;
}

TEST(CommandLine, HelpDocumentsEveryOption) {
  for (const auto &args :
       {std::vector<std::string>{"--help"}, std::vector<std::string>{"run", "--help"}}) {
    Parsed p = parse(args);
    EXPECT_EQ(p.status, 0);
    EXPECT_EQ(p.err, "");
    for (const char *opt :
         {"SCENARIO", "--root", "--modules", "--dt", "--until", "--focus", "--key", "--code", "--input", "--save",
          "--hud", "--hud-png", "--hud-size", "--log", "--log-every", "--report", "--wind"})
      EXPECT_NE(p.out.find(opt), std::string::npos) << opt << " is not documented";
    EXPECT_NE(p.out.find("Booster recovery"), std::string::npos) << "the default scenario is not named";
  }
}

TEST(CommandLine, ParsesARun) {
  Parsed p =
      parse({"run",      "Demo",      "--dt",    "0.05",          "--until",      "30",          "--focus",
             "Capsule",  "--key",     "1:J",     "--key",         "2:shift+K:up", "--code",      "3:2300:Kestrel Point",
             "--input",  "first",     "--input", "second answer", "--wind",       "5:90",        "--hud-size",
             "800x600",  "--save",    "out.scn", "--log",         "log.csv",      "--log-every", "0.5",
             "--report", "r.json",    "--hud",   "hud.txt",       "--hud-png",    "hud.png",     "--root",
             "data",     "--modules", "mods"});
  ASSERT_EQ(p.status, -1) << p.err;
  const sim::RunOptions &o = p.opts;
  EXPECT_EQ(o.scenario, "Demo");
  EXPECT_DOUBLE_EQ(o.dt, 0.05);
  ASSERT_TRUE(o.until.has_value());
  EXPECT_DOUBLE_EQ(*o.until, 30);
  EXPECT_EQ(o.focus, "Capsule");
  ASSERT_EQ(o.events.size(), 3u);
  EXPECT_EQ(o.events[1].key, static_cast<DWORD>(OAPI_KEY_K));
  EXPECT_FALSE(o.events[1].down);
  EXPECT_TRUE(o.events[2].isCode);
  EXPECT_EQ(o.events[2].text, "Kestrel Point");
  EXPECT_EQ(o.inputs, (std::vector<std::string>{"first", "second answer"}));
  ASSERT_TRUE(o.wind.has_value());
  EXPECT_DOUBLE_EQ(o.wind->speed, 5);
  EXPECT_EQ(o.hudWidth, 800);
  EXPECT_EQ(o.hudHeight, 600);
  EXPECT_DOUBLE_EQ(o.logEvery, 0.5);
  EXPECT_EQ(o.save, "out.scn");
  EXPECT_EQ(o.log, "log.csv");
  EXPECT_EQ(o.report, "r.json");
  EXPECT_EQ(o.hud, "hud.txt");
  EXPECT_EQ(o.hudPng, "hud.png");
  EXPECT_EQ(o.root, "data");
  EXPECT_EQ(o.modules, "mods");

  Parsed d = parse({"run"});
  ASSERT_EQ(d.status, -1) << d.err;
  EXPECT_EQ(d.opts.scenario, sim::kDefaultScenario);
  EXPECT_FALSE(d.opts.until.has_value());
  EXPECT_DOUBLE_EQ(d.opts.dt, 0.02);
  EXPECT_EQ(d.opts.hudWidth, 1024);
  EXPECT_EQ(d.opts.hudHeight, 768);
}

TEST(CommandLine, BadValuesExitTwoNamingTheOption) {
  struct Case {
    std::vector<std::string> args;
    const char *named;
  };
  for (const Case &c : std::vector<Case>{{{"run", "--dt", "0"}, "--dt"},
                                         {{"run", "--dt", "fast"}, "--dt"},
                                         {{"run", "--dt", "2"}, "--dt"},
                                         {{"run", "--until", "-5"}, "--until"},
                                         {{"run", "--until", "0"}, "--until"},
                                         {{"run", "--key", "1:alt+J"}, "--key"},
                                         {{"run", "--key", "soon:J"}, "--key"},
                                         {{"run", "--code", "1:twenty"}, "--code"},
                                         {{"run", "--wind", "500:0"}, "--wind"},
                                         {{"run", "--hud-size", "big"}, "--hud-size"},
                                         {{"run", "--log-every", "0"}, "--log-every"},
                                         {{"run", "--dt"}, "--dt"},
                                         {{"run", "--bogus"}, "--bogus"},
                                         {{"fly"}, "subcommand"}}) {
    Parsed p = parse(c.args);
    EXPECT_EQ(p.status, 2) << c.named;
    EXPECT_NE(p.err.find(c.named), std::string::npos) << "message: " << p.err;
    EXPECT_EQ(p.out, "");
  }
  // A value that must be positive says so, rather than that 0 lies outside 0 to the largest number.
  Parsed zero = parse({"run", "--until", "0"});
  EXPECT_NE(zero.err.find("must be a number greater than 0, not 0"), std::string::npos) << zero.err;
  EXPECT_NE(parse({"run", "--log-every", "inf"}).status, 0);
  Parsed none = parse({});
  EXPECT_EQ(none.status, 2);
  EXPECT_FALSE(none.err.empty());
}

}  // namespace

namespace {

// Any command line: its result and what it set.
struct ParsedAll {
  sim::CliResult result;
  sim::CommandLine cmd;
};
ParsedAll parseAll(std::vector<std::string> args) {
  args.insert(args.begin(), "simhost");
  std::vector<char *> argv;
  for (std::string &a : args) argv.push_back(a.data());
  ParsedAll p;
  p.result = sim::parseCommandLine(static_cast<int>(argv.size()), argv.data(), p.cmd);
  return p;
}

TEST(CommandLine, NumbersMustBeFiniteAndWithinTheirRange) {
  struct Case {
    std::vector<std::string> args;
    const char *named;
  };
  std::vector<Case> cases = {{{"run", "--dt", "nan"}, "--dt"},
                             {{"run", "--until", "1e300"}, "--until"},
                             {{"run", "--until", "1.00001e8"}, "--until"},
                             {{"run", "--until", "nan"}, "--until"},
                             {{"run", "--log-every", "nan"}, "--log-every"},
                             {{"run", "--wind", ""}, "--wind"},
                             {{"run", "--hud-size", ""}, "--hud-size"},
                             {{"montecarlo", "--path-angle", "nan"}, "--path-angle"},
                             {{"montecarlo", "--heading", "inf"}, "--heading"},
                             {{"montecarlo", "--downrange", "nan"}, "--downrange"},
                             {{"montecarlo", "--propellant", "-inf"}, "--propellant"},
                             {{"montecarlo", "--alt", "nan:70000"}, "--alt"},
                             {{"montecarlo", "--wind", ""}, "--wind"},
                             {{"montecarlo", "--dt", ""}, "--dt"},
                             {{"montecarlo", "--shard", ""}, "--shard"},
                             {{"montecarlo", "--out", ""}, "--out"},
                             {{"montecarlo", "--seed", "-1"}, "--seed"},
                             {{"montecarlo", "--seed", "99999999999999999999999"}, "--seed"},
                             {{"montecarlo", "--seed", ""}, "--seed"}};
  for (const char *staging : {"--staging-alt", "--staging-speed", "--staging-angle",
                              "--staging-heading", "--staging-downrange", "--staging-propellant"})
    for (const char *value : {"nan", "inf", "-1e300"})
      cases.push_back({{"run", staging, value}, staging});
  for (const Case &c : cases) {
    ParsedAll p = parseAll(c.args);
    EXPECT_EQ(p.result.exitCode, 2) << c.args[1] << " " << c.args.back();
    EXPECT_NE(p.result.err.find(c.named), std::string::npos) << p.result.err;
  }
  ParsedAll ok = parseAll({"run", "--until", "1e8", "--staging-alt", "65000", "--dt", "0.001"});
  ASSERT_TRUE(ok.result.proceed()) << ok.result.err;
  EXPECT_EQ(*ok.cmd.run.staging.altitude, 65000);
  EXPECT_FALSE(ok.cmd.run.staging.speed.has_value());
}

TEST(CommandLine, SeedsSpanZeroToTheLargest64BitNumber) {
  std::string error;
  unsigned long long seed = 7;
  for (auto [text, value] : std::vector<std::pair<const char *, unsigned long long>>{
           {"0", 0}, {"1", 1}, {"18446744073709551615", 18446744073709551615ull}, {" 42 ", 42}}) {
    EXPECT_TRUE(sim::parseSeed(text, seed, error)) << text << ": " << error;
    EXPECT_EQ(seed, value) << text;
  }
  for (const char *bad : {"-1", "-0", "18446744073709551616", "99999999999999999999999", "1.5",
                          "1e3", "0x10", "+3", "seven", ""})
    EXPECT_FALSE(sim::parseSeed(bad, seed, error)) << bad;
  ParsedAll p = parseAll({"montecarlo", "--seed", "18446744073709551615", "--resume"});
  ASSERT_TRUE(p.result.proceed()) << p.result.err;
  EXPECT_EQ(p.cmd.montecarlo.seed, 18446744073709551615ull);
  EXPECT_TRUE(p.cmd.montecarlo.resume);
}

TEST(CommandLine, EventsTheRunEndsBeforeAreWarnedAbout) {
  // dt 0.02 and --until 10: the last step starts at 9.98 s.
  for (auto [t, delivered] : std::vector<std::pair<double, bool>>{
           {0, true}, {9.98, true}, {9.97, true}, {9.99, false}, {10, false}, {20, false}})
    EXPECT_EQ(sim::deliveredBefore(t, 0.02, 10), delivered) << t;
  ParsedAll p = parseAll({"run", "--until", "10", "--key", "20:J", "--key", "9.98:K", "--code",
                          "10:2301", "--key", "9.99:shift+B"});
  ASSERT_TRUE(p.result.proceed()) << p.result.err;
  EXPECT_EQ(p.cmd.run.events.size(), 4u);
  for (const char *late : {"--key 20:J", "--code 10:2301", "--key 9.99:shift+B"})
    EXPECT_NE(p.result.err.find(std::string("warning: ") + late +
                                ": the run ends before it (--until 10 s)"),
              std::string::npos)
        << p.result.err;
  EXPECT_EQ(p.result.err.find("9.98:K"), std::string::npos) << p.result.err;
  EXPECT_EQ(parseAll({"run", "--key", "2000:J"}).result.err,
            "");  // no --until: the run may get there
}

TEST(CommandLine, VersionListAndUnknownSubcommands) {
  ParsedAll version = parseAll({"--version"});
  EXPECT_EQ(version.result.exitCode, 0);
  EXPECT_EQ(version.result.out, sim::versionText());
  EXPECT_EQ(version.result.out.rfind("simhost ", 0), 0u);
  ParsedAll list = parseAll({"list", "--root", "elsewhere"});
  ASSERT_TRUE(list.result.proceed()) << list.result.err;
  EXPECT_EQ(list.cmd.command, sim::CommandLine::Command::List);
  EXPECT_EQ(list.cmd.list.root, "elsewhere");
  for (const char *unknown : {"fly", "Run", "lists"}) {
    ParsedAll p = parseAll({unknown, "--dt", "0.1"});
    EXPECT_EQ(p.result.exitCode, 2);
    EXPECT_NE(p.result.err.find(std::string("unknown subcommand \"") + unknown + "\""),
              std::string::npos)
        << p.result.err;
  }
  ParsedAll help = parseAll({"--help"});
  for (const char *item : {"--version", "list", "--resume"})
    EXPECT_NE(help.result.out.find(item), std::string::npos) << item;
}

// A parser built for runs beforehand gives what a fresh one gives, a second time from a clean
// slate, and for another subcommand too.
TEST(CommandLine, AParserBuiltBeforehandParsesAsAFreshOne) {
  sim::CommandLineParser parser("run");
  auto parse = [&parser](std::vector<std::string> args, sim::CommandLine &cmd) {
    args.insert(args.begin(), "simhost");
    std::vector<char *> argv;
    for (std::string &a : args) argv.push_back(a.data());
    return parser.parse(static_cast<int>(argv.size()), argv.data(), cmd);
  };
  sim::CommandLine first, second, other;
  ASSERT_TRUE(parse({"run", "--dt", "0.05", "--focus", "stage"}, first).proceed());
  EXPECT_EQ(first.run.dt, parseAll({"run", "--dt", "0.05"}).cmd.run.dt);
  EXPECT_EQ(first.run.focus, "stage");
  ASSERT_TRUE(parse({"run", "--until", "3"}, second).proceed());
  EXPECT_EQ(second.run.dt, 0.02);
  EXPECT_EQ(second.run.focus, "");
  EXPECT_EQ(second.run.until, 3.0);
  ASSERT_TRUE(parse({"list", "--root", "elsewhere"}, other).proceed());
  EXPECT_EQ(other.command, sim::CommandLine::Command::List);
  EXPECT_EQ(other.list.root, "elsewhere");
}

}  // namespace
