// VESSEL: the queries and commands plain vessel add-ons use beyond the ones our modules make:
// older air-data forms, atmosphere, forces of the last step, orbital elements, thruster-group
// increments, the older engine calls and the attitude (RCS) and aerodynamic control modes.
//
// Orbital elements are those of physics/orbit_elements.h for the state relative to the reference
// body: in global ecliptic axes (FRAME_ECL) or in the body's non-rotating equatorial axes
// (FRAME_EQU, the planet's attitude without its spin, R_GP S(spin)^T). The mean longitude refers
// to mjd_ref (0: now), moved there at the mean motion.
// Attitude levels per axis: rotation x = PITCHUP - PITCHDOWN, y = YAWLEFT - YAWRIGHT,
// z = BANKRIGHT - BANKLEFT; translation x = RIGHT - LEFT, y = UP - DOWN, z = FORWARD - BACK.
// Older engine calls: ENGINE_MAIN runs from -1 (full retro) to 1 (full main).
#include <algorithm>

#include "physics/contact.h"
#include "physics/orbit_elements.h"
#include "vessel/api_entry.h"
#include "world/world.h"

namespace {

constexpr THGROUP_TYPE kRotationAxes[3][2] = {{THGROUP_ATT_PITCHUP, THGROUP_ATT_PITCHDOWN},
                                               {THGROUP_ATT_YAWLEFT, THGROUP_ATT_YAWRIGHT},
                                               {THGROUP_ATT_BANKRIGHT, THGROUP_ATT_BANKLEFT}};
constexpr THGROUP_TYPE kLinearAxes[3][2] = {{THGROUP_ATT_RIGHT, THGROUP_ATT_LEFT},
                                             {THGROUP_ATT_UP, THGROUP_ATT_DOWN},
                                             {THGROUP_ATT_FORWARD, THGROUP_ATT_BACK}};

double typeLevel(const Vessel &v, THGROUP_TYPE type) {
  int g = v.groupOfType(type);
  return g < 0 ? 0.0 : v.groupLevel(g);
}

void setTypeLevel(Vessel &v, THGROUP_TYPE type, double level) {
  int g = v.groupOfType(type);
  if (g >= 0) v.setGroupLevel(g, level);
}

// Every member's permanent level moved by dlevel (clamped to [0, 1]), as a group level moves.
void incGroup(Vessel &v, int g, double dlevel) {
  for (int th : v.def.groups[g].members) {
    sim::ThrusterState &s = v.systems().thrusters[th];
    double level = std::clamp(s.permanent + dlevel, 0.0, 1.0);
    s.effective = std::clamp(s.effective + (level - s.permanent), 0.0, 1.0);
    s.permanent = level;
  }
}

void setAxisLevels(Vessel &v, const THGROUP_TYPE (&axes)[3][2], int axis, double th) {
  if (axis < 0 || axis > 2) return;
  setTypeLevel(v, axes[axis][0], std::max(0.0, th));
  setTypeLevel(v, axes[axis][1], std::max(0.0, -th));
}

VECTOR3 axisLevels(const Vessel &v, const THGROUP_TYPE (&axes)[3][2]) {
  VECTOR3 l;
  for (int i = 0; i < 3; i++) l.data[i] = typeLevel(v, axes[i][0]) - typeLevel(v, axes[i][1]);
  return l;
}

THGROUP_TYPE engineGroup(ENGINETYPE eng) {
  return eng == ENGINE_RETRO ? THGROUP_RETRO : eng == ENGINE_HOVER ? THGROUP_HOVER : THGROUP_MAIN;
}

}  // namespace

// --- air data, atmosphere, forces -------------------------------------------------------------

bool VESSEL::GetShipAirspeedVector(VECTOR3 &vec) const { return GetAirspeedVector(FRAME_LOCAL, vec); }
bool VESSEL::GetHorizonAirspeedVector(VECTOR3 &vec) const { return GetAirspeedVector(FRAME_HORIZON, vec); }

