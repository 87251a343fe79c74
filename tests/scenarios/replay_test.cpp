// simhost run --track/--replay and simhost replay as a user runs them: the flight is the same
// with a track as without, the page's files appear, and a broken track gives exit status 2 with
// the file and line.
#include <gtest/gtest.h>

#include <fstream>

#include "simhost_runner.h"
#include "world_fixture.h"

namespace {

using namespace testsupport;

TEST(Replay, TrackingLeavesTheFlightAsItWasAndWritesThePage) {
  TempDataRoot root;
  std::filesystem::path dir = root.path();
  Outcome plain = simhost(dir, {"run", "--until", "40", "--log", "plain.csv"});
  ASSERT_EQ(plain.status, 0) << plain.err;
  Outcome tracked = simhost(dir, {"run", "--until", "40", "--log", "tracked.csv", "--replay", "page"});
  ASSERT_EQ(tracked.status, 0) << tracked.err;
  EXPECT_EQ(readFile(dir / "plain.csv"), readFile(dir / "tracked.csv"));
  EXPECT_EQ(tracked.out, plain.out + "replay: page/index.html\n");
  for (const char *f : {"index.html", "replay.js", "replay_data.js", "track.jsonl"})
    EXPECT_TRUE(std::filesystem::is_regular_file(dir / "page" / f)) << f;

  // The same page again from the track alone.
  Outcome again = simhost(dir, {"replay", "page/track.jsonl", "--out", "page2"});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(readFile(dir / "page" / "replay_data.js"), readFile(dir / "page2" / "replay_data.js"));
}

TEST(Replay, BrokenTrackIsExitStatusTwoNamingTheFileAndLine) {
  TempDataRoot root;
  std::filesystem::path dir = root.path();
  std::ofstream(dir / "bad.jsonl") << "{\"format\":\"simhost track\",\"version\":1}\n{oops\n";
  Outcome r = simhost(dir, {"replay", "bad.jsonl", "--out", "page"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("bad.jsonl:2:"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir / "page" / "replay_data.js"));
}

}  // namespace
