// Test support for the larkon booster: a world with one booster, its members and operations
// through the booster's own class, keys and codes, thruster and group look-ups, HUD rows and
// scenario loading.
//
// The booster code is linked into the test programs and registered with the host as the module
// of its class (linked_booster.cpp), so a test calls its operations directly and shares its
// module-wide target name. A booster made any other way (from the module file) is an error.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "anim/animation.h"
#include "booster/larkon.h"
#include "io/hud.h"
#include "linked_module.h"
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

// The booster object of v; throws if v is no booster made from the linked code.
inline larkon *boosterOf(Vessel &v) {
  if (!testsupport::madeFromLinkedCode(v) || !v.callbacks3())
    throw std::runtime_error("vessel " + v.name() + " is not a booster made from the linked code");
  return static_cast<larkon *>(static_cast<VESSEL3 *>(v.callbacks3()));
}

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

// --- operations by name, for tables of them ------------------------------------------------------

struct Operation {
  const char *name;
  void (larkon::*run)();
};
inline constexpr Operation kHoldReentryAttitude{"holdReentryAttitude",
                                                &larkon::holdReentryAttitude};
inline constexpr Operation kHoldVerticalAttitude{"holdVerticalAttitude",
                                                 &larkon::holdVerticalAttitude};
inline constexpr Operation kPointAlongGuidance{"pointAlongGuidance", &larkon::pointAlongGuidance};

}  // namespace boostertest
