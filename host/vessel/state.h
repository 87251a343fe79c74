// What changes while a vessel flies: its state.
//
// Pose and motion in the global frame, propellant, thruster and control-surface levels, animation
// states, navigation modes, the landed pose and the attachment links. Everything a scenario file
// or a determinism check needs lives here or in the definition; derived quantities (surface
// parameters, the last force build) are recomputed from it.
// Units: m, m/s, rad, rad/s, kg; the attitude quaternion maps vessel axes into global axes.
// Position and velocity are kept relative to a frame body (the gravity reference, re-based when it
// changes), in global axes: near a planet that keeps metre-scale quantities exact to far below a
// millimetre, where absolute positions 1.5e11 m from the Sun would be quantised at 3e-5 m.
#pragma once

#include <array>
#include <cmath>
#include <vector>

#include "OrbiterAPI.h"
#include "world/frames.h"

class Vessel;

namespace sim {

class CelestialBody;

struct ThrusterState {
  double permanent = 0;   // level set by the module (not clamped)
  double override_ = 0;   // transient input of this step (navigation modes)
  double effective = 0;   // clamp(permanent + override, 0, 1) of the last force build
};

struct ControlSurfaceState {
  double permanent = 0;  // target set by the module, [-1, 1]
  double transient = 0;  // transient input (unused by the headless host)
  double current = 0;    // present level, moving towards the target at 1/delay per second
  double delay = 1;      // [s] full travel time from neutral (per type: the last surface created)
};

// Pose of a vessel frozen to the rotating surface of a planet.
struct LandedPose {
  const CelestialBody *body = nullptr;
  VECTOR3 pos_P{};  // [m] position in planet-local axes
  MATRIX3 R_PV{};   // vessel -> planet-local rotation
};

// The link of a child vessel to its parent.
struct ParentLink {
  Vessel *parent = nullptr;
  int parentPoint = -1;  // index into the parent's attachment records
  int ownPoint = -1;     // index into this vessel's attachment records
  MATRIX3 R_PC{};        // child -> parent rotation of the rigid link
  VECTOR3 pos_P{};       // [m] child origin in the parent frame
};

enum class FlightStatus { Flying, Landed };

// Watch over a vessel in ground contact with no thrust, for the landed-state rule: its pose
// relative to the surface, sampled at most every 0.1 s.
struct RestWatch {
  bool sampling = false;  // a sample of the present contact exists
  double sampleTime = 0;  // [s] simulation time of the last sample
  double quietSince = 0;  // [s] start of the present quiet spell
  VECTOR3 pos_P{};        // [m] planet-local position at the last sample
  MATRIX3 R_PV{};         // vessel -> planet-local attitude at the last sample
};

// Where a touchdown point sticks to the ground while static friction holds it.
struct ContactAnchor {
  bool valid = false;
  VECTOR3 pos_P{};  // [m] on the surface, planet-local axes
};

struct VesselState {
  const CelestialBody *frame = nullptr;  // origin of rpos/rvel (null: the global origin)
  VECTOR3 rpos{}, rvel{};  // [m], [m/s] relative to the frame body, global axes
  Quat q;                // vessel -> global attitude
  MATRIX3 R = identity();  // the same attitude as a matrix
  VECTOR3 omega{};       // [rad/s] vessel axes

  FlightStatus status = FlightStatus::Flying;
  LandedPose landed;
  RestWatch rest;        // the landed-state rule's samples
  bool crashed = false;  // a touchdown point was driven a metre into the ground
  std::vector<ContactAnchor> anchors;  // by touchdown point, while in contact

  std::vector<double> tankMass;          // [kg]
  std::vector<ThrusterState> thrusters;  // by thruster index
  std::array<ControlSurfaceState, 6> controls{};  // by AIRCTRL_TYPE
  std::vector<double> animStates;        // by animation identifier

  unsigned navBits = 0;  // NAVBIT_*
  double holdAltitude = 0;  // [m] target of the hold-altitude mode, set when it is switched on
  int rcsMode = RCS_ROT;
  int afcMode = 0;
  std::array<double, 2> wheelbrake{};           // permanent brake levels 0-1, left and right
  std::array<double, 2> wheelbrakeTransient{};  // this step's brake input, left and right
  VECTOR3 addedForce_V{}, addedTorque_V{};       // [N], [N m] AddForce calls for the next step

  ParentLink parentLink;                 // set while attached to a parent
  std::vector<Vessel *> attachedChildren;  // by attachment record (child-side points only)
};

// Whether distances, speeds and rates can be computed from a state: the squared lengths of
// position, velocity and rotation rate are finite (a speed of 1e160 m/s is finite, its square is
// not, nor is any altitude, drag or energy term made from it). The loader refuses a state that is
// not, and a step that leaves one ends the run, so a saved scenario always loads again.
inline bool stateMeasurable(const VesselState &s) {
  return std::isfinite(length2(s.rpos) + length2(s.rvel) + length2(s.omega));
}

// Every number of the pose, motion and propellant finite.
inline bool stateFinite(const VesselState &s) {
  if (!isFinite(s.rpos) || !isFinite(s.rvel) || !isFinite(s.omega)) return false;
  if (!std::isfinite(s.q.w) || !std::isfinite(s.q.x) || !std::isfinite(s.q.y) || !std::isfinite(s.q.z)) return false;
  for (double m : s.tankMass)
    if (!std::isfinite(m)) return false;
  return true;
}

}  // namespace sim