double VESSEL::GetAtmTemperature() const {
  VESSEL_ENTRY("GetAtmTemperature", 0.0);
  return v->sp.inAtmosphere ? v->sp.atm.temperature : 0.0;
}
OBJHANDLE VESSEL::GetAtmRef() const {
  VESSEL_ENTRY("GetAtmRef", nullptr);
  return v->sp.inAtmosphere && v->sp.ref ? v->sp.ref->handle() : nullptr;
}
double VESSEL::GetLift() const {
  VESSEL_ENTRY("GetLift", 0.0);
  return v->fb.lift;
}
double VESSEL::GetDrag() const {
  VESSEL_ENTRY("GetDrag", 0.0);
  return v->fb.drag;
}
bool VESSEL::GetThrustVector(VECTOR3 &T) const {
  VESSEL_ENTRY("GetThrustVector", false);
  T = v->fb.thrust_V;
  return length2(T) > 0;
}
bool VESSEL::GetForceVector(VECTOR3 &F) const {  // thrust, aerodynamics and weight
  VESSEL_ENTRY("GetForceVector", false);
  F = v->fb.force_V + v->weightVector();
  return true;
}
bool VESSEL::GetTorqueVector(VECTOR3 &M) const {
  VESSEL_ENTRY("GetTorqueVector", false);
  M = v->fb.torque_V;
  return true;
}
void VESSEL::AddForce(const VECTOR3 &F, const VECTOR3 &r) const {
  VESSEL_ENTRY("AddForce");
  if (!v->finite("AddForce", F) || !v->finite("AddForce", r)) return;
  v->systems().addedForce_V += F;
  v->systems().addedTorque_V += crossp(F, r);
}
bool VESSEL::GetGroundContact() const { return GroundContact(); }

OBJHANDLE VESSEL::GetEquPos(double &longitude, double &latitude, double &radius) const {
  VESSEL_ENTRY("GetEquPos", nullptr);
  if (!v->sp.ref) return nullptr;
  longitude = v->sp.lng, latitude = v->sp.lat, radius = v->sp.rad;
  return v->sp.ref->handle();
}

// --- orbital elements -------------------------------------------------------------------------

namespace {
// Elements of v about body b in the given frame, now; false without an orbit.
bool elementsAbout(const Vessel &v, const sim::CelestialBody &b, int frame, sim::OrbitState &out) {
  sim::World &w = v.world();
  VECTOR3 r = w.relativePos(v, b), vel = w.relativeVel(v, b);
  if (frame == FRAME_EQU) {
    const sim::BodyKinematics &k = b.now();
    MATRIX3 R_equ = mul(k.R_GP, transp(sim::spinMatrix(k.spinAngle)));
    r = tmul(R_equ, r), vel = tmul(R_equ, vel);
  }
  return sim::orbitElements(r, vel, b.mu(), out);
}

const sim::CelestialBody *gravityRef(const Vessel &v) { return v.world().gravityRefAt(v.globalPos()); }
}  // namespace

OBJHANDLE VESSEL::GetElements(ELEMENTS &el, double &mjd_ref) const {
  VESSEL_ENTRY("GetElements", nullptr);
  const sim::CelestialBody *b = gravityRef(*v);
  sim::OrbitState o;
  if (!b || !elementsAbout(*v, *b, FRAME_ECL, o)) return nullptr;
  el = o.el;
  mjd_ref = v->world().mjd();
  return b->handle();
}

bool VESSEL::GetElements(OBJHANDLE hRef, ELEMENTS &el, ORBITPARAM *prm, double mjd_ref, int frame) const {
  VESSEL_ENTRY("GetElements", false);
  const sim::CelestialBody *b = hRef ? v->world().bodyOf(hRef) : gravityRef(*v);
  if (!b) {
    if (hRef) v->refuse("GetElements", "not a celestial body");
    return false;
  }
  if (frame != FRAME_ECL && frame != FRAME_EQU) {
    v->refuse("GetElements", "unknown frame");
    return false;
  }
  if (!v->finite("GetElements", mjd_ref)) return false;
  sim::OrbitState o;
  if (!elementsAbout(*v, *b, frame, o)) return false;
  el = o.el;
  if (mjd_ref != 0) {
    double shifted = el.L + o.meanMotion * (mjd_ref - v->world().mjd()) * 86400.0;
    el.L = std::isfinite(shifted) ? posangle(shifted) : el.L;
  }
  if (prm) *prm = o.prm;
  return true;
}

namespace {
// One orbit parameter about the gravity reference; its handle (null: none, out unchanged).
template <class Pick>
OBJHANDLE orbitParam(const Vessel &v, double &out, Pick pick) {
  const sim::CelestialBody *b = gravityRef(v);
  sim::OrbitState o;
  if (!b || !elementsAbout(v, *b, FRAME_ECL, o)) return nullptr;
  out = pick(o);
  return b->handle();
}
}  // namespace

