// The pelo_ring module's entry points.
#define ORBITER_MODULE
#include "pelo_ring.h"
#include "module_exports.h"

DEFINE_VESSEL_MODULE(pelo_ring)
