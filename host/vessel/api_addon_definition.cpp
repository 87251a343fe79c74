// VESSEL: definition calls of plain vessel add-ons beyond the ones our modules make: the older
// control-surface and airfoil forms, airfoil editing, docking ports, tanks and thrusters changed
// after creation, wheels and friction, the centre of gravity, and meshes.
//
// Older forms keep the simulator's behaviour: CreateControlSurface and CreateControlSurface2 are
// CreateControlSurface3 with the default response delay of 1 s (the first returns no handle);
// CreateAirfoil2 is CreateAirfoil returning a handle. Deleted airfoils, surfaces and ports keep
// their records (marked), so their handles are recognised as stale. A mesh slot that DelMesh
// empties keeps its index, as the simulator keeps the indices of the other meshes.
// ShiftCG(s): every definition point moves by -s (vessel frame) and the vessel by R s in space,
// so nothing moves in space; ShiftCentreOfMass(s) moves the vessel alone.
// Units: m, N, kg; vessel frame.
#include <algorithm>

#include "anim/mesh_library.h"
#include "physics/attachments.h"
#include "vessel/api_entry.h"
#include "vessel/api_shared.h"
#include "vessel/placement.h"
#include "world/handles.h"
#include "world/world.h"

namespace {

constexpr double kDefaultControlDelay = 1.0;  // [s] of the older control-surface forms

}  // namespace

// --- control surfaces and airfoils ------------------------------------------------------------

void VESSEL::CreateControlSurface(AIRCTRL_TYPE type, double area, double dCl, const VECTOR3 &ref, int axis,
                                  UINT anim) const {
  VESSEL_ENTRY("CreateControlSurface");
  sim::api::addControlSurface(*v, "CreateControlSurface", type, area, dCl, ref, axis, kDefaultControlDelay, anim);
}

CTRLSURFHANDLE VESSEL::CreateControlSurface2(AIRCTRL_TYPE type, double area, double dCl, const VECTOR3 &ref,
                                             int axis, UINT anim) const {
  VESSEL_ENTRY("CreateControlSurface2", nullptr);
  return sim::api::addControlSurface(*v, "CreateControlSurface2", type, area, dCl, ref, axis, kDefaultControlDelay,
                                     anim);
}

bool VESSEL::DelControlSurface(CTRLSURFHANDLE ctrlsurf) const {
  VESSEL_ENTRY("DelControlSurface", false);
  int i = v->controlSurfaceIndex(ctrlsurf, "DelControlSurface");
  if (i < 0) return false;
  v->def.controlSurfaces[i].deleted = true;
  return true;
}

AIRFOILHANDLE VESSEL::CreateAirfoil2(AIRFOIL_ORIENTATION align, const VECTOR3 &ref, AirfoilCoeffFunc cf, double c,
                                     double S, double A) const {
  VESSEL_ENTRY("CreateAirfoil2", nullptr);
  int i = sim::api::addAirfoil(*v, "CreateAirfoil2", align, ref, cf, c, S, A);
  return i < 0 ? nullptr : v->airfoilHandle(i);
}

bool VESSEL::GetAirfoilParam(AIRFOILHANDLE hAirfoil, VECTOR3 *ref, AirfoilCoeffFunc *cf, void **context, double *c,
                             double *S, double *A) const {
  VESSEL_ENTRY("GetAirfoilParam", false);
  int i = v->airfoilIndex(hAirfoil, "GetAirfoilParam");
  if (i < 0) return false;
  const sim::AirfoilDef &a = v->def.airfoils[i];
  if (ref) *ref = a.ref;
  if (cf) *cf = a.cf;
  if (context) *context = a.context;
  if (c) *c = a.chord;
  if (S) *S = a.area;
  if (A) *A = a.aspect;
  return true;
}

