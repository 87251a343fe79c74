// Applying an initial state to a vessel, and describing its present state.
//
// Placement, by the kind of state:
//  - orbiting: pos = body + rpos, vel = body + rvel, attitude from the Euler angles arot, w = vrot;
//  - landed:   at (lng, lat) on the body, frozen to its surface. With AROT the attitude is arot
//              relative to the horizon and the height ALT; otherwise the touchdown plane lies on
//              the ground (its normal up, its longitudinal axis p0 - (p1 + p2)/2 along the
//              heading) and the centre of gravity stands at the plane's depth less the static
//              compression m g / sum(k) of the points in the plane;
//  - flying:   at (lng, lat, alt) with the ground-relative velocity of the given speed, ground
//              track and path angle (horizon frame v_H = s (cos g sin h, sin g, cos g cos h)),
//              plus the surface's rotation; +z along that velocity unless AROT gives the
//              horizon-relative attitude.
// A point p fixed in a planet's frame moves with R_GP W (-p.z, 0, p.x) (W the spin rate).
#include <algorithm>

#include "physics/attachments.h"
#include "physics/integrator.h"
#include "scenario/status_lines.h"
#include "vessel/placement.h"
#include "vessel/vessel.h"
#include "world/frames.h"
#include "world/world.h"

using sim::BodyKinematics;
using sim::CelestialBody;

namespace {

VECTOR3 surfaceVelocity_G(const CelestialBody &b, const BodyKinematics &k, const VECTOR3 &p_P) {
  double w = b.rotationRate();
  return mul(k.R_GP, _V(-w * p_P.z, 0, w * p_P.x));
}

// Attitude with +z along dir_H and +y as close to the local vertical as possible.
MATRIX3 alongMotion_HV(VECTOR3 dir_H) {
  if (length(dir_H) == 0) dir_H = _V(0, 1, 0);
  VECTOR3 z = unit(dir_H);
  VECTOR3 ref = std::fabs(z.y) > 0.999 ? _V(0, 0, 1) : _V(0, 1, 0);
  VECTOR3 y = unit(ref - z * dotp(ref, z));
  VECTOR3 x = crossp(y, z);
  return _M(x.x, y.x, z.x, x.y, y.y, z.y, x.z, y.z, z.z);
}

// Attitude of a vessel resting on its touchdown plane with its longitudinal axis along heading.
MATRIX3 resting_HV(const Vessel &v, double heading) {
  const std::vector<TOUCHDOWNVTX> &td = v.def.touchdown.points;
  VECTOR3 up = v.def.touchdown.up_V;
  VECTOR3 lng = td.size() >= 3 ? td[0].pos - (td[1].pos + td[2].pos) * 0.5 : _V(0, 0, 1);
  lng = lng - up * dotp(lng, up);
  if (length(lng) < 1e-9) lng = std::fabs(up.z) < 0.9 ? _V(0, 0, 1) : _V(0, 1, 0), lng = lng - up * dotp(lng, up);
  lng = unit(lng);
  VECTOR3 side = crossp(up, lng);  // completes (side, up, lng) as a frame of the same handedness
  // Columns of R_VF map the frame (east-like side, up, heading) into vessel axes; R_HF turns the
  // heading about the vertical.
  MATRIX3 R_VF = _M(side.x, up.x, lng.x, side.y, up.y, lng.y, side.z, up.z, lng.z);
  double s = std::sin(heading), c = std::cos(heading);
  MATRIX3 R_HF = _M(c, 0, s, 0, 1, 0, -s, 0, c);
  return mul(R_HF, transp(R_VF));
}

double restingHeight(const Vessel &v, const CelestialBody &b) {
  const std::vector<TOUCHDOWNVTX> &td = v.def.touchdown.points;
  if (td.size() < 3) return 0;
  VECTOR3 up = v.def.touchdown.up_V;
  double depth = -dotp(td[0].pos, up);
  double k = 0;
  for (const TOUCHDOWNVTX &p : td)
    if (std::fabs(-dotp(p.pos, up) - depth) < 1e-3) k += p.stiffness;
  double g = b.mu() / (b.meanRadius * b.meanRadius);
  double compression = k > 0 ? std::min(1.0, v.mass() * g / k) : 0.0;
  return depth - compression;
}

}  // namespace

