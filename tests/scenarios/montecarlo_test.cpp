// simhost montecarlo and merge as a user runs them: shards that merge into exactly the set flown
// in one go, a replay command that flies its run again, and the seeded 200-run set whose share of
// upright landings within 100 m of the target must not fall below what the guidance reached.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "simhost_runner.h"
#include "world_fixture.h"

namespace {

using namespace testsupport;

// Files in dir whose names start with a dot (temporaries of outputs).
int hosttestEntries(const std::filesystem::path &dir) {
  int n = 0;
  for (const auto &e : std::filesystem::directory_iterator(dir))
    n += e.path().filename().string()[0] == '.';
  return n;
}

std::map<int, nlohmann::json> records(const std::filesystem::path &file) {
  std::map<int, nlohmann::json> byRun;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    nlohmann::json r = nlohmann::json::parse(line);
    byRun[r["run"].get<int>()] = r;
  }
  return byRun;
}

TEST(MonteCarloRuns, ShardsMergeIntoTheWholeSetAndACommandReplaysItsRun) {
  TempDataRoot root;
  const std::filesystem::path &dir = root.path();
  const std::vector<std::string> set = {"montecarlo", "--runs", "5", "--seed", "11", "--jobs", "2"};
  auto with = [&](std::vector<std::string> extra) {
    std::vector<std::string> a = set;
    a.insert(a.end(), extra.begin(), extra.end());
    return a;
  };
  Outcome whole = simhost(dir, with({"--out", "whole.jsonl"}));
  ASSERT_EQ(whole.status, 0) << whole.err;
  EXPECT_NE(whole.out.find("montecarlo: 5 runs of \"Booster recovery\", seed 11"), std::string::npos) << whole.out;
  EXPECT_NE(whole.err.find("5/5 runs"), std::string::npos) << whole.err;  // the progress line
  ASSERT_EQ(simhost(dir, with({"--shard", "1/2", "--out", "s1.jsonl"})).status, 0);
  ASSERT_EQ(simhost(dir, with({"--shard", "2/2", "--out", "s2.jsonl"})).status, 0);
  EXPECT_EQ(records(dir / "s1.jsonl").size(), 2u);
  Outcome merged = simhost(dir, {"merge", "s2.jsonl", "s1.jsonl", "--out", "merged.jsonl"});
  ASSERT_EQ(merged.status, 0) << merged.err;
  EXPECT_EQ(records(dir / "merged.jsonl"), records(dir / "whole.jsonl"));
  EXPECT_EQ(merged.out.find("incomplete"), std::string::npos) << merged.out;

  // every run flew to a report; the first run's command flies it again to the same end
  auto runs = records(dir / "whole.jsonl");
  for (auto &[k, r] : runs) {
    EXPECT_EQ(r["exit_status"], 0) << r.dump();
    EXPECT_TRUE(r.contains("landing")) << r.dump();
  }
  std::string command = runs.at(1)["command"].get<std::string>();
  ASSERT_EQ(command.rfind("simhost run ", 0), 0u) << command;
  std::string shell = "cd " + quoted(dir.string()) + " && " + quoted(ARVEX_TEST_SIMHOST) + command.substr(7) +
                      " --report replay.json >/dev/null 2>&1";
  ASSERT_EQ(std::system(shell.c_str()), 0) << shell;
  nlohmann::json replay = nlohmann::json::parse(readFile(dir / "replay.json"))["landing"];
  replay.erase("timeline");
  EXPECT_EQ(replay, runs.at(1)["landing"]);
}

TEST(MonteCarloRuns, BadOptionsAndABaseThatCannotBeDispersedExitTwo) {
  TempDataRoot root;
  const std::filesystem::path &dir = root.path();
  for (auto [args, message] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"montecarlo", "--shard", "3/2"}, "--shard"},
           {{"montecarlo", "--dt", "0.1:0.01"}, "--dt"},
           {{"montecarlo", "--wind", "0:500"}, "--wind"},
           {{"montecarlo", "--runs", "0"}, "--runs"},
           {{"montecarlo", "Demo"}, "Demo.scn"},
           {{"montecarlo", "--seed", "-1"}, "--seed"},
           {{"montecarlo", "--seed", "99999999999999999999999"}, "--seed"},
           {{"montecarlo", "--out", "/dev/null"}, "--out: /dev/null: cannot write"},
           {{"montecarlo", "--out", "no/set.jsonl"}, "--out: no/set.jsonl: cannot write"},
           {{"merge"}, "FILES"}}) {
    Outcome r = simhost(dir, args);
    EXPECT_EQ(r.status, 2) << args[1];
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
  }
}

