// What a vessel's clbkSetClassCaps (or its class file) declares: the vessel's definition.
//
// Kept apart from the state that changes every step (state.h), so that saving, loading, replay
// and determinism only ever deal with the state. Records are never erased while the vessel lives:
// a deleted thruster or stream is marked, so that indices (and the handles built from them) stay
// unique and a stale handle is recognised.
// Frames and units: vessel frame, m, kg, N, m/s (Isp), Pa.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "OrbiterAPI.h"

namespace sim {

struct TankDef {
  double maxMass = 0;     // [kg] capacity
  double efficiency = 1;  // fuel-flow efficiency factor
};

struct ThrusterDef {
  VECTOR3 pos{};      // [m] point of application
  VECTOR3 dir{};      // unit thrust direction
  double maxth0 = 0;  // [N] vacuum thrust
  double isp0 = 0;    // [m/s] vacuum specific impulse
  double eta = 0;     // [1/Pa] pressure factor: thrust and Isp scale by max(0, 1 - p eta)
  int tank = -1;      // index of the feeding tank, -1 none
  bool deleted = false;
};

// Thruster groups: slots 0..THGROUP_USER-1 are the fixed default types, user groups follow.
constexpr int kDefaultGroupSlots = 15;
struct GroupDef {
  THGROUP_TYPE type = THGROUP_USER;
  std::vector<int> members;  // thruster indices
  double maxMoment = 0;      // [N m] |sum F_max dir x r| recorded at creation (rotation groups)
  bool exists = false;       // a user group that was deleted, or an empty default slot, is false
};

struct ExhaustDef {  // visual only
  int thruster = -1;
  double lscale = 0, wscale = 0, lofs = 0;
  bool explicitPose = false;
  VECTOR3 pos{}, dir{};  // [m], flame direction (against the thrust)
  SURFHANDLE tex = nullptr;
};

struct StreamDef {  // visual only
  int thruster = -1;
  bool explicitPos = false;
  VECTOR3 pos{};
  PARTICLESTREAMSPEC spec{};
  bool deleted = false;
};

struct MeshRef {
  std::string name;  // relative to Meshes/, without ".msh"
  VECTOR3 offset{};  // [m]
  WORD visibility = MESHVIS_EXTERNAL;
};

struct AirfoilDef {
  AIRFOIL_ORIENTATION align = LIFT_VERTICAL;
  VECTOR3 ref{};                     // [m] centre of pressure
  AirfoilCoeffFunc cf = nullptr;     // CreateAirfoil form
  AirfoilCoeffFuncEx cfx = nullptr;  // CreateAirfoil3 form
  void *context = nullptr;
  double chord = 0;  // [m]
  double area = 0;   // [m^2], 0: projected cross-section
  double aspect = 0; // stored, not used by the force model
  bool deleted = false;
};

struct ControlSurfaceDef {
  AIRCTRL_TYPE type = AIRCTRL_ELEVATOR;
  double area = 0;  // [m^2]
  double dCl = 0;   // lift coefficient slope
  VECTOR3 ref{};    // [m]
  int axis = AIRCTRL_AXIS_XPOS;  // resolved axis (never AUTO)
  UINT anim = (UINT)-1;
  bool deleted = false;
};

struct DragElementDef {
  const double *drag = nullptr;  // read every step
  double factor = 0;
  VECTOR3 ref{};  // [m]
};

// The legacy aerodynamic model, used while a vessel has no airfoil.
struct LegacyAeroDef {
  double cwZPos = 0.1, cwZNeg = 0.3, cwX = 0.3, cwY = 0.3;  // drag coefficients
  LiftCoeffFunc lift = nullptr;
  double wingAspect = 1.0, wingEffectiveness = 2.8;
  double pitchMomentScale = 0, yawMomentScale = 0, trimScale = 0;
};

struct TouchdownDef {
  std::vector<TOUCHDOWNVTX> points;
  VECTOR3 up_V{{0, 1, 0}};  // unit normal of the plane of the first three points (upwards)
};

struct AttachmentDef {
  bool toParent = false;  // a point by which this vessel hangs from a parent
  VECTOR3 pos{}, dir{}, rot{};
  char id[9] = {};
  bool loose = false;
};

struct DockDef {
  VECTOR3 pos{}, dir{}, rot{};
  bool deleted = false;
};

// Wheels: the friction the three-point touchdown form takes, the main-wheel brakes and the
// steerable nose wheel (touchdown points 1, 2 and 0).
struct GroundDef {
  double muLng = 0.1, muLat = 0.5;  // longitudinal and lateral friction coefficients
  double maxWheelbrakeForce = 0;    // [N] of both main-wheel brakes together
  bool nosewheelSteering = false;
};

// What only a renderer uses; recorded, never drawn.
struct VisualDef {
  SURFHANDLE reentryTexture = nullptr;
  double reentryLimit = 6e7, reentryLscale = 1, reentryWscale = 1;  // [Pa m/s], scales
  VECTOR3 albedo{{1, 1, 1}};
  double visibilityLimit = 0, spotLimit = -1, clipRadius = 0;
  bool enableFocus = true;
  std::vector<BEACONLIGHTSPEC *> beacons;  // owned by the module
};

struct CameraDef {
  VECTOR3 offset{{0, 0, 0}};
  VECTOR3 defaultDir{{0, 0, 1}};
  double tilt = 0;
  double rotLeft = 0.8 * PI, rotRight = 0.8 * PI, rotUp = 0.4 * PI, rotDown = 0.4 * PI;
};

// One animation component as the module handed it over. The transform object belongs to the
// module; the host only reads it.
struct AnimComponentRecord {
  ANIMATIONCOMP comp{};                   // the SDK record a component handle points at
  std::vector<ANIMATIONCOMP *> children;  // backing store of comp.children
  UINT animation = 0;
};

struct AnimationDef {
  double defState = 0;  // state at which the meshes are modelled
  std::vector<AnimComponentRecord *> components;
};

struct VesselDefinition {
  // Mass properties and shape
  double size = 10;       // [m] mean radius
  double emptyMass = 1000;  // [kg]
  VECTOR3 pmi{{1, 1, 1}};  // [m^2] mass-normalised principal moments of inertia
  VECTOR3 crossSections{{20, 20, 20}};  // [m^2]
  VECTOR3 rotDrag{{0.01, 0.01, 0.01}};
  LegacyAeroDef legacy;

  std::vector<TankDef> tanks;
  int defaultTank = -1;  // tank of the older fuel calls; -1: the first tank
  std::vector<ThrusterDef> thrusters;
  std::vector<GroupDef> groups = std::vector<GroupDef>(kDefaultGroupSlots);
  std::vector<ExhaustDef> exhausts;
  std::vector<StreamDef> streams;
  std::vector<MeshRef> meshes;
  std::vector<AirfoilDef> airfoils;
  std::vector<ControlSurfaceDef> controlSurfaces;
  std::vector<DragElementDef> dragElements;
  TouchdownDef touchdown;
  GroundDef ground;
  VisualDef visual;
  std::vector<AttachmentDef> attachments;  // both lists, in creation order
  std::vector<DockDef> docks;
  CameraDef camera;
  std::vector<AnimationDef> animations;
  std::vector<std::unique_ptr<AnimComponentRecord>> animComponents;
};

}  // namespace sim
