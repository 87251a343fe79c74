// --landing-law (see landing_law.h).
#include "app/landing_law.h"

#include <algorithm>

#include "scenario/document.h"
#include "world/errors.h"
#include "world/text.h"

namespace sim {

namespace {
constexpr const char *kKeyword = "LANDLAW";

bool isLawLine(const SourceLine &l) {
  std::string t = trimScenarioLine(l.text);
  return t.size() >= 7 && equalsNoCase(t.substr(0, 7), kKeyword);
}
}  // namespace

void applyLandingLaw(ScenarioDocument &doc, const std::string &focus, const std::string &law) {
  if (law.empty()) return;
  const std::string &want = focus.empty() ? doc.focus : focus;
  ShipBlock *ship = nullptr;
  for (ShipBlock &s : doc.ships)
    if (want.empty() ? &s == &doc.ships.front() : equalsNoCase(s.name, want)) ship = &s;
  if (!ship) throw InputError("--landing-law: " + doc.file + " has no vessel \"" + want + "\"");
  if (!equalsNoCase(ship->className, "larkon"))
    throw InputError("--landing-law: vessel \"" + ship->name + "\" of " + doc.file + " is no booster (larkon)");
  auto &lines = ship->lines;
  lines.erase(std::remove_if(lines.begin(), lines.end(), isLawLine), lines.end());
  if (law == "precision") lines.push_back(SourceLine{ship->line, std::string("  ") + kKeyword + " 1"});
}

}  // namespace sim
