// VESSEL: construction, identity, mass properties, legacy aerodynamics, propellant, meshes,
// camera and docking ports.
#include <algorithm>

#include "anim/mesh_library.h"
#include "vessel/api_entry.h"
#include "world/world.h"

VESSEL::VESSEL(OBJHANDLE hVessel, int fmodel)
    : vessel(sim::World::current() ? sim::World::current()->vesselOf(hVessel) : nullptr),
      flightmodel(static_cast<short>(fmodel)),
      version(0) {}

VESSEL2::VESSEL2(OBJHANDLE hVessel, int fmodel) : VESSEL(hVessel, fmodel) { version = 1; }
VESSEL3::VESSEL3(OBJHANDLE hVessel, int fmodel) : VESSEL2(hVessel, fmodel) { version = 2; }

int VESSEL::Version() const { return version; }

const OBJHANDLE VESSEL::GetHandle() const {
  VESSEL_ENTRY("GetHandle", nullptr);
  return v->handle();
}
char *VESSEL::GetName() const {
  VESSEL_ENTRY("GetName", nullptr);
  return v->nameBuffer();
}
char *VESSEL::GetClassName() const {
  VESSEL_ENTRY("GetClassName", nullptr);
  return v->classBuffer();
}
int VESSEL::GetFlightModel() const { return flightmodel; }

// --- mass properties --------------------------------------------------------------------------

double VESSEL::GetSize() const {
  VESSEL_ENTRY("GetSize", 0.0);
  return v->def.size;
}
void VESSEL::SetSize(double size) const {
  VESSEL_ENTRY("SetSize");
  if (!v->finite("SetSize", size)) return;
  if (size <= 0) return v->refuse("SetSize", "size not positive");
  v->def.size = size;
}
double VESSEL::GetEmptyMass() const {
  VESSEL_ENTRY("GetEmptyMass", 0.0);
  return v->def.emptyMass;
}
void VESSEL::SetEmptyMass(double m) const {
  VESSEL_ENTRY("SetEmptyMass");
  if (!v->finite("SetEmptyMass", m)) return;
  if (m <= 0) return v->refuse("SetEmptyMass", "mass not positive");
  v->def.emptyMass = m;
}
void VESSEL::GetPMI(VECTOR3 &pmi) const {
  VESSEL_ENTRY("GetPMI");
  pmi = v->def.pmi;
}
void VESSEL::SetPMI(const VECTOR3 &pmi) const {
  VESSEL_ENTRY("SetPMI");
  if (!v->finite("SetPMI", pmi)) return;
  if (pmi.x <= 0 || pmi.y <= 0 || pmi.z <= 0) return v->refuse("SetPMI", "moment of inertia not positive");
  v->def.pmi = pmi;
}
void VESSEL::GetCrossSections(VECTOR3 &cs) const {
  VESSEL_ENTRY("GetCrossSections");
  cs = v->def.crossSections;
}
void VESSEL::SetCrossSections(const VECTOR3 &cs) const {
  VESSEL_ENTRY("SetCrossSections");
  if (v->finite("SetCrossSections", cs)) v->def.crossSections = cs;
}
void VESSEL::SetRotDrag(const VECTOR3 &rd) const {
  VESSEL_ENTRY("SetRotDrag");
  if (v->finite("SetRotDrag", rd)) v->def.rotDrag = rd;
}
void VESSEL::SetCW(double cw_z_pos, double cw_z_neg, double cw_x, double cw_y) const {
  VESSEL_ENTRY("SetCW");
  if (!v->finite("SetCW", _V(cw_z_pos, cw_z_neg, cw_x)) || !v->finite("SetCW", cw_y)) return;
  sim::LegacyAeroDef &l = v->def.legacy;
  l.cwZPos = cw_z_pos, l.cwZNeg = cw_z_neg, l.cwX = cw_x, l.cwY = cw_y;
}
void VESSEL::SetLiftCoeffFunc(LiftCoeffFunc lcf) const {
  VESSEL_ENTRY("SetLiftCoeffFunc");
  v->def.legacy.lift = lcf;
}
void VESSEL::SetWingAspect(double aspect) const {
  VESSEL_ENTRY("SetWingAspect");
  if (v->finite("SetWingAspect", aspect)) v->def.legacy.wingAspect = aspect;
}
void VESSEL::SetWingEffectiveness(double eff) const {
  VESSEL_ENTRY("SetWingEffectiveness");
  if (v->finite("SetWingEffectiveness", eff)) v->def.legacy.wingEffectiveness = eff;
}
void VESSEL::SetPitchMomentScale(double scale) const {
  VESSEL_ENTRY("SetPitchMomentScale");
  if (v->finite("SetPitchMomentScale", scale)) v->def.legacy.pitchMomentScale = scale;
}
void VESSEL::SetBankMomentScale(double scale) const {
  VESSEL_ENTRY("SetBankMomentScale");  // the deprecated name sets the yaw moment scale
  if (v->finite("SetBankMomentScale", scale)) v->def.legacy.yawMomentScale = scale;
}
void VESSEL::SetTrimScale(double scale) const {
  VESSEL_ENTRY("SetTrimScale");
  if (v->finite("SetTrimScale", scale)) v->def.legacy.trimScale = scale;
}
double VESSEL::GetMass() const {
  VESSEL_ENTRY("GetMass", 0.0);
  return v->mass();
}

