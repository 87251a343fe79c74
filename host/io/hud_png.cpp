// The head-up display's picture (see hud.h): drawn by the host's picture plug-in,
// libsimhost_hudpng.so beside the host's library, which is opened the first time a picture is
// asked for. A plain run never opens it, and so never maps cairo and the libraries cairo brings.
#include <dlfcn.h>

#include <mutex>

#include "io/hud.h"
#include "io/output_file.h"

namespace sim {
namespace {

using DrawPng = void (*)(const std::vector<HudText> &, int, int, OutputFile &);

struct Plugin {
  DrawPng draw = nullptr;
  std::string problem;  // why it cannot be opened, if it cannot
};

Plugin openPlugin() {
  Dl_info self{};
  if (!dladdr(reinterpret_cast<void *>(&openPlugin), &self) || !self.dli_fname)
    return {nullptr, "the host's own library cannot be found"};
  std::filesystem::path file =
      std::filesystem::path(self.dli_fname).parent_path() / "libsimhost_hudpng.so";
  dlerror();
  void *h = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!h) {
    const char *e = dlerror();
    return {nullptr, "cannot open " + file.string() + ": " + (e ? e : "unknown error")};
  }
  auto draw = reinterpret_cast<DrawPng>(dlsym(h, "simhostDrawHudPng"));
  if (!draw) return {nullptr, file.string() + " lacks simhostDrawHudPng"};
  return {draw, ""};
}

const Plugin &plugin() {
  static std::once_flag once;
  static Plugin p;
  std::call_once(once, [] { p = openPlugin(); });
  return p;
}

}  // namespace

std::string hudPngProblem() { return plugin().problem; }

void writeHudPng(const std::vector<HudText> &hud, int W, int H, OutputFile &out) {
  const Plugin &p = plugin();
  if (!p.draw) throw OutputError(out.path().string() + ": cannot draw the picture: " + p.problem);
  p.draw(hud, W, H, out);
}

void writeHudPng(const std::vector<HudText> &hud, int W, int H, const std::filesystem::path &file) {
  OutputFile out("head-up display picture", file);
  writeHudPng(hud, W, H, out);
  out.commit();
}

}  // namespace sim
