// Ground contact of touchdown points with the surface sphere of a planet.
//
// Per touchdown point below the ground (penetration d, capped at 1 m; n the local vertical;
// v the point's velocity relative to the turning surface):
//   normal force   N = k d - c (v . n), never pulling
//   friction base  P = min(d, 0.1 m) k
//   friction       mu_lng P (points 0-2; mu P for the others) along the longitudinal axis and
//                  mu P across it, each scaled by sqrt(0.1 |v_dir|) below 10 m/s, opposing slip;
//                  the longitudinal axis is p0 - (p1 + p2)/2 projected onto the ground plane.
// Each friction force is limited so that it cannot reverse its point's slip within one sub-step
// (|F| <= |v_dir| / (h w n_c), w the point's effective inverse mass along the direction, n_c the
// points in contact): this is the simulator's rule that friction never reverses the motion in one
// step, applied per point so that it also stops rotations about the vertical.
// Sub-step length: h = min(0.25 / (c w), 0.2 / sqrt(k w)) over the points, w along the vertical.
// Frames: positions and velocities relative to the planet's centre in global axes; the torque in
// vessel axes in the simulator's F x r form.
#pragma once

#include "OrbiterAPI.h"

class Vessel;

namespace sim {

class CelestialBody;

struct ContactState {
  VECTOR3 r{}, u{};  // [m], [m/s] relative to the planet's centre, global axes
  MATRIX3 R{};       // vessel -> global
  VECTOR3 w{};       // [rad/s] vessel axes
};

struct ContactForces {
  VECTOR3 force_G{};   // [N]
  VECTOR3 torque_V{};  // [N m]
  int contacts = 0;
  double deepest = 0;  // [m] deepest penetration (uncapped)
};

// Height [m] of the lowest touchdown point above the surface reference's mean radius (a large
// value when there is no surface reference or there are no points).
double lowestTouchdownHeight(const Vessel &v);
// Height of the lowest point for a state relative to body b.
double lowestTouchdownHeight(const Vessel &v, const ContactState &s, const CelestialBody &b);
// Contact forces for state s against body b, for a sub-step of length h.
void contactForces(const Vessel &v, const ContactState &s, const CelestialBody &b, double mass, double h,
                   ContactForces &out);
// Sub-step length [s] for contact integration (at most dt).
double contactSubstep(const Vessel &v, const MATRIX3 &R, const VECTOR3 &up_G, double mass, double dt);

}  // namespace sim

namespace sim {
// The landed-state rule: in ground contact, with no thrust, the vessel at rest relative to the
// surface (below 1e-4 m/s and 1e-4 rad/s) for 5 s becomes LANDED, frozen to the surface.
void updateLandedState(Vessel &v, double dt);
constexpr double kLandedRestTime = 5.0;  // [s]
}  // namespace sim
