// Vessel classes: Config/Vessels/CLASS.cfg.
//
// "Module = NAME" names the vessel module; a class without it makes a passive vessel. After
// clbkSetClassCaps the simulator reads the file's generic items, which override what the module
// set; for the passive classes they are the whole definition:
//   Size, Mass (empty mass) [kg], PMI (3), CrossSections (3), RotDrag (3), MeshName,
//   CW (4: the legacy drag coefficients z+, z-, x, y),
//   TouchdownPoints (9: three points, the simulator's three-point rule for stiffness), or a block
//   BEGIN_TOUCHDOWNPOINTS ... END_TOUCHDOWNPOINTS, lines "x y z stiffness damping mu [mu_lng]",
//   BEGIN_ATTACHMENT ... END_ATTACHMENT with lines "P|C  x y z  dx dy dz  rx ry rz  [ID]"
//   (P: a point by which the vessel hangs from a parent, C: a point for a child).
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "loader/config_file.h"

class Vessel;

namespace sim {

struct VesselClass {
  std::string name;
  std::filesystem::path cfgPath;
  std::string moduleName;  // empty: a passive vessel
  std::shared_ptr<const ConfigFile> cfg;
};

class ClassRegistry {
 public:
  explicit ClassRegistry(std::filesystem::path dataRoot) : root_(std::move(dataRoot)) {}
  // The class, read on first use; throws InputError for an unknown class or a malformed file.
  const VesselClass &get(const std::string &name);
  // A further root (an add-on's folder) whose Config/Vessels/ is searched before the data root's.
  void addRoot(const std::filesystem::path &root) { addonRoots_.push_back(root); }

 private:
  std::filesystem::path classFile(const std::filesystem::path &root, const std::string &name) const;
  std::filesystem::path root_;
  std::vector<std::filesystem::path> addonRoots_;
  std::map<std::string, std::unique_ptr<VesselClass>> classes_;  // by lower-case name
};

// Applies the class file's generic items to a vessel (after clbkSetClassCaps).
void applyClassItems(Vessel &v, const VesselClass &cls);

}  // namespace sim
