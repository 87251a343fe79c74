// The orlis module's entry points.
#define ORBITER_MODULE
#include "orlis.h"
#include "module_exports.h"

DEFINE_VESSEL_MODULE(orlis)
