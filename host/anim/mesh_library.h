// Meshes in the simulator's text format (MSHX1), read from the data root's Meshes/ folder.
//
//   MSHX1
//   GROUPS n
//   per group: [LABEL s] [MATERIAL i] [TEXTURE j] [TEXWRAP s] [NONORMAL] [FLAG f]
//              GEOM nv nt, nv lines "x y z [nx ny nz] [u v]", nt lines "i j k"
//   MATERIALS m, m names, m blocks (a name line, then four colour lines)
//   TEXTURES t, t names
// Groups are numbered from 0 in file order; coordinates are metres in the left-handed vessel
// frame; the clockwise side of a triangle is its visible side. Loading a mesh reads its structure:
// the groups with their labels and counts, the materials and the textures, every line accounted
// for. The geometry (vertices, normals, triangles) is read from the kept text the first time it is
// asked for: a flight poses no vertices, and a booster's 60 000 lines of numbers took half the
// time of a short run. A missing or malformed file is reported once in the diagnostics, naming the
// file and line, and the vessel goes on without that visual; a malformed number is reported when
// the geometry is first read. Parsed meshes are shared by every world of the process; a file is
// read again once it changes (loader/file_cache.h).
#pragma once

#include <array>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
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

class Mesh {
 public:
  std::string name;  // as AddMesh named it
  std::filesystem::path file;
  std::vector<std::string> materials, textures;

  size_t groupCount() const { return groupText_.size(); }
  // Every group's geometry, read on the first call (thread-safe); throws InputError naming the
  // file and line of a malformed vertex or triangle, at every call.
  const std::vector<MeshGroup> &groups() const;

 private:
  friend Mesh parseMesh(std::string text, const std::string &fileName);
  struct GroupText {
    std::string label;
    size_t offset = 0;  // of the line after GEOM in the text
    int line = 0;       // the number of the GEOM line
    int vertices = 0, triangles = 0;
    bool normals = true;  // no NONORMAL line
  };
  struct Geometry {
    std::once_flag read;
    std::string text;  // the file's text until the geometry is read
    std::vector<MeshGroup> groups;
    std::string error;
  };
  void readGeometry() const;

  std::vector<GroupText> groupText_;
  std::unique_ptr<Geometry> geometry_ = std::make_unique<Geometry>();
};

// Reads the structure of MSHX1 text and keeps the text for the geometry; throws InputError naming
// the file and line.
Mesh parseMesh(std::string text, const std::string &fileName);

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
