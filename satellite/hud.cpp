// The satellite's head-up display: two lines, rows 168 and 184 of the shared layout (scaled by
// the display height), after the simulator's own display.
//   "Auto Earth-pointing - On" (yellow) or "Auto Earth-pointing - press V" (green)
//   "Solar Panels/Antennae Deployed" (yellow, once deployment has begun) or
//   "Deploy Solar Panels/Antennae - press G" (green)
// Units: pixels; colours 0x00BBGGRR.
#include "hud_layout.h"
#include "orlis.h"

namespace {

constexpr int kAttitudeRow = 168;
constexpr int kDeploymentRow = 184;

}  // namespace

bool orlis::clbkDrawHUD(int mode, const HUDPAINTSPEC *hps, oapi::Sketchpad *skp) {
  VESSEL3::clbkDrawHUD(mode, hps, skp);
  if (!hps || !skp) return true;
  frame::HudLayout hud(hps);
  if (autoAttitude > 0)
    hud.line(skp, kAttitudeRow, frame::kHudYellow, "Auto Earth-pointing - On");
  else
    hud.line(skp, kAttitudeRow, frame::kHudGreen, "Auto Earth-pointing - press V");
  if (deployState > 0)
    hud.line(skp, kDeploymentRow, frame::kHudYellow, "Solar Panels/Antennae Deployed");
  else
    hud.line(skp, kDeploymentRow, frame::kHudGreen, "Deploy Solar Panels/Antennae - press G");
  return true;
}