void VESSEL::EditAirfoil(AIRFOILHANDLE hAirfoil, DWORD flag, const VECTOR3 &ref, AirfoilCoeffFunc cf, double c,
                         double S, double A) const {
  VESSEL_ENTRY("EditAirfoil");
  int i = v->airfoilIndex(hAirfoil, "EditAirfoil");
  if (i < 0) return;
  sim::AirfoilDef &a = v->def.airfoils[i];
  if ((flag & 0x01) && v->finite("EditAirfoil", ref)) a.ref = ref;
  if (flag & 0x02) {
    if (!cf) return v->refuse("EditAirfoil", "null coefficient function");
    a.cf = cf, a.cfx = nullptr, a.context = nullptr;
  }
  if ((flag & 0x04) && v->finite("EditAirfoil", c)) a.chord = c;
  if ((flag & 0x08) && v->finite("EditAirfoil", S)) a.area = S;
  if ((flag & 0x10) && v->finite("EditAirfoil", A)) a.aspect = A;
}

bool VESSEL::DelAirfoil(AIRFOILHANDLE hAirfoil) const {
  VESSEL_ENTRY("DelAirfoil", false);
  int i = v->airfoilIndex(hAirfoil, "DelAirfoil");
  if (i < 0) return false;
  v->def.airfoils[i].deleted = true;
  return true;
}

void VESSEL::ClearAirfoilDefinitions() const {
  VESSEL_ENTRY("ClearAirfoilDefinitions");
  for (sim::AirfoilDef &a : v->def.airfoils) a.deleted = true;
}

DWORD VESSEL::GetADCtrlMode() const {
  VESSEL_ENTRY("GetADCtrlMode", 0);
  return static_cast<DWORD>(v->st.afcMode);
}

void VESSEL::SetADCtrlMode(DWORD mode) const {
  VESSEL_ENTRY("SetADCtrlMode");
  mode &= 0x07;  // elevator, rudder, ailerons
  if (static_cast<DWORD>(v->st.afcMode) == mode) return;
  v->systems().afcMode = static_cast<int>(mode);
  if (VESSEL2 *cb = v->callbacks()) cb->clbkADCtrlMode(mode);
}

// --- docking ports (definitions; nothing docks in this host) ------------------------------------

namespace {
int livePort(const Vessel &v, UINT n) {  // record index of the n-th port that exists
  for (size_t i = 0; i < v.def.docks.size(); i++)
    if (!v.def.docks[i].deleted && n-- == 0) return static_cast<int>(i);
  return -1;
}
}  // namespace

DOCKHANDLE VESSEL::CreateDock(const VECTOR3 &pos, const VECTOR3 &dir, const VECTOR3 &rot) const {
  VESSEL_ENTRY("CreateDock", nullptr);
  if (!v->finite("CreateDock", pos) || !v->finite("CreateDock", dir) || !v->finite("CreateDock", rot)) return nullptr;
  v->def.docks.push_back({pos, dir, rot});
  return v->dockHandle(static_cast<int>(v->def.docks.size() - 1));
}

bool VESSEL::DelDock(DOCKHANDLE hDock) const {
  VESSEL_ENTRY("DelDock", false);
  int i = v->dockIndex(hDock, "DelDock");
  if (i < 0) return false;
  v->def.docks[i].deleted = true;
  return true;
}

void VESSEL::ClearDockDefinitions() const {
  VESSEL_ENTRY("ClearDockDefinitions");
  for (sim::DockDef &d : v->def.docks) d.deleted = true;
}

void VESSEL::SetDockParams(DOCKHANDLE hDock, const VECTOR3 &pos, const VECTOR3 &dir, const VECTOR3 &rot) const {
  VESSEL_ENTRY("SetDockParams");
  int i = v->dockIndex(hDock, "SetDockParams");
  if (i < 0 || !v->finite("SetDockParams", pos) || !v->finite("SetDockParams", dir) ||
      !v->finite("SetDockParams", rot))
    return;
  v->def.docks[i] = {pos, dir, rot};
}

