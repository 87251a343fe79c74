// The mesh library: a mesh file is parsed once for every world of the process, and read again
// when the file changes; a missing or malformed file is reported to each world that asks for it.
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <random>

#include "anim/mesh_library.h"
#include "world/diagnostics.h"
#include "world/errors.h"
#include "world/text.h"
#include "world_fixture.h"

namespace {

const char *kOneTriangle = "MSHX1\nGROUPS 1\nGEOM 3 1\n0 0 0\n1 0 0\n0 1 0\n0 1 2\n";
const char *kTwoTriangles = "MSHX1\nGROUPS 2\nGEOM 3 1\n0 0 0\n1 0 0\n0 1 0\n0 1 2\nGEOM 3 1\n0 0 1\n1 0 1\n0 1 1\n0 1 2\n";

class MeshFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device rd;
    dir = std::filesystem::temp_directory_path() / ("arvex_meshes_" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  void write(const std::string &text) { std::ofstream(dir / "box.msh", std::ios::trunc) << text; }
  // A file written a while ago: only a settled file is shared (loader/file_cache.h).
  void age() {
    std::filesystem::last_write_time(dir / "box.msh", std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
  }

  std::filesystem::path dir;
};

TEST_F(MeshFiles, WorldsShareAParsedMeshUntilItsFileChanges) {
  write(kOneTriangle);
  age();
  sim::Diagnostics d1, d2, d3;
  sim::MeshLibrary first(dir, d1), second(dir, d2);
  const sim::Mesh *a = first.request("box");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->groupCount(), 1u);
  EXPECT_EQ(second.request("box"), a);

  write(kTwoTriangles);
  sim::MeshLibrary third(dir, d3);
  const sim::Mesh *b = third.request("box");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->groupCount(), 2u);
  EXPECT_EQ(first.request("box")->groupCount(), 1u);  // a world keeps what it was given
}

TEST_F(MeshFiles, EveryWorldHearsOfAMalformedOrMissingFile) {
  write("MSHX1\nGROUPS 1\nGEOM 3 1\n0 0 0\n");
  sim::Diagnostics d1, d2;
  sim::MeshLibrary first(dir, d1), second(dir, d2);
  EXPECT_EQ(first.request("box"), nullptr);
  EXPECT_EQ(second.request("box"), nullptr);
  EXPECT_TRUE(d1.contains("unexpected end of file"));
  EXPECT_TRUE(d2.contains("unexpected end of file"));

  std::filesystem::remove(dir / "box.msh");
  sim::Diagnostics d3;
  sim::MeshLibrary third(dir, d3);
  EXPECT_EQ(third.request("box"), nullptr);
  EXPECT_TRUE(d3.contains("not found"));
}

}  // namespace

