// Helpers shared by the VESSEL method files: the one implementation behind several forms of a
// definition call. Each refuses bad arguments under the name of the call it serves.
#pragma once

#include "vessel/vessel.h"

namespace sim::api {

// An airfoil of the CreateAirfoil form; its record index, or -1 when refused.
int addAirfoil(Vessel &v, const char *call, AIRFOIL_ORIENTATION align, const VECTOR3 &ref, AirfoilCoeffFunc cf,
               double c, double S, double A);
// A control surface; its handle, or null when refused.
CTRLSURFHANDLE addControlSurface(Vessel &v, const char *call, AIRCTRL_TYPE type, double area, double dCl,
                                 const VECTOR3 &ref, int axis, double delay, UINT anim);
// The interface's answer to a call only a screen can answer: counted, nothing else.
void headless(const char *call);

}  // namespace sim::api
