// Test rig for the booster's guidance: a booster in a chosen state near Kestrel Point, its
// members and operations reached through the booster's own object, and one step at a time
// through the host.
#pragma once

#include <cmath>
#include <cstring>

#include "../booster_fixture.h"
#include "booster/larkon.h"
#include "world_fixture.h"

namespace boostertest {

constexpr double kSiteLng = -80.6042, kSiteLat = 28.6083;  // [deg] Kestrel Point

struct Rig {
  std::unique_ptr<sim::World> w;
  Vessel *v = nullptr;
  larkon *b = nullptr;

  // A booster `eastKm` east of the site at altitude `alt`, moving at `speed` along `headingDeg`
  // with path angle `pathDeg`; attitude from `arot` (horizon-relative Euler angles) if given,
  // else along the motion. Main propellant `mainKg`.
  Rig(double eastKm, double alt, double headingDeg, double speed, double pathDeg, double mainKg,
      const VECTOR3 *arot = nullptr, double dt = 0.02) {
    w = testsupport::makeWorld(dt);
    sim::CelestialBody &earth = *w->findBody("Earth");
    double lng = kSiteLng + eastKm * 1000 / (earth.meanRadius * std::cos(kSiteLat * RAD)) * DEG;
    sim::VesselSpawn s = testsupport::flying(earth, lng, kSiteLat, alt, headingDeg, speed, pathDeg);
    if (arot) s.ext.hasArot = true, s.vs.arot = *arot;
    v = &w->createVessel("L1", "larkon", testsupport::keepTanks(s));
    b = boosterOf(*v);
    w->setFocus(v);
    v->intf->SetPropellantMass(b->phMain, mainKg);
    setTarget("Kestrel Point");
  }
  void setTarget(const char *name) {
    char text[256] = {};
    std::strncpy(text, name, 255);
    w->deliverKey(*v, 2300, true, text);
  }
  void step(int n = 1) {
    for (int i = 0; i < n; i++) w->step();
  }
  double mainLevel() const { return v->intf->GetThrusterGroupLevel(THGROUP_MAIN); }
  // Turns the stage so that +z points along dir_H (horizon frame), keeping its motion.
  void pointZ(const VECTOR3 &dir_H) {
    VECTOR3 local;
    v->intf->HorizonInvRot(dir_H, local);
    MATRIX3 R;
    v->intf->GetRotationMatrix(R);
    VECTOR3 z = mul(R, local);
    z /= length(z);
    VECTOR3 helper = std::fabs(z.y) < 0.9 ? _V(0, 1, 0) : _V(1, 0, 0);
    VECTOR3 x = crossp(helper, z);
    x /= length(x);
    VECTOR3 y = crossp(z, x);
    v->edit().setAttitude(_M(x.x, y.x, z.x, x.y, y.y, z.y, x.z, y.z, z.z));
  }
  // The guidance vector in the horizon frame.
  VECTOR3 guidanceHorizon() const {
    VECTOR3 g_H;
    v->intf->HorizonRot(b->guidanceVector, g_H);
    return g_H;
  }
  VECTOR3 groundspeedHorizon() const {
    VECTOR3 g;
    v->intf->GetGroundspeedVector(FRAME_HORIZON, g);
    return g;
  }
  // The target's position relative to the stage, horizon frame.
  VECTOR3 targetHorizon(const char *base = "Kestrel Point") const {
    OBJHANDLE t = oapiGetBaseByName(v->intf->GetSurfaceRef(), const_cast<char *>(base));
    VECTOR3 t_G, t_V, t_H;
    oapiGetGlobalPos(t, &t_G);
    v->intf->Global2Local(t_G, t_V);
    v->intf->HorizonRot(t_V, t_H);
    return t_H;
  }
  // The angle [deg] between the guidance vector and a direction given in the horizon frame.
  double guidanceAngleTo(const VECTOR3 &dir_H) const {
    VECTOR3 g_H;
    v->intf->HorizonRot(b->guidanceVector, g_H);
    double c = dotp(g_H, dir_H) / (length(g_H) * length(dir_H));
    return std::acos(std::max(-1.0, std::min(1.0, c))) * DEG;
  }
};

// The angle [deg] between two directions.
inline double angleDeg(const VECTOR3 &a, const VECTOR3 &b) {
  double c = dotp(a, b) / (length(a) * length(b));
  return std::acos(std::max(-1.0, std::min(1.0, c))) * DEG;
}

inline bool finite(const VECTOR3 &v) { return sim::isFinite(v); }

}  // namespace boostertest
