// VESSEL: airfoils, control surfaces and variable drag elements (definitions and levels; the
// force model is in physics/aerodynamics.cpp).
//
// Control surfaces: the AUTO axis resolves to XPOS for elevator, elevator trim and flap, to YPOS
// for rudder and rudder trim, and for an aileron to XPOS or XNEG by the side of its reference
// point. The response delay is kept per control type (the last surface created of a type sets
// it); levels are per type and survive ClearControlSurfaceDefinitions.
#include <algorithm>

#include "vessel/api_entry.h"
#include "vessel/api_shared.h"
#include "world/world.h"

namespace {

bool validAlign(AIRFOIL_ORIENTATION a) { return a == LIFT_VERTICAL || a == LIFT_HORIZONTAL; }
bool validType(AIRCTRL_TYPE t) { return t >= AIRCTRL_ELEVATOR && t <= AIRCTRL_RUDDERTRIM; }

int resolveAxis(AIRCTRL_TYPE type, int axis, const VECTOR3 &ref) {
  if (axis != AIRCTRL_AXIS_AUTO) return axis;
  switch (type) {
    case AIRCTRL_RUDDER:
    case AIRCTRL_RUDDERTRIM:
      return AIRCTRL_AXIS_YPOS;
    case AIRCTRL_AILERON:
      return ref.x > 0 ? AIRCTRL_AXIS_XPOS : AIRCTRL_AXIS_XNEG;
    default:
      return AIRCTRL_AXIS_XPOS;
  }
}

void addDragElement(Vessel &v, const double *drag, double factor, const VECTOR3 &ref) {
  if (!drag) return v.refuse("CreateVariableDragElement", "null drag pointer");
  if (!v.finite("CreateVariableDragElement", factor) || !v.finite("CreateVariableDragElement", ref)) return;
  v.def.dragElements.push_back({drag, factor, ref});
}

}  // namespace

namespace sim::api {

int addAirfoil(Vessel &v, const char *call, AIRFOIL_ORIENTATION align, const VECTOR3 &ref, AirfoilCoeffFunc cf,
               double c, double S, double A) {
  if (!validAlign(align) || !cf) {
    v.refuse(call, "invalid orientation or null function");
    return -1;
  }
  if (!v.finite(call, ref) || !v.finite(call, _V(c, S, A))) return -1;
  sim::AirfoilDef a;
  a.align = align, a.ref = ref, a.cf = cf, a.chord = c, a.area = S, a.aspect = A;
  v.def.airfoils.push_back(a);
  return static_cast<int>(v.def.airfoils.size() - 1);
}

CTRLSURFHANDLE addControlSurface(Vessel &v, const char *call, AIRCTRL_TYPE type, double area, double dCl,
                                 const VECTOR3 &ref, int axis, double delay, UINT anim) {
  if (!validType(type) || axis < AIRCTRL_AXIS_AUTO || axis > AIRCTRL_AXIS_XNEG) {
    v.refuse(call, "invalid type or axis");
    return nullptr;
  }
  if (!v.finite(call, _V(area, dCl, delay)) || !v.finite(call, ref)) return nullptr;
  sim::ControlSurfaceDef s;
  s.type = type, s.area = area, s.dCl = dCl, s.ref = ref, s.axis = resolveAxis(type, axis, ref), s.anim = anim;
  v.def.controlSurfaces.push_back(s);
  v.systems().controls[type].delay = std::max(0.0, delay);
  return v.controlSurfaceHandle(static_cast<int>(v.def.controlSurfaces.size() - 1));
}

}  // namespace sim::api

void VESSEL::CreateAirfoil(AIRFOIL_ORIENTATION align, const VECTOR3 &ref, AirfoilCoeffFunc cf, double c, double S,
                           double A) const {
  VESSEL_ENTRY("CreateAirfoil");
  sim::api::addAirfoil(*v, "CreateAirfoil", align, ref, cf, c, S, A);
}

AIRFOILHANDLE VESSEL::CreateAirfoil3(AIRFOIL_ORIENTATION align, const VECTOR3 &ref, AirfoilCoeffFuncEx cf,
                                     void *context, double c, double S, double A) const {
  VESSEL_ENTRY("CreateAirfoil3", nullptr);
  if (!validAlign(align) || !cf) {
    v->refuse("CreateAirfoil3", "invalid orientation or null function");
    return nullptr;
  }
  if (!v->finite("CreateAirfoil3", ref) || !v->finite("CreateAirfoil3", _V(c, S, A))) return nullptr;
  sim::AirfoilDef a;
  a.align = align, a.ref = ref, a.cfx = cf, a.context = context, a.chord = c, a.area = S, a.aspect = A;
  v->def.airfoils.push_back(a);
  return v->airfoilHandle(static_cast<int>(v->def.airfoils.size() - 1));
}

CTRLSURFHANDLE VESSEL::CreateControlSurface3(AIRCTRL_TYPE type, double area, double dCl, const VECTOR3 &ref,
                                             int axis, double delay, UINT anim) const {
  VESSEL_ENTRY("CreateControlSurface3", nullptr);
  return sim::api::addControlSurface(*v, "CreateControlSurface3", type, area, dCl, ref, axis, delay, anim);
}

void VESSEL::ClearControlSurfaceDefinitions() const {
  VESSEL_ENTRY("ClearControlSurfaceDefinitions");
  v->def.controlSurfaces.clear();
}

void VESSEL::SetControlSurfaceLevel(AIRCTRL_TYPE type, double level) const {
  SetControlSurfaceLevel(type, level, false);
}

void VESSEL::SetControlSurfaceLevel(AIRCTRL_TYPE type, double level, bool direct) const {
  VESSEL_ENTRY("SetControlSurfaceLevel");
  if (!validType(type)) return v->refuse("SetControlSurfaceLevel", "invalid control type");
  if (!v->finite("SetControlSurfaceLevel", level)) return;
  sim::ControlSurfaceState &c = v->systems().controls[type];
  c.permanent = std::clamp(level, -1.0, 1.0);
  if (direct) c.current = std::clamp(c.permanent + c.transient, -1.0, 1.0);
}

double VESSEL::GetControlSurfaceLevel(AIRCTRL_TYPE type) const {
  VESSEL_ENTRY("GetControlSurfaceLevel", 0.0);
  if (!validType(type)) return 0.0;
  return v->st.controls[type].current;
}

void VESSEL::CreateVariableDragElement(const double *drag, double factor, const VECTOR3 &ref) const {
  VESSEL_ENTRY("CreateVariableDragElement");
  addDragElement(*v, drag, factor, ref);
}

// The obsolete form: the same element; the call is counted as obsolete.
void VESSEL::CreateVariableDragElement(double *drag, double factor, const VECTOR3 &ref) const {
  VESSEL_ENTRY("CreateVariableDragElement");
  v->world().diagnostics().obsolete(v->name(), "CreateVariableDragElement(double *)");
  addDragElement(*v, drag, factor, ref);
}
