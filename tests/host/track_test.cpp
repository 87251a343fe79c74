// The track of a run: its JSON lines (header, vessel definitions before their samples, samples at
// the interval and at events, events, head-up display changes, the end), the exported animation
// components (applied as the page applies them, they put a mesh vertex where the host's own pose
// puts it), and the JSON number and string forms.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <set>
#include <nlohmann/json.hpp>
#include <sstream>

#include "anim/animation.h"
#include "anim/mesh_library.h"
#include "io/track.h"
#include "io/track_json.h"
#include "io/track_model.h"
#include "world/errors.h"
#include "world_fixture.h"

namespace {

using namespace testsupport;
using nlohmann::json;

std::filesystem::path tempFile(const std::string &name) {
  return std::filesystem::temp_directory_path() / ("arvex_track_" + std::to_string(::getpid()) + "_" + name);
}

std::vector<json> readLines(const std::filesystem::path &file) {
  std::ifstream in(file);
  std::vector<json> lines;
  for (std::string l; std::getline(in, l);) lines.push_back(json::parse(l));
  return lines;
}

std::string written(const std::function<void(std::FILE *)> &write) {
  char *buf = nullptr;
  size_t size = 0;
  std::FILE *f = open_memstream(&buf, &size);
  write(f);
  std::fclose(f);
  std::string s(buf, size);
  std::free(buf);
  return s;
}

struct NumberCase {
  double value;
  int decimals;
  const char *text;
};

TEST(TrackJson, NumbersDropTrailingZerosAndNonFiniteIsNull) {
  const NumberCase cases[] = {{1.5, 3, "1.5"},     {2.0, 3, "2"},   {-0.0001, 3, "0"},      {-2.25, 1, "-2.2"},
                              {1234.56789, 2, "1234.57"}, {NAN, 3, "null"}, {INFINITY, 3, "null"}, {1e300, 3, nullptr}};
  for (const NumberCase &c : cases) {
    std::string s = written([&](std::FILE *f) { sim::writeJsonNumber(f, c.value, c.decimals); });
    if (c.text) EXPECT_EQ(s, c.text) << c.value;
    else EXPECT_DOUBLE_EQ(json::parse(s).get<double>(), c.value);  // the largest numbers still read back
  }
}

TEST(TrackJson, StringsAreEscapedIntoValidJson) {
  std::string s = written([](std::FILE *f) { sim::writeJsonString(f, "a \"b\" \\ c\n\t\x01 \xe9"); });
  EXPECT_EQ(s, "\"a \\\"b\\\" \\\\ c\\n\\u0009\\u0001 \\u00e9\"");
  EXPECT_EQ(json::parse(s).get<std::string>(), "a \"b\" \\ c\n\t\x01 \xc3\xa9");  // a byte above 0x7F as Latin-1
}

TEST(TrackJson, KeysAreNamedAsTheCommandLineWritesThem) {
  sim::KeyEvent g;
  g.key = OAPI_KEY_G;
  EXPECT_EQ(sim::keyName(g), "G");
  sim::KeyEvent ctrlJ;
  ctrlJ.key = OAPI_KEY_J;
  ctrlJ.modifiers = {OAPI_KEY_LCONTROL};
  EXPECT_EQ(sim::keyName(ctrlJ), "ctrl+J");
  sim::KeyEvent seven;
  seven.key = OAPI_KEY_7;
  EXPECT_EQ(sim::keyName(seven), "7");
  sim::KeyEvent code;
  code.key = 200;
  EXPECT_EQ(sim::keyName(code), "200");
}

// The exported components applied to a point as the page applies them (right-hand rotations).
VECTOR3 applyExported(const json &def, unsigned mesh, unsigned group, const std::vector<double> &states, VECTOR3 p) {
  auto frac = [](const json &c, double s) {
    double s0 = c["s0"], s1 = c["s1"];
    if (s1 == s0) return s >= s1 ? 1.0 : 0.0;
    return std::clamp((s - s0) / (s1 - s0), 0.0, 1.0);
  };
  auto vec = [](const json &a) { return _V(a[0], a[1], a[2]); };
  const json &comps = def["components"];
  auto own = [&](const json &c, VECTOR3 q) {
    int a = c["anim"];
    double d = frac(c, states[a]) - frac(c, def["animations"][a].get<double>());
    if (d == 0 || c["type"] == "none") return q;
    if (c["type"] == "translate") return q + vec(c["shift"]) * d;
    VECTOR3 ref = vec(c["ref"]);
    if (c["type"] == "scale") {
      VECTOR3 s = vec(c["scale"]);
      return _V(ref.x + (1 + d * (s.x - 1)) * (q.x - ref.x), ref.y + (1 + d * (s.y - 1)) * (q.y - ref.y),
                ref.z + (1 + d * (s.z - 1)) * (q.z - ref.z));
    }
    VECTOR3 n = vec(c["axis"]), v = q - ref;
    double th = d * c["angle"].get<double>();
    // Rodrigues, right-handed: v cos + (n x v) sin + n (n.v)(1 - cos).
    VECTOR3 nxv = _V(n.y * v.z - n.z * v.y, n.z * v.x - n.x * v.z, n.x * v.y - n.y * v.x);
    return ref + v * std::cos(th) + nxv * std::sin(th) + n * (dotp(n, v) * (1 - std::cos(th)));
  };
  for (size_t i = 0; i < comps.size(); i++) {
    const json &c = comps[i];
    if (c["mesh"] != static_cast<int>(mesh)) continue;
    bool listed = c["groups"].is_null();
    for (const json &g : c["groups"].is_null() ? json::array() : c["groups"]) listed |= g == group;
    if (!listed) continue;
    for (int k = static_cast<int>(i); k >= 0; k = comps[k]["parent"]) p = own(comps[k], p);
  }
  return p;
}

struct PoseCase {
  const char *className;
  std::vector<double> states;
};

class ExportedAnimations : public ::testing::TestWithParam<PoseCase> {};

TEST_P(ExportedAnimations, PutEveryAnimatedVertexWhereTheHostPutsIt) {
  const PoseCase &pc = GetParam();
  auto w = makeWorld();
  sim::CelestialBody &earth = *w->findBody("Earth");
  Vessel &v = w->createVessel("V", pc.className, orbiting(earth, _V(6.8e6, 0, 0), _V(0, 0, 7650)));
  ASSERT_EQ(v.st.animStates.size(), pc.states.size());
  v.systems().animStates = pc.states;
  json def = json::parse("{" + written([&](std::FILE *f) { sim::writeAnimationDefinition(f, v); }) + "}");
  int checked = 0;
  double worst = 0;
  for (unsigned m = 0; m < v.def.meshes.size(); m++) {
    const sim::Mesh *mesh = w->meshes().find(v.def.meshes[m].name);
    ASSERT_NE(mesh, nullptr);
    for (unsigned g = 0; g < mesh->groupCount(); g++) {
      if (mesh->groups()[g].vertices.empty()) continue;
      VECTOR3 host;
      ASSERT_TRUE(sim::vertexPosition(v, m, g, 0, host));
      VECTOR3 page =
          applyExported(def, m, g, pc.states, sim::swapYZ(mesh->groups()[g].vertices[0])) +
          sim::swapYZ(v.def.meshes[m].offset);
      worst = std::max(worst, length(page - sim::swapYZ(host)));
      checked++;
    }
  }
  EXPECT_GT(checked, 4);
  EXPECT_LT(worst, 1e-4) << pc.className;
}

INSTANTIATE_TEST_SUITE_P(Classes, ExportedAnimations,
                         ::testing::Values(PoseCase{"larkon", {1, 1, 1, 1, 0.8, 0.2}},
                                           PoseCase{"larkon", {0.4, 0.7, 0.3, 0.6, 0.0, 1.0}},
                                           PoseCase{"orlis", {0.8, 0.6}}, PoseCase{"orlis", {0.2, 1.0}}));

// A dispenser that releases its first payload at 0.05 s, tracked for 0.3 s at a 0.1 s interval.
class TrackOfARun : public ::testing::Test {
 protected:
  void SetUp() override {
    w = makeWorld(0.02);
    w->loadScenario(dataRoot() / "Scenarios" / "Dispenser deploy.scn");
    sim::KeyEvent j;
    j.time = 0.05;
    j.key = OAPI_KEY_J;
    w->queueKey(j);
    sim::TrackSettings s;
    s.scenario = "Dispenser deploy";
    s.interval = 0.1;
    s.inputs = {j};
    file = tempFile("run.jsonl");
    {
      sim::TrackWriter track(file, *w, s);
      track.sample();
      for (int i = 0; i < 15; i++) {
        w->step();
        track.sample();
      }
      hudAtEnd = sim::drawHud(*w->focus(), 1024, 768);
      track.finish("until");
    }
    lines = readLines(file);
  }
  void TearDown() override { std::filesystem::remove(file); }
  std::unique_ptr<sim::World> w;
  std::filesystem::path file;
  std::vector<json> lines;
  std::vector<sim::HudText> hudAtEnd;
};

TEST_F(TrackOfARun, HeaderNamesTheFormatTheFocusAndTheFrame) {
  ASSERT_FALSE(lines.empty());
  const json &h = lines[0];
  EXPECT_EQ(h["format"], "simhost track");
  EXPECT_EQ(h["version"], 1);
  EXPECT_EQ(h["focus"], "Dispenser");
  EXPECT_EQ(h["origin"]["body"], "Earth");
  EXPECT_EQ(h["origin"]["name"], "");                      // no target: the focus vessel's start
  EXPECT_NEAR(h["origin"]["alt_m"].get<double>(), 400e3, 1);  // so its first position is the origin
  EXPECT_NE(h["frames"].get<std::string>().find("(x_H, z_H, y_H)"), std::string::npos);
  EXPECT_EQ(lines.back()["end"], 0.3);
  EXPECT_EQ(lines.back()["reason"], "until");
}

TEST_F(TrackOfARun, EveryVesselIsDefinedBeforeItsFirstSample) {
  std::set<int> defined;
  int samples = 0;
  for (const json &l : lines) {
    if (l.contains("vessel") && l.contains("id")) {
      defined.insert(l["id"].get<int>());
      EXPECT_FALSE(l["meshes"].empty()) << l["vessel"];
    }
    if (!l.contains("s")) continue;
    samples++;
    EXPECT_EQ(l["s"].size(), 5u);  // the ring and its four payloads
    for (const json &s : l["s"]) {
      EXPECT_TRUE(defined.count(s[0].get<int>()));
      ASSERT_EQ(s.size(), 11u);
      double n = std::hypot(std::hypot(s[4].get<double>(), s[5].get<double>()),
                            std::hypot(s[6].get<double>(), s[7].get<double>()));
      EXPECT_NEAR(n, 1.0, 1e-5);
      EXPECT_EQ(s[10].size(), 8u);
    }
  }
  EXPECT_EQ(defined.size(), 5u);
  EXPECT_GT(samples, 3);
}

TEST_F(TrackOfARun, SamplesFallOnTheIntervalAndOnEvents) {
  std::vector<double> times, events;
  for (const json &l : lines) {
    if (l.contains("s")) times.push_back(l["t"]);
    if (l.contains("event")) events.push_back(l["t"]);
  }
  // 0, 0.1, 0.2, 0.3 on the interval, and the release between: the key given for 0.05 s is
  // delivered at the start of the step from 0.06 s, whose end sees the payload free.
  EXPECT_EQ(times, (std::vector<double>{0, 0.08, 0.1, 0.2, 0.3}));
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0], 0.05);  // the key, at the time it was given
  EXPECT_EQ(events[1], 0.08);
  std::vector<std::string> texts;
  for (const json &l : lines)
    if (l.contains("event")) texts.push_back(l["event"].get<std::string>() + " " + l["vessel"].get<std::string>());
  EXPECT_EQ(texts, (std::vector<std::string>{"key J Dispenser", "released Sat-1"}));
}

