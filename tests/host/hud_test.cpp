// The head-up display recording: what a module draws through the Sketchpad (colour then text,
// the length argument honoured), and the recording written as text and as a picture.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "host_test_util.h"
#include "io/hud.h"

namespace {

using namespace testsupport;

TEST(Hud, RecordsTheModulesTextWithItsColour) {
  TempDataRoot root;
  hosttest::addTestClasses(root);
  auto w = makeWorld(0.1, root.path());
  sim::CelestialBody &earth = *w->findBody("Earth");
  Vessel &r = w->createVessel("R", "recorder", orbiting(earth, _V(6.8e6, 0, 0), _V(0, 0, 7650)));
  std::vector<sim::HudText> hud = sim::drawHud(r, 1024, 768);
  ASSERT_EQ(hud.size(), 2u);
  EXPECT_EQ(hud[0].x, 512);
  EXPECT_EQ(hud[0].y, 192);
  EXPECT_EQ(hud[0].colour, 0x123456u);
  EXPECT_EQ(hud[0].text, "HUD text");
  EXPECT_EQ(hud[1].colour, 0x00ff00u);
  EXPECT_EQ(hud[1].text, "second line");  // 11 of the string's 16 characters

  // The paint description follows the display size.
  hud = sim::drawHud(r, 1920, 1080);
  EXPECT_EQ(hud[0].x, 960);
  EXPECT_EQ(hud[0].y, 270);

  // A vessel without a module draws nothing.
  Vessel &crate = w->createVessel("C", "cargo_crate", orbiting(earth, _V(6.9e6, 0, 0), _V(0, 0, 7600)));
  EXPECT_TRUE(sim::drawHud(crate, 1024, 768).empty());
}

TEST(Hud, SketchpadTakesAtMostTheStringItIsGiven) {
  sim::RecordingSketchpad skp;
  EXPECT_EQ(skp.SetTextColor(0x0000ff), 0x00FFFFFFu);  // white before any colour is set
  char buffer[32] = "Alt 12";
  skp.Text(1, 2, buffer, 3);
  skp.Text(1, 2, buffer, -1);             // a negative length: the whole string
  skp.Text(1, 2, buffer, sizeof buffer);  // a length past the string's end stops at its end
  EXPECT_FALSE(skp.Text(1, 2, nullptr, 4));
  ASSERT_EQ(skp.texts.size(), 3u);
  EXPECT_EQ(skp.texts[0].text, "Alt");
  EXPECT_EQ(skp.texts[1].text, "Alt 12");
  EXPECT_EQ(skp.texts[2].text, "Alt 12");
  EXPECT_EQ(skp.texts[2].colour, 0x0000ffu);
  EXPECT_EQ(skp.colourCalls, std::vector<DWORD>{0x0000ff});
}

TEST(Hud, WritesTextLinesAndAPicture) {
  std::vector<sim::HudText> hud = {{10, 167, 0x66ffff, "Legs: Deployed"}, {-3, 5, 0xff112233, "x y"}};
  auto dir = std::filesystem::temp_directory_path() / ("arvex_hud_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  sim::writeHudText(hud, dir / "hud.txt");
  std::ifstream in(dir / "hud.txt");
  std::stringstream ss;
  ss << in.rdbuf();
  EXPECT_EQ(ss.str(), "10 167 0x66FFFF Legs: Deployed\n-3 5 0x112233 x y\n");

  sim::writeHudPng(hud, 800, 600, dir / "hud.png");
  std::ifstream png(dir / "hud.png", std::ios::binary);
  unsigned char head[24] = {};
  png.read(reinterpret_cast<char *>(head), sizeof head);
  ASSERT_TRUE(png.good());
  const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  EXPECT_EQ(std::memcmp(head, signature, 8), 0);
  auto be32 = [&](int at) { return (head[at] << 24) | (head[at + 1] << 16) | (head[at + 2] << 8) | head[at + 3]; };
  EXPECT_EQ(be32(16), 800);  // IHDR width and height
  EXPECT_EQ(be32(20), 600);

  EXPECT_THROW(sim::writeHudText(hud, dir / "missing" / "hud.txt"), sim::RunError);
  EXPECT_THROW(sim::writeHudPng(hud, 64, 64, dir / "missing" / "hud.png"), sim::RunError);
  std::filesystem::remove_all(dir);
}

}  // namespace
