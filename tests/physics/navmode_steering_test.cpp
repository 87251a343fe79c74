// The navigation modes that steer: KILLROT and the level-horizon mode within the times the
// rotation thrusters allow, the orbital-direction modes, the altitude hold, and a VESSEL4
// module's clbkNavProcess.
// The test vessel (the test_nav4 module) has equal moments of inertia (2 m^2), so the axes do not
// couple, and 100 N m on every rotation group: alpha = 100 / (m I) per axis.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "loader/module.h"
#include "world_fixture.h"

namespace {

using namespace testsupport;

struct Spinner {
  TempDataRoot root;
  std::unique_ptr<sim::World> w;
  Vessel *v = nullptr;
  explicit Spinner(double dt, const VECTOR3 &arot = _V(0, 0, 0)) {
    root.addClass("nav4", "ClassName = nav4\nModule = test_nav4\n");
    w = makeWorld(dt, root.path());
    sim::CelestialBody &earth = *w->findBody("Earth");
    double r = earth.meanRadius + 400e3;
    v = &w->createVessel("S", "nav4", orbiting(earth, _V(r, 0, 0), _V(0, 0, std::sqrt(earth.mu() / r)), arot));
  }
  double alpha() const { return 100.0 / (v->mass() * 2.0); }  // [rad/s^2]
  template <class F>
  F *symbol(const char *name) {
    return reinterpret_cast<F *>(dlsym(w->modules().load("test_nav4").handle, name));
  }
};

double maxAbs(const VECTOR3 &a) { return std::max({std::fabs(a.x), std::fabs(a.y), std::fabs(a.z)}); }

TEST(KillRotation, StopsWithinTheTimeTheRotationGroupsAllow) {
  struct Case {
    VECTOR3 omega;  // [rad/s]
    double dt;      // [s]
  };
  const Case cases[] = {{_V(0.1, 0, 0), 0.02},        {_V(0, -0.2, 0), 0.02},  {_V(0.05, 0.1, -0.15), 0.02},
                        {_V(0.05, 0.1, -0.15), 0.1}, {_V(0, 0, 0.3), 0.05}};
  for (const Case &c : cases) {
    Spinner s(c.dt);
    s.v->edit()->omega = c.omega;
    double alpha0 = s.alpha();
    ASSERT_TRUE(s.v->intf->ActivateNavmode(NAVMODE_KILLROT));
    while (s.v->intf->GetNavmodeState(NAVMODE_KILLROT) && s.w->simTime() < 120) s.w->step();
    double t = s.w->simTime();
    // At full thrust until the rate is down to 10 alpha dt, then the one-step law decays it with
    // a time constant of 10 dt down to 1e-5 rad/s.
    double fastest = maxAbs(c.omega) / s.alpha();  // the lighter vessel at the end turns faster
    double tail = 10 * c.dt * std::log(10 * alpha0 * c.dt * std::sqrt(3.0) / 1e-5);
    EXPECT_GE(t, fastest - c.dt) << "faster than the thrusters can";
    EXPECT_LE(t, maxAbs(c.omega) / alpha0 + tail + 3 * c.dt) << "omega " << c.omega.x << "," << c.omega.y << ","
                                                             << c.omega.z << " dt " << c.dt;
    EXPECT_LT(length(s.v->st.omega), 1e-5);
  }
}

// The time of the first step from which pitch and bank stay within 0.5 deg for 20 s.
double timeToLevel(Spinner &s, double limit) {
  double since = -1;
  while (s.w->simTime() < limit) {
    s.w->step();
    bool level = std::fabs(s.v->sp.pitch) < 0.5 * RAD && std::fabs(s.v->sp.bank) < 0.5 * RAD;
    if (!level) since = -1;
    else if (since < 0) since = s.w->simTime();
    if (since >= 0 && s.w->simTime() - since >= 20) return since;
  }
  return 1e9;
}

TEST(LevelHorizon, LevelsATiltedOrTumblingVesselAsFastAsItsThrustAllows) {
  struct Case {
    VECTOR3 arotDeg;  // global Euler angles; at the start the local vertical is global +x
    VECTOR3 omega;    // [rad/s]
    bool atRest;      // a turn about one axis from rest: the bang-bang time is a lower bound
    double angle;     // [rad] that turn
  };
  // (0, 0, 90) is level (+y along +x, +z along the orbit); other third angles bank the vessel.
  const Case cases[] = {
      {_V(0, 0, 90 - 40), _V(0, 0, 0), true, 40 * RAD},
      {_V(0, 0, 90 + 60), _V(0, 0, 0), true, 60 * RAD},
      {_V(20, -30, 70), _V(0.05, -0.04, 0.06), false, 0},
      {_V(170, 10, -80), _V(-0.1, 0.08, 0.02), false, 0},  // nearly upside down
  };
  for (const Case &c : cases) {
    Spinner s(0.02, c.arotDeg * RAD);
    s.v->edit()->omega = c.omega;
    s.v->stateChanged();
    ASSERT_TRUE(s.v->intf->ActivateNavmode(NAVMODE_HLEVEL));
    double alpha = s.alpha();
    double t = timeToLevel(s, 200);
    SCOPED_TRACE("arot " + std::to_string(c.arotDeg.x) + " " + std::to_string(c.arotDeg.y) + " " +
                 std::to_string(c.arotDeg.z));
    if (c.atRest) {
      double bangBang = 2 * std::sqrt(c.angle / alpha);
      EXPECT_GE(t, bangBang - 0.5);  // the last half degree need not be turned
      EXPECT_LE(t, 1.5 * bangBang + 5);
    } else {
      EXPECT_LE(t, maxAbs(c.omega) / alpha + 1.5 * 2 * std::sqrt(PI / alpha) + 5);
    }
    EXPECT_TRUE(s.v->intf->GetNavmodeState(NAVMODE_HLEVEL)) << "a hold stays on";
  }
}

TEST(OrbitModes, PointTheForwardAxisAlongTheirDirection) {
  struct Case {
    int mode;
    VECTOR3 dir_G;  // expected +z direction (the orbit: r along +x, v along +z)
  };
  const Case cases[] = {{NAVMODE_PROGRADE, _V(0, 0, 1)},
                        {NAVMODE_RETROGRADE, _V(0, 0, -1)},
                        {NAVMODE_NORMAL, _V(0, 1, 0)},  // north of an eastward orbit
                        {NAVMODE_ANTINORMAL, _V(0, -1, 0)}};
  for (const Case &c : cases) {
    Spinner s(0.02, _V(0.3, -0.7, 0.4));
    ASSERT_TRUE(s.v->intf->ActivateNavmode(c.mode));
    runUntil(*s.w, 60);
    sim::CelestialBody &earth = *s.w->findBody("Earth");
    VECTOR3 r = s.w->relativePos(*s.v, earth), vel = s.w->relativeVel(*s.v, earth);
    VECTOR3 expected = c.mode == NAVMODE_PROGRADE     ? unit(vel)
                       : c.mode == NAVMODE_RETROGRADE ? -unit(vel)
                       : c.mode == NAVMODE_NORMAL     ? unit(crossp(vel, r))
                                                      : -unit(crossp(vel, r));
    EXPECT_GT(dotp(expected, c.dir_G), 0.99) << "the expected direction itself";
    VECTOR3 z_G = mul(s.v->st.R, _V(0, 0, 1));
    EXPECT_LT(std::acos(std::min(1.0, dotp(z_G, expected))), 0.5 * RAD) << "mode " << c.mode;
    EXPECT_LT(std::fabs(s.v->st.omega.z), 1e-3) << "the roll is brought to rest";
  }
}

TEST(HoldAltitude, HoldsTheAltitudeItWasSwitchedOnAt) {
  struct Case {
    bool rotating, atmosphere;
    double climb;  // [m/s] vertical speed when switched on
  };
  const Case cases[] = {{false, false, 0.0}, {false, false, 5.0}, {true, true, -3.0}};
  for (const Case &c : cases) {
    auto w = makeEarthWorld(0.02, c.rotating, c.atmosphere, {exampleDir()});
    sim::CelestialBody &earth = *w->findBody("Earth");
    sim::VesselSpawn sp = flying(earth, 10, 20, 100, 0, std::fabs(c.climb), c.climb >= 0 ? 90 : -90);
    sp.ext.hasArot = true;  // level, whatever the motion
    Vessel &v = w->createVessel("H", "wren", keepTanks(sp));
    double target = v.sp.alt;
    ASSERT_TRUE(v.intf->ActivateNavmode(NAVMODE_HOLDALT));
    runUntil(*w, 20);
    EXPECT_NEAR(v.sp.alt, target, 0.3) << "climb " << c.climb;
    EXPECT_NEAR(v.sp.groundVel_H.y, 0.0, 0.05);
    int g = v.groupOfType(THGROUP_HOVER);
    EXPECT_EQ(v.st.thrusters[v.def.groups[g].members[0]].permanent, 0.0) << "the mode's level is transient";
    EXPECT_GT(v.intf->GetThrusterGroupLevel(THGROUP_HOVER), 0.7);
    v.intf->DeactivateNavmode(NAVMODE_HOLDALT);
    w->step();
    w->step();
    EXPECT_EQ(v.intf->GetThrusterGroupLevel(THGROUP_HOVER), 0.0) << "off: back to the permanent level";
  }
}

TEST(NavProcess, AVessel4ModuleSeesTheModesAndKeepsTheOnesItClaims) {
  Spinner s(0.02);
  auto setMask = s.symbol<void(int)>("nav4SetMask");
  auto lastModes = s.symbol<int()>("nav4LastModes");
  auto calls = s.symbol<int()>("nav4Calls");
  ASSERT_TRUE(setMask && lastModes && calls);
  EXPECT_EQ(s.v->intf->Version(), 3);
  int before = calls();
  s.w->step();
  EXPECT_EQ(calls(), before) << "not called while no mode is on";
  s.v->edit()->omega = _V(0.05, 0, 0);
  setMask(NAVBIT_KILLROT);  // the module claims KILLROT: the core must not fly it
  s.v->intf->ActivateNavmode(NAVMODE_KILLROT);
  runUntil(*s.w, 3);
  EXPECT_EQ(lastModes(), NAVBIT_KILLROT);
  EXPECT_NEAR(s.v->st.omega.x, 0.05, 1e-9);
  setMask(0);
  runUntil(*s.w, 10);
  EXPECT_FALSE(s.v->intf->GetNavmodeState(NAVMODE_KILLROT));
  EXPECT_LT(length(s.v->st.omega), 1e-5);
}

}  // namespace
