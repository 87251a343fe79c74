// The booster's scenario state and its repair after creation.
//
// Lines, after the simulator's own: "LEGS %d %0.4f %0.4f %0.4f" (legsState, legsAnimState),
// "FINS ..." (finsState, finsAnimState), "APST %d %d %d %d %d" (engineMode, apDescent, apFlyback,
// apReentryAttitude, autoSequence), "LPRM %s" (targetName, its first blank written as '+', and
// cut at a line break, which a name sent by code 2300 may hold: the rest would be read back as
// lines of their own), and "LANDLAW %d" (landingLaw), written only for the precision law: a
// scenario without it flies the descent autopilot's own law.
// A value that cannot be read, or is not finite, leaves the member as it was; an animation state
// is kept within [0, 1], the range the animations are defined over. An engine mode outside 0..2
// (it indexes the main thrusters) is taken as 0, nine engines; an autopilot flag or a sequence
// stage outside its range (0..1 descent and reentry hold, 0..2 flyback, 0..4 sequence) as 0, off,
// and a landing law outside 0..1 as 0, the descent autopilot's own,
// so that the modes the booster flies and saves are always ones it knows.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "booster/larkon.h"
#include "scenario_lines.h"

extern const TOUCHDOWNVTX kDeployedPoints[4];

namespace {

// Reads "%d%lf%lf%lf" into an integer and three animation states; each only if read and finite,
// and brought within [0, 1] (a fin state far outside it made the fins' forces non-finite).
void readStateLine(const char *text, int &state, double values[3]) {
  int s;
  double v[3];
  int n = std::sscanf(text, "%d%lf%lf%lf", &s, &v[0], &v[1], &v[2]);
  if (n >= 1) state = s;
  for (int i = 0; i + 1 < n; i++)
    if (std::isfinite(v[i])) values[i] = std::clamp(v[i], 0.0, 1.0);
}

// v if it lies in 0..last, else 0.
int withinModes(int v, int last) { return v >= 0 && v <= last ? v : 0; }

}  // namespace

void larkon::clbkSaveState(FILEHANDLE scn) {
  VESSEL2::clbkSaveState(scn);
  frame::writeLine(scn, "LEGS", "%d %0.4f %0.4f %0.4f", legsState, legsAnimState[0], legsAnimState[1],
                   legsAnimState[2]);
  frame::writeLine(scn, "FINS", "%d %0.4f %0.4f %0.4f", finsState, finsAnimState[0], finsAnimState[1],
                   finsAnimState[2]);
  frame::writeLine(scn, "APST", "%d %d %d %d %d", engineMode, apDescent, apFlyback, apReentryAttitude, autoSequence);
  char name[256];
  std::snprintf(name, sizeof name, "%s", targetName);
  name[std::strcspn(name, "\r\n")] = '\0';
  if (char *blank = std::strchr(name, ' ')) *blank = '+';
  frame::writeLine(scn, "LPRM", "%s", name);
  if (landingLaw == kLawPrecision) frame::writeLine(scn, "LANDLAW", "%d", landingLaw);
}

void larkon::clbkLoadStateEx(FILEHANDLE scn, void *status) {
  char *line;
  const char *rest;
  while (oapiReadScenario_nextline(scn, line)) {
    if (frame::matchKeyword(line, "LEGS", rest)) {
      readStateLine(rest, legsState, legsAnimState);
    } else if (frame::matchKeyword(line, "FINS", rest)) {
      readStateLine(rest, finsState, finsAnimState);
    } else if (frame::matchKeyword(line, "APST", rest)) {
      std::sscanf(rest, "%d%d%d%d%d", &engineMode, &apDescent, &apFlyback, &apReentryAttitude, &autoSequence);
    } else if (frame::matchKeyword(line, "LPRM", rest)) {
      char name[256];
      if (std::sscanf(rest, "%255s", name) == 1) std::strcpy(targetName, name);
    } else if (frame::matchKeyword(line, "LANDLAW", rest)) {
      std::sscanf(rest, "%d", &landingLaw);
    } else {
      ParseScenarioLineEx(line, status);
    }
  }
  engineMode = withinModes(engineMode, kEngineCentre);
  apDescent = withinModes(apDescent, 1);
  apFlyback = withinModes(apFlyback, kFlybackTransferOnly);
  apReentryAttitude = withinModes(apReentryAttitude, 1);
  autoSequence = withinModes(autoSequence, kSequenceDescent);
  landingLaw = withinModes(landingLaw, kLawPrecision);
  SetAnimation(animLegs, legsAnimState[0]);
  SetAnimation(animLegStruts, legsAnimState[1]);
  SetAnimation(animLegExtend, legsAnimState[2]);
  SetAnimation(animFinsDeploy, finsAnimState[0]);
  SetAnimation(animFinsDeflectA, finsAnimState[1]);
  SetAnimation(animFinsDeflectB, finsAnimState[2]);
  if (char *plus = std::strchr(targetName, '+')) *plus = ' ';
}

void larkon::clbkPostCreation() {
  targetGravRef = GetGravityRef();
  if (!resolveTarget(targetGravRef)) {
    apFlyback = kFlybackOff;
    std::strcpy(targetName, "NULL");
    autoSequence = kSequenceOff;
  }
  if (finsState == kFinsDeployed) createFinSurfaces();
  if (engineMode > kEnginesNine) applyEngineMode();
  if (legsState == kLegsDeployed) SetTouchdownPoints(kDeployedPoints, 4);
}