namespace {

// Loading reads the structure only; the vertices and triangles are read on first use, each group
// from its own place in the text, and a malformed one names its file and line at every use.
TEST(MeshText, GeometryIsReadOnFirstUseAndNamesTheLineOfAFault) {
  sim::Mesh two = sim::parseMesh(kTwoTriangles, "box.msh");
  ASSERT_EQ(two.groupCount(), 2u);
  const std::vector<sim::MeshGroup> &groups = two.groups();
  ASSERT_EQ(groups[1].vertices.size(), 3u);
  EXPECT_EQ(groups[1].vertices[2].z, 1.0);
  EXPECT_EQ(groups[1].triangles[0][2], 2);
  sim::Mesh spaced = sim::parseMesh(
      "MSHX1\nGROUPS 1\nGEOM 3 1\n; note\n  0 0 0\n1 0 0\n\n0 1 0\n0 1 2\nMATERIALS 0\n",
      "box.msh");
  ASSERT_EQ(spaced.groups()[0].vertices.size(), 3u);
  EXPECT_EQ(spaced.groups()[0].vertices[2].y, 1.0);

  struct Case {
    const char *text, *where;
  } cases[] = {
      {"MSHX1\nGROUPS 1\nGEOM 3 1\n0 0 0\n1 x 0\n0 1 0\n0 1 2\n", "box.msh:5: vertex"},
      {"MSHX1\nGROUPS 1\nGEOM 3 1\n0 0 0\n1 0 0\n0 1 0\n0 1 7\n",
       "box.msh:7: triangle: vertex index"},
      // Comments and blank lines count as lines but not as vertices.
      {"MSHX1\n; a box\nGROUPS 1\n\nGEOM 3 1\n0 0 0\n\n1 0 0 ; x\n0 1 0\n0 1 2 3\n",
       "box.msh:10: triangle: expected"},
      {"MSHX1\nGROUPS 2\nLABEL a\nGEOM 1 0\n0 0 0\nLABEL b\nGEOM 1 0\n0 0\n", "box.msh:8: vertex"},
  };
  for (const Case &c : cases) {
    sim::Mesh m = sim::parseMesh(c.text, "box.msh");
    EXPECT_GE(m.groupCount(), 1u) << c.text;
    for (int call = 0; call < 2; call++) {
      try {
        m.groups();
        ADD_FAILURE() << c.text;
      } catch (const sim::InputError &e) {
        EXPECT_NE(std::string(e.what()).find(c.where), std::string::npos) << e.what();
      }
    }
  }
}

// A line of numbers: plain decimals end at any blank, every other form goes to from_chars, and a
// token that is no finite number refuses the line.
TEST(MeshText, LinesOfNumbersReadEveryFormAndRefuseTheRest) {
  struct Case {
    const char *line;
    std::vector<double> values;  // empty: refused
  } cases[] = {
      {"1 2.5 -3", {1, 2.5, -3}},
      {"\t+4\t1e3\r\n", {4, 1000}},
      {"-0.9914 0.1305\t16.0000", {-0.9914, 0.1305, 16}},
      {"12345678901234567 .5", {12345678901234567.0, 0.5}},
      {"1.2.3", {}},
      {"1 x", {}},
      {"1-", {}},
      {"1e999", {}},
  };
  std::vector<double> out;
  for (const Case &c : cases) {
    EXPECT_EQ(sim::parseNumbers(c.line, out), !c.values.empty()) << c.line;
    if (!c.values.empty()) {
      EXPECT_EQ(out, c.values) << c.line;
    }
  }
}

// Counts too large for the reader's integers are refused like any other malformed count.
TEST(MeshText, CountsBeyondTheIntegerRangeAreRefused) {
  for (const char *text : {"MSHX1\nGROUPS 1e300\n", "MSHX1\nGROUPS 4294967296\n",
                           "MSHX1\nGROUPS 1\nGEOM 1e300 1\n0 0 0\n", "MSHX1\nGROUPS 1\nGEOM 3 1e20\n0 0 0\n",
                           "MSHX1\nGROUPS 1\nGEOM 3 1\n0 0 0\n1 0 0\n0 1 0\n0 1 2\nMATERIALS 1e300\n"})
    EXPECT_THROW(sim::parseMesh(text, "box.msh"), sim::InputError) << text;
}

// The quick reading of plain decimals gives exactly from_chars' value, bit for bit, on every token
// of the bundled meshes and on the edges of its rule; a token outside the rule is left to
// from_chars.
TEST(MeshText, PlainDecimalsReadAsFromCharsReadsThem) {
  auto sameAsFromChars = [](const std::string &token) {
    double quick = 0, exact = 0;
    const char *b = token.data(), *e = b + token.size();
    if (!sim::plainDecimal(b, e, quick)) return true;
    auto [end, ec] = std::from_chars(b, e, exact);
    return ec == std::errc() && end == e &&
           std::bit_cast<std::uint64_t>(quick) == std::bit_cast<std::uint64_t>(exact);
  };
  for (const char *t : {"0", "-0", "1.", ".5", "-.5", "0.1", "0.3", "-2.675", "123456789012345",
                        "9.99999999999999", "0.000000000000001", "-1.23456789012345"})
    EXPECT_TRUE(sameAsFromChars(t)) << t;
  double d = 0;
  for (const char *t : {"1234567890123456", "1e5", "-", ".", "1.2.3", "", "--1", "1-", "0x10"})
    EXPECT_FALSE(sim::plainDecimal(t, t + std::strlen(t), d)) << t;

  size_t plain = 0;  // tokens the quick reading took
  for (const auto &f :
       std::filesystem::directory_iterator(testsupport::dataRoot() / "Meshes" / "Arvex")) {
    std::ifstream in(f.path());
    for (std::string token; in >> token;) {
      ASSERT_TRUE(sameAsFromChars(token)) << f.path() << ": " << token;
      plain += sim::plainDecimal(token.data(), token.data() + token.size(), d);
    }
  }
  EXPECT_GT(plain, 100000u);
}

}  // namespace
