// The orlis module's entry points: ovcInit makes a satellite and hands it over as its VESSEL
// interface, ovcExit takes that pointer back and deletes the satellite. ModuleDate is emitted by
// the SDK header in this one file (ORBITER_MODULE); GetModuleVersion comes from the glue.
#define ORBITER_MODULE
#include "orlis.h"
#include "module_exports.h"

DEFINE_VESSEL_MODULE(orlis)
