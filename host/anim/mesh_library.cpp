// Reading MSHX1 meshes (see mesh_library.h).
#include "anim/mesh_library.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <string_view>

#include "loader/file_cache.h"
#include "world/diagnostics.h"
#include "world/errors.h"
#include "world/text.h"

namespace sim {
namespace {

// Lines of the text without their comments and surrounding blanks, as views into the text (a
// booster's mesh is some 60 000 lines: no line is copied).
class LineSource {
 public:
  // The text from OFFSET, whose line before it is number LINE.
  LineSource(const std::string &text, const std::string &file, size_t offset = 0, int line = 0)
      : text_(text), file_(file), pos_(offset), n_(line) {}
  // The next non-empty line; false at the end of the text.
  bool next(std::string_view &line) {
    const char *data = text_.data();
    while (pos_ < text_.size()) {
      size_t end = text_.find('\n', pos_);
      if (end == std::string::npos) end = text_.size();
      const void *semi = std::memchr(data + pos_, ';', end - pos_);
      size_t b = pos_, e = semi ? static_cast<size_t>(static_cast<const char *>(semi) - data) : end;
      pos_ = end + 1;
      n_++;
      while (b < e && (data[b] == ' ' || data[b] == '\t')) b++;
      while (e > b && (data[e - 1] == ' ' || data[e - 1] == '\t' || data[e - 1] == '\r')) e--;
      if (e > b) {
        line = std::string_view(data + b, e - b);
        return true;
      }
    }
    return false;
  }
  std::string_view expect(const char *what) {
    std::string_view line;
    if (!next(line)) fail(std::string("unexpected end of file, expected ") + what);
    return line;
  }
  // Passes over LINES non-empty lines. A line that starts with neither a blank nor a comment is
  // not empty, whatever follows: only the others are looked into.
  void skip(int lines, const char *what) {
    for (int i = 0; i < lines; i++) {
      char c = pos_ < text_.size() ? text_[pos_] : ' ';
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ';') {
        expect(what);
        continue;
      }
      size_t end = text_.find('\n', pos_);
      pos_ = end == std::string::npos ? text_.size() + 1 : end + 1;
      n_++;
    }
  }
  size_t offset() const { return pos_; }
  int line() const { return n_; }
  // The most lines of three numbers ("0 0 0" and its line end) the rest of the text could hold.
  size_t linesOfThreeLeft() const { return (text_.size() - std::min(pos_, text_.size())) / 6; }
  [[noreturn]] void fail(const std::string &msg) { throw InputError(at(file_, n_, msg)); }

 private:
  const std::string &text_;
  std::string file_;
  size_t pos_;
  int n_;
};

// LINE starts with the keyword KEY (any case); REST is what follows it, without its blanks.
bool keyword(std::string_view line, const char *key, std::string_view &rest) {
  std::string_view k = line.substr(0, line.find_first_of(" \t"));
  if (!equalsNoCase(k, key)) return false;
  rest = line.substr(k.size());
  size_t b = rest.find_first_not_of(" \t");
  rest = b == std::string_view::npos ? std::string_view() : rest.substr(b);
  return true;
}

int count(LineSource &src, std::string_view rest, const char *what) {
  double d;
  // Range first: converting a double outside int's range is undefined.
  if (!parseNumber(std::string(rest), d) || d < 0 || d > INT_MAX || d != std::floor(d))
    src.fail(std::string(what) + ": expected a count");
  return static_cast<int>(d);
}

// The group's header lines up to GEOM; REST is GEOM's counts.
bool readGroupHeader(LineSource &src, int g, std::string &label, std::string_view &rest) {
  bool normals = true;
  for (;;) {
    std::string_view line = src.expect("GEOM");
    if (keyword(line, "GEOM", rest)) return normals;
    if (keyword(line, "LABEL", rest))
      label = rest;
    else if (keyword(line, "NONORMAL", rest))
      normals = false;
    else if (!keyword(line, "MATERIAL", rest) && !keyword(line, "TEXTURE", rest) &&
             !keyword(line, "TEXWRAP", rest) && !keyword(line, "FLAG", rest) &&
             !keyword(line, "ZBIAS", rest))
      src.fail("unexpected line in group " + std::to_string(g) + ": \"" + std::string(line) + "\"");
  }
}

// The vertex and triangle lines of a group whose GEOM line has been read.
void readGroupGeometry(LineSource &src, int nv, int nt, bool normals, MeshGroup &grp,
                       std::vector<double> &nums) {
  // Reserved for no more than the rest of the text could hold: a count is not trusted beyond it.
  size_t room = src.linesOfThreeLeft();
  grp.vertices.reserve(std::min(static_cast<size_t>(nv), room));
  if (normals) grp.normals.reserve(std::min(static_cast<size_t>(nv), room));
  grp.triangles.reserve(std::min(static_cast<size_t>(nt), room));
  for (int i = 0; i < nv; i++) {
    if (!parseNumbers(src.expect("a vertex"), nums) || nums.size() < 3)
      src.fail("vertex: expected x y z");
    grp.vertices.push_back(_V(nums[0], nums[1], nums[2]));
    if (normals && nums.size() >= 6) grp.normals.push_back(_V(nums[3], nums[4], nums[5]));
  }
  if (grp.normals.size() < grp.vertices.size()) grp.normals.shrink_to_fit();
  for (int i = 0; i < nt; i++) {
    if (!parseNumbers(src.expect("a triangle"), nums) || nums.size() != 3)
      src.fail("triangle: expected i j k");
    std::array<int, 3> t;
    for (int k = 0; k < 3; k++) {
      if (nums[k] < 0 || nums[k] >= nv || nums[k] != static_cast<int>(nums[k]))
        src.fail("triangle: vertex index out of range");
      t[k] = static_cast<int>(nums[k]);
    }
    grp.triangles.push_back(t);
  }
}

}  // namespace

