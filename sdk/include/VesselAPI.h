// VesselAPI.h: the vessel interface classes VESSEL, VESSEL2, VESSEL3 and VESSEL4.
//
// VESSEL is the module's window onto its own vessel in the simulator: non-virtual members that the
// core implements (definition, queries, commands). VESSEL2 adds the callbacks the core makes into
// the module, VESSEL3 the Sketchpad form of the head-up display callback and the 2-D panels,
// VESSEL4 the navigation-mode callback. The slot order of the virtual callbacks is part of the
// interface and must not change. Older forms of calls are kept with their old behaviour; the
// calls only a screen can answer (panels, mesh visuals, beacons) are answered the way the
// simulator answers a vessel it does not render.
// Frames and units as in OrbiterAPI.h: vessel frame +x right, +y up, +z forward, origin at the CG;
// all vectors in the vessel frame unless a member says otherwise.
#ifndef VESSELAPI_H
#define VESSELAPI_H

#include "OrbiterAPI.h"

#define FRAME_ECL 0  // ecliptic frame of orbital elements
#define FRAME_EQU 1  // equatorial frame of orbital elements

class Vessel;  // the core's vessel behind the interface

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wignored-qualifiers"  // the SDK returns const OBJHANDLE
#pragma GCC diagnostic ignored "-Woverloaded-virtual"  // VESSEL3 overloads VESSEL2's panel and HUD callbacks
#endif

class OAPIFUNC VESSEL {
 public:
  VESSEL(OBJHANDLE hVessel, int fmodel = 1);
  int Version() const;  // 0 VESSEL, 1 VESSEL2, 2 VESSEL3, 3 VESSEL4

  // --- identity -------------------------------------------------------------------------------
  const OBJHANDLE GetHandle() const;  // the vessel's object handle
  char *GetName() const;              // the vessel's name
  char *GetClassName() const;         // the vessel's class name
  int GetFlightModel() const;         // 0 simple, 1 realistic
  void SetEnableFocus(bool enable) const;  // whether the vessel may take the input focus
  bool GetEnableFocus() const;

  // --- physical definition ---------------------------------------------------------------------
  double GetSize() const;                      // [m] mean radius
  void SetSize(double size) const;             // [m]
  double GetEmptyMass() const;                 // [kg] mass without propellant
  void SetEmptyMass(double m) const;           // [kg]
  void GetPMI(VECTOR3 &pmi) const;             // [m^2] mass-normalised principal moments of inertia
  void SetPMI(const VECTOR3 &pmi) const;       // [m^2]
  void GetCrossSections(VECTOR3 &cs) const;    // [m^2] projections along x, y, z
  void SetCrossSections(const VECTOR3 &cs) const;  // [m^2]
  void SetRotDrag(const VECTOR3 &rd) const;    // rotational drag factors per axis
  void SetCW(double cw_z_pos, double cw_z_neg, double cw_x, double cw_y) const;  // legacy drag coefficients
  void SetLiftCoeffFunc(LiftCoeffFunc lcf) const;  // legacy lift coefficient over AOA [rad]
  void SetWingAspect(double aspect) const;         // legacy wing aspect ratio
  void SetWingEffectiveness(double eff) const;     // legacy wing effectiveness
  void SetPitchMomentScale(double scale) const;    // legacy pitch moment scale
  void SetBankMomentScale(double scale) const;     // legacy (deprecated name): sets the yaw moment scale
  void SetTrimScale(double scale) const;           // legacy elevator trim scale
  double GetMass() const;  // [kg] empty mass plus propellant, without attached or docked vessels
  // Moves the centre of gravity by shift [m] (vessel frame): every definition point moves by
  // -shift and the vessel by +shift, so nothing moves in space.
  void ShiftCG(const VECTOR3 &shift);
  void ShiftCentreOfMass(const VECTOR3 &shift);  // the vessel alone moves by +shift

