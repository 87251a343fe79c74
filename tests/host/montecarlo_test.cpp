// The Monte-Carlo set without flying it: shards that partition the set, draws that stay in their
// intervals and replay exactly from their printed command, the summary's counts and ranking, and
// merge's refusal of records that do not belong together.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>

#include "app/cli.h"
#include "app/montecarlo.h"

namespace {

TEST(MonteCarlo, ShardsPartitionTheSetIntoNearlyEqualSlices) {
  for (int runs : {1, 7, 200, 1000})
    for (int count : {1, 3, 8, 1000}) {
      std::set<int> seen;
      int smallest = runs, largest = 0;
      for (int i = 1; i <= count; i++) {
        int first, last;
        sim::shardRange(runs, i, count, first, last);
        for (int k = first; k <= last; k++) EXPECT_TRUE(seen.insert(k).second) << runs << " " << count;
        smallest = std::min(smallest, last - first + 1), largest = std::max(largest, last - first + 1);
      }
      EXPECT_EQ(static_cast<int>(seen.size()), runs);
      EXPECT_EQ(*seen.begin(), 1);
      EXPECT_EQ(*seen.rbegin(), runs);
      EXPECT_LE(largest - smallest, 1);
    }
}

TEST(MonteCarlo, DrawsStayInTheirIntervalsAndTheirCommandsReplayThemExactly) {
  sim::MonteCarloOptions o;
  o.seed = 99;
  o.windDispersion.constantWind = true;  // the profile's own draws: WindDrawsStayIn...
  sim::StagingBase base{35, 90, 60000, 40000};
  double windLow = 1e9, windHigh = 0;
  for (int k = 1; k <= 300; k++) {
    sim::RunDraw d = sim::drawRun(o, base, "Booster recovery", k);
    EXPECT_GE(d.altitude, 60000); EXPECT_LE(d.altitude, 80000);
    EXPECT_GE(d.speed, 1500); EXPECT_LE(d.speed, 2000);
    EXPECT_LE(std::abs(d.pathAngle - 35), 5.0 + 1e-4);
    EXPECT_LE(std::abs(d.heading - 90), 5.0 + 1e-4);
    EXPECT_LE(std::abs(d.downrange / 60000 - 1), 0.25 + 1e-6);
    EXPECT_LE(std::abs(d.propellant / 40000 - 1), 0.15 + 1e-6);
    EXPECT_GE(d.dt, 0.01); EXPECT_LE(d.dt, 0.1);
    EXPECT_GE(d.windFrom, 0); EXPECT_LE(d.windFrom, 360);
    windLow = std::min(windLow, d.windSpeed), windHigh = std::max(windHigh, d.windSpeed);

    // the same run again, and from a set of another size: the same draw
    sim::MonteCarloOptions bigger = o;
    bigger.runs = 5000;
    EXPECT_EQ(sim::drawRun(bigger, base, "Booster recovery", k).args, d.args);

    std::vector<std::string> args = {"simhost"};
    args.insert(args.end(), d.args.begin(), d.args.end());
    std::vector<char *> argv;
    for (std::string &a : args) argv.push_back(a.data());
    sim::RunOptions run;
    std::string out, err;
    ASSERT_EQ(sim::parseCommandLine(static_cast<int>(argv.size()), argv.data(), run, out, err), -1) << err;
    EXPECT_EQ(run.dt, d.dt);
    EXPECT_EQ(*run.staging.altitude, d.altitude);
    EXPECT_EQ(*run.staging.speed, d.speed);
    EXPECT_EQ(*run.staging.pathAngle, d.pathAngle);
    EXPECT_EQ(*run.staging.heading, d.heading);
    EXPECT_EQ(*run.staging.downrange, d.downrange);
    EXPECT_EQ(*run.staging.propellant, d.propellant);
    ASSERT_TRUE(run.wind);
    EXPECT_NEAR(run.wind->speed, d.windSpeed, 1e-12);
    EXPECT_NEAR(run.wind->fromDir, d.windFrom * RAD, 1e-12);
  }
  EXPECT_LT(windLow, 1.0);  // the draws span their interval
  EXPECT_GT(windHigh, 14.0);
  EXPECT_NE(sim::drawRun(o, base, "Booster recovery", 1).args, sim::drawRun(o, base, "Booster recovery", 2).args);
}

// The profile's draws (after all the others): in their intervals, every turbulence level drawn, and
// replayed exactly by their options; the other draws those of the constant-wind set.
TEST(MonteCarlo, WindDrawsStayInTheirIntervalsAndTheirCommandsReplayThemExactly) {
  sim::MonteCarloOptions o, constant;
  o.seed = constant.seed = 99;
  constant.windDispersion.constantWind = true;
  sim::StagingBase base{35, 90, 60000, 40000};
  std::map<sim::TurbulenceLevel, int> levels;
  for (int k = 1; k <= 300; k++) {
    sim::RunDraw d = sim::drawRun(o, base, "Booster recovery", k), c = sim::drawRun(constant, base, "Booster recovery", k);
    const sim::WindDraw &w = d.windDraw;
    ASSERT_TRUE(w.profile);
    EXPECT_FALSE(c.windDraw.profile);
    EXPECT_EQ(d.altitude, c.altitude);
    EXPECT_EQ(d.dt, c.dt);
    EXPECT_EQ(d.windSpeed, c.windSpeed);
    EXPECT_GE(w.jetSpeed, 15); EXPECT_LE(w.jetSpeed, 50);
    EXPECT_GE(w.jetAlt, 9000); EXPECT_LE(w.jetAlt, 13000);
    EXPECT_LE(std::abs(w.veer), 45);
    levels[w.turbulence]++;

    std::vector<std::string> args = {"simhost"};
    args.insert(args.end(), d.args.begin(), d.args.end());
    std::vector<char *> argv;
    for (std::string &a : args) argv.push_back(a.data());
    sim::RunOptions run;
    std::string out, err;
    ASSERT_EQ(sim::parseCommandLine(static_cast<int>(argv.size()), argv.data(), run, out, err), -1) << err;
    EXPECT_FALSE(run.wind);
    const sim::WindOptions &r = run.windOptions;
    ASSERT_TRUE(r.family);
    EXPECT_NEAR(r.family->surfaceSpeed, d.windSpeed, 1e-12);
    EXPECT_NEAR(r.family->surfaceFrom, d.windFrom * RAD, 1e-12);
    EXPECT_EQ(r.family->jetSpeed, w.jetSpeed);
    EXPECT_EQ(r.family->jetAlt, w.jetAlt);
    EXPECT_NEAR(r.family->veer, w.veer * RAD, 1e-15);
    EXPECT_EQ(r.turbulence, w.turbulence);
    if (w.turbulence != sim::TurbulenceLevel::None) {
      EXPECT_EQ(r.seed, w.seed);
    }

    nlohmann::json rec = sim::runRecord(o, d, 0, nlohmann::json::object(), "");
    EXPECT_EQ(rec["inputs"]["wind_model"], "profile");
    EXPECT_EQ(rec["inputs"]["jet_speed_mps"], w.jetSpeed);
    EXPECT_EQ(rec["inputs"]["turbulence"], sim::turbulenceName(w.turbulence));
  }
  EXPECT_EQ(levels.size(), 3u);  // none, light and moderate all drawn
  EXPECT_EQ(levels.count(sim::TurbulenceLevel::Severe), 0u);
}

nlohmann::json record(int run, const char *verdict, double distance, double across, int status = 0) {
  nlohmann::json r = {{"run", run}, {"set", {{"seed", 5}, {"runs", 4}, {"scenario", "Booster recovery"}}},
                      {"exit_status", status}, {"command", "simhost run replay-" + std::to_string(run)}};
  if (status == 0)
    r["landing"] = {{"verdict", verdict}, {"distance_at_rest_m", distance}, {"touchdown_vertical_speed_mps", -1.0},
                    {"touchdown_horizontal_speed_mps", across}, {"main_propellant_kg", 300.0}};
  return r;
}

TEST(MonteCarlo, SummaryCountsOutcomesAndListsTheWorstRunsFirst) {
  std::vector<nlohmann::json> records = {record(1, "landed upright", 2.0, 0.1), record(2, "crashed", 40.0, 12.0),
                                         record(3, "landed upright", 4.0, 0.3), record(4, "", 0, 0, 1)};
  EXPECT_DOUBLE_EQ(sim::uprightShare(records), 0.5);
  nlohmann::json set = {{"seed", 5}, {"runs", 4}, {"scenario", "Booster recovery"}, {"first", 1}, {"last", 4}};
  std::string table = sim::summaryTable(records, set, 2, 1.5, 2);
  EXPECT_NE(table.find("landed upright            2   50.0 %"), std::string::npos) << table;
  EXPECT_NE(table.find("crashed                   1   25.0 %"), std::string::npos) << table;
  EXPECT_NE(table.find("failed                    1   25.0 %"), std::string::npos) << table;
  // failed before crashed, and only the two worst with their commands
  size_t failed = table.find("run 4: failed"), crashed = table.find("run 2: crashed, 40.0 m off, 12.00 m/s across");
  ASSERT_NE(failed, std::string::npos) << table;
  ASSERT_NE(crashed, std::string::npos) << table;
  EXPECT_LT(failed, crashed);
  EXPECT_NE(table.find("simhost run replay-2"), std::string::npos);
  EXPECT_EQ(table.find("run 1:"), std::string::npos);
  // median of the three distances at rest, 95th percentile between the two largest
  EXPECT_TRUE(std::regex_search(table, std::regex(R"(distance from the target at rest \[m\] +4\.0 +36\.4 +40\.0 +\(3 runs\))")))
      << table;
}

TEST(MonteCarlo, OnThePadTakesEveryBoundAndTheSummaryNamesTheLawThatFlew) {
  struct Case {
    const char *what;
    const char *verdict;
    double distance, tilt, down, across;
    bool onPad;
  };
  const Case cases[] = {
      {"well inside", "landed upright", 0.4, 0.1, -0.5, 0.05, true},
      {"on every bound", "landed upright", 10.0, 1.0, -1.0, 0.3, true},
      {"too far", "landed upright", 10.1, 0.1, -0.5, 0.05, false},
      {"too tilted", "landed upright", 0.4, 1.1, -0.5, 0.05, false},
      {"down too fast", "landed upright", 0.4, 0.1, -1.1, 0.05, false},
      {"across too fast", "landed upright", 0.4, 0.1, -0.5, 0.31, false},
      {"tipped over there", "tipped over", 0.4, 60.0, -0.5, 0.05, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    nlohmann::json r = record(1, c.verdict, c.distance, c.across);
    r["landing"]["tilt_at_rest_deg"] = c.tilt;
    r["landing"]["touchdown_vertical_speed_mps"] = c.down;
    r["landing"]["landing_law"] = "precision";
    EXPECT_DOUBLE_EQ(sim::onPadShare({r}), c.onPad ? 1.0 : 0.0);
  }
  std::vector<nlohmann::json> records = {record(1, "landed upright", 2.0, 0.1), record(2, "landed upright", 4.0, 0.1)};
  for (auto &r : records) r["landing"]["tilt_at_rest_deg"] = 0.1, r["landing"]["touchdown_vertical_speed_mps"] = -0.5;
  records[0]["landing"]["landing_law"] = "precision";
  records[1]["landing"]["landing_law"] = "specified";
  nlohmann::json set = {{"seed", 5}, {"runs", 2}, {"scenario", "Booster recovery"}, {"first", 1}, {"last", 2}};
  std::string table = sim::summaryTable(records, set, 0, -1, 0);
  EXPECT_NE(table.find("landing law: precision (1 runs) specified (1 runs)"), std::string::npos) << table;
  EXPECT_NE(table.find("of them on the pad      2  100.0 %"), std::string::npos) << table;
  EXPECT_DOUBLE_EQ(sim::onPadShare({}), 0.0);
}

TEST(MonteCarlo, MergeTakesShardsOfOneSetAndRefusesWhatDoesNotBelong) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "montecarlo_merge_test";
  std::filesystem::create_directories(dir);
  auto write = [&](const char *name, const std::vector<nlohmann::json> &recs, const std::string &extra = "") {
    std::ofstream f(dir / name);
    for (const nlohmann::json &r : recs) f << r.dump() << "\n";
    f << extra;
    return dir / name;
  };
  auto a = write("a.jsonl", {record(1, "landed upright", 2.0, 0.1), record(2, "crashed", 40.0, 12.0)});
  auto b = write("b.jsonl", {record(4, "landed upright", 3.0, 0.2), record(2, "crashed", 40.0, 12.0)});
  sim::MergeOptions o;
  o.inputs = {a, b};
  o.out = dir / "all.jsonl";
  std::ostringstream out, err;
  ASSERT_EQ(sim::mergeShards(o, out, err), 0) << err.str();
  EXPECT_NE(out.str().find("3 runs of \"Booster recovery\", seed 5"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("incomplete: 1 of the set's 4 runs are missing (3)"), std::string::npos) << out.str();
  std::ifstream merged(o.out);
  std::string line;
  std::vector<int> order;
  while (std::getline(merged, line)) order.push_back(nlohmann::json::parse(line)["run"].get<int>());
  EXPECT_EQ(order, (std::vector<int>{1, 2, 4}));

  nlohmann::json other = record(3, "landed upright", 1.0, 0.1);
  other["set"]["seed"] = 6;
  auto c = write("c.jsonl", {other});
  auto d = write("d.jsonl", {record(1, "crashed", 9.0, 9.0)});
  auto e = write("e.jsonl", {record(3, "landed upright", 1.0, 0.1)}, "{\"run\": \"x\"}\n");
  // Hand-edited records whose fields have another type than the table reads.
  nlohmann::json textStatus = record(3, "landed upright", 1.0, 0.1);
  textStatus["exit_status"] = "zero";
  nlohmann::json listLanding = record(3, "landed upright", 1.0, 0.1);
  listLanding["landing"] = nlohmann::json::array({1, 2});
  auto f = write("f.jsonl", {record(3, "landed upright", 1.0, 0.1), textStatus});
  auto g = write("g.jsonl", {listLanding});
  for (auto [files, message] : std::vector<std::pair<std::vector<std::filesystem::path>, std::string>>{
           {{a, c}, "c.jsonl:1: belongs to another set"},
           {{a, d}, "d.jsonl:1: run 1 differs"},
           {{e}, "e.jsonl:2: not a montecarlo record"},
           {{f}, "f.jsonl:2: a field of the wrong type"},
           {{g}, "g.jsonl:1: a field of the wrong type"},
           {{dir / "none.jsonl"}, "none.jsonl: cannot read"}}) {
    sim::MergeOptions bad;
    bad.inputs = files;
    std::ostringstream o2, e2;
    EXPECT_EQ(sim::mergeShards(bad, o2, e2), 2);
    EXPECT_NE(e2.str().find(message), std::string::npos) << e2.str();
  }
  // An --out that cannot be replaced (a folder) is refused, and leaves no temporary file behind.
  sim::MergeOptions toFolder;
  toFolder.inputs = {a};
  toFolder.out = dir / "folder";
  std::filesystem::create_directories(toFolder.out / "inside");
  std::ostringstream o3, e3;
  EXPECT_EQ(sim::mergeShards(toFolder, o3, e3), 2);
  EXPECT_NE(e3.str().find("folder: cannot write"), std::string::npos) << e3.str();
  EXPECT_FALSE(std::filesystem::exists(dir / "folder.tmp"));
  EXPECT_TRUE(std::filesystem::is_directory(toFolder.out / "inside"));
  std::filesystem::remove_all(dir);
}

TEST(MonteCarlo, RecordsMustHoldWhatTheTableReads) {
  struct Case {
    const char *field;
    nlohmann::json value;
    const char *problem;
  };
  for (const Case &c : std::vector<Case>{
           {"run", 5, "run 5 lies outside the set's runs 1-4"},
           {"run", 0, "run 0 lies outside"},
           {"run", -1, "run -1 lies outside"},
           {"run", "3", "not a montecarlo record"},
           {"exit_status", "zero", "exit_status is not a whole number"},
           {"exit_status", 0.5, "exit_status is not a whole number"},
           {"command", 7, "command is not text"},
           {"inputs", {{"dt_s", "fast"}}, "inputs.dt_s is not a number"},
           {"inputs", {{"dt_s", 0.02}, {"wind_model", 3}}, "inputs.wind_model is not text"},
           {"landing", {{"verdict", "splashed"}}, "unknown verdict \"splashed\""},
           {"landing",
            {{"verdict", "crashed"}, {"main_propellant_kg", "lots"}},
            "landing.main_propellant_kg is not a number"},
           {"landing",
            {{"verdict", "crashed"}, {"distance_at_rest_m", "far"}},
            "landing.distance_at_rest_m"},
           {"landing", nlohmann::json::array({1, 2}), "landing is not an object"},
           {"set",
            {{"seed", -5}, {"runs", 4}, {"scenario", "x"}},
            "set.seed is not a whole number"},
           {"set", {{"seed", 5}, {"runs", "4"}, {"scenario", "x"}}, "set.runs"}}) {
    nlohmann::json r = record(2, "landed upright", 1.0, 0.1);
    r[c.field] = c.value;
    EXPECT_NE(sim::recordProblem(r).find(c.problem), std::string::npos)
        << c.field << ": " << sim::recordProblem(r);
  }
  EXPECT_EQ(sim::recordProblem(record(4, "missed", 300.0, 1.0)), "");
  nlohmann::json windy = record(4, "missed", 300.0, 1.0);
  windy["inputs"] = {
      {"dt_s", 0.02}, {"wind_model", "profile"}, {"turbulence", "light"}, {"turbulence_seed", 7}};
  EXPECT_EQ(sim::recordProblem(windy), "");
  EXPECT_EQ(sim::recordProblem(record(1, "", 0, 0, 2)), "");  // a failed run has no landing report
  nlohmann::json lost = record(3, "landed upright", 1.0, 0.1);
  lost["landing"]["distance_at_rest_m"] = nullptr;  // the target was lost
  EXPECT_EQ(sim::recordProblem(lost), "");
}

TEST(MonteCarlo, MergeRefusesRecordsOutsideTheSetAndFoldersNamingFileAndLine) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / "montecarlo_merge_refusals";
  std::filesystem::create_directories(dir / "folder.jsonl");
  auto write = [&](const char *name, const std::vector<nlohmann::json> &recs) {
    std::ofstream f(dir / name);
    for (const nlohmann::json &r : recs) f << r.dump() << "\n";
    return dir / name;
  };
  nlohmann::json unknown = record(3, "landed upright", 1.0, 0.1);
  unknown["landing"]["verdict"] = "sideways";
  // Three records, one of them run 999 of a 4-run set: a merge must not call the set complete.
  auto big =
      write("big.jsonl", {record(1, "landed upright", 1.0, 0.1), record(2, "crashed", 4.0, 1.0),
                          record(999, "landed upright", 1.0, 0.1)});
  for (auto [file, message] : std::vector<std::pair<std::filesystem::path, std::string>>{
           {big, "big.jsonl:3: run 999 lies outside the set's runs 1-4"},
           {write("neg.jsonl", {record(-1, "crashed", 1.0, 1.0)}),
            "neg.jsonl:1: run -1 lies outside"},
           {write("verdict.jsonl", {record(1, "crashed", 1.0, 1.0), unknown}),
            "verdict.jsonl:2: unknown verdict"},
           {dir / "folder.jsonl", "folder.jsonl: a folder, not a record file"}}) {
    sim::MergeOptions o;
    o.inputs = {file};
    std::ostringstream out, err;
    EXPECT_EQ(sim::mergeShards(o, out, err), 2) << file;
    EXPECT_NE(err.str().find(message), std::string::npos) << err.str();
    EXPECT_EQ(out.str(), "");
  }
  std::filesystem::remove_all(dir);
}

TEST(MonteCarlo, TheWorstRunsArePrintedToRunAsTheProgramWasInvokedAndFailuresAreCounted) {
  std::vector<nlohmann::json> records = {record(1, "landed upright", 2.0, 0.1),
                                         record(2, "", 0, 0, 1), record(3, "", 0, 0, 2)};
  nlohmann::json set = {
      {"seed", 5}, {"runs", 4}, {"scenario", "Booster recovery"}, {"first", 1}, {"last", 4}};
  for (auto [program, shown] : std::vector<std::pair<std::string, std::string>>{
           {"build/bin/simhost", "    build/bin/simhost run replay-2\n"},
           {"/opt/my sims/simhost", "    '/opt/my sims/simhost' run replay-2\n"},
           {"simhost", "    simhost run replay-2\n"}})
    EXPECT_NE(sim::summaryTable(records, set, 3, -1, 0, program).find(shown), std::string::npos)
        << program;
  EXPECT_EQ(sim::failedRuns(records), 2);
  EXPECT_EQ(sim::failedRuns({records[0]}), 0);
}

TEST(MonteCarlo, CommandLineChecksIntervalsAndShards) {
  sim::Interval i;
  std::string error;
  EXPECT_TRUE(sim::parseInterval("0.01:0.1", i, error));
  EXPECT_DOUBLE_EQ(i.hi, 0.1);
  for (const char *bad : {"5", "3:2", "a:b", "1:", ":1"}) EXPECT_FALSE(sim::parseInterval(bad, i, error)) << bad;
  int index, count;
  EXPECT_TRUE(sim::parseShard("3/8", index, count, error));
  EXPECT_EQ(index, 3); EXPECT_EQ(count, 8);
  for (const char *bad : {"0/8", "9/8", "1.5/8", "3", "3/0", "-1/2"}) EXPECT_FALSE(sim::parseShard(bad, index, count, error)) << bad;
}

}  // namespace
