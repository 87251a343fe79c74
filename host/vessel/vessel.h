// The host's vessel: the object behind a module's VESSEL interface.
//
// Holds the definition (what clbkSetClassCaps declared), the state (what changes every step), the
// derived surface parameters and the last force build, plus the module interface object. The
// VESSEL methods are thin: each checks its handles and arguments here and acts on these records.
// The class lives in the global namespace because the interface headers forward-declare it there.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "OrbiterAPI.h"
#include "VesselAPI.h"
#include "physics/wind_field.h"
#include "vessel/definition.h"
#include "vessel/spawn.h"
#include "vessel/state.h"
#include "vessel/surface.h"
#include "world/object.h"

namespace sim {
class World;
class Module;
struct VesselClass;

// Forces and torques of the last force build, in vessel axes, fixed over the step.
struct ForceBuild {
  VECTOR3 force_V{};   // [N] thrust, aerodynamics, drag elements, control surfaces
  VECTOR3 torque_V{};  // [N m] in the simulator's F x r form
  VECTOR3 thrust_V{};  // [N] thrust alone
  double drag = 0;     // [N] airfoil and drag-element drag (GetDragVector's magnitude)
  double lift = 0;     // [N]
  VECTOR3 lift_V{};    // [N] lift force of the airfoils
  bool thrusting = false;  // any thruster produced thrust
  double mass = 0;     // [kg] mass used for the step
};
}  // namespace sim

class Vessel : public sim::WorldObject {
 public:
  Vessel(sim::World &world, const std::string &name, const sim::VesselClass &cls);
  ~Vessel() override;

  sim::World &world() const { return *world_; }
  const sim::VesselClass &vesselClass() const { return *class_; }
  const std::string &className() const;

  // --- the module interface ---------------------------------------------------------------------
  VESSEL *intf = nullptr;          // returned by ovcInit, or made by the host (no module, or null)
  bool hostOwnsInterface = false;  // the host made intf and deletes it itself
  sim::Module *module = nullptr;
  VESSEL2 *callbacks() const;   // null below interface version 1
  VESSEL3 *callbacks3() const;  // null below interface version 2
  VESSEL4 *callbacks4() const;  // null below interface version 3
  // Name and class as the interface hands them out (stable char buffers).
  char *nameBuffer() { return nameBuf_.data(); }
  char *classBuffer() { return classBuf_.data(); }

  // --- records ----------------------------------------------------------------------------------
  sim::VesselDefinition def;
  // The state, to read. It is written through one of three doors, so that what depends on it is
  // never left stale:
  //  - edit(): a scoped writer of anything, the pose and motion above all; when it goes out of
  //    scope, stateChanged() recomputes the surface parameters and carries attached children;
  //  - writer(): code that runs stateChanged() itself once it is done: the world's step phases
  //    (integration, contact, the landed rule), whose surface phase recomputes every vessel once
  //    the bodies have moved, and the attachment links, which recompute the vessels they move;
  //  - systems(): what does not move the vessel: propellant, thruster and control-surface levels,
  //    animation states, modes, attachment records and the forces added for the next step.
  const sim::VesselState &st = state_;
  sim::SurfaceParams sp;
  sim::ForceBuild fb;
  sim::GustState gust;  // its turbulence filters (wind_field.h)

  // --- mass -------------------------------------------------------------------------------------
  double propellantMass() const;
  double mass() const { return def.emptyMass + propellantMass(); }  // without attached vessels

  // --- handles: issue and check -----------------------------------------------------------------
  // Each *Index returns the record index, or -1 after recording a refusal for `call`.
  PROPELLANT_HANDLE tankHandle(int i) const;
  int tankIndex(PROPELLANT_HANDLE h, const char *call) const;
  THRUSTER_HANDLE thrusterHandle(int i) const;
  int thrusterIndex(THRUSTER_HANDLE h, const char *call) const;
  THGROUP_HANDLE groupHandle(int i) const;
  int groupIndex(THGROUP_HANDLE h, const char *call) const;
  PSTREAM_HANDLE streamHandle(int i) const;
  int streamIndex(PSTREAM_HANDLE h, const char *call) const;
  ATTACHMENTHANDLE attachmentHandle(int i) const;
  int attachmentIndex(ATTACHMENTHANDLE h, const char *call) const;
  AIRFOILHANDLE airfoilHandle(int i) const;
  int airfoilIndex(AIRFOILHANDLE h, const char *call) const;
  CTRLSURFHANDLE controlSurfaceHandle(int i) const;
  int controlSurfaceIndex(CTRLSURFHANDLE h, const char *call) const;
  DOCKHANDLE dockHandle(int i) const;
  int dockIndex(DOCKHANDLE h, const char *call) const;
  // The group in a default slot or user group; -1 if it does not exist.
  int groupOfType(THGROUP_TYPE type) const;

