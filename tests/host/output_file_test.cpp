// Output files written all or nothing: targets refused before anything is written, writes
// through links, temporaries of unique names beside the target, and a failed write or a failed
// output of a set that leaves every target as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "host_test_util.h"
#include "io/flight_log.h"
#include "io/output_file.h"

namespace {

namespace fs = std::filesystem;
using sim::OutputError;
using sim::OutputFile;
using sim::OutputSet;

std::string readFile(const fs::path &p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class OutputFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("arvex_outputs_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "sub");
    std::ofstream(dir / "old.txt") << "old\n";
  }
  void TearDown() override { fs::remove_all(dir); }
  // The message of the OutputError opening `target` raises ("" if it opens).
  std::string refusal(const fs::path &target) {
    try {
      OutputFile f("--log", target);
    } catch (const OutputError &e) {
      return e.what();
    }
    return "";
  }
  fs::path dir;
};

TEST_F(OutputFiles, TargetsThatCannotBeWrittenAreRefusedNamingTheOptionAndTheFile) {
  fs::create_symlink("loop2", dir / "loop1");
  fs::create_symlink("loop1", dir / "loop2");
  std::ofstream(dir / "plain") << "x";
  struct Case {
    fs::path target;
    const char *why;
  };
  for (const Case &c : std::vector<Case>{{dir / "missing" / "log.csv", "No such file or directory"},
                                         {dir / "plain" / "log.csv", "Not a directory"},
                                         {dir / "sub", "exists and is a folder"},
                                         {dir / "sub" / "", "the name is a folder's"},
                                         {"/dev/null", "exists and is a character device"},
                                         {"/proc/log.csv", "no file can be made in /proc"},
                                         {dir / "loop1", "too many levels of symbolic links"}}) {
    std::string e = refusal(c.target);
    EXPECT_NE(e.find("--log: " + c.target.string() + ": "), std::string::npos) << e;
    EXPECT_NE(e.find(c.why), std::string::npos) << c.target << ": " << e;
  }
  EXPECT_EQ(hosttest::folderEntries(dir),
            (std::vector<std::string>{"loop1", "loop2", "old.txt", "plain", "sub"}));
}

TEST_F(OutputFiles, ATargetIsReplacedOnlyOnCommitFromATemporaryOfItsOwnBesideIt) {
  std::ofstream(dir / "old.txt.tmp") << "the user's own\n";
  OutputFile a("a", dir / "old.txt"), b("b", dir / "old.txt");
  EXPECT_NE(a.temporary(), b.temporary());
  EXPECT_EQ(a.temporary().parent_path(), dir);
  a.write("first\n");
  b.write("second\n");
  EXPECT_EQ(readFile(dir / "old.txt"), "old\n");
  a.commit();
  EXPECT_EQ(readFile(dir / "old.txt"), "first\n");
  b.commit();
  EXPECT_EQ(readFile(dir / "old.txt"), "second\n");
  EXPECT_EQ(readFile(dir / "old.txt.tmp"), "the user's own\n");
  EXPECT_EQ(hosttest::folderEntries(dir),
            (std::vector<std::string>{"old.txt", "old.txt.tmp", "sub"}));
}

TEST_F(OutputFiles, ALinkIsWrittenThroughAndTheTargetKeepsItsPermissions) {
  fs::create_symlink("sub/real.txt", dir / "link.txt");  // dangling until written
  {
    OutputFile f("x", dir / "link.txt");
    f.write("through\n");
    f.commit();
  }
  EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
  EXPECT_EQ(readFile(dir / "sub" / "real.txt"), "through\n");
  ::chmod((dir / "sub" / "real.txt").c_str(), 0640);
  {
    OutputFile f("x", dir / "link.txt");
    f.write("again\n");
    f.commit();
  }
  EXPECT_EQ(readFile(dir / "link.txt"), "again\n");
  EXPECT_EQ(fs::status(dir / "sub" / "real.txt").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(OutputFiles, AFailedWriteNamesTheFileAndLeavesTheTargetAndNoTemporary) {
  std::string e;
  {
    OutputFile f("--report", dir / "old.txt");
    hosttest::FileSizeLimit limit(8);
    try {
      f.write(std::string(100, 'x'));
    } catch (const OutputError &err) {
      e = err.what();
    }
  }
  EXPECT_NE(e.find("--report: " + (dir / "old.txt").string() + ": cannot write: File too large"),
            std::string::npos)
      << e;
  EXPECT_EQ(readFile(dir / "old.txt"), "old\n");
  EXPECT_EQ(hosttest::folderEntries(dir), (std::vector<std::string>{"old.txt", "sub"}));
}

TEST_F(OutputFiles, ASetRefusesOneFileTwiceAndItsInputs) {
  fs::create_symlink("old.txt", dir / "alias.txt");
  fs::create_hard_link(dir / "old.txt", dir / "hard.txt");
  for (const fs::path &again :
       {dir / "old.txt", dir / "alias.txt", dir / "sub" / ".." / "old.txt", dir / "hard.txt"}) {
    OutputSet set;
    set.add("--log", dir / "old.txt");
    EXPECT_THROW(set.add("--hud", again), OutputError) << again;
  }
  OutputSet set;
  set.addInput(dir / "old.txt", "the scenario flown");
  try {
    set.add("--log", dir / "alias.txt");
    ADD_FAILURE() << "an output onto the input was taken";
  } catch (const OutputError &e) {
    EXPECT_NE(std::string(e.what()).find("--log: " + (dir / "alias.txt").string() +
                                         " is the scenario flown"),
              std::string::npos)
        << e.what();
  }
  EXPECT_NE(set.add("--save", dir / "old.txt", true), nullptr);  // a save may continue its input
}

TEST_F(OutputFiles, ASetReplacesNothingUnlessEveryOutputIsWritten) {
  std::ofstream(dir / "sub" / "b.txt") << "old b\n";
  {
    OutputSet set;
    OutputFile *a = set.add("a", dir / "old.txt");
    OutputFile *b = set.add("b", dir / "sub" / "b.txt");
    a->write("new a\n");
    b->write("new b\n");
    set.drop(b);
    EXPECT_EQ(b, nullptr);
    set.commitAll();
  }
  EXPECT_EQ(readFile(dir / "old.txt"), "new a\n");
  EXPECT_EQ(readFile(dir / "sub" / "b.txt"), "old b\n");
  {
    OutputSet set;
    set.add("a", dir / "old.txt")->write("newer a\n");
    set.add("b", dir / "sub" / "b.txt")->write("new b\n");
  }  // never committed
  EXPECT_EQ(readFile(dir / "old.txt"), "new a\n");
  EXPECT_EQ(hosttest::folderEntries(dir / "sub"), std::vector<std::string>{"b.txt"});
}

// The log reaches its file in whole rows only: a run cut short leaves no partial row.
TEST_F(OutputFiles, TheFlightLogWritesWholeRowsOnly) {
  auto w = testsupport::makeWorld(0.02);
  Vessel &v = w->createVessel("Crate", "cargo_crate",
                              testsupport::landed(*w->findBody("Earth"), 10, 20, 0));
  OutputFile out("--log", dir / "log.csv");
  sim::FlightLog log(out, 0.02);
  for (int i = 0; i < 3000; i++) {
    w->step();
    log.sample(*w, v);
  }
  std::string written = readFile(out.temporary());
  ASSERT_GT(written.size(), 60000u) << "nothing reached the file before the end";
  EXPECT_EQ(written.back(), '\n');
  log.finalRow(*w, v);
  std::string all = readFile(out.temporary());
  EXPECT_EQ(all.compare(0, written.size(), written), 0);
  EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 3001);  // the header and a row per step
}

}  // namespace