void VESSEL::GetDockParams(DOCKHANDLE hDock, VECTOR3 &pos, VECTOR3 &dir, VECTOR3 &rot) const {
  VESSEL_ENTRY("GetDockParams");
  int i = v->dockIndex(hDock, "GetDockParams");
  if (i < 0) return;
  const sim::DockDef &d = v->def.docks[i];
  pos = d.pos, dir = d.dir, rot = d.rot;
}

UINT VESSEL::DockCount() const {
  VESSEL_ENTRY("DockCount", 0);
  return static_cast<UINT>(std::count_if(v->def.docks.begin(), v->def.docks.end(),
                                         [](const sim::DockDef &d) { return !d.deleted; }));
}

DOCKHANDLE VESSEL::GetDockHandle(UINT n) const {
  VESSEL_ENTRY("GetDockHandle", nullptr);
  int i = livePort(*v, n);
  return i < 0 ? nullptr : v->dockHandle(i);
}

OBJHANDLE VESSEL::GetDockStatus(DOCKHANDLE hDock) const {
  VESSEL_ENTRY("GetDockStatus", nullptr);
  v->dockIndex(hDock, "GetDockStatus");
  return nullptr;
}

UINT VESSEL::DockingStatus(UINT port) const {
  VESSEL_ENTRY("DockingStatus", 0);
  (void)port;
  return 0;
}

bool VESSEL::Undock(UINT n, const OBJHANDLE exclude) const {
  VESSEL_ENTRY("Undock", false);
  (void)n, (void)exclude;
  return false;
}

// --- tanks ------------------------------------------------------------------------------------

namespace {
int defaultTank(const Vessel &v) {
  if (v.def.defaultTank >= 0) return v.def.defaultTank;
  return v.def.tanks.empty() ? -1 : 0;
}

double tankFlowrate(const Vessel &v, int tank) {  // [kg/s] at the last force build's levels
  double rate = 0;
  for (size_t i = 0; i < v.def.thrusters.size(); i++) {
    const sim::ThrusterDef &t = v.def.thrusters[i];
    if (t.deleted || t.tank != tank) continue;
    rate += t.maxth0 * v.st.thrusters[i].effective / (v.def.tanks[tank].efficiency * t.isp0);
  }
  return std::isfinite(rate) ? rate : 0.0;
}
}  // namespace

