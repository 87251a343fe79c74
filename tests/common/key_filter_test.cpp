// The module frame's command-key filter: key-down only, never with a Shift key held, and with a
// Control key held only where the module allows it.
#include <gtest/gtest.h>

#include "key_filter.h"

namespace {

using frame::ControlKeys;
using frame::isCommandKeyEvent;

struct KeyState {
  char bytes[256] = {};
  explicit KeyState(std::initializer_list<int> held = {}) {
    for (int k : held) bytes[k] = static_cast<char>(0x80);
  }
};

TEST(KeyFilter, CommandKeysNeedKeyDownWithoutShift) {
  for (ControlKeys c : {ControlKeys::Filtered, ControlKeys::Allowed}) {
    EXPECT_TRUE(isCommandKeyEvent(true, KeyState().bytes, c));
    EXPECT_FALSE(isCommandKeyEvent(false, KeyState().bytes, c)) << "a key-up is never a command";
    EXPECT_FALSE(isCommandKeyEvent(true, KeyState({OAPI_KEY_LSHIFT}).bytes, c));
    EXPECT_FALSE(isCommandKeyEvent(true, KeyState({OAPI_KEY_RSHIFT}).bytes, c));
    EXPECT_FALSE(isCommandKeyEvent(true, nullptr, c));
    // Only the high bit means "held"; other keys and low bits do not matter.
    KeyState lowBits;
    lowBits.bytes[OAPI_KEY_LSHIFT] = 0x7f;
    lowBits.bytes[OAPI_KEY_RCONTROL] = 0x01;
    EXPECT_TRUE(isCommandKeyEvent(true, lowBits.bytes, c));
    EXPECT_TRUE(isCommandKeyEvent(true, KeyState({OAPI_KEY_J, OAPI_KEY_LALT}).bytes, c));
  }
}

TEST(KeyFilter, ControlKeysBlockOnlyWhereFiltered) {
  for (int ctrl : {OAPI_KEY_LCONTROL, OAPI_KEY_RCONTROL}) {
    EXPECT_FALSE(isCommandKeyEvent(true, KeyState({ctrl}).bytes, ControlKeys::Filtered)) << ctrl;
    EXPECT_TRUE(isCommandKeyEvent(true, KeyState({ctrl}).bytes, ControlKeys::Allowed)) << ctrl;
    EXPECT_FALSE(isCommandKeyEvent(true, KeyState({ctrl, OAPI_KEY_RSHIFT}).bytes, ControlKeys::Allowed)) << ctrl;
  }
}

}  // namespace