  // --- propellant ------------------------------------------------------------------------------
  // [kg] capacity, [kg] initial mass (< 0: full), efficiency factor of the fuel flow
  PROPELLANT_HANDLE CreatePropellantResource(double maxmass, double mass = -1.0, double efficiency = 1.0) const;
  PROPELLANT_HANDLE GetPropellantHandleByIndex(DWORD idx) const;  // null if out of range
  DWORD GetPropellantCount() const;
  double GetPropellantMass(PROPELLANT_HANDLE ph) const;            // [kg]
  void SetPropellantMass(PROPELLANT_HANDLE ph, double mass) const;  // [kg], not clamped
  double GetPropellantMaxMass(PROPELLANT_HANDLE ph) const;         // [kg]
  void SetPropellantMaxMass(PROPELLANT_HANDLE ph, double maxmass) const;  // [kg]
  double GetPropellantEfficiency(PROPELLANT_HANDLE ph) const;
  void SetPropellantEfficiency(PROPELLANT_HANDLE ph, double efficiency) const;
  double GetPropellantFlowrate(PROPELLANT_HANDLE ph) const;        // [kg/s] at the last step's levels
  double GetTotalPropellantMass() const;                           // [kg]
  double GetTotalPropellantFlowrate() const;                       // [kg/s]
  // The tank of the older fuel calls (the first tank created, unless set)
  void SetDefaultPropellantResource(PROPELLANT_HANDLE ph) const;
  double GetFuelMass() const;                // [kg] older form: the default tank
  void SetFuelMass(double m) const;          // [kg]
  double GetMaxFuelMass() const;             // [kg]
  void SetMaxFuelMass(double m) const;       // [kg]
  double GetFuelRate() const;                // [kg/s]

  // --- thrusters -------------------------------------------------------------------------------
  // pos [m], dir (normalised by the core), maxth0 [N] vacuum thrust, isp0 [m/s] vacuum Isp,
  // isp_ref [m/s] Isp at the pressure p_ref [Pa]
  THRUSTER_HANDLE CreateThruster(const VECTOR3 &pos, const VECTOR3 &dir, double maxth0,
                                 PROPELLANT_HANDLE hp = NULL, double isp0 = 0.0, double isp_ref = 0.0,
                                 double p_ref = 101.4e3) const;
  DWORD GetThrusterCount() const;
  THRUSTER_HANDLE GetThrusterHandleByIndex(DWORD idx) const;   // null if out of range
  void SetThrusterLevel(THRUSTER_HANDLE th, double level) const;  // permanent level, not clamped
  double GetThrusterLevel(THRUSTER_HANDLE th) const;  // effective level (permanent + last override)
  void SetThrusterMax0(THRUSTER_HANDLE th, double maxth0) const;  // [N] vacuum thrust
  double GetThrusterMax0(THRUSTER_HANDLE th) const;               // [N] vacuum thrust
  double GetThrusterMax(THRUSTER_HANDLE th) const;                // [N] at the ambient pressure
  double GetThrusterMax(THRUSTER_HANDLE th, double p_ref) const;  // [N] at pressure p_ref [Pa]
  double GetThrusterIsp0(THRUSTER_HANDLE th) const;               // [m/s] vacuum Isp
  double GetThrusterIsp(THRUSTER_HANDLE th) const;                // [m/s] at the ambient pressure
  double GetThrusterIsp(THRUSTER_HANDLE th, double p_ref) const;  // [m/s] at pressure p_ref [Pa]
  void SetThrusterIsp(THRUSTER_HANDLE th, double isp) const;      // [m/s] vacuum Isp, no pressure loss
  void SetThrusterIsp(THRUSTER_HANDLE th, double isp0, double isp_ref, double p_ref = 101.4e3) const;
  void SetThrusterRef(THRUSTER_HANDLE th, const VECTOR3 &pos) const;  // [m]
  void GetThrusterRef(THRUSTER_HANDLE th, VECTOR3 &pos) const;
  void SetThrusterDir(THRUSTER_HANDLE th, const VECTOR3 &dir) const;  // normalised by the core
  void GetThrusterDir(THRUSTER_HANDLE th, VECTOR3 &dir) const;
  void SetThrusterResource(THRUSTER_HANDLE th, PROPELLANT_HANDLE ph) const;  // null: no tank
  PROPELLANT_HANDLE GetThrusterResource(THRUSTER_HANDLE th) const;
  void IncThrusterLevel(THRUSTER_HANDLE th, double dlevel) const;
  // Transient levels for the coming step only (added to the permanent level)
  void SetThrusterLevel_SingleStep(THRUSTER_HANDLE th, double level) const;
  void IncThrusterLevel_SingleStep(THRUSTER_HANDLE th, double dlevel) const;
  void GetThrusterMoment(THRUSTER_HANDLE th, VECTOR3 &F, VECTOR3 &T) const;  // [N], [N m] at full level
  bool DelThruster(THRUSTER_HANDLE &th) const;  // removes it from its groups; the handle is cleared

