// Dryden turbulence (MIL-F-8785C, MIL-HDBK-1797): gust velocities from shaping filters driven by
// seeded white noise.
//
// Spectra over the spatial frequency W [rad/m], flown at airspeed V through a frozen field:
//   u (longitudinal)        sigma_u^2 (2 L_u / pi) / (1 + (L_u W)^2)
//   v, w (lateral, vertical) sigma^2 (L / pi) (1 + 3 (L W)^2) / (1 + (L W)^2)^2
// Scales, height h in ft inside the formulas (the standard's), converted to SI at the boundary:
//   below 1000 ft:  sigma_w = 0.1 W20, sigma_u = sigma_v = sigma_w / (0.177 + 0.000823 h)^0.4,
//                   L_w = h, L_u = L_v = h / (0.177 + 0.000823 h)^1.2, h at least 10 ft;
//                   W20, the wind at 20 ft: 15, 30, 45 kt for light, moderate, severe
//   above 2000 ft:  sigma_u = sigma_v = sigma_w from the probability-of-exceedance curves
//                   (10^-2, 10^-3, 10^-5 for light, moderate, severe), L = 1750 ft
//   in between:     every scale linear in h from its 1000 ft value to its 2000 ft value.
// Filters in the dimensionless time s = (distance flown through the air) / L, so that a change of
// airspeed or scale leaves the state's stationary distribution as it is:
//   u:    z' = -z + sqrt(2) n                          u = sigma_u z
//   v, w: z1' = -z1 + n, z2' = -z2 + z1                v = sigma_v (sqrt(3) z1 + (1 - sqrt(3)) z2)
// (unit variance; v's transfer function is (1 + sqrt(3) s) / (1 + s)^2). Over a step of
// x = V dt / L they are advanced exactly: the transition e^(-x) [1 0; x 1] and the noise covariance
//   J0 = (1 - e^(-2x)) / 2, J1 = (1 - e^(-2x)(1 + 2x)) / 4, J2 = (1 - e^(-2x)(1 + 2x + 2x^2)) / 4
// (first order: e^(-x) and 1 - e^(-2x)), factored by Cholesky, with series for small x. Samples
// therefore have the model's variance and correlation at any step length. Units: m, m/s, s.
#pragma once

#include <cstdint>
#include <string>

namespace sim {

enum class TurbulenceLevel { None, Light, Moderate, Severe };

// "none", "light", "moderate", "severe" (any case); false for anything else.
bool parseTurbulenceLevel(const std::string &text, TurbulenceLevel &level);
const char *turbulenceName(TurbulenceLevel level);

struct DrydenScales {
  double sigmaU = 0, sigmaV = 0, sigmaW = 0;     // [m/s] intensities
  double lengthU = 1, lengthV = 1, lengthW = 1;  // [m] scale lengths (lengthU == lengthV)
  // 0 at and below 1000 ft (axes of the horizontal airflow and the vertical), 1 at and above
  // 2000 ft (the vessel's body axes), linear in between.
  double bodyAxes = 0;
};

DrydenScales drydenScales(TurbulenceLevel level, double height);  // height [m] above the surface

// The exact step of the second-order filter over x = V dt / L (x > 0), e = exp(-x):
//   z1 <- e z1 + a n1,  z2 <- e (x z1 + z2) + b n1 + c n2   (n1, n2 unit normal deviates),
// so that a^2 = J0, a b = J1, b^2 + c^2 = J2.
struct SecondOrderStep {
  double a, b, c;
};
SecondOrderStep secondOrderStep(double x, double e);

// Seeded normal deviates: xoshiro256** seeded through splitmix64, Marsaglia and Tsang's ziggurat.
class GustNoise {
 public:
  explicit GustNoise(std::uint64_t seed = 0);
  double uniform();  // [0, 1) from 53 bits
  double normal();   // mean 0, variance 1

 private:
  std::uint64_t next();
  std::uint64_t s_[4];
};

// The three shaping filters of one vessel.
class DrydenFilter {
 public:
  // A state drawn from the stationary distribution.
  void start(GustNoise &noise);
  // Advances the state over dt [s] flown at airspeed [m/s] (positive) with the given scales.
  void advance(const DrydenScales &s, double airspeed, double dt, GustNoise &noise);
  // Gust velocities along the turbulence axes [m/s]: longitudinal, lateral, vertical (down).
  void gusts(const DrydenScales &s, double &u, double &v, double &w) const;

 private:
  double u_ = 0, v1_ = 0, v2_ = 0, w1_ = 0, w2_ = 0;
};

}  // namespace sim
