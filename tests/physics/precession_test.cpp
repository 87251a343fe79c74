// Earth's precessing axis: its direction at two epochs worked by hand, a saved orbiting state read
// at the longitude and latitude the simulator reads it at, a landed vessel that stays put for a day,
// and a flying vessel's place kept through a save and a load.
#include <gtest/gtest.h>

#include <fstream>

#include "world_fixture.h"

namespace {

using namespace testsupport;

constexpr double kObliquity = 0.4090928023;       // [rad]
constexpr double kPrecessionPeriod = -9413040.4;  // [days]

// The state a run of the default recovery saves after its first 0.02 s step.
constexpr const char *kStagedScenario = R"(BEGIN_ENVIRONMENT
  System Sol
  Date MJD 60300.5000002315
END_ENVIRONMENT
BEGIN_FOCUS
  Ship Probe
END_FOCUS
BEGIN_SHIPS
Probe:cargo_crate
  STATUS Orbiting Earth
  RPOS -5567205.074 3223674.070 317827.260
  RVEL -526.4207 1194.7643 -1582.2432
  AROT 139.496 20.625 -120.245
END
END_SHIPS
)";

TEST(Precession, AxisTurnsAboutTheEclipticPoleAtTheConfiguredRate) {
  auto w = makeWorld();
  sim::CelestialBody &earth = *w->findBody("Earth");
  struct Case {
    double mjd, node;  // [MJD], [rad] node of the axis
  };
  for (Case c : {Case{51544.5, 0.0}, Case{60300.5, PI2 * (60300.5 - 51544.5) / kPrecessionPeriod}}) {
    w->setStartMjd(c.mjd);
    VECTOR3 axis = earth.axisAt(0);
    // tilted by the obliquity from ecliptic north (+y) towards +z, then turned by the node about +y
    EXPECT_NEAR(axis.x, -std::sin(kObliquity) * std::sin(c.node), 1e-12) << c.mjd;
    EXPECT_NEAR(axis.y, std::cos(kObliquity), 1e-12) << c.mjd;
    EXPECT_NEAR(axis.z, std::sin(kObliquity) * std::cos(c.node), 1e-12) << c.mjd;
    VECTOR3 pole = mul(earth.now().R_GP, _V(0, 1, 0));
    EXPECT_NEAR(length(pole - axis), 0.0, 1e-12) << "the planet's +y is the axis";
  }
  EXPECT_NEAR(earth.axisNode(60300.5) / RAD, -0.334872, 1e-6);
}

TEST(Precession, SavedOrbitingStateIsReadWhereTheSimulatorReadsIt) {
  TempDataRoot root;
  auto file = root.writeScenario("staged", kStagedScenario);
  auto w = makeWorld(0.02, root.path());
  w->loadScenario(file);
  Vessel &v = *w->findVessel("Probe");
  EXPECT_NEAR(v.sp.lng / RAD, -80.0021646, 1e-6);
  EXPECT_NEAR(v.sp.lat / RAD, 28.4772166, 1e-6);
  w->step();  // the simulator's reading after one step
  EXPECT_NEAR(v.sp.lng / RAD, -80.00188, 0.002);
  EXPECT_NEAR(v.sp.lat / RAD, 28.47722, 0.002);
}

TEST(Precession, LandedVesselStaysPutOnTheTurningEarthForADay) {
  auto w = makeWorld(10.0);
  sim::CelestialBody &earth = *w->findBody("Earth");
  w->setStartMjd(60300.5);
  Vessel &v = w->createVessel("crate", "cargo_crate", landed(earth, -80.6042, 28.6083, 0));
  ASSERT_TRUE(v.landed());
  for (double t : {3600.0, 43200.0, 86400.0}) {
    runUntil(*w, t);
    ASSERT_TRUE(v.landed()) << t;
    EXPECT_NEAR(v.sp.lng / RAD, -80.6042, 1e-9) << t;
    EXPECT_NEAR(v.sp.lat / RAD, 28.6083, 1e-9) << t;
  }
}

TEST(Precession, FlyingVesselKeepsItsPlaceThroughASaveAndALoad) {
  TempDataRoot root;
  auto w = makeWorld(0.02, root.path());
  w->setStartMjd(60300.5);
  sim::CelestialBody &earth = *w->findBody("Earth");
  w->createVessel("probe", "cargo_crate", flying(earth, -79.98957, 28.6083, 70000, 90, 1700, 35));
  w->step();
  Vessel &before = *w->findVessel("probe");
  double lng = before.sp.lng, lat = before.sp.lat, alt = before.sp.alt;
  auto file = root.path() / "saved.scn";
  w->saveScenario(file);
  auto again = makeWorld(0.02, root.path());
  again->loadScenario(file);
  Vessel &after = *again->findVessel("probe");
  // the orbiting form keeps millimetres: 1e-7 rad is 0.6 m
  EXPECT_NEAR(after.sp.lng, lng, 1e-7);
  EXPECT_NEAR(after.sp.lat, lat, 1e-7);
  EXPECT_NEAR(after.sp.alt, alt, 0.01);
}

}  // namespace
