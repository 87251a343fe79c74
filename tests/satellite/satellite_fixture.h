// Helpers for the satellite tests: satellites loaded from scenario text or created at run time,
// their saved state lines, keys, the head-up display and the posed mesh. Every satellite is made
// from the satellite code linked into the test program (linked_satellite.cpp).
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "anim/animation.h"
#include "anim/mesh_library.h"
#include "io/hud.h"
#include "linked_module.h"
#include "world_fixture.h"

namespace sat {

using namespace testsupport;
constexpr unsigned kSunTrack = 0, kDeploy = 1;  // animation identifiers, in creation order
constexpr double kMu = 6.67259e-11 * 5.973698968e24;
constexpr double kOrbitRadius = 6371010.0 + 400e3;
inline const std::vector<unsigned> kPanels = {17, 18, 19, 20, 21, 22, 23, 24};

// One vessel block orbiting Earth with the module's extra lines.
inline std::string ship(const std::string &name, const std::string &lines, const std::string &rpos = "0 6771010 0",
                        const std::string &rvel = "7672.593 0 0", const std::string &body = "Earth") {
  return name + ":orlis\n  STATUS Orbiting " + body + "\n  RPOS " + rpos + "\n  RVEL " + rvel +
         "\n  AROT 0 0 0\n  PRPLEVEL 0:1.0\n" + lines + "END\n";
}
// Loads the blocks into w; returns the vessel named `name`.
inline Vessel &load(sim::World &w, const std::string &ships, const std::string &name = "sat") {
  TempDataRoot root;
  w.loadScenario(root.writeScenario("s", "BEGIN_SHIPS\n" + ships + "END_SHIPS\n"));
  Vessel *v = w.findVessel(name);
  if (!v || !madeFromLinkedCode(*v))
    throw std::runtime_error("no satellite " + name + " made from the linked code");
  return *v;
}
// The value text of a vessel's saved line KEY ("" if absent).
inline std::string saved(sim::World &w, const std::string &vessel, const std::string &key) {
  std::istringstream in(w.scenarioText());
  std::string line;
  bool inside = false;
  while (std::getline(in, line)) {
    if (line.rfind(vessel + ":", 0) == 0) inside = true;
    else if (inside && line == "END") break;
    else if (inside && line.rfind("  " + key + " ", 0) == 0) return line.substr(key.size() + 3);
  }
  return "";
}
inline int status(sim::World &w, const std::string &vessel = "sat") { return std::stoi(saved(w, vessel, "SOLP")); }
// A key event with the given keys held.
inline int press(sim::World &w, Vessel &v, DWORD key, const std::vector<int> &held = {},
                 bool down = true) {
  char kstate[256] = {};
  for (int k : held) kstate[k] = static_cast<char>(0x80);
  return w.deliverKey(v, key, down, kstate);
}
inline std::vector<std::string> hudTexts(Vessel &v) {
  std::vector<std::string> t;
  for (const sim::HudText &h : sim::drawHud(v, 1024, 768)) t.push_back(h.text);
  return t;
}
// Posed cell normal of a panel (vertices 0-2 are its cell side), vessel axes.
inline VECTOR3 cellNormal(const Vessel &v, unsigned group) {
  const sim::MeshGroup &g = v.world().meshes().find("Arvex/orlis")->groups().at(group);
  VECTOR3 n = crossp(g.vertices[1] - g.vertices[0], g.vertices[2] - g.vertices[0]);
  return unit(sim::groupTransform(v, 0, group).applyDir(n));
}
// Angle between two vectors [rad], accurate at small angles.
inline double angle(const VECTOR3 &a, const VECTOR3 &b) { return std::atan2(length(crossp(a, b)), dotp(a, b)); }
inline VECTOR3 column(const MATRIX3 &R, int i) { return _V(R.data[i], R.data[3 + i], R.data[6 + i]); }

}  // namespace sat
