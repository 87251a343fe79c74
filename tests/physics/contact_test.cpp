// Ground contact: a four-point stance settling without sinking or bouncing at short and long
// steps, the LANDED state after 5 s of quiet (the rule's samples alone, too), a resting vessel riding the turning Earth, and
// leaving the ground again under thrust.
#include <gtest/gtest.h>

#include "physics/contact.h"
#include "world_fixture.h"

namespace {

using namespace testsupport;

// A 22 t stage on the booster's deployed legs, dropped from 0.5 m above its feet.
Vessel &stageOnLegs(sim::World &w, double dropHeight) {
  sim::CelestialBody &earth = *w.findBody("Earth");
  auto s = flying(earth, 10, 28, 24.0 + dropHeight, 0, 0, 0);
  s.ext.hasArot = true;
  s.vs.arot = _V(PI05, 0, 0);  // +z up
  Vessel &v = w.createVessel("stage", "cargo_crate", s);
  VESSEL &i = *v.intf;
  i.SetEmptyMass(22000);
  i.SetPMI(_V(129, 129, 1.9));
  TOUCHDOWNVTX legs[4] = {{_V(0, -5, -24), 1e6, 1e6, 0.7, 0.7},
                          {_V(-4.33, 2.5, -24), 1e6, 1e6, 0.7, 0.7},
                          {_V(4.33, 2.5, -24), 1e6, 1e6, 0.7, 0.7},
                          {_V(0, 20, 0), 1e6, 1e5, 1.5, 0}};
  i.SetTouchdownPoints(legs, 4);
  return v;
}

void settles(double dt) {
  auto w = makeWorld(dt);
  Vessel &v = stageOnLegs(*w, 0.5);
  double lowest = 1e9, highestAfterContact = -1e9;
  bool touched = false;
  int rebounds = 0;
  double previousVy = -1;
  while (w->simTime() < 40 && !v.landed()) {
    w->step();
    double h = sim::lowestTouchdownHeight(v);
    lowest = std::min(lowest, h);
    if (h < 0) touched = true;
    if (touched) highestAfterContact = std::max(highestAfterContact, h);
    double vy = v.sp.groundVel_H.y;
    if (touched && previousVy <= 0 && vy > 0.01) rebounds++;
    previousVy = vy;
  }
  EXPECT_TRUE(v.landed()) << "dt " << dt;
  double g = 9.82, k = 3e6;
  double staticCompression = 22000 * g / k;  // 7.2 cm on three legs
  EXPECT_GT(lowest, -2.0 * staticCompression) << "sank too deep at dt " << dt;
  EXPECT_LT(highestAfterContact, 0.0) << "bounced off the ground at dt " << dt;
  EXPECT_LE(rebounds, 0) << "dt " << dt;
  EXPECT_NEAR(v.sp.alt, 24.0 - staticCompression, 0.01) << "dt " << dt;
  // upright within 0.05 deg: the friction that carries it round with the Earth tips it by 0.013 deg
  EXPECT_NEAR(v.sp.pitch * DEG, 90.0, 0.05) << "dt " << dt;
  EXPECT_FALSE(v.st.crashed);
}

TEST(Contact, FourPointStanceSettlesAtShortAndLongSteps) {
  settles(0.01);
  settles(0.1);
}

TEST(Contact, LandedVesselRidesTheTurningEarthAndLeavesUnderThrust) {
  auto w = makeWorld(0.05);
  Vessel &v = stageOnLegs(*w, 0.2);
  while (!v.landed() && w->simTime() < 40) w->step();
  ASSERT_TRUE(v.landed());
  double t0 = w->simTime(), lng = v.sp.lng, lat = v.sp.lat, alt = v.sp.alt;
  EXPECT_GE(t0, sim::kLandedRestTime);
  runUntil(*w, t0 + 1000);
  EXPECT_TRUE(v.landed());
  EXPECT_DOUBLE_EQ(v.sp.groundspeed, 0.0);
  EXPECT_NEAR(v.sp.lng, lng, 1e-12);
  EXPECT_NEAR(v.sp.lat, lat, 1e-12);
  EXPECT_NEAR(v.sp.alt, alt, 1e-6);
  EXPECT_EQ(v.intf->GetDynPressure(), 0.0);
  // at rest on the ground there is no airflow and so no drag
  VECTOR3 drag;
  EXPECT_FALSE(v.intf->GetDragVector(drag));
  // full thrust lifts it off
  PROPELLANT_HANDLE tank = v.intf->CreatePropellantResource(10000);
  THRUSTER_HANDLE th = v.intf->CreateThruster(_V(0, 0, -21), _V(0, 0, 1), 741000, tank, 3051);
  v.intf->SetThrusterLevel(th, 1.0);
  runUntil(*w, w->simTime() + 2.0);
  EXPECT_FALSE(v.landed());
  EXPECT_GT(v.sp.alt, alt + 5.0);
  EXPECT_GT(v.sp.groundVel_H.y, 5.0);
}

TEST(Contact, CrateSettlesAtItsFeetAndAHardImpactIsACrash) {
  auto w = makeWorld(0.02);
  sim::CelestialBody &earth = *w->findBody("Earth");
  auto s = flying(earth, 10, 45, 3.0, 0, 0, 0);
  s.ext.hasArot = true;
  Vessel &crate = w->createVessel("crate", "cargo_crate", s);
  runUntil(*w, 15);
  EXPECT_TRUE(crate.landed());
  EXPECT_NEAR(crate.sp.alt, 0.75 - 500 * 9.82 / 6e5, 0.01);  // three feet of 2e5 N/m carry it
  auto fast = flying(earth, 11, 45, 200.0, 0, 250.0, -90);
  Vessel &v = w->createVessel("falling", "cargo_crate", fast);
  runUntil(*w, 18);
  EXPECT_TRUE(v.st.crashed);
}

// The landed-state rule on its own, with the pose moved by hand: samples at most every 0.1 s, a
// quiet spell broken by squared displacement or squared turn per time above 1e-4, LANDED after 5 s
// of quiet. Creeping 2 cm/s (4e-5 m^2/s per sample) still lands; 5 cm/s (2.5e-4) never does; the
// same for turning at 0.02 and 0.05 rad/s.
TEST(Contact, LandedRuleSamplesThePoseAndForgivesACreep) {
  struct Case {
    double creep;     // [m/s] eastwards
    double turnRate;  // [rad/s] about the vertical
    bool lands;
  };
  for (Case c : {Case{0, 0, true}, Case{0.02, 0, true}, Case{0.05, 0, false}, Case{0, 0.02, true},
                 Case{0, 0.05, false}}) {
    auto w = makeWorld(0.02);
    sim::CelestialBody &earth = *w->findBody("Earth");
    auto s = flying(earth, 10, 45, 0.75, 0, 0, 0);  // the crate's feet on the ground
    s.ext.hasArot = true;
    Vessel &v = w->createVessel("crate", "cargo_crate", s);
    double landedAt = -1;
    for (int k = 0; k <= 400 && landedAt < 0; k++) {
      double t = k * 0.02;
      if (k > 0) {
        const MATRIX3 &R_GP = earth.now().R_GP;
        VECTOR3 east_G = mul(R_GP, _V(-std::sin(v.sp.lng), 0, std::cos(v.sp.lng)));
        Vessel::StateEdit e = v.edit();
        e.setGlobalState(v.globalPos() + east_G * (c.creep * 0.02), v.globalVel());
        VECTOR3 up_G = unit(v.globalPos() - earth.now().pos);
        e.setAttitude(mul(rotm(up_G, c.turnRate * 0.02), v.st.R));
      }
      sim::updateLandedState(v, t);
      if (v.landed()) landedAt = t;
    }
    if (c.lands)
      EXPECT_NEAR(landedAt, sim::kLandedRestTime, 1e-9) << c.creep << " m/s, " << c.turnRate << " rad/s";
    else
      EXPECT_LT(landedAt, 0) << c.creep << " m/s, " << c.turnRate << " rad/s";
  }
}

// Feet stiffer than any step can resolve (a module may pass any finite stiffness) take the most
// contact sub-steps allowed: the count, 5e147 here, was cast to int before it was bounded, which
// is undefined (the sanitizer build reports it). The stage falls 5 cm of its 10 cm in the step.
TEST(Contact, FeetTooStiffToResolveTakeTheLargestSubstepCount) {
  auto w = makeWorld(0.1);
  Vessel &v = stageOnLegs(*w, 0.1);
  TOUCHDOWNVTX rigid[3] = {{_V(0, -5, -24), 1e300, 0, 0.7, 0.7},
                           {_V(-4.33, 2.5, -24), 1e300, 0, 0.7, 0.7},
                           {_V(4.33, 2.5, -24), 1e300, 0, 0.7, 0.7}};
  v.intf->SetTouchdownPoints(rigid, 3);
  w->step();
  EXPECT_NEAR(sim::lowestTouchdownHeight(v), 0.1 - 0.5 * 9.8 * 0.01, 0.01);
}

}  // namespace
