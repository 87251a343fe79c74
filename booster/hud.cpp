// The booster's head-up display: after the simulator's own, a block of text with the remaining
// velocity change, the RCS propellant, the target and one line per command and its state.
//
// Remaining velocity change (the rocket equation with the single-engine Isp, the RCS propellant
// counted in the final mass): dV = Isp ln((m_empty + m_rcs + m_main) / (m_empty + m_rcs)).
// Layout: common/hud_layout.h (rows 168 to 344 in steps of 16). A target name too long for its
// line is cut to fit the 256-character line buffer, ending in "...".
#include <cmath>
#include <cstdio>
#include <cstring>

#include "booster/guidance/prediction.h"
#include "booster/larkon.h"
#include "hud_layout.h"

namespace {

using frame::kHudGreen;
using frame::kHudLightRed;
using frame::kHudOrange;
using frame::kHudWhite;
using frame::kHudYellow;

}  // namespace

bool larkon::clbkDrawHUD(int mode, const HUDPAINTSPEC *hps, oapi::Sketchpad *skp) {
  VESSEL3::clbkDrawHUD(mode, hps, skp);
  frame::HudLayout hud(hps);
  char line[256];
  double rcs = GetPropellantMass(phRcs), main = GetPropellantMass(phMain), empty = GetEmptyMass();
  double dv = GetThrusterIsp(thMain[2]) * std::log((empty + rcs + main) / (empty + rcs));
  std::snprintf(line, sizeof line, "Remaining dV %0.1fm/s : RCS Prop. %0.1fkg", dv, rcs);
  hud.line(skp, 168, kHudWhite, line);
  // A name longer than the rest of the line is cut, marked by a trailing "...".
  const char *prefix = "K = Set Flyback Target: ";
  int room = static_cast<int>(sizeof line) - 1 - static_cast<int>(std::strlen(prefix));
  if (static_cast<int>(std::strlen(targetName)) <= room)
    std::snprintf(line, sizeof line, "%s%.*s", prefix, room, targetName);
  else
    std::snprintf(line, sizeof line, "%s%.*s...", prefix, room - 3, targetName);
  hud.line(skp, 184, kHudWhite, line);
  if (autoSequence == kSequenceOff)
    hud.line(skp, 200, kHudGreen, "B = Enable Auto Flyback-EDL");
  else
    hud.line(skp, 200, kHudOrange, "B = Auto Flyback-EDL Active");
  if (GetAltitude() < booster::kReentryWindowTop && autoSequence == kSequenceReentry) {
    if (reentryBurnShown == 0 && apReentryAttitude == 0) {
      hud.line(skp, 216, kHudYellow, "Auto Reentry Burn Enabled");
    } else if (reentryBurnShown == 1) {
      hud.line(skp, 216, kHudLightRed, "Auto Reentry Burn Active");
      reentryBurnShown = 0;
    }
  }
  if (apFlyback == kFlybackOff) {
    hud.line(skp, 232, kHudGreen, "V = Start Flyback Autopilot");
  } else {
    std::snprintf(line, sizeof line, "V = Flyback Autopilot Active : Required dV %0.1f m/s", requiredDv);
    hud.line(skp, 232, kHudYellow, line);
  }
  if (apReentryAttitude == 1) hud.line(skp, 248, kHudYellow, "N = Reentry Attitude Active");
  if (apReentryAttitude == 0) hud.line(skp, 248, kHudGreen, "N = Goto Reentry Attitude");
  if (apDescent == 1) hud.line(skp, 264, kHudYellow, "M = Descent Autopilot Active");
  if (apDescent == 0) hud.line(skp, 264, kHudGreen, "M = Descent Autopilot from 15km alt");
  if (engineMode == kEnginesNine) hud.line(skp, 280, kHudGreen, "P = Engine Selection : 9");
  if (engineMode == kEnginesThree) hud.line(skp, 280, kHudYellow, "P = Engine Selection : 3");
  if (engineMode == kEngineCentre) hud.line(skp, 280, kHudLightRed, "P = Engine Selection : 1");
  if (finsState == kFinsStowed || finsState == kFinsFolding)
    hud.line(skp, 296, kHudGreen, "J = Deploy Grid Fins");
  if (finsState == kFinsUnfolding || finsState == kFinsDeployed)
    hud.line(skp, 296, kHudGreen, "J = Stow Grid Fins");
  if (legsState == kLegsStowed) hud.line(skp, 312, kHudGreen, "G = Deploy Landing Gear");
  hud.line(skp, 328, kHudGreen, "E = Set View +Z/-Z");
  if (landingLaw == kLawPrecision)
    hud.line(skp, 344, kHudYellow, "U = Precision Landing Law Active");
  else
    hud.line(skp, 344, kHudGreen, "U = Precision Landing Law");
  return true;
}
