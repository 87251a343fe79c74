// Surface parameters of a vessel (see surface.h for the definitions).
#include "vessel/surface.h"

#include <algorithm>

#include "physics/wind_field.h"
#include "vessel/vessel.h"
#include "world/frames.h"
#include "world/world.h"

namespace sim {

void updateSurfaceParams(Vessel &v) {
  SurfaceParams &s = v.sp;
  s = SurfaceParams{};
  World &w = v.world();
  const CelestialBody *ref = v.landed() ? v.st.landed.body : w.surfaceRefAt(v.globalPos());
  if (!ref) return;
  const BodyKinematics &k = ref->now();
  VECTOR3 r_G = v.st.frame == ref ? v.st.rpos : v.globalPos() - k.pos;
  VECTOR3 vrel_G = v.st.frame == ref ? v.st.rvel : v.globalVel() - k.vel;
  double r = length(r_G);
  if (!(r > 0)) return;
  s.ref = ref;
  s.rad = r;
  s.alt = r - ref->meanRadius;
  VECTOR3 r_P = tmul(k.R_GP, r_G);
  s.lng = std::atan2(r_P.z, r_P.x);
  s.lat = std::asin(std::clamp(r_P.y / r, -1.0, 1.0));
  s.R_GP = k.R_GP;
  MATRIX3 L2H = localToHorizon(s.lng, s.lat);
  s.R_HG = mul(L2H, transp(k.R_GP));

  if (!v.landed()) {
    double wr = ref->rotationRate();
    s.groundVel_G = vrel_G - mul(k.R_GP, _V(-wr * r_P.z, 0, wr * r_P.x));
  }
  const MATRIX3 &R = v.st.R;
  s.groundVel_P = tmul(k.R_GP, s.groundVel_G);
  s.groundVel_H = mul(L2H, s.groundVel_P);
  s.groundVel_V = tmul(R, s.groundVel_G);
  s.groundspeed = length(s.groundVel_G);

  if (ref->hasAtmosphere && s.alt < EarthAtmosphere::kTop) {
    s.atm = EarthAtmosphere::at(s.alt);
    s.inAtmosphere = s.atm.density > 0;
    s.soundSpeed = EarthAtmosphere::speedOfSound(s.atm.temperature);
  }
  if (s.inAtmosphere && !v.landed()) updateVesselWind(v, s);
  s.airVel_G = s.groundVel_G - s.wind_G;
  s.airVel_V = tmul(R, s.airVel_G);
  s.airVel_H = mul(s.R_HG, s.airVel_G);
  s.airspeed = length(s.airVel_G);
  if (s.inAtmosphere) {
    s.dynPressure = 0.5 * s.atm.density * s.airspeed * s.airspeed;
    s.mach = s.soundSpeed > 0 ? s.airspeed / s.soundSpeed : 0.0;
  }
  const VECTOR3 &a = s.airVel_V;
  s.aoa = -std::atan2(a.y, a.z);
  s.slip = -std::atan2(a.x, a.z);

  s.up_V = tmul(R, r_G / r);
  s.pitch = std::asin(std::clamp(s.up_V.z, -1.0, 1.0));
  s.bank = (std::fabs(s.up_V.x) < 1e-4 && std::fabs(s.up_V.y) < 1e-4) ? 0.0 : std::atan2(s.up_V.x, s.up_V.y);
  VECTOR3 z_H = mul(s.R_HG, _V(R.m13, R.m23, R.m33));
  s.yaw = std::atan2(z_H.x, z_H.z);
}

}  // namespace sim
