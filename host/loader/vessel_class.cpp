// Vessel classes and their generic configuration items (see vessel_class.h).
#include "loader/vessel_class.h"

#include <sstream>

#include "vessel/vessel.h"
#include "world/errors.h"
#include "world/text.h"

namespace sim {

const VesselClass &ClassRegistry::get(const std::string &name) {
  std::string key = lowerCase(name);
  auto it = classes_.find(key);
  if (it != classes_.end()) return *it->second;
  if (name.empty() || name.find_first_of("/\\") != std::string::npos)
    throw InputError("invalid vessel class name \"" + name + "\"");
  std::filesystem::path file;
  std::error_code ec;
  for (const std::filesystem::path &r : addonRoots_)
    if (file = classFile(r, name); std::filesystem::exists(file, ec)) break;
  if (!std::filesystem::exists(file, ec)) file = classFile(root_, name);
  if (!std::filesystem::exists(file, ec))
    throw InputError("unknown vessel class \"" + name + "\": no file " + file.string());
  auto cls = std::make_unique<VesselClass>();
  cls->name = name;
  cls->cfgPath = file;
  cls->cfg = ConfigFile::read(file);
  cls->cfg->text("Module", cls->moduleName);
  std::string className;
  if (cls->cfg->text("ClassName", className) && !className.empty()) cls->name = className;
  return *classes_.emplace(key, std::move(cls)).first->second;
}

std::filesystem::path ClassRegistry::classFile(const std::filesystem::path &root, const std::string &name) const {
  std::filesystem::path file = root / "Config" / "Vessels" / (name + ".cfg");
  // With an error code: a name the file system cannot take (too long, say) is an unknown class.
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) {
    // Class names are case-insensitive; find the file whatever its case.
    for (auto &e : std::filesystem::directory_iterator(root / "Config" / "Vessels", ec))
      if (equalsNoCase(e.path().filename().string(), name + ".cfg")) file = e.path();
  }
  return file;
}

void applyClassItems(Vessel &v, const VesselClass &cls) {
  const ConfigFile &c = *cls.cfg;
  double d;
  std::vector<double> n;
  VESSEL *i = v.intf;
  if (c.number("Size", d)) i->SetSize(d);
  if (c.number("Mass", d)) i->SetEmptyMass(d);
  if (c.numbers("PMI", n, 3)) i->SetPMI(_V(n[0], n[1], n[2]));
  if (c.numbers("CrossSections", n, 3)) i->SetCrossSections(_V(n[0], n[1], n[2]));
  if (c.numbers("RotDrag", n, 3)) i->SetRotDrag(_V(n[0], n[1], n[2]));
  std::string mesh;
  if (c.text("MeshName", mesh) && !mesh.empty()) i->AddMesh(mesh.c_str());
  if (c.numbers("CW", n, 4)) i->SetCW(n[0], n[1], n[2], n[3]);
  if (c.numbers("TouchdownPoints", n, 9))
    i->SetTouchdownPoints(_V(n[0], n[1], n[2]), _V(n[3], n[4], n[5]), _V(n[6], n[7], n[8]));
  if (const ConfigFile::Block *b = c.block("TOUCHDOWNPOINTS")) {
    std::vector<TOUCHDOWNVTX> pts;
    for (const SourceLine &l : b->lines) {
      std::string line = trimScenarioLine(l.text);
      if (line.empty()) continue;
      if (!parseNumbers(line, n) || n.size() < 6 || n.size() > 7)
        throw InputError(at(c.file(), l.number, "touchdown point: expected x y z stiffness damping mu [mu_lng]"));
      pts.push_back({_V(n[0], n[1], n[2]), n[3], n[4], n[5], n.size() > 6 ? n[6] : n[5]});
    }
    if (pts.size() < 3) throw InputError(at(c.file(), b->line, "fewer than three touchdown points"));
    i->SetTouchdownPoints(pts.data(), static_cast<DWORD>(pts.size()));
  }
  if (const ConfigFile::Block *b = c.block("ATTACHMENT")) {
    for (const SourceLine &l : b->lines) {
      std::istringstream in(trimScenarioLine(l.text));
      std::string kind, id;
      double x[9];
      if (!(in >> kind)) continue;
      for (double &xi : x)
        if (!(in >> xi) || !std::isfinite(xi))
          throw InputError(at(c.file(), l.number, "attachment: expected P|C and nine numbers"));
      in >> id;
      bool toParent = equalsNoCase(kind, "P");
      if (!toParent && !equalsNoCase(kind, "C"))
        throw InputError(at(c.file(), l.number, "attachment: expected P or C, got \"" + kind + "\""));
      i->CreateAttachment(toParent, _V(x[0], x[1], x[2]), _V(x[3], x[4], x[5]), _V(x[6], x[7], x[8]), id.c_str());
    }
  }
}

}  // namespace sim
