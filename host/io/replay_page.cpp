// Writing the replay page of a track (see replay_page.h).
#include "io/replay_page.h"

#include <fstream>
#include <nlohmann/json.hpp>
#include <ostream>
#include <set>
#include <sstream>

#include "anim/mesh_library.h"
#include "io/local_frame.h"
#include "io/track_json.h"
#include "world/errors.h"

namespace sim {
namespace {

const char *const kAssets[] = {"index.html", "replay.js"};

std::string readFile(const std::filesystem::path &file, const char *what) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw InputError(file.string() + ": cannot read the " + what);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void appendNumber(std::string &out, double v, int decimals) {
  char buf[352];
  formatJsonNumber(buf, sizeof buf, v, decimals);
  out += buf;
}

void appendVector(std::string &out, const VECTOR3 &v, int decimals) {
  appendNumber(out, v.x, decimals);
  out += ',';
  appendNumber(out, v.y, decimals);
  out += ',';
  appendNumber(out, v.z, decimals);
}

// The track's lines, checked: line 1 a header of a known format, every line a JSON object.
struct TrackText {
  std::string lines;  // the lines joined by ",\n"
  std::filesystem::path dataRoot;
  std::set<std::string> meshes;
};

TrackText readTrack(const std::filesystem::path &file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw InputError(file.string() + ": cannot read the track");
  TrackText t;
  std::string line;
  int n = 0;
  while (std::getline(in, line)) {
    n++;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    nlohmann::json j = nlohmann::json::parse(line, nullptr, false);
    if (j.is_discarded() || !j.is_object()) throw InputError(at(file.string(), n, "not a JSON object"));
    if (n == 1) {
      if (j.value("format", "") != "simhost track")
        throw InputError(at(file.string(), n, "not a track: the header's format is not \"simhost track\""));
      if (!j["version"].is_number_integer() || j["version"].get<int>() != 1)
        throw InputError(at(file.string(), n, "track version not supported (this program reads version 1)"));
      if (j["data_root"].is_string()) t.dataRoot = j["data_root"].get<std::string>();
    } else if (j.contains("vessel") && j.contains("id")) {
      if (!j["meshes"].is_array()) throw InputError(at(file.string(), n, "a vessel line without its meshes"));
      for (const auto &m : j["meshes"]) {
        if (!m.is_object() || !m["name"].is_string())
          throw InputError(at(file.string(), n, "a mesh without a name"));
        t.meshes.insert(m["name"].get<std::string>());
      }
    }
    if (!t.lines.empty()) t.lines += ",\n";
    t.lines += line;
  }
  if (n == 0) throw InputError(file.string() + ": empty file, not a track");
  return t;
}

void writeFileAtomically(const std::filesystem::path &file, const std::string &text) {
  std::filesystem::path tmp = file;
  tmp += ".tmp";
  {
    std::ofstream o(tmp, std::ios::binary | std::ios::trunc);
    o << text;
    o.flush();
    if (!o) throw RunError(file.string() + ": cannot write");
  }
  std::error_code ec;
  std::filesystem::rename(tmp, file, ec);
  if (ec) throw RunError(file.string() + ": cannot write (" + ec.message() + ")");
}

}  // namespace

std::string meshToReplayJson(const std::string &meshText, const std::string &fileName) {
  Mesh m = parseMesh(meshText, fileName);
  const std::vector<MeshGroup> &groups = m.groups();
  std::string out = "{\"groups\":[";
  for (size_t g = 0; g < groups.size(); g++) {
    const MeshGroup &grp = groups[g];
    if (g) out += ',';
    out += "{\"label\":";
    out += nlohmann::json(grp.label).dump(-1, ' ', true, nlohmann::json::error_handler_t::replace);
    out += ",\"p\":[";
    for (size_t i = 0; i < grp.vertices.size(); i++) {
      if (i) out += ',';
      appendVector(out, swapYZ(grp.vertices[i]), 4);
    }
    out += "],\"n\":[";
    bool normals = grp.normals.size() == grp.vertices.size();
    for (size_t i = 0; normals && i < grp.normals.size(); i++) {
      if (i) out += ',';
      appendVector(out, swapYZ(grp.normals[i]), 3);
    }
    out += "],\"i\":[";
    for (size_t i = 0; i < grp.triangles.size(); i++) {
      const std::array<int, 3> &t = grp.triangles[i];
      if (i) out += ',';
      out += std::to_string(t[0]) + ',' + std::to_string(t[2]) + ',' + std::to_string(t[1]);
    }
    out += "]}";
  }
  out += "]}";
  return out;
}

void writeReplayPage(const std::filesystem::path &track, const std::filesystem::path &outDir,
                     const std::filesystem::path &dataRoot, const std::filesystem::path &fallbackRoot,
                     const std::filesystem::path &assetsDir,
                     std::ostream &notes) {
  std::error_code ec;
  for (const char *a : kAssets)
    if (!std::filesystem::is_regular_file(assetsDir / a, ec))
      throw RunError("the replay page's assets are missing (" + (assetsDir / a).string() +
                     "): build simhost with node and npm installed");
  TrackText t = readTrack(track);
  std::filesystem::path root = dataRoot.empty() ? t.dataRoot : dataRoot;
  if (dataRoot.empty() && !std::filesystem::is_directory(root / "Meshes", ec)) root = fallbackRoot;
  std::string data = "// The data of a replay page, written by simhost replay.\nwindow.REPLAY_TRACK = [\n";
  data += t.lines;
  data += "\n];\nwindow.REPLAY_MESHES = {";
  bool first = true;
  for (const std::string &name : t.meshes) {
    std::filesystem::path file = root / "Meshes" / (name + ".msh");
    std::string json;
    try {
      json = meshToReplayJson(readFile(file, "mesh"), file.string());
    } catch (const InputError &e) {
      notes << "simhost: replay: " << e.what() << "; the page draws a placeholder for mesh " << name << "\n";
      continue;
    }
    data += first ? "\n" : ",\n";
    data += nlohmann::json(name).dump(-1, ' ', true, nlohmann::json::error_handler_t::replace);
    data += ":";
    data += json;
    first = false;
  }
  data += "\n};\n";

  std::filesystem::create_directories(outDir, ec);
  if (!std::filesystem::is_directory(outDir, ec)) throw RunError(outDir.string() + ": cannot create the folder");
  for (const char *a : kAssets) writeFileAtomically(outDir / a, readFile(assetsDir / a, "replay page's assets"));
  writeFileAtomically(outDir / "replay_data.js", data);
}

}  // namespace sim