TEST_F(TrackOfARun, HudRecordsAddUpToTheHudDrawnAtTheEnd) {
  std::vector<std::tuple<int, int, unsigned, std::string>> hud;
  int records = 0;
  size_t firstSize = 0;
  for (const json &l : lines) {
    if (!l.contains("set")) continue;
    hud.resize(l["lines"].get<size_t>());
    for (const json &s : l["set"]) hud[s[0]] = {s[1], s[2], s[3], s[4]};
    if (records++ == 0) firstSize = l["set"].size();
    else EXPECT_LT(l["set"].size(), firstSize);  // later records carry only what changed
  }
  EXPECT_GE(records, 2);
  ASSERT_EQ(hud.size(), hudAtEnd.size());
  for (size_t i = 0; i < hud.size(); i++)
    EXPECT_EQ(hud[i], std::make_tuple(hudAtEnd[i].x, hudAtEnd[i].y, static_cast<unsigned>(hudAtEnd[i].colour),
                                      hudAtEnd[i].text));
}

TEST(Track, UnwritableFileIsAnInputErrorNamingIt) {
  auto w = makeWorld();
  w->loadScenario(dataRoot() / "Scenarios" / "Satellite deploy.scn");
  try {
    sim::TrackWriter t("/nonexistent-dir/x/track.jsonl", *w, {});
    FAIL() << "no error";
  } catch (const sim::InputError &e) {
    EXPECT_NE(std::string(e.what()).find("/nonexistent-dir/x/track.jsonl"), std::string::npos);
  }
}

}  // namespace
