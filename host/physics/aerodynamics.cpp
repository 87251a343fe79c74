// Aerodynamic forces and moments of one step, as the simulator computes them.
//
// a = airspeed vector in vessel axes, q = rho |a|^2 / 2, d = -a / |a| (drag direction).
// Airfoil model (the vessel has at least one airfoil; skipped entirely while a.z = 0):
//   vertical lift l = unit(0, a.z, -a.y), horizontal lift s = unit(a.z, 0, -a.x)
//   aoa = atan2(-a.y, a.z), slip = atan2(-a.x, a.z), Re = rho |a| c / 1.7894e-5
//   LIFT_VERTICAL   F = (l cl + d cd) q S at ref, torque F x ref, plus cm q S c about x
//   LIFT_HORIZONTAL F = (s cl + d cd) q S at ref, torque F x ref, plus cm q S c about y
//   S = 0 uses the projected cross-section |d.z| Cz + |d.y| Cy (vertical) or |d.z| Cz + |d.x| Cz
//   control surface of level L: lift -L area q dCl along l (XPOS), -l (XNEG), s (YPOS), -s (YNEG)
//   and drag |L| area q along d, at ref; variable drag element: d (*drag) factor q at ref
//   rotational damping per axis: -min(q' Cy rd_i, I_i m / dt) w_i with q' = rho (|a| + 30)^2 / 2
// Legacy model (no airfoil):
//   lift Cl(aoa) q Cy along l, induced drag lift Cl / (aspect effectiveness)
//   parasite drag q (0.5 Cx CWx |u.x| + 0.5 Cy CWy |u.y| + 0.5 Cz CWz+ |u.z|), u = a / |a|
//   moments  pitch -size m rho |a| Cy sin(aoa - trim_scale trim) pitch_scale,
//            yaw   -size m rho |a| Cx sin(atan2(a.x, a.z)) yaw_scale,
//            damping -size m rho w_i rd_i (limited like the airfoil model's)
// The drag scalar (airfoils and drag elements, not control surfaces) is what GetDragVector gives.
// Control surfaces move towards clamp(permanent + transient, -1, 1) at 1/delay per second.
#include <algorithm>

#include "physics/forces.h"
#include "vessel/vessel.h"

