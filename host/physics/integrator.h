// Integration of a free vessel over one step, with the forces of the step's force build fixed in
// vessel axes.
//
// State relative to the frame body F (global axes): position r, velocity u, attitude q (vessel ->
// global), angular velocity w (vessel axes). Equations:
//   dr/dt = u,  du/dt = g_F(r, t) + R(q) F_V / m
//   dq/dt = q (0, -w) / 2   (the simulator's sense of w, frames.h)
//   dw_x/dt = (tau_x / m - (I_y - I_z) w_y w_z) / I_x   and cyclically (I mass-normalised)
// Free flight: classic fourth-order Runge-Kutta over dt, bodies evaluated at t0, t0 + dt/2, t0 + dt;
// a vessel turning more than 0.1 rad in the step takes as many equal Runge-Kutta sub-steps as keep
// each within 0.1 rad (bodies then taken at the nearest of the three times). Every stage's attitude
// is normalised and its rate capped: a non-unit quaternion's matrix is no rotation and scales the
// force it turns.
// Ground contact (a touchdown point within reach of the ground during the step): kick-drift-kick
// (leapfrog) sub-steps short enough for the stiffest point (contact.h), contact forces re-evaluated at
// every sub-step. |w| is capped at 100 pi rad/s.
#pragma once

#include <vector>

#include "OrbiterAPI.h"

class Vessel;

namespace sim {

class World;
struct BodyKinematics;

struct StepBodies {
  const std::vector<BodyKinematics> *k0, *kh, *k1;  // at t0, t0 + dt/2, t0 + dt
};

void integrateVessel(World &w, Vessel &v, double dt, const StepBodies &bodies);

// Brings an angular velocity [rad/s] within the cap of 100 pi rad/s. States placed from outside
// the integrator (a scenario's VROT, SetAngularVel) are capped too: the force build and the
// integrator's stages would otherwise work with a rate the simulator never holds.
void capAngularRate(VECTOR3 &w);

}  // namespace sim
