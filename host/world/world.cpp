// The world: bodies and their gravity, object registry and the step loop (see world.h).
//
// Gravity: the sum of point masses, -mu_b (x - x_b) / |x - x_b|^3 over every body. Relative to a
// frame body F the frame's own analytic acceleration is subtracted, and F's own term is computed
// from the relative position directly, so nothing of the heliocentric magnitudes is lost.
// Gravity reference: the deepest body whose sphere of influence a_orbit (m / M_parent)^(2/5)
// holds the point. Surface reference: the body whose mean surface is nearest.
#include "world/world.h"

#include <algorithm>
#include <cstring>

#include "anim/mesh_library.h"
#include "loader/module.h"
#include "loader/vessel_class.h"
#include "physics/attachments.h"
#include "physics/contact.h"
#include "physics/forces.h"
#include "physics/integrator.h"
#include "scenario/document.h"
#include "vessel/placement.h"
#include "vessel/vessel.h"
#include "world/errors.h"
#include "world/handles.h"
#include "world/solar_system.h"
#include "world/text.h"

namespace sim {
namespace {
World *g_current = nullptr;
}

World *World::current() { return g_current; }
void World::makeCurrent() { g_current = this; }

World::World(WorldSettings settings) : settings_(std::move(settings)) {
  if (!(settings_.dt > 0) || !std::isfinite(settings_.dt)) throw InputError("step length must be positive");
  objects_.push_back(nullptr);  // serial 0 is never issued
  classes_ = std::make_unique<ClassRegistry>(settings_.dataRoot);
  modules_ = std::make_unique<ModuleRegistry>(settings_.modulesDir);
  meshes_ = std::make_unique<MeshLibrary>(settings_.dataRoot / "Meshes", diag_);
  for (const std::filesystem::path &a : settings_.addonRoots) {
    classes_->addRoot(a);
    modules_->addDir(a / "Modules");
    meshes_->addDir(a / "Meshes");
  }
  g_current = this;
  if (settings_.loadSolarSystem) {
    try {
      loadSolarSystem(*this, settings_.dataRoot / "Config");
    } catch (...) {
      g_current = nullptr;
      throw;
    }
  }
}

World::~World() {
  // Modules delete their vessels in creation order; then the modules are unloaded.
  while (!vessels_.empty()) deleteVessel(*vessels_.front());
  scenario_.reset();
  modules_.reset();
  if (g_current == this) g_current = nullptr;
}

void World::setStartMjd(double mjd) {
  startMjd_ = mjd;
  for (auto &b : bodies_) b->setStartMjd(mjd);
  updateBodies(simTime());
  for (auto &v : vessels_) v->stateChanged();
}

// --- bodies ----------------------------------------------------------------------------------------

CelestialBody &World::addBody(std::unique_ptr<CelestialBody> body) {
  CelestialBody &b = *body;
  b.index = static_cast<int>(bodies_.size());
  registerObject(b);
  bodies_.push_back(std::move(body));
  return b;
}

SurfaceBase &World::addBase(std::unique_ptr<SurfaceBase> base) {
  SurfaceBase &b = *base;
  registerObject(b);
  bases_.push_back(std::move(base));
  return b;
}

void World::finishBodies() {
  for (auto &bp : bodies_) {
    CelestialBody &b = *bp;
    if (!b.parent) {
      b.soiRadius = 0;
      continue;
    }
    bool isMoon = b.parent->parent != nullptr;
    double centralMass = b.parent->mass + b.mass;  // a moon about its planet, a planet's system about its star
    if (!isMoon)
      for (const CelestialBody *m : b.moons) centralMass += m->mass;
    double a = b.orbit.radius;
    b.orbit.meanMotion = a > 0 ? std::sqrt(GGRAV * centralMass / (a * a * a)) : 0.0;
    b.soiRadius = a * std::pow(b.mass / b.parent->mass, 0.4);
  }
  for (auto &b : bodies_) b->setStartMjd(startMjd_);
  updateBodies(simTime());
}

void World::updateBodies(double t) {
  // Stars first (they carry their planets), then planets, then moons.
  for (int depth = 0; depth < 3; depth++)
    for (auto &b : bodies_) {
      int d = b->parent ? (b->parent->parent ? 2 : 1) : 0;
      if (d == depth) b->setNow(t);
    }
  bodiesNow_.resize(bodies_.size());
  for (size_t i = 0; i < bodies_.size(); i++) bodiesNow_[i] = bodies_[i]->now();
}

void World::bodiesAt(double t, std::vector<BodyKinematics> &out) const {
  out.resize(bodies_.size());
  for (size_t i = 0; i < bodies_.size(); i++) out[i] = bodies_[i]->kinematicsAt(t);
}

CelestialBody *World::findBody(std::string_view name) const {
  for (const auto &b : bodies_)
    if (equalsNoCase(b->name(), name)) return b.get();
  return nullptr;
}

SurfaceBase *World::findBase(const CelestialBody *planet, std::string_view name) const {
  for (const auto &b : bases_)
    if (b->planet == planet && equalsNoCase(b->name(), name)) return b.get();
  return nullptr;
}

namespace {
// The pull of a body per metre of offset d from its centre [1/s^2]: g = -d mu / |d|^3 outside it;
// inside its mean radius R the field of a homogeneous sphere, -d mu / R^3, which falls to zero at
// the centre. (A vessel a scenario places inside a body would otherwise feel mu / r^2 without bound:
// 1e20 m/s^2 a metre from the Sun's centre.)
double pullPerMetre(const CelestialBody &b, double r2) {
  double r3 = std::max(r2 * std::sqrt(r2), b.meanRadius * b.meanRadius * b.meanRadius);
  return r3 > 0 ? b.mu() / r3 : 0.0;
}
}  // namespace

VECTOR3 World::gravityAt(const VECTOR3 &pos_G, const std::vector<BodyKinematics> &k) const {
  VECTOR3 g = _V(0, 0, 0);
  for (size_t i = 0; i < bodies_.size(); i++) {
    VECTOR3 d = pos_G - k[i].pos;
    g -= d * pullPerMetre(*bodies_[i], length2(d));
  }
  return g;
}

VECTOR3 World::gravityRel(const CelestialBody *F, const VECTOR3 &r, const std::vector<BodyKinematics> &k) const {
  if (!F) return gravityAt(r, k);
  VECTOR3 g = -k[F->index].acc;
  for (size_t i = 0; i < bodies_.size(); i++) {
    VECTOR3 d = static_cast<int>(i) == F->index ? r : (k[F->index].pos - k[i].pos) + r;
    g -= d * pullPerMetre(*bodies_[i], length2(d));
  }
  return g;
}

const CelestialBody *World::gravityRefAt(const VECTOR3 &pos_G) const {
  const CelestialBody *best = nullptr;
  double bestAcc = -1;
  for (const auto &b : bodies_)  // the root: the strongest pull among bodies without a parent
    if (!b->parent) {
      double acc = b->mu() / std::max(1.0, length2(pos_G - b->now().pos));
      if (acc > bestAcc) best = b.get(), bestAcc = acc;
    }
  for (bool descended = true; best && descended;) {
    descended = false;
    for (const auto &b : bodies_)
      if (b->parent == best && length(pos_G - b->now().pos) < b->soiRadius) {
        best = b.get();
        descended = true;
        break;
      }
  }
  return best;
}

const CelestialBody *World::surfaceRefAt(const VECTOR3 &pos_G) const {
  const CelestialBody *best = nullptr;
  double bestDist = 0;
  for (const auto &b : bodies_) {
    double d = length(pos_G - b->now().pos) - b->meanRadius;
    if (!best || d < bestDist) best = b.get(), bestDist = d;
  }
  return best;
}

// --- objects ---------------------------------------------------------------------------------------

void World::registerObject(WorldObject &obj) {
  obj.serial_ = static_cast<unsigned>(objects_.size());
  obj.handle_ = makeHandle(HandleKind::Object, 0, obj.serial_);
  objects_.push_back(&obj);
}

void World::unregisterObject(WorldObject &obj) {
  if (obj.serial_ < objects_.size()) objects_[obj.serial_] = nullptr;
}

WorldObject *World::object(OBJHANDLE h) const {
  DecodedHandle d;
  if (!decodeHandle(h, HandleKind::Object, d) || d.owner != 0 || d.index >= objects_.size()) return nullptr;
  return objects_[d.index];
}

Vessel *World::vesselOf(OBJHANDLE h) const {
  WorldObject *o = object(h);
  return o && o->objectType() == OBJTP_VESSEL ? static_cast<Vessel *>(o) : nullptr;
}

CelestialBody *World::bodyOf(OBJHANDLE h) const {
  WorldObject *o = object(h);
  return o && (o->objectType() == OBJTP_PLANET || o->objectType() == OBJTP_STAR) ? static_cast<CelestialBody *>(o)
                                                                                 : nullptr;
}

SurfaceBase *World::baseOf(OBJHANDLE h) const {
  WorldObject *o = object(h);
  return o && o->objectType() == OBJTP_SURFBASE ? static_cast<SurfaceBase *>(o) : nullptr;
}

WorldObject *World::findObject(std::string_view name) const {
  if (Vessel *v = findVessel(name)) return v;
  return findBody(name);
}

Vessel *World::findVessel(std::string_view name) const {
  for (const auto &v : vessels_)
    if (equalsNoCase(v->name(), name)) return v.get();
  return nullptr;
}

VECTOR3 World::globalPos(const WorldObject &o) const {
  switch (o.objectType()) {
    case OBJTP_VESSEL:
      return static_cast<const Vessel &>(o).globalPos();
    case OBJTP_SURFBASE: {
      const SurfaceBase &b = static_cast<const SurfaceBase &>(o);
      const BodyKinematics &k = b.planet->now();
      return k.pos + mul(k.R_GP, b.pos_P);
    }
    default:
      return static_cast<const CelestialBody &>(o).now().pos;
  }
}

VECTOR3 World::globalVel(const WorldObject &o) const {
  switch (o.objectType()) {
    case OBJTP_VESSEL:
      return static_cast<const Vessel &>(o).globalVel();
    case OBJTP_SURFBASE: {
      const SurfaceBase &b = static_cast<const SurfaceBase &>(o);
      const BodyKinematics &k = b.planet->now();
      const VECTOR3 &p = b.pos_P;
      double w = b.planet->rotationRate();
      return k.vel + mul(k.R_GP, _V(-w * p.z, 0, w * p.x));
    }
    default:
      return static_cast<const CelestialBody &>(o).now().vel;
  }
}

VECTOR3 World::relativePos(const Vessel &v, const WorldObject &o) const {
  if (&o == v.st.frame) return v.st.rpos;
  if (o.objectType() == OBJTP_VESSEL && static_cast<const Vessel &>(o).st.frame == v.st.frame)
    return v.st.rpos - static_cast<const Vessel &>(o).st.rpos;
  if (o.objectType() == OBJTP_SURFBASE && static_cast<const SurfaceBase &>(o).planet == v.st.frame) {
    const SurfaceBase &b = static_cast<const SurfaceBase &>(o);
    return v.st.rpos - mul(b.planet->now().R_GP, b.pos_P);
  }
  return v.globalPos() - globalPos(o);
}

VECTOR3 World::relativeVel(const Vessel &v, const WorldObject &o) const {
  if (&o == v.st.frame) return v.st.rvel;
  if (o.objectType() == OBJTP_VESSEL && static_cast<const Vessel &>(o).st.frame == v.st.frame)
    return v.st.rvel - static_cast<const Vessel &>(o).st.rvel;
  return v.globalVel() - globalVel(o);
}

// --- stepping --------------------------------------------------------------------------------------

namespace {
struct StepGuard {
  bool &flag;
  explicit StepGuard(bool &f) : flag(f) { flag = true; }
  ~StepGuard() { flag = false; }
};

}  // namespace

void World::step() {
  if (inStep_) return;
  makeCurrent();
  StepGuard guard(inStep_);
  double dt = settings_.dt, t0 = simTime(), mjd0 = mjd();
  deliverInputBoxes();
  deliverEvents();
  controls.startOfStep(*this, dt);
  snapshotVessels();
  callPreStep(t0, dt, mjd0);
  dropDeletedVessels();
  for (const StepEntry &e : stepList_) buildForces(*e.vessel, dt);
  integrateFreeVessels(t0, dt);
  advanceBodies();
  updateSurfaces();
  checkStates();
  callPostStep(simTime(), dt, mjd());
  if (afterStep) afterStep(*this);
}

void World::snapshotVessels() {
  stepList_.clear();
  for (auto &v : vessels_) stepList_.push_back({v.get(), v->serial()});
}

// Serials are never reused, so a vessel deleted by a callback is recognised without touching it.
bool World::stillExists(const StepEntry &e) const {
  return e.serial < objects_.size() && objects_[e.serial] == e.vessel;
}

void World::dropDeletedVessels() {
  stepList_.erase(std::remove_if(stepList_.begin(), stepList_.end(), [&](const StepEntry &e) { return !stillExists(e); }),
                  stepList_.end());
}

void World::callPreStep(double t0, double dt, double mjd0) {
  for (const StepEntry &e : stepList_)
    if (stillExists(e))
      if (VESSEL2 *cb = e.vessel->callbacks()) {
        if (preStepObserver) preStepObserver->begin(*e.vessel);
        cb->clbkPreStep(t0, dt, mjd0);
        if (preStepObserver) preStepObserver->end(*e.vessel);
      }
}

// Free vessels are integrated through the step with the bodies at its start, middle and end.
void World::integrateFreeVessels(double t0, double dt) {
  stageBodies_[0] = bodiesNow_;
  stageBodies_[1].resize(bodies_.size());
  for (size_t i = 0; i < bodies_.size(); i++) stageBodies_[1][i] = bodies_[i]->advanced(bodiesNow_[i], 0.5 * dt);
  bodiesAt(t0 + dt, stageBodies_[2]);
  StepBodies sb{&stageBodies_[0], &stageBodies_[1], &stageBodies_[2]};
  for (const StepEntry &e : stepList_) {
    Vessel &v = *e.vessel;
    if (v.st.parentLink.parent || v.landed()) continue;
    v.writer().rebase(gravityRefAt(v.globalPos()));
    integrateVessel(*this, v, dt, sb);
  }
}

// The clock moves to the end of the step, and the bodies with it (computed at t1 above).
void World::advanceBodies() {
  step_++;
  for (size_t i = 0; i < bodies_.size(); i++) bodies_[i]->setNow(stageBodies_[2][i]);
  bodiesNow_ = stageBodies_[2];
}

// Landed vessels ride on their planet; every free vessel's surface parameters are recomputed (which
// carries attached children along), then the landed-state check runs.
void World::updateSurfaces() {
  for (const StepEntry &e : stepList_)
    if (e.vessel->landed() && !e.vessel->st.parentLink.parent) updateLandedKinematics(*e.vessel);
  for (const StepEntry &e : stepList_)
    if (!e.vessel->st.parentLink.parent) e.vessel->stateChanged();
  for (const StepEntry &e : stepList_) updateLandedState(*e.vessel, simTime());
}

void World::checkStates() const {
  for (const StepEntry &e : stepList_) {
    const Vessel &v = *e.vessel;
    if (!stateFinite(v.st))
      throw RunError("vessel " + v.name() + ": state became non-finite at t = " + std::to_string(simTime()) + " s");
    if (!stateMeasurable(v.st))
      throw UnmeasurableState("vessel " + v.name() + ": position, speed or rotation became too large to measure at t = " +
                              std::to_string(simTime()) + " s");
  }
}

void World::callPostStep(double t1, double dt, double mjd1) {
  for (const StepEntry &e : stepList_)
    if (stillExists(e))
      if (VESSEL2 *cb = e.vessel->callbacks()) cb->clbkPostStep(t1, dt, mjd1);
}

// --- input -----------------------------------------------------------------------------------------

void World::queueKey(KeyEvent e) {
  auto pos = std::upper_bound(events_.begin() + static_cast<long>(nextEvent_), events_.end(), e.time,
                              [](double t, const KeyEvent &k) { return t < k.time; });
  events_.insert(pos, std::move(e));
}

int World::deliverKey(Vessel &v, DWORD key, bool down, char *kstate) {
  makeCurrent();
  VESSEL2 *cb = v.callbacks();
  return cb ? cb->clbkConsumeBufferedKey(key, down, kstate) : 0;
}

void World::deliverEvents() {
  double t0 = simTime();
  while (nextEvent_ < events_.size() && events_[nextEvent_].time <= t0 + 1e-9) {
    KeyEvent e = events_[nextEvent_++];
    if (!focus_) {
      diag_.note("key event", "no focus vessel to receive it");
      continue;
    }
    std::vector<char> kstate(std::max<size_t>(256, e.text.size() + 1), 0);
    if (e.isCode) {
      std::memcpy(kstate.data(), e.text.data(), e.text.size());
    } else {
      for (DWORD m : e.modifiers)
        if (m < 256) kstate[m] = static_cast<char>(0x80);
      if (e.down && e.key < 256) kstate[e.key] = static_cast<char>(0x80);
    }
    int consumed = deliverKey(*focus_, e.key, e.down, kstate.data());
    if (!focus_) continue;  // the vessel's key handler ended its own life
    if (!consumed && !e.isCode && e.down) diag_.note(focus_->name(), "key " + std::to_string(e.key) + " not consumed");
    if (!e.isCode) controls.key(*focus_, e.key, e.down, kstate.data(), consumed != 0);
  }
}

void World::deliverInputBoxes() {
  static char boxId[] = "input box";
  std::vector<InputBoxRequest> boxes;
  boxes.swap(inputBoxes_);
  for (InputBoxRequest &b : boxes) {
    bool accepted = false;
    while (!accepted && nextAnswer_ < inputAnswers_.size()) {
      std::string answer = inputAnswers_[nextAnswer_++];
      std::vector<char> buf(answer.begin(), answer.end());
      buf.resize(std::max<size_t>(buf.size() + 1, 256), '\0');
      accepted = b.callback ? b.callback(boxId, buf.data(), b.userData) : true;
      if (!accepted) diag_.note("input box \"" + b.title + "\"", "answer \"" + answer + "\" rejected");
    }
    if (!accepted) diag_.note("input box \"" + b.title + "\"", "cancelled: no answer left");
  }
}

SURFHANDLE World::registerTexture(const std::string &name) {
  for (size_t i = 0; i < textures_.size(); i++)
    if (equalsNoCase(textures_[i], name)) return makeHandle(HandleKind::Texture, 0, static_cast<unsigned>(i));
  textures_.push_back(name);
  return makeHandle(HandleKind::Texture, 0, static_cast<unsigned>(textures_.size() - 1));
}

}  // namespace sim
