// The satellite's scenario lines, its first look at the world after creation, and its keys.
//
//   SUNLOCK n        sunLock (shared by the class)
//   AUTOATT n        autoAttitude (shared: loading it sets the mode of every satellite)
//   SPR n s          panelRotationFlag, sunTrackState
//   SOLP n s         deployStatus, deployState
// Written in this order after the simulator's own lines, reals with four decimals; read in any
// order, keywords matched case-insensitively over their own length, other lines handed to the
// simulator's parser. A value that cannot be read leaves its member as it was, and so does one
// that is not finite or does not fit an int. A loaded deployment state is kept within [0, 1] and
// a sun-tracking state more than a turn outside [0, 1] is brought back into it, so that neither
// the deployment nor the tracking can get stuck on a corrupted line.
// A satellite created while the simulation runs with an empty tank (< 0.01 kg) gets 145 kg; one
// that exists from the start keeps what its scenario gave it.
// Keys act on a key-down event while neither Shift key is held; the Control keys do not matter.
//   G  stowed or stowing: start deploying; deploying or deployed: nothing. Always consumed.
//   V  automatic Earth-pointing on if it was off (autoAttitude < 1), else off. Consumed.
// Units: kg, s; states in turns (0..1).
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "key_filter.h"
#include "orlis.h"
#include "scenario_lines.h"

namespace {

constexpr double kEmptyTank = 0.01;     // [kg]
constexpr double kRefillMass = 145;     // [kg]
constexpr double kStartTime = 0.1;      // [s] later than this counts as created during the run

// Reads a decimal integer at text (leading blanks skipped, as scanf's %d); advances text.
bool readInt(const char *&text, int &out) {
  char *end;
  errno = 0;
  long value = std::strtol(text, &end, 10);
  if (end == text || errno == ERANGE || value < INT_MIN || value > INT_MAX) return false;
  out = static_cast<int>(value);
  text = end;
  return true;
}

// Reads a finite real at text (as scanf's %lf); advances text.
bool readReal(const char *&text, double &out) {
  char *end;
  double value = std::strtod(text, &end);
  if (end == text || !std::isfinite(value)) return false;
  out = value;
  text = end;
  return true;
}

// "%d%lf": the integer, then the real; stops at the first value it cannot read.
void readIntAndReal(const char *text, int &i, double &r) {
  if (readInt(text, i)) readReal(text, r);
}

}  // namespace

void orlis::clbkSaveState(FILEHANDLE scn) {
  VESSEL2::clbkSaveState(scn);
  char sunLockKey[] = "SUNLOCK", autoAttitudeKey[] = "AUTOATT";
  oapiWriteScenario_int(scn, sunLockKey, sunLock);
  oapiWriteScenario_int(scn, autoAttitudeKey, autoAttitude);
  frame::writeLine(scn, "SPR", "%d %0.4f", panelRotationFlag, sunTrackState);
  frame::writeLine(scn, "SOLP", "%d %0.4f", deployStatus, deployState);
}

void orlis::clbkLoadStateEx(FILEHANDLE scn, void *status) {
  char *line;
  const char *rest;
  while (oapiReadScenario_nextline(scn, line)) {
    if (frame::matchKeyword(line, "SUNLOCK", rest))
      readInt(rest, sunLock);
    else if (frame::matchKeyword(line, "AUTOATT", rest))
      readInt(rest, autoAttitude);
    else if (frame::matchKeyword(line, "SPR", rest))
      readIntAndReal(rest, panelRotationFlag, sunTrackState);
    else if (frame::matchKeyword(line, "SOLP", rest))
      readIntAndReal(rest, deployStatus, deployState);
    else
      ParseScenarioLineEx(line, status);
  }
  deployState = std::fmin(std::fmax(deployState, 0.0), 1.0);
  if (sunTrackState < -1 || sunTrackState > 2) sunTrackState -= std::floor(sunTrackState);
  SetAnimation(animSunTrack, sunTrackState);
  SetAnimation(animDeploy, deployState);
}

void orlis::clbkPostCreation() {
  if (GetPropellantMass(phRcs) < kEmptyTank && oapiGetSimTime() > kStartTime) SetPropellantMass(phRcs, kRefillMass);
}

int orlis::clbkConsumeBufferedKey(frame::KeyCode key, bool down, char *kstate) {
  if (!frame::isCommandKeyEvent(down, kstate, frame::ControlKeys::Allowed)) return 0;
  switch (key) {
    case OAPI_KEY_G:
      if (deployStatus == kStowed || deployStatus == kStowing) deployStatus = kDeploying;
      return 1;
    case OAPI_KEY_V:
      autoAttitude = autoAttitude < 1 ? 1 : 0;
      return 1;
    default:
      return 0;
  }
}
