// The booster's definition: the airfoil coefficients, a fresh booster's state, the shared target
// name, the thrusters and tanks as the host holds them, and the rotation groups' torques.
#include <cmath>

#include "booster_fixture.h"

namespace {

using boostertest::Stage;

TEST(BoosterDefinition, AirfoilCoefficientsInterpolateAnOddTable) {
  Stage s = boostertest::highAbove();
  ASSERT_EQ(s.v->def.airfoils.size(), 2u);
  EXPECT_EQ(s.v->def.airfoils[0].align, LIFT_VERTICAL);
  EXPECT_EQ(s.v->def.airfoils[1].align, LIFT_HORIZONTAL);
  for (const sim::AirfoilDef &a : s.v->def.airfoils) {
    EXPECT_EQ(a.cf, s.v->def.airfoils[0].cf);
    EXPECT_EQ(a.chord, 25.0);
    EXPECT_EQ(a.area, 100.0);
    EXPECT_EQ(a.ref.z, 0.1);
  }
  AirfoilCoeffFunc cf = s.v->def.airfoils[0].cf;
  ASSERT_NE(cf, nullptr);
  auto lift = [&](double aoaDeg, double *cd = nullptr) {
    double cl = NAN, cm = NAN, drag = NAN;
    cf(aoaDeg * RAD, 0.8, 1e7, &cl, &cm, &drag);
    EXPECT_EQ(cm, 0.0) << aoaDeg;
    if (cd) *cd = drag;
    return cl;
  };
  EXPECT_NEAR(lift(45), -0.2, 1e-12);
  EXPECT_NEAR(lift(-45), 0.2, 1e-12);
  EXPECT_NEAR(lift(22.5), -0.1, 1e-12);
  EXPECT_NEAR(lift(180), 0.0, 1e-12);  // the last segment, at its end
  EXPECT_NEAR(lift(-180), 0.0, 1e-12);
  EXPECT_NEAR(lift(100), -0.1 * (280.0 / 22.5 - 12), 1e-12);  // between table entries
  for (double a = 0.5; a < 180; a += 7.3) EXPECT_NEAR(lift(a), -lift(-a), 1e-12) << a;
  double cd = 0;
  EXPECT_NEAR(lift(0, &cd), 0.0, 1e-15);
  EXPECT_EQ(cd, 0.11);  // zero-lift drag
  lift(-45, &cd);
  EXPECT_NEAR(cd, 0.11 + 0.04 / (PI * 0.16 * 0.2), 1e-12);  // plus the induced drag
}

TEST(BoosterDefinition, FreshBoosterIsStowedNeutralIdleAndHasNoTarget) {
  Stage s = boostertest::highAbove();
  larkon &b = *s.b;
  EXPECT_EQ(b.legsState, 0);
  EXPECT_EQ(b.finsState, 0);
  EXPECT_EQ(b.engineMode, 0);
  EXPECT_EQ(b.apFlyback + b.apReentryAttitude + b.apDescent + b.autoSequence + b.cameraBackward, 0);
  EXPECT_EQ(b.attitudeSet, 0);
  EXPECT_DOUBLE_EQ(b.maxAttRate, 5 * RAD);
  for (double x : b.legsAnimState) EXPECT_EQ(x, 0.0);
  EXPECT_EQ(b.finsAnimState[0], 0.0);
  EXPECT_EQ(s.anim(b.animFinsDeflectA), 0.5);
  EXPECT_EQ(s.anim(b.animFinsDeflectB), 0.5);
  EXPECT_EQ(s.v->def.animations[b.animFinsDeflectB].defState, 0.5);
  EXPECT_EQ(s.members(THGROUP_MAIN), s.indices(b.thMain, {0}));
  EXPECT_DOUBLE_EQ(s.intf->GetMass(), 19000 + 384000 + 350);
  ASSERT_EQ(s.v->def.touchdown.points.size(), 4u);
  EXPECT_EQ(s.v->def.touchdown.points[0].pos.z, -20.0);
  EXPECT_EQ(s.hudRow(184), "K = Set Flyback Target: NULL");
  EXPECT_EQ(s.world->diagnostics().refusedCount(), 0);
}

TEST(BoosterDefinition, EveryNewBoosterResetsTheSharedTargetName) {
  Stage s = boostertest::highAbove();
  EXPECT_EQ(s.code(2300, "Kestrel Point"), 1);
  EXPECT_EQ(s.hudRow(184), "K = Set Flyback Target: Kestrel Point");
  Vessel &second = s.world->createVessel("L2", "larkon", testsupport::flying(s.earth(), -80, 28, 150e3, 0, 0, 0));
  EXPECT_EQ(s.hudRow(184), "K = Set Flyback Target: NULL");
  EXPECT_EQ(sim::drawHud(second, 1024, 768)[1].text, "K = Set Flyback Target: NULL");
}

TEST(BoosterDefinition, ThrustersAndTanksAsTheHostHoldsThem) {
  Stage s = boostertest::highAbove();
  larkon &b = *s.b;
  VESSEL &i = *s.intf;
  EXPECT_EQ(s.v->def.thrusters.size(), 27u);
  EXPECT_EQ(i.GetPropellantMaxMass(b.phMain), 384000.0);
  EXPECT_EQ(i.GetPropellantMaxMass(b.phRcs), 350.0);
  int mainTank = s.v->tankIndex(b.phMain, "test"), rcsTank = s.v->tankIndex(b.phRcs, "test");
  auto check = [&](THRUSTER_HANDLE th, double thrust, double ispVacuum, double ispRef, int tank) {
    EXPECT_EQ(i.GetThrusterMax0(th), thrust);
    EXPECT_DOUBLE_EQ(i.GetThrusterIsp0(th), ispVacuum);
    EXPECT_NEAR(i.GetThrusterIsp(th, 101400), ispRef, 1e-9);
    EXPECT_EQ(s.v->def.thrusters[s.index(th)].tank, tank);
  };
  const double mainThrust[3] = {6669000, 2223000, 741000};
  for (int k = 0; k < 3; k++) check(b.thMain[k], mainThrust[k], 3051, 2767, mainTank);
  for (THRUSTER_HANDLE th : b.thEngineAtt) check(th, 38000, 3051, 2767, mainTank);
  for (THRUSTER_HANDLE th : b.thRcs) check(th, 1000, 800, 800, rcsTank);
}

// Each rotation group, fired alone for one step far out in empty space, turns the stage about its
// own axis in its own sense (host convention: +wx pitch up, +wy yaw left, +wz bank right), with
// the lever arms of the two thruster sets: 2 x 21 m (engine steering), 36.92 m (RCS pitch and yaw).
TEST(BoosterDefinition, RotationGroupsTurnTheStageTheWayTheirNamesSay) {
  struct Group {
    THGROUP_TYPE type;
    int axis;
    double sign;
    std::vector<int> engine, rcs;
    double engineTorque, rcsTorque;  // [N m]
  };
  const Group groups[] = {
      {THGROUP_ATT_PITCHUP, 0, +1, {9, 11}, {3, 5}, 42 * 38000, 36.92 * 1000},
      {THGROUP_ATT_PITCHDOWN, 0, -1, {8, 10}, {1, 7}, 42 * 38000, 36.92 * 1000},
      {THGROUP_ATT_YAWLEFT, 1, +1, {0, 2}, {0, 6}, 42 * 38000, 36.92 * 1000},
      {THGROUP_ATT_YAWRIGHT, 1, -1, {1, 3}, {2, 4}, 42 * 38000, 36.92 * 1000},
      {THGROUP_ATT_BANKRIGHT, 2, +1, {4, 7}, {8, 11}, 8 * 38000, 2 * 1.884 * 1000},
      {THGROUP_ATT_BANKLEFT, 2, -1, {5, 6}, {9, 10}, 8 * 38000, 2 * 1.884 * 1000},
  };
  auto world = testsupport::makeEarthWorld(0.1, false, false);
  sim::VesselSpawn far = testsupport::orbiting(*world->findBody("Earth"), _V(1e9, 0, 0), _V(0, 0, 0));
  Stage s = boostertest::spawn(std::move(world), far);
  for (bool rcs : {false, true}) {
    // a burning main engine keeps the engine-steering set, a silent one brings in the RCS
    s.intf->SetThrusterGroupLevel(THGROUP_MAIN, rcs ? 0.0 : 0.01);
    s.step();
    ASSERT_EQ(s.b->attitudeSet, rcs ? 1 : 0);
    for (const Group &g : groups) {
      SCOPED_TRACE(testing::Message() << (rcs ? "RCS" : "engine") << " group " << g.type);
      EXPECT_EQ(s.members(g.type), s.indices(rcs ? s.b->thRcs : s.b->thEngineAtt, rcs ? g.rcs : g.engine));
      s.v->edit()->omega = _V(0, 0, 0);
      s.intf->SetThrusterGroupLevel(g.type, 1.0);
      s.step();
      s.intf->SetThrusterGroupLevel(g.type, 0.0);
      VECTOR3 w = s.v->st.omega, torque = s.v->fb.torque_V;
      EXPECT_GT(g.sign * w.data[g.axis], 0.0);
      EXPECT_NEAR(g.sign * torque.data[g.axis], rcs ? g.rcsTorque : g.engineTorque, 1e-6 * g.engineTorque);
      for (int other : {(g.axis + 1) % 3, (g.axis + 2) % 3})
        EXPECT_NEAR(torque.data[other], 0.0, 1e-6 * g.engineTorque);
    }
  }
}

}  // namespace