void VESSEL::SetPropellantMaxMass(PROPELLANT_HANDLE ph, double maxmass) const {
  VESSEL_ENTRY("SetPropellantMaxMass");
  int i = v->tankIndex(ph, "SetPropellantMaxMass");
  if (i >= 0 && v->finite("SetPropellantMaxMass", maxmass)) v->def.tanks[i].maxMass = std::max(0.0, maxmass);
}
double VESSEL::GetPropellantEfficiency(PROPELLANT_HANDLE ph) const {
  VESSEL_ENTRY("GetPropellantEfficiency", 0.0);
  int i = v->tankIndex(ph, "GetPropellantEfficiency");
  return i < 0 ? 0.0 : v->def.tanks[i].efficiency;
}
void VESSEL::SetPropellantEfficiency(PROPELLANT_HANDLE ph, double efficiency) const {
  VESSEL_ENTRY("SetPropellantEfficiency");
  int i = v->tankIndex(ph, "SetPropellantEfficiency");
  if (i < 0 || !v->finite("SetPropellantEfficiency", efficiency)) return;
  if (efficiency <= 0) return v->refuse("SetPropellantEfficiency", "efficiency not positive");
  v->def.tanks[i].efficiency = efficiency;
}
double VESSEL::GetPropellantFlowrate(PROPELLANT_HANDLE ph) const {
  VESSEL_ENTRY("GetPropellantFlowrate", 0.0);
  int i = v->tankIndex(ph, "GetPropellantFlowrate");
  return i < 0 ? 0.0 : tankFlowrate(*v, i);
}
double VESSEL::GetTotalPropellantMass() const {
  VESSEL_ENTRY("GetTotalPropellantMass", 0.0);
  return v->propellantMass();
}
double VESSEL::GetTotalPropellantFlowrate() const {
  VESSEL_ENTRY("GetTotalPropellantFlowrate", 0.0);
  double rate = 0;
  for (size_t i = 0; i < v->def.tanks.size(); i++) rate += tankFlowrate(*v, static_cast<int>(i));
  return rate;
}
void VESSEL::SetDefaultPropellantResource(PROPELLANT_HANDLE ph) const {
  VESSEL_ENTRY("SetDefaultPropellantResource");
  int i = v->tankIndex(ph, "SetDefaultPropellantResource");
  if (i >= 0) v->def.defaultTank = i;
}
double VESSEL::GetFuelMass() const {
  VESSEL_ENTRY("GetFuelMass", 0.0);
  int i = defaultTank(*v);
  return i < 0 ? 0.0 : v->st.tankMass[i];
}
void VESSEL::SetFuelMass(double m) const {
  VESSEL_ENTRY("SetFuelMass");
  int i = defaultTank(*v);
  if (i >= 0 && v->finite("SetFuelMass", m)) v->systems().tankMass[i] = m;
}
double VESSEL::GetMaxFuelMass() const {
  VESSEL_ENTRY("GetMaxFuelMass", 0.0);
  int i = defaultTank(*v);
  return i < 0 ? 0.0 : v->def.tanks[i].maxMass;
}
void VESSEL::SetMaxFuelMass(double m) const {
  VESSEL_ENTRY("SetMaxFuelMass");
  if (!v->finite("SetMaxFuelMass", m)) return;
  int i = defaultTank(*v);
  if (i < 0) {  // the older interface made the tank on demand
    CreatePropellantResource(m);
    return;
  }
  v->def.tanks[i].maxMass = std::max(0.0, m);
}
double VESSEL::GetFuelRate() const {
  VESSEL_ENTRY("GetFuelRate", 0.0);
  int i = defaultTank(*v);
  return i < 0 ? 0.0 : tankFlowrate(*v, i);
}

// --- thrusters changed after creation -----------------------------------------------------------

void VESSEL::SetThrusterIsp(THRUSTER_HANDLE th, double isp) const { SetThrusterIsp(th, isp, 0.0); }

