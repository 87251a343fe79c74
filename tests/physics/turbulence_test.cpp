// Dryden turbulence: the scales over height against the standard's numbers, the exact step's noise
// covariances against high-precision values (series and closed form alike), and an hour of
// seeded gusts at a fixed height and airspeed whose standard deviation and correlation length
// match the model's at steps of 0.01 s and 0.1 s.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <iterator>
#include <vector>

#include "physics/turbulence.h"

namespace {

using sim::TurbulenceLevel;

struct ScalesCase {
  TurbulenceLevel level;
  double height;                                      // [m]
  double sigmaU, sigmaW, lengthU, lengthW, bodyAxes;  // [m/s] [m/s] [m] [m]
};

TEST(Turbulence, ScalesFollowTheLowAndHighAltitudeModelsAndBlendBetween) {
  const ScalesCase cases[] = {
      {TurbulenceLevel::Moderate, 30.48, 2.6481, 1.5433, 153.98, 30.48, 0},  // 100 ft, W20 30 kt
      {TurbulenceLevel::Light, 152.4, 0.95396, 0.77167, 287.93, 152.4, 0},   // 500 ft, W20 15 kt
      {TurbulenceLevel::Severe, 3.048, 4.5443, 2.315, 23.055, 3.048, 0},     // 10 ft
      {TurbulenceLevel::Severe, 1.0, 4.5443, 2.315, 23.055, 3.048, 0},  // below 10 ft: as at 10 ft
      {TurbulenceLevel::Moderate, 457.2, 2.25376, 2.25376, 419.1, 419.1, 0.5},  // 1500 ft: halfway
      {TurbulenceLevel::Severe, 7620, 6.096, 6.096, 533.4, 533.4, 1},           // 25000 ft: 20 ft/s
      {TurbulenceLevel::Severe, 3048, 7.04088, 7.04088, 533.4, 533.4, 1},  // 10000 ft, between rows
      {TurbulenceLevel::Light, 13716, 0, 0, 533.4, 533.4, 1},              // 45000 ft: calm
      {TurbulenceLevel::Severe, 40000, 1.55448, 1.55448, 533.4, 533.4, 1},  // above the table
  };
  for (const ScalesCase &c : cases) {
    sim::DrydenScales s = sim::drydenScales(c.level, c.height);
    SCOPED_TRACE(std::string(sim::turbulenceName(c.level)) + " at " + std::to_string(c.height) +
                 " m");
    EXPECT_NEAR(s.sigmaU, c.sigmaU, 1e-4 * (1 + c.sigmaU));
    EXPECT_EQ(s.sigmaV, s.sigmaU);
    EXPECT_NEAR(s.sigmaW, c.sigmaW, 1e-4 * (1 + c.sigmaW));
    EXPECT_NEAR(s.lengthU, c.lengthU, 1e-4 * c.lengthU);
    EXPECT_EQ(s.lengthV, s.lengthU);
    EXPECT_NEAR(s.lengthW, c.lengthW, 1e-4 * c.lengthW);
    EXPECT_NEAR(s.bodyAxes, c.bodyAxes, 1e-12);
  }
  sim::DrydenScales none = sim::drydenScales(TurbulenceLevel::None, 100);
  EXPECT_EQ(none.sigmaU + none.sigmaV + none.sigmaW, 0);
}

TEST(Turbulence, LevelsReadByName) {
  for (auto [text, level] :
       std::vector<std::pair<std::string, TurbulenceLevel>>{{"none", TurbulenceLevel::None},
                                                            {"Light", TurbulenceLevel::Light},
                                                            {"MODERATE", TurbulenceLevel::Moderate},
                                                            {"severe", TurbulenceLevel::Severe}}) {
    TurbulenceLevel l = TurbulenceLevel::None;
    EXPECT_TRUE(sim::parseTurbulenceLevel(text, l)) << text;
    EXPECT_EQ(l, level) << text;
  }
  TurbulenceLevel l;
  for (const char *bad : {"", "strong", "light ", "1"})
    EXPECT_FALSE(sim::parseTurbulenceLevel(bad, l)) << bad;
}

// J0, J1, J2 of the step (turbulence.h) evaluated to 40 digits.
TEST(Turbulence, TheExactStepCarriesTheNoiseCovarianceOfTheContinuousFilter) {
  struct Case {
    double x, j0, j1, j2;
  };
  const Case cases[] = {
      {1e-7, 9.9999990000000667e-8, 4.9999993333333833e-15, 3.3333328333333733e-22},
      {1e-5, 9.9999000006666633e-6, 4.9999333338333307e-11, 3.3332833337333311e-16},
      {9.99e-4, 0.00099800266333679663, 4.9833632907177241e-7, 3.3183672778519782e-10},
      {1.001e-3, 0.00099999866733413262, 5.0033233306777774e-7, 3.3383273244520715e-10},
      {0.05, 0.047581290982020213, 0.0011697100401111174, 3.8663267566167913e-5},
      {1, 0.43233235838169365, 0.14849853757254048, 0.080830895954234135},
      {8, 0.49999994373241264, 0.24999952172550744, 0.24999592059991643},
  };
  for (const Case &c : cases) {
    sim::SecondOrderStep s = sim::secondOrderStep(c.x, std::exp(-c.x));
    EXPECT_NEAR(s.a * s.a / c.j0, 1, 1e-9) << c.x;
    EXPECT_NEAR(s.a * s.b / c.j1, 1, 1e-8) << c.x;
    EXPECT_NEAR((s.b * s.b + s.c * s.c) / c.j2, 1, 1e-7) << c.x;
  }
}

// Two million deviates: the share beyond each bound (the ziggurat's tail start 3.4426 among them)
// within four standard errors of the normal distribution's, the mean and variance within theirs.
TEST(Turbulence, NoiseDeviatesAreNormal) {
  sim::GustNoise noise(99);
  const double bounds[] = {0.25, 0.5, 1, 1.5, 2, 2.5, 3, 3.442619855899, 4, 4.5};
  const int n = 2000000;
  long long beyond[std::size(bounds)] = {};
  double sum = 0, sum2 = 0;
  for (int i = 0; i < n; i++) {
    double x = noise.normal();
    sum += x, sum2 += x * x;
    for (size_t b = 0; b < std::size(bounds); b++) beyond[b] += std::fabs(x) > bounds[b];
  }
  for (size_t b = 0; b < std::size(bounds); b++) {
    double p = std::erfc(bounds[b] / std::sqrt(2.0)), share = static_cast<double>(beyond[b]) / n;
    EXPECT_NEAR(share, p, 4 * std::sqrt(p * (1 - p) / n) + 1e-6) << "beyond " << bounds[b];
  }
  EXPECT_NEAR(sum / n, 0, 4 / std::sqrt(n));
  EXPECT_NEAR(sum2 / n, 1, 4 * std::sqrt(2.0 / n));
}

TEST(Turbulence, TheSameSeedGivesTheSameGustsAndAnotherSeedOthers) {
  sim::DrydenScales s = sim::drydenScales(TurbulenceLevel::Moderate, 200);
  auto fly = [&](std::uint64_t seed) {
    sim::GustNoise noise(seed);
    sim::DrydenFilter f;
    f.start(noise);
    std::vector<double> out;
    for (int i = 0; i < 100; i++) {
      f.advance(s, 80, 0.05, noise);
      double u, v, w;
      f.gusts(s, u, v, w);
      out.insert(out.end(), {u, v, w});
    }
    return out;
  };
  EXPECT_EQ(fly(7), fly(7));
  EXPECT_NE(fly(7), fly(8));
}

// The lag [m] at which the sample autocorrelation of x (samples `spacing` metres apart) first falls
// to 1/e, interpolated between samples; NaN if it never does.
double correlationLength(const std::vector<double> &x, double spacing) {
  size_t n = x.size();
  double mean = 0, c0 = 0, previous = 1;
  for (double a : x) mean += a;
  mean /= static_cast<double>(n);
  for (double a : x) c0 += (a - mean) * (a - mean);
  const double target = std::exp(-1.0);
  for (size_t k = 1; k < n / 10; k++) {
    double c = 0;
    for (size_t i = 0; i + k < n; i++) c += (x[i] - mean) * (x[i + k] - mean);
    double r = c / c0;
    if (r < target)
      return spacing * (static_cast<double>(k - 1) + (previous - target) / (previous - r));
    previous = r;
  }
  return NAN;
}

double standardDeviation(const std::vector<double> &x) {
  double m = 0, q = 0;
  for (double a : x) m += a, q += a * a;
  m /= static_cast<double>(x.size());
  return std::sqrt(q / static_cast<double>(x.size()) - m * m);
}

// An hour at a fixed height and airspeed. The 1/e correlation length of the model: L for u,
// 0.62518 L for v and w (the root of (1 - s/2) e^-s = e^-1).
TEST(Turbulence, AnHourOfGustsHasTheModelsDeviationAndCorrelationLengthAtAnyStep) {
  struct Case {
    const char *name;
    TurbulenceLevel level;
    double height, airspeed, dt;
  };
  const Case cases[] = {
      {"low altitude", TurbulenceLevel::Moderate, 100, 250, 0.01},
      {"low altitude", TurbulenceLevel::Moderate, 100, 250, 0.1},
      {"high altitude", TurbulenceLevel::Severe, 6000, 500, 0.01},
      {"high altitude", TurbulenceLevel::Severe, 6000, 500, 0.1},
  };
  for (const Case &c : cases) {
    sim::DrydenScales s = sim::drydenScales(c.level, c.height);
    sim::GustNoise noise(2026);
    sim::DrydenFilter f;
    f.start(noise);
    size_t n = static_cast<size_t>(std::lround(3600 / c.dt));
    std::vector<double> g[3];
    for (auto &x : g) x.resize(n);
    for (size_t i = 0; i < n; i++) {
      f.advance(s, c.airspeed, c.dt, noise);
      f.gusts(s, g[0][i], g[1][i], g[2][i]);
    }
    const double sigma[3] = {s.sigmaU, s.sigmaV, s.sigmaW};
    const double length[3] = {s.lengthU, 0.625177 * s.lengthV, 0.625177 * s.lengthW};
    const char *axis = "uvw";
    for (int k = 0; k < 3; k++) {
      double sd = standardDeviation(g[k]), cl = correlationLength(g[k], c.airspeed * c.dt);
      std::printf(
          "  %s %.0f m, %.0f m/s, dt %.2f s, %c: sd %.3f m/s (model %.3f, %+.1f %%), correlation "
          "length "
          "%.1f m (model %.1f, %+.1f %%)\n",
          c.name, c.height, c.airspeed, c.dt, axis[k], sd, sigma[k], 100 * (sd / sigma[k] - 1), cl,
          length[k], 100 * (cl / length[k] - 1));
      EXPECT_NEAR(sd / sigma[k], 1, 0.10) << c.name << " dt " << c.dt << " " << axis[k];
      EXPECT_NEAR(cl / length[k], 1, 0.10) << c.name << " dt " << c.dt << " " << axis[k];
    }
  }
}

}  // namespace
