// The east-north-up frame of a replay: a Cartesian frame fixed to a rotating planet, with its
// origin on a point of the planet and its axes along the local east, north and up there.
//
// The simulator's frames are left-handed (horizon x east, y up, z north; vessel x right, y up,
// z forward). The replay's frames are right-handed, made from them by swapping the y and z
// components of every vector:
//   ENU       (e, n, u) = (x_H, z_H, y_H)
//   vessel    (x, y, z) = (x_V, z_V, y_V)      x right, y forward, z up (the vessel's +z_V)
// so a vessel's attitude becomes a proper rotation q that maps replay-vessel vectors into ENU:
//   R_EV' = S R_EP R_PG R_GV S, with S the y/z swap and R_EP the planet-local -> horizon rotation.
// A rotation by angle a about axis n in the simulator's frames becomes one by -a about S n (a
// mirror reverses the sense of rotation), and a triangle's visible (clockwise) side becomes its
// counter-clockwise side.
// Positions are metres from the origin: p_E = S R_HP (p_P - o_P), with p_P the vessel's
// planet-local position.
#pragma once

#include "OrbiterAPI.h"
#include "world/frames.h"

class Vessel;

namespace sim {

class CelestialBody;
class World;

// The y/z swap between the simulator's frames and the replay's.
inline VECTOR3 swapYZ(const VECTOR3 &v) { return _V(v.x, v.z, v.y); }

struct LocalFrame {
  const CelestialBody *body = nullptr;
  double lng = 0, lat = 0;  // [rad] of the origin
  double radius = 0;        // [m] distance of the origin from the body's centre
  VECTOR3 origin_P{};       // [m] the origin in planet-local axes
  MATRIX3 R_EP{};           // planet-local -> ENU (a mirror: det -1)
};

// The frame with its origin at (lng, lat, radius) on `body`.
LocalFrame localFrameAt(const CelestialBody &body, double lng, double lat, double radius);
// A vessel's position [m] in the frame, and its attitude as the unit quaternion of R_EV' (above).
VECTOR3 enuPosition(const LocalFrame &f, const Vessel &v);
Quat enuAttitude(const LocalFrame &f, const Vessel &v);

}  // namespace sim
