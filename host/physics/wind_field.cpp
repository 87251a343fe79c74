// The world's wind at a vessel (see wind_field.h).
#include "physics/wind_field.h"

#include <algorithm>
#include <cmath>

#include "physics/contact.h"
#include "vessel/vessel.h"
#include "world/text.h"
#include "world/world.h"

namespace sim {
namespace {

constexpr double kSlowestAirspeed = 1;  // [m/s] the filters fly at least this fast through the air
constexpr double kAxisSpeed = 1;        // [m/s] horizontal airflow that turns the low-altitude axes
constexpr double kGroundContact = 1e-3;  // [m] a touchdown point this low stands on the ground
constexpr double kContactSearch = 100;  // [m] below this height (or 4 sizes) the points are checked

// The seed of a vessel's noise: the world's seed mixed with the FNV-1a hash of the name.
std::uint64_t vesselSeed(std::uint64_t seed, const std::string &name) {
  std::uint64_t h = 0xCBF29CE484222325ull;
  for (char c : name) h = (h ^ static_cast<unsigned char>(foldCase(c))) * 0x100000001B3ull;
  return seed ^ (h * 0x9E3779B97F4A7C15ull);
}

// The gust [m/s, global axes] v feels now, its filters advanced to the world's present step.
VECTOR3 gustAt(Vessel &v, const SurfaceParams &s, const VECTOR3 &mean_G) {
  World &w = v.world();
  GustState &g = v.gust;
  VECTOR3 through_G = s.groundVel_G - mean_G;  // motion through the mean air
  DrydenScales sc = drydenScales(w.windField.turbulence, s.alt);
  if (sc.bodyAxes < 1) {
    VECTOR3 through_H = mul(s.R_HG, through_G);
    double horizontal = std::sqrt(through_H.x * through_H.x + through_H.z * through_H.z);
    if (horizontal >= kAxisSpeed)
      g.axisEast = through_H.x / horizontal, g.axisNorth = through_H.z / horizontal;
  }
  long long now = w.stepCount();
  if (!g.started) {
    g.noise = GustNoise(vesselSeed(w.windField.seed, v.name()));
    g.filter.start(g.noise);
    g.started = true;
  } else if (now > g.step) {
    double airspeed = std::max(length(through_G), kSlowestAirspeed);
    g.filter.advance(sc, airspeed, static_cast<double>(now - g.step) * w.dt(), g.noise);
  }
  g.step = now;
  double u, lateral, down;
  g.filter.gusts(sc, u, lateral, down);
  VECTOR3 gust_G = _V(0, 0, 0);
  if (sc.bodyAxes < 1) {
    double e = g.axisEast, n = g.axisNorth;
    VECTOR3 low_H = _V(u * e + lateral * n, -down, u * n - lateral * e);
    gust_G += tmul(s.R_HG, low_H) * (1 - sc.bodyAxes);
  }
  if (sc.bodyAxes > 0) gust_G += mul(v.st.R, _V(lateral, -down, u)) * sc.bodyAxes;
  return gust_G;
}

}  // namespace

VECTOR3 meanWindHorizon(const World &w, double alt) {
  if (w.windField.profile) return w.windField.profile->horizon(alt);
  return w.wind.speed > 0 ? w.wind.horizon() : _V(0, 0, 0);
}

void updateVesselWind(Vessel &v, SurfaceParams &s) {
  World &w = v.world();
  if (w.windField.plain()) {  // the constant wind alone, computed as it always was
    if (w.wind.speed > 0) s.wind_G = tmul(s.R_HG, w.wind.horizon());
    return;
  }
  VECTOR3 mean_G = tmul(s.R_HG, meanWindHorizon(w, s.alt));
  s.wind_G = mean_G;
  if (w.windField.turbulence == TurbulenceLevel::None) return;
  if (s.alt < std::max(kContactSearch, 4 * v.def.size) &&
      lowestTouchdownHeight(v) <= kGroundContact)
    return;
  s.gust_G = gustAt(v, s, mean_G);
  s.wind_G += s.gust_G;
}

VECTOR3 windHorizonAt(const World &w, const CelestialBody &b, double lng, double lat, double alt) {
  VECTOR3 mean_H = meanWindHorizon(w, alt);
  if (w.windField.turbulence == TurbulenceLevel::None) return mean_H;
  for (const auto &vp : w.vessels()) {
    const Vessel &v = *vp;
    const SurfaceParams &s = v.sp;
    if (s.ref != &b || !s.inAtmosphere || v.landed() || v.st.parentLink.parent) continue;
    double r = b.meanRadius + alt;
    double dLng = std::remainder(s.lng - lng, PI2) * std::cos(lat), dLat = s.lat - lat,
           dAlt = s.alt - alt;
    if ((dLng * dLng + dLat * dLat) * r * r + dAlt * dAlt <= 1.0) return mul(s.R_HG, s.wind_G);
  }
  return mean_H;
}

}  // namespace sim
