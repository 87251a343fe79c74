#include <gtest/gtest.h>
#include "world_fixture.h"
#include <cstdio>
using namespace testsupport;
void drop(std::unique_ptr<sim::World> w, double lat) {
  sim::CelestialBody* earth = w->findBody("Earth");
  auto s = flying(*earth, 10, lat, 2.0, 90, 0.0, 0);
  s.ext.hasArot = true; s.vs.arot = _V(0,0,0);
  Vessel& v = w->createVessel("crate", "cargo_crate", s);
  for (int i = 0; i < 600 && !v.landed(); i++) w->step();
  printf("still %.2f w %.2e thrusting %d\n", v.st.stillTime, length(v.st.omega), v.fb.thrusting);
  printf("lat %.0f: t=%.2f alt=%.6f gH=(%.6f %.6f %.6f) landed %d\n", lat, w->simTime(), v.sp.alt, v.sp.groundVel_H.x, v.sp.groundVel_H.y, v.sp.groundVel_H.z, v.landed());
  VECTOR3 p0 = v.sp.R_GP.m11 ? _V(v.sp.lng, v.sp.lat, 0) : _V(0,0,0);
  for (int i = 0; i < 500; i++) w->step();
  printf("   after 10s: dlng %.3e dlat %.3e (m: %.4f %.4f)\n", v.sp.lng - p0.x, v.sp.lat - p0.y, (v.sp.lng-p0.x)*6.371e6*cos(v.sp.lat), (v.sp.lat-p0.y)*6.371e6);
}
TEST(Sanity, CrateDrop) {
  drop(makeEarthWorld(0.02, false), 20);
  drop(makeEarthWorld(0.02, true), 0);
  drop(makeEarthWorld(0.02, true), 20);
  drop(makeWorld(0.02), 20);
}
