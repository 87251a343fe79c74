// The booster test programs make every booster from the booster code linked into them.
#include "booster/larkon.h"
#include "linked_module.h"

namespace {
[[maybe_unused]] const bool kLinked = testsupport::linkVesselModule<larkon>("larkon");
}  // namespace
