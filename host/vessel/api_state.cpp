// VESSEL: state queries, attitude, navigation modes, attachments, touchdown points, animations,
// scenario state and buffered keys.
//
// Queries answer from the surface parameters of the last state update (surface.h). HorizonRot
// maps a vessel vector v to R_HG R v; HorizonInvRot is its inverse; both leave the output
// unwritten when the vessel has no surface reference, as the simulator does.
#include <algorithm>

#include "physics/attachments.h"
#include "physics/integrator.h"
#include "physics/contact.h"
#include "physics/navmodes.h"
#include "scenario/status_lines.h"
#include "vessel/api_entry.h"
#include "world/world.h"

// --- altitude, angles, air data ---------------------------------------------------------------

double VESSEL::GetAltitude() const {
  VESSEL_ENTRY("GetAltitude", 0.0);
  return v->sp.ref ? v->sp.alt : 0.0;
}
double VESSEL::GetAltitude(AltitudeMode mode, int *reslvl) {
  VESSEL_ENTRY("GetAltitude", 0.0);
  (void)mode;  // no terrain: the ground is the mean-radius sphere
  if (reslvl) *reslvl = 0;
  return v->sp.ref ? v->sp.alt : 0.0;
}
double VESSEL::GetPitch() const {
  VESSEL_ENTRY("GetPitch", 0.0);
  return v->sp.pitch;
}
double VESSEL::GetBank() const {
  VESSEL_ENTRY("GetBank", 0.0);
  return v->sp.bank;
}
double VESSEL::GetYaw() const {
  VESSEL_ENTRY("GetYaw", 0.0);
  return v->sp.yaw;
}
double VESSEL::GetAOA() const {
  VESSEL_ENTRY("GetAOA", 0.0);
  return v->sp.aoa;
}
double VESSEL::GetSlipAngle() const {
  VESSEL_ENTRY("GetSlipAngle", 0.0);
  return v->sp.slip;
}
double VESSEL::GetDynPressure() const {
  VESSEL_ENTRY("GetDynPressure", 0.0);
  return v->sp.dynPressure;
}
double VESSEL::GetMachNumber() const {
  VESSEL_ENTRY("GetMachNumber", 0.0);
  return v->sp.mach;
}
double VESSEL::GetAtmPressure() const {
  VESSEL_ENTRY("GetAtmPressure", 0.0);
  return v->sp.inAtmosphere ? v->sp.atm.pressure : 0.0;
}
double VESSEL::GetAtmDensity() const {
  VESSEL_ENTRY("GetAtmDensity", 0.0);
  return v->sp.inAtmosphere ? v->sp.atm.density : 0.0;
}
double VESSEL::GetAirspeed() const {
  VESSEL_ENTRY("GetAirspeed", 0.0);
  return v->sp.airspeed;
}
double VESSEL::GetGroundspeed() const {
  VESSEL_ENTRY("GetGroundspeed", 0.0);
  return v->sp.groundspeed;
}

namespace {
bool frameVector(const Vessel &v, REFFRAME frame, const VECTOR3 &g, const VECTOR3 &p, const VECTOR3 &l,
                 const VECTOR3 &h, VECTOR3 &out) {
  if (!v.sp.ref) {
    out = _V(0, 0, 0);
    return false;
  }
  switch (frame) {
    case FRAME_GLOBAL: out = g; return true;
    case FRAME_LOCAL: out = l; return true;
    case FRAME_REFLOCAL: out = p; return true;
    case FRAME_HORIZON: out = h; return true;
  }
  out = _V(0, 0, 0);
  return false;
}
}  // namespace

bool VESSEL::GetGroundspeedVector(REFFRAME frame, VECTOR3 &vec) const {
  VESSEL_ENTRY("GetGroundspeedVector", false);
  const sim::SurfaceParams &s = v->sp;
  return frameVector(*v, frame, s.groundVel_G, s.groundVel_P, s.groundVel_V, s.groundVel_H, vec);
}
bool VESSEL::GetAirspeedVector(REFFRAME frame, VECTOR3 &vec) const {
  VESSEL_ENTRY("GetAirspeedVector", false);
  const sim::SurfaceParams &s = v->sp;
  return frameVector(*v, frame, s.airVel_G, tmul(s.R_GP, s.airVel_G), s.airVel_V, s.airVel_H, vec);
}

// --- motion and forces ------------------------------------------------------------------------

