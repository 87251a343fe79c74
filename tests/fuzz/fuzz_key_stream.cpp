// Fuzzes the modules' key and code handling, and the core controls, while the world steps. The
// input picks a vessel class and a step length, and is then read as a stream of commands for the
// focus vessel of that class's scenario, delivered the way simhost delivers --key, --code,
// --input, --control and --navmode:
//
//   byte 0          vessel class: larkon (Booster recovery), orlis (Satellite deploy),
//                   pelo_ring (Dispenser deploy), the example add-on wren ("Wren hop", or
//                   "Wren orbit" when (byte 0 / the number of classes) is odd), modulo the number
//                   of classes
//   byte 1          step length 0.001 s * 1000^(b / 255), i.e. 0.001 to 1 s
//   then commands, each an op byte b and its operands, by b % 8:
//     0, 1   a buffered key: operand key scan code; bits 3-6 of b hold left Shift, right Shift,
//            left Control, right Control; bit 7 makes it a key-up (keys the vessel declines reach
//            the simulator's core bindings: throttles, attitude keys, navigation modes)
//     2      a module code: operand c; c < 128: 2300 with a text (length byte, then the bytes),
//            c < 192: 2301, else 2300 + (c - 192), without text
//     3      an input-box answer: length byte, then the bytes
//     4-6    1 + (b >> 3) steps
//     7      a scripted control: operands g and l; g % 22 < 15: thruster group g % 22 to level
//            l / 255; else navigation mode g % 22 - 14 on (l even) or off (l odd)
// Keys, codes and controls are delivered at the start of the next step. After every step no
// vessel state may be non-finite, no module may have handed the host a non-finite value and no
// query of the interface probe may answer one; at the end the head-up display is drawn, and the
// scenario the world saves must load again.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "io/hud.h"
#include "world/errors.h"

using namespace fuzzsupport;

namespace {

constexpr int kMaxSteps = 300;  // per input, to keep an execution short

// The classes in input order: the build's vessel modules, then the example add-on.
const std::vector<std::string> &classes() {
  static const std::vector<std::string> all = [] {
    std::vector<std::string> c = vesselClasses();
    c.push_back(exampleClass());
    return c;
  }();
  return all;
}

std::filesystem::path scenarioOf(const std::string &cls, bool second) {
  if (cls == exampleClass()) return exampleDir() / "Scenarios" / (second ? "Wren orbit.scn" : "Wren hop.scn");
  const char *name = cls == "larkon"  ? "Booster recovery.scn"
                     : cls == "orlis" ? "Satellite deploy.scn"
                                      : "Dispenser deploy.scn";
  return dataRoot() / "Scenarios" / name;
}

class Stream {
 public:
  Stream(const uint8_t *data, size_t size) : data_(data), size_(size) {}
  bool empty() const { return pos_ >= size_; }
  uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::string text() {
    size_t n = byte();
    n = std::min(n, size_ - pos_);
    std::string s(reinterpret_cast<const char *>(data_ + pos_), n);
    pos_ += n;
    return s;
  }

 private:
  const uint8_t *data_;
  size_t size_;
  size_t pos_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  pinModules();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 2) return 0;
  Stream in(data, size);
  uint8_t pick = in.byte();
  const std::string &cls = classes()[pick % classes().size()];
  bool secondScenario = (pick / classes().size()) % 2 == 1;
  double dt = 0.001 * std::pow(1000.0, in.byte() / 255.0);

  auto w = makeWorld(dt);
  std::filesystem::path file = scenarioOf(cls, secondScenario);
  if (std::string error = loadLikeSimhost(*w, file); !error.empty()) fail("the bundled scenario does not load: " + error);
  Vessel *focus = w->focus();
  if (!focus || focus->className() != cls) fail(file.string() + ": the focus vessel is not a " + cls);

  int steps = 0;
  bool flying = true;  // until a state grows too large to measure
  auto step = [&](int n) {
    for (int i = 0; i < n && steps < kMaxSteps && flying; i++, steps++) flying = stepAndCheck(*w);
  };
  while (!in.empty() && steps < kMaxSteps && flying) {
    uint8_t op = in.byte();
    switch (op % 8) {
      case 0:
      case 1: {
        sim::KeyEvent e;
        e.time = w->simTime();
        e.key = in.byte();
        e.down = !(op & 0x80);
        const DWORD modifiers[4] = {OAPI_KEY_LSHIFT, OAPI_KEY_RSHIFT, OAPI_KEY_LCONTROL, OAPI_KEY_RCONTROL};
        for (int m = 0; m < 4; m++)
          if (op & (0x08 << m)) e.modifiers.push_back(modifiers[m]);
        w->queueKey(e);
        break;
      }
      case 2: {
        sim::KeyEvent e;
        e.time = w->simTime();
        e.isCode = true;
        uint8_t c = in.byte();
        if (c < 128) {
          e.key = 2300;
          e.text = in.text();
        } else {
          e.key = c < 192 ? 2301 : 2300 + (c - 192);
        }
        w->queueKey(e);
        break;
      }
      case 3:
        w->queueInputAnswer(in.text());
        break;
      case 7: {
        sim::ControlEvent e;
        e.time = w->simTime();
        uint8_t g = in.byte() % 22, l = in.byte();
        if (g < 15) {
          e.kind = sim::ControlEvent::Kind::GroupLevel;
          e.group = static_cast<THGROUP_TYPE>(g);
          e.level = l / 255.0;
        } else {
          e.kind = sim::ControlEvent::Kind::Navmode;
          e.navmode = g - 14;
          e.on = (l & 1) == 0;
        }
        w->controls.queue(e);
        break;
      }
      default:
        step(1 + (op >> 3));
        break;
    }
  }
  step(1);  // delivers what is still queued
  if (!flying) return 0;
  if (Vessel *f = w->focus()) sim::drawHud(*f, 1024, 768);
  checkFinite(*w, "after drawing the head-up display");
  std::string saveText = w->scenarioText();
  w.reset();

  static const std::filesystem::path saved = scratchFile("saved.scn");
  writeFile(saved, saveText);
  auto again = makeWorld(dt);
  if (std::string error = loadLikeSimhost(*again, saved); !error.empty())
    fail("the saved scenario does not load: " + error + "\n--- saved:\n" + saveText);
  checkFinite(*again, "after loading the saved scenario");
  return 0;
}
