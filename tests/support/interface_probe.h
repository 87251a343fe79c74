// Calls every query of the interface that plain vessel add-ons read, on one vessel, and reports
// the first answer that is not finite. Shared by the fuzz targets (after every step) and the unit
// tests (in chosen odd states): no state a vessel can reach may make one of them answer NaN or
// infinity, nor crash.
#pragma once

#include <string>

#include "VesselAPI.h"

namespace probe {

// "" if every answer is finite, else the name of the first call that was not.
std::string nonFiniteAnswer(VESSEL &v);

}  // namespace probe
