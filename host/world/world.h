// The simulated world: clock, celestial bodies, surface bases, vessels, input and the step loop.
//
// One step of length dt, in this order:
//   1. buffered keys, codes and input-box answers for the focus vessel; then the core controls
//      (scripted control events, held keys: physics/core_controls.h)
//   2. clbkPreStep(t0, dt, mjd0) for every vessel
//   3. force build for every free vessel: navigation modes, thrust and propellant flow,
//      control-surface motion, aerodynamics (forces in vessel axes, fixed for the step)
//   4. integration: fixed-step RK4 in free flight; short leapfrog sub-steps while touchdown
//      points are in ground contact; gravity of every body at every stage
//   5. attached children follow their parents; landed vessels ride on the rotating surface
//   6. surface parameters, the landed-state check
//   7. clbkPostStep(t1, dt, mjd1) for every vessel
// Time is the integer step count times dt, so it never drifts. There is one world at a time; the
// simulator's free functions (oapi...) reach it through World::current().
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "OrbiterAPI.h"
#include "physics/core_controls.h"
#include "physics/wind_field.h"
#include "world/body.h"
#include "world/diagnostics.h"

class Vessel;
class VESSEL;

namespace sim {

class ModuleRegistry;
class ClassRegistry;
class MeshLibrary;
class ScenarioDocument;
struct VesselSpawn;

struct WorldSettings {
  std::filesystem::path dataRoot;    // holds Config/, Meshes/, Scenarios/
  std::filesystem::path modulesDir;  // holds the vessel modules NAME.so
  double dt = 0.02;                  // [s] fixed step length
  int flightModel = 1;               // 0 simple, 1 realistic
  bool loadSolarSystem = true;       // read the bodies and bases from Config/
  // Add-on folders, searched first for vessel classes (Config/Vessels/), meshes (Meshes/) and
  // modules (Modules/)
  std::vector<std::filesystem::path> addonRoots;
};

// A constant horizontal wind, as a weather report gives it.
struct WindSpec {
  double speed = 0;    // [m/s]
  double fromDir = 0;  // [rad] direction it blows from, clockwise from north
  // Wind velocity in horizon axes (x east, y up, z north).
  VECTOR3 horizon() const { return _V(-speed * std::sin(fromDir), 0.0, -speed * std::cos(fromDir)); }
};

// A pending input box and the answers queued for input boxes.
struct InputBoxRequest {
  std::string title;
  bool (*callback)(void *, char *, void *) = nullptr;
  void *userData = nullptr;
  Vessel *owner = nullptr;
};

// A buffered key event or a module code for the focus vessel.
struct KeyEvent {
  double time = 0;     // [s] delivered at the first step starting at or after it
  DWORD key = 0;       // scan code, or a module code
  bool down = true;
  bool isCode = false;  // a module code: kstate carries text (or zeros) instead of modifiers
  std::string text;     // text handed with a code
  std::vector<DWORD> modifiers;  // scan codes held during the event
};

// Watches the modules' pre-step callbacks from outside the physics.
class PreStepObserver {
 public:
  virtual ~PreStepObserver() = default;
  virtual void begin(const Vessel &v) = 0;
  virtual void end(const Vessel &v) = 0;
};

class World {
 public:
  explicit World(WorldSettings settings);
  ~World();
  World(const World &) = delete;
  World &operator=(const World &) = delete;

  // The world the oapi functions act on (null if none exists): the newest one, and again each
  // world whose entry points (step, keys, vessel creation and deletion, scenario files) run.
  static World *current();
  void makeCurrent();

  const WorldSettings &settings() const { return settings_; }

  // --- time -------------------------------------------------------------------------------------
  double dt() const { return settings_.dt; }
  long long stepCount() const { return step_; }
  double simTime() const { return static_cast<double>(step_) * settings_.dt; }  // [s] start of the step
  double startMjd() const { return startMjd_; }
  double mjd() const { return startMjd_ + simTime() / 86400.0; }
  void setStartMjd(double mjd);
  bool inStep() const { return inStep_; }

