// World functions (oapi...) plain vessel add-ons use beyond the ones our modules call: vessel
// lists, relative states, attitude matrices, vessels created at run time, time, and the mesh
// store. Handles are checked; an unknown one is refused and answered with zeros.
// Relative state of object A to object B: A - B in global axes (m, m/s), through the vessel's
// frame-body-relative state where A is a vessel. Time acceleration is always 1 (the host steps at
// its fixed step length), so setting it, like pausing, only a user at a screen could ask for.
#include "anim/mesh_library.h"
#include "vessel/api_shared.h"
#include "vessel/vessel.h"
#include "world/errors.h"
#include "world/handles.h"
#include "world/world.h"

using sim::objectOrRefuse;
using sim::World;

namespace {

World *world() { return World::current(); }

const sim::Mesh *meshOf(MESHHANDLE h) {
  World *w = world();
  sim::DecodedHandle d;
  if (!w || !sim::decodeHandle(h, sim::HandleKind::Mesh, d)) return nullptr;
  const std::string *name = w->meshes().nameOf(d.index);
  return name ? w->meshes().find(*name) : nullptr;
}

}  // namespace

DWORD oapiGetVesselCount() { return world() ? static_cast<DWORD>(world()->vessels().size()) : 0; }

OBJHANDLE oapiGetVesselByIndex(int index) {
  World *w = world();
  if (!w || index < 0 || static_cast<size_t>(index) >= w->vessels().size()) return nullptr;
  return w->vessels()[static_cast<size_t>(index)]->handle();
}

VESSEL *oapiGetFocusInterface() {
  World *w = world();
  return w && w->focus() ? w->focus()->intf : nullptr;
}

void oapiGetRelativePos(OBJHANDLE hObj, OBJHANDLE hRef, VECTOR3 *pos) {
  sim::WorldObject *a = objectOrRefuse(hObj, "oapiGetRelativePos"), *b = objectOrRefuse(hRef, "oapiGetRelativePos");
  if (!a || !b || !pos) return;
  World &w = *world();
  *pos = a->objectType() == OBJTP_VESSEL ? w.relativePos(static_cast<Vessel &>(*a), *b)
                                         : w.globalPos(*a) - w.globalPos(*b);
}

void oapiGetRelativeVel(OBJHANDLE hObj, OBJHANDLE hRef, VECTOR3 *vel) {
  sim::WorldObject *a = objectOrRefuse(hObj, "oapiGetRelativeVel"), *b = objectOrRefuse(hRef, "oapiGetRelativeVel");
  if (!a || !b || !vel) return;
  World &w = *world();
  *vel = a->objectType() == OBJTP_VESSEL ? w.relativeVel(static_cast<Vessel &>(*a), *b)
                                         : w.globalVel(*a) - w.globalVel(*b);
}

void oapiGetRotationMatrix(OBJHANDLE hObj, MATRIX3 *mat) {
  sim::WorldObject *o = objectOrRefuse(hObj, "oapiGetRotationMatrix");
  if (!o || !mat) return;
  switch (o->objectType()) {
    case OBJTP_VESSEL: *mat = static_cast<Vessel *>(o)->st.R; return;
    case OBJTP_SURFBASE: *mat = static_cast<sim::SurfaceBase *>(o)->planet->now().R_GP; return;
    default: *mat = static_cast<sim::CelestialBody *>(o)->now().R_GP; return;
  }
}

OBJHANDLE oapiCreateVesselEx(const char *name, const char *classname, const void *status) {
  World *w = world();
  if (!w) return nullptr;
  if (!name || !classname || !status || *static_cast<const DWORD *>(status) != 2) {
    w->diagnostics().refuse("oapiCreateVesselEx", "needs a name, a class and a VESSELSTATUS2");
    return nullptr;
  }
  try {
    return w->createVessel(name, classname, *static_cast<const VESSELSTATUS2 *>(status)).handle();
  } catch (const sim::InputError &e) {  // an unknown class or a taken name: no vessel
    w->diagnostics().refuse("oapiCreateVesselEx", e.what());
    return nullptr;
  }
}

double oapiGetTimeAcceleration() { return 1.0; }
void oapiSetTimeAcceleration(double) { sim::api::headless("oapiSetTimeAcceleration"); }
double oapiGetSysTime() { return world() ? world()->simTime() : 0.0; }
bool oapiGetPause() { return false; }
void oapiSetPause(bool) { sim::api::headless("oapiSetPause"); }

MESHHANDLE oapiLoadMeshGlobal(const char *fname) {
  World *w = world();
  if (!w || !fname || !w->meshes().request(fname)) return nullptr;  // null, as for a missing file
  return sim::makeHandle(sim::HandleKind::Mesh, 0, w->meshes().handleIndex(fname));
}

DWORD oapiMeshGroupCount(MESHHANDLE hMesh) {
  const sim::Mesh *m = meshOf(hMesh);
  return m ? static_cast<DWORD>(m->groupCount()) : 0;
}

DWORD oapiMeshTextureCount(MESHHANDLE hMesh) {
  const sim::Mesh *m = meshOf(hMesh);
  return m ? static_cast<DWORD>(m->textures.size()) : 0;
}
