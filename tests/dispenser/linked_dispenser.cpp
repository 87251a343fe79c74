// The dispenser test program makes every ring from the dispenser code linked into it.
#include "dispenser/pelo_ring.h"
#include "linked_module.h"

namespace {
[[maybe_unused]] const bool kLinked = testsupport::linkVesselModule<pelo_ring>("pelo_ring");
}  // namespace