  // --- thruster groups -------------------------------------------------------------------------
  THGROUP_HANDLE CreateThrusterGroup(THRUSTER_HANDLE *th, int nth, THGROUP_TYPE thgt) const;
  bool DelThrusterGroup(THGROUP_HANDLE thg, bool delth = false) const;
  bool DelThrusterGroup(THGROUP_TYPE thgt, bool delth = false) const;
  bool DelThrusterGroup(THGROUP_HANDLE &thg, THGROUP_TYPE thgt, bool delth = false) const;  // deprecated
  THGROUP_HANDLE GetThrusterGroupHandle(THGROUP_TYPE thgt) const;  // null if the slot is empty
  void SetThrusterGroupLevel(THGROUP_HANDLE thg, double level) const;  // clamped to [0, 1]
  void SetThrusterGroupLevel(THGROUP_TYPE thgt, double level) const;
  double GetThrusterGroupLevel(THGROUP_HANDLE thg) const;  // mean effective level of the members
  double GetThrusterGroupLevel(THGROUP_TYPE thgt) const;
  void IncThrusterGroupLevel(THGROUP_HANDLE thg, double dlevel) const;
  void IncThrusterGroupLevel(THGROUP_TYPE thgt, double dlevel) const;
  void IncThrusterGroupLevel_SingleStep(THGROUP_HANDLE thg, double dlevel) const;
  void IncThrusterGroupLevel_SingleStep(THGROUP_TYPE thgt, double dlevel) const;
  DWORD GetGroupThrusterCount(THGROUP_HANDLE thg) const;
  DWORD GetGroupThrusterCount(THGROUP_TYPE thgt) const;
  THRUSTER_HANDLE GetGroupThruster(THGROUP_HANDLE thg, DWORD idx) const;  // null if out of range
  THRUSTER_HANDLE GetGroupThruster(THGROUP_TYPE thgt, DWORD idx) const;
  // Older engine calls: ENGINE_MAIN levels run -1 (full retro) to 1 (full main)
  void SetEngineLevel(ENGINETYPE eng, double level) const;
  void IncEngineLevel(ENGINETYPE eng, double dlevel) const;
  double GetEngineLevel(ENGINETYPE eng) const;

  // --- rotational and linear attitude control ---------------------------------------------------
  int GetAttitudeMode() const;          // RCS_NONE, RCS_ROT, RCS_LIN
  bool SetAttitudeMode(int mode) const;  // false for an unknown mode
  int ToggleAttitudeMode() const;       // rotation <-> translation; returns the new mode
  // Levels per axis: x = PITCHUP - PITCHDOWN, y = YAWLEFT - YAWRIGHT, z = BANKRIGHT - BANKLEFT;
  // linear: x = RIGHT - LEFT, y = UP - DOWN, z = FORWARD - BACK
  void GetAttitudeRotLevel(VECTOR3 &th) const;
  void SetAttitudeRotLevel(const VECTOR3 &th) const;
  void SetAttitudeRotLevel(int axis, double th) const;
  void GetAttitudeLinLevel(VECTOR3 &th) const;
  void SetAttitudeLinLevel(const VECTOR3 &th) const;
  void SetAttitudeLinLevel(int axis, double th) const;

  // --- exhaust and particle streams (visual) ---------------------------------------------------
  UINT AddExhaust(THRUSTER_HANDLE th, double lscale, double wscale, SURFHANDLE tex = 0) const;
  UINT AddExhaust(THRUSTER_HANDLE th, double lscale, double wscale, double lofs, SURFHANDLE tex = 0) const;
  UINT AddExhaust(THRUSTER_HANDLE th, double lscale, double wscale, const VECTOR3 &pos, const VECTOR3 &dir,
                  SURFHANDLE tex = 0) const;  // dir: flame direction (against the thrust)
  UINT AddExhaust(EXHAUSTSPEC *spec);
  PSTREAM_HANDLE AddExhaustStream(THRUSTER_HANDLE th, PARTICLESTREAMSPEC *pss = 0) const;
  PSTREAM_HANDLE AddExhaustStream(THRUSTER_HANDLE th, const VECTOR3 &pos, PARTICLESTREAMSPEC *pss = 0) const;
  bool DelExhaustStream(PSTREAM_HANDLE ch) const;  // false for an unknown handle
  // Reentry flame texture, shown above the dynamic-pressure x speed limit plimit [Pa m/s]
  void SetReentryTexture(SURFHANDLE tex, double plimit = 6e7, double lscale = 1.0, double wscale = 1.0) const;
  void SetAlbedoRGB(const VECTOR3 &albedo) const;  // colour of the vessel seen from afar (0-1)
  void SetVisibilityLimit(double vislimit, double spotlimit = -1) const;  // apparent-size limits
  void SetClipRadius(double rad) const;  // [m] near clip plane of the cockpit view

