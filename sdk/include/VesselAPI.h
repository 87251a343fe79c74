// VesselAPI.h: the vessel interface classes VESSEL, VESSEL2 and VESSEL3.
//
// VESSEL is the module's window onto its own vessel in the simulator: non-virtual members that the
// core implements (definition, queries, commands). VESSEL2 adds the callbacks the core makes into
// the module, VESSEL3 the Sketchpad form of the head-up display callback. The slot order of the
// virtual callbacks is part of the interface and must not change.
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
  int Version() const;  // 0 VESSEL, 1 VESSEL2, 2 VESSEL3

  // --- identity -------------------------------------------------------------------------------
  const OBJHANDLE GetHandle() const;  // the vessel's object handle
  char *GetName() const;              // the vessel's name
  char *GetClassName() const;         // the vessel's class name
  int GetFlightModel() const;         // 0 simple, 1 realistic

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

  // --- propellant ------------------------------------------------------------------------------
  // [kg] capacity, [kg] initial mass (< 0: full), efficiency factor of the fuel flow
  PROPELLANT_HANDLE CreatePropellantResource(double maxmass, double mass = -1.0, double efficiency = 1.0) const;
  PROPELLANT_HANDLE GetPropellantHandleByIndex(DWORD idx) const;  // null if out of range
  DWORD GetPropellantCount() const;
  double GetPropellantMass(PROPELLANT_HANDLE ph) const;            // [kg]
  void SetPropellantMass(PROPELLANT_HANDLE ph, double mass) const;  // [kg], not clamped
  double GetPropellantMaxMass(PROPELLANT_HANDLE ph) const;         // [kg]

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

  // --- exhaust and particle streams (visual) ---------------------------------------------------
  UINT AddExhaust(THRUSTER_HANDLE th, double lscale, double wscale, SURFHANDLE tex = 0) const;
  UINT AddExhaust(THRUSTER_HANDLE th, double lscale, double wscale, double lofs, SURFHANDLE tex = 0) const;
  UINT AddExhaust(THRUSTER_HANDLE th, double lscale, double wscale, const VECTOR3 &pos, const VECTOR3 &dir,
                  SURFHANDLE tex = 0) const;  // dir: flame direction (against the thrust)
  UINT AddExhaust(EXHAUSTSPEC *spec);
  PSTREAM_HANDLE AddExhaustStream(THRUSTER_HANDLE th, PARTICLESTREAMSPEC *pss = 0) const;
  PSTREAM_HANDLE AddExhaustStream(THRUSTER_HANDLE th, const VECTOR3 &pos, PARTICLESTREAMSPEC *pss = 0) const;
  bool DelExhaustStream(PSTREAM_HANDLE ch) const;  // false for an unknown handle

  // --- meshes, camera --------------------------------------------------------------------------
  UINT AddMesh(const char *meshname, const VECTOR3 *ofs = 0) const;  // name relative to Meshes/, no ".msh"
  void SetMeshVisibilityMode(UINT idx, WORD mode) const;             // MESHVIS_*
  void SetCameraOffset(const VECTOR3 &co) const;                     // [m] cockpit camera position
  void SetCameraDefaultDirection(const VECTOR3 &cd) const;           // unit default view direction
  void SetCameraDefaultDirection(const VECTOR3 &cd, double tilt) const;  // tilt [rad] about cd
  void SetCameraRotationRange(double left, double right, double up, double down) const;  // [rad]

  // --- aerodynamics ----------------------------------------------------------------------------
  // ref [m] centre of pressure, c [m] chord, S [m^2] wing area (0: projected cross-section), A aspect
  void CreateAirfoil(AIRFOIL_ORIENTATION align, const VECTOR3 &ref, AirfoilCoeffFunc cf, double c, double S,
                     double A) const;
  AIRFOILHANDLE CreateAirfoil3(AIRFOIL_ORIENTATION align, const VECTOR3 &ref, AirfoilCoeffFuncEx cf,
                               void *context, double c, double S, double A) const;
  // area [m^2], dCl lift-coefficient slope, ref [m], delay [s] for full travel from neutral
  CTRLSURFHANDLE CreateControlSurface3(AIRCTRL_TYPE type, double area, double dCl, const VECTOR3 &ref,
                                       int axis = AIRCTRL_AXIS_AUTO, double delay = 1.0,
                                       UINT anim = (UINT)-1) const;
  void ClearControlSurfaceDefinitions() const;  // the level state of each type is kept
  void SetControlSurfaceLevel(AIRCTRL_TYPE type, double level) const;  // permanent target in [-1, 1]
  void SetControlSurfaceLevel(AIRCTRL_TYPE type, double level, bool direct) const;  // direct: no delay
  double GetControlSurfaceLevel(AIRCTRL_TYPE type) const;  // current level
  // drag [m^2 equivalent] read through the pointer every step, times factor, at ref [m]
  void CreateVariableDragElement(const double *drag, double factor, const VECTOR3 &ref) const;
  void CreateVariableDragElement(double *drag, double factor, const VECTOR3 &ref) const;  // deprecated

  // --- docking and attachments -----------------------------------------------------------------
  void SetDockParams(const VECTOR3 &pos, const VECTOR3 &dir, const VECTOR3 &rot) const;  // port 0
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
  double GetAirspeed() const;                                  // [m/s]
  double GetGroundspeed() const;                               // [m/s]
  bool GetGroundspeedVector(REFFRAME frame, VECTOR3 &v) const;  // [m/s] ground-relative velocity
  bool GetAirspeedVector(REFFRAME frame, VECTOR3 &v) const;     // [m/s] air-relative velocity
  void GetAngularVel(VECTOR3 &avel) const;                     // [rad/s] vessel axes
  void SetAngularVel(const VECTOR3 &avel) const;               // [rad/s] vessel axes
  bool GetWeightVector(VECTOR3 &G) const;                      // [N] gravity force, vessel axes
  bool GetDragVector(VECTOR3 &D) const;                        // [N] drag force, vessel axes
  bool GetLiftVector(VECTOR3 &L) const;                        // [N] lift force, vessel axes
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
};

#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

#endif  // VESSELAPI_H
