// A module's unit tests hold the module's code (its operations library) and register it with the
// host as the module of its class: every world of the test program then makes that class's
// vessels from the code in the program, never from the module file. The tests call the code's
// functions directly, and they see the one copy of its module-wide variables that the vessels use.
#pragma once

#include "loader/module.h"
#include "module_exports.h"
#include "vessel/vessel.h"

namespace testsupport {

// Makes the program's class C the module NAME for every world; returns true (for an initialiser).
template <class C>
bool linkVesselModule(const char *name) {
  sim::linkModule(name, &frame::newVessel<C>, &frame::deleteVessel<C>);
  return true;
}

// True if v was made from code linked into the program, not from a module file.
inline bool madeFromLinkedCode(const Vessel &v) {
  return v.module && !v.module->handle && v.module->ovcInit;
}

}  // namespace testsupport
