// Test support for the larkon booster: a world with one booster, its members through the module's
// own class, keys and codes, thruster and group look-ups, HUD rows, scenario loading, and calls of
// the module's operations that no callback reaches directly.
//
// The module is loaded by the host like any other; its class members are public, so a test reads
// and sets them through the VESSEL3 interface pointer. Its non-virtual operations are hidden
// symbols: callOperation finds them in the loaded module's own symbol table.
#pragma once

#include <dlfcn.h>
#include <elf.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <map>
#include <stdexcept>
#include <memory>
#include <string>
#include <vector>

#include "anim/animation.h"
#include "booster/larkon.h"
#include "io/hud.h"
#include "loader/module.h"
#include "world_fixture.h"

namespace boostertest {

using testsupport::flying;
using testsupport::keepTanks;

struct Stage {
  std::unique_ptr<testsupport::TempDataRoot> root;  // only for stages loaded from a scenario
  std::unique_ptr<sim::World> world;
  Vessel *v = nullptr;
  larkon *b = nullptr;
  VESSEL *intf = nullptr;

  sim::CelestialBody &earth() const { return *world->findBody("Earth"); }
  void step(int n = 1) {
    for (int i = 0; i < n; i++) world->step();
  }
  void run(double seconds) { testsupport::runUntil(*world, world->simTime() + seconds); }

  // A key event with the given modifier scan codes held; returns the callback's result.
  int key(DWORD k, std::initializer_list<DWORD> held = {}, bool down = true) {
    char kstate[256] = {};
    for (DWORD m : held) kstate[m] = static_cast<char>(0x80);
    if (down) kstate[k] = static_cast<char>(0x80);
    return world->deliverKey(*v, k, down, kstate);
  }
  // A module code; 2300 carries the text.
  int code(DWORD c, const std::string &text = "", bool down = true) {
    std::vector<char> buf(text.begin(), text.end());
    buf.resize(std::max<size_t>(buf.size() + 1, 256), '\0');
    return world->deliverKey(*v, c, down, buf.data());
  }

  int index(THRUSTER_HANDLE h) const { return v->thrusterIndex(h, "test"); }
  std::vector<int> indices(const THRUSTER_HANDLE *set, const std::vector<int> &which) const {
    std::vector<int> out;
    for (int i : which) out.push_back(index(set[i]));
    return out;
  }
  std::vector<int> members(THGROUP_TYPE type) const { return v->def.groups[type].members; }
  double level(THRUSTER_HANDLE h) const { return v->st.thrusters[index(h)].permanent; }
  double groupLevel(THGROUP_TYPE type) const { return intf->GetThrusterGroupLevel(type); }
  double anim(UINT id) const { return v->st.animStates[id]; }