void VESSEL::GetAngularVel(VECTOR3 &avel) const {
  VESSEL_ENTRY("GetAngularVel");
  avel = v->landed() ? _V(0, 0, 0) : v->st.omega;
}
void VESSEL::SetAngularVel(const VECTOR3 &avel) const {
  VESSEL_ENTRY("SetAngularVel");
  if (!v->finite("SetAngularVel", avel)) return;
  if (v->landed()) {
    if (length(avel) == 0) return;
    v->releaseFromGround();
  }
  Vessel::StateEdit e = v->edit();
  e->omega = avel;
  sim::capAngularRate(e->omega);
}
bool VESSEL::GetWeightVector(VECTOR3 &G) const {
  VESSEL_ENTRY("GetWeightVector", false);
  G = v->weightVector();
  return true;
}
bool VESSEL::GetDragVector(VECTOR3 &D) const {
  VESSEL_ENTRY("GetDragVector", false);
  double a = length(v->sp.airVel_V);
  if (v->fb.drag == 0 || a == 0) {
    D = _V(0, 0, 0);
    return false;
  }
  D = v->sp.airVel_V * (-v->fb.drag / a);
  return true;
}
bool VESSEL::GetLiftVector(VECTOR3 &L) const {
  VESSEL_ENTRY("GetLiftVector", false);
  L = v->fb.lift_V;
  return v->fb.lift != 0;
}
void VESSEL::GetGlobalPos(VECTOR3 &pos) const {
  VESSEL_ENTRY("GetGlobalPos");
  pos = v->globalPos();
}
void VESSEL::GetGlobalVel(VECTOR3 &vel) const {
  VESSEL_ENTRY("GetGlobalVel");
  vel = v->globalVel();
}
void VESSEL::GetRelativePos(OBJHANDLE hRef, VECTOR3 &pos) const {
  VESSEL_ENTRY("GetRelativePos");
  sim::WorldObject *o = v->world().object(hRef);
  if (!o) return v->refuse("GetRelativePos", "unknown object handle");
  pos = v->world().relativePos(*v, *o);
}
void VESSEL::GetRelativeVel(OBJHANDLE hRef, VECTOR3 &vel) const {
  VESSEL_ENTRY("GetRelativeVel");
  sim::WorldObject *o = v->world().object(hRef);
  if (!o) return v->refuse("GetRelativeVel", "unknown object handle");
  vel = v->world().relativeVel(*v, *o);
}
void VESSEL::GetGlobalOrientation(VECTOR3 &arot) const {
  VESSEL_ENTRY("GetGlobalOrientation");
  arot = sim::matrixToEuler(v->st.R);
}
void VESSEL::SetGlobalOrientation(const VECTOR3 &arot) const {
  VESSEL_ENTRY("SetGlobalOrientation");
  if (!v->finite("SetGlobalOrientation", arot)) return;
  v->releaseFromGround();
  v->edit().setAttitude(sim::eulerToMatrix(arot));
}
void VESSEL::GetRotationMatrix(MATRIX3 &R) const {
  VESSEL_ENTRY("GetRotationMatrix");
  R = v->st.R;
}
const OBJHANDLE VESSEL::GetGravityRef() const {
  VESSEL_ENTRY("GetGravityRef", nullptr);
  const sim::CelestialBody *b = v->world().gravityRefAt(v->globalPos());
  return b ? b->handle() : nullptr;
}
const OBJHANDLE VESSEL::GetSurfaceRef() const {
  VESSEL_ENTRY("GetSurfaceRef", nullptr);
  return v->sp.ref ? v->sp.ref->handle() : nullptr;
}
bool VESSEL::GroundContact() const {
  VESSEL_ENTRY("GroundContact", false);
  return v->landed() || sim::lowestTouchdownHeight(*v) <= 0.0;
}
int VESSEL::GetFlightStatus() const {
  VESSEL_ENTRY("GetFlightStatus", 0);
  return v->landed() ? 1 : 0;
}
void VESSEL::Local2Global(const VECTOR3 &local, VECTOR3 &global) const {
  VESSEL_ENTRY("Local2Global");
  global = mul(v->st.R, local) + v->globalPos();
}
void VESSEL::Global2Local(const VECTOR3 &global, VECTOR3 &local) const {
  VESSEL_ENTRY("Global2Local");
  local = tmul(v->st.R, global - v->globalPos());
}
void VESSEL::HorizonRot(const VECTOR3 &rloc, VECTOR3 &rhorizon) const {
  VESSEL_ENTRY("HorizonRot");
  if (!v->sp.ref) return;
  rhorizon = mul(v->sp.R_HG, mul(v->st.R, rloc));
}
void VESSEL::HorizonInvRot(const VECTOR3 &rhorizon, VECTOR3 &rloc) const {
  VESSEL_ENTRY("HorizonInvRot");
  if (!v->sp.ref) return;
  rloc = tmul(v->st.R, tmul(v->sp.R_HG, rhorizon));
}

// --- navigation modes -------------------------------------------------------------------------

