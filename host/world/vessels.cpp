// Vessel creation and deletion, in the simulator's order of callbacks.
//
// Creation: the module's ovcInit (a plain VESSEL when the class has no module, or when ovcInit
// returns null, and then no callback is made), clbkSetClassCaps with the class file, the class
// file's generic items. A vessel from a scenario then gets clbkLoadStateEx and its parsed state
// (scenario/loader.cpp); one created at run time gets clbkSetStateEx and clbkPostCreation at once.
// Deletion: links released, ovcExit (or the host deletes its own VESSEL).
#include <algorithm>

#include "anim/animation.h"
#include "loader/module.h"
#include "loader/vessel_class.h"
#include "physics/attachments.h"
#include "scenario/status_lines.h"
#include "scenario/streams.h"
#include "vessel/vessel.h"
#include "world/errors.h"
#include "world/world.h"

namespace sim {

Vessel &World::makeVessel(const std::string &name, const std::string &className) {
  makeCurrent();
  if (name.empty() || name.find_first_of(":\n") != std::string::npos)
    throw InputError("invalid vessel name \"" + name + "\"");
  if (findVessel(name)) throw InputError("a vessel named \"" + name + "\" exists already");
  const VesselClass &cls = classes_->get(className);
  Module *module = cls.moduleName.empty() ? nullptr : &modules_->load(cls.moduleName);
  auto owned = std::make_unique<Vessel>(*this, name, cls);
  Vessel &v = *owned;
  registerObject(v);
  vessels_.push_back(std::move(owned));
  v.module = module;
  VESSEL *intf = module ? module->ovcInit(v.handle(), settings_.flightModel) : nullptr;
  if (!intf) {
    intf = new VESSEL(v.handle(), settings_.flightModel);
    v.hostOwnsInterface = true;
  }
  v.intf = intf;
  ConfigHandle cfg(cls.cfgPath.string());
  if (VESSEL2 *cb = v.callbacks()) cb->clbkSetClassCaps(cfg.handle());
  applyClassItems(v, cls);
  checkAnimationGroups(v);
  v.stateChanged();
  return v;
}

Vessel &World::createVessel(const std::string &name, const std::string &className, const VESSELSTATUS2 &status) {
  VesselSpawn spawn;
  spawn.vs = status;
  spawn.vs.version = 2;
  if (status.fuel && status.nfuel) spawn.fuel.assign(status.fuel, status.fuel + status.nfuel);
  if (status.thruster && status.nthruster) spawn.thrusters.assign(status.thruster, status.thruster + status.nthruster);
  spawn.relink();
  return createVessel(name, className, spawn);
}

Vessel &World::createVessel(const std::string &name, const std::string &className, const VesselSpawn &spawnIn) {
  Vessel &v = makeVessel(name, className);
  VesselSpawn spawn = spawnIn;
  {
    SpawnScope scope(spawn, nullptr);
    if (VESSEL2 *cb = v.callbacks())
      cb->clbkSetStateEx(&spawn.vs);
    else
      v.applyStatus(spawn.vs, &spawn);
  }
  if (spawn.ext.attached) {
    Vessel *parent = findVessel(spawn.ext.attachParent);
    int pr = parent ? attachmentRecord(*parent, false, spawn.ext.attachParentIndex) : -1;
    int cr = attachmentRecord(v, true, spawn.ext.attachOwnIndex);
    if (!parent || pr < 0 || cr < 0 || !attach(*parent, pr, v, cr))
      diag_.refuse(v.name(), "cannot attach to \"" + spawn.ext.attachParent + "\"");
  }
  if (VESSEL2 *cb = v.callbacks()) cb->clbkPostCreation();
  return v;
}

void World::deleteVessel(Vessel &v) {
  makeCurrent();
  detachAll(v);
  if (focus_ == &v) focus_ = nullptr;
  if (v.intf) {
    if (v.hostOwnsInterface)
      delete v.intf;
    else if (v.module)
      v.module->ovcExit(v.intf);
    v.intf = nullptr;
  }
  unregisterObject(v);
  auto it = std::find_if(vessels_.begin(), vessels_.end(), [&](auto &p) { return p.get() == &v; });
  if (it != vessels_.end()) vessels_.erase(it);
}

}  // namespace sim
