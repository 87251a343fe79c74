// Where the unpowered stage will be when its landing burn must start, counting drag and wind.
//
// Frame: the pad's horizon frame (x east, y up, z north), origin on the ground under the target.
// Units: m, m/s, m/s^2, kg, kg/m^3, m^2, s.
//
// A point mass falls under gravity g and quadratic drag through the wind w(y):
//   dv/dt = (0, -g, 0) - (rho(y) CdA / 2m) |v - w(y)| (v - w(y)),  dr/dt = v
// with an exponential atmosphere rho(y) = rho0 exp(-(y - y0) / H) scaled to the density felt now,
// and a drag area CdA (the drag force over the dynamic pressure, as measured this step) plus the
// legs' share if they come down on the way. The wind is linear in height between samples the host
// reports (the lowest near the ground, the highest at the stage, gust included). Integrated by the
// midpoint rule in a fixed number of equal steps over the estimated time to the burn, so the work per
// call is bounded; the fall ends where the landing burn would light (precision_burn.h's ignition
// rule, evaluated at each step) or at the ground. The miss is where the stage will then be, plus
// the way its horizontal speed still carries it while the burn brakes it (half the speed times the
// burn's time to go).
#pragma once

#include "Orbitersdk.h"

namespace booster {

constexpr int kWindSamples = 4;

// The wind by height: heights ascending [m], winds [m/s] horizon frame.
struct WindColumn {
  double height[kWindSamples];
  VECTOR3 wind[kWindSamples];
  VECTOR3 at(double y) const;
};

struct FallInputs {
  VECTOR3 pos;         // [m] stage relative to the pad
  VECTOR3 vel;         // [m/s] ground velocity
  double mass;         // [kg]
  double density;      // [kg/m^3] at the stage
  double dragArea;     // [m^2] CdA now
  double legsArea;     // [m^2] drag area the legs will add below legsHeight (0 when already out)
  double legsHeight;   // [m] above the ground
  double gravity;      // [m/s^2]
  double maxThrust;    // [N] of the landing engine
};

struct FallPrediction {
  VECTOR3 miss;     // [m] horizontal: where the burn will bring the stage to rest, relative to the pad
  double time;      // [s] until the burn lights
  bool reached;     // the burn's ignition point was reached (else the ground)
};

FallPrediction predictFall(const FallInputs &in, const WindColumn &wind);

}  // namespace booster
