// The atmosphere against the standard-atmosphere table of the simulator's default model.
#include <gtest/gtest.h>

#include "physics/atmosphere.h"

namespace {

struct Row {
  double km, t, rho, p;
};
// Geometric altitude [km], T [K], rho [kg/m^3], p [Pa].
const Row kTable[] = {{0, 288.15, 1.2247, 101329},   {1, 281.65, 1.1114, 89880},   {2, 275.15, 1.0063, 79505},
                      {5, 255.68, 0.7363, 54050},    {10, 223.25, 0.4134, 26501},  {15, 216.65, 0.1947, 12112},
                      {20, 216.65, 0.08889, 5529},   {30, 226.51, 0.01841, 1197},  {40, 250.35, 3.995e-3, 287.1},
                      {50, 270.65, 1.027e-3, 79.8},  {60, 247.02, 3.096e-4, 21.96}, {70, 219.58, 8.279e-5, 5.22},
                      {80, 198.63, 1.845e-5, 1.052}, {85, 188.89, 8.213e-6, 0.446}};

TEST(Atmosphere, MatchesTheTableBelow85km) {
  for (const Row &r : kTable) {
    sim::AtmosphereState s = sim::EarthAtmosphere::at(r.km * 1000);
    EXPECT_NEAR(s.temperature, r.t, 0.02) << r.km << " km";
    EXPECT_NEAR(s.density / r.rho, 1.0, 1.5e-3) << r.km << " km";
    EXPECT_NEAR(s.pressure / r.p, 1.0, 3e-3) << r.km << " km";
  }
}

TEST(Atmosphere, DecreasesSmoothlyToItsTopAndEndsThere) {
  double previous = sim::EarthAtmosphere::at(0).density;
  for (double z = 100; z < sim::EarthAtmosphere::kTop; z += 100) {
    double rho = sim::EarthAtmosphere::at(z).density;
    ASSERT_LT(rho, previous) << z;
    ASSERT_GT(rho, 0) << z;
    // no jumps at layer joins: density falls by less than 5 % per 100 m everywhere
    ASSERT_GT(rho / previous, 0.95) << z;
    previous = rho;
  }
  EXPECT_EQ(sim::EarthAtmosphere::at(sim::EarthAtmosphere::kTop).density, 0.0);
  EXPECT_EQ(sim::EarthAtmosphere::at(2 * sim::EarthAtmosphere::kTop).pressure, 0.0);
  // the speed of sound with gamma 1.4 and R 286.91: 340.2 m/s at sea level
  EXPECT_NEAR(sim::EarthAtmosphere::speedOfSound(288.15), 340.2, 0.1);
}

}  // namespace
