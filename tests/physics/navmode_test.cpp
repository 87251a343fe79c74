// Kill-rotation: transient overrides on the rotation groups, scaled by each group's recorded
// maximum moment; it stops a spinning vessel and switches itself off; the mode exclusions.
#include <gtest/gtest.h>

#include "world_fixture.h"

namespace {

using namespace testsupport;

struct RcsVessel {
  std::unique_ptr<sim::World> w = makeEarthWorld(0.02, false, false);
  Vessel *v;
  THRUSTER_HANDLE th[12];
  RcsVessel() {
    sim::CelestialBody &earth = *w->findBody("Earth");
    double r = earth.meanRadius + 400e3;
    v = &w->createVessel("rcs", "cargo_crate", orbiting(earth, _V(r, 0, 0), _V(0, 0, std::sqrt(earth.mu() / r))));
    VESSEL &i = *v->intf;
    i.SetEmptyMass(1000);
    i.SetPMI(_V(2, 2, 1));
    PROPELLANT_HANDLE tank = i.CreatePropellantResource(100);
    // Pairs about each axis: +-x, +-y, +-z torques
    VECTOR3 pos[12] = {_V(0, 0, 1),  _V(0, 0, -1), _V(0, 0, 1),  _V(0, 0, -1), _V(0, 0, 1),  _V(0, 0, -1),
                       _V(0, 0, 1),  _V(0, 0, -1), _V(1, 0, 0),  _V(-1, 0, 0), _V(1, 0, 0),  _V(-1, 0, 0)};
    VECTOR3 dir[12] = {_V(0, 1, 0),  _V(0, -1, 0), _V(0, -1, 0), _V(0, 1, 0),  _V(-1, 0, 0), _V(1, 0, 0),
                       _V(1, 0, 0),  _V(-1, 0, 0), _V(0, -1, 0), _V(0, 1, 0),  _V(0, 1, 0),  _V(0, -1, 0)};
    for (int k = 0; k < 12; k++) th[k] = i.CreateThruster(pos[k], dir[k], 50, tank, 2000);
    THGROUP_TYPE types[6] = {THGROUP_ATT_PITCHUP, THGROUP_ATT_PITCHDOWN, THGROUP_ATT_YAWLEFT,
                             THGROUP_ATT_YAWRIGHT, THGROUP_ATT_BANKRIGHT, THGROUP_ATT_BANKLEFT};
    for (int g = 0; g < 6; g++) i.CreateThrusterGroup(th + 2 * g, 2, types[g]);
  }
};

TEST(Navmodes, KillRotationStopsASpinAndSwitchesItselfOff) {
  RcsVessel r;
  VESSEL &i = *r.v->intf;
  r.v->edit()->omega = _V(0.05, -0.08, 0.12);
  ASSERT_TRUE(i.ActivateNavmode(NAVMODE_KILLROT));
  EXPECT_FALSE(i.ActivateNavmode(NAVMODE_KILLROT));  // already on
  // each group's recorded moment is |sum F dir x r| = 100 N m
  EXPECT_NEAR(r.v->recordedMaxMoment(THGROUP_ATT_PITCHUP), 100.0, 1e-9);
  r.w->step();
  // the overrides of the last step read back through the group levels
  EXPECT_GT(i.GetThrusterGroupLevel(THGROUP_ATT_PITCHDOWN), 0.0);
  EXPECT_EQ(i.GetThrusterGroupLevel(THGROUP_ATT_PITCHUP), 0.0);
  EXPECT_GT(i.GetThrusterGroupLevel(THGROUP_ATT_YAWLEFT), 0.0);
  EXPECT_GT(i.GetThrusterGroupLevel(THGROUP_ATT_BANKLEFT), 0.0);
  double t = 0;
  while (i.GetNavmodeState(NAVMODE_KILLROT) && t < 120) {
    r.w->step();
    t = r.w->simTime();
  }
  EXPECT_FALSE(i.GetNavmodeState(NAVMODE_KILLROT));
  EXPECT_LT(length(r.v->st.omega), 1e-5);
  EXPECT_LT(t, 60.0);
  // permanent levels were never touched, and once off nothing fires
  r.w->step();
  for (THRUSTER_HANDLE h : r.th) EXPECT_EQ(i.GetThrusterLevel(h), 0.0);
}

TEST(Navmodes, KillRotationAddsToPermanentLevelsAndModesExcludeEachOther) {
  RcsVessel r;
  VESSEL &i = *r.v->intf;
  r.v->edit()->omega = _V(-0.2, 0, 0);  // pitching down: killrot fires the pitch-up group
  i.SetThrusterGroupLevel(THGROUP_ATT_PITCHUP, 0.3);
  i.ActivateNavmode(NAVMODE_KILLROT);
  r.w->step();
  EXPECT_NEAR(i.GetThrusterGroupLevel(THGROUP_ATT_PITCHUP), 1.0, 1e-12);  // 0.3 + override, clamped
  EXPECT_TRUE(i.ActivateNavmode(NAVMODE_PROGRADE));
  EXPECT_FALSE(i.GetNavmodeState(NAVMODE_KILLROT));
  EXPECT_TRUE(i.ActivateNavmode(NAVMODE_HOLDALT));
  EXPECT_TRUE(i.ActivateNavmode(NAVMODE_HLEVEL));
  EXPECT_FALSE(i.GetNavmodeState(NAVMODE_PROGRADE));
  EXPECT_TRUE(i.GetNavmodeState(NAVMODE_HOLDALT));
  EXPECT_TRUE(i.DeactivateNavmode(NAVMODE_HLEVEL));
  EXPECT_FALSE(i.DeactivateNavmode(NAVMODE_HLEVEL));
  EXPECT_FALSE(i.ActivateNavmode(0));
  EXPECT_FALSE(i.ActivateNavmode(8));
}

}  // namespace
