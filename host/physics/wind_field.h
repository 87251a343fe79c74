// The one wind of the world: the mean wind (a profile by height, or the constant wind) plus each
// free vessel's gusts, which every airspeed, dynamic pressure, angle of attack, drag and
// oapiGetWindVector answer uses.
//
// Gusts are the Dryden filters' output (turbulence.h), advanced once per world step when a
// vessel's surface parameters are first computed after the step (by the steps elapsed since the
// last advance, exactly), at the airspeed through the mean air. Turbulence axes: at and below
// 1000 ft u along the horizontal airflow past the vessel (kept while that is under 1 m/s), v to
// its right, w down; at and above 2000 ft the vessel's body axes as the standard defines them
// (x forward = vessel +z, y right = vessel +x, z down = vessel -y); the gust vectors of the two
// blended linearly between. Landed vessels and vessels outside the atmosphere feel no wind, vessels
// standing on the ground (a touchdown point in contact) no gust; none of them draws noise, and with
// turbulence off no noise is drawn at all. Each vessel's noise is seeded from
// the world's seed and the vessel's name, so a flight does not depend on which other vessels fly.
// Frames: _G global, _H horizon (x east, y up, z north), _V vessel. Units m, m/s, rad.
#pragma once

#include <cstdint>
#include <optional>

#include "OrbiterAPI.h"
#include "physics/turbulence.h"
#include "physics/wind_profile.h"

class Vessel;

namespace sim {

class World;
class CelestialBody;
struct SurfaceParams;

// The world's wind beyond the constant wind (World::wind).
struct WindField {
  std::optional<WindProfile>
      profile;  // set: the mean wind by height, in place of the constant wind
  TurbulenceLevel turbulence = TurbulenceLevel::None;
  std::uint64_t seed = 1;
  bool plain() const { return !profile && turbulence == TurbulenceLevel::None; }
};

// A vessel's gust filters.
struct GustState {
  bool started = false;
  long long step = 0;  // the world step the state stands at
  GustNoise noise;
  DrydenFilter filter;
  double axisEast = 0, axisNorth = 1;  // low-altitude longitudinal axis: horizontal unit vector
};

// Mean wind [m/s] at height alt [m] above the surface, horizon axes.
VECTOR3 meanWindHorizon(const World &w, double alt);
// Sets s.wind_G and s.gust_G for v in the atmosphere and in free flight; s holds v's horizon
// rotation and ground velocity already. Advances v's gusts when the world has stepped.
void updateVesselWind(Vessel &v, SurfaceParams &s);
// The wind oapiGetWindVector reports at a point of body b [m/s, horizon axes]: the mean wind,
// plus the gust of a free vessel within 1 m of the point when there is one.
VECTOR3 windHorizonAt(const World &w, const CelestialBody &b, double lng, double lat, double alt);

}  // namespace sim
