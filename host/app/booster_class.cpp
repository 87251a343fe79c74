// What simhost run adds for the booster class (see class_report.h): the landing report of the
// focus stage, and a warning when a stage's LPRM line names a target that is nowhere in the world.
// The stage itself drops such a target after creation and flies with its flyback and sequence
// off; the warning only says so, naming the target and the line.
#include "app/class_report.h"
#include "app/landing_report.h"
#include "scenario/document.h"
#include "scenario/streams.h"
#include "vessel/vessel.h"
#include "world/errors.h"
#include "world/text.h"
#include "world/world.h"

namespace sim {
namespace {

constexpr const char *kBoosterClass = "larkon";

// The target an LPRM line names (its first word, the first '+' read as a blank), as the stage
// reads it, and the line; empty when the block has no LPRM line.
std::string lprmTarget(const ShipBlock &ship, int &line) {
  std::string target;
  for (const SourceLine &l : ship.lines) {
    std::string text = trimScenarioLine(l.text);
    if (text.size() < 4 || !equalsNoCase(text.substr(0, 4), "LPRM")) continue;
    std::string rest = trim(text.substr(4));
    target = rest.substr(0, std::min<size_t>(rest.find_first_of(" \t"), 255));
    if (size_t plus = target.find('+'); plus != std::string::npos) target[plus] = ' ';
    line = l.number;
  }
  return target;
}

std::vector<std::string> checkTarget(const World &w, const Vessel &v, const ShipBlock &ship,
                                     const std::string &file) {
  int line = ship.line;
  std::string target = lprmTarget(ship, line);
  if (target.empty() || target == "NULL" || w.findObject(target)) return {};
  const CelestialBody *body = w.gravityRefAt(v.globalPos());
  if (body && w.findBase(body, target)) return {};
  return {at(file, line,
             "vessel \"" + v.name() + "\": its target \"" + target +
                 "\" (LPRM) names no vessel and " + "no base of " +
                 (body ? body->name() : std::string("its body")) +
                 "; the stage drops it and flies with its flyback and sequence off")};
}

std::unique_ptr<ClassReport> makeLandingReport(World &w, Vessel &v) {
  return std::make_unique<LandingRecorder>(w, v);
}

[[maybe_unused]] const bool kRegistered =
    registerClassHooks(kBoosterClass, {"landing", makeLandingReport, checkTarget});

}  // namespace
}  // namespace sim
