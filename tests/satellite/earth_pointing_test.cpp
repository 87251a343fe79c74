// Automatic Earth-pointing and sun tracking in the real physics: where the attitude is undefined
// nothing invalid reaches the host; otherwise +z looks at the Earth's centre, +x is normal to the
// vessel-Earth-Sun plane, no propellant is used, and the deployed wings face the Sun.
#include <cstdio>
#include <functional>

#include "satellite_fixture.h"

using namespace sat;

namespace {

// The attitude the Earth-pointing must produce from the positions at the start of a step.
double pointingError(const MATRIX3 &R, const VECTOR3 &fromEarth, const VECTOR3 &fromSun) {
  VECTOR3 b = -unit(fromEarth), s = -unit(fromSun), n = unit(crossp(b, s));
  return std::max(angle(column(R, 2), b), angle(column(R, 0), n));
}

}  // namespace

TEST(SatelliteEarthPointing, UndefinedAttitudesLeaveTheAttitudeAlone) {
  auto withoutEarth = [] {  // one planet, of another name
    sim::WorldSettings s;
    s.dataRoot = dataRoot();
    s.modulesDir = modulesDir();
    s.dt = 0.1;
    s.loadSolarSystem = false;
    auto w = std::make_unique<sim::World>(s);
    auto mars = std::make_unique<sim::CelestialBody>("Mars", OBJTP_PLANET);
    mars->mass = 6.4e23;
    mars->meanRadius = 3.39e6;
    w->addBody(std::move(mars));
    w->finishBodies();
    return w;
  };
  struct Case { const char *what; std::function<std::unique_ptr<sim::World>()> world; std::string block; int steps; };
  const Case cases[] = {
      {"no Earth", withoutEarth, ship("sat", "  AUTOATT 1\n", "0 4000000 0", "3500 0 0", "Mars"), 5},
      // Earth at the global origin: every vessel is on the Earth-Sun line.
      {"Earth-Sun line", [] { return makeEarthWorld(0.1, false, false); }, ship("sat", "  AUTOATT 1\n"), 5},
      // At the Sun's centre, for the first step.
      {"global origin", [] { return makeWorld(0.1); }, ship("sat", "  AUTOATT 1\n", "0 0 0", "0 0 0", "Sun"), 1}};
  for (const Case &c : cases) {
    std::unique_ptr<sim::World> w = c.world();  // one world at a time: the oapi functions use the latest
    Vessel &v = load(*w, c.block);
    for (int i = 0; i < c.steps; i++) w->step();
    EXPECT_EQ(w->diagnostics().refusedCount(), 0) << c.what;
    for (int i = 0; i < 9; i++) EXPECT_EQ(v.st.R.data[i], identity().data[i]) << c.what;
  }
}

TEST(SatelliteEarthPointing, HoldsWithZAlongTheGlobalXAxis) {
  // Alpha and gamma turn about the same axis here; the roll must still put +x on the normal.
  auto w = makeWorld(0.1);
  Vessel &v = load(*w, ship("sat", "  AUTOATT 1\n", "6771010 0 0", "0 0 7672.593"));
  VECTOR3 fromEarth = v.st.rpos, fromSun = v.globalPos();
  w->step();
  EXPECT_LT(pointingError(v.st.R, fromEarth, fromSun), 1e-9);
}

TEST(SatelliteClosedLoop, EarthPointingAndSunTrackingOverOneOrbit) {
  auto w = makeWorld(1.0);
  sim::CelestialBody &earth = *w->findBody("Earth");
  // A circular 400 km orbit with the Sun 20 deg out of its plane.
  VECTOR3 sun = -unit(earth.now().pos);
  VECTOR3 north = unit(_V(0, 1, 0) - sun * sun.y);
  VECTOR3 normal = sun * std::sin(20 * RAD) + north * std::cos(20 * RAD);
  VECTOR3 e1 = unit(crossp(normal, sun)), e2 = crossp(normal, e1);
  auto spawn = orbiting(earth, e1 * kOrbitRadius, e2 * std::sqrt(kMu / kOrbitRadius));
  Vessel &v = w->createVessel("sat", "orlis", keepTanks(spawn));
  const double propellant = v.st.tankMass[0];
  press(*w, v, OAPI_KEY_G);
  press(*w, v, OAPI_KEY_V);
  runUntil(*w, 30);  // deployed after 20 s, wings on the Sun a step later
  const double period = PI2 * std::sqrt(std::pow(kOrbitRadius, 3) / kMu);

  double worstPointing = 0, worstSun = 0, lastSunAngle = NAN;
  int steps = 0, within = 0, tooFast = 0;
  while (w->simTime() < 30 + period) {
    ASSERT_EQ(v.st.frame, &earth);
    VECTOR3 fromEarth = v.st.rpos, fromSun = v.globalPos();
    w->step();
    worstPointing = std::max(worstPointing, pointingError(v.st.R, fromEarth, fromSun));
    // The Sun now, against the posed cell normals in global axes.
    VECTOR3 toSun = -unit(v.globalPos()), l = tmul(v.st.R, toSun);
    double sunAngle = std::atan2(-l.y, l.z);
    bool fast = std::fabs(normangle(sunAngle - lastSunAngle)) > 18 * RAD * w->dt();
    lastSunAngle = sunAngle;
    if (fast) {
      tooFast++;
      continue;
    }
    double worstPanel = 0;
    for (unsigned g : kPanels) worstPanel = std::max(worstPanel, angle(mul(v.st.R, cellNormal(v, g)), toSun));
    worstSun = std::max(worstSun, worstPanel);
    steps++;
    within += worstPanel < 2 * RAD;
  }
  std::printf("orbit of %.0f s: Earth-pointing error %.3g rad; wings: worst %.3g deg, %.4f of %d steps "
              "within 2 deg, %d steps of faster Sun motion left out\n",
              period, worstPointing, worstSun * DEG, double(within) / steps, steps, tooFast);
  EXPECT_LT(worstPointing, 1e-6);
  EXPECT_LT(worstSun, 2 * RAD);
  EXPECT_GT(steps, period - 2);
  EXPECT_EQ(v.st.tankMass[0], propellant);
  EXPECT_EQ(w->diagnostics().refusedCount(), 0);
}
