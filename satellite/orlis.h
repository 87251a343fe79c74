// The orlis vessel class.
#pragma once

#include "Orbitersdk.h"

class orlis final : public VESSEL3 {
 public:
  orlis(OBJHANDLE hVessel, int flightmodel) : VESSEL3(hVessel, flightmodel) {}
};
