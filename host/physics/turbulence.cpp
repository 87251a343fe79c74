// Dryden turbulence (see turbulence.h).
#include "physics/turbulence.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "world/text.h"

namespace sim {
namespace {

constexpr double kFoot = 0.3048;           // [m]
constexpr double kKnot = 1852.0 / 3600.0;  // [m/s]
constexpr double kLowTop = 1000;           // [ft] the low-altitude model holds up to here
constexpr double kHighBase = 2000;         // [ft] the medium/high-altitude model holds from here
constexpr double kLowestHeight = 10;       // [ft] the low-altitude formulas' lower limit
constexpr double kHighScale = 1750;        // [ft] L_u = L_v = L_w above 2000 ft
const double kSqrt3 = std::sqrt(3.0);

// Root-mean-square gust [ft/s] over height [ft] for the exceedance probabilities 10^-2, 10^-3 and
// 10^-5, as MIL-F-8785C draws them; linear between rows, constant beyond them.
struct ExceedanceRow {
  double height, light, moderate, severe;
};
constexpr ExceedanceRow kExceedance[] = {
    {500, 6.6, 8.6, 15.6},   {1750, 6.9, 9.6, 17.6},  {3750, 7.4, 10.6, 23.0},
    {7500, 6.7, 10.1, 23.6}, {15000, 4.6, 8.0, 22.1}, {25000, 2.7, 6.6, 20.0},
    {35000, 0.4, 5.0, 16.0}, {45000, 0.0, 4.2, 15.1}, {55000, 0.0, 2.7, 12.1},
    {65000, 0.0, 0.0, 7.9},  {75000, 0.0, 0.0, 6.2},  {80000, 0.0, 0.0, 5.1},
};

double column(const ExceedanceRow &r, TurbulenceLevel level) {
  return level == TurbulenceLevel::Light      ? r.light
         : level == TurbulenceLevel::Moderate ? r.moderate
                                              : r.severe;
}

double highSigma(TurbulenceLevel level, double ft) {  // [ft/s]
  const ExceedanceRow *b = std::begin(kExceedance), *e = std::end(kExceedance);
  if (ft <= b->height) return column(*b, level);
  if (ft >= (e - 1)->height) return column(*(e - 1), level);
  const ExceedanceRow *hi =
      std::upper_bound(b, e, ft, [](double h, const ExceedanceRow &r) { return h < r.height; });
  const ExceedanceRow *lo = hi - 1;
  double f = (ft - lo->height) / (hi->height - lo->height);
  return column(*lo, level) + f * (column(*hi, level) - column(*lo, level));
}

double windAt20ft(TurbulenceLevel level) {  // [kt]
  return level == TurbulenceLevel::Light ? 15 : level == TurbulenceLevel::Moderate ? 30 : 45;
}

// The low-altitude scales at height ft (in ft and ft/s).
DrydenScales lowScales(TurbulenceLevel level, double ft) {
  double h = std::max(ft, kLowestHeight);
  double logBase = std::log(0.177 + 0.000823 * h);
  double p04 = std::exp(0.4 * logBase);  // (0.177 + 0.000823 h)^0.4
  DrydenScales s;
  s.sigmaW = 0.1 * windAt20ft(level) * kKnot / kFoot;
  s.sigmaU = s.sigmaV = s.sigmaW / p04;
  s.lengthW = h;
  s.lengthU = s.lengthV = h / (p04 * p04 * p04);
  return s;
}

DrydenScales highScales(TurbulenceLevel level, double ft) {
  DrydenScales s;
  s.sigmaU = s.sigmaV = s.sigmaW = highSigma(level, ft);
  s.lengthU = s.lengthV = s.lengthW = kHighScale;
  s.bodyAxes = 1;
  return s;
}

}  // namespace

SecondOrderStep secondOrderStep(double x, double e) {
  double j0, j1, rest;  // rest = J2 - J1^2 / J0, the part of z2's noise not shared with z1
  if (x < 1e-3) {       // series: the closed forms cancel to nothing here
    j0 = x * (1 - x * (1 - x * (2.0 / 3 - x / 3)));
    j1 = x * x * (0.5 - x * (2.0 / 3 - x * (0.5 - x * 4.0 / 15)));
    rest = x * x * x * (1.0 / 12 - x * (1.0 / 12 - x * (7.0 / 180 - x / 90)));
  } else {
    double e2 = e * e, oneLess = 1 - e2;
    j0 = 0.5 * oneLess;
    j1 = 0.25 * (oneLess - 2 * x * e2);
    double j2 = 0.25 * (oneLess - e2 * (2 * x + 2 * x * x));
    rest = j2 - j1 * j1 / j0;
  }
  double a = std::sqrt(j0);
  return {a, j1 / a, std::sqrt(std::max(rest, 0.0))};
}

bool parseTurbulenceLevel(const std::string &text, TurbulenceLevel &level) {
  for (TurbulenceLevel l : {TurbulenceLevel::None, TurbulenceLevel::Light,
                            TurbulenceLevel::Moderate, TurbulenceLevel::Severe})
    if (equalsNoCase(text, turbulenceName(l))) {
      level = l;
      return true;
    }
  return false;
}

const char *turbulenceName(TurbulenceLevel level) {
  switch (level) {
    case TurbulenceLevel::Light:
      return "light";
    case TurbulenceLevel::Moderate:
      return "moderate";
    case TurbulenceLevel::Severe:
      return "severe";
    case TurbulenceLevel::None:
      break;
  }
  return "none";
}

DrydenScales drydenScales(TurbulenceLevel level, double height) {
  if (level == TurbulenceLevel::None) return DrydenScales{};
  double ft = height / kFoot;
  DrydenScales s;
  if (ft <= kLowTop) {
    s = lowScales(level, ft);
  } else if (ft >= kHighBase) {
    s = highScales(level, ft);
  } else {
    DrydenScales lo = lowScales(level, kLowTop), hi = highScales(level, kHighBase);
    double f = (ft - kLowTop) / (kHighBase - kLowTop);
    auto mix = [f](double a, double b) { return a + f * (b - a); };
    s.sigmaU = mix(lo.sigmaU, hi.sigmaU), s.sigmaV = mix(lo.sigmaV, hi.sigmaV),
    s.sigmaW = mix(lo.sigmaW, hi.sigmaW);
    s.lengthU = mix(lo.lengthU, hi.lengthU), s.lengthV = mix(lo.lengthV, hi.lengthV);
    s.lengthW = mix(lo.lengthW, hi.lengthW);
    s.bodyAxes = f;
  }
  s.sigmaU *= kFoot, s.sigmaV *= kFoot, s.sigmaW *= kFoot;
  s.lengthU *= kFoot, s.lengthV *= kFoot, s.lengthW *= kFoot;
  return s;
}

// --- noise -----------------------------------------------------------------------------------

GustNoise::GustNoise(std::uint64_t seed) {
  for (std::uint64_t &word : s_) {  // splitmix64
    std::uint64_t z = (seed += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    word = z ^ (z >> 31);
  }
}

std::uint64_t GustNoise::next() {  // xoshiro256**
  auto rotl = [](std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); };
  std::uint64_t result = rotl(s_[1] * 5, 7) * 9, t = s_[1] << 17;
  s_[2] ^= s_[0];
  s_[3] ^= s_[1];
  s_[1] ^= s_[2];
  s_[0] ^= s_[3];
  s_[2] ^= t;
  s_[3] = rotl(s_[3], 45);
  return result;
}

double GustNoise::uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

namespace {

// Marsaglia and Tsang's ziggurat of 128 layers for the normal density f(x) = exp(-x^2 / 2):
// layer i covers |x| < x_i with equal areas; a 32-bit deviate inside a layer's core is returned
// at once, the rest is tested against the density (the base layer's tail beyond R by
// Marsaglia's exponential method).
constexpr double kTailStart = 3.442619855899;       // R
constexpr double kLayerArea = 9.91256303526217e-3;  // v
struct Ziggurat {
  std::uint32_t core[128];  // |hz| below this: inside the layer's rectangle under the density
  double width[128];        // x = hz * width
  double density[128];      // f at the layer's edge
  Ziggurat() {
    const double m = 2147483648.0;  // 2^31
    double x = kTailStart, outer = x;
    double q = kLayerArea / std::exp(-0.5 * x * x);
    core[0] = static_cast<std::uint32_t>(x / q * m), core[1] = 0;
    width[0] = q / m, width[127] = x / m;
    density[0] = 1, density[127] = std::exp(-0.5 * x * x);
    for (int i = 126; i >= 1; i--) {
      x = std::sqrt(-2 * std::log(kLayerArea / x + std::exp(-0.5 * x * x)));
      core[i + 1] = static_cast<std::uint32_t>(x / outer * m);
      outer = x;
      density[i] = std::exp(-0.5 * x * x);
      width[i] = x / m;
    }
  }
};
const Ziggurat kZiggurat;

}  // namespace

double GustNoise::normal() {
  const Ziggurat &z = kZiggurat;
  for (;;) {
    auto hz = static_cast<std::int32_t>(static_cast<std::uint32_t>(next() >> 32));
    std::uint32_t layer = static_cast<std::uint32_t>(hz) & 127u;
    std::uint32_t magnitude =
        hz < 0 ? 0u - static_cast<std::uint32_t>(hz) : static_cast<std::uint32_t>(hz);
    double x = hz * z.width[layer];
    if (magnitude < z.core[layer]) return x;
    if (layer == 0) {  // the tail beyond R
      double t, y;
      do {
        t = -std::log((static_cast<double>(next() >> 11) + 0.5) * 0x1.0p-53) / kTailStart;
        y = -std::log((static_cast<double>(next() >> 11) + 0.5) * 0x1.0p-53);
      } while (y + y < t * t);
      return hz > 0 ? kTailStart + t : -kTailStart - t;
    }
    if (z.density[layer] + uniform() * (z.density[layer - 1] - z.density[layer]) <
        std::exp(-0.5 * x * x))
      return x;
  }
}

// --- filters ---------------------------------------------------------------------------------

void DrydenFilter::start(GustNoise &noise) {
  // Stationary covariances: 1 for u; [1/2 1/4; 1/4 1/4] for (z1, z2) of v and w.
  const double a = std::sqrt(0.5), b = std::sqrt(2.0) / 4, c = std::sqrt(0.125);
  u_ = noise.normal();
  double n1 = noise.normal(), n2 = noise.normal();
  v1_ = a * n1, v2_ = b * n1 + c * n2;
  n1 = noise.normal(), n2 = noise.normal();
  w1_ = a * n1, w2_ = b * n1 + c * n2;
}

void DrydenFilter::advance(const DrydenScales &s, double airspeed, double dt, GustNoise &noise) {
  if (!(airspeed > 0) || !(dt > 0)) return;
  double xUV = airspeed * dt / s.lengthU, eUV = std::exp(-xUV);
  double xW = airspeed * dt / s.lengthW, eW = s.lengthW == s.lengthU ? eUV : std::exp(-xW);
  SecondOrderStep v = secondOrderStep(xUV, eUV);
  SecondOrderStep w = s.lengthW == s.lengthU ? v : secondOrderStep(xW, eW);
  u_ = eUV * u_ + std::sqrt(2.0) * v.a * noise.normal();  // sqrt(1 - e^(-2x)) = sqrt(2 J0)
  double n1 = noise.normal(), n2 = noise.normal();
  v2_ = eUV * (xUV * v1_ + v2_) + v.b * n1 + v.c * n2;
  v1_ = eUV * v1_ + v.a * n1;
  n1 = noise.normal(), n2 = noise.normal();
  w2_ = eW * (xW * w1_ + w2_) + w.b * n1 + w.c * n2;
  w1_ = eW * w1_ + w.a * n1;
}

void DrydenFilter::gusts(const DrydenScales &s, double &u, double &v, double &w) const {
  u = s.sigmaU * u_;
  v = s.sigmaV * (kSqrt3 * v1_ + (1 - kSqrt3) * v2_);
  w = s.sigmaW * (kSqrt3 * w1_ + (1 - kSqrt3) * w2_);
}

}  // namespace sim