// The bar: upright landings within 100 m in the seeded 200-run set with the default dispersions
// (a wind profile: 0-15 m/s at 10 m from any direction, a jet of 15-50 m/s at 9-13 km, a veer of
// +-45 deg, turbulence none, light or moderate). Raise it when the guidance or the host improves.
TEST(MonteCarloRuns, SeededSetLandsUprightAtLeastAsOftenAsMeasured) {
#ifdef ARVEX_SANITIZED
  // Instrumented code flies the same set with other rounding of the optimiser's choices, and ten
  // times slower: a short set that must fly without a failure.
  const int runs = 10;
  const double bar = 0.0;
#else
  const int runs = 200;
  const double bar = 0.045;  // 9 of 200 (83 of them with --wind-model constant)
#endif
  TempDataRoot root;
  const std::filesystem::path &dir = root.path();
  Outcome r = simhost(dir, {"montecarlo", "--runs", std::to_string(runs), "--seed", "2026", "--out", "set.jsonl",
                            "--worst", "3"});
  ASSERT_EQ(r.status, 0) << r.err;
  auto set = records(dir / "set.jsonl");
  ASSERT_EQ(static_cast<int>(set.size()), runs);
  int upright = 0;
  for (auto &[k, rec] : set) {
    EXPECT_EQ(rec["exit_status"], 0) << rec.dump();
    ASSERT_TRUE(rec.contains("landing")) << rec.dump();
    upright += rec["landing"]["verdict"] == "landed upright";
  }
  EXPECT_GE(static_cast<double>(upright) / runs, bar) << r.out;
}

// The precision law on the same set: the share landed upright on the pad (within 10 m and 1 deg,
// touching down at no more than 1 m/s down and 0.3 m/s across) must not fall below what it reached.
TEST(MonteCarloRuns, SeededSetWithThePrecisionLawLandsOnThePadAtLeastAsOftenAsMeasured) {
#ifdef ARVEX_SANITIZED
  const int runs = 10;
  const double bar = 0.0;
#else
  const int runs = 200;
  const double bar = 1.0;  // 200 of 200
#endif
  TempDataRoot root;
  const std::filesystem::path &dir = root.path();
  Outcome r = simhost(dir, {"montecarlo", "--runs", std::to_string(runs), "--seed", "2026", "--out", "set.jsonl",
                            "--worst", "3", "--landing-law", "precision"});
  ASSERT_EQ(r.status, 0) << r.err;
  auto set = records(dir / "set.jsonl");
  ASSERT_EQ(static_cast<int>(set.size()), runs);
  int onPad = 0;
  for (auto &[k, rec] : set) {
    EXPECT_EQ(rec["exit_status"], 0) << rec.dump();
    ASSERT_TRUE(rec.contains("landing")) << rec.dump();
    const nlohmann::json &l = rec["landing"];
    EXPECT_EQ(l["landing_law"], "precision");
    onPad += l["verdict"] == "landed upright" && l["distance_at_rest_m"].get<double>() <= 10.0 &&
             l["tilt_at_rest_deg"].get<double>() <= 1.0 && -l["touchdown_vertical_speed_mps"].get<double>() <= 1.0 &&
             l["touchdown_horizontal_speed_mps"].get<double>() <= 0.3;
  }
  EXPECT_GE(static_cast<double>(onPad) / runs, bar) << r.out;
}

// The records of a file, one line each, in file order.
std::vector<std::string> lines(const std::filesystem::path &file) {
  std::vector<std::string> all;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) all.push_back(line);
  return all;
}

// A set interrupted in flight keeps its finished runs whole and leaves nothing behind; --resume
// flies the rest, and the set is the one flown in one go. The signal comes once two runs have
// finished, while two more fly (some 0.7 s each here).
TEST(MonteCarloRuns, AnInterruptedSetKeepsItsRecordsAndResumes) {
  TempDataRoot root;
  const std::filesystem::path &dir = root.path();
  std::filesystem::path tmp = dir / "tmp";
  std::filesystem::create_directories(tmp);
  const std::vector<std::string> set = {"montecarlo", "--runs",  "6",    "--seed",      "5",
                                        "--jobs",     "2",       "--dt", "0.004:0.004", "--out",
                                        "set.jsonl",  "--worst", "0"};
  Outcome stopped = simhostStopped(dir, set, 60, SIGTERM, tmp.string(), "2/6 runs");
  EXPECT_EQ(stopped.status, 143) << stopped.err;
  EXPECT_NE(stopped.out.find("montecarlo: "), std::string::npos) << "no summary of what finished";
  EXPECT_NE(stopped.err.find("interrupted: "), std::string::npos) << stopped.err;
  EXPECT_EQ(processesMentioning(tmp.string()), 0) << "runs left flying";
  EXPECT_TRUE(std::filesystem::is_empty(tmp)) << "the runs' folder left behind";
  std::vector<std::string> kept = lines(dir / "set.jsonl");
  EXPECT_GE(kept.size(), 2u);
  EXPECT_LT(kept.size(), 6u);
  for (const std::string &l : kept) EXPECT_EQ(nlohmann::json::parse(l)["exit_status"], 0) << l;

  std::vector<std::string> resume = set;
  resume.push_back("--resume");
  Outcome resumed = simhost(dir, resume, "TMPDIR=" + testsupport::quoted(tmp.string()));
  ASSERT_EQ(resumed.status, 0) << resumed.err;
  std::vector<std::string> all = lines(dir / "set.jsonl");
  ASSERT_EQ(all.size(), 6u);
  EXPECT_TRUE(std::equal(kept.begin(), kept.end(), all.begin())) << "the kept records changed";
  std::vector<std::string> once = set;
  once[once.size() - 3] = "once.jsonl";
  ASSERT_EQ(simhost(dir, once).status, 0);
  EXPECT_EQ(records(dir / "set.jsonl"), records(dir / "once.jsonl"));
  EXPECT_TRUE(std::filesystem::is_empty(tmp));

  // Another set's records are refused, naming the line; the file stays as it was.
  std::vector<std::string> other = resume;
  other[4] = "6";
  Outcome refused = simhost(dir, other);
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("--resume: set.jsonl:1: a record of another set"), std::string::npos)
      << refused.err;
  EXPECT_EQ(lines(dir / "set.jsonl"), all);
}

