// The booster's commands: keys, the module codes 2300 (set the target name) and 2301 (resolve it
// and start the automatic recovery), the target input box and the camera direction.
//
// Codes are taken before any filtering; a key acts only on a key-down event with neither Shift
// nor Control held. Every key the booster knows is consumed, also when it changes nothing.
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
    autoSequence = flybackTarget ? 1 : 0;
    return 1;
  }
  if (!frame::isCommandKeyEvent(down, kstate, frame::ControlKeys::Filtered)) return 0;
  switch (key) {
    case OAPI_KEY_E:
      if (cameraBackward == 0)
        cameraBackward = 1;
      else if (cameraBackward == 1)
        cameraBackward = 0;
      applyCameraDirection();
      return 1;
    case OAPI_KEY_P:
      if (engineMode >= 0 && engineMode <= 2) engineMode = (engineMode + 1) % 3;
      applyEngineMode();
      return 1;
    case OAPI_KEY_G:
      if (legsState == 0) {
        SetTouchdownPoints(kDeployingPoints[0], kDeployingPoints[1], kDeployingPoints[2]);
        legsState = 1;
      }
      return 1;
    case OAPI_KEY_J:
      finsState = (finsState == 1 || finsState == 2) ? 3 : 1;
      return 1;
    case OAPI_KEY_K:
      targetGravRef = GetGravityRef();
      oapiOpenInputBox(const_cast<frame::InputBoxTitle>("Enter Flyback Target Name"), onTargetNameEntered, nullptr, 50, this);
      return 1;
    case OAPI_KEY_V:
      if (apFlyback == 0) {
        apFlyback = 1, apReentryAttitude = 0, apDescent = 0;
        killAttitudeThrust();
      } else if (apFlyback > 0) {
        apFlyback = 0;
        killAttitudeThrust();
      }
      return 1;
    case OAPI_KEY_N:
      if (apReentryAttitude == 0) {
        apReentryAttitude = 1, apDescent = 0, apFlyback = 0;
        killAttitudeThrust();
      } else if (apReentryAttitude > 0) {
        apReentryAttitude = 0;
        killAttitudeThrust();
      }
      return 1;
    case OAPI_KEY_M:
      if (apDescent == 0) {
        apDescent = 1, apReentryAttitude = 0, apFlyback = 0;
        killAttitudeThrust();
      } else if (apDescent == 1) {
        apDescent = 0;
        killAttitudeThrust();
      }
      return 1;
    case OAPI_KEY_B:
      landingTarget = resolveTarget(GetSurfaceRef());
      if (landingTarget) {
        apDescent = apReentryAttitude = apFlyback = 0;
        autoSequence = autoSequence == 0 ? 1 : 0;
        killAttitudeThrust();
      } else {
        autoSequence = 0;
      }
      return 1;
    default:
      return 0;
  }
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
