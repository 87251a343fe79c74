// Meshes in the simulator's text format (MSHX1), read from the data root's Meshes/ folder.
//
//   MSHX1
//   GROUPS n
//   per group: [LABEL s] [MATERIAL i] [TEXTURE j] [TEXWRAP s] [NONORMAL] [FLAG f]
//              GEOM nv nt, nv lines "x y z [nx ny nz] [u v]", nt lines "i j k"
//   MATERIALS m, m names, m blocks (a name line, then four colour lines)
//   TEXTURES t, t names
// Groups are numbered from 0 in file order; coordinates are metres in the left-handed vessel
// frame; the clockwise side of a triangle is its visible side. A missing or malformed file is
// reported once in the diagnostics, naming the file, and the vessel goes on without that visual.
// Parsed meshes are shared by every world of the process (a booster's mesh takes far longer to
// read than a world takes to build); a file is read again once it changes (loader/file_cache.h).
#pragma once

#include <array>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "OrbiterAPI.h"

namespace sim {

class Diagnostics;

struct MeshGroup {
  std::string label;
  std::vector<VECTOR3> vertices;  // [m]
  std::vector<VECTOR3> normals;   // unit normals as given (empty with NONORMAL)
  std::vector<std::array<int, 3>> triangles;
};

struct Mesh {
  std::string name;  // as AddMesh named it
  std::filesystem::path file;
  std::vector<MeshGroup> groups;
  std::vector<std::string> materials, textures;
};

// Parses MSHX1 text; throws InputError naming the file and line.
Mesh parseMesh(const std::string &text, const std::string &fileName);

class MeshLibrary {
 public:
  MeshLibrary(std::filesystem::path dir, Diagnostics &diag) : dir_(std::move(dir)), diag_(diag) {}
  // The mesh NAME (Meshes/NAME.msh), loaded once; null (reported once) if missing or malformed.
  const Mesh *request(const std::string &name);
  const Mesh *find(const std::string &name) const;
  // The file of mesh NAME: in the first add-on folder that has it, else in the data root's.
  std::filesystem::path fileOf(const std::string &name) const;
  void addDir(const std::filesystem::path &dir) { addonDirs_.push_back(dir); }
  // Mesh handles (oapiLoadMeshGlobal): the index issued for NAME, and the name behind an index
  // (null if none was issued).
  unsigned handleIndex(const std::string &name);
  const std::string *nameOf(unsigned index) const {
    return index < handleNames_.size() ? &handleNames_[index] : nullptr;
  }

 private:
  std::filesystem::path dir_;
  std::vector<std::filesystem::path> addonDirs_;
  Diagnostics &diag_;
  std::map<std::string, std::shared_ptr<const Mesh>> meshes_;  // null entry: missing or malformed
  std::vector<std::string> handleNames_;
};

}  // namespace sim