  // The HUD text at row k of a 1024 x 768 display (drawn at y = k - 1); "" if the row is empty.
  std::string hudRow(int k) {
    for (const sim::HudText &t : sim::drawHud(*v, 1024, 768))
      if (t.y == k - 1) return t.text;
    return "";
  }
};

inline larkon *boosterOf(Vessel &v) { return static_cast<larkon *>(static_cast<VESSEL3 *>(v.callbacks3())); }

inline Stage adopt(std::unique_ptr<sim::World> world, Vessel &v) {
  Stage s;
  s.world = std::move(world);
  s.v = &v;
  s.b = boosterOf(v);
  s.intf = v.intf;
  s.world->setFocus(&v);
  return s;
}

// A booster created at run time; its tanks are full unless `fuelled` is false.
inline Stage spawn(std::unique_ptr<sim::World> world, sim::VesselSpawn s, bool fuelled = true) {
  if (fuelled)
    keepTanks(s);
  else
    s.vs.flag |= VS_FUELRESET;
  Vessel &v = world->createVessel("L1", "larkon", s);
  return adopt(std::move(world), v);
}

// A booster of the bundled world (bases, Moon) at rest high above Kestrel Point, out of the air.
inline Stage highAbove(double alt = 150e3, double dt = 0.02, bool fuelled = true) {
  auto w = testsupport::makeWorld(dt);
  sim::VesselSpawn s = flying(*w->findBody("Earth"), -80.6, 28.6, alt, 90, 0, 0);
  return spawn(std::move(w), s, fuelled);
}

// A booster loaded from a scenario, tanks full, whose vessel block ends with `lines` (indented).
inline Stage loaded(const std::string &lines, double dt = 0.02) {
  auto root = std::make_unique<testsupport::TempDataRoot>();
  std::string text =
      "BEGIN_ENVIRONMENT\n  System Sol\n  Date MJD 60300.5\nEND_ENVIRONMENT\n"
      "BEGIN_SHIPS\nL1:larkon\n  STATUS Flying Earth\n  POS -80.6 28.6\n  ALT 150000\n  HEADING 90\n"
      "  GSPEED 0 0\n  PRPLEVEL 0:1.000000 1:1.000000\n" +
      lines + "END\nEND_SHIPS\n";
  auto w = testsupport::makeWorld(dt, root->path());
  w->loadScenario(root->writeScenario("booster", text));
  Vessel *v = w->findVessel("L1");
  if (!v) throw std::runtime_error("the scenario holds no booster L1");
  Stage s = adopt(std::move(w), *v);
  s.root = std::move(root);
  return s;
}

// --- the module's hidden operations ---------------------------------------------------------------

// Address of a function in the loaded module, from the module file's symbol table (null if absent).
// The offset is cached; the base is looked up each time, as every world loads the module afresh.
inline void *moduleFunction(const Vessel &v, const std::string &symbol) {
  static std::map<std::string, Elf64_Addr> offsets;  // 0: not found
  Dl_info info{};
  if (!v.module || !dladdr(reinterpret_cast<void *>(v.module->ovcInit), &info)) return nullptr;
  std::string key = v.module->path.string() + ":" + symbol;
  auto it = offsets.find(key);
  if (it == offsets.end()) {
    std::ifstream f(v.module->path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    auto read = [&](auto &out, size_t at) {  // false past the end of the file
      if (at + sizeof out > bytes.size()) return false;
      std::memcpy(&out, bytes.data() + at, sizeof out);
      return true;
    };
    Elf64_Addr offset = 0;
    Elf64_Ehdr eh{};
    if (!read(eh, 0) || std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 || eh.e_ident[EI_CLASS] != ELFCLASS64)
      eh.e_shnum = 0;
    for (int i = 0; i < eh.e_shnum && !offset; i++) {
      Elf64_Shdr sh, strtab;
      if (!read(sh, eh.e_shoff + i * sizeof sh) || sh.sh_type != SHT_SYMTAB) continue;
      if (!read(strtab, eh.e_shoff + sh.sh_link * sizeof strtab)) continue;
      for (size_t k = 0; k < sh.sh_size / sizeof(Elf64_Sym) && !offset; k++) {
        Elf64_Sym sym;
        if (!read(sym, sh.sh_offset + k * sizeof sym)) break;
        size_t name = strtab.sh_offset + sym.st_name;  // NUL-terminated, compared with its NUL
        if (ELF64_ST_TYPE(sym.st_info) == STT_FUNC && name + symbol.size() < bytes.size() &&
            std::memcmp(bytes.data() + name, symbol.c_str(), symbol.size() + 1) == 0)
          offset = sym.st_value;
      }
    }
    it = offsets.emplace(key, offset).first;
  }
  return it->second ? static_cast<char *>(info.dli_fbase) + it->second : nullptr;
}

// Runs the booster operation `void larkon::NAME()` (mangled name); false if it cannot be found.
inline bool callOperation(Stage &s, const char *mangled) {
  void *fn = moduleFunction(*s.v, mangled);
  if (!fn) return false;
  reinterpret_cast<void (*)(larkon *)>(fn)(s.b);  // a member function without arguments
  return true;
}
constexpr const char *kHoldReentryAttitude = "_ZN6larkon19holdReentryAttitudeEv";
constexpr const char *kHoldVerticalAttitude = "_ZN6larkon20holdVerticalAttitudeEv";
constexpr const char *kPointAlongGuidance = "_ZN6larkon18pointAlongGuidanceEv";

}  // namespace boostertest
