// The ring's operations: the mass rule, keys J and N with the selection's wrap and the modifier
// filter, and the release of a payload at 0.3 m/s along its port's outward axis.
#include "ring_world.h"

namespace {

using ringtest::attachedTo;
using ringtest::RingWorld;

TEST(RingOperations, MassCarriesAttachedPayloadsAndDropsTheStepAfterARelease) {
  RingWorld r;
  Vessel &first = r.attachPayload(0, "First");
  Vessel &fifth = r.attachPayload(4, "Fifth");
  r.world->step();
  EXPECT_DOUBLE_EQ(r.emptyMass(), 350.0);
  EXPECT_EQ(r.key(OAPI_KEY_J), 1);
  EXPECT_FALSE(attachedTo(first, *r.ring));
  r.world->step();
  EXPECT_DOUBLE_EQ(r.emptyMass(), 250.0);
  EXPECT_TRUE(attachedTo(fifth, *r.ring));
  EXPECT_EQ(r.selectedSlot(), 1);
  EXPECT_EQ(r.slotText(0), "Payload 1 = none");
  EXPECT_EQ(r.slotText(4), "Payload 5 = Fifth");
}

TEST(RingOperations, JettisonOnAnEmptySlotReleasesNothingAndStillAdvances) {
  RingWorld r;
  Vessel &second = r.attachPayload(1, "Second");
  EXPECT_EQ(r.key(OAPI_KEY_J), 1);
  r.world->step();
  EXPECT_TRUE(attachedTo(second, *r.ring));
  EXPECT_DOUBLE_EQ(r.emptyMass(), 250.0);
  EXPECT_EQ(r.selectedSlot(), 1);
  EXPECT_EQ(r.world->diagnostics().refusedCount(), 0);
}

TEST(RingOperations, SelectionWrapsFromTheLastSlotForBothKeys) {
  RingWorld r;
  Vessel &eighth = r.attachPayload(7, "Eighth");
  r.press(OAPI_KEY_N, 7);
  EXPECT_EQ(r.selectedSlot(), 7);
  EXPECT_EQ(r.key(OAPI_KEY_J), 1);
  EXPECT_FALSE(attachedTo(eighth, *r.ring));
  EXPECT_EQ(r.selectedSlot(), 0);
  r.press(OAPI_KEY_N, 7);
  EXPECT_EQ(r.key(OAPI_KEY_N), 1);
  EXPECT_EQ(r.selectedSlot(), 0);
}

TEST(RingOperations, ShiftControlKeyUpAndOtherKeysAreLeftToTheSimulator) {
  RingWorld r;
  Vessel &first = r.attachPayload(0, "First");
  for (int modifier : {OAPI_KEY_LSHIFT, OAPI_KEY_RSHIFT, OAPI_KEY_LCONTROL, OAPI_KEY_RCONTROL})
    for (DWORD k : {OAPI_KEY_J, OAPI_KEY_N}) EXPECT_EQ(r.key(k, {modifier}), 0) << "key " << k << " with " << modifier;
  EXPECT_EQ(r.key(OAPI_KEY_J, {}, false), 0);
  EXPECT_EQ(r.key(OAPI_KEY_K), 0);
  EXPECT_EQ(r.key(OAPI_KEY_J, {OAPI_KEY_LALT}), 1);  // Alt is not a filtered modifier
  EXPECT_FALSE(attachedTo(first, *r.ring));
  EXPECT_EQ(r.selectedSlot(), 1);
}

TEST(RingOperations, ReleasedPayloadLeavesAlongItsPortAtSeparationSpeed) {
  RingWorld r(_V(0.3, -0.5, 1.1));  // an attitude that mixes the port's axis into all three global axes
  Vessel &sixth = r.attachPayload(5, "Sixth");  // "PL6", outward along the ring's +y
  r.press(OAPI_KEY_N, 5);
  VECTOR3 ringVelBefore = r.ring->globalVel();
  EXPECT_EQ(r.key(OAPI_KEY_J), 1);
  VECTOR3 ringVelAfter = r.ring->globalVel();
  EXPECT_EQ(ringVelAfter.x, ringVelBefore.x);
  EXPECT_EQ(ringVelAfter.y, ringVelBefore.y);
  EXPECT_EQ(ringVelAfter.z, ringVelBefore.z);
  ASSERT_EQ(sixth.st.frame, r.ring->st.frame);  // positions below are relative to the same body
  VECTOR3 separation_V = tmul(r.ring->st.R, sixth.globalVel() - ringVelAfter);
  EXPECT_NEAR(length(separation_V - _V(0, 0.3, 0)), 0.0, 1e-9);

  VECTOR3 start_V = tmul(r.ring->st.R, sixth.st.rpos - r.ring->st.rpos);
  testsupport::runUntil(*r.world, 10.0);
  VECTOR3 drift_V = tmul(r.ring->st.R, sixth.st.rpos - r.ring->st.rpos) - start_V;
  // Over 10 s the tidal acceleration (n^2 d, about 1e-5 m/s^2 at a few metres) bends the drift slightly.
  EXPECT_NEAR(length(drift_V / r.world->simTime() - _V(0, 0.3, 0)), 0.0, 1e-4);
  EXPECT_DOUBLE_EQ(r.emptyMass(), 150.0);
}

}  // namespace
