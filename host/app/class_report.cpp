// The registry of class reports and checks (see class_report.h).
#include "app/class_report.h"

#include <map>

#include "world/text.h"

namespace sim {
namespace {

// By lower-case class name; built on first use, so registrations from static initialisers of any
// file find it.
std::map<std::string, ClassHooks> &registry() {
  static std::map<std::string, ClassHooks> hooks;
  return hooks;
}

}  // namespace

bool registerClassHooks(const std::string &className, ClassHooks hooks) {
  registry()[lowerCase(className)] = std::move(hooks);
  return true;
}

const ClassHooks *classHooks(const std::string &className) {
  auto it = registry().find(lowerCase(className));
  return it == registry().end() ? nullptr : &it->second;
}

}  // namespace sim
