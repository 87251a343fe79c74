// Fuzzes the modules' state-line readers: the first byte picks the vessel class (larkon, orlis,
// pelo_ring), the rest are the lines of that vessel's scenario block, after a sane state of its
// own. The scenario is loaded through the host's real path, so each line reaches the module's
// clbkLoadStateEx through the host's line reader, and the lines the module does not know reach
// the host's standard parser. A vessel that loads is flown for a few steps with its head-up
// display drawn; its states must stay finite, no non-finite value may reach the host, and the
// scenario the world then saves must load again. A flight that becomes too large to measure ends
// there (a state line may set any finite speed).
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "io/hud.h"
#include "world/errors.h"

using namespace fuzzsupport;

namespace {

constexpr int kSteps = 5;
constexpr double kStepLength = 0.1;  // [s]

// The lines a vessel of the class starts from, before the fuzzed ones.
std::string startLines(const std::string &cls) {
  if (cls == "larkon")
    return "  STATUS Flying Earth\n  POS -79.9895699 28.6083000\n  ALT 70000\n  HEADING 90\n  GSPEED 1700 35\n"
           "  PRPLEVEL 0:0.104167 1:1.000000\n";
  return "  STATUS Orbiting Earth\n  RPOS 6771010.000 0.000 0.000\n  RVEL 0.0000 0.0000 7672.5930\n"
         "  AROT 0.000 0.000 0.000\n  PRPLEVEL 0:1.0\n";
}

// Vessels after the fuzzed one: the dispenser carries two payloads.
std::string otherShips(const std::string &cls) {
  if (cls != "pelo_ring") return "";
  return "P1:pelo_payload\n  STATUS Orbiting Earth\n  RPOS 6771011.337 0.000 1.090\n  RVEL 0.0000 0.0000 7672.5930\n"
         "  ATTACHED 0:0,V\nEND\n"
         "P6:pelo_payload\n  STATUS Orbiting Earth\n  RPOS 6771010.000 1.337 0.000\n  RVEL 0.0000 0.0000 7672.5930\n"
         "  ATTACHED 0:5,V\nEND\n";
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  pinModules();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const std::filesystem::path input = scratchFile("input.scn");
  static const std::filesystem::path saved = scratchFile("saved.scn");
  if (size < 1 || vesselClasses().empty()) return 0;
  const std::string &cls = vesselClasses()[data[0] % vesselClasses().size()];
  std::string lines(reinterpret_cast<const char *>(data + 1), size - 1);
  if (!lines.empty() && lines.back() != '\n') lines += '\n';
  std::string text = "BEGIN_ENVIRONMENT\n  System Sol\n  Date MJD 60300.5\nEND_ENVIRONMENT\n"
                     "BEGIN_FOCUS\n  Ship V\nEND_FOCUS\n"
                     "BEGIN_SHIPS\nV:" + cls + "\n" + startLines(cls) + lines + "END\n" + otherShips(cls) + "END_SHIPS\n";
  writeFile(input, text);

  std::string saveText;
  {
    auto w = makeWorld(kStepLength);
    if (!loadLikeSimhost(*w, input).empty()) return 0;
    checkFinite(*w, "after loading");
    for (int i = 0; i < kSteps; i++)
      if (!stepAndCheck(*w)) return 0;
    if (Vessel *f = w->focus()) sim::drawHud(*f, 1024, 768);
    checkFinite(*w, "after drawing the head-up display");
    saveText = w->scenarioText();
  }
  writeFile(saved, saveText);
  auto again = makeWorld(kStepLength);
  if (std::string error = loadLikeSimhost(*again, saved); !error.empty())
    fail("the saved scenario does not load: " + error + "\n--- saved:\n" + saveText);
  checkFinite(*again, "after loading the saved scenario");
  return 0;
}