  // --- bodies and bases -------------------------------------------------------------------------
  CelestialBody &addBody(std::unique_ptr<CelestialBody> body);
  SurfaceBase &addBase(std::unique_ptr<SurfaceBase> base);
  // Derives mean motions and spheres of influence once all bodies exist.
  void finishBodies();
  CelestialBody *findBody(std::string_view name) const;  // case-insensitive
  SurfaceBase *findBase(const CelestialBody *planet, std::string_view name) const;  // case-insensitive
  const std::vector<std::unique_ptr<CelestialBody>> &bodies() const { return bodies_; }
  const std::vector<std::unique_ptr<SurfaceBase>> &bases() const { return bases_; }
  // Bodies' kinematics now (start of the step, or end of the step once integrated).
  const std::vector<BodyKinematics> &bodiesNow() const { return bodiesNow_; }
  // Bodies' kinematics at time t (used by the integrator's stages).
  void bodiesAt(double t, std::vector<BodyKinematics> &out) const;
  // Gravitational acceleration [m/s^2] at pos_G for body kinematics k: point masses outside each
  // body, a homogeneous sphere's field inside its mean radius (bounded, zero at the centre).
  VECTOR3 gravityAt(const VECTOR3 &pos_G, const std::vector<BodyKinematics> &k) const;
  // Acceleration [m/s^2] of a point at r relative to frame body F (global axes) with respect to F:
  // the gravity of every body less F's own acceleration; exact for F's own term.
  VECTOR3 gravityRel(const CelestialBody *F, const VECTOR3 &r, const std::vector<BodyKinematics> &k) const;
  // Dominant gravity source (sphere of influence) and nearest surface at pos_G.
  const CelestialBody *gravityRefAt(const VECTOR3 &pos_G) const;
  const CelestialBody *surfaceRefAt(const VECTOR3 &pos_G) const;

  // --- vessels ----------------------------------------------------------------------------------
  // A vessel created at run time: clbkSetClassCaps, clbkSetStateEx(status), clbkPostCreation.
  Vessel &createVessel(const std::string &name, const std::string &className, const VESSELSTATUS2 &status);
  // A vessel created from an extended spawn description (tests, scenario extension lines).
  Vessel &createVessel(const std::string &name, const std::string &className, const VesselSpawn &spawn);
  void deleteVessel(Vessel &v);
  Vessel *findVessel(std::string_view name) const;  // case-insensitive
  const std::vector<std::unique_ptr<Vessel>> &vessels() const { return vessels_; }
  Vessel *focus() const { return focus_; }
  void setFocus(Vessel *v) { focus_ = v; }

  // --- objects and handles ----------------------------------------------------------------------
  WorldObject *object(OBJHANDLE h) const;  // null for a null, foreign or stale handle
  Vessel *vesselOf(OBJHANDLE h) const;
  CelestialBody *bodyOf(OBJHANDLE h) const;
  SurfaceBase *baseOf(OBJHANDLE h) const;
  // Global position and velocity of any object; a vessel's relative to another object, computed
  // from the vessel's body-relative state where the two share a frame body.
  VECTOR3 globalPos(const WorldObject &o) const;
  VECTOR3 globalVel(const WorldObject &o) const;
  VECTOR3 relativePos(const Vessel &v, const WorldObject &o) const;
  VECTOR3 relativeVel(const Vessel &v, const WorldObject &o) const;
  // Any object by name: vessels first, then celestial bodies (never bases), case-insensitive.
  WorldObject *findObject(std::string_view name) const;

  // --- services ---------------------------------------------------------------------------------
  ClassRegistry &classes() { return *classes_; }
  ModuleRegistry &modules() { return *modules_; }
  MeshLibrary &meshes() { return *meshes_; }
  Diagnostics &diagnostics() { return diag_; }
  const Diagnostics &diagnostics() const { return diag_; }

