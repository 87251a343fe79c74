// The attitude laws and the legs flown in the real physics: the reentry attitude hold turning a
// falling stage tail first, the vertical hold, the guidance pointing, and the legs and fins coming
// out on the ground. Each check records the time it took (test property "seconds").
#include <cmath>

#include "booster_fixture.h"

namespace {

using boostertest::Stage;

double fromTailFirstDeg(double angle) { return std::fabs(std::fabs(angle) - PI) * DEG; }
double degreesBetween(const VECTOR3 &a, const VECTOR3 &b) {
  return std::acos(std::clamp(dotp(unit(a), unit(b)), -1.0, 1.0)) * DEG;
}
VECTOR3 plusZ_G(const Vessel &v) { return _V(v.st.R.m13, v.st.R.m23, v.st.R.m33); }

// Steps until `error` has stayed below `limit` for `hold` seconds (or `timeout` passes); returns
// the time it first got below the limit for good, or -1. `before` runs ahead of every step.
template <class Error, class Before>
double timeToHold(Stage &s, double limit, double hold, double timeout, Error error, Before before) {
  double t0 = s.world->simTime(), since = -1;
  while (s.world->simTime() - t0 < timeout) {
    before();
    s.step();
    if (error() < limit) {
      if (since < 0) since = s.world->simTime() - t0;
      if (s.world->simTime() - t0 - since >= hold) return since;
    } else {
      since = -1;
    }
  }
  return -1;
}

void report(const std::string &what, double seconds) {
  testing::Test::RecordProperty(what, std::to_string(seconds));
  std::printf("[ measured ] %s: %.2f s\n", what.c_str(), seconds);
}

// Coasting nose first at 60 km, falling at 1 km/s, engines off, 10 t of propellant left: N turns
// the stage tail first and holds angle of attack and sideslip within 2 deg of 180 deg.
TEST(BoosterClosedLoop, ReentryHoldTurnsAFallingStageTailFirst) {
  for (double path : {-90.0, -60.0}) {
    SCOPED_TRACE(testing::Message() << "path angle " << path);
    auto w = testsupport::makeEarthWorld(0.02, true, true);
    double speed = 1000 / std::sin(-path * RAD);
    sim::VesselSpawn at = testsupport::flying(*w->findBody("Earth"), 0, 0, 60e3, 90, speed, path);
    Stage s = boostertest::spawn(std::move(w), at);
    s.intf->SetPropellantMass(s.b->phMain, 10000);
    ASSERT_LT(std::max(std::fabs(s.v->sp.aoa), std::fabs(s.v->sp.slip)) * DEG, 0.1);  // nose first
    ASSERT_EQ(s.key(OAPI_KEY_N), 1);
    double worst = 0;
    auto error = [&] { return std::max(fromTailFirstDeg(s.v->sp.aoa), fromTailFirstDeg(s.v->sp.slip)); };
    double t = timeToHold(s, 2.0, 10.0, 90.0, error, [] {});
    ASSERT_GT(t, 0) << "error " << error() << " deg at " << s.v->sp.alt << " m";
    report("reentry hold, path " + std::to_string(int(path)) + " deg", t);
    while (s.v->sp.alt > 5000) {  // and it keeps the attitude through the dense air
      s.step();
      worst = std::max(worst, error());
    }
    EXPECT_LT(worst, 2.0);
    EXPECT_EQ(s.world->diagnostics().refusedCount(), 0);
  }
}

// A stage tilted 10 deg: hovering low on the centre engine (engine steering), or falling from
// 1 km with the engine off (RCS). The vertical hold, run every step, stands it upright.
TEST(BoosterClosedLoop, VerticalHoldStandsATiltedStageUpright) {
  for (bool burning : {true, false}) {
    SCOPED_TRACE(burning ? "hovering" : "falling");
    auto w = testsupport::makeEarthWorld(0.02, true, true);
    sim::VesselSpawn at = testsupport::flying(*w->findBody("Earth"), 0, 0, burning ? 500 : 1000, 0, 0, 0);
    at.ext.hasArot = true;
    at.vs.arot = _V(PI05 - 10 * RAD, 0, 0);
    Stage s = boostertest::spawn(std::move(w), at);
    s.intf->SetPropellantMass(s.b->phMain, 20000);
    ASSERT_NEAR(std::acos(s.v->sp.up_V.z) * DEG, 10, 1e-6);
    if (burning) {
      s.key(OAPI_KEY_P), s.key(OAPI_KEY_P);  // the centre engine
      s.intf->SetThrusterGroupLevel(THGROUP_MAIN, s.intf->GetMass() * 9.8 / s.intf->GetThrusterMax(s.b->thMain[2]));
    }
    auto tilt = [&] { return std::acos(std::clamp(s.v->sp.up_V.z, -1.0, 1.0)) * DEG; };
    double t =
        timeToHold(s, 1.0, burning ? 15.0 : 5.0, 20.0, tilt, [&] { s.b->holdVerticalAttitude(); });
    EXPECT_GT(t, 0) << "tilt " << tilt() << " deg";
    EXPECT_EQ(s.b->attitudeSet, burning ? 0 : 1);
    report(std::string("vertical hold, ") + (burning ? "hovering" : "falling"), t);
    EXPECT_GT(s.v->sp.alt, 100.0);
  }
}

// Out of the air, +z is turned onto a direction fixed in space, 60 deg from where it points.
TEST(BoosterClosedLoop, PointingTurnsPlusZOntoAFixedDirection) {
  auto w = testsupport::makeEarthWorld(0.02, false, false);
  sim::VesselSpawn at = testsupport::flying(*w->findBody("Earth"), 0, 0, 200e3, 0, 0, 0);
  Stage s = boostertest::spawn(std::move(w), at);
  s.intf->SetPropellantMass(s.b->phMain, 40000);
  VECTOR3 z0 = plusZ_G(*s.v), side = unit(crossp(z0, _V(0.3, 0.5, 0.8)));
  VECTOR3 target = z0 * std::cos(60 * RAD) + crossp(side, z0) * std::sin(60 * RAD);
  auto error = [&] { return degreesBetween(plusZ_G(*s.v), target); };
  ASSERT_NEAR(error(), 60, 1e-6);
  double t = timeToHold(s, 1.0, 20.0, 90.0, error, [&] {
    s.b->guidanceVector = tmul(s.v->st.R, target);  // the direction in vessel axes
    s.b->pointAlongGuidance();
  });
  EXPECT_GT(t, 0) << "error " << error() << " deg";
  report("pointing through 60 deg", t);
}

// At rest on the ground on the hull points: G lowers the legs in 10 s, after which the stage stands
// on the deployed feet 24 m below its origin, less the springs' static compression; J unfolds the
// fins in 2 s.
TEST(BoosterClosedLoop, LegsComeDownOnTheGroundAndCarryTheStage) {
  auto w = testsupport::makeEarthWorld(0.02, true, true);
  sim::VesselSpawn at = testsupport::landed(*w->findBody("Earth"), 0, 0, 0);
  Stage s = boostertest::spawn(std::move(w), at, false);
  ASSERT_TRUE(s.v->landed());
  double mass = s.intf->GetMass();
  EXPECT_NEAR(s.v->sp.alt, 20 - mass * 9.8 / 3e6, 0.01);
  s.key(OAPI_KEY_G);
  s.key(OAPI_KEY_J);
  s.run(2.1);
  EXPECT_EQ(s.b->finsState, 2);
  s.run(8.0);
  EXPECT_EQ(s.b->legsState, 2);
  double t = timeToHold(s, 1e-3, 5.0, 60.0, [&] { return s.v->sp.groundspeed; }, [] {});
  EXPECT_GT(t, 0) << "still moving at " << s.v->sp.groundspeed << " m/s";
  report("legs: at rest after the legs are down", t);
  EXPECT_NEAR(s.v->sp.alt, 24 - mass * 9.80 / 3e6, 0.01);
  EXPECT_NEAR(s.v->sp.up_V.z, 1.0, 1e-6);
  std::printf("[ measured ] legs: height %.4f m, crashed flag %d\n", s.v->sp.alt, s.v->st.crashed ? 1 : 0);
}

}  // namespace
