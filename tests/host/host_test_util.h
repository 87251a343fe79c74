// Helpers shared by the host's tests: a data root with the test module classes, the recorder
// module's call log, and loading a scenario text through a temporary file.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "loader/module.h"
#include "world/errors.h"
#include "world_fixture.h"

namespace hosttest {

// A limit on the size of files this process writes, for as long as it lives: a write beyond it
// fails (EFBIG; SIGXFSZ is ignored meanwhile), as on a full disk.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    previous_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lower = old_;
    lower.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &lower);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, previous_);
  }
  FileSizeLimit(const FileSizeLimit &) = delete;
  FileSizeLimit &operator=(const FileSizeLimit &) = delete;

 private:
  rlimit old_{};
  void (*previous_)(int) = nullptr;
};

// The names in a folder, sorted.
inline std::vector<std::string> folderEntries(const std::filesystem::path &dir) {
  std::vector<std::string> names;
  for (const auto &e : std::filesystem::directory_iterator(dir))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// The bundled data plus classes for the test modules: "recorder" (records its callbacks),
// "nullmod" (ovcInit returns null), "incomplete" (lacks ovcExit), "ghost" (names a module file
// that does not exist) and "dock" (a passive vessel with two points for children).
inline void addTestClasses(testsupport::TempDataRoot &root) {
  root.addClass("recorder", "ClassName = recorder\nModule = test_recorder\n");
  root.addClass("nullmod", "ClassName = nullmod\nModule = test_null\nMass = 250\n");
  root.addClass("incomplete", "ClassName = incomplete\nModule = test_incomplete\n");
  root.addClass("ghost", "ClassName = ghost\nModule = no_such_module\n");
  root.addClass("dock",
                "ClassName = dock\nMass = 1000\nSize = 3\n"
                "BEGIN_ATTACHMENT\n"
                "  C  0 0 2   0 0 1   0 1 0  PORT1\n"
                "  C  0 0 -2  0 0 -1  0 1 0  PORT2\n"
                "END_ATTACHMENT\n");
}

// The recorder module's log ("call;call;...") and a way to clear it.
class RecorderLog {
 public:
  explicit RecorderLog(sim::World &w) {
    sim::Module &m = w.modules().load("test_recorder");
    log_ = reinterpret_cast<const char *(*)()>(dlsym(m.handle, "recorderLog"));
    clear_ = reinterpret_cast<void (*)()>(dlsym(m.handle, "recorderClear"));
  }
  bool ok() const { return log_ && clear_; }
  std::string text() const { return log_(); }
  void clear() { clear_(); }

 private:
  const char *(*log_)() = nullptr;
  void (*clear_)() = nullptr;
};

// A scenario text around a ship list.
inline std::string scenarioWithShips(const std::string &ships, const std::string &focus = "") {
  std::string s = "BEGIN_ENVIRONMENT\n  System Sol\n  Date MJD 51544.5\nEND_ENVIRONMENT\n\n";
  if (!focus.empty()) s += "BEGIN_FOCUS\n  Ship " + focus + "\nEND_FOCUS\n\n";
  return s + "BEGIN_SHIPS\n" + ships + "END_SHIPS\n";
}

// An orbiting state 400 km above Earth's equator, in scenario lines.
inline std::string orbitLines(double phaseMetres = 0) {
  return "  STATUS Orbiting Earth\n  RPOS 6771010.000 0.000 " + std::to_string(phaseMetres) +
         "\n  RVEL 0.0000 0.0000 7672.5930\n";
}

// Loads text as NAME.scn of root into w; returns the error message, or "" if it loaded.
inline std::string loadError(sim::World &w, testsupport::TempDataRoot &root, const std::string &name,
                             const std::string &text) {
  try {
    w.loadScenario(root.writeScenario(name, text));
  } catch (const sim::InputError &e) {
    return e.what();
  }
  return "";
}

}  // namespace hosttest
