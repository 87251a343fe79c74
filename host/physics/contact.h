// Ground contact of touchdown points with the surface sphere of a planet.
//
// Per touchdown point below the ground (penetration d, capped at 1 m; n the local vertical;
// v the point's velocity relative to the turning surface):
//   normal force   N = k d - c (v . n), never pulling
//   friction base  P = min(d, 0.1 m) k
//   friction along the longitudinal axis (p0 - (p1 + p2)/2 projected onto the ground) with
//   mu_lng (points 0-2; mu for the others), and across it with mu:
//     static   while the point holds: a tangential spring to where the point first touched,
//              -0.1 (k s + c v) per direction, up to mu P;
//     sliding  beyond that: mu P scaled by sqrt(0.1 |v|) below 10 m/s, opposing the slip, never
//              reversing the point's slip within one velocity update (|F| <= |v| / (h w n_c), w
//              the point's effective inverse mass along the direction, n_c the points in contact);
//              the anchor follows the point.
// Wheels (the host's own law, see wheelAxes and brakeForce in contact.cpp): the main-wheel brakes
// add level x F_max / 2 each to the longitudinal friction of points 1 (left) and 2 (right), up to
// the grip of the lateral coefficient; with nose-wheel steering on, the rudder level L turns the
// longitudinal axis of point 0 by L x 0.5 rad towards the vessel's right.
// The sliding law is the simulator's; the static spring is the host's addition, so that a vessel
// at rest stays put on a turning sphere instead of creeping poleward at a fraction of a mm/s.
// Sub-step length: h = min(0.25 / (c w), 0.2 / sqrt(k w)) over the points, with the normal
// spring along the vertical and the friction spring across it. Frames: positions and velocities relative to the planet's centre in global axes;
// the torque in vessel axes in the simulator's F x r form.
#pragma once

#include <vector>

#include "OrbiterAPI.h"
#include "vessel/state.h"

class Vessel;

namespace sim {

class CelestialBody;

struct ContactState {
  VECTOR3 r{}, u{};  // [m], [m/s] relative to the planet's centre, global axes
  MATRIX3 R{};       // vessel -> global
  VECTOR3 w{};       // [rad/s] vessel axes
  MATRIX3 R_GP{};    // the planet's attitude at this instant
  std::vector<ContactAnchor> *anchors = nullptr;  // by touchdown point (updated)
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
// Contact forces for state s against body b, for a velocity update (kick) of length h; moves the
// anchors of points that slide and drops those of points that leave the ground.
void contactForces(const Vessel &v, ContactState &s, const CelestialBody &b, double mass, double h,
                   ContactForces &out);
// Sub-step length [s] for contact integration (at most dt).
double contactSubstep(const Vessel &v, const MATRIX3 &R, const VECTOR3 &up_G, double mass, double dt);

// The landed-state rule, as the simulator has it: a vessel in ground contact with no thrust is
// sampled at most every 0.1 s; its quiet spell starts again whenever the squared displacement
// relative to the surface per elapsed time [m^2/s], or the squared attitude change per elapsed time
// [rad^2/s], since the last sample exceeds 1e-4 (over 0.1 s: 3.2 cm/s, or 1.8 deg/s; the booster is
// then landed some 7 s after first contact, as in the simulator, where a bound of 1e-4 rad/s on
// the turn would hold it for 10 s). After 5 s of quiet it becomes LANDED: re-posed onto
// its touchdown points at its place and heading, and frozen to the surface. t is the time [s] at
// the end of the step.
void updateLandedState(Vessel &v, double t);
constexpr double kLandedRestTime = 5.0;        // [s] of quiet
constexpr double kRestSampleInterval = 0.1;    // [s] least time between samples
constexpr double kRestMotionThreshold = 1e-4;  // [m^2/s] and [rad^2/s]

}  // namespace sim