void VESSEL::SetThrusterIsp(THRUSTER_HANDLE th, double isp0, double isp_ref, double p_ref) const {
  VESSEL_ENTRY("SetThrusterIsp");
  int i = v->thrusterIndex(th, "SetThrusterIsp");
  if (i < 0 || !v->finite("SetThrusterIsp", _V(isp0, isp_ref, p_ref))) return;
  sim::ThrusterDef &t = v->def.thrusters[i];
  t.isp0 = isp0 > 0 ? isp0 : 5e4;  // the default Isp, as CreateThruster takes it
  t.eta = (isp_ref > 0 && p_ref > 0) ? (t.isp0 - isp_ref) / (p_ref * t.isp0) : 0.0;
}
void VESSEL::SetThrusterRef(THRUSTER_HANDLE th, const VECTOR3 &pos) const {
  VESSEL_ENTRY("SetThrusterRef");
  int i = v->thrusterIndex(th, "SetThrusterRef");
  if (i >= 0 && v->finite("SetThrusterRef", pos)) v->def.thrusters[i].pos = pos;
}
void VESSEL::GetThrusterRef(THRUSTER_HANDLE th, VECTOR3 &pos) const {
  VESSEL_ENTRY("GetThrusterRef");
  int i = v->thrusterIndex(th, "GetThrusterRef");
  if (i >= 0) pos = v->def.thrusters[i].pos;
}
void VESSEL::SetThrusterDir(THRUSTER_HANDLE th, const VECTOR3 &dir) const {
  VESSEL_ENTRY("SetThrusterDir");
  int i = v->thrusterIndex(th, "SetThrusterDir");
  if (i < 0 || !v->finite("SetThrusterDir", dir)) return;
  if (length(dir) == 0) return v->refuse("SetThrusterDir", "zero thrust direction");
  v->def.thrusters[i].dir = unit(dir);
}
void VESSEL::GetThrusterDir(THRUSTER_HANDLE th, VECTOR3 &dir) const {
  VESSEL_ENTRY("GetThrusterDir");
  int i = v->thrusterIndex(th, "GetThrusterDir");
  if (i >= 0) dir = v->def.thrusters[i].dir;
}
void VESSEL::SetThrusterResource(THRUSTER_HANDLE th, PROPELLANT_HANDLE ph) const {
  VESSEL_ENTRY("SetThrusterResource");
  int i = v->thrusterIndex(th, "SetThrusterResource");
  if (i < 0) return;
  int tank = ph ? v->tankIndex(ph, "SetThrusterResource") : -1;
  if (ph && tank < 0) return;
  v->def.thrusters[i].tank = tank;
}
PROPELLANT_HANDLE VESSEL::GetThrusterResource(THRUSTER_HANDLE th) const {
  VESSEL_ENTRY("GetThrusterResource", nullptr);
  int i = v->thrusterIndex(th, "GetThrusterResource");
  if (i < 0 || v->def.thrusters[i].tank < 0) return nullptr;
  return v->tankHandle(v->def.thrusters[i].tank);
}
void VESSEL::IncThrusterLevel(THRUSTER_HANDLE th, double dlevel) const {
  VESSEL_ENTRY("IncThrusterLevel");
  int i = v->thrusterIndex(th, "IncThrusterLevel");
  if (i >= 0 && v->finite("IncThrusterLevel", dlevel))
    v->setThrusterLevel(i, std::clamp(v->st.thrusters[i].permanent + dlevel, 0.0, 1.0));
}
void VESSEL::SetThrusterLevel_SingleStep(THRUSTER_HANDLE th, double level) const {
  VESSEL_ENTRY("SetThrusterLevel_SingleStep");
  int i = v->thrusterIndex(th, "SetThrusterLevel_SingleStep");
  if (i >= 0 && v->finite("SetThrusterLevel_SingleStep", level))
    v->systems().thrusters[i].override_ = level - v->st.thrusters[i].permanent;
}
void VESSEL::IncThrusterLevel_SingleStep(THRUSTER_HANDLE th, double dlevel) const {
  VESSEL_ENTRY("IncThrusterLevel_SingleStep");
  int i = v->thrusterIndex(th, "IncThrusterLevel_SingleStep");
  if (i >= 0 && v->finite("IncThrusterLevel_SingleStep", dlevel)) v->systems().thrusters[i].override_ += dlevel;
}
void VESSEL::GetThrusterMoment(THRUSTER_HANDLE th, VECTOR3 &F, VECTOR3 &T) const {
  VESSEL_ENTRY("GetThrusterMoment");
  int i = v->thrusterIndex(th, "GetThrusterMoment");
  if (i < 0) return;
  const sim::ThrusterDef &t = v->def.thrusters[i];
  F = t.dir * v->thrusterMax(i, v->sp.inAtmosphere ? v->sp.atm.pressure : 0.0);
  T = crossp(F, t.pos);
}
bool VESSEL::DelThruster(THRUSTER_HANDLE &th) const {
  VESSEL_ENTRY("DelThruster", false);
  int i = v->thrusterIndex(th, "DelThruster");
  if (i < 0) return false;
  v->def.thrusters[i].deleted = true;
  v->systems().thrusters[i] = {};
  for (sim::GroupDef &g : v->def.groups) std::erase(g.members, i);
  th = nullptr;
  return true;
}

// --- wheels and touchdown points ----------------------------------------------------------------