// --- propellant -------------------------------------------------------------------------------

PROPELLANT_HANDLE VESSEL::CreatePropellantResource(double maxmass, double mass, double efficiency) const {
  VESSEL_ENTRY("CreatePropellantResource", nullptr);
  if (!v->finite("CreatePropellantResource", _V(maxmass, mass, efficiency))) return nullptr;
  if (maxmass < 0) maxmass = 0;
  v->def.tanks.push_back({maxmass, efficiency});
  v->systems().tankMass.push_back(mass < 0 ? maxmass : mass);
  return v->tankHandle(static_cast<int>(v->def.tanks.size() - 1));
}
PROPELLANT_HANDLE VESSEL::GetPropellantHandleByIndex(DWORD idx) const {
  VESSEL_ENTRY("GetPropellantHandleByIndex", nullptr);
  return idx < v->def.tanks.size() ? v->tankHandle(static_cast<int>(idx)) : nullptr;
}
DWORD VESSEL::GetPropellantCount() const {
  VESSEL_ENTRY("GetPropellantCount", 0);
  return static_cast<DWORD>(v->def.tanks.size());
}
double VESSEL::GetPropellantMass(PROPELLANT_HANDLE ph) const {
  VESSEL_ENTRY("GetPropellantMass", 0.0);
  int i = v->tankIndex(ph, "GetPropellantMass");
  return i < 0 ? 0.0 : v->st.tankMass[i];
}
void VESSEL::SetPropellantMass(PROPELLANT_HANDLE ph, double mass) const {
  VESSEL_ENTRY("SetPropellantMass");
  int i = v->tankIndex(ph, "SetPropellantMass");
  if (i >= 0 && v->finite("SetPropellantMass", mass)) v->systems().tankMass[i] = mass;
}
double VESSEL::GetPropellantMaxMass(PROPELLANT_HANDLE ph) const {
  VESSEL_ENTRY("GetPropellantMaxMass", 0.0);
  int i = v->tankIndex(ph, "GetPropellantMaxMass");
  return i < 0 ? 0.0 : v->def.tanks[i].maxMass;
}

// --- meshes and camera ------------------------------------------------------------------------

UINT VESSEL::AddMesh(const char *meshname, const VECTOR3 *ofs) const {
  VESSEL_ENTRY("AddMesh", (UINT)-1);
  if (!meshname) {
    v->refuse("AddMesh", "null mesh name");
    return (UINT)-1;
  }
  sim::MeshRef m;
  m.name = meshname;
  if (ofs && v->finite("AddMesh", *ofs)) m.offset = *ofs;
  v->def.meshes.push_back(m);
  v->world().meshes().request(m.name);  // loaded (or reported missing) once per name
  return static_cast<UINT>(v->def.meshes.size() - 1);
}
void VESSEL::SetMeshVisibilityMode(UINT idx, WORD mode) const {
  VESSEL_ENTRY("SetMeshVisibilityMode");
  if (idx >= v->def.meshes.size()) return v->refuse("SetMeshVisibilityMode", "mesh index out of range");
  v->def.meshes[idx].visibility = mode;
}
void VESSEL::SetCameraOffset(const VECTOR3 &co) const {
  VESSEL_ENTRY("SetCameraOffset");
  if (v->finite("SetCameraOffset", co)) v->def.camera.offset = co;
}
void VESSEL::SetCameraDefaultDirection(const VECTOR3 &cd) const { SetCameraDefaultDirection(cd, 0.0); }
void VESSEL::SetCameraDefaultDirection(const VECTOR3 &cd, double tilt) const {
  VESSEL_ENTRY("SetCameraDefaultDirection");
  if (!v->finite("SetCameraDefaultDirection", cd) || !v->finite("SetCameraDefaultDirection", tilt)) return;
  if (length(cd) == 0) return v->refuse("SetCameraDefaultDirection", "zero direction");
  v->def.camera.defaultDir = unit(cd);
  v->def.camera.tilt = tilt;
}
void VESSEL::SetCameraRotationRange(double left, double right, double up, double down) const {
  VESSEL_ENTRY("SetCameraRotationRange");
  sim::CameraDef &c = v->def.camera;
  c.rotLeft = left, c.rotRight = right, c.rotUp = up, c.rotDown = down;
}

// --- docking ----------------------------------------------------------------------------------

void VESSEL::SetDockParams(const VECTOR3 &pos, const VECTOR3 &dir, const VECTOR3 &rot) const {
  VESSEL_ENTRY("SetDockParams");
  if (!v->finite("SetDockParams", pos) || !v->finite("SetDockParams", dir) || !v->finite("SetDockParams", rot))
    return;
  if (v->def.docks.empty()) v->def.docks.emplace_back();
  v->def.docks[0] = {pos, dir, rot};
}
