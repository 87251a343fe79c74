// The precision landing law flown in the host's physics: from 10 km, falling tail first towards
// Kestrel Point, in a 15 m/s wind from each of four directions with moderate turbulence, at the
// shortest and the longest step length; and its hand-over from the descent autopilot's switches:
// the autopilot, the sequence and the fins end on the legs as the descent autopilot's own law
// ends them, with every steering vector finite on the way.
#include <gtest/gtest.h>

#include <cmath>

#include "booster_rig.h"

namespace {

using namespace boostertest;

struct Outcome {
  bool atRest = false;
  double distance = 0, tilt = 0, mainLeft = 0;
  bool finiteSteering = true;
};

Outcome flyPrecisionDescent(double windFromDeg, double dt, std::uint64_t seed) {
  Rig r(1.2, 10000.0, 270.0, 220.0, -70.0, 4500.0, nullptr, dt);
  r.w->wind = sim::WindSpec{15.0, windFromDeg * RAD};
  r.w->windField.turbulence = sim::TurbulenceLevel::Moderate;
  r.w->windField.seed = seed;
  VECTOR3 g = r.groundspeedHorizon();
  r.pointZ(-g);  // tail first
  r.b->landingLaw = larkon::kLawPrecision;
  r.b->autoSequence = larkon::kSequenceDescent;
  r.b->apDescent = 1;
  Outcome o;
  while (!r.v->landed() && !r.v->st.crashed && r.w->simTime() < 400) {
    r.step();
    o.finiteSteering = o.finiteSteering && finite(r.b->guidanceVector);
  }
  o.atRest = r.v->landed();

  VECTOR3 t = r.targetHorizon();
  o.distance = std::hypot(t.x, t.z);
  o.tilt = 90.0 - r.v->intf->GetPitch() * DEG;
  o.mainLeft = r.v->intf->GetPropellantMass(r.b->phMain);
  EXPECT_EQ(r.b->apDescent, 0);
  EXPECT_EQ(r.b->autoSequence, larkon::kSequenceOff);
  EXPECT_TRUE(r.b->finsState == larkon::kFinsFolding || r.b->finsState == larkon::kFinsStowed);
  EXPECT_EQ(r.mainLevel(), 0.0);
  return o;
}

TEST(PrecisionDescent, LandsOnThePadInAStrongGustyWindFromAnySide) {
  struct Case {
    double fromDeg, dt;
  };
  const Case cases[] = {{0, 0.01}, {90, 0.01}, {180, 0.01}, {270, 0.01},
                        {0, 0.1},  {90, 0.1},  {180, 0.1},  {270, 0.1}};
  std::uint64_t seed = 7;
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "wind from " << c.fromDeg << " deg, step " << c.dt << " s");
    Outcome o = flyPrecisionDescent(c.fromDeg, c.dt, seed++);
    EXPECT_TRUE(o.atRest);
    EXPECT_LT(o.distance, 10.0);
    EXPECT_LT(o.tilt, 1.0);
    EXPECT_GT(o.mainLeft, 0.0);
    EXPECT_TRUE(o.finiteSteering);
  }
}

TEST(PrecisionDescent, WithoutATargetItLandsWhereItIs) {
  Rig r(0.0, 3000.0, 0.0, 120.0, -89.0, 3000.0);
  r.setTarget("Nowhere");
  VECTOR3 g = r.groundspeedHorizon();
  r.pointZ(-g);
  r.b->landingLaw = larkon::kLawPrecision;
  r.b->apDescent = 1;
  VECTOR3 start = r.targetHorizon();
  while (!r.v->landed() && !r.v->st.crashed && r.w->simTime() < 200) r.step();
  ASSERT_TRUE(r.v->landed());
  VECTOR3 end = r.targetHorizon();
  EXPECT_LT(std::hypot(end.x - start.x, end.z - start.z), 50.0);  // a plain vertical landing
  EXPECT_LT(90.0 - r.v->intf->GetPitch() * DEG, 1.0);
}

TEST(PrecisionDescent, BelowTheBurnsCeilingAFastFallLightsTheEngineAndAboveItDoesNot) {
  struct Case {
    double alt, speed;
    bool lit;
  };
  for (const Case &c : {Case{1200.0, 210.0, true}, Case{4500.0, 600.0, false}}) {
    SCOPED_TRACE(c.alt);
    Rig r(0.0, c.alt, 0.0, c.speed, -89.5, 3000.0);
    r.pointZ(-r.groundspeedHorizon());
    r.b->landingLaw = larkon::kLawPrecision;
    r.b->apDescent = 1;
    r.b->descentBurnDone = 1;
    r.step(2);
    EXPECT_EQ(r.mainLevel() > 0, c.lit);
  }
}

}  // namespace