bool VESSEL::ActivateNavmode(int mode) {
  VESSEL_ENTRY("ActivateNavmode", false);
  return sim::activateNavmode(*v, mode);
}
bool VESSEL::DeactivateNavmode(int mode) {
  VESSEL_ENTRY("DeactivateNavmode", false);
  return sim::deactivateNavmode(*v, mode);
}
bool VESSEL::ToggleNavmode(int mode) {
  VESSEL_ENTRY("ToggleNavmode", false);
  return sim::navmodeOn(*v, mode) ? sim::deactivateNavmode(*v, mode) : sim::activateNavmode(*v, mode);
}
bool VESSEL::GetNavmodeState(int mode) {
  VESSEL_ENTRY("GetNavmodeState", false);
  return sim::navmodeOn(*v, mode);
}

// --- attachments ------------------------------------------------------------------------------

ATTACHMENTHANDLE VESSEL::CreateAttachment(bool toparent, const VECTOR3 &pos, const VECTOR3 &dir,
                                          const VECTOR3 &rot, const char *id, bool loose) const {
  VESSEL_ENTRY("CreateAttachment", nullptr);
  if (!v->finite("CreateAttachment", pos) || !v->finite("CreateAttachment", dir) ||
      !v->finite("CreateAttachment", rot))
    return nullptr;
  if (length(dir) == 0 || length(rot) == 0) {
    v->refuse("CreateAttachment", "zero direction or rotation vector");
    return nullptr;
  }
  sim::AttachmentDef a;
  a.toParent = toparent, a.pos = pos, a.dir = unit(dir), a.rot = unit(rot), a.loose = loose;
  if (id) std::strncpy(a.id, id, 8);
  v->def.attachments.push_back(a);
  v->systems().attachedChildren.push_back(nullptr);
  return v->attachmentHandle(static_cast<int>(v->def.attachments.size() - 1));
}
DWORD VESSEL::AttachmentCount(bool toparent) const {
  VESSEL_ENTRY("AttachmentCount", 0);
  return static_cast<DWORD>(std::count_if(v->def.attachments.begin(), v->def.attachments.end(),
                                          [&](const sim::AttachmentDef &a) { return a.toParent == toparent; }));
}
ATTACHMENTHANDLE VESSEL::GetAttachmentHandle(bool toparent, DWORD i) const {
  VESSEL_ENTRY("GetAttachmentHandle", nullptr);
  int r = sim::attachmentRecord(*v, toparent, static_cast<int>(i));
  return r < 0 ? nullptr : v->attachmentHandle(r);
}
OBJHANDLE VESSEL::GetAttachmentStatus(ATTACHMENTHANDLE attachment) const {
  VESSEL_ENTRY("GetAttachmentStatus", nullptr);
  int r = v->attachmentIndex(attachment, "GetAttachmentStatus");
  if (r < 0) return nullptr;
  if (v->def.attachments[r].toParent)
    return v->st.parentLink.ownPoint == r && v->st.parentLink.parent ? v->st.parentLink.parent->handle() : nullptr;
  Vessel *child = v->st.attachedChildren[r];
  return child ? child->handle() : nullptr;
}
bool VESSEL::AttachChild(OBJHANDLE child, ATTACHMENTHANDLE attachment, ATTACHMENTHANDLE child_attachment) const {
  VESSEL_ENTRY("AttachChild", false);
  Vessel *c = v->world().vesselOf(child);
  if (!c) {
    v->refuse("AttachChild", "unknown child vessel");
    return false;
  }
  int pr = v->attachmentIndex(attachment, "AttachChild");
  int cr = c->attachmentIndex(child_attachment, "AttachChild");
  if (pr < 0 || cr < 0) return false;
  return sim::attach(*v, pr, *c, cr);
}
bool VESSEL::DetachChild(ATTACHMENTHANDLE attachment, double vel) const {
  VESSEL_ENTRY("DetachChild", false);
  int r = v->attachmentIndex(attachment, "DetachChild");
  if (r < 0 || !v->finite("DetachChild", vel)) return false;
  return sim::detach(*v, r, vel);
}

// --- touchdown points -------------------------------------------------------------------------

void VESSEL::SetTouchdownPoints(const TOUCHDOWNVTX *tdvtx, DWORD ntdvtx) const {
  VESSEL_ENTRY("SetTouchdownPoints");
  if (!tdvtx || ntdvtx < 3) return v->refuse("SetTouchdownPoints", "fewer than three touchdown points");
  for (DWORD i = 0; i < ntdvtx; i++) {
    const TOUCHDOWNVTX &p = tdvtx[i];
    if (!v->finite("SetTouchdownPoints", p.pos) || !v->finite("SetTouchdownPoints", _V(p.stiffness, p.damping, p.mu)) ||
        !v->finite("SetTouchdownPoints", p.mu_lng))
      return;
  }
  v->setTouchdownPoints(tdvtx, static_cast<int>(ntdvtx));
  v->releaseFromGround();  // settle on the new points
}

