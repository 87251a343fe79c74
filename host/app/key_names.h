// Key names for --key: the simulator's key constants in lower case without their prefix
// (OAPI_KEY_NUMPAD8 -> "numpad8", OAPI_KEY_ADD -> "add", the plus key of the numeric keypad).
#pragma once

#include <string>

#include "OrbiterAPI.h"

namespace sim {

bool keyByName(const std::string &name, DWORD &code);  // case-insensitive; false if unknown

}  // namespace sim
