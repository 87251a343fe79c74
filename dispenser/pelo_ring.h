// The pelo_ring vessel class.
#pragma once

#include "Orbitersdk.h"

class pelo_ring final : public VESSEL3 {
 public:
  pelo_ring(OBJHANDLE hVessel, int flightmodel) : VESSEL3(hVessel, flightmodel) {}
};
