// The world's one wind: a vessel held still in the air is pushed the way the profile blows at its
// height; with turbulence the wind a module asks for at a vessel is the one it flies in, gusts
// included; vessels on the ground feel no gust, and without turbulence no noise is drawn.
#include <gtest/gtest.h>

#include <cmath>

#include "world_fixture.h"

namespace {

using namespace testsupport;

sim::WindProfile veeringProfile() {
  return sim::WindProfile::fromRows({{0, 5, 0}, {2000, 15, 90 * RAD}, {8000, 30, 200 * RAD}},
                                    "test");
}

// A crate at rest relative to the ground at height h over a still Earth.
Vessel &crateAt(sim::World &w, double h, const char *name = "crate") {
  return w.createVessel(name, "cargo_crate", flying(*w.findBody("Earth"), 0, 0, h, 0, 0, 0));
}

TEST(WindField, AVesselHeldStillInTheAirIsPushedTheWayTheProfileBlowsAtItsHeight) {
  for (double h : {50.0, 1000.0, 2000.0, 5000.0, 8000.0, 12000.0}) {
    SCOPED_TRACE(h);
    auto w = makeEarthWorld(0.02, false, true);
    w->windField.profile = veeringProfile();
    Vessel &v = crateAt(*w, h);
    v.stateChanged();
    VECTOR3 blows_H = w->windField.profile->horizon(h);
    VECTOR3 felt_H = mul(v.sp.R_HG, v.sp.wind_G);
    EXPECT_NEAR(length(felt_H - blows_H), 0, 1e-9);
    VECTOR3 push_H = _V(0, 0, 0);
    for (int i = 0; i < 5; i++) {  // held still: back to rest after every step
      w->step();
      push_H += v.sp.groundVel_H;
      v.edit().setGlobalState(v.globalPos(), w->globalVel(*w->findBody("Earth")));
    }
    double along = (push_H.x * blows_H.x + push_H.z * blows_H.z) /
                   (std::hypot(push_H.x, push_H.z) * length(blows_H));
    EXPECT_GT(along, std::cos(0.5 * RAD))
        << "pushed towards " << std::atan2(push_H.x, push_H.z) * DEG;
  }
}

TEST(WindField, AModuleAskingForTheWindAtAVesselGetsTheGustItFlies) {
  auto w = makeEarthWorld(0.02, false, true);
  w->windField.profile = veeringProfile();
  w->windField.turbulence = sim::TurbulenceLevel::Severe;
  w->windField.seed = 5;
  sim::CelestialBody &earth = *w->findBody("Earth");
  Vessel &v = w->createVessel("glider", "cargo_crate", flying(earth, 0, 0, 3000, 90, 150, 0));
  double largest = 0;
  for (int i = 0; i < 50; i++) {
    w->step();
    const sim::SurfaceParams &s = v.sp;
    VECTOR3 mean_H = w->windField.profile->horizon(s.alt), gust_H = mul(s.R_HG, s.gust_G);
    VECTOR3 asked = oapiGetWindVector(earth.handle(), s.lng, s.lat, s.alt, 0, nullptr);
    EXPECT_NEAR(length(asked - (mean_H + gust_H)), 0, 1e-9) << i;
    EXPECT_NEAR(length(s.airVel_G - (s.groundVel_G - s.wind_G)), 0, 1e-9);
    VECTOR3 away = oapiGetWindVector(earth.handle(), s.lng + 100 / s.rad, s.lat, s.alt, 0, nullptr);
    EXPECT_NEAR(length(away - mean_H), 0, 1e-9) << "no vessel there: the mean wind";
    largest = std::max(largest, length(gust_H));
  }
  EXPECT_GT(largest, 0.5);  // severe: some 7 m/s rms at 3 km
  EXPECT_LT(largest, 60.0);
}

TEST(WindField, NoNoiseIsDrawnWithoutTurbulenceNorByVesselsOnTheGround) {
  auto w = makeEarthWorld(0.02, false, true);
  w->windField.profile = veeringProfile();
  Vessel &flyingCrate = crateAt(*w, 500, "flying");
  Vessel &standing =
      w->createVessel("standing", "cargo_crate", landed(*w->findBody("Earth"), 1, 0, 0));
  runUntil(*w, 1);
  EXPECT_FALSE(flyingCrate.gust.started);
  EXPECT_FALSE(standing.gust.started);
  EXPECT_EQ(length(flyingCrate.sp.gust_G), 0);

  w->windField.turbulence = sim::TurbulenceLevel::Moderate;
  runUntil(*w, 2);
  EXPECT_TRUE(flyingCrate.gust.started);
  EXPECT_GT(length(flyingCrate.sp.gust_G), 0);
  EXPECT_FALSE(standing.gust.started);
  EXPECT_EQ(length(standing.sp.gust_G), 0);
  EXPECT_EQ(length(standing.sp.wind_G), 0);  // landed: no wind at all
}

TEST(WindField, TheSameSeedFliesTheSameGustsAndTheVesselsNameItsOwn) {
  auto fly = [](std::uint64_t seed, const char *name) {
    auto w = makeEarthWorld(0.05, false, true);
    w->windField.turbulence = sim::TurbulenceLevel::Moderate;
    w->windField.seed = seed;
    Vessel &v = crateAt(*w, 800, name);
    std::vector<double> g;
    for (int i = 0; i < 40; i++) {
      w->step();
      g.insert(g.end(), {v.sp.gust_G.x, v.sp.gust_G.y, v.sp.gust_G.z});
    }
    return g;
  };
  EXPECT_EQ(fly(3, "a"), fly(3, "a"));
  EXPECT_NE(fly(3, "a"), fly(4, "a"));
  EXPECT_NE(fly(3, "a"), fly(3, "b"));
}

}  // namespace