  // --- meshes, camera --------------------------------------------------------------------------
  UINT AddMesh(const char *meshname, const VECTOR3 *ofs = 0) const;  // name relative to Meshes/, no ".msh"
  UINT AddMesh(MESHHANDLE hMesh, const VECTOR3 *ofs = 0) const;      // a mesh from oapiLoadMeshGlobal
  UINT InsertMesh(const char *meshname, UINT idx, const VECTOR3 *ofs = 0) const;  // replaces or appends
  bool DelMesh(UINT idx, bool retain_anim = false) const;
  void ClearMeshes() const;
  void ClearMeshes(bool retain_anim) const;
  UINT GetMeshCount() const;
  bool ShiftMesh(UINT idx, const VECTOR3 &ofs) const;  // [m] moves one mesh
  void ShiftMeshes(const VECTOR3 &ofs) const;          // [m] moves every mesh
  void SetMeshVisibilityMode(UINT idx, WORD mode) const;             // MESHVIS_*
  WORD GetMeshVisibilityMode(UINT idx) const;
  void SetMeshVisibleInternal(UINT idx, bool visible) const;  // older form of the visibility mode
  // Visual contents exist only where a renderer draws the vessel: null here
  const MESHHANDLE GetMeshTemplate(UINT idx) const;
  MESHHANDLE CopyMeshFromTemplate(UINT idx) const;
  MESHHANDLE GetMesh(VISHANDLE vis, UINT idx) const;
  DEVMESHHANDLE GetDevMesh(VISHANDLE vis, UINT idx) const;
  void AddBeacon(BEACONLIGHTSPEC *bs);
  bool DelBeacon(BEACONLIGHTSPEC *bs);
  void ClearBeacons();
  void GetCameraOffset(VECTOR3 &co) const;
  void GetCameraDefaultDirection(VECTOR3 &cd) const;
  void SetCameraCatchAngle(double cangle) const;  // [rad]
  void SetCameraShiftRange(const VECTOR3 &fwd, const VECTOR3 &lft, const VECTOR3 &rgt) const;
  void SetCameraMovement(const VECTOR3 &fwdpos, double fwdphi, double fwdtht, const VECTOR3 &lftpos, double lftphi,
                         double lfttht, const VECTOR3 &rgtpos, double rgtphi, double rgttht) const;
  void SetCameraOffset(const VECTOR3 &co) const;                     // [m] cockpit camera position
  void SetCameraDefaultDirection(const VECTOR3 &cd) const;           // unit default view direction
  void SetCameraDefaultDirection(const VECTOR3 &cd, double tilt) const;  // tilt [rad] about cd
  void SetCameraRotationRange(double left, double right, double up, double down) const;  // [rad]

