// Fuzzes the host's scenario reader: the input is a whole scenario file, loaded into a fresh world
// through the path simhost run takes (document, vessel creation, the modules' state readers, the
// standard lines, attachments, focus). A malformed file must give an input error that names the
// file; a file that loads must give finite states, and the scenario the world then writes must
// load again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "world/errors.h"

using namespace fuzzsupport;

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  pinModules();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const std::filesystem::path input = scratchFile("input.scn");
  static const std::filesystem::path saved = scratchFile("saved.scn");
  writeFile(input, std::string_view(reinterpret_cast<const char *>(data), size));

  std::string saveText;
  {
    auto w = makeWorld(0.1);
    if (!loadLikeSimhost(*w, input).empty()) return 0;
    checkFinite(*w, "after loading");
    saveText = w->scenarioText();
  }
  writeFile(saved, saveText);
  auto again = makeWorld(0.1);
  if (std::string error = loadLikeSimhost(*again, saved); !error.empty())
    fail("the saved scenario does not load: " + error + "\n--- saved:\n" + saveText);
  checkFinite(*again, "after loading the saved scenario");
  return 0;
}
