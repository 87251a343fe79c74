// The replay page written from a track: its three files, the data script holding the track's
// lines and the converted meshes, the mesh conversion to the page's right-handed frames, clear
// errors for a track that is not one, and the command line of run --track/--replay and replay.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/cli.h"
#include "io/replay_page.h"
#include "world/errors.h"
#include "world_fixture.h"

namespace {

using namespace testsupport;
using nlohmann::json;

std::string slurp(const std::filesystem::path &p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class ReplayPage : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() / ("arvex_replay_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "assets");
    std::ofstream(dir / "assets" / "index.html") << "<html>page</html>\n";
    std::ofstream(dir / "assets" / "replay.js") << "// viewer\n";
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::filesystem::path writeTrack(const std::string &text) {
    std::ofstream(dir / "track.jsonl") << text;
    return dir / "track.jsonl";
  }
  std::string header() const {
    return R"({"format":"simhost track","version":1,"focus":"P","data_root":")" + dataRoot().string() + "\"}\n";
  }
  void write(const std::filesystem::path &track, const std::filesystem::path &root = {}) {
    std::ostringstream notes;
    sim::writeReplayPage(track, dir / "page", root, dataRoot(), dir / "assets", notes);
    this->notes = notes.str();
  }
  std::filesystem::path dir;
  std::string notes;
};

TEST_F(ReplayPage, WritesThePageTheViewerAndTheDataWithTheMeshes) {
  auto track = writeTrack(header() +
                          R"({"vessel":"P","id":0,"class":"pelo_payload","meshes":[{"name":"Arvex/pelo_payload","offset":[0,0,0]}],"animations":[],"components":[],"exhausts":[]})"
                          "\n" R"({"t":0,"s":[[0,1,2,3,1,0,0,0,0,[],[0,0,0,0,0,0,0,0]]]})" "\n");
  write(track);
  EXPECT_EQ(slurp(dir / "page" / "index.html"), "<html>page</html>\n");
  EXPECT_EQ(slurp(dir / "page" / "replay.js"), "// viewer\n");
  std::string data = slurp(dir / "page" / "replay_data.js");
  // The two assignments hold JSON: the track's lines as an array, the meshes by name.
  size_t a = data.find("window.REPLAY_TRACK = "), b = data.find("window.REPLAY_MESHES = ");
  ASSERT_NE(a, std::string::npos);
  ASSERT_NE(b, std::string::npos);
  std::string trackJson = data.substr(a + 22, data.rfind(';', b) - a - 22);
  std::string meshJson = data.substr(b + 23, data.rfind(';') - b - 23);
  json t = json::parse(trackJson), m = json::parse(meshJson);
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[2]["s"][0][2], 2);
  ASSERT_TRUE(m.contains("Arvex/pelo_payload"));
  EXPECT_EQ(m["Arvex/pelo_payload"]["groups"].size(), 5u);
  EXPECT_TRUE(notes.empty()) << notes;
}

TEST_F(ReplayPage, MeshesBecomeRightHandedWithTheirVisibleSideCounterClockwise) {
  json m = json::parse(sim::meshToReplayJson(
      "MSHX1\nGROUPS 2\nLABEL fin\nGEOM 3 1\n1 2 3 0 1 0\n4 5 6 0 0 1\n7 8 9 1 0 0\n0 1 2\n"
      "NONORMAL\nGEOM 3 1\n0 0 0\n1 0 0\n0 1 0\n2 1 0\n",
      "test.msh"));
  const json &g = m["groups"][0];
  EXPECT_EQ(g["label"], "fin");
  EXPECT_EQ(g["p"], json({1, 3, 2, 4, 6, 5, 7, 9, 8}));  // y and z swapped
  EXPECT_EQ(g["n"], json({0, 0, 1, 0, 1, 0, 1, 0, 0}));
  EXPECT_EQ(g["i"], json({0, 2, 1}));                    // the vertex order reversed
  EXPECT_EQ(m["groups"][1]["n"], json::array());         // no normals: the page computes them
  EXPECT_EQ(m["groups"][1]["i"], json({2, 0, 1}));
}

