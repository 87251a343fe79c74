// Steering the unpowered stage onto the pad: the body's lift moves the point where the landing
// burn will bring it to rest.
//
// Frame: horizon (x east, y up, z north). Units: m, m/s, m/s^2, kg, Pa, rad.
//
// Flying tail first, the stage's thrust axis +z points against its motion through the air,
// -unit(v_air). Tilting +z by eps from there gives lift across the airflow on the side the
// engines swing out to, opposite the side +z leans to; the body's lift slope is
//   L = k_L eps q  [N], k_L = 25.5 m^2 per radian (0.1 of lift coefficient per 22.5 deg on 100 m^2),
// so an acceleration a across the airflow needs eps = a m / (k_L q).
// The acceleration asked for nulls the predicted miss m in the time t left before the burn. Drag
// damps any speed across the airflow with the time constant tau = m |v_air| / |D| (linear drag of
// a perturbation of a quadratic drag), so a constant acceleration a moves the stage by
//   a tau (t - tau (1 - e^(-t/tau)))
// in that time; the law asks for k times the a that nulls m so, a = -k m / (tau (t - tau (1 -
// e^(-t/tau)))), t held at or above a floor so that the command stays bounded as the burn nears,
// and takes its part across the airflow. eps is limited to eps_max. The result is the direction
// +z is to point along:
//   d = cos(eps) (-unit(v_air)) + sin(eps) (-unit(a_across)).
#pragma once

#include "Orbitersdk.h"

namespace booster {

struct GlideInputs {
  VECTOR3 airVel;    // [m/s] velocity through the air
  VECTOR3 miss;      // [m] predicted miss (horizontal)
  double timeLeft;   // [s] until the burn
  double mass;       // [kg]
  double dynPressure;  // [Pa]
  double drag;         // [N] magnitude of the drag force
};

// [rad] the largest tilt from the airflow the law asks for.
double glideTiltLimit();
// Unit direction for +z (horizon frame).
VECTOR3 glideDirection(const GlideInputs &in);

}  // namespace booster