void VESSEL::SetSurfaceFrictionCoeff(double mu_lng, double mu_lat) const {
  VESSEL_ENTRY("SetSurfaceFrictionCoeff");
  if (!v->finite("SetSurfaceFrictionCoeff", _V(mu_lng, mu_lat, 0))) return;
  if (mu_lng < 0 || mu_lat < 0) return v->refuse("SetSurfaceFrictionCoeff", "negative friction coefficient");
  v->def.ground.muLng = mu_lng, v->def.ground.muLat = mu_lat;
  std::vector<TOUCHDOWNVTX> &pts = v->def.touchdown.points;
  for (size_t i = 0; i < pts.size() && i < 3; i++) pts[i].mu_lng = mu_lng, pts[i].mu = mu_lat;
}
void VESSEL::SetMaxWheelbrakeForce(double f) const {
  VESSEL_ENTRY("SetMaxWheelbrakeForce");
  if (v->finite("SetMaxWheelbrakeForce", f)) v->def.ground.maxWheelbrakeForce = std::max(0.0, f);
}
void VESSEL::SetWheelbrakeLevel(double level, int which, bool permanent) const {
  VESSEL_ENTRY("SetWheelbrakeLevel");
  if (!v->finite("SetWheelbrakeLevel", level)) return;
  if (which < 0 || which > 2) return v->refuse("SetWheelbrakeLevel", "which must be 0, 1 or 2");
  level = std::clamp(level, 0.0, 1.0);
  std::array<double, 2> &target = permanent ? v->systems().wheelbrake : v->systems().wheelbrakeTransient;
  if (which != 2) target[0] = level;
  if (which != 1) target[1] = level;
}
double VESSEL::GetWheelbrakeLevel(int which) const {
  VESSEL_ENTRY("GetWheelbrakeLevel", 0.0);
  auto side = [&](int s) { return std::clamp(v->st.wheelbrake[s] + v->st.wheelbrakeTransient[s], 0.0, 1.0); };
  if (which == 1) return side(0);
  if (which == 2) return side(1);
  return 0.5 * (side(0) + side(1));
}
void VESSEL::SetNosewheelSteering(bool activate) const {
  VESSEL_ENTRY("SetNosewheelSteering");
  v->def.ground.nosewheelSteering = activate;
}
bool VESSEL::GetNosewheelSteering() const {
  VESSEL_ENTRY("GetNosewheelSteering", false);
  return v->def.ground.nosewheelSteering;
}
DWORD VESSEL::GetTouchdownPointCount() const {
  VESSEL_ENTRY("GetTouchdownPointCount", 0);
  return static_cast<DWORD>(v->def.touchdown.points.size());
}
bool VESSEL::GetTouchdownPoint(TOUCHDOWNVTX &tdvtx, DWORD idx) const {
  VESSEL_ENTRY("GetTouchdownPoint", false);
  if (idx >= v->def.touchdown.points.size()) return false;
  tdvtx = v->def.touchdown.points[idx];
  return true;
}
void VESSEL::GetTouchdownPoints(VECTOR3 &pt1, VECTOR3 &pt2, VECTOR3 &pt3) const {
  VESSEL_ENTRY("GetTouchdownPoints");
  const std::vector<TOUCHDOWNVTX> &p = v->def.touchdown.points;
  if (p.size() < 3) return;
  pt1 = p[0].pos, pt2 = p[1].pos, pt3 = p[2].pos;
}
double VESSEL::GetCOG_elev() const {
  VESSEL_ENTRY("GetCOG_elev", 0.0);
  const std::vector<TOUCHDOWNVTX> &p = v->def.touchdown.points;
  return p.size() < 3 ? 0.0 : -dotp(p[0].pos, v->def.touchdown.up_V);
}
void VESSEL::SetCOG_elev(double h) const {
  VESSEL_ENTRY("SetCOG_elev");
  (void)h;  // the height follows from the touchdown points
  v->world().diagnostics().obsolete(v->name(), "SetCOG_elev");
}

// --- centre of gravity ----------------------------------------------------------------------------