namespace sim {

// Places v on body b, frozen to its surface: planet-local position and attitude.
void setLandedPose(Vessel &v, const CelestialBody &b, const VECTOR3 &pos_P, const MATRIX3 &R_PV) {
  Vessel::StateWriter w = v.writer();
  w->status = FlightStatus::Landed;
  w->landed = {&b, pos_P, R_PV};
  w->rest = {};
  updateLandedKinematics(v);
}

void restOnTouchdownPoints(Vessel &v, const CelestialBody &b) {
  const BodyKinematics &k = b.now();
  VECTOR3 r_P = tmul(k.R_GP, v.st.frame == &b ? v.st.rpos : v.globalPos() - k.pos);
  double lng = std::atan2(r_P.z, r_P.x), lat = std::asin(std::clamp(r_P.y / length(r_P), -1.0, 1.0));
  MATRIX3 R_HP = localToHorizon(lng, lat);
  // the heading of the longitudinal axis of the touchdown plane (or of +z), projected on the ground
  const std::vector<TOUCHDOWNVTX> &td = v.def.touchdown.points;
  VECTOR3 lng_V = td.size() >= 3 ? td[0].pos - (td[1].pos + td[2].pos) * 0.5 : _V(0, 0, 1);
  VECTOR3 lng_H = mul(R_HP, tmul(k.R_GP, mul(v.st.R, lng_V)));
  double heading = std::hypot(lng_H.x, lng_H.z) > 1e-9 ? std::atan2(lng_H.x, lng_H.z) : 0.0;
  VECTOR3 pos_P = equToLocalDir(lng, lat) * (b.meanRadius + restingHeight(v, b));
  setLandedPose(v, b, pos_P, mul(transp(R_HP), resting_HV(v, heading)));
}

// The global state of a landed vessel from its planet-local pose at the present time.
void updateLandedKinematics(Vessel &v) {
  const LandedPose &lp = v.st.landed;
  Vessel::StateWriter w = v.writer();
  const BodyKinematics &k = lp.body->now();
  w->frame = lp.body;
  w->rpos = mul(k.R_GP, lp.pos_P);
  w->rvel = surfaceVelocity_G(*lp.body, k, lp.pos_P);
  w.setAttitude(mul(k.R_GP, lp.R_PV));
  w->omega = tmul(lp.R_PV, _V(0, lp.body->rotationRate(), 0));  // the surface's own rotation
}

}  // namespace sim

namespace {

// Tank masses: emptied by VS_FUELRESET, then the legacy FUEL fraction for every tank, then the
// listed levels. An index beyond the vessel's tanks is refused.
void applyPropellant(Vessel &v, const VESSELSTATUS2 &vs, const sim::SpawnExtension &ext,
                     const Vessel::StateWriter &e) {
  if (vs.flag & VS_FUELRESET) std::fill(e->tankMass.begin(), e->tankMass.end(), 0.0);
  if (ext.legacyFuel >= 0)
    for (size_t i = 0; i < v.def.tanks.size(); i++)
      e->tankMass[i] = ext.legacyFuel * v.def.tanks[i].maxMass;
  if ((vs.flag & VS_FUELLIST) && vs.fuel)
    for (DWORD i = 0; i < vs.nfuel; i++) {
      if (vs.fuel[i].idx < v.def.tanks.size())
        e->tankMass[vs.fuel[i].idx] = vs.fuel[i].level * v.def.tanks[vs.fuel[i].idx].maxMass;
      else
        v.refuse("PRPLEVEL", "tank index " + std::to_string(vs.fuel[i].idx) + " out of range");
    }
}

// Thruster levels: all off by VS_THRUSTRESET, then the listed ones (an unknown index is refused).
void applyThrusterLevels(Vessel &v, const VESSELSTATUS2 &vs, const Vessel::StateWriter &e) {
  if (vs.flag & VS_THRUSTRESET)
    for (sim::ThrusterState &t : e->thrusters) t = {};
  if ((vs.flag & VS_THRUSTLIST) && vs.thruster)
    for (DWORD i = 0; i < vs.nthruster; i++) {
      if (vs.thruster[i].idx < v.def.thrusters.size())
        v.setThrusterLevel(static_cast<int>(vs.thruster[i].idx), vs.thruster[i].level);
      else
        v.refuse("THLEVEL",
                 "thruster index " + std::to_string(vs.thruster[i].idx) + " out of range");
    }
}

// Landed at (lng, lat): with AROT at the horizon-relative attitude and height it gives, else
// resting on the touchdown plane along the heading.
void placeLanded(Vessel &v, const VESSELSTATUS2 &vs, const sim::SpawnExtension &ext,
                 const CelestialBody &body) {
  MATRIX3 R_HV;
  double alt;
  if (ext.hasArot) {
    R_HV = sim::eulerToMatrix(vs.arot);
    alt = ext.hasAlt ? ext.alt : vs.vrot.x;
  } else {
    R_HV = resting_HV(v, vs.surf_hdg);
    alt = restingHeight(v, body);
  }
  VECTOR3 pos_P = sim::equToLocalDir(vs.surf_lng, vs.surf_lat) * (body.meanRadius + alt);
  MATRIX3 R_PV = mul(transp(sim::localToHorizon(vs.surf_lng, vs.surf_lat)), R_HV);
  sim::setLandedPose(v, body, pos_P, R_PV);
}

// The hand-written flying form: position above the surface, the ground-relative velocity plus
// the surface's own, and the attitude along that velocity unless AROT gives it.
void placeFlying(const VESSELSTATUS2 &vs, const sim::SpawnExtension &ext, const CelestialBody &body,
                 const Vessel::StateWriter &e) {
  const BodyKinematics &k = body.now();
  e->status = sim::FlightStatus::Flying;
  double lng = vs.surf_lng, lat = vs.surf_lat, hdg = vs.surf_hdg, g = ext.pathAngle;
  VECTOR3 pos_P = sim::equToLocalDir(lng, lat) * (body.meanRadius + ext.alt);
  VECTOR3 v_H =
      _V(std::cos(g) * std::sin(hdg), std::sin(g), std::cos(g) * std::cos(hdg)) * ext.groundSpeed;
  MATRIX3 R_PH = transp(sim::localToHorizon(lng, lat));
  e->frame = &body;
  e->rpos = mul(k.R_GP, pos_P);
  e->rvel = mul(k.R_GP, mul(R_PH, v_H)) + surfaceVelocity_G(body, k, pos_P);
  MATRIX3 R_HV = ext.hasArot ? sim::eulerToMatrix(vs.arot) : alongMotion_HV(v_H);
  e.setAttitude(mul(k.R_GP, mul(R_PH, R_HV)));
  e->omega = ext.hasVrot ? ext.vrot : _V(0, 0, 0);  // vrot.x may hold the ALT line
}

// The standard orbiting form. A spawned vessel (a scenario block, a new vessel) turns at its
// extension's rate alone, as vrot.x may hold the ALT line; any other status at its own vrot.
void placeOrbiting(const VESSELSTATUS2 &vs, const sim::SpawnExtension &ext, bool spawned,
                   const CelestialBody &body, const Vessel::StateWriter &e) {
  e->status = sim::FlightStatus::Flying;
  e->frame = &body;
  e->rpos = vs.rpos;
  e->rvel = vs.rvel;
  e.setAttitude(sim::eulerToMatrix(vs.arot));
  e->omega = spawned ? (ext.hasVrot ? ext.vrot : _V(0, 0, 0)) : vs.vrot;
}

}  // namespace