Mesh parseMesh(std::string text, const std::string &fileName) {
  Mesh m;
  m.file = fileName;
  m.geometry_->text = std::move(text);
  LineSource src(m.geometry_->text, fileName);
  if (!equalsNoCase(src.expect("MSHX1"), "MSHX1")) src.fail("expected MSHX1");
  std::string_view rest;
  if (!keyword(src.expect("GROUPS"), "GROUPS", rest)) src.fail("expected GROUPS");
  int ngroups = count(src, rest, "GROUPS");
  std::vector<double> nums;
  for (int g = 0; g < ngroups; g++) {
    Mesh::GroupText grp;
    grp.normals = readGroupHeader(src, g, grp.label, rest);
    if (!parseNumbers(rest, nums) || nums.size() < 2 || nums[0] < 0 || nums[1] < 0 || nums[0] > INT_MAX ||
        nums[1] > INT_MAX)
      src.fail("GEOM: expected vertex and triangle counts");
    grp.vertices = static_cast<int>(nums[0]), grp.triangles = static_cast<int>(nums[1]);
    grp.offset = src.offset(), grp.line = src.line();
    src.skip(grp.vertices, "a vertex");
    src.skip(grp.triangles, "a triangle");
    m.groupText_.push_back(std::move(grp));
  }
  std::string_view line;
  if (src.next(line) && keyword(line, "MATERIALS", rest)) {
    int nm = count(src, rest, "MATERIALS");
    for (int i = 0; i < nm; i++) m.materials.emplace_back(src.expect("a material name"));
    for (int i = 0; i < nm; i++)
      for (int k = 0; k < 5; k++) src.expect("a material line");
    if (src.next(line) && keyword(line, "TEXTURES", rest)) {
      int nt = count(src, rest, "TEXTURES");
      for (int i = 0; i < nt; i++) m.textures.emplace_back(src.expect("a texture name"));
    }
  }
  return m;
}

const std::vector<MeshGroup> &Mesh::groups() const {
  std::call_once(geometry_->read, [this] { readGeometry(); });
  if (!geometry_->error.empty()) throw InputError(geometry_->error);
  return geometry_->groups;
}

void Mesh::readGeometry() const {
  Geometry &geo = *geometry_;
  std::string fileName = file.string();
  std::vector<double> nums;
  try {
    for (const GroupText &t : groupText_) {
      MeshGroup &grp = geo.groups.emplace_back();
      grp.label = t.label;
      LineSource src(geo.text, fileName, t.offset, t.line);
      readGroupGeometry(src, t.vertices, t.triangles, t.normals, grp, nums);
    }
  } catch (const InputError &e) {
    geo.groups.clear();
    geo.error = e.what();
  }
  std::string().swap(geo.text);
}

namespace {
FileCache<Mesh> g_meshFiles;  // shared by every world of the process
}  // namespace

const Mesh *MeshLibrary::request(const std::string &name) {
  auto it = meshes_.find(name);
  if (it != meshes_.end()) return it->second.get();
  std::filesystem::path file = fileOf(name);
  auto read = g_meshFiles.get(file, [&name](std::string text, const std::string &fileName) {
    Mesh m = parseMesh(std::move(text), fileName);
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