void VESSEL::ShiftCentreOfMass(const VECTOR3 &shift) {
  VESSEL_ENTRY("ShiftCentreOfMass");
  if (!v->finite("ShiftCentreOfMass", shift)) return;
  VECTOR3 shift_G = mul(v->st.R, shift);
  Vessel::StateEdit e = v->edit();
  if (sim::ParentLink &l = e->parentLink; l.parent) {
    l.pos_P += mul(l.R_PC, shift);  // the child's origin, in its parent's frame
    sim::moveAttachedChildren(*l.parent);
  } else if (v->landed()) {
    e->landed.pos_P += tmul(v->st.landed.body->now().R_GP, shift_G);
    sim::updateLandedKinematics(*v);
  } else {
    e->rpos += shift_G;
  }
}

void VESSEL::ShiftCG(const VECTOR3 &shift) {
  VESSEL_ENTRY("ShiftCG");
  if (!v->finite("ShiftCG", shift)) return;
  sim::VesselDefinition &d = v->def;
  for (sim::ThrusterDef &t : d.thrusters) t.pos -= shift;
  for (TOUCHDOWNVTX &p : d.touchdown.points) p.pos -= shift;
  for (sim::AttachmentDef &a : d.attachments) a.pos -= shift;
  for (sim::DockDef &k : d.docks) k.pos -= shift;
  for (sim::AirfoilDef &a : d.airfoils) a.ref -= shift;
  for (sim::ControlSurfaceDef &c : d.controlSurfaces) c.ref -= shift;
  for (sim::DragElementDef &e : d.dragElements) e.ref -= shift;
  for (sim::MeshRef &m : d.meshes) m.offset -= shift;
  for (sim::ExhaustDef &e : d.exhausts) e.pos -= shift;
  for (sim::StreamDef &s : d.streams) s.pos -= shift;
  d.camera.offset -= shift;
  for (Vessel *child : v->st.attachedChildren)  // children keep their place in space
    if (child) child->systems().parentLink.pos_P -= shift;
  for (sim::GroupDef &g : d.groups) {  // the recorded moments follow the thrusters' new levers
    if (g.maxMoment == 0) continue;
    VECTOR3 moment = _V(0, 0, 0);
    for (int i : g.members) moment += crossp(d.thrusters[i].dir * d.thrusters[i].maxth0, d.thrusters[i].pos);
    g.maxMoment = length(moment);
  }
  ShiftCentreOfMass(shift);
}

// --- meshes (names and offsets; the headless host draws none) -----------------------------------

UINT VESSEL::AddMesh(MESHHANDLE hMesh, const VECTOR3 *ofs) const {
  VESSEL_ENTRY("AddMesh", (UINT)-1);
  sim::DecodedHandle h;
  const std::string *name = nullptr;
  if (sim::decodeHandle(hMesh, sim::HandleKind::Mesh, h)) name = v->world().meshes().nameOf(h.index);
  if (!name) {
    v->refuse("AddMesh", "unknown mesh handle");
    return (UINT)-1;
  }
  return AddMesh(name->c_str(), ofs);
}

UINT VESSEL::InsertMesh(const char *meshname, UINT idx, const VECTOR3 *ofs) const {
  VESSEL_ENTRY("InsertMesh", (UINT)-1);
  if (!meshname) {
    v->refuse("InsertMesh", "null mesh name");
    return (UINT)-1;
  }
  if (idx >= v->def.meshes.size()) return AddMesh(meshname, ofs);
  sim::MeshRef m;
  m.name = meshname;
  if (ofs && v->finite("InsertMesh", *ofs)) m.offset = *ofs;
  v->def.meshes[idx] = m;
  v->world().meshes().request(m.name);
  return idx;
}

bool VESSEL::DelMesh(UINT idx, bool retain_anim) const {
  VESSEL_ENTRY("DelMesh", false);
  (void)retain_anim;
  if (idx >= v->def.meshes.size() || v->def.meshes[idx].name.empty()) return false;
  v->def.meshes[idx] = sim::MeshRef{};  // an empty slot: the other indices stay
  return true;
}

