// The simulator's world functions (oapi...): thin forwards to the current world.
//
// Look-ups follow the simulator: oapiGetObjectByName finds vessels and celestial bodies (never
// bases) by full name, case-insensitively; oapiGetBaseByName needs a planet; oapiGetObjectName
// copies with strncpy semantics. Every handle is checked; an unknown one is refused, recorded, and
// answered with zeros.
#include <cstring>

#include "OrbiterAPI.h"
#include "vessel/vessel.h"
#include "world/world.h"

using sim::objectOrRefuse;
using sim::World;

namespace {

World *world() { return World::current(); }

}  // namespace

sim::WorldObject *sim::objectOrRefuse(OBJHANDLE h, const char *call) {
  World *w = world();
  if (!w) return nullptr;
  sim::WorldObject *o = w->object(h);
  if (!o) w->diagnostics().refuse(call, "unknown object handle");
  return o;
}

// The simulator's own signatures, whose text parameters are not const.
// NOLINTBEGIN(readability-non-const-parameter)
OBJHANDLE oapiGetObjectByName(char *name) {
  World *w = world();
  if (!w || !name) return nullptr;
  sim::WorldObject *o = w->findObject(name);
  return o ? o->handle() : nullptr;
}

OBJHANDLE oapiGetVesselByName(char *name) {
  World *w = world();
  if (!w || !name) return nullptr;
  Vessel *v = w->findVessel(name);
  return v ? v->handle() : nullptr;
}

OBJHANDLE oapiGetGbodyByName(char *name) {
  World *w = world();
  if (!w || !name) return nullptr;
  sim::CelestialBody *b = w->findBody(name);
  return b ? b->handle() : nullptr;
}

OBJHANDLE oapiGetBaseByName(OBJHANDLE hPlanet, char *name) {
  World *w = world();
  if (!w || !name) return nullptr;
  sim::CelestialBody *b = w->bodyOf(hPlanet);
  if (!b || b->objectType() != OBJTP_PLANET) return nullptr;
  sim::SurfaceBase *base = w->findBase(b, name);
  return base ? base->handle() : nullptr;
}

void oapiGetObjectName(OBJHANDLE hObj, char *name, int n) {
  sim::WorldObject *o = objectOrRefuse(hObj, "oapiGetObjectName");
  if (!o || !name || n <= 0) return;
  std::strncpy(name, o->name().c_str(), static_cast<size_t>(n));
}

int oapiGetObjectType(OBJHANDLE hObj) {
  World *w = world();
  sim::WorldObject *o = w ? w->object(hObj) : nullptr;
  return o ? o->objectType() : OBJTP_INVALID;
}

OBJHANDLE oapiGetFocusObject() {
  World *w = world();
  return w && w->focus() ? w->focus()->handle() : nullptr;
}

VESSEL *oapiGetVesselInterface(OBJHANDLE hVessel) {
  World *w = world();
  Vessel *v = w ? w->vesselOf(hVessel) : nullptr;
  return v ? v->intf : nullptr;
}

double oapiGetMass(OBJHANDLE hObj) {
  sim::WorldObject *o = objectOrRefuse(hObj, "oapiGetMass");
  if (!o) return 0.0;
  if (o->objectType() == OBJTP_VESSEL) return static_cast<Vessel *>(o)->mass();
  if (o->objectType() == OBJTP_SURFBASE) return 0.0;
  return static_cast<sim::CelestialBody *>(o)->mass;
}

double oapiGetSize(OBJHANDLE hObj) {
  sim::WorldObject *o = objectOrRefuse(hObj, "oapiGetSize");
  if (!o) return 0.0;
  if (o->objectType() == OBJTP_VESSEL) return static_cast<Vessel *>(o)->def.size;
  if (o->objectType() == OBJTP_SURFBASE) return 0.0;
  return static_cast<sim::CelestialBody *>(o)->meanRadius;
}

double oapiGetPlanetPeriod(OBJHANDLE hPlanet) {
  World *w = world();
  sim::CelestialBody *b = w ? w->bodyOf(hPlanet) : nullptr;
  return b ? b->sidRotPeriod : 0.0;
}

void oapiGetGlobalPos(OBJHANDLE hObj, VECTOR3 *pos) {
  sim::WorldObject *o = objectOrRefuse(hObj, "oapiGetGlobalPos");
  if (o && pos) *pos = world()->globalPos(*o);
}

void oapiGetGlobalVel(OBJHANDLE hObj, VECTOR3 *vel) {
  sim::WorldObject *o = objectOrRefuse(hObj, "oapiGetGlobalVel");
  if (o && vel) *vel = world()->globalVel(*o);
}