  // --- aerodynamics ----------------------------------------------------------------------------
  // ref [m] centre of pressure, c [m] chord, S [m^2] wing area (0: projected cross-section), A aspect
  void CreateAirfoil(AIRFOIL_ORIENTATION align, const VECTOR3 &ref, AirfoilCoeffFunc cf, double c, double S,
                     double A) const;
  AIRFOILHANDLE CreateAirfoil2(AIRFOIL_ORIENTATION align, const VECTOR3 &ref, AirfoilCoeffFunc cf, double c,
                               double S, double A) const;
  AIRFOILHANDLE CreateAirfoil3(AIRFOIL_ORIENTATION align, const VECTOR3 &ref, AirfoilCoeffFuncEx cf,
                               void *context, double c, double S, double A) const;
  // The parameters of an airfoil; cf receives the CreateAirfoil form's function (or null), context
  // the CreateAirfoil3 form's context
  bool GetAirfoilParam(AIRFOILHANDLE hAirfoil, VECTOR3 *ref, AirfoilCoeffFunc *cf, void **context, double *c,
                       double *S, double *A) const;
  // Changes the parameters flag selects: 0x01 ref, 0x02 cf, 0x04 c, 0x08 S, 0x10 A
  void EditAirfoil(AIRFOILHANDLE hAirfoil, DWORD flag, const VECTOR3 &ref, AirfoilCoeffFunc cf, double c, double S,
                   double A) const;
  bool DelAirfoil(AIRFOILHANDLE hAirfoil) const;
  void ClearAirfoilDefinitions() const;
  // Older forms: response delay 1 s; the first returns nothing
  void CreateControlSurface(AIRCTRL_TYPE type, double area, double dCl, const VECTOR3 &ref,
                            int axis = AIRCTRL_AXIS_AUTO, UINT anim = (UINT)-1) const;
  CTRLSURFHANDLE CreateControlSurface2(AIRCTRL_TYPE type, double area, double dCl, const VECTOR3 &ref,
                                       int axis = AIRCTRL_AXIS_AUTO, UINT anim = (UINT)-1) const;
  // area [m^2], dCl lift-coefficient slope, ref [m], delay [s] for full travel from neutral
  CTRLSURFHANDLE CreateControlSurface3(AIRCTRL_TYPE type, double area, double dCl, const VECTOR3 &ref,
                                       int axis = AIRCTRL_AXIS_AUTO, double delay = 1.0,
                                       UINT anim = (UINT)-1) const;
  void ClearControlSurfaceDefinitions() const;  // the level state of each type is kept
  void SetControlSurfaceLevel(AIRCTRL_TYPE type, double level) const;  // permanent target in [-1, 1]
  void SetControlSurfaceLevel(AIRCTRL_TYPE type, double level, bool direct) const;  // direct: no delay
  double GetControlSurfaceLevel(AIRCTRL_TYPE type) const;  // current level
  bool DelControlSurface(CTRLSURFHANDLE ctrlsurf) const;
  // Which surfaces the user's attitude input moves: bit 0 elevator, 1 rudder, 2 ailerons
  DWORD GetADCtrlMode() const;
  void SetADCtrlMode(DWORD mode) const;
  // drag [m^2 equivalent] read through the pointer every step, times factor, at ref [m]
  void CreateVariableDragElement(const double *drag, double factor, const VECTOR3 &ref) const;

  // --- docking and attachments -----------------------------------------------------------------
  void SetDockParams(const VECTOR3 &pos, const VECTOR3 &dir, const VECTOR3 &rot) const;  // port 0
  // pos [m], dir (approach direction, away from the vessel), rot (longitudinal reference)
  DOCKHANDLE CreateDock(const VECTOR3 &pos, const VECTOR3 &dir, const VECTOR3 &rot) const;
  bool DelDock(DOCKHANDLE hDock) const;
  void ClearDockDefinitions() const;
  void SetDockParams(DOCKHANDLE hDock, const VECTOR3 &pos, const VECTOR3 &dir, const VECTOR3 &rot) const;
  void GetDockParams(DOCKHANDLE hDock, VECTOR3 &pos, VECTOR3 &dir, VECTOR3 &rot) const;
  UINT DockCount() const;
  DOCKHANDLE GetDockHandle(UINT n) const;       // null if out of range
  OBJHANDLE GetDockStatus(DOCKHANDLE hDock) const;  // the docked vessel, or null
  UINT DockingStatus(UINT port) const;           // 1 if a vessel is docked at the port
  bool Undock(UINT n, const OBJHANDLE exclude = 0) const;  // false: nothing was docked
  // pos [m], dir (axis away from the vessel), rot (rotation reference), id (8 characters kept)
  ATTACHMENTHANDLE CreateAttachment(bool toparent, const VECTOR3 &pos, const VECTOR3 &dir, const VECTOR3 &rot,
                                    const char *id, bool loose = false) const;
  DWORD AttachmentCount(bool toparent) const;
  ATTACHMENTHANDLE GetAttachmentHandle(bool toparent, DWORD i) const;  // null if out of range
  OBJHANDLE GetAttachmentStatus(ATTACHMENTHANDLE attachment) const;    // attached vessel or null
  bool AttachChild(OBJHANDLE child, ATTACHMENTHANDLE attachment, ATTACHMENTHANDLE child_attachment) const;
  bool DetachChild(ATTACHMENTHANDLE attachment, double vel = 0.0) const;  // vel [m/s] along the point's dir

