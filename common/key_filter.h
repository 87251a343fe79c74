// The buffered-key convention of the three modules: a command key acts only on a key-down event
// while neither Shift key is held (left 42, right 54) and, where the module says so, neither
// Control key (left 29, right 157). Module codes are tested before this filter.
#pragma once

#include "Orbitersdk.h"

namespace frame {

enum class ControlKeys { Filtered, Allowed };

inline bool isCommandKeyEvent(bool down, const char *kstate, ControlKeys control) {
  if (!down || !kstate) return false;
  if (KEYMOD_SHIFT(kstate)) return false;
  if (control == ControlKeys::Filtered && KEYMOD_CONTROL(kstate)) return false;
  return true;
}

}  // namespace frame
