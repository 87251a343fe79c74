// wren: a small vertical-takeoff utility craft, the example vessel add-on.
//
// A plain vessel module written against the simulator's published interface only: a 1.25 t
// craft (1 t empty) with a 15 kN hover engine under its centre of gravity, an 8 kN main engine,
// a 2 kN retro engine and fourteen 150 N attitude thrusters (rotation and translation groups),
// stub wings, skids on three points with brakes, and a docking port on its back. It has no
// autopilot: the simulator's core controls fly it (throttle and RCS keys, navigation modes), and
// in the headless host so do scripted controls.
// Its own key, G, sets or releases the parking brake; every other key goes to the core.
// Its head-up display shows altitude, vertical speed, hover level, air data and the orbit.
// Aerodynamics: the simulator's simple model for vessels without airfoils (drag coefficients per
// axis, a lift coefficient over the angle of attack a, cl = 0.8 sin(2a), which vanishes when the
// craft rises or sinks level); no pitching moment, so nothing turns it over while it hovers.
// Frames: the vessel frame, +x right, +y up, +z forward, origin at the centre of gravity.
// Units: m, kg, s, N; specific impulse in m/s.
#define ORBITER_MODULE
#include <cmath>
#include <cstdio>
#include <cstring>

#include "Orbitersdk.h"

// ==============================================================
// Vessel parameters
// ==============================================================
const double WREN_SIZE = 3.5;                   // [m] mean radius
const double WREN_EMPTYMASS = 1000.0;           // [kg]
const VECTOR3 WREN_PMI = {{2.0, 2.3, 1.2}};     // [m^2] mass-normalised moments of inertia
const VECTOR3 WREN_CS = {{6.0, 8.0, 4.0}};      // [m^2] cross sections along x, y, z
const VECTOR3 WREN_ROTDRAG = {{0.1, 0.1, 0.1}};
const double WREN_FUELMASS = 230.0;             // [kg] main tank (main, retro, hover)
const double WREN_RCSFUELMASS = 20.0;           // [kg] attitude tank
const double WREN_ISP = 3200.0;                 // [m/s] main and retro engines
const double WREN_HOVER_ISP = 3000.0;           // [m/s] hover engine
const double WREN_RCS_ISP = 2500.0;             // [m/s] attitude thrusters
const double WREN_MAXMAINTH = 8e3;              // [N]
const double WREN_MAXRETROTH = 2e3;             // [N]
const double WREN_MAXHOVERTH = 15e3;            // [N]
const double WREN_MAXRCSTH = 150.0;             // [N] per attitude thruster
const double WREN_RCSARM = 1.5;                 // [m] lever of the attitude thrusters
const double WREN_WHEELBRAKE = 4e3;             // [N] both skid brakes together
const double WREN_CW[4] = {0.2, 0.4, 0.6, 0.5};  // drag coefficients: +z, -z, x, y
const double WREN_WINGASPECT = 2.5;
const double WREN_WINGEFF = 2.5;
const VECTOR3 WREN_TOUCHDOWN[3] = {{{0, -1.6, 1.6}}, {{-1.4, -1.6, -1.2}}, {{1.4, -1.6, -1.2}}};  // [m]

// ==============================================================
// Lift coefficient of the stub wings over the angle of attack [rad]
// ==============================================================
static double WingLift(double aoa) { return 0.8 * sin(2.0 * aoa); }

// ==============================================================
// The vessel class
// ==============================================================
class Wren final : public VESSEL3 {
 public:
  Wren(OBJHANDLE hVessel, int flightmodel) : VESSEL3(hVessel, flightmodel), parkingBrake(false) {}
  void clbkSetClassCaps(FILEHANDLE cfg);
  void clbkLoadStateEx(FILEHANDLE scn, void *status);
  void clbkSaveState(FILEHANDLE scn);
  void clbkPreStep(double simt, double simdt, double mjd);
  int clbkConsumeBufferedKey(DWORD key, bool down, char *kstate);
  bool clbkDrawHUD(int mode, const HUDPAINTSPEC *hps, oapi::Sketchpad *skp);

 private:
  void SetParkingBrake(bool on);
  bool parkingBrake;  // the brakes held on by key G
};

