// The ring's operations: the mass rule, the keys, the release of a payload and the "NPLS" state
// line.
//
// Mass rule, every step: empty mass = 150 kg + the total mass of every payload still attached,
// since the simulator leaves attached vessels out of a parent's mass. A released payload's mass
// therefore leaves the ring in the first step after the release.
// Release: the simulator gives the payload the ring's velocity at the port plus 0.3 m/s along the
// port's outward axis; the ring gets no reaction.
// Keys (key-down only, neither Shift nor Control held): J releases the selected payload and
// selects the next slot, N selects the next slot; both wrap from slot 7 to slot 0.
// State line: "NPLS <slot>", the selected slot 0..7.
#include <cstdlib>

#include "key_filter.h"
#include "pelo_ring.h"
#include "scenario_lines.h"

void pelo_ring::clbkPreStep(double, double, double) {
  double payloadMass = 0.0;  // [kg]
  for (int slot = 0; slot < kSlotCount; slot++)
    if (OBJHANDLE payload = GetAttachmentStatus(attachPoint[slot])) payloadMass += oapiGetMass(payload);
  SetEmptyMass(kRingMass + payloadMass);
}

void pelo_ring::clbkPostStep(double, double, double) {}

int pelo_ring::clbkConsumeBufferedKey(frame::KeyCode key, bool down, char *kstate) {
  if (!frame::isCommandKeyEvent(down, kstate, frame::ControlKeys::Filtered)) return 0;
  switch (key) {
    case OAPI_KEY_J:
      jettisonSelected();
      return 1;
    case OAPI_KEY_N:
      selectNextSlot();
      return 1;
    default:
      return 0;
  }
}

void pelo_ring::jettisonSelected() {
  DetachChild(attachPoint[selectedSlot], kSeparationSpeed);  // false for an empty slot: nothing to release
  selectNextSlot();
}

void pelo_ring::selectNextSlot() { selectedSlot = (selectedSlot + 1) % kSlotCount; }

void pelo_ring::clbkSaveState(FILEHANDLE scn) {
  VESSEL2::clbkSaveState(scn);
  frame::writeLine(scn, "NPLS", "%d", selectedSlot);
}

// A slot number from a scenario outside 0..7 is clamped to the nearest end: a number past the
// last slot selects "PL8", a negative one "PL1". A user who types the slot's position in the
// display list ("NPLS 8" for the eighth row) thus gets that row, and no number can make a
// release address a port the ring does not have.
int pelo_ring::slotInRange(long slot) {
  if (slot < 0) return 0;
  if (slot >= kSlotCount) return kSlotCount - 1;
  return static_cast<int>(slot);
}

void pelo_ring::clbkLoadStateEx(FILEHANDLE scn, void *status) {
  char *line;
  while (oapiReadScenario_nextline(scn, line)) {
    const char *rest;
    if (frame::matchKeyword(line, "NPLS", rest)) {
      // strtol rather than a scan: a number too long for an int saturates instead of being
      // undefined. Text without a number leaves the selection as it was.
      char *end;
      long slot = std::strtol(rest, &end, 10);
      if (end != rest) selectedSlot = slotInRange(slot);
    } else {
      ParseScenarioLineEx(line, status);
    }
  }
}
