// Test worlds for the dispenser ring: a ring in a 400 km circular orbit, payloads of the bundled
// 100 kg class attached at chosen slots, keys with modifiers held, and the recorded HUD. Every
// ring is made from the dispenser code linked into the test program (linked_dispenser.cpp).
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "io/hud.h"
#include "linked_module.h"
#include "physics/attachments.h"
#include "world_fixture.h"

namespace ringtest {

constexpr double kOrbitRadius = 6771010.0;  // [m] 400 km above the mean radius
constexpr DWORD kGreen = 0x66FF66, kYellow = 0x66FFFF;
constexpr int kFirstSlotLine = 2;  // HUD lines: two command offers, then the eight slots

struct RingWorld {
  std::unique_ptr<sim::World> world;
  Vessel *ring = nullptr;

  explicit RingWorld(const VECTOR3 &arot = _V(0, 0, 0)) : world(testsupport::makeWorld(0.02)) {
    const sim::CelestialBody &earth = *world->findBody("Earth");
    VECTOR3 vel = _V(0, 0, std::sqrt(earth.mu() / kOrbitRadius));
    ring = &world->createVessel("Ring", "pelo_ring", testsupport::orbiting(earth, _V(kOrbitRadius, 0, 0), vel, arot));
    if (!testsupport::madeFromLinkedCode(*ring))
      throw std::runtime_error("the ring is not made from the linked code");
    world->setFocus(ring);
  }
  Vessel &attachPayload(int slot, const std::string &name) {
    const sim::CelestialBody &earth = *world->findBody("Earth");
    Vessel &p = world->createVessel(name, "pelo_payload", testsupport::orbiting(earth, ring->st.rpos, ring->st.rvel));
    EXPECT_TRUE(sim::attach(*ring, sim::attachmentRecord(*ring, false, slot), p, sim::attachmentRecord(p, true, 0)));
    return p;
  }
  // Delivers a key event with the given keys held; returns the callback's result.
  int key(DWORD code, std::initializer_list<int> held = {}, bool down = true) {
    char kstate[256] = {};
    for (int k : held) kstate[k] = static_cast<char>(0x80);
    if (down) kstate[code] = static_cast<char>(0x80);
    return world->deliverKey(*ring, code, down, kstate);
  }
  void press(DWORD code, int times) {
    for (int i = 0; i < times; i++) key(code);
  }
  double emptyMass() const { return ring->intf->GetEmptyMass(); }
  std::vector<sim::HudText> hud(int W = 1024, int H = 768) { return sim::drawHud(*ring, W, H); }
  std::string slotText(int slot) { return hud()[kFirstSlotLine + slot].text; }
  // The one slot whose line is yellow; -1 if none or several.
  int selectedSlot() {
    std::vector<sim::HudText> lines = hud();
    int found = -1;
    for (int s = 0; s < 8; s++)
      if (lines[kFirstSlotLine + s].colour == kYellow) found = found < 0 ? s : -2;
    return found < 0 ? -1 : found;
  }
};

inline bool attachedTo(const Vessel &child, const Vessel &parent) { return child.st.parentLink.parent == &parent; }

}  // namespace ringtest