void Wren::clbkSetClassCaps(FILEHANDLE cfg) {
  (void)cfg;
  SetSize(WREN_SIZE);
  SetEmptyMass(WREN_EMPTYMASS);
  SetPMI(WREN_PMI);
  SetCrossSections(WREN_CS);
  SetRotDrag(WREN_ROTDRAG);
  SetAlbedoRGB(_V(0.77, 0.20, 0.13));
  SetReentryTexture(NULL);
  SetCameraOffset(_V(0, 0.8, 1.0));

  // Propellant: one tank for the engines, one for the attitude thrusters.
  PROPELLANT_HANDLE tank = CreatePropellantResource(WREN_FUELMASS);
  PROPELLANT_HANDLE rcsTank = CreatePropellantResource(WREN_RCSFUELMASS);
  SetDefaultPropellantResource(tank);

  // Engines
  THRUSTER_HANDLE thMain = CreateThruster(_V(0, 0, -2.0), _V(0, 0, 1), WREN_MAXMAINTH, tank, WREN_ISP);
  THRUSTER_HANDLE thRetro = CreateThruster(_V(0, 0, 2.0), _V(0, 0, -1), WREN_MAXRETROTH, tank, WREN_ISP);
  THRUSTER_HANDLE thHover = CreateThruster(_V(0, -1.0, 0), _V(0, 1, 0), WREN_MAXHOVERTH, tank, WREN_HOVER_ISP);
  CreateThrusterGroup(&thMain, 1, THGROUP_MAIN);
  CreateThrusterGroup(&thRetro, 1, THGROUP_RETRO);
  CreateThrusterGroup(&thHover, 1, THGROUP_HOVER);
  AddExhaust(thMain, 3.0, 0.4);
  AddExhaust(thRetro, 1.0, 0.2);
  AddExhaust(thHover, 3.0, 0.6);

  // Attitude thrusters: front and rear pairs pitch, yaw and translate, side pairs bank. They are
  // fed from the attitude tank once all exist.
  const double a = WREN_RCSARM;
  const VECTOR3 pos[14] = {{{0, 0, a}},  {{0, 0, -a}}, {{0, 0, a}},  {{0, 0, -a}}, {{0, 0, a}},
                           {{0, 0, -a}}, {{0, 0, a}},  {{0, 0, -a}}, {{a, 0, 0}},  {{-a, 0, 0}},
                           {{a, 0, 0}},  {{-a, 0, 0}}, {{0, 0, -a}}, {{0, 0, a}}};
  const VECTOR3 dir[14] = {{{0, 1, 0}},  {{0, -1, 0}}, {{0, -1, 0}}, {{0, 1, 0}},  {{1, 0, 0}},
                           {{-1, 0, 0}}, {{-1, 0, 0}}, {{1, 0, 0}},  {{0, 1, 0}},  {{0, -1, 0}},
                           {{0, -1, 0}}, {{0, 1, 0}},  {{0, 0, 1}},  {{0, 0, -1}}};
  THRUSTER_HANDLE th[14];
  for (int i = 0; i < 14; i++) th[i] = CreateThruster(pos[i], dir[i], WREN_MAXRCSTH, NULL, WREN_RCS_ISP);
  for (int i = 0; i < 14; i++) SetThrusterResource(th[i], rcsTank);
  THRUSTER_HANDLE group[2];
  group[0] = th[0], group[1] = th[1];
  CreateThrusterGroup(group, 2, THGROUP_ATT_PITCHUP);
  group[0] = th[2], group[1] = th[3];
  CreateThrusterGroup(group, 2, THGROUP_ATT_PITCHDOWN);
  group[0] = th[4], group[1] = th[5];
  CreateThrusterGroup(group, 2, THGROUP_ATT_YAWRIGHT);
  group[0] = th[6], group[1] = th[7];
  CreateThrusterGroup(group, 2, THGROUP_ATT_YAWLEFT);
  group[0] = th[8], group[1] = th[9];
  CreateThrusterGroup(group, 2, THGROUP_ATT_BANKLEFT);
  group[0] = th[10], group[1] = th[11];
  CreateThrusterGroup(group, 2, THGROUP_ATT_BANKRIGHT);
  group[0] = th[0], group[1] = th[3];
  CreateThrusterGroup(group, 2, THGROUP_ATT_UP);
  group[0] = th[1], group[1] = th[2];
  CreateThrusterGroup(group, 2, THGROUP_ATT_DOWN);
  group[0] = th[4], group[1] = th[7];
  CreateThrusterGroup(group, 2, THGROUP_ATT_RIGHT);
  group[0] = th[5], group[1] = th[6];
  CreateThrusterGroup(group, 2, THGROUP_ATT_LEFT);
  CreateThrusterGroup(&th[12], 1, THGROUP_ATT_FORWARD);
  CreateThrusterGroup(&th[13], 1, THGROUP_ATT_BACK);

  // Aerodynamics of the simple model
  SetCW(WREN_CW[0], WREN_CW[1], WREN_CW[2], WREN_CW[3]);
  SetLiftCoeffFunc(WingLift);
  SetWingAspect(WREN_WINGASPECT);
  SetWingEffectiveness(WREN_WINGEFF);

  // Skids: the three-point form, then their friction, brakes and a steerable nose skid.
  SetTouchdownPoints(WREN_TOUCHDOWN[0], WREN_TOUCHDOWN[1], WREN_TOUCHDOWN[2]);
  SetSurfaceFrictionCoeff(0.15, 0.6);
  SetMaxWheelbrakeForce(WREN_WHEELBRAKE);
  SetNosewheelSteering(true);

  CreateDock(_V(0, 0.9, 0), _V(0, 1, 0), _V(0, 0, 1));
  AddMesh("wren");
}

