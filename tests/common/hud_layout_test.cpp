// The head-up display layout shared by the modules: scale from the display height, the shifted
// origin of wide displays, and a line drawn as a colour followed by its text.
#include <gtest/gtest.h>

#include "hud_layout.h"
#include "io/hud.h"

namespace {

frame::HudLayout layout(int W, int H) {
  HUDPAINTSPEC hps = sim::hudPaintSpec(W, H);
  return frame::HudLayout(&hps);
}

TEST(HudLayout, FourByThreeDisplayStartsAtTheCorner) {
  frame::HudLayout l = layout(1024, 768);
  EXPECT_EQ(l.x0, 0);
  EXPECT_EQ(l.y0, 0);
  EXPECT_EQ(l.x(), 10);
  EXPECT_EQ(l.y(0), 0);
  EXPECT_EQ(l.y(168), 167);  // the scale is just under 1
  EXPECT_EQ(l.y(16), 15);
  frame::HudLayout tall = layout(1280, 1024);  // 5:4 is not wide
  EXPECT_EQ(tall.x0, 0);
  EXPECT_EQ(tall.y0, 0);
  EXPECT_EQ(tall.y(168), 223);
}

TEST(HudLayout, WideDisplayShiftsTheOrigin) {
  frame::HudLayout l = layout(1920, 1080);
  EXPECT_EQ(l.x0, 300);
  EXPECT_EQ(l.y0, -123);
  EXPECT_EQ(l.x(), 310);
  EXPECT_EQ(l.y(168), 113);
  EXPECT_EQ(l.y(328), 338);
  // The threshold: H/W just below 0.7284 is wide, at 0.75 it is not.
  EXPECT_GT(layout(1000, 728).x0, 0);
  EXPECT_EQ(layout(1000, 750).x0, 0);
}

TEST(HudLayout, LineSetsTheColourThenWritesTheText) {
  sim::RecordingSketchpad skp;
  frame::HudLayout l = layout(1920, 1080);
  l.line(&skp, 168, frame::kHudYellow, "Legs: Deployed");
  l.line(&skp, 184, frame::kHudGreen, "G = Legs");
  EXPECT_EQ(skp.colourCalls, (std::vector<DWORD>{0x66ffff, 0x66ff66}));
  ASSERT_EQ(skp.texts.size(), 2u);
  EXPECT_EQ(skp.texts[0].x, 310);
  EXPECT_EQ(skp.texts[0].y, 113);
  EXPECT_EQ(skp.texts[0].colour, 0x66ffffu);
  EXPECT_EQ(skp.texts[0].text, "Legs: Deployed");
  EXPECT_EQ(skp.texts[1].y, 135);  // -123 + trunc(184 k)
  EXPECT_EQ(skp.texts[1].text, "G = Legs");
}

}  // namespace
