// Warnings about a loaded scenario (see load_warnings.h).
#include "app/load_warnings.h"

#include "app/class_report.h"
#include "loader/vessel_class.h"
#include "scenario/document.h"
#include "scenario/status_lines.h"
#include "vessel/vessel.h"
#include "world/errors.h"
#include "world/world.h"

namespace sim {
namespace {

// The keywords of the block's lines that the default parser does not read, once each.
std::string moduleKeywords(const ShipBlock &ship) {
  std::vector<std::string> keys;
  for (const SourceLine &l : ship.lines) {
    std::string text = trimScenarioLine(l.text);
    if (text.empty() || standardKeyword(text.c_str())) continue;
    std::string key = text.substr(0, text.find_first_of(" \t"));
    bool seen = false;
    for (const std::string &k : keys) seen = seen || k == key;
    if (!seen) keys.push_back(key);
  }
  std::string list;
  for (const std::string &k : keys) list += (list.empty() ? "" : ", ") + k;
  return list;
}

}  // namespace

std::vector<std::string> loadWarnings(World &w) {
  std::vector<std::string> warnings;
  const ScenarioDocument *doc = w.scenario();
  if (!doc) return warnings;
  for (const ShipBlock &ship : doc->ships) {
    const Vessel *v = w.findVessel(ship.name);
    if (!v) continue;
    if (!v->module) {
      if (std::string keys = moduleKeywords(ship); !keys.empty())
        warnings.push_back(
            at(doc->file, ship.line,
               "vessel \"" + ship.name + "\": " + v->vesselClass().cfgPath.string() +
                   " names no Module, so it flies as a passive vessel from that file's values and "
                   "these lines are not read: " +
                   keys));
    }
    if (const ClassHooks *h = classHooks(v->className()); h && h->checkLoaded)
      for (std::string &s : h->checkLoaded(w, *v, ship, doc->file))
        warnings.push_back(std::move(s));
  }
  return warnings;
}

std::vector<std::string> meshWarnings(const Diagnostics &d, size_t &reported) {
  std::vector<std::string> warnings;
  for (; reported < d.entries().size(); reported++)
    if (d.entries()[reported].text.rfind("mesh ", 0) == 0)
      warnings.push_back(d.entries()[reported].text);
  return warnings;
}

}  // namespace sim
