// Reading MSHX1 meshes (see mesh_library.h).
#include "anim/mesh_library.h"

#include <climits>
#include <cmath>
#include <cstring>

#include "loader/file_cache.h"
#include "world/diagnostics.h"
#include "world/errors.h"
#include "world/text.h"

namespace sim {
namespace {

// Lines of the text without their comments and surrounding blanks, through one reused buffer.
class LineSource {
 public:
  LineSource(const std::string &text, const std::string &file) : text_(text), file_(file) {}
  // The next non-empty line; false at the end of the text. The line stays valid until the next call.
  bool next(std::string &line) {
    while (pos_ < text_.size()) {
      size_t end = text_.find('\n', pos_);
      if (end == std::string::npos) end = text_.size();
      const void *semi = std::memchr(text_.data() + pos_, ';', end - pos_);
      size_t stop = semi ? static_cast<size_t>(static_cast<const char *>(semi) - text_.data()) : end;
      size_t b = pos_, e = stop;
      pos_ = end + 1;
      n_++;
      while (b < e && (text_[b] == ' ' || text_[b] == '\t')) b++;
      while (e > b && (text_[e - 1] == ' ' || text_[e - 1] == '\t' || text_[e - 1] == '\r')) e--;
      if (e > b) {
        line.assign(text_, b, e - b);
        return true;
      }
    }
    return false;
  }
  const std::string &expect(const char *what) {
    if (!next(line_)) fail(std::string("unexpected end of file, expected ") + what);
    return line_;
  }
  [[noreturn]] void fail(const std::string &msg) { throw InputError(at(file_, n_, msg)); }

 private:
  const std::string &text_;
  std::string file_;
  size_t pos_ = 0;
  int n_ = 0;
  std::string line_;
};

bool keyword(const std::string &line, const char *key, std::string &rest) {
  std::string k = line.substr(0, line.find_first_of(" \t"));
  if (!equalsNoCase(k, key)) return false;
  rest = trim(line.substr(k.size()));
  return true;
}

int count(LineSource &src, const std::string &rest, const char *what) {
  double d;
  // Range first: converting a double outside int's range is undefined.
  if (!parseNumber(rest, d) || d < 0 || d > INT_MAX || d != std::floor(d))
    src.fail(std::string(what) + ": expected a count");
  return static_cast<int>(d);
}

}  // namespace

Mesh parseMesh(const std::string &text, const std::string &fileName) {
  Mesh m;
  m.file = fileName;
  LineSource src(text, fileName);
  std::string line = src.expect("MSHX1");  // a copy: keyword lines are few
  if (!equalsNoCase(line, "MSHX1")) src.fail("expected MSHX1");
  std::string rest;
  line = src.expect("GROUPS");
  if (!keyword(line, "GROUPS", rest)) src.fail("expected GROUPS");
  int ngroups = count(src, rest, "GROUPS");
  std::vector<double> nums;
  for (int g = 0; g < ngroups; g++) {
    MeshGroup grp;
    bool normals = true;
    for (;;) {
      line = src.expect("GEOM");
      if (keyword(line, "GEOM", rest)) break;
      if (keyword(line, "LABEL", rest)) grp.label = rest;
      else if (keyword(line, "NONORMAL", rest)) normals = false;
      else if (!keyword(line, "MATERIAL", rest) && !keyword(line, "TEXTURE", rest) &&
               !keyword(line, "TEXWRAP", rest) && !keyword(line, "FLAG", rest) && !keyword(line, "ZBIAS", rest))
        src.fail("unexpected line in group " + std::to_string(g) + ": \"" + line + "\"");
    }
    if (!parseNumbers(rest, nums) || nums.size() < 2 || nums[0] < 0 || nums[1] < 0 || nums[0] > INT_MAX ||
        nums[1] > INT_MAX)
      src.fail("GEOM: expected vertex and triangle counts");
    int nv = static_cast<int>(nums[0]), nt = static_cast<int>(nums[1]);
    for (int i = 0; i < nv; i++) {
      if (!parseNumbers(src.expect("a vertex"), nums) || nums.size() < 3) src.fail("vertex: expected x y z");
      grp.vertices.push_back(_V(nums[0], nums[1], nums[2]));
      if (normals && nums.size() >= 6) grp.normals.push_back(_V(nums[3], nums[4], nums[5]));
    }
    for (int i = 0; i < nt; i++) {
      if (!parseNumbers(src.expect("a triangle"), nums) || nums.size() != 3) src.fail("triangle: expected i j k");
      std::array<int, 3> t;
      for (int k = 0; k < 3; k++) {
        if (nums[k] < 0 || nums[k] >= nv || nums[k] != static_cast<int>(nums[k]))
          src.fail("triangle: vertex index out of range");
        t[k] = static_cast<int>(nums[k]);
      }
      grp.triangles.push_back(t);
    }
    m.groups.push_back(std::move(grp));
  }
  if (src.next(line)) {
    if (keyword(line, "MATERIALS", rest)) {
      int nm = count(src, rest, "MATERIALS");
      for (int i = 0; i < nm; i++) m.materials.push_back(src.expect("a material name"));
      for (int i = 0; i < nm; i++)
        for (int k = 0; k < 5; k++) src.expect("a material line");
      if (src.next(line) && keyword(line, "TEXTURES", rest)) {
        int nt = count(src, rest, "TEXTURES");
        for (int i = 0; i < nt; i++) m.textures.push_back(src.expect("a texture name"));
      }
    }
  }
  return m;
}

namespace {
FileCache<Mesh> g_meshFiles;  // shared by every world of the process
}  // namespace

const Mesh *MeshLibrary::request(const std::string &name) {
  auto it = meshes_.find(name);
  if (it != meshes_.end()) return it->second.get();
  std::filesystem::path file = fileOf(name);
  auto read = g_meshFiles.get(file, [&name](const std::string &text, const std::string &fileName) {
    Mesh m = parseMesh(text, fileName);
    m.name = name;
    return m;
  });
  if (read.missing)
    diag_.note("mesh " + name, "file " + file.string() + " not found; the vessel has no visual for it");
  else if (!read.value)
    diag_.note("mesh " + name, read.error + "; the vessel has no visual for it");
  return meshes_.emplace(name, std::move(read.value)).first->second.get();
}

std::filesystem::path MeshLibrary::fileOf(const std::string &name) const {
  std::error_code ec;
  for (const std::filesystem::path &d : addonDirs_)
    if (std::filesystem::exists(d / (name + ".msh"), ec)) return d / (name + ".msh");
  return dir_ / (name + ".msh");
}

unsigned MeshLibrary::handleIndex(const std::string &name) {
  for (size_t i = 0; i < handleNames_.size(); i++)
    if (handleNames_[i] == name) return static_cast<unsigned>(i);
  handleNames_.push_back(name);
  request(name);
  return static_cast<unsigned>(handleNames_.size() - 1);
}

const Mesh *MeshLibrary::find(const std::string &name) const {
  auto it = meshes_.find(name);
  return it == meshes_.end() ? nullptr : it->second.get();
}

}  // namespace sim
