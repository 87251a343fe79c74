// The ring's head-up display: line positions on a standard and a wide display, and payload names
// that do not fit the name buffer.
#include "ring_world.h"

namespace {

using ringtest::RingWorld;

// Expected positions for a display height, worked by hand from k = H x 0.00130208.
void expectLayout(const std::vector<sim::HudText> &hud, int x, const int (&y)[10]) {
  ASSERT_EQ(hud.size(), 10u);
  for (int i = 0; i < 10; i++) {
    EXPECT_EQ(hud[i].x, x) << "line " << i;
    EXPECT_EQ(hud[i].y, y[i]) << "line " << i;
  }
}

TEST(RingHud, StandardDisplayStartsAtTheLeftEdge) {
  RingWorld r;
  // 1024 x 768: k = 0.99999744, each row lands one pixel short of its nominal value.
  expectLayout(r.hud(1024, 768), 10, {167, 183, 199, 215, 231, 247, 263, 279, 295, 311});
}

TEST(RingHud, WideDisplayShiftsTheBlockRightAndUp) {
  RingWorld r;
  // 1920 x 1080: k = 1.4062464; dx = 10 x (30720 div 1024) = 300, dy = trunc(-123.75) = -123.
  expectLayout(r.hud(1920, 1080), 310, {113, 135, 158, 180, 203, 225, 248, 270, 293, 315});
  // 1024 x 745 (H / W = 0.7275) is wide as well; 1024 x 746 (0.7285) is not.
  EXPECT_EQ(r.hud(1024, 745)[0].x, 170);
  EXPECT_EQ(r.hud(1024, 746)[0].x, 10);
}

TEST(RingHud, LongPayloadNameIsCutToFortyNineCharacters) {
  RingWorld r;
  std::string name(60, 'x');
  r.attachPayload(0, name);
  EXPECT_EQ(r.slotText(0), "Payload 1 = " + name.substr(0, 49));
  r.attachPayload(1, name.substr(0, 49));
  EXPECT_EQ(r.slotText(1), "Payload 2 = " + name.substr(0, 49));
}

}  // namespace
