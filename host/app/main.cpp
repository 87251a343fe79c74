// simhost: the headless host's program (see app/run.h).
#include <unistd.h>

#include <climits>
#include <filesystem>

#include "app/run.h"

#ifndef SIMHOST_DATA_DIR
#define SIMHOST_DATA_DIR "data"
#endif
#ifndef SIMHOST_WEB_DIR
#define SIMHOST_WEB_DIR "web"
#endif

int main(int argc, char **argv) {
  sim::RunDefaults d;
  d.dataRoot = SIMHOST_DATA_DIR;
  d.webDir = SIMHOST_WEB_DIR;
  char exe[PATH_MAX] = {};
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  std::filesystem::path dir = n > 0 ? std::filesystem::path(exe).parent_path() : std::filesystem::current_path();
  d.modulesDir = std::filesystem::exists(dir / "Modules") ? dir / "Modules" : dir.parent_path() / "Modules";
  return sim::simhostMain(argc, argv, d);
}