void VESSEL::ClearMeshes() const { ClearMeshes(false); }

void VESSEL::ClearMeshes(bool retain_anim) const {
  VESSEL_ENTRY("ClearMeshes");
  (void)retain_anim;
  v->def.meshes.clear();
}

UINT VESSEL::GetMeshCount() const {
  VESSEL_ENTRY("GetMeshCount", 0);
  return static_cast<UINT>(v->def.meshes.size());
}

bool VESSEL::ShiftMesh(UINT idx, const VECTOR3 &ofs) const {
  VESSEL_ENTRY("ShiftMesh", false);
  if (idx >= v->def.meshes.size() || !v->finite("ShiftMesh", ofs)) return false;
  v->def.meshes[idx].offset += ofs;
  return true;
}

void VESSEL::ShiftMeshes(const VECTOR3 &ofs) const {
  VESSEL_ENTRY("ShiftMeshes");
  if (!v->finite("ShiftMeshes", ofs)) return;
  for (sim::MeshRef &m : v->def.meshes) m.offset += ofs;
}

WORD VESSEL::GetMeshVisibilityMode(UINT idx) const {
  VESSEL_ENTRY("GetMeshVisibilityMode", 0);
  return idx < v->def.meshes.size() ? v->def.meshes[idx].visibility : 0;
}

void VESSEL::SetMeshVisibleInternal(UINT idx, bool visible) const {
  VESSEL_ENTRY("SetMeshVisibleInternal");
  if (idx >= v->def.meshes.size()) return v->refuse("SetMeshVisibleInternal", "mesh index out of range");
  v->def.meshes[idx].visibility = visible ? MESHVIS_ALWAYS : MESHVIS_EXTERNAL;
}

// --- what only a renderer uses, recorded ------------------------------------------------------------

void VESSEL::SetReentryTexture(SURFHANDLE tex, double plimit, double lscale, double wscale) const {
  VESSEL_ENTRY("SetReentryTexture");
  if (!v->finite("SetReentryTexture", _V(plimit, lscale, wscale))) return;
  sim::VisualDef &d = v->def.visual;
  d.reentryTexture = tex, d.reentryLimit = plimit, d.reentryLscale = lscale, d.reentryWscale = wscale;
}
void VESSEL::SetAlbedoRGB(const VECTOR3 &albedo) const {
  VESSEL_ENTRY("SetAlbedoRGB");
  if (v->finite("SetAlbedoRGB", albedo)) v->def.visual.albedo = albedo;
}
void VESSEL::SetVisibilityLimit(double vislimit, double spotlimit) const {
  VESSEL_ENTRY("SetVisibilityLimit");
  if (v->finite("SetVisibilityLimit", _V(vislimit, spotlimit, 0)))
    v->def.visual.visibilityLimit = vislimit, v->def.visual.spotLimit = spotlimit;
}
void VESSEL::SetClipRadius(double rad) const {
  VESSEL_ENTRY("SetClipRadius");
  if (v->finite("SetClipRadius", rad)) v->def.visual.clipRadius = rad;
}
void VESSEL::SetEnableFocus(bool enable) const {
  VESSEL_ENTRY("SetEnableFocus");
  v->def.visual.enableFocus = enable;
}
bool VESSEL::GetEnableFocus() const {
  VESSEL_ENTRY("GetEnableFocus", false);
  return v->def.visual.enableFocus;
}
void VESSEL::GetCameraOffset(VECTOR3 &co) const {
  VESSEL_ENTRY("GetCameraOffset");
  co = v->def.camera.offset;
}
void VESSEL::GetCameraDefaultDirection(VECTOR3 &cd) const {
  VESSEL_ENTRY("GetCameraDefaultDirection");
  cd = v->def.camera.defaultDir;
}
