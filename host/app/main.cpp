// simhost: the headless host's program (see app/run.h). The data root is found from the program's
// own place (the relative path from its folder to the data, fixed at configure time), so a clone
// moved with its build still finds its data; the absolute path of the configure time is the
// fallback.
#include <unistd.h>

#include <climits>
#include <filesystem>

#include "app/run.h"

#ifndef SIMHOST_DATA_DIR
#define SIMHOST_DATA_DIR "data"
#endif
#ifndef SIMHOST_DATA_RELATIVE
#define SIMHOST_DATA_RELATIVE "../data"
#endif
#ifndef SIMHOST_WEB_DIR
#define SIMHOST_WEB_DIR "web"
#endif

int main(int argc, char **argv) {
  char exe[PATH_MAX] = {};
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  std::filesystem::path self =
      n > 0 ? std::filesystem::path(exe) : std::filesystem::current_path() / "simhost";
  sim::RunDefaults d = sim::programDefaults(self, SIMHOST_DATA_RELATIVE, SIMHOST_DATA_DIR);
  d.webDir = SIMHOST_WEB_DIR;
  return sim::simhostMain(argc, argv, d);
}