  // --- ground contact --------------------------------------------------------------------------
  void SetTouchdownPoints(const TOUCHDOWNVTX *tdvtx, DWORD ntdvtx) const;  // at least 3 points
  void SetTouchdownPoints(const VECTOR3 &pt1, const VECTOR3 &pt2, const VECTOR3 &pt3) const;  // deprecated
  DWORD GetTouchdownPointCount() const;
  bool GetTouchdownPoint(TOUCHDOWNVTX &tdvtx, DWORD idx) const;
  void GetTouchdownPoints(VECTOR3 &pt1, VECTOR3 &pt2, VECTOR3 &pt3) const;  // deprecated: the first three
  // Friction of the three-point form (and of the first three points): longitudinal and lateral
  void SetSurfaceFrictionCoeff(double mu_lng, double mu_lat) const;
  void SetMaxWheelbrakeForce(double f) const;  // [N] shared by the main wheels (points 1 and 2)
  // level 0-1 of the left (which = 1), right (2) or both (0) brakes; permanent, or for this step
  void SetWheelbrakeLevel(double level, int which = 0, bool permanent = true) const;
  double GetWheelbrakeLevel(int which) const;
  void SetNosewheelSteering(bool activate) const;  // the rudder turns the nose wheel (point 0)
  bool GetNosewheelSteering() const;
  double GetCOG_elev() const;       // [m] height of the CG above the touchdown plane
  void SetCOG_elev(double h) const;  // obsolete: the height follows from the touchdown points

  // --- animations ------------------------------------------------------------------------------
  UINT CreateAnimation(double initial_state) const;  // returns the animation identifier
  ANIMATIONCOMPONENT_HANDLE AddAnimationComponent(UINT anim, double state0, double state1,
                                                  MGROUP_TRANSFORM *trans,
                                                  ANIMATIONCOMPONENT_HANDLE parent = NULL) const;
  bool SetAnimation(UINT anim, double state) const;  // false if the identifier is out of range
  double GetAnimation(UINT anim) const;               // current state (-1 if out of range)

