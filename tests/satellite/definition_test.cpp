// The satellite's definition through the host: thruster groups act on the axes they are named
// for, no lift, moment scales by flight model, and the class-wide switches.
#include "satellite/orlis.h"
#include "satellite_fixture.h"

using namespace sat;

TEST(SatelliteDefinition, EveryThrusterInOneGroupAndGroupsActOnTheirAxes) {
  auto w = makeEarthWorld(0.1, false, false);
  Vessel &v = load(*w, ship("sat", ""));
  ASSERT_EQ(v.def.thrusters.size(), 34u);
  EXPECT_EQ(v.def.exhausts.size(), 36u);
  // type -> expected unit torque (rotation groups, F x r) or force (translation groups)
  struct Axis { THGROUP_TYPE type; VECTOR3 torque, force; };
  const Axis axes[] = {{THGROUP_ATT_PITCHUP, {{1, 0, 0}}, {}},  {THGROUP_ATT_PITCHDOWN, {{-1, 0, 0}}, {}},
                       {THGROUP_ATT_YAWLEFT, {{0, 1, 0}}, {}},  {THGROUP_ATT_YAWRIGHT, {{0, -1, 0}}, {}},
                       {THGROUP_ATT_BANKRIGHT, {{0, 0, 1}}, {}}, {THGROUP_ATT_BANKLEFT, {{0, 0, -1}}, {}},
                       {THGROUP_ATT_RIGHT, {}, {{1, 0, 0}}},    {THGROUP_ATT_LEFT, {}, {{-1, 0, 0}}},
                       {THGROUP_ATT_UP, {}, {{0, 1, 0}}},       {THGROUP_ATT_DOWN, {}, {{0, -1, 0}}},
                       {THGROUP_ATT_FORWARD, {}, {{0, 0, 1}}},  {THGROUP_ATT_BACK, {}, {{0, 0, -1}}}};
  std::vector<int> uses(34, 0);
  for (const Axis &a : axes) {
    const sim::GroupDef &g = v.def.groups[a.type];
    VECTOR3 torque = _V(0, 0, 0), force = _V(0, 0, 0);
    for (int i : g.members) {
      const sim::ThrusterDef &t = v.def.thrusters[i];
      uses[i]++;
      EXPECT_EQ(t.isp0, 2000.0);
      EXPECT_EQ(t.eta, 0.0);
      EXPECT_EQ(t.tank, 0);
      force += t.dir * t.maxth0;
      torque += crossp(t.dir * t.maxth0, t.pos);
    }
    SCOPED_TRACE(a.type);
    EXPECT_LT(angle(length(a.torque) > 0 ? torque : force, length(a.torque) > 0 ? a.torque : a.force), 1e-12);
    EXPECT_EQ(length(length(a.torque) > 0 ? force : torque), 0.0);
  }
  EXPECT_EQ(std::count(uses.begin(), uses.end(), 1), 34);
  EXPECT_EQ(v.def.tanks.at(0).maxMass, 1900.0);
  EXPECT_EQ(v.def.touchdown.up_V.z, 1.0);  // resting on the -z face
}

TEST(SatelliteDefinition, NoLiftAndMomentScalesOnlyInTheRealisticFlightModel) {
  for (int model : {0, 1}) {
    sim::WorldSettings s;
    s.dataRoot = dataRoot();
    s.modulesDir = modulesDir();
    s.flightModel = model;
    sim::World w(s);
    Vessel &v = load(w, ship("sat", ""));
    double expected = model ? 0.0005 : 0.0;
    EXPECT_EQ(v.def.legacy.pitchMomentScale, expected);
    EXPECT_EQ(v.def.legacy.yawMomentScale, expected);
    ASSERT_NE(v.def.legacy.lift, nullptr);
    for (double deg : {-720.0, -180.0, -60.0, -30.0, -1.0, 0.0, 15.0, 20.0, 25.0, 60.0, 90.0, 180.0, 400.0})
      EXPECT_EQ(v.def.legacy.lift(deg * RAD), 0.0) << deg;
  }
}

TEST(SatelliteDefinition, NewOrDeletedSatelliteSwitchesTheSharedModesOff) {
  auto w = makeEarthWorld(0.1, false, false);
  Vessel &a = load(*w, ship("sat", "  AUTOATT 1\n  SUNLOCK 4\n"));
  EXPECT_EQ(saved(*w, "sat", "AUTOATT"), "1");
  EXPECT_EQ(orlis::autoAttitude, 1);  // the class's own switches, the ones the satellites use
  EXPECT_EQ(orlis::sunLock, 4);
  Vessel &b = w->createVessel("second", "orlis", orbiting(*w->findBody("Earth"), _V(0, 0, 7e6), _V(7500, 0, 0)));
  EXPECT_EQ(orlis::autoAttitude, 0);
  EXPECT_EQ(saved(*w, "sat", "AUTOATT"), "0");
  EXPECT_EQ(saved(*w, "sat", "SUNLOCK"), "0");
  EXPECT_EQ(hudTexts(a)[0], "Auto Earth-pointing - press V");
  // One set of rotations serves the class; the wings' parent moves no group (and not the mesh).
  ASSERT_EQ(a.def.animComponents.size(), 14u);
  for (size_t i = 0; i < 14; i++) EXPECT_EQ(a.def.animComponents[i]->comp.trans, b.def.animComponents[i]->comp.trans);
  EXPECT_NE(a.def.animComponents[0]->comp.trans->grp, nullptr);
  EXPECT_EQ(a.def.animComponents[0]->comp.trans->ngrp, 0u);
  press(*w, b, OAPI_KEY_V);  // one switch for the class
  EXPECT_EQ(hudTexts(a)[0], "Auto Earth-pointing - On");
  w->deleteVessel(b);
  EXPECT_EQ(saved(*w, "sat", "AUTOATT"), "0");
  EXPECT_EQ(hudTexts(a)[0], "Auto Earth-pointing - press V");
}