OBJHANDLE VESSEL::GetApDist(double &apdist) const {
  VESSEL_ENTRY("GetApDist", nullptr);
  return orbitParam(*v, apdist, [](const sim::OrbitState &o) { return o.prm.ApD; });
}
OBJHANDLE VESSEL::GetPeDist(double &pedist) const {
  VESSEL_ENTRY("GetPeDist", nullptr);
  return orbitParam(*v, pedist, [](const sim::OrbitState &o) { return o.prm.PeD; });
}
OBJHANDLE VESSEL::GetSMi(double &smi) const {
  VESSEL_ENTRY("GetSMi", nullptr);
  return orbitParam(*v, smi, [](const sim::OrbitState &o) { return o.prm.SMi; });
}
OBJHANDLE VESSEL::GetArgPer(double &arg) const {
  VESSEL_ENTRY("GetArgPer", nullptr);
  return orbitParam(*v, arg, [](const sim::OrbitState &o) { return posangle(o.el.omegab - o.el.theta); });
}

// --- thruster groups --------------------------------------------------------------------------

void VESSEL::IncThrusterGroupLevel(THGROUP_HANDLE thg, double dlevel) const {
  VESSEL_ENTRY("IncThrusterGroupLevel");
  int g = v->groupIndex(thg, "IncThrusterGroupLevel");
  if (g >= 0 && v->finite("IncThrusterGroupLevel", dlevel)) incGroup(*v, g, dlevel);
}
void VESSEL::IncThrusterGroupLevel(THGROUP_TYPE thgt, double dlevel) const {
  VESSEL_ENTRY("IncThrusterGroupLevel");
  int g = v->groupOfType(thgt);
  if (g >= 0 && v->finite("IncThrusterGroupLevel", dlevel)) incGroup(*v, g, dlevel);
}
void VESSEL::IncThrusterGroupLevel_SingleStep(THGROUP_HANDLE thg, double dlevel) const {
  VESSEL_ENTRY("IncThrusterGroupLevel_SingleStep");
  int g = v->groupIndex(thg, "IncThrusterGroupLevel_SingleStep");
  if (g < 0 || !v->finite("IncThrusterGroupLevel_SingleStep", dlevel)) return;
  for (int th : v->def.groups[g].members) v->systems().thrusters[th].override_ += dlevel;
}
void VESSEL::IncThrusterGroupLevel_SingleStep(THGROUP_TYPE thgt, double dlevel) const {
  VESSEL_ENTRY("IncThrusterGroupLevel_SingleStep");
  int g = v->groupOfType(thgt);
  if (g < 0 || !v->finite("IncThrusterGroupLevel_SingleStep", dlevel)) return;
  for (int th : v->def.groups[g].members) v->systems().thrusters[th].override_ += dlevel;
}
DWORD VESSEL::GetGroupThrusterCount(THGROUP_HANDLE thg) const {
  VESSEL_ENTRY("GetGroupThrusterCount", 0);
  int g = v->groupIndex(thg, "GetGroupThrusterCount");
  return g < 0 ? 0 : static_cast<DWORD>(v->def.groups[g].members.size());
}
DWORD VESSEL::GetGroupThrusterCount(THGROUP_TYPE thgt) const {
  VESSEL_ENTRY("GetGroupThrusterCount", 0);
  int g = v->groupOfType(thgt);
  return g < 0 ? 0 : static_cast<DWORD>(v->def.groups[g].members.size());
}
THRUSTER_HANDLE VESSEL::GetGroupThruster(THGROUP_HANDLE thg, DWORD idx) const {
  VESSEL_ENTRY("GetGroupThruster", nullptr);
  int g = v->groupIndex(thg, "GetGroupThruster");
  if (g < 0 || idx >= v->def.groups[g].members.size()) return nullptr;
  return v->thrusterHandle(v->def.groups[g].members[idx]);
}
THRUSTER_HANDLE VESSEL::GetGroupThruster(THGROUP_TYPE thgt, DWORD idx) const {
  VESSEL_ENTRY("GetGroupThruster", nullptr);
  int g = v->groupOfType(thgt);
  if (g < 0 || idx >= v->def.groups[g].members.size()) return nullptr;
  return v->thrusterHandle(v->def.groups[g].members[idx]);
}

// --- older engine calls -----------------------------------------------------------------------