// A new set over a finished one replaces it only once it is whole: interrupted, the old stays.
TEST(MonteCarloRuns, AnInterruptedSetLeavesAnExistingRecordFileAsItWas) {
  TempDataRoot root;
  const std::filesystem::path &dir = root.path();
  std::ofstream(dir / "set.jsonl") << "{\"finished\": \"set\"}\n";
  Outcome r = simhostStopped(
      dir,
      {"montecarlo", "--runs", "4", "--jobs", "2", "--dt", "0.004:0.004", "--out", "set.jsonl"}, 60,
      SIGINT, "", "1/4 runs");
  EXPECT_EQ(r.status, 130) << r.err;
  EXPECT_EQ(readFile(dir / "set.jsonl"), "{\"finished\": \"set\"}\n");
  EXPECT_EQ(hosttestEntries(dir), 0) << "a temporary record file left beside it";
}

// Runs that fail (a second vessel in the scenario too fast to measure ends every flight at its
// first step) make the set fail, saying how many.
TEST(MonteCarloRuns, ASetWhoseRunsFailExitsOne) {
  TempDataRoot root;
  std::string text = readFile(dataRoot() / "Scenarios" / "Booster recovery.scn");
  text.insert(
      text.find("END_SHIPS"),
      "Rock:cargo_crate\n  STATUS Orbiting Earth\n  RPOS 6441010 0 0\n  RVEL 0 -1.09e135 0\nEND\n");
  std::filesystem::path scn = root.writeScenario("doomed", text);
  Outcome r =
      simhost(root.path(), {"montecarlo", scn.string(), "--runs", "3", "--out", "set.jsonl"});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find("montecarlo: 3 of 3 runs failed"), std::string::npos) << r.err;
  EXPECT_NE(r.out.find("failed                    3  100.0 %"), std::string::npos) << r.out;
  for (auto &[k, rec] : records(root.path() / "set.jsonl"))
    EXPECT_EQ(rec["exit_status"], 1) << rec.dump();
}

// Runs forked from the set's loaded process and runs started as new programs fly the same
// flights: one job writes the records in run order, so the files are the same byte for byte.
// The summary sets the wall time against the runs' CPU time.
TEST(MonteCarloRuns, ForkedAndSpawnedRunsWriteTheSameRecords) {
  TempDataRoot root;
  const std::filesystem::path &dir = root.path();
  const std::vector<std::string> set = {"montecarlo", "--runs",  "4", "--seed",
                                        "21",         "--jobs",  "1", "--dt",
                                        "0.05:0.1",   "--worst", "0"};
  std::vector<std::string> forked = set, spawned = set;
  forked.insert(forked.end(), {"--out", "forked.jsonl"});
  spawned.insert(spawned.end(), {"--out", "spawned.jsonl", "--spawn"});
  Outcome f = simhost(dir, forked), s = simhost(dir, spawned);
  ASSERT_EQ(f.status, 0) << f.err;
  ASSERT_EQ(s.status, 0) << s.err;
  EXPECT_EQ(readFile(dir / "forked.jsonl"), readFile(dir / "spawned.jsonl"));
  EXPECT_EQ(lines(dir / "forked.jsonl").size(), 4u);
  EXPECT_NE(f.out.find("in their flights; wall "), std::string::npos) << f.out;
  EXPECT_NE(s.out.find("cpu: "), std::string::npos) << s.out;
  EXPECT_EQ(s.out.find("in their flights"), std::string::npos) << s.out;
}

}  // namespace
