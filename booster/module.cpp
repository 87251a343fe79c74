// The larkon module's entry points.
#define ORBITER_MODULE
#include "larkon.h"
#include "module_exports.h"

DEFINE_VESSEL_MODULE(larkon)
