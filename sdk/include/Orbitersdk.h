// Orbitersdk.h: the one header a vessel module includes.
#ifndef ORBITERSDK_H
#define ORBITERSDK_H

#include "OrbiterAPI.h"
#include "VesselAPI.h"
#include "DrawAPI.h"

#endif  // ORBITERSDK_H