void Vessel::applyStatus(const VESSELSTATUS2 &vs, const sim::VesselSpawn *spawn) {
  StateEdit e = edit();  // recomputes what depends on the state on every way out
  sim::SpawnExtension ext = spawn ? spawn->ext : sim::SpawnExtension{};
  applyPropellant(*this, vs, ext, e);
  applyThrusterLevels(*this, vs, e);
  if (ext.rcsMode >= 0) e->rcsMode = ext.rcsMode;
  if (ext.afcMode >= 0) e->afcMode = ext.afcMode;

  // Placement (an attached vessel is placed by its link once the parent exists)
  sim::World &w = world();
  const sim::CelestialBody *body = w.bodyOf(vs.rbody);
  if (!body) body = w.gravityRefAt(globalPos());
  if (ext.attached || !body) return;
  if (vs.status == 1)
    placeLanded(*this, vs, ext, *body);
  else if (ext.flying)
    placeFlying(vs, ext, *body, e);
  else
    placeOrbiting(vs, ext, spawn != nullptr, *body, e);
  sim::capAngularRate(e->omega);
}

void Vessel::fillStatus(VESSELSTATUS2 &vs) const {
  const sim::CelestialBody *ref = landed() ? st.landed.body : world().gravityRefAt(globalPos());
  vs.version = 2;
  vs.flag = 0;
  vs.rbody = ref ? ref->handle() : nullptr;
  vs.base = nullptr;
  vs.port = 0;
  vs.status = landed() ? 1 : 0;
  VECTOR3 rp = ref ? ref->now().pos : _V(0, 0, 0), rv = ref ? ref->now().vel : _V(0, 0, 0);
  vs.rpos = globalPos() - rp;
  vs.rvel = globalVel() - rv;
  vs.vrot = landed() ? _V(0, 0, 0) : st.omega;
  vs.arot = sim::matrixToEuler(st.R);
  vs.surf_lng = sp.lng, vs.surf_lat = sp.lat, vs.surf_hdg = sp.yaw;
  vs.nfuel = 0, vs.fuel = nullptr, vs.nthruster = 0, vs.thruster = nullptr, vs.ndockinfo = 0, vs.dockinfo = nullptr;
  vs.xpdr = 0;
}
