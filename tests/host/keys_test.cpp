// Buffered keys and module codes: delivered to the focus vessel at the start of the first step at
// or after their time, in time order, with the held modifiers in the 256-byte keyboard state;
// codes carry their text there instead, whatever modifiers the event names.
#include <gtest/gtest.h>

#include "host_test_util.h"

namespace {

using namespace testsupport;
using hosttest::RecorderLog;

class Keys : public ::testing::Test {
 protected:
  void SetUp() override {
    hosttest::addTestClasses(root);
    w = makeWorld(0.1, root.path());
    log = std::make_unique<RecorderLog>(*w);
    sim::CelestialBody &earth = *w->findBody("Earth");
    focus = &w->createVessel("F", "recorder", orbiting(earth, _V(6.8e6, 0, 0), _V(0, 0, 7650)));
    other = &w->createVessel("O", "recorder", orbiting(earth, _V(6.9e6, 0, 0), _V(0, 0, 7600)));
    w->setFocus(focus);
  }
  // The key records of the log, without the step callbacks.
  std::string keys() {
    std::string all = log->text(), out;
    for (size_t p = all.find("key("); p != std::string::npos; p = all.find("key(", p + 1))
      out += all.substr(p, all.find(';', p) - p + 1);
    return out;
  }
  static sim::KeyEvent key(double t, DWORD k, bool down = true, std::vector<DWORD> mods = {}) {
    sim::KeyEvent e;
    e.time = t, e.key = k, e.down = down, e.modifiers = std::move(mods);
    return e;
  }

  TempDataRoot root;
  std::unique_ptr<sim::World> w;
  std::unique_ptr<RecorderLog> log;
  Vessel *focus = nullptr, *other = nullptr;
};

TEST_F(Keys, ModifiersAndKeyUpReachTheFocusVessel) {
  log->clear();
  w->queueKey(key(0, OAPI_KEY_J, true, {OAPI_KEY_LCONTROL}));
  w->queueKey(key(0, OAPI_KEY_G, true, {OAPI_KEY_RSHIFT}));
  w->queueKey(key(0, OAPI_KEY_K, true, {OAPI_KEY_RCONTROL, OAPI_KEY_LSHIFT}));
  w->queueKey(key(0, OAPI_KEY_G, false));
  w->queueKey(key(0, OAPI_KEY_B));
  w->step();
  // Five records: the other vessel received none.
  EXPECT_EQ(keys(), "key(36,down+ctrl);key(34,down+shift);key(37,down+shift+ctrl);key(34,up);key(48,down);");
}

TEST_F(Keys, EventsArriveInTimeOrderAtTheFirstStepAtOrAfterTheirTime) {
  log->clear();
  w->queueKey(key(0.15, OAPI_KEY_J));
  w->queueKey(key(0.0, OAPI_KEY_G));
  w->queueKey(key(0.15, OAPI_KEY_K));  // same time as J: kept after it
  w->queueKey(key(0.1, OAPI_KEY_E));   // exactly at the start of the second step
  w->step();                           // t0 = 0
  EXPECT_EQ(keys(), "key(34,down);");
  w->step();  // t0 = 0.1
  EXPECT_EQ(keys(), "key(34,down);key(18,down);");
  w->step();  // t0 = 0.2: J and K (0.15) are due
  EXPECT_EQ(keys(), "key(34,down);key(18,down);key(36,down);key(37,down);");
}

TEST_F(Keys, CodesCarryTheirTextInsteadOfModifiers) {
  log->clear();
  sim::KeyEvent code;
  code.isCode = true;
  code.key = 2300;
  code.text = "Kestrel Point";
  code.modifiers = {OAPI_KEY_LSHIFT, OAPI_KEY_LCONTROL};  // ignored for a code
  w->queueKey(code);
  // A text reaching byte 42 (the left Shift entry) shows that the text fills the state array.
  sim::KeyEvent longCode = code;
  longCode.key = 2301;
  longCode.text = std::string(OAPI_KEY_LSHIFT, 'x') + "\x80 tail";
  w->queueKey(longCode);
  w->step();
  EXPECT_EQ(keys(), "key(2300,down);key(2301,down+shift);");
}

TEST_F(Keys, KeysWithoutFocusOrConsumerAreNotedNotLost) {
  log->clear();
  w->setFocus(nullptr);
  w->queueKey(key(0, OAPI_KEY_J));
  w->step();
  EXPECT_EQ(keys(), "");
  EXPECT_TRUE(w->diagnostics().contains("no focus vessel"));

  // The recorder leaves A to the simulator: noted as not consumed.
  w->setFocus(other);
  w->queueKey(key(0.1, OAPI_KEY_A));
  w->step();
  EXPECT_EQ(keys(), "key(30,down);");
  EXPECT_TRUE(w->diagnostics().contains("O: key 30 not consumed"));

  // The focus is dropped when its vessel is deleted; later keys reach no one.
  w->deleteVessel(*other);
  EXPECT_EQ(w->focus(), nullptr);
  w->queueKey(key(0.2, OAPI_KEY_J));
  EXPECT_NO_THROW(w->step());
}

}  // namespace