void Wren::clbkLoadStateEx(FILEHANDLE scn, void *status) {
  char *line;
  while (oapiReadScenario_nextline(scn, line)) {
    if (!strncmp(line, "PBRAKE", 6)) {
      int on = 0;
      sscanf(line + 6, "%d", &on);
      SetParkingBrake(on != 0);
    } else {
      ParseScenarioLineEx(line, status);
    }
  }
}

void Wren::clbkSaveState(FILEHANDLE scn) {
  VESSEL3::clbkSaveState(scn);  // the standard lines
  char item[] = "PBRAKE";
  if (parkingBrake) oapiWriteScenario_int(scn, item, 1);
}

void Wren::SetParkingBrake(bool on) {
  parkingBrake = on;
  SetWheelbrakeLevel(on ? 1.0 : 0.0);
}

void Wren::clbkPreStep(double simt, double simdt, double mjd) {
  (void)simt, (void)simdt, (void)mjd;
  // The parking brake is for the ground: it comes off once the craft lifts off.
  if (parkingBrake && !GroundContact()) SetParkingBrake(false);
}

int Wren::clbkConsumeBufferedKey(DWORD key, bool down, char *kstate) {
  if (!down || KEYMOD_SHIFT(kstate) || KEYMOD_CONTROL(kstate)) return 0;
  if (key == OAPI_KEY_G) {
    SetParkingBrake(!parkingBrake);
    return 1;
  }
  return 0;  // throttle, RCS and navigation keys are the core's
}

bool Wren::clbkDrawHUD(int mode, const HUDPAINTSPEC *hps, oapi::Sketchpad *skp) {
  VESSEL3::clbkDrawHUD(mode, hps, skp);
  int x = hps->W / 40, y = hps->H / 4, dy = hps->H / 40 + 4;
  char line[96];
  VECTOR3 hvel = _V(0, 0, 0), air = _V(0, 0, 0);
  GetGroundspeedVector(FRAME_HORIZON, hvel);
  GetShipAirspeedVector(air);
  double ap = 0, pe = 0;
  OBJHANDLE ref = GetApDist(ap);
  GetPeDist(pe);
  double radius = ref ? oapiGetSize(ref) : 0.0;
  const char *rcs = GetAttitudeMode() == RCS_ROT ? "ROT" : GetAttitudeMode() == RCS_LIN ? "LIN" : "OFF";

  skp->SetTextColor(0x00FFCC66);
  snprintf(line, sizeof line, "ALT %.1f m  VS %.2f m/s", GetAltitude(), hvel.y);
  skp->Text(x, y, line, (int)strlen(line));
  snprintf(line, sizeof line, "HOVER %.0f%%  MAIN %.0f%%  RCS %s", 100.0 * GetThrusterGroupLevel(THGROUP_HOVER),
           100.0 * GetThrusterGroupLevel(THGROUP_MAIN), rcs);
  skp->Text(x, y += dy, line, (int)strlen(line));
  snprintf(line, sizeof line, "IAS %.1f m/s  M %.2f  AOA %.1f", GetAirspeed(), GetMachNumber(), GetAOA() * DEG);
  skp->Text(x, y += dy, line, (int)strlen(line));
  snprintf(line, sizeof line, "P %.2f kPa  T %.1f K  RHO %.4f", GetAtmPressure() * 1e-3, GetAtmTemperature(),
           GetAtmDensity());
  skp->Text(x, y += dy, line, (int)strlen(line));
  snprintf(line, sizeof line, "ApA %.1f km  PeA %.1f km", (ap - radius) * 1e-3, (pe - radius) * 1e-3);
  skp->Text(x, y += dy, line, (int)strlen(line));
  snprintf(line, sizeof line, "FUEL %.1f kg  RCS %.1f kg%s%s", GetFuelMass(),
           GetPropellantMass(GetPropellantHandleByIndex(1)), parkingBrake ? "  BRAKE" : "",
           GetGroundContact() ? "  CONTACT" : "");
  skp->Text(x, y += dy, line, (int)strlen(line));
  return true;
}

// ==============================================================
// Module entry points
// ==============================================================
DLLCLBK VESSEL *ovcInit(OBJHANDLE hvessel, int flightmodel) { return new Wren(hvessel, flightmodel); }

DLLCLBK void ovcExit(VESSEL *vessel) {
  if (vessel) delete (Wren *)vessel;
}
