// The satellite test program makes every satellite from the satellite code linked into it.
#include "linked_module.h"
#include "satellite/orlis.h"

namespace {
[[maybe_unused]] const bool kLinked = testsupport::linkVesselModule<orlis>("orlis");
}  // namespace