void VESSEL::SetEngineLevel(ENGINETYPE eng, double level) const {
  VESSEL_ENTRY("SetEngineLevel");
  if (!v->finite("SetEngineLevel", level)) return;
  if (eng == ENGINE_ATTITUDE) return v->refuse("SetEngineLevel", "ENGINE_ATTITUDE has no level");
  if (eng == ENGINE_MAIN) {
    level = std::clamp(level, -1.0, 1.0);
    setTypeLevel(*v, THGROUP_MAIN, std::max(0.0, level));
    setTypeLevel(*v, THGROUP_RETRO, std::max(0.0, -level));
    return;
  }
  setTypeLevel(*v, engineGroup(eng), level);
}
double VESSEL::GetEngineLevel(ENGINETYPE eng) const {
  VESSEL_ENTRY("GetEngineLevel", 0.0);
  if (eng == ENGINE_ATTITUDE) return 0.0;
  if (eng == ENGINE_MAIN) return typeLevel(*v, THGROUP_MAIN) - typeLevel(*v, THGROUP_RETRO);
  return typeLevel(*v, engineGroup(eng));
}
void VESSEL::IncEngineLevel(ENGINETYPE eng, double dlevel) const {
  VESSEL_ENTRY("IncEngineLevel");
  if (!v->finite("IncEngineLevel", dlevel)) return;
  SetEngineLevel(eng, GetEngineLevel(eng) + dlevel);
}

// --- attitude and aerodynamic control modes -----------------------------------------------------

int VESSEL::GetAttitudeMode() const {
  VESSEL_ENTRY("GetAttitudeMode", RCS_NONE);
  return v->st.rcsMode;
}
bool VESSEL::SetAttitudeMode(int mode) const {
  VESSEL_ENTRY("SetAttitudeMode", false);
  if (mode < RCS_NONE || mode > RCS_LIN) {
    v->refuse("SetAttitudeMode", "unknown attitude mode");
    return false;
  }
  if (v->st.rcsMode != mode) {
    v->systems().rcsMode = mode;
    if (VESSEL2 *cb = v->callbacks()) cb->clbkRCSMode(mode);
  }
  return true;
}
int VESSEL::ToggleAttitudeMode() const {
  VESSEL_ENTRY("ToggleAttitudeMode", RCS_NONE);
  if (v->st.rcsMode == RCS_NONE) return RCS_NONE;  // off stays off
  SetAttitudeMode(v->st.rcsMode == RCS_ROT ? RCS_LIN : RCS_ROT);
  return v->st.rcsMode;
}
void VESSEL::GetAttitudeRotLevel(VECTOR3 &th) const {
  VESSEL_ENTRY("GetAttitudeRotLevel");
  th = axisLevels(*v, kRotationAxes);
}
void VESSEL::SetAttitudeRotLevel(const VECTOR3 &th) const {
  VESSEL_ENTRY("SetAttitudeRotLevel");
  if (!v->finite("SetAttitudeRotLevel", th)) return;
  for (int i = 0; i < 3; i++) setAxisLevels(*v, kRotationAxes, i, th.data[i]);
}
void VESSEL::SetAttitudeRotLevel(int axis, double th) const {
  VESSEL_ENTRY("SetAttitudeRotLevel");
  if (!v->finite("SetAttitudeRotLevel", th)) return;
  if (axis < 0 || axis > 2) return v->refuse("SetAttitudeRotLevel", "axis must be 0, 1 or 2");
  setAxisLevels(*v, kRotationAxes, axis, th);
}
void VESSEL::GetAttitudeLinLevel(VECTOR3 &th) const {
  VESSEL_ENTRY("GetAttitudeLinLevel");
  th = axisLevels(*v, kLinearAxes);
}
void VESSEL::SetAttitudeLinLevel(const VECTOR3 &th) const {
  VESSEL_ENTRY("SetAttitudeLinLevel");
  if (!v->finite("SetAttitudeLinLevel", th)) return;
  for (int i = 0; i < 3; i++) setAxisLevels(*v, kLinearAxes, i, th.data[i]);
}
void VESSEL::SetAttitudeLinLevel(int axis, double th) const {
  VESSEL_ENTRY("SetAttitudeLinLevel");
  if (!v->finite("SetAttitudeLinLevel", th)) return;
  if (axis < 0 || axis > 2) return v->refuse("SetAttitudeLinLevel", "axis must be 0, 1 or 2");
  setAxisLevels(*v, kLinearAxes, axis, th);
}
