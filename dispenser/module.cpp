// The pelo_ring module's entry points: ovcInit creates a ring, ovcExit deletes it. The ring owns
// no allocations of its own (no animations), so deleting the object frees everything.
#define ORBITER_MODULE
#include "module_exports.h"
#include "pelo_ring.h"

DEFINE_VESSEL_MODULE(pelo_ring)
