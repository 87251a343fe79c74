// The larkon vessel class.
#pragma once

#include "Orbitersdk.h"

class larkon final : public VESSEL3 {
 public:
  larkon(OBJHANDLE hVessel, int flightmodel) : VESSEL3(hVessel, flightmodel) {}
};
