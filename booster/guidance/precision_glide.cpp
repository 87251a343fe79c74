// Unpowered steering onto the pad (see precision_glide.h for the maths, frames and units).
#include "booster/guidance/precision_glide.h"

#include <algorithm>
#include <cmath>

namespace booster {

namespace {
constexpr double kLiftSlope = 25.5;     // [m^2/rad]
constexpr double kMissGain = 1.5;
constexpr double kLeastTimeLeft = 4.0;  // [s]
const double kTiltMost = 20.0 * RAD;
}  // namespace

double glideTiltLimit() { return kTiltMost; }

VECTOR3 glideDirection(const GlideInputs &in) {
  double speed = length(in.airVel);
  if (!(speed > 1e-3)) return _V(0, 1, 0);  // no airflow to steer in: stand upright
  VECTOR3 back = -in.airVel / speed;       // +z tail first
  double t = std::max(in.timeLeft, kLeastTimeLeft);
  double tau = in.drag > 0 ? in.mass * speed / in.drag : 1e6;
  double reach = tau < 1e5 ? tau * (t - tau * (1.0 - std::exp(-t / tau))) : 0.5 * t * t;
  VECTOR3 want = in.miss * (-kMissGain / std::max(reach, 1.0));
  VECTOR3 across = want - back * dotp(want, back);
  double a = length(across);
  if (!(a > 1e-9) || !(in.dynPressure > 0) || !(in.mass > 0)) return back;
  double eps = std::min(a * in.mass / (kLiftSlope * in.dynPressure), kTiltMost);
  return back * std::cos(eps) - across / a * std::sin(eps);
}

}  // namespace booster
