// Surface parameters of a vessel: everything measured against its surface reference body.
//
// Recomputed after every change of the vessel's state (every step, and whenever a module or a
// scenario sets the pose), so that every query answers from one consistent snapshot.
//   ground-relative velocity  v_gnd = (v - v_body) - R_GP (-w r cos(lat) sin(lng), 0, w r cos(lat) cos(lng))
//   airspeed vector           v_air = v_gnd - wind (inside the atmosphere; wind_field.h)
//   AOA = -atan2(a.y, a.z), slip = -atan2(a.x, a.z) with a = v_air in vessel axes
//   pitch = asin(u.z), bank = atan2(u.x, u.y) with u = local up in vessel axes
// Frames: suffix _G global, _V vessel, _P planet-local, _H horizon. Units m, m/s, rad, Pa, K.
#pragma once

#include "OrbiterAPI.h"
#include "physics/atmosphere.h"

class Vessel;

namespace sim {

class CelestialBody;

struct SurfaceParams {
  const CelestialBody *ref = nullptr;  // surface reference; null: no surface parameters
  double lng = 0, lat = 0;             // [rad]
  double rad = 0;                      // [m] distance from the body's centre
  double alt = 0;                      // [m] above the mean radius
  MATRIX3 R_HG{};                      // global -> horizon rotation
  MATRIX3 R_GP{};                      // planet-local -> global rotation
  VECTOR3 groundVel_G{}, groundVel_V{}, groundVel_P{}, groundVel_H{};
  VECTOR3 airVel_G{}, airVel_V{}, airVel_H{};
  VECTOR3 wind_G{};  // the wind felt: mean wind plus gust
  VECTOR3 gust_G{};  // its gust part
  double groundspeed = 0, airspeed = 0;
  AtmosphereState atm;
  bool inAtmosphere = false;
  double dynPressure = 0;  // [Pa]
  double soundSpeed = 0;   // [m/s]
  double mach = 0;
  double aoa = 0, slip = 0;
  double pitch = 0, bank = 0, yaw = 0;
  VECTOR3 up_V{};  // local vertical in vessel axes
};

// Recomputes v.sp from v's state at the world's current time.
void updateSurfaceParams(Vessel &v);

}  // namespace sim