namespace sim {
namespace {

constexpr double kViscosity = 1.7894e-5;  // [kg/(m s)]

VECTOR3 unitOrZero(const VECTOR3 &v) {
  double l = length(v);
  return l > 0 ? v / l : _V(0, 0, 0);
}

void dampRotation(Vessel &v, double dt, double coeff_x, double coeff_y, double coeff_z, ForceBuild &fb) {
  const VECTOR3 &w = v.st.omega;
  const VECTOR3 &I = v.def.pmi;
  double m = fb.mass;
  fb.torque_V.x -= std::min(coeff_x, I.x * m / dt) * w.x;
  fb.torque_V.y -= std::min(coeff_y, I.y * m / dt) * w.y;
  fb.torque_V.z -= std::min(coeff_z, I.z * m / dt) * w.z;
}

// The step's airflow in vessel axes, shared by airfoils, control surfaces and drag elements.
struct Airflow {
  double speed, rho, q;  // [m/s], [kg/m^3], [Pa]
  VECTOR3 d, l, s;       // drag direction, vertical and horizontal lift directions
  double aoa, slip;      // [rad]
};

Airflow airflowOf(const SurfaceParams &sp) {
  const VECTOR3 &a = sp.airVel_V;
  Airflow air;
  air.speed = length(a), air.rho = sp.atm.density, air.q = sp.dynPressure;
  air.d = a / -air.speed;
  air.l = unitOrZero(_V(0, a.z, -a.y));
  air.s = unitOrZero(_V(a.z, 0, -a.x));
  air.aoa = std::atan2(-a.y, a.z), air.slip = std::atan2(-a.x, a.z);
  return air;
}

// Lift, drag and pitching (or yawing) moment of each airfoil from its coefficient function; a
// function that answers non-finite values is refused and its airfoil left out of the step.
void addAirfoils(Vessel &v, const Airflow &air, ForceBuild &fb) {
  const VECTOR3 &cs = v.def.crossSections;
  double q = air.q;
  for (const AirfoilDef &af : v.def.airfoils) {
    if (af.deleted) continue;
    bool vertical = af.align == LIFT_VERTICAL;
    double area = af.area > 0 ? af.area
                              : std::fabs(air.d.z) * cs.z + (vertical ? std::fabs(air.d.y) * cs.y
                                                                      : std::fabs(air.d.x) * cs.z);
    double re = air.rho * air.speed * af.chord / kViscosity;
    double angle = vertical ? air.aoa : air.slip;
    double cl = 0, cm = 0, cd = 0;
    if (af.cfx)
      af.cfx(v.intf, angle, v.sp.mach, re, af.context, &cl, &cm, &cd);
    else
      af.cf(angle, v.sp.mach, re, &cl, &cm, &cd);
    if (!std::isfinite(cl) || !std::isfinite(cm) || !std::isfinite(cd)) {
      v.refuseNonFinite("airfoil coefficient function", "non-finite coefficient");
      continue;
    }
    VECTOR3 liftDir = vertical ? air.l : air.s;
    VECTOR3 lift = liftDir * (cl * q * area);
    VECTOR3 F = lift + air.d * (cd * q * area);
    fb.force_V += F;
    fb.torque_V += crossp(F, af.ref);
    if (vertical)
      fb.torque_V.x += cm * q * area * af.chord;
    else
      fb.torque_V.y += cm * q * area * af.chord;
    fb.drag += cd * q * area;
    fb.lift_V += lift;
  }
}

// Deflected control surfaces: lift along their axis and drag, neither counted in the drag scalar.
void addControlSurfaces(Vessel &v, const Airflow &air, ForceBuild &fb) {
  for (const ControlSurfaceDef &c : v.def.controlSurfaces) {
    if (c.deleted) continue;
    double level = v.st.controls[c.type].current;
    if (level == 0) continue;
    VECTOR3 dir = c.axis == AIRCTRL_AXIS_XPOS   ? air.l
                  : c.axis == AIRCTRL_AXIS_XNEG ? -air.l
                  : c.axis == AIRCTRL_AXIS_YPOS ? air.s
                                                : -air.s;
    VECTOR3 F =
        dir * (-level * c.area * air.q * c.dCl) + air.d * (std::fabs(level) * c.area * air.q);
    fb.force_V += F;
    fb.torque_V += crossp(F, c.ref);
  }
}

// Variable drag elements (gear, air brakes): the module's drag level times its factor.
void addDragElements(Vessel &v, const Airflow &air, ForceBuild &fb) {
  for (const DragElementDef &e : v.def.dragElements) {
    double drag = *e.drag * e.factor * air.q;
    if (!std::isfinite(drag)) continue;
    VECTOR3 F = air.d * drag;
    fb.force_V += F;
    fb.torque_V += crossp(F, e.ref);
    fb.drag += drag;
  }
}

// The model of a vessel with airfoils; skipped while the flow has no component along +z.
void airfoilModel(Vessel &v, double dt, ForceBuild &fb) {
  if (v.sp.airVel_V.z == 0) return;
  const Airflow air = airflowOf(v.sp);
  addAirfoils(v, air, fb);
  addControlSurfaces(v, air, fb);
  addDragElements(v, air, fb);
  double qd = 0.5 * air.rho * (air.speed + 30.0) * (air.speed + 30.0) * v.def.crossSections.y;
  const VECTOR3 &rd = v.def.rotDrag;
  dampRotation(v, dt, qd * rd.x, qd * rd.y, qd * rd.z, fb);
}

void legacyModel(Vessel &v, double dt, ForceBuild &fb) {
  const SurfaceParams &sp = v.sp;
  const VECTOR3 &a = sp.airVel_V;
  double speed = length(a);
  if (speed == 0) return;
  const LegacyAeroDef &lg = v.def.legacy;
  const VECTOR3 &cs = v.def.crossSections;
  double rho = sp.atm.density, q = sp.dynPressure, m = fb.mass, size = v.def.size;
  VECTOR3 u = a / speed, d = -u;
  VECTOR3 l = unitOrZero(_V(0, a.z, -a.y));
  double aoa = std::atan2(-a.y, a.z);
  double drag = q * (0.5 * cs.x * lg.cwX * std::fabs(u.x) + 0.5 * cs.y * lg.cwY * std::fabs(u.y) +
                     0.5 * cs.z * lg.cwZPos * std::fabs(u.z));
  double cl = lg.lift ? lg.lift(aoa) : 0.0;
  if (!std::isfinite(cl)) {
    v.refuseNonFinite("lift coefficient function", "non-finite coefficient");
    cl = 0;
  }
  if (cl != 0) {
    double lift = cl * q * cs.y;
    fb.force_V += l * lift;
    fb.lift_V += l * lift;
    drag += lift * cl / (lg.wingAspect * lg.wingEffectiveness);
  }
  fb.force_V += d * drag;
  fb.drag += drag;
  double trim = v.st.controls[AIRCTRL_ELEVATORTRIM].current;
  fb.torque_V.x -= size * m * rho * speed * cs.y * std::sin(aoa - lg.trimScale * trim) * lg.pitchMomentScale;
  fb.torque_V.y -= size * m * rho * speed * cs.x * std::sin(std::atan2(a.x, a.z)) * lg.yawMomentScale;
  double k = size * m * rho;
  const VECTOR3 &rd = v.def.rotDrag;
  dampRotation(v, dt, k * rd.x, k * rd.y, k * rd.z, fb);
}

}  // namespace

void moveControlSurfaces(Vessel &v, double dt) {
  for (ControlSurfaceState &c : v.systems().controls) {
    double target = std::clamp(c.permanent + c.transient, -1.0, 1.0);
    if (c.delay <= 0) {
      c.current = target;
      continue;
    }
    double step = dt / c.delay;
    c.current = std::clamp(target, c.current - step, c.current + step);
  }
}

void buildAerodynamics(Vessel &v, double dt, ForceBuild &fb) {
  if (!v.sp.inAtmosphere || v.landed()) return;
  bool airfoils =
      std::any_of(v.def.airfoils.begin(), v.def.airfoils.end(), [](const AirfoilDef &a) { return !a.deleted; });
  if (airfoils)
    airfoilModel(v, dt, fb);
  else
    legacyModel(v, dt, fb);
  fb.lift = length(fb.lift_V);
}

}  // namespace sim
