// The attitude laws, run once on a chosen state: signs and saturation, the profile's rate limit,
// the band edge between the profile and the proportional law, the fade in dense flow, the low
// altitude rate limit and kill-rotation switch-off, and zero authority.
//
// The stage stands upright at 150 km over an Earth of its own, with the RCS set (main engine off,
// simDt = 0.02 s); the surface parameters and the rate are set by hand before each run, and the
// commands are read back as pitch = PITCHUP - PITCHDOWN and yaw = YAWLEFT - YAWRIGHT.
#include <cmath>

#include "booster_fixture.h"

namespace {

using boostertest::kHoldReentryAttitude;
using boostertest::kHoldVerticalAttitude;
using boostertest::kPointAlongGuidance;
using boostertest::Stage;

Stage ready(bool mainTankFull = true) {
  auto w = testsupport::makeEarthWorld(0.02, false, false);  // Earth alone: the weight points straight down
  sim::VesselSpawn at = testsupport::flying(*w->findBody("Earth"), 0, 0, 150e3, 0, 0, 0);
  Stage s = boostertest::spawn(std::move(w), at);
  if (!mainTankFull) s.intf->SetPropellantMass(s.b->phMain, 0);
  s.step();
  return s;
}
// Angular acceleration [rad/s^2] of the RCS set: 36.92 m x 1 kN / (129 m^2 x mass).
double rcsAcceleration(Stage &s) { return 36.92 * 1000 / (129 * s.intf->GetMass()); }

struct Commands {
  double pitch, yaw;
};
Commands run(Stage &s, const boostertest::Operation &law, const VECTOR3 &w = _V(0, 0, 0)) {
  s.v->writer()->omega = w;  // kept apart from the surface parameters, which a case may set itself
  (s.b->*law.run)();
  auto level = [&](THGROUP_TYPE t) { return s.groupLevel(t); };
  EXPECT_EQ(level(THGROUP_ATT_BANKLEFT) + level(THGROUP_ATT_BANKRIGHT), 0.0);  // pitch and yaw only
  EXPECT_EQ(level(THGROUP_ATT_PITCHUP) * level(THGROUP_ATT_PITCHDOWN), 0.0);  // one of a pair at most
  EXPECT_EQ(level(THGROUP_ATT_YAWLEFT) * level(THGROUP_ATT_YAWRIGHT), 0.0);
  return {level(THGROUP_ATT_PITCHUP) - level(THGROUP_ATT_PITCHDOWN),
          level(THGROUP_ATT_YAWLEFT) - level(THGROUP_ATT_YAWRIGHT)};
}
Commands point(Stage &s, const VECTOR3 &g, const VECTOR3 &w = _V(0, 0, 0)) {
  s.b->guidanceVector = g;
  return run(s, kPointAlongGuidance, w);
}
Commands reentry(Stage &s, double aoa, double slip, const VECTOR3 &w = _V(0, 0, 0)) {
  s.v->sp.aoa = aoa, s.v->sp.slip = slip;
  return run(s, kHoldReentryAttitude, w);
}

TEST(BoosterAttitude, FarFromTheTargetTheCommandSaturatesTowardsIt) {
  Stage s = ready();
  Commands c = point(s, _V(0, 1, 0));  // +z to turn towards +y: pitch up
  EXPECT_EQ(c.pitch, 1.0);
  EXPECT_EQ(c.yaw, 0.0);
  c = point(s, _V(1, 0, 0.2));  // towards +x: yaw right
  EXPECT_EQ(c.yaw, -1.0);
  c = point(s, _V(-0.3, -1, 1));  // down and to -x
  EXPECT_EQ(c.pitch, -1.0);
  EXPECT_EQ(c.yaw, 1.0);
  c = reentry(s, 0.0, 0.0);  // flying nose first: half a turn on both axes
  EXPECT_EQ(c.pitch, -1.0);
  EXPECT_EQ(c.yaw, 1.0);
}

// The profile's target rate is 0.9 sqrt(2 a e), at most maxAttRate (3 deg/s with the RCS): the
// command changes sign where the stage already turns at that rate.
TEST(BoosterAttitude, ProfileTargetRateIsLimitedToTheMaximumRate) {
  for (bool full : {false, true}) {
    SCOPED_TRACE(full ? "fuelled" : "main tank empty");
    Stage s = ready(full);
    ASSERT_DOUBLE_EQ(s.b->maxAttRate, 3 * RAD);
    double profile = std::min(0.9 * std::sqrt(2 * rcsAcceleration(s) * PI05), 3 * RAD);
    if (!full) {
      EXPECT_EQ(profile, 3 * RAD);  // empty: the limit applies (fuelled: 2.4 deg/s, below it)
    }
    EXPECT_GT(point(s, _V(0, 1, 0), _V(profile - 1e-6, 0, 0)).pitch, 0.0);
    EXPECT_LT(point(s, _V(0, 1, 0), _V(profile + 1e-6, 0, 0)).pitch, 0.0);
    EXPECT_GT(point(s, _V(-1, 0, 0), _V(0, profile - 1e-6, 0)).yaw, 0.0);  // towards -x: yaw left, +wy
    EXPECT_LT(point(s, _V(-1, 0, 0), _V(0, profile + 1e-6, 0)).yaw, 0.0);
  }
}

// An error of exactly the band (1 deg pointing, 2 deg reentry) takes the profile law. The rate is
// chosen between the profile's target rate and the error, where the two laws disagree in sign.
TEST(BoosterAttitude, ErrorExactlyAtTheBandEdgeUsesTheProfileLaw) {
  Stage s = ready();
  double a = rcsAcceleration(s);
  // pointing: pitch error atan2(-gy, gz), band 1 deg; the first gy at or beyond the edge
  double gy = std::tan(1 * RAD);
  while (std::atan2(-gy, 1.0) * DEG <= -1.0) gy = std::nextafter(gy, 0.0);
  double inside = gy;
  while (std::atan2(-gy, 1.0) * DEG > -1.0) gy = std::nextafter(gy, 1.0);
  double e = 1 * RAD, w = (0.9 * std::sqrt(2 * a * e) + e) / 2;
  EXPECT_LT(point(s, _V(0, gy, 1), _V(w, 0, 0)).pitch, 0.0) << "profile law at " << std::atan2(-gy, 1.0) * DEG;
  EXPECT_GT(point(s, _V(0, inside, 1), _V(w, 0, 0)).pitch, 0.0) << "proportional law just inside";
  // reentry: pitch error AOA - pi, band 2 deg (the nearest angles on either side of the edge)
  double aoa = PI - 2 * RAD;
  while ((aoa - PI) * DEG <= -2.0) aoa = std::nextafter(aoa, 4.0);
  double aoaInside = aoa;
  while ((aoa - PI) * DEG > -2.0) aoa = std::nextafter(aoa, 0.0);
  e = 2 * RAD, w = (0.9 * std::sqrt(2 * a * e) + e) / 2;
  EXPECT_LT(reentry(s, aoa, PI, _V(w, 0, 0)).pitch, 0.0) << "profile law at " << (aoa - PI) * DEG;
  EXPECT_GT(reentry(s, aoaInside, PI, _V(w, 0, 0)).pitch, 0.0) << "proportional law just inside";
}

// On target the proportional law damps the rate: u = -w / 0.1 s / a, here 0.5 on each axis.
TEST(BoosterAttitude, PointingFadesInDenseFlowTheHoldsDoNot) {
  Stage s = ready();
  double w = -0.5 * 0.1 * rcsAcceleration(s);
  const std::pair<double, double> fades[] = {{0, 1.0}, {20e3, 0.625}, {40e3, 0.25}, {80e3, 0.25}};
  for (auto [q, f] : fades) {
    s.v->sp.dynPressure = q;
    Commands c = point(s, _V(0, 0, 1), _V(w, w, 0));
    EXPECT_NEAR(c.pitch, 0.5 * f, 1e-9) << q;
    EXPECT_NEAR(c.yaw, 0.5 * f, 1e-9) << q;
    c = reentry(s, PI, PI, _V(w, w, 0));  // exactly tail first: errors 0
    EXPECT_NEAR(c.pitch, 0.5, 1e-9) << q;
    EXPECT_NEAR(c.yaw, 0.5, 1e-9) << q;
    c = run(s, kHoldVerticalAttitude, _V(w, w, 0));  // the stage stands upright
    EXPECT_NEAR(c.pitch, 0.5, 1e-6) << q;
    EXPECT_NEAR(c.yaw, 0.5, 1e-6) << q;
  }
}

TEST(BoosterAttitude, PointingBelow300MetresSlowsTheRateAndAlwaysEndsKillRotation) {
  Stage s = ready();
  s.intf->ActivateNavmode(NAVMODE_KILLROT);
  reentry(s, PI, PI);
  EXPECT_TRUE(s.intf->GetNavmodeState(NAVMODE_KILLROT));  // only the pointing law ends it
  s.v->sp.alt = 300;
  point(s, _V(0, 0, 1));
  EXPECT_FALSE(s.intf->GetNavmodeState(NAVMODE_KILLROT));
  EXPECT_DOUBLE_EQ(s.b->maxAttRate, 3 * RAD);
  s.v->sp.alt = 299.9;
  point(s, _V(0, 0, 1));
  EXPECT_DOUBLE_EQ(s.b->maxAttRate, 2 * RAD);
  s.v->sp.alt = 150e3;
  point(s, _V(0, 0, 1));
  EXPECT_DOUBLE_EQ(s.b->maxAttRate, 2 * RAD);  // kept until the next set change
  s.intf->SetThrusterGroupLevel(THGROUP_MAIN, 0.1);
  s.step();
  EXPECT_DOUBLE_EQ(s.b->maxAttRate, 5 * RAD);
}

TEST(BoosterAttitude, NoAuthorityOrNoGuidanceGivesNoCommand) {
  Stage s = ready();
  int refused = s.world->diagnostics().refusedCount();
  s.intf->SetThrusterGroupLevel(THGROUP_ATT_PITCHUP, 0.3);
  Commands c = point(s, _V(NAN, NAN, NAN), _V(0.01, 0.01, 0));
  EXPECT_EQ(c.pitch, 0.0);
  EXPECT_EQ(c.yaw, 0.0);
  s.intf->SetThrusterMax0(s.b->thRcs[0], 0.0);  // the laws scale by the first RCS thruster
  for (const boostertest::Operation &law :
       {kPointAlongGuidance, kHoldReentryAttitude, kHoldVerticalAttitude}) {
    s.b->guidanceVector = _V(1, 1, -1);
    s.v->sp.aoa = 0.3, s.v->sp.slip = -0.2;
    c = run(s, law, _V(0.01, -0.01, 0));
    EXPECT_EQ(c.pitch, 0.0) << law.name;
    EXPECT_EQ(c.yaw, 0.0) << law.name;
  }
  EXPECT_EQ(s.world->diagnostics().refusedCount(), refused);  // nothing non-finite reached the host
}

}  // namespace