  // --- state queries ---------------------------------------------------------------------------
  double GetAltitude() const;                                  // [m] above the mean radius
  double GetAltitude(AltitudeMode mode, int *reslvl = 0);      // [m] mean radius or ground
  double GetPitch() const;                                     // [rad] elevation of +z above the horizon
  double GetBank() const;                                      // [rad] bank angle
  double GetYaw() const;                                       // [rad] heading of +z from north
  double GetAOA() const;                                       // [rad] angle of attack
  double GetSlipAngle() const;                                 // [rad] sideslip angle
  double GetDynPressure() const;                               // [Pa] dynamic pressure
  double GetMachNumber() const;                                // airspeed over speed of sound
  double GetAtmPressure() const;                               // [Pa] ambient pressure
  double GetAtmDensity() const;                                // [kg/m^3] ambient density
  double GetAtmTemperature() const;                            // [K] ambient temperature
  OBJHANDLE GetAtmRef() const;                                 // body whose atmosphere holds the vessel
  double GetAirspeed() const;                                  // [m/s]
  double GetGroundspeed() const;                               // [m/s]
  bool GetGroundspeedVector(REFFRAME frame, VECTOR3 &v) const;  // [m/s] ground-relative velocity
  bool GetAirspeedVector(REFFRAME frame, VECTOR3 &v) const;     // [m/s] air-relative velocity
  bool GetShipAirspeedVector(VECTOR3 &v) const;     // older form: the airspeed vector in vessel axes
  bool GetHorizonAirspeedVector(VECTOR3 &v) const;  // older form: in the horizon frame
  void GetAngularVel(VECTOR3 &avel) const;                     // [rad/s] vessel axes
  void SetAngularVel(const VECTOR3 &avel) const;               // [rad/s] vessel axes
  bool GetWeightVector(VECTOR3 &G) const;                      // [N] gravity force, vessel axes
  bool GetDragVector(VECTOR3 &D) const;                        // [N] drag force, vessel axes
  bool GetLiftVector(VECTOR3 &L) const;                        // [N] lift force, vessel axes
  double GetLift() const;                                      // [N]
  double GetDrag() const;                                      // [N]
  bool GetThrustVector(VECTOR3 &T) const;                      // [N] thrust of the last step, vessel axes
  bool GetForceVector(VECTOR3 &F) const;                       // [N] total force of the last step, vessel axes
  bool GetTorqueVector(VECTOR3 &M) const;                      // [N m] torque of the last step, vessel axes
  void AddForce(const VECTOR3 &F, const VECTOR3 &r) const;     // [N] at r [m], vessel axes, for the next step
  void GetGlobalPos(VECTOR3 &pos) const;                       // [m] global position
  void GetGlobalVel(VECTOR3 &vel) const;                       // [m/s] global velocity
  void GetRelativePos(OBJHANDLE hRef, VECTOR3 &pos) const;     // [m] vessel minus hRef, global axes
  void GetRelativeVel(OBJHANDLE hRef, VECTOR3 &vel) const;     // [m/s] vessel minus hRef, global axes
  void GetGlobalOrientation(VECTOR3 &arot) const;              // [rad] Euler angles of the orientation
  void SetGlobalOrientation(const VECTOR3 &arot) const;        // [rad] Euler angles (alpha, beta, gamma)
  void GetRotationMatrix(MATRIX3 &R) const;                    // vessel -> global rotation
  const OBJHANDLE GetGravityRef() const;                       // dominant gravity source
  const OBJHANDLE GetSurfaceRef() const;                       // body with the nearest surface, or null
  bool GroundContact() const;                                  // a touchdown point touches the ground
  bool GetGroundContact() const;                               // the same as GroundContact
  // [rad, rad, m] position over the surface reference; returns it (null: none, outputs unchanged)
  OBJHANDLE GetEquPos(double &longitude, double &latitude, double &radius) const;
  // Osculating elements about the gravity reference (ecliptic frame, now), which is returned
  OBJHANDLE GetElements(ELEMENTS &el, double &mjd_ref) const;
  // ... about hRef (null: the gravity reference) at mjd_ref (0: now), FRAME_ECL or FRAME_EQU
  bool GetElements(OBJHANDLE hRef, ELEMENTS &el, ORBITPARAM *prm = 0, double mjd_ref = 0,
                   int frame = FRAME_ECL) const;
  OBJHANDLE GetApDist(double &apdist) const;  // [m] from the gravity reference's centre
  OBJHANDLE GetPeDist(double &pedist) const;  // [m]
  OBJHANDLE GetSMi(double &smi) const;        // [m] semi-minor axis
  OBJHANDLE GetArgPer(double &arg) const;     // [rad] argument of the periapsis
  int GetFlightStatus() const;                                 // bit 0: landed
  void Local2Global(const VECTOR3 &local, VECTOR3 &global) const;  // [m] vessel point -> global point
  void Global2Local(const VECTOR3 &global, VECTOR3 &local) const;  // [m] global point -> vessel point
  void HorizonRot(const VECTOR3 &rloc, VECTOR3 &rhorizon) const;     // vessel vector -> horizon vector
  void HorizonInvRot(const VECTOR3 &rhorizon, VECTOR3 &rloc) const;  // horizon vector -> vessel vector

  // --- navigation modes ------------------------------------------------------------------------
  bool ActivateNavmode(int mode);    // false if already on
  bool DeactivateNavmode(int mode);  // false if already off
  bool ToggleNavmode(int mode);
  bool GetNavmodeState(int mode);    // mode on

  // --- scenario state --------------------------------------------------------------------------
  void ParseScenarioLineEx(char *line, void *status) const;  // the core's parser for standard lines
  void DefSetStateEx(const void *status) const;              // apply a VESSELSTATUS2
  void GetStatusEx(void *status) const;                      // fill a VESSELSTATUS2 (version 2)

  // --- input -----------------------------------------------------------------------------------
  int SendBufferedKey(DWORD key, bool down = true, char *kstate = 0);  // a key or module code

  // --- older forms --------------------------------------------------------------------------------
  void CreateVariableDragElement(double *drag, double factor, const VECTOR3 &ref) const;  // obsolete

 protected:
  Vessel *vessel;     // the core's vessel
  short flightmodel;  // flight model requested at creation
  short version;      // interface version (set by each derived constructor)
};

