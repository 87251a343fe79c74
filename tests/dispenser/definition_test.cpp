// The ring's definition: its mass and display when empty, its meshes, and the eight ports, each
// holding a payload of the bundled class outward along its own axis.
#include "anim/mesh_library.h"
#include "ring_world.h"

namespace {

using ringtest::RingWorld;

TEST(RingDefinition, EmptyRingWeighs150KgAndListsEverySlotEmpty) {
  RingWorld r;
  r.world->step();
  EXPECT_DOUBLE_EQ(r.emptyMass(), 150.0);
  std::vector<sim::HudText> hud = r.hud();
  ASSERT_EQ(hud.size(), 10u);
  EXPECT_EQ(hud[0].text, "J = Jettison Payload");
  EXPECT_EQ(hud[1].text, "N = Select Next Payload");
  for (int s = 0; s < 8; s++) {
    const sim::HudText &line = hud[ringtest::kFirstSlotLine + s];
    EXPECT_EQ(line.text, "Payload " + std::to_string(s + 1) + " = none");
    EXPECT_EQ(line.colour, s == 0 ? ringtest::kYellow : ringtest::kGreen) << "slot " << s;
  }
  EXPECT_EQ(hud[0].colour, ringtest::kGreen);
  EXPECT_EQ(hud[1].colour, ringtest::kGreen);
  EXPECT_EQ(r.world->diagnostics().refusedCount(), 0);
  ASSERT_NE(r.world->meshes().find("Arvex/pelo_ring"), nullptr);
  EXPECT_EQ(r.world->meshes().find("Arvex/pelo_ring")->groupCount(),
            12u);  // drum, bore, two rims, 8 ports
}

TEST(RingDefinition, EachPortHoldsItsPayloadOutwardAlongItsAxis) {
  RingWorld r(_V(0.4, -0.7, 1.2));
  const VECTOR3 outward[4] = {_V(1, 0, 0), _V(0, 1, 0), _V(-1, 0, 0), _V(0, -1, 0)};
  const double payloadOffset = 0.35;  // [m] from the payload's adapter face to its origin
  for (int slot = 0; slot < 8; slot++) {
    Vessel &p = r.attachPayload(slot, "Sat" + std::to_string(slot + 1));
    int record = sim::attachmentRecord(*r.ring, false, slot);
    EXPECT_STREQ(r.ring->def.attachments[record].id, ("PL" + std::to_string(slot + 1)).c_str());
    VECTOR3 d = outward[slot % 4];
    VECTOR3 expected = d * (0.987 + payloadOffset) + _V(0, 0, slot < 4 ? 1.09 : 0.0);
    VECTOR3 at = tmul(r.ring->st.R, p.st.rpos - r.ring->st.rpos);  // ring axes; both relative to Earth
    EXPECT_NEAR(length(at - expected), 0.0, 1e-6) << "slot " << slot;
    VECTOR3 payloadAxis = tmul(r.ring->st.R, mul(p.st.R, _V(0, 0, 1)));
    EXPECT_NEAR(dotp(payloadAxis, d), 1.0, 1e-9) << "slot " << slot;
  }
  r.world->step();
  EXPECT_DOUBLE_EQ(r.emptyMass(), 150.0 + 8 * 100.0);
  EXPECT_NE(r.world->meshes().find("Arvex/pelo_payload"), nullptr);
}

}  // namespace