TEST_F(ReplayPage, MissingMeshIsNotedAndLeftToAPlaceholder) {
  auto track = writeTrack(header() +
                          R"({"vessel":"P","id":0,"class":"x","meshes":[{"name":"Arvex/no_such_mesh","offset":[0,0,0]}]})" "\n");
  write(track);
  EXPECT_NE(notes.find("no_such_mesh"), std::string::npos);
  EXPECT_NE(slurp(dir / "page" / "replay_data.js").find("window.REPLAY_MESHES = {\n};"), std::string::npos);
}

struct BadTrack {
  const char *what, *text, *message;
};

TEST_F(ReplayPage, TrackThatIsNotOneIsAnInputErrorNamingTheFileAndLine) {
  const BadTrack cases[] = {
      {"empty", "", "empty file"},
      {"another format", "{\"format\":\"csv\"}\n", "track.jsonl:1: not a track"},
      {"a newer version", "{\"format\":\"simhost track\",\"version\":2}\n", "track.jsonl:1: track version"},
      {"a broken line", "{\"format\":\"simhost track\",\"version\":1}\n{\"t\":1}\n{\"t\":\n", "track.jsonl:3: not a JSON"},
      {"an array", "{\"format\":\"simhost track\",\"version\":1}\n[1,2]\n", "track.jsonl:2: not a JSON object"},
      {"a vessel without meshes", "{\"format\":\"simhost track\",\"version\":1}\n{\"vessel\":\"A\",\"id\":0}\n",
       "track.jsonl:2: a vessel line without its meshes"},
  };
  for (const BadTrack &c : cases) {
    auto track = writeTrack(c.text);
    try {
      write(track);
      ADD_FAILURE() << c.what << ": no error";
    } catch (const sim::InputError &e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << c.what << ": " << e.what();
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "page" / "replay_data.js")) << c.what;
  }
}

TEST_F(ReplayPage, MissingAssetsAreARunErrorSayingHowToBuildThem) {
  auto track = writeTrack(header());
  std::filesystem::remove(dir / "assets" / "replay.js");
  try {
    write(track);
    FAIL() << "no error";
  } catch (const sim::RunError &e) {
    EXPECT_NE(std::string(e.what()).find("node and npm"), std::string::npos) << e.what();
  }
}

int parse(std::vector<std::string> args, sim::CommandLine &cmd, std::string &err) {
  args.insert(args.begin(), "simhost");
  std::vector<char *> argv;
  for (std::string &a : args) argv.push_back(a.data());
  std::string out;
  return sim::parseCommandLine(static_cast<int>(argv.size()), argv.data(), cmd, out, err);
}

TEST(ReplayCommandLine, RunTakesTrackAndReplayAndReplayTakesATrackAndAFolder) {
  sim::CommandLine cmd;
  std::string err;
  ASSERT_EQ(parse({"run", "--track", "t.jsonl", "--replay", "page"}, cmd, err), -1) << err;
  EXPECT_EQ(cmd.run.track, "t.jsonl");
  EXPECT_EQ(cmd.run.replayDir, "page");
  EXPECT_EQ(sim::trackFileOf(cmd.run), "t.jsonl");
  cmd.run.track.clear();
  EXPECT_EQ(sim::trackFileOf(cmd.run), std::filesystem::path("page") / "track.jsonl");

  sim::CommandLine replay;
  ASSERT_EQ(parse({"replay", "t.jsonl", "--out", "dir", "--root", "data"}, replay, err), -1) << err;
  EXPECT_EQ(replay.command, sim::CommandLine::Command::Replay);
  EXPECT_EQ(replay.replay.track, "t.jsonl");
  EXPECT_EQ(replay.replay.out, "dir");
  EXPECT_EQ(replay.replay.root, "data");

  sim::CommandLine bad;
  EXPECT_EQ(parse({"replay", "t.jsonl"}, bad, err), 2);
  EXPECT_NE(err.find("--out"), std::string::npos) << err;
}

}  // namespace