void VESSEL::SetTouchdownPoints(const VECTOR3 &pt1, const VECTOR3 &pt2, const VECTOR3 &pt3) const {
  VESSEL_ENTRY("SetTouchdownPoints");
  double k = v->def.emptyMass == 1000.0 ? 1e6 : v->def.emptyMass * 20.0;  // the simulator's rule
  TOUCHDOWNVTX p[3];
  const VECTOR3 *pts[3] = {&pt1, &pt2, &pt3};
  const sim::GroundDef &g = v->def.ground;  // friction: 0.5 lateral, 0.1 longitudinal unless set
  for (int i = 0; i < 3; i++) p[i] = {*pts[i], k, 0.1 * k, g.muLat, g.muLng};
  SetTouchdownPoints(p, 3);
}

// --- animations -------------------------------------------------------------------------------

UINT VESSEL::CreateAnimation(double initial_state) const {
  VESSEL_ENTRY("CreateAnimation", (UINT)-1);
  if (!v->finite("CreateAnimation", initial_state)) initial_state = 0;
  v->def.animations.push_back({initial_state, {}});
  v->systems().animStates.push_back(initial_state);
  return static_cast<UINT>(v->def.animations.size() - 1);
}

ANIMATIONCOMPONENT_HANDLE VESSEL::AddAnimationComponent(UINT anim, double state0, double state1,
                                                        MGROUP_TRANSFORM *trans,
                                                        ANIMATIONCOMPONENT_HANDLE parent) const {
  VESSEL_ENTRY("AddAnimationComponent", nullptr);
  if (anim >= v->def.animations.size() || !trans) {
    v->refuse("AddAnimationComponent", "animation out of range or null transform");
    return nullptr;
  }
  if (!v->finite("AddAnimationComponent", _V(state0, state1, 0))) return nullptr;
  sim::AnimComponentRecord *parentRec = nullptr;
  if (parent) {
    for (auto &r : v->def.animComponents)
      if (&r->comp == parent) parentRec = r.get();
    if (!parentRec) {
      v->refuse("AddAnimationComponent", "unknown parent component");
      return nullptr;
    }
  }
  auto rec = std::make_unique<sim::AnimComponentRecord>();
  rec->animation = anim;
  rec->comp.state0 = state0;
  rec->comp.state1 = state1;
  rec->comp.trans = trans;
  rec->comp.parent = parentRec ? &parentRec->comp : nullptr;
  if (parentRec) {
    parentRec->children.push_back(&rec->comp);
    parentRec->comp.children = parentRec->children.data();
    parentRec->comp.nchildren = static_cast<UINT>(parentRec->children.size());
  }
  v->def.animations[anim].components.push_back(rec.get());
  v->def.animComponents.push_back(std::move(rec));
  return &v->def.animComponents.back()->comp;
}

bool VESSEL::SetAnimation(UINT anim, double state) const {
  VESSEL_ENTRY("SetAnimation", false);
  if (anim >= v->st.animStates.size()) return false;
  if (!v->finite("SetAnimation", state)) return false;
  v->systems().animStates[anim] = state;
  return true;
}

double VESSEL::GetAnimation(UINT anim) const {
  VESSEL_ENTRY("GetAnimation", -1.0);
  return anim < v->st.animStates.size() ? v->st.animStates[anim] : -1.0;
}

// --- scenario state and keys ------------------------------------------------------------------

void VESSEL::ParseScenarioLineEx(char *line, void *status) const {
  VESSEL_ENTRY("ParseScenarioLineEx");
  if (!line || !status || *static_cast<DWORD *>(status) != 2) return;
  sim::parseStandardLine(*v, line, *static_cast<VESSELSTATUS2 *>(status));
}

void VESSEL::DefSetStateEx(const void *status) const {
  VESSEL_ENTRY("DefSetStateEx");
  if (!status || *static_cast<const DWORD *>(status) != 2)
    return v->refuse("DefSetStateEx", "not a VESSELSTATUS2");
  const VESSELSTATUS2 &vs = *static_cast<const VESSELSTATUS2 *>(status);
  v->applyStatus(vs, sim::spawnOf(&vs));
}

void VESSEL::GetStatusEx(void *status) const {
  VESSEL_ENTRY("GetStatusEx");
  if (!status || *static_cast<DWORD *>(status) != 2) return v->refuse("GetStatusEx", "not a VESSELSTATUS2");
  v->fillStatus(*static_cast<VESSELSTATUS2 *>(status));
}

int VESSEL::SendBufferedKey(DWORD key, bool down, char *kstate) {
  VESSEL_ENTRY("SendBufferedKey", 0);
  char zeros[256] = {};
  return v->world().deliverKey(*v, key, down, kstate ? kstate : zeros);
}
