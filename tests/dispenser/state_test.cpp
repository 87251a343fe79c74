// The ring's "NPLS" state line: the selection survives a save and reload together with the
// attached payloads, and a loaded slot number outside 0..7 is clamped to the nearest slot.
#include <utility>

#include "ring_world.h"

namespace {

using ringtest::RingWorld;

const char kScenarioHead[] =
    "BEGIN_ENVIRONMENT\n  System Sol\n  Date MJD 60000.5\nEND_ENVIRONMENT\n"
    "BEGIN_SHIPS\nRing:pelo_ring\n  STATUS Orbiting Earth\n  RPOS 6771010 0 0\n  RVEL 0 0 7672.593\n";
const char kPayloadAtLastSlot[] =
    "Last:pelo_payload\n  STATUS Orbiting Earth\n  RPOS 6771010 0 0\n  RVEL 0 0 7672.593\n"
    "  ATTACHED 0:7,Ring\nEND\n";

struct Loaded {
  testsupport::TempDataRoot root;
  std::unique_ptr<sim::World> world;
  Vessel *ring = nullptr;
  explicit Loaded(const std::string &text) {
    world = testsupport::makeWorld(0.02, root.path());
    world->loadScenario(root.writeScenario("ring", text));
    ring = world->findVessel("Ring");
  }
  int selectedSlot() {
    std::vector<sim::HudText> hud = sim::drawHud(*ring, 1024, 768);
    for (int s = 0; s < 8; s++)
      if (hud[ringtest::kFirstSlotLine + s].colour == ringtest::kYellow) return s;
    return -1;
  }
};

TEST(RingState, SavedSelectionAndPayloadsComeBackOnLoad) {
  RingWorld r;
  r.attachPayload(2, "Third");
  r.press(OAPI_KEY_N, 3);
  r.world->step();
  std::string saved = r.world->scenarioText();
  EXPECT_NE(saved.find("  NPLS 3\n"), std::string::npos) << saved;

  Loaded l(saved);
  EXPECT_EQ(l.selectedSlot(), 3);
  EXPECT_NEAR(length(l.ring->st.rpos), ringtest::kOrbitRadius, 1.0);  // standard lines went to the default parser
  l.world->step();
  EXPECT_DOUBLE_EQ(l.ring->intf->GetEmptyMass(), 250.0);
  EXPECT_EQ(sim::drawHud(*l.ring, 1024, 768)[ringtest::kFirstSlotLine + 2].text, "Payload 3 = Third");
}

TEST(RingState, LoadedSlotOutsideTheRangeIsClampedToTheNearestSlot) {
  const std::pair<const char *, int> cases[] = {
      {"NPLS 8", 7},    {"NPLS 12", 7}, {"NPLS -3", 0},          {"NPLS 99999999999999999999", 7},
      {"npls5", 5},     {"NPLS", 0},    {"NPLS 4\n  NPLS x", 4}, {"NPLS -99999999999999999999", 0},
  };
  for (const auto &[line, slot] : cases) {
    Loaded l(std::string(kScenarioHead) + "  " + line + "\nEND\nEND_SHIPS\n");
    EXPECT_EQ(l.selectedSlot(), slot) << line;
  }
}

TEST(RingState, ClampedSelectionReleasesThePayloadOfTheLastPort) {
  Loaded l(std::string(kScenarioHead) + "  NPLS 12\nEND\n" + kPayloadAtLastSlot + "END_SHIPS\n");
  Vessel *last = l.world->findVessel("Last");
  ASSERT_TRUE(ringtest::attachedTo(*last, *l.ring));
  char kstate[256] = {};
  EXPECT_EQ(l.world->deliverKey(*l.ring, OAPI_KEY_J, true, kstate), 1);
  EXPECT_FALSE(ringtest::attachedTo(*last, *l.ring));
  EXPECT_EQ(l.selectedSlot(), 0);
  EXPECT_EQ(l.world->diagnostics().refusedCount(), 0);
}

}  // namespace