  // --- thrusters and groups ---------------------------------------------------------------------
  void setThrusterLevel(int th, double level);
  void setGroupLevel(int group, double level);
  double groupLevel(int group) const;
  double thrusterMax(int th, double pressure) const;  // [N] at pressure [Pa]
  double thrusterIsp(int th, double pressure) const;  // [m/s] at pressure [Pa]
  double recordedMaxMoment(int group) const;

  // --- writing the state ----------------------------------------------------------------------
  // Access to the state with the pose's own setters; made by edit() or writer().
  class StateWriter {
   public:
    sim::VesselState *operator->() const { return &v_.state_; }
    sim::VesselState &operator*() const { return v_.state_; }
    void setGlobalState(const VECTOR3 &pos_G, const VECTOR3 &vel_G) const;
    // Measures the state from body b from now on (the global state is unchanged).
    void rebase(const sim::CelestialBody *b) const;
    void setAttitude(const MATRIX3 &R_GV) const;
    void setAttitude(const sim::Quat &q) const;

   protected:
    friend class Vessel;
    explicit StateWriter(Vessel &v) : v_(v) {}
    Vessel &v_;
  };
  class StateEdit : public StateWriter {
   public:
    explicit StateEdit(Vessel &v) : StateWriter(v) {}
    ~StateEdit() { v_.stateChanged(); }
    StateEdit(const StateEdit &) = delete;
    StateEdit &operator=(const StateEdit &) = delete;
  };
  StateEdit edit() { return StateEdit(*this); }
  StateWriter writer() { return StateWriter(*this); }
  sim::VesselState &systems() { return state_; }

  // --- pose -------------------------------------------------------------------------------------
  VECTOR3 globalPos() const;  // [m] global position
  VECTOR3 globalVel() const;  // [m/s] global velocity
  // Recomputes what depends on the state: the surface parameters and cached values; repositions
  // attached children. Run by a StateEdit as it ends and by the world's surface phase.
  void stateChanged();
  // Gravity force [N] in vessel axes at the present state (computed once per state).
  VECTOR3 weightVector();
  bool landed() const { return st.status == sim::FlightStatus::Landed; }
  // Leaves the landed state (a force acts): the vessel moves with the surface it rested on.
  void releaseFromGround();

  // --- touchdown points -------------------------------------------------------------------------
  void setTouchdownPoints(const TOUCHDOWNVTX *pts, int n);

  // --- initial state ----------------------------------------------------------------------------
  // Applies a VESSELSTATUS2 (with the host's extensions when the spawn is known).
  void applyStatus(const VESSELSTATUS2 &vs, const sim::VesselSpawn *spawn);
  // Fills a VESSELSTATUS2 (version 2) describing the present state.
  void fillStatus(VESSELSTATUS2 &vs) const;

  // --- refusals and tracing ---------------------------------------------------------------------
  void refuse(const char *call, const std::string &why) const;
  bool refuseNonFinite(const char *call, const char *what) const;  // always false
  // false (and refused) if not finite
  bool finite(const char *call, double v) const { return std::isfinite(v) || refuseNonFinite(call, "non-finite value"); }
  bool finite(const char *call, const VECTOR3 &v) const {
    return sim::isFinite(v) || refuseNonFinite(call, "non-finite vector");
  }
  bool traceEnabled = false;
  std::vector<std::string> trace;  // interface calls, in order, while tracing is on
  void traceCall(const char *name) {
    if (traceEnabled) trace.emplace_back(name);
  }

 private:
  sim::VesselState state_;
  sim::World *world_;
  const sim::VesselClass *class_;
  std::vector<char> nameBuf_, classBuf_;
  bool weightValid_ = false;
  VECTOR3 weight_V_{};
};
