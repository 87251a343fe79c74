// Thrust and specific impulse by ambient pressure, propellant flow, thruster and group levels,
// and the simulator's rules for groups and empty tanks.
#include <gtest/gtest.h>

#include "world_fixture.h"

namespace {

using namespace testsupport;

struct Rig {
  std::unique_ptr<sim::World> w;
  Vessel *v;
  VESSEL *i;
  PROPELLANT_HANDLE tank;
};

Rig rigAt(double alt) {
  Rig r;
  r.w = makeEarthWorld(0.02, false, true);
  sim::CelestialBody &earth = *r.w->findBody("Earth");
  auto s = flying(earth, 0, 0, alt, 0, 0, 0);
  s.ext.hasArot = true;
  s.vs.arot = _V(PI05, 0, 0);  // +z up
  r.v = &r.w->createVessel("stage", "cargo_crate", keepTanks(s));
  r.i = r.v->intf;
  r.i->SetEmptyMass(19000);
  r.tank = r.i->CreatePropellantResource(384000, 40000);
  return r;
}

TEST(Propulsion, ThrustAndIspScaleWithAmbientPressure) {
  Rig sea = rigAt(0.0);
  // the booster's main engine: 741 kN, Isp 3051 m/s in vacuum, 2767 m/s at 101.4 kPa
  THRUSTER_HANDLE th = sea.i->CreateThruster(_V(0, 0, -21), _V(0, 0, 1), 741000, sea.tank, 3051, 2767, 101.4e3);
  double p = sea.v->sp.atm.pressure;
  ASSERT_NEAR(p, 101329, 10);
  double s = 1 - p * (3051.0 - 2767.0) / (101.4e3 * 3051.0);  // 0.907
  EXPECT_NEAR(sea.i->GetThrusterIsp(th), 3051 * s, 1e-9);
  EXPECT_NEAR(sea.i->GetThrusterMax(th), 741000 * s, 1e-6);
  EXPECT_NEAR(sea.i->GetThrusterIsp(th, 101325), 2767.2, 0.1);
  EXPECT_NEAR(sea.i->GetThrusterIsp(th, 0), 3051, 1e-9);
  EXPECT_NEAR(sea.i->GetThrusterIsp0(th), 3051, 1e-9);
  Rig vac = rigAt(300e3);  // above the dense atmosphere: vacuum values
  THRUSTER_HANDLE tv = vac.i->CreateThruster(_V(0, 0, -21), _V(0, 0, 1), 741000, vac.tank, 3051, 2767, 101.4e3);
  EXPECT_NEAR(vac.i->GetThrusterMax(tv), 741000, 1.0);
}

TEST(Propulsion, PropellantUsedIsVacuumThrustOverIspAndTheForceUsesAmbientThrust) {
  Rig r = rigAt(0.0);
  THRUSTER_HANDLE th = r.i->CreateThruster(_V(0, 0, -21), _V(0, 0, 1), 741000, r.tank, 3051, 2767, 101.4e3);
  r.i->SetThrusterLevel(th, 0.6);
  double s = r.i->GetThrusterMax(th) / 741000;  // at the pressure of the step's start
  double before = r.i->GetPropellantMass(r.tank);
  r.w->step();
  double used = before - r.i->GetPropellantMass(r.tank);
  EXPECT_NEAR(used, 741000 * 0.6 / 3051 * 0.02, 1e-9);  // vacuum values, whatever the pressure
  EXPECT_NEAR(r.v->fb.thrust_V.z, 741000 * 0.6 * s, 1e-6);
  EXPECT_NEAR(r.i->GetThrusterLevel(th), 0.6, 1e-12);
  // a tank of efficiency 0.5 doubles the flow
  PROPELLANT_HANDLE half = r.i->CreatePropellantResource(100, 100, 0.5);
  THRUSTER_HANDLE small = r.i->CreateThruster(_V(0, 0, 0), _V(1, 0, 0), 1000, half, 1000);
  r.i->SetThrusterLevel(th, 0);
  r.i->SetThrusterLevel(small, 1);
  r.w->step();
  EXPECT_NEAR(100 - r.i->GetPropellantMass(half), 1000.0 / (0.5 * 1000) * 0.02, 1e-12);
}

TEST(Propulsion, AnEmptyTankGivesNothingAndDropsTheLevels) {
  Rig r = rigAt(1000.0);
  PROPELLANT_HANDLE empty = r.i->CreatePropellantResource(10, 0);
  THRUSTER_HANDLE th = r.i->CreateThruster(_V(0, 0, 0), _V(0, 0, 1), 1000, empty, 1000);
  THRUSTER_HANDLE none = r.i->CreateThruster(_V(0, 0, 0), _V(0, 0, 1), 1000, nullptr, 1000);
  r.i->SetThrusterLevel(th, 1.0);
  r.i->SetThrusterLevel(none, 1.0);
  r.w->step();
  EXPECT_EQ(r.v->fb.thrust_V.z, 0.0);
  EXPECT_EQ(r.i->GetThrusterLevel(th), 0.0);
  EXPECT_EQ(r.i->GetThrusterLevel(none), 0.0);
  // the tank runs dry within a step: floored at zero
  PROPELLANT_HANDLE little = r.i->CreatePropellantResource(10, 0.001);
  THRUSTER_HANDLE big = r.i->CreateThruster(_V(0, 0, 0), _V(0, 0, 1), 1e6, little, 1000);
  r.i->SetThrusterLevel(big, 1.0);
  r.w->step();
  EXPECT_EQ(r.i->GetPropellantMass(little), 0.0);
}

TEST(Propulsion, GroupsAreFixedSlotsAndReadBackTheMeanEffectiveLevel) {
  Rig r = rigAt(1000.0);
  THRUSTER_HANDLE t[3];
  for (int k = 0; k < 3; k++) t[k] = r.i->CreateThruster(_V(k, 0, 0), _V(0, 0, 1), 1000, r.tank, 3000);
  THGROUP_HANDLE a = r.i->CreateThrusterGroup(t, 2, THGROUP_MAIN);
  THGROUP_HANDLE b = r.i->CreateThrusterGroup(t + 2, 1, THGROUP_MAIN);
  EXPECT_EQ(a, b);  // the same slot
  r.i->SetThrusterLevel(t[0], 0.8);  // no longer in the group
  r.i->SetThrusterGroupLevel(THGROUP_MAIN, 1.7);  // clamped
  EXPECT_DOUBLE_EQ(r.i->GetThrusterGroupLevel(b), 1.0);
  THGROUP_HANDLE u = r.i->CreateThrusterGroup(t, 2, THGROUP_USER);
  EXPECT_DOUBLE_EQ(r.i->GetThrusterGroupLevel(u), 0.4);  // mean of 0.8 and 0
  // the deprecated delete form clears the handle and keeps the thrusters
  THGROUP_HANDLE h = b;
  EXPECT_FALSE(r.i->DelThrusterGroup(h, THGROUP_HOVER));  // not the slot of that type
  EXPECT_TRUE(r.i->DelThrusterGroup(h, THGROUP_MAIN));
  EXPECT_EQ(h, nullptr);
  EXPECT_EQ(r.i->GetThrusterGroupHandle(THGROUP_MAIN), nullptr);
  EXPECT_NEAR(r.i->GetThrusterMax0(t[2]), 1000, 0);  // the thruster still exists
  // deleting a user group with its thrusters makes their handles stale
  EXPECT_TRUE(r.i->DelThrusterGroup(u, true));
  int refused = r.w->diagnostics().refusedCount();
  r.i->SetThrusterLevel(t[0], 1.0);
  EXPECT_EQ(r.w->diagnostics().refusedCount(), refused + 1);
  r.i->SetThrusterGroupLevel(u, 1.0);  // a deleted group
  EXPECT_EQ(r.w->diagnostics().refusedCount(), refused + 2);
}

TEST(Propulsion, SetThrusterMax0KeepsTheRecordedMomentAndRefusesNonFiniteValues) {
  Rig r = rigAt(1000.0);
  THRUSTER_HANDLE t[2] = {r.i->CreateThruster(_V(2, 0, -21), _V(0, -1, 0), 38000, r.tank, 3051),
                          r.i->CreateThruster(_V(-2, 0, -21), _V(0, -1, 0), 38000, r.tank, 3051)};
  THGROUP_HANDLE g = r.i->CreateThrusterGroup(t, 2, THGROUP_ATT_PITCHUP);
  int gi = r.v->groupIndex(g, "test");
  EXPECT_NEAR(r.v->recordedMaxMoment(gi), 42 * 38000, 1e-6);
  r.i->SetThrusterMax0(t[0], 9500);
  EXPECT_NEAR(r.v->recordedMaxMoment(gi), 42 * 38000, 1e-6);
  r.i->SetThrusterLevel(t[0], std::nan(""));
  r.i->SetThrusterGroupLevel(g, INFINITY);
  EXPECT_EQ(r.i->GetThrusterLevel(t[0]), 0.0);
  EXPECT_EQ(r.w->diagnostics().refusedCount(), 2);
}

}  // namespace