  // --- scenario files ---------------------------------------------------------------------------
  // `edit`, when given, may change the document after reading and before any vessel is made.
  void loadScenario(const std::filesystem::path &file, const std::function<void(ScenarioDocument &)> &edit = {});
  void saveScenario(const std::filesystem::path &file);  // written to a temporary file, then renamed
  std::string scenarioText();                            // the scenario as saveScenario writes it
  ScenarioDocument *scenario() { return scenario_.get(); }

  // --- stepping ---------------------------------------------------------------------------------
  void step();
  // Told before and after every module's clbkPreStep (a benchmark times them); null: no one.
  PreStepObserver *preStepObserver = nullptr;
  // Observer called after every step (logging, progress); may be empty.
  std::function<void(World &)> afterStep;

  // --- input ------------------------------------------------------------------------------------
  void queueKey(KeyEvent e);  // kept in time order, stable for equal times
  void queueInputAnswer(std::string text) { inputAnswers_.push_back(std::move(text)); }
  void openInputBox(InputBoxRequest req) { inputBoxes_.push_back(std::move(req)); }
  // Delivers a key (or a module code) to v now; returns the callback's result.
  int deliverKey(Vessel &v, DWORD key, bool down, char *kstate);

  WindSpec wind;
  CoreControls controls;  // the simulator's core controls of the focus vessel
  WindField windField;  // a profile and turbulence, when given (physics/wind_field.h)

  // The camera as oapiCameraAttach left it.
  struct Camera {
    OBJHANDLE target = nullptr;
    bool external = false;
  } camera;

  // Registered textures (any name is known: the headless host draws no pictures).
  SURFHANDLE registerTexture(const std::string &name);

 private:
  friend class ScenarioLoader;
  void registerObject(WorldObject &obj);
  void unregisterObject(WorldObject &obj);
  Vessel &makeVessel(const std::string &name, const std::string &className);
  void deliverEvents();
  void deliverInputBoxes();
  void updateBodies(double t);

  // The phases of step(), in the order of the list above.
  struct StepEntry {
    Vessel *vessel;
    unsigned serial;  // tells a vessel deleted during the step from one created at its address
  };
  void snapshotVessels();
  bool stillExists(const StepEntry &e) const;
  void dropDeletedVessels();
  void callPreStep(double t0, double dt, double mjd0);
  void integrateFreeVessels(double t0, double dt);
  void advanceBodies();
  void updateSurfaces();
  void checkStates() const;
  void callPostStep(double t1, double dt, double mjd1);

  WorldSettings settings_;
  long long step_ = 0;
  double startMjd_ = 51544.5;
  bool inStep_ = false;

  std::vector<std::unique_ptr<CelestialBody>> bodies_;
  std::vector<std::unique_ptr<SurfaceBase>> bases_;
  std::vector<std::unique_ptr<Vessel>> vessels_;
  std::vector<WorldObject *> objects_;  // by serial; null when deleted
  Vessel *focus_ = nullptr;

  std::unique_ptr<ClassRegistry> classes_;
  std::unique_ptr<ModuleRegistry> modules_;
  std::unique_ptr<MeshLibrary> meshes_;
  std::unique_ptr<ScenarioDocument> scenario_;
  Diagnostics diag_;

  std::vector<KeyEvent> events_;
  size_t nextEvent_ = 0;
  std::vector<std::string> inputAnswers_;
  size_t nextAnswer_ = 0;
  std::vector<InputBoxRequest> inputBoxes_;
  std::vector<std::string> textures_;

  std::vector<BodyKinematics> bodiesNow_;
  std::vector<StepEntry> stepList_;  // scratch: the vessels of the current step
  std::vector<BodyKinematics> stageBodies_[3];  // scratch: bodies at t0, t0 + dt/2, t0 + dt
};

// The object behind h in the current world; null if there is no world, or if h names no object
// there (then refused as `call`, for the simulator's free functions and add-on calls alike).
WorldObject *objectOrRefuse(OBJHANDLE h, const char *call);

}  // namespace sim