BOOL oapiGetEquPos(OBJHANDLE hVessel, double *longitude, double *latitude, double *radius) {
  World *w = world();
  Vessel *v = w ? w->vesselOf(hVessel) : nullptr;
  if (!v || !v->sp.ref) return FALSE;
  if (longitude) *longitude = v->sp.lng;
  if (latitude) *latitude = v->sp.lat;
  if (radius) *radius = v->sp.rad;
  return TRUE;
}

void oapiGetBaseEquPos(OBJHANDLE hBase, double *lng, double *lat, double *rad) {
  World *w = world();
  sim::SurfaceBase *b = w ? w->baseOf(hBase) : nullptr;
  if (!b) {
    if (w) w->diagnostics().refuse("oapiGetBaseEquPos", "not a surface base");
    return;
  }
  if (lng) *lng = b->lng;
  if (lat) *lat = b->lat;
  if (rad) *rad = b->planet->meanRadius;
}

void oapiEquToGlobal(OBJHANDLE hObj, double lng, double lat, double rad, VECTOR3 *glob) {
  World *w = world();
  sim::CelestialBody *b = w ? w->bodyOf(hObj) : nullptr;
  if (!b) {
    if (w) w->diagnostics().refuse("oapiEquToGlobal", "not a celestial body");
    return;
  }
  if (!glob) return;
  const sim::BodyKinematics &k = b->now();
  *glob = k.pos + mul(k.R_GP, sim::equToLocalDir(lng, lat) * rad);
}

VECTOR3 oapiGetWindVector(OBJHANDLE hPlanet, double lng, double lat, double alt, int frame, double *windspeed) {
  World *w = world();
  sim::CelestialBody *b = w ? w->bodyOf(hPlanet) : nullptr;
  VECTOR3 wind_H = _V(0, 0, 0);
  if (b && b->hasAtmosphere && alt < sim::EarthAtmosphere::kTop) {
    if (!w->windField.plain())
      wind_H = sim::windHorizonAt(*w, *b, lng, lat, alt);
    else if (w->wind.speed > 0)
      wind_H = w->wind.horizon();
  }
  if (windspeed) *windspeed = std::sqrt(wind_H.x * wind_H.x + wind_H.z * wind_H.z);  // horizontal
  if (!b || frame == 0) return wind_H;
  MATRIX3 R_PH = transp(sim::localToHorizon(lng, lat));
  VECTOR3 wind_P = mul(R_PH, wind_H);
  if (frame == 1 || frame == 2) return wind_P;
  return mul(b->now().R_GP, wind_P);
}

double oapiGetInducedDrag(double cl, double A, double e) { return cl * cl / (PI * A * e); }

double oapiGetWaveDrag(double M, double M1, double M2, double M3, double cmax) {
  if (M < M1) return 0.0;
  if (M < M2) return cmax * (M - M1) / (M2 - M1);
  if (M < M3) return cmax;
  return cmax * std::sqrt((M3 * M3 - 1.0) / (M * M - 1.0));
}

double oapiGetSimTime() { return world() ? world()->simTime() : 0.0; }
double oapiGetSimStep() { return world() ? world()->dt() : 0.0; }
double oapiGetSimMJD() { return world() ? world()->mjd() : 0.0; }

SURFHANDLE oapiRegisterExhaustTexture(char *name) {
  return world() && name ? world()->registerTexture(name) : nullptr;
}
SURFHANDLE oapiRegisterParticleTexture(char *name) {
  return world() && name ? world()->registerTexture(name) : nullptr;
}

void oapiCameraAttach(OBJHANDLE hObj, int mode) {
  World *w = world();
  if (!w) return;
  if (!w->object(hObj)) return w->diagnostics().refuse("oapiCameraAttach", "unknown object handle");
  w->camera.target = hObj;
  if (mode == 0 || mode == 1) w->camera.external = mode == 1;
}

void oapiOpenInputBox(char *title, bool (*Clbk)(void *, char *, void *), char *buf, int vislen, void *usrdata) {
  (void)buf;
  (void)vislen;
  World *w = world();
  if (!w) return;
  sim::InputBoxRequest r;
  r.title = title ? title : "";
  r.callback = Clbk;
  r.userData = usrdata;
  w->openInputBox(std::move(r));
}

void oapiWriteLog(char *line) {
  if (World *w = world(); w && line) w->diagnostics().note("log", line);
}
// NOLINTEND(readability-non-const-parameter)
