// The satellite's two head-up display lines: texts, colours and positions in both states, on a
// standard and a wide display.
#include "satellite_fixture.h"

using namespace sat;

TEST(SatelliteHud, BothLinesInBothStatesOnStandardAndWideDisplays) {
  auto w = makeEarthWorld(0.1, false, false);
  Vessel &v = load(*w, ship("sat", ""));
  const DWORD green = 0x66ff66, yellow = 0x66ffff;
  auto check = [&](bool active, const char *attitude, const char *deployment) {
    // 1024 x 768: origin (0, 0), k just below 1; 1280 x 720 is wide: origin (200, -82), k = 0.9375
    struct { int W, H, x, y1, y2; } displays[] = {{1024, 768, 10, 167, 183}, {1280, 720, 210, 75, 90}};
    for (const auto &d : displays) {
      std::vector<sim::HudText> hud = sim::drawHud(v, d.W, d.H);
      ASSERT_EQ(hud.size(), 2u);
      EXPECT_EQ(hud[0].text, attitude);
      EXPECT_EQ(hud[1].text, deployment);
      for (int i = 0; i < 2; i++) {
        EXPECT_EQ(hud[i].colour, active ? yellow : green);
        EXPECT_EQ(hud[i].x, d.x);
        EXPECT_EQ(hud[i].y, i ? d.y2 : d.y1) << d.W;
      }
    }
  };
  check(false, "Auto Earth-pointing - press V", "Deploy Solar Panels/Antennae - press G");
  press(*w, v, OAPI_KEY_V);
  press(*w, v, OAPI_KEY_G);
  w->step();  // deployment has begun
  check(true, "Auto Earth-pointing - On", "Solar Panels/Antennae Deployed");
}
