// Aerodynamics: airfoil lift and drag for a known coefficient function, the drag vector, control
// surfaces moving at the rate their delay allows and pushing the way the simulator's do, drag
// elements read through their pointer, the legacy model's drag.
#include <gtest/gtest.h>

#include <cmath>

#include "world_fixture.h"

namespace {

using namespace testsupport;

double g_lastAoa = 0;
void linearLift(double aoa, double, double, double *cl, double *cm, double *cd) {
  g_lastAoa = aoa;
  *cl = 2.0 * aoa;
  *cm = 0.0;
  *cd = 0.05;
}
void noLift(double, double, double, double *cl, double *cm, double *cd) { *cl = 0, *cm = 0, *cd = 0.1; }

// A vessel at 10 km flying level north at 200 m/s with its nose pitched up by `aoaDeg`.
struct Glider {
  std::unique_ptr<sim::World> w = makeEarthWorld(0.02, false, true);
  Vessel *v;
  explicit Glider(double aoaDeg) {
    sim::CelestialBody &earth = *w->findBody("Earth");
    auto s = flying(earth, 0, 0, 10000, 0, 200, 0);
    s.ext.hasArot = true;
    s.vs.arot = _V(aoaDeg * RAD, 0, 0);  // +z along north, tilted up by aoa
    v = &w->createVessel("glider", "cargo_crate", s);
    v->intf->SetEmptyMass(5000);
  }
  double q() const { return v->sp.dynPressure; }
};

TEST(Aerodynamics, AirfoilLiftAndDragFollowTheCoefficients) {
  Glider g(5.0);
  g.v->intf->CreateAirfoil(LIFT_VERTICAL, _V(0, 0, 0), linearLift, 2.0, 20.0, 5.0);
  EXPECT_NEAR(g.v->intf->GetAOA() * DEG, 5.0, 1e-6);
  g.w->step();
  double aoa = 5.0 * RAD, q = g.v->sp.dynPressure;  // re-read after the step: nearly unchanged
  EXPECT_NEAR(g_lastAoa, aoa, 1e-4);
  // in the vessel frame: drag along -a, lift along (0, a.z, -a.y) normalised
  VECTOR3 a = g.v->sp.airVel_V;
  VECTOR3 d = a / -length(a), l = unit(_V(0, a.z, -a.y));
  VECTOR3 F = g.v->fb.force_V;
  EXPECT_NEAR(dotp(F, l) / (q * 20.0), 2.0 * aoa, 2e-3);
  EXPECT_NEAR(dotp(F, d) / (q * 20.0), 0.05, 1e-3);
  VECTOR3 D;
  ASSERT_TRUE(g.v->intf->GetDragVector(D));
  EXPECT_NEAR(length(D) / (q * 20.0), 0.05, 1e-3);
  EXPECT_GT(dotp(l, _V(0, 1, 0)), 0.99);  // lift points up for a level flight
}

void nanLift(double, double, double, double *cl, double *cm, double *cd) { *cl = std::nan(""), *cm = 0, *cd = 0.1; }

// A non-finite coefficient is refused and left out of the forces; the refusal is known as a
// non-finite one by its kind, not by its words, which a vessel's name may share.
TEST(Aerodynamics, NonFiniteCoefficientsAreRefusedAsSuch) {
  Glider g(2.0);
  g.v->intf->CreateAirfoil(LIFT_VERTICAL, _V(0, 0, 0), nanLift, 2.0, 20.0, 5.0);
  VECTOR3 pos;
  g.v->intf->GetRelativePos(nullptr, pos);  // a refusal of another kind
  g.w->step();
  EXPECT_TRUE(sim::isFinite(g.v->fb.force_V));
  int nonFinite = 0, other = 0;
  for (const sim::Diagnostics::Entry &e : g.w->diagnostics().entries()) (e.nonFinite ? nonFinite : other)++;
  EXPECT_EQ(nonFinite, 1);
  EXPECT_EQ(other, 1);
}

TEST(Aerodynamics, ProjectedAreaStandsInForAZeroWingArea) {
  Glider g(0.0);
  g.v->intf->SetCrossSections(_V(3, 7, 11));
  g.v->intf->CreateAirfoil(LIFT_HORIZONTAL, _V(0, 0, 0), noLift, 1.0, 0.0, 1.0);
  g.w->step();
  EXPECT_NEAR(g.v->fb.drag / (g.v->sp.dynPressure * 0.1), 11.0, 0.05);  // along z: Cz
}

TEST(Aerodynamics, ControlSurfacesMoveAtTheirDelayAndPushTheSimulatorsWay) {
  Glider g(0.0);
  VESSEL &i = *g.v->intf;
  i.CreateAirfoil(LIFT_VERTICAL, _V(0, 0, 0), noLift, 1.0, 1.0, 1.0);
  i.CreateControlSurface3(AIRCTRL_ELEVATOR, 2.0, 1.5, _V(0, 0, -20), AIRCTRL_AXIS_AUTO, 0.5);
  i.SetControlSurfaceLevel(AIRCTRL_ELEVATOR, 1.0);
  for (int k = 1; k <= 30; k++) {
    g.w->step();
    EXPECT_NEAR(i.GetControlSurfaceLevel(AIRCTRL_ELEVATOR), std::min(1.0, k * 0.02 / 0.5), 1e-12) << k;
  }
  // elevator at the tail with level +1: lift -L area q dCl along +l pushes the tail down, the nose up
  EXPECT_GT(g.v->fb.torque_V.x, 0);
  // clearing the definitions keeps the level; a new surface starts from it
  i.ClearControlSurfaceDefinitions();
  EXPECT_DOUBLE_EQ(i.GetControlSurfaceLevel(AIRCTRL_ELEVATOR), 1.0);
  i.SetControlSurfaceLevel(AIRCTRL_ELEVATOR, -1.0, true);
  EXPECT_DOUBLE_EQ(i.GetControlSurfaceLevel(AIRCTRL_ELEVATOR), -1.0);
}

TEST(Aerodynamics, TailFirstGridFinsTurnTheWayTheBoosterExpects) {
  // Falling tail first (air from below along -z) with surfaces at (0, 0, 20).
  auto w = makeEarthWorld(0.02, false, true);
  sim::CelestialBody &earth = *w->findBody("Earth");
  auto s = flying(earth, 0, 0, 20000, 0, 300, -90);
  s.ext.hasArot = true;
  s.vs.arot = _V(PI05, 0, 0);  // +z up
  Vessel &v = w->createVessel("stage", "cargo_crate", s);
  VESSEL &i = *v.intf;
  i.CreateAirfoil(LIFT_VERTICAL, _V(0, 0, 0), noLift, 1.0, 1.0, 1.0);
  i.CreateControlSurface3(AIRCTRL_ELEVATOR, 2.0, 1.5, _V(0, 0, 20), AIRCTRL_AXIS_XPOS, 0.0);
  i.CreateControlSurface3(AIRCTRL_RUDDER, 2.0, 1.5, _V(0, 0, 20), AIRCTRL_AXIS_YPOS, 0.0);
  i.SetControlSurfaceLevel(AIRCTRL_ELEVATOR, 1.0);
  w->step();
  double damping = v.fb.torque_V.x;  // rotational damping is zero without a rate
  EXPECT_GT(damping, 0);             // +w_x from a positive elevator level
  i.SetControlSurfaceLevel(AIRCTRL_ELEVATOR, 0.0);
  i.SetControlSurfaceLevel(AIRCTRL_RUDDER, 1.0);
  v.edit()->omega = _V(0, 0, 0);
  w->step();
  EXPECT_LT(v.fb.torque_V.y, 0);  // -w_y (yaw right) from a positive rudder level
}

TEST(Aerodynamics, DragElementsReadTheirPointerEveryStep) {
  Glider g(0.0);
  VESSEL &i = *g.v->intf;
  i.CreateAirfoil(LIFT_VERTICAL, _V(0, 0, 0), noLift, 1.0, 1.0, 1.0);
  static double deployed = 0.0;
  i.CreateVariableDragElement(&deployed, 12.0, _V(0, 0, 1));  // the deprecated double* form
  EXPECT_TRUE(g.w->diagnostics().contains("obsolete"));
  g.w->step();
  double base = g.v->fb.drag / 0.1;  // the airfoil's cd q S with S = 1: q
  deployed = 0.5;
  double q = g.v->sp.dynPressure;  // the dynamic pressure of the coming step's force build
  g.w->step();
  EXPECT_NEAR(g.v->fb.drag, 0.1 * q + 0.5 * 12.0 * q, 1e-9 * q);
  EXPECT_GT(base, 0);
  deployed = 0;
}

TEST(Aerodynamics, LegacyModelDragHasTheExtraHalfFactor) {
  Glider g(0.0);  // no airfoil: the legacy model
  g.v->intf->SetCW(0.4, 0.9, 1.0, 1.0);
  g.v->intf->SetCrossSections(_V(4, 5, 6));
  g.w->step();
  EXPECT_NEAR(g.v->fb.drag / g.v->sp.dynPressure, 0.5 * 6 * 0.4, 1e-3);
  EXPECT_NEAR(oapiGetInducedDrag(0.5, 0.16, 0.2), 0.25 / (PI * 0.16 * 0.2), 1e-12);
  EXPECT_DOUBLE_EQ(oapiGetWaveDrag(0.5, 0.75, 1.0, 1.1, 0.04), 0.0);
  EXPECT_DOUBLE_EQ(oapiGetWaveDrag(0.9, 0.75, 1.0, 1.1, 0.04), 0.04 * 0.6);
  EXPECT_DOUBLE_EQ(oapiGetWaveDrag(1.05, 0.75, 1.0, 1.1, 0.04), 0.04);
  EXPECT_DOUBLE_EQ(oapiGetWaveDrag(2.0, 0.75, 1.0, 1.1, 0.04), 0.04 * std::sqrt(0.21 / 3.0));
}

}  // namespace
