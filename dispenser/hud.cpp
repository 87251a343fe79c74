// The ring's head-up display: the two command offers and the eight slots with their payloads.
//
// Layout (the modules' shared rule, frame::HudLayout): scale k = H x 0.00130208; on a wide display
// (H / W < 0.7284) the block moves right by 10 x ((16 W) div 1024) pixels and up by trunc(88 k).
// Rows, each at x0 + 10 and y0 + trunc(row k):
//   168  "J = Jettison Payload"        green
//   184  "N = Select Next Payload"     green
//   200 + 16 s, s = 0..7: "Payload <s+1> = <name>" or "... = none"; yellow for the selected slot,
//                         green otherwise
#include <cstdio>

#include "hud_layout.h"
#include "pelo_ring.h"

namespace {

constexpr int kJettisonRow = 168;
constexpr int kSelectRow = 184;
constexpr int kFirstSlotRow = 200;
constexpr int kRowSpacing = 16;
constexpr int kNameBuffer = 50;  // [characters] of a payload's name, terminator included

}  // namespace

bool pelo_ring::clbkDrawHUD(int mode, const HUDPAINTSPEC *hps, oapi::Sketchpad *skp) {
  VESSEL3::clbkDrawHUD(mode, hps, skp);
  frame::HudLayout layout(hps);
  layout.line(skp, kJettisonRow, frame::kHudGreen, "J = Jettison Payload");
  layout.line(skp, kSelectRow, frame::kHudGreen, "N = Select Next Payload");
  for (int slot = 0; slot < kSlotCount; slot++) {
    char name[kNameBuffer] = "none";
    if (OBJHANDLE payload = GetAttachmentStatus(attachPoint[slot])) {
      oapiGetObjectName(payload, name, kNameBuffer);
      name[kNameBuffer - 1] = '\0';  // the copy leaves a name of 50 or more characters unterminated
    }
    char text[kNameBuffer + 16];
    std::snprintf(text, sizeof text, "Payload %d = %s", slot + 1, name);
    DWORD colour = slot == selectedSlot ? frame::kHudYellow : frame::kHudGreen;
    layout.line(skp, kFirstSlotRow + kRowSpacing * slot, colour, text);
  }
  return true;
}
