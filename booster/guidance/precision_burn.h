// The precision landing burn: when to light the engine, and the thrust vector of every step.
//
// Frame: the pad's horizon frame (x east, y up, z north), origin on the ground under the target;
// pos.y is the stage origin's height above the ground, pos.x and pos.z its offset from the target.
// Units: m, m/s, m/s^2, kg, N, s, rad.
//
// Height to go: x = pos.y - kFootHeight, lowered by the approach cone: x' = x - (d + k_v |v_h|)
// tan(gamma), with d the horizontal distance to the pad and k_v |v_h| the way the horizontal speed
// still carries the stage: a stage out from the pad or moving across it brakes as if it were lower,
// stays above the cone of elevation gamma round the pad, and hovers (x' < 0 gives a reference
// speed of zero or a slow climb) until it is over the pad at rest.
// Vertical reference speed (negative: down), a braking arc on top of a slow final segment:
//   v_ref(x') = -(v_td + c x')                      for x' <= s (at most kClimbSpeed up)
//   v_ref(x') = -sqrt(v_s^2 + 2 a_ref (x' - s))      above, v_s = v_td + c s
// with v_td the touchdown speed, c the final segment's rate and s its height; on the final segment
// the descent is held back (scaled towards zero, a hover) while the stage is more than 1 m out or
// moves across at more than 0.15 m/s, fully stopped at 4 m or 0.3 m/s, so that it touches down over
// the pad at rest, unless the propellant left would hover it for less than 10 s: then it comes down
// where it is rather than fall when the tank runs dry; the arc brakes at
//   a_ref = f (F / m - g), f the share of full thrust it plans for, so 1 - f is left for
// dispersions. The engine lights when the stage, falling, can no longer wait: when the arc through
// its height is slower than its own speed, (v_y^2 - v_s^2) / (2 (x' - s)) >= a_ref, v_s = v_td + c s.
// Lit, the burn is short and near its planned thrust: that is the fuel-optimal shape for a vertical
// stop with a bounded engine (the least time spent against gravity).
// Time to go along the reference: t = (|v_y| - v_s) / a_ref on the arc, plus ln(v_s / v_td) / c on
// the final segment (its speed falls exponentially: dx/dt = -(v_td + c x)).
// Horizontal: zero-effort miss and velocity with that time to go, towards the pad at rest,
//   a_h = 6 (r_f - r - v t) / t^2 - 2 (v_f - v) / t = -6 r / t^2 - 4 v / t  (r_f = 0, v_f = 0),
// t held at or above t_min so that the gains stay within what the attitude can follow.
// Vertical: a_v = dv_ref/dt + k_v (v_ref - v_y), dv_ref/dt = (dv_ref/dx) v_y.
// Thrust: T = m (a_h, a_v + g, a_h) - D (D the drag force felt last step), its horizontal part
// limited to tan(theta_max) of its vertical part beyond what holds the drag across (leaning into
// the wind is allowed down to 3 m of the feet above the ground and gone at 0.5 m: planting the
// feet while leaning rocks the stage over them as the engine runs down), theta_max = theta_0 + k_theta (x + d + k_v |v_h|)
// (bounded above: its clearance from touching down),
// so the tilt from the vertical tightens towards the ground; the vertical part is kept within the
// engine's thrust first, the horizontal part gets what remains.
#pragma once

#include "Orbitersdk.h"

namespace booster {

constexpr double kFootHeight = 24.0;  // [m] the legs' feet lie this far below the stage's origin
constexpr double kLandingBurnCeiling = 4000.0;  // [m] above the ground: the burn never lights higher

struct BurnState {
  VECTOR3 pos;        // [m] stage relative to the pad (see above)
  VECTOR3 vel;        // [m/s] ground velocity, horizon frame
  VECTOR3 drag;       // [N] aerodynamic force, horizon frame
  double mass;        // [kg]
  double maxThrust;   // [N] of the landing engine at the present pressure
  double gravity;     // [m/s^2]
  double hoverTime = 1e9;  // [s] the main propellant left would hold the stage hovering this long
};

struct BurnCommand {
  VECTOR3 thrust;  // [N] wanted thrust vector, horizon frame
  double vertical; // [N] its vertical part (what the level is set from)
};

// [m] the height to go, lowered by the approach cone (position and ground velocity).
double heightToGo(const VECTOR3 &pos, const VECTOR3 &vel);
// [m/s^2] the arc's planned deceleration; 0 when the engine cannot hold the stage.
double plannedDeceleration(const BurnState &s);
// [m/s] the vertical reference speed at height to go x (negative, down), before the touchdown gate.
double referenceSpeed(double x, double aRef);
// The share of the final segment's descent allowed at horizontal distance d [m] and speed v [m/s].
double touchdownGate(double d, double v);
// [s] time to go along the reference from height to go x at vertical speed vy.
double timeToGo(double x, double vy, double aRef);
// Whether a stage not yet burning must light its engine now (never above kLandingBurnCeiling).
bool ignitionDue(const BurnState &s);
// [rad] the tilt from the vertical allowed at clearance x [m].
double tiltLimit(double x);
BurnCommand burnCommand(const BurnState &s);

}  // namespace booster