class OAPIFUNC VESSEL2 : public VESSEL {
 public:
  VESSEL2(OBJHANDLE hVessel, int fmodel = 1);
  // Callbacks, in their slot order. Never reorder.
  virtual void clbkSetClassCaps(FILEHANDLE cfg);                 // define the vessel
  virtual void clbkSaveState(FILEHANDLE scn);                    // write scenario lines
  virtual void clbkLoadStateEx(FILEHANDLE scn, void *status);    // read scenario lines
  virtual void clbkSetStateEx(const void *status);               // state of a vessel created at run time
  virtual void clbkPostCreation();                               // all vessels exist
  virtual void clbkFocusChanged(bool getfocus, OBJHANDLE hNewVessel, OBJHANDLE hOldVessel);
  virtual void clbkPreStep(double simt, double simdt, double mjd);   // [s, s, days] before the step
  virtual void clbkPostStep(double simt, double simdt, double mjd);  // [s, s, days] after the step
  virtual bool clbkPlaybackEvent(double simt, double event_t, const char *event_type, const char *event);
  virtual void clbkVisualCreated(VISHANDLE vis, int refcount);
  virtual void clbkVisualDestroyed(VISHANDLE vis, int refcount);
  virtual void clbkDrawHUD(int mode, const HUDPAINTSPEC *hps, HDC hDC);
  virtual void clbkRCSMode(int mode);
  virtual void clbkADCtrlMode(DWORD mode);
  virtual void clbkHUDMode(int mode);
  virtual void clbkMFDMode(int mfd, int mode);
  virtual void clbkNavMode(int mode, bool active);
  virtual void clbkDockEvent(int dock, OBJHANDLE mate);
  virtual void clbkAnimate(double simt);
  virtual int clbkConsumeDirectKey(char *kstate);
#ifdef ARVEX_SDK_LINUX_VARIANT  // the Linux edition's form (modules are compiled against it too)
  virtual int clbkConsumeBufferedKey(int key, bool down, char *kstate);  // 1 consumed
#else
  virtual int clbkConsumeBufferedKey(DWORD key, bool down, char *kstate);  // 1 consumed
#endif
  virtual bool clbkLoadGenericCockpit();
  virtual bool clbkLoadPanel(int id);
  virtual bool clbkPanelMouseEvent(int id, int event, int mx, int my);
  virtual bool clbkPanelRedrawEvent(int id, int event, SURFHANDLE surf);
  virtual bool clbkLoadVC(int id);
  virtual bool clbkVCMouseEvent(int id, int event, VECTOR3 &p);
  virtual bool clbkVCRedrawEvent(int id, int event, SURFHANDLE surf);
};

class OAPIFUNC VESSEL3 : public VESSEL2 {
 public:
  VESSEL3(OBJHANDLE hVessel, int fmodel = 1);
  virtual bool clbkPanelMouseEvent(int id, int event, int mx, int my, void *context);
  virtual bool clbkPanelRedrawEvent(int id, int event, SURFHANDLE surf, void *context);
  virtual int clbkGeneric(int msgid = 0, int prm = 0, void *context = NULL);
  virtual bool clbkLoadPanel2D(int id, PANELHANDLE hPanel, DWORD viewW, DWORD viewH);
  virtual bool clbkDrawHUD(int mode, const HUDPAINTSPEC *hps, oapi::Sketchpad *skp);  // true: drawn
  virtual void clbkRenderHUD(int mode, const HUDPAINTSPEC *hps, SURFHANDLE hDefaultTex);
  virtual void clbkGetRadiationForce(const VECTOR3 &mflux, VECTOR3 &F, VECTOR3 &pos);
  // 2-D panels (called from clbkLoadPanel2D, which only a screen triggers)
  int SetPanelBackground(PANELHANDLE hPanel, SURFHANDLE *hSurf, DWORD nsurf, MESHHANDLE hMesh, DWORD width,
                         DWORD height, DWORD baseline = 0, DWORD scrollflag = 0);
  int SetPanelScaling(PANELHANDLE hPanel, double defscale, double extscale);
  int RegisterPanelMFDGeometry(PANELHANDLE hPanel, int MFD_id, int nmesh, int ngroup);
  int RegisterPanelArea(PANELHANDLE hPanel, int id, const RECT &pos, const RECT &texpos, int draw_event,
                        int mouse_event, int bkmode);
  int RegisterPanelArea(PANELHANDLE hPanel, int id, const RECT &pos, int draw_event, int mouse_event,
                        SURFHANDLE surf = NULL, void *context = NULL);
};

class OAPIFUNC VESSEL4 : public VESSEL3 {
 public:
  VESSEL4(OBJHANDLE hVessel, int fmodel = 1);
  // Called each step while navigation modes are on, with their NAVBIT_* flags; returns the flags
  // of the modes the core is still to fly (the default: all of them)
  virtual int clbkNavProcess(int mode);
  int RegisterMFDMode(const MFDMODESPECEX &spec);  // a vessel-specific display mode
  bool UnregisterMFDMode(int mode);
};

#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

#endif  // VESSELAPI_H
