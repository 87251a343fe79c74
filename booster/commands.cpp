// The booster's commands: keys, the module codes 2300 (set the target name) and 2301 (resolve it
// and start the automatic recovery), the target input box and the camera direction.
//
// Codes are taken before any filtering; a key acts only on a key-down event with neither Shift
// nor Control held. Every key the booster knows is consumed, also when it changes nothing.
// Keys V, N and M switch the flyback, reentry-attitude and descent autopilots, each on from 0
// (and the other two off) and off from any positive value; the descent's only from 1. Key U
// switches the descent autopilot between its own landing law and the precision law, at any time.
#include <climits>
#include <cstdio>
#include <cstring>

#include "booster/guidance/target.h"
#include "booster/larkon.h"
#include "key_filter.h"

namespace {

constexpr DWORD kCodeSetTarget = 2300;
constexpr DWORD kCodeStartRecovery = 2301;

// Copies at most 255 characters of src into the target name.
void setTargetName(const char *src) {
  size_t n = strnlen(src, sizeof targetName - 1);
  std::memmove(targetName, src, n);  // src may be the name itself
  targetName[n] = '\0';
}

// The touchdown points while the legs swing out (the simulator's three-point form).
const VECTOR3 kDeployingPoints[3] = {{{0, -5, -24}}, {{-5, 3, -24}}, {{5, 3, -24}}};

}  // namespace

int larkon::clbkConsumeBufferedKey(frame::KeyCode key, bool down, char *kstate) {
  if (key == kCodeSetTarget) {
    if (kstate) setTargetName(kstate);
    return 1;
  }
  if (key == kCodeStartRecovery) {
    flybackTarget = resolveTarget(GetGravityRef());
    autoSequence = flybackTarget ? kSequenceSettle : kSequenceOff;
    return 1;
  }
  if (!frame::isCommandKeyEvent(down, kstate, frame::ControlKeys::Filtered)) return 0;
  return runCommandKey(key);
}

int larkon::runCommandKey(frame::KeyCode key) {
  switch (key) {
    case OAPI_KEY_E:
      if (cameraBackward == 0 || cameraBackward == 1) cameraBackward = 1 - cameraBackward;
      applyCameraDirection();
      return 1;
    case OAPI_KEY_P:
      if (engineMode >= 0 && engineMode < kEngineModeCount)
        engineMode = (engineMode + 1) % kEngineModeCount;
      applyEngineMode();
      return 1;
    case OAPI_KEY_G:
      if (legsState == kLegsStowed) {
        SetTouchdownPoints(kDeployingPoints[0], kDeployingPoints[1], kDeployingPoints[2]);
        legsState = kLegsDeploying;
      }
      return 1;
    case OAPI_KEY_J:
      finsState = (finsState == kFinsUnfolding || finsState == kFinsDeployed) ? kFinsFolding
                                                                              : kFinsUnfolding;
      return 1;
    case OAPI_KEY_K:
      targetGravRef = GetGravityRef();
      oapiOpenInputBox(const_cast<frame::InputBoxTitle>("Enter Flyback Target Name"),
                       onTargetNameEntered, nullptr, 50, this);
      return 1;
    case OAPI_KEY_V:
      toggleAutopilot(apFlyback, INT_MAX);
      return 1;
    case OAPI_KEY_N:
      toggleAutopilot(apReentryAttitude, INT_MAX);
      return 1;
    case OAPI_KEY_M:
      toggleAutopilot(apDescent, 1);
      return 1;
    case OAPI_KEY_U:
      landingLaw = landingLaw == kLawPrecision ? kLawSpecified : kLawPrecision;
      return 1;
    case OAPI_KEY_B:
      toggleAutomaticSequence();
      return 1;
    default:
      return 0;
  }
}

// Key B: the automatic recovery on (from off) or off, once the landing target is found.
void larkon::toggleAutomaticSequence() {
  landingTarget = resolveTarget(GetSurfaceRef());
  if (landingTarget) {
    apDescent = apReentryAttitude = apFlyback = 0;
    autoSequence = autoSequence == kSequenceOff ? kSequenceSettle : kSequenceOff;
    killAttitudeThrust();
  } else {
    autoSequence = kSequenceOff;
  }
}

// The three autopilots exclude one another: one switched on from 0 switches the other two off;
// a value from 1 to lastOn switches it off; any other value (a negative one from a scenario) is
// left alone. Every change silences the attitude groups.
void larkon::toggleAutopilot(int &pilot, int lastOn) {
  if (pilot == 0) {
    apFlyback = apReentryAttitude = apDescent = 0;
    pilot = 1;
  } else if (pilot > 0 && pilot <= lastOn) {
    pilot = 0;
  } else {
    return;
  }
  killAttitudeThrust();
}

bool larkon::onTargetNameEntered(void *, frame::InputBoxString str, void *) {
  char word[256] = {};
  if (!str || std::sscanf(str, "%255s", word) != 1) return false;
  if (!booster::findTarget(word, targetGravRef)) return false;
  setTargetName(word);
  return true;
}

void larkon::applyCameraDirection() {
  SetCameraDefaultDirection(cameraBackward == 1 ? _V(0, 0, -1) : _V(0, 0, 1), 0.0);
  oapiCameraAttach(GetHandle(), 2);  // keep the camera mode: the new direction takes effect now
}

bool larkon::clbkLoadGenericCockpit() {
  applyCameraDirection();
  return true;
}
