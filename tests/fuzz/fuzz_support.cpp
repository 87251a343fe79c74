// Shared support of the fuzz targets (see fuzz_support.h).
#include "fuzz_support.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "interface_probe.h"
#include "world/errors.h"

namespace fuzzsupport {

std::filesystem::path dataRoot() { return ARVEX_FUZZ_DATA_DIR; }
std::filesystem::path modulesDir() { return ARVEX_FUZZ_MODULES_DIR; }
std::filesystem::path exampleDir() { return ARVEX_FUZZ_EXAMPLE_DIR; }
const std::string &exampleClass() {
  static const std::string name = ARVEX_FUZZ_EXAMPLE_MODULE;
  return name;
}

const std::vector<std::string> &vesselClasses() {
  static const std::vector<std::string> classes = [] {
    std::vector<std::string> out;
    std::stringstream list(ARVEX_FUZZ_VESSEL_MODULES);
    for (std::string name; std::getline(list, name, ',');)
      if (!name.empty()) out.push_back(name);
    return out;
  }();
  return classes;
}

void pinModules() {
  static bool pinned = false;
  if (pinned) return;
  pinned = true;
  std::vector<std::string> modules = vesselClasses();
  modules.push_back(exampleClass());
  for (const std::string &name : modules) {
    std::filesystem::path file = modulesDir() / (name + ".so");
    // The handle is never closed: the module stays loaded until the process ends.
    if (!dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL)) fail("cannot load " + file.string() + ": " + dlerror());
  }
}

std::unique_ptr<sim::World> makeWorld(double dt) {
  sim::WorldSettings s;
  s.dataRoot = dataRoot();
  s.modulesDir = modulesDir();
  s.dt = dt;
  s.addonRoots = {exampleDir()};
  return std::make_unique<sim::World>(s);
}

namespace {

std::filesystem::path &scratchDir() {
  static std::filesystem::path dir;
  return dir;
}

void removeScratch() {
  std::error_code ec;
  if (!scratchDir().empty()) std::filesystem::remove_all(scratchDir(), ec);
}

}  // namespace

std::filesystem::path scratchFile(const std::string &name) {
  std::filesystem::path &dir = scratchDir();
  if (dir.empty()) {
    // In memory where possible: every input is written as a file, and a disk would flush each one.
    std::error_code ec;
    std::filesystem::path base = std::getenv("TMPDIR") || !std::filesystem::is_directory("/dev/shm", ec)
                                     ? std::filesystem::temp_directory_path()
                                     : std::filesystem::path("/dev/shm");
    std::string pattern = (base / "arvex_fuzz_XXXXXX").string();
    if (!mkdtemp(pattern.data())) fail("cannot make a scratch folder from " + pattern);
    dir = pattern;
    std::atexit(removeScratch);
  }
  return dir / name;
}

void writeFile(const std::filesystem::path &file, std::string_view text) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (!out) fail("cannot write " + file.string());
}

std::string loadLikeSimhost(sim::World &w, const std::filesystem::path &file) {
  try {
    w.loadScenario(file);
  } catch (const sim::InputError &e) {
    std::string message = e.what();
    // An error names the file it was found in, so that a user can find the line.
    if (message.find(file.string()) == std::string::npos) fail("an input error that names no file: " + message);
    return message.empty() ? "?" : message;
  }
  for (const auto &v : w.vessels()) v->stateChanged();
  if (Vessel *f = w.focus())
    if (VESSEL2 *cb = f->callbacks()) cb->clbkLoadGenericCockpit();
  return "";
}

void fail(const std::string &what) {
  std::fprintf(stderr, "\n== fuzz finding: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

std::string nonFiniteVessel(const sim::World &w) {
  for (const auto &vp : w.vessels()) {
    const Vessel &v = *vp;
    // The host's own check of pose, motion and propellant, and beyond it mass and levels.
    bool ok = sim::stateFinite(v.st) && std::isfinite(v.mass());
    for (const sim::ThrusterState &t : v.st.thrusters) ok = ok && std::isfinite(t.permanent) && std::isfinite(t.effective);
    for (double a : v.st.animStates) ok = ok && std::isfinite(a);
    if (!ok) return v.name();
  }
  return "";
}

std::string nonFiniteRefusal(const sim::Diagnostics &d) {
  for (const sim::Diagnostics::Entry &e : d.entries())
    if (e.nonFinite) return e.text;
  return "";
}

void checkFinite(const sim::World &w, const char *when) {
  if (std::string v = nonFiniteVessel(w); !v.empty()) fail(std::string(when) + ": vessel " + v + " has a non-finite state");
  if (std::string r = nonFiniteRefusal(w.diagnostics()); !r.empty()) fail(std::string(when) + ": " + r);
}

bool stepAndCheck(sim::World &w) {
  // Global velocities before the step of the vessels moving at under 10 km/s relative to their
  // frame body (a vessel made or removed in the step is skipped).
  static std::vector<std::pair<const Vessel *, VECTOR3>> before;
  before.clear();
  for (const auto &v : w.vessels())
    if (length(v->st.rvel) < 1e4) before.emplace_back(v.get(), v->globalVel());
  try {
    w.step();
  } catch (const sim::UnmeasurableState &) {
    return false;
  } catch (const std::exception &e) {
    fail(std::string("a step failed: ") + e.what());
  }
  checkFinite(w, "after a step");
  for (const auto &v : w.vessels())
    if (v->intf)
      if (std::string call = probe::nonFiniteAnswer(*v->intf); !call.empty())
        fail("vessel " + v->name() + ": " + call + " answered a non-finite value");
  // Nothing the vessels carry (engines of a few g, drag, a ground contact) changes the velocity of
  // a vessel moving at orbital speeds by 100 km/s in one step: a jump like that is a fault of the
  // integration, however finite.
  for (const auto &[vessel, vel] : before) {
    for (const auto &v : w.vessels())
      if (v.get() == vessel && length(v->globalVel() - vel) > 1e5)
        fail("a step changed the velocity of vessel " + v->name() + " by " + std::to_string(length(v->globalVel() - vel)) +
             " m/s");
  }
  return true;
}

}  // namespace fuzzsupport
