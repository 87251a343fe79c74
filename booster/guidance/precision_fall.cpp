// The unpowered fall to the landing burn (see precision_fall.h for the maths, frames and units).
#include "booster/guidance/precision_fall.h"

#include <algorithm>
#include <cmath>

#include "booster/guidance/precision_burn.h"

namespace booster {

namespace {
constexpr int kSteps = 16;              // equal steps over the estimated time
constexpr int kMostSteps = 3 * kSteps;  // when the estimate was short
constexpr double kScaleHeight = 8500.0;  // [m] of the density
constexpr double kBurnHeightGuess = 600.0;  // [m] where a burn typically lights, for the estimate
constexpr double kTypicalFall = 100.0;      // [m/s] for the estimate: drag slows a faster fall

struct Point {
  VECTOR3 r, v;
};

// How far the burn's ignition rule is from holding: >= 0 once it holds (or on the ground).
double ignitionMargin(const Point &p, const FallInputs &in) {
  BurnState s{p.r, p.v, _V(0, 0, 0), in.mass, in.maxThrust, in.gravity};
  double x = heightToGo(p.r, p.v);
  if (x <= 0) return 1.0;
  return ignitionDue(s) ? 1.0 : -1.0;
}
}  // namespace

VECTOR3 WindColumn::at(double y) const {
  if (y <= height[0]) return wind[0];
  for (int i = 1; i < kWindSamples; i++) {
    if (y <= height[i]) {
      double span = height[i] - height[i - 1];
      double f = span > 0 ? (y - height[i - 1]) / span : 1.0;
      return wind[i - 1] + (wind[i] - wind[i - 1]) * f;
    }
  }
  return wind[kWindSamples - 1];
}

FallPrediction predictFall(const FallInputs &in, const WindColumn &wind) {
  FallPrediction out{_V(in.pos.x, 0, in.pos.z), 0.0, false};
  if (!(in.mass > 0) || !(in.density > 0)) return out;
  double estimate = std::max(in.pos.y - kBurnHeightGuess, 0.0) / std::max(-0.5 * in.vel.y, kTypicalFall);
  double dt = std::max(estimate, 2.0) / kSteps;
  double y0 = in.pos.y;
  auto accel = [&](const VECTOR3 &r, const VECTOR3 &v) {
    double rho = in.density * std::exp(-(r.y - y0) / kScaleHeight);
    double area = in.dragArea + (r.y < in.legsHeight ? in.legsArea : 0.0);
    VECTOR3 air = v - wind.at(r.y);
    double k = 0.5 * rho * area / in.mass * length(air);
    return _V(-k * air.x, -in.gravity - k * air.y, -k * air.z);
  };
  Point p{in.pos, in.vel};
  double t = 0;
  double margin = ignitionMargin(p, in);
  for (int i = 0; i < kMostSteps && margin < 0; i++) {
    VECTOR3 a = accel(p.r, p.v);
    VECTOR3 rm = p.r + p.v * (0.5 * dt), vm = p.v + a * (0.5 * dt);
    VECTOR3 am = accel(rm, vm);
    Point next{p.r + vm * dt, p.v + am * dt};
    double nextMargin = ignitionMargin(next, in);
    if (nextMargin >= 0) {
      // The rule starts to hold within this step: find where by halving it.
      double lo = 0, hi = 1;
      for (int k = 0; k < 6; k++) {
        double f = 0.5 * (lo + hi);
        Point mid{p.r + (next.r - p.r) * f, p.v + (next.v - p.v) * f};
        (ignitionMargin(mid, in) >= 0 ? hi : lo) = f;
      }
      next = Point{p.r + (next.r - p.r) * hi, p.v + (next.v - p.v) * hi};
      t += dt * hi;
      p = next;
      margin = 1;
      break;
    }
    p = next;
    t += dt;
    margin = nextMargin;
  }
  out.reached = margin >= 0;
  BurnState s{p.r, p.v, _V(0, 0, 0), in.mass, in.maxThrust, in.gravity};
  double burn = timeToGo(heightToGo(p.r, p.v), p.v.y, plannedDeceleration(s));
  out.miss = _V(p.r.x + 0.5 * p.v.x * burn, 0, p.r.z + 0.5 * p.v.z * burn);
  out.time = t;
  return out;
}

}  // namespace booster
