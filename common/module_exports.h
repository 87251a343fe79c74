// The module entry points every vessel module exports, for its one vessel class C:
//   ovcInit(handle, flight model): a new C (via VESSEL3's constructor) as a VESSEL pointer, or
//                                  null if the allocation yields nothing;
//   ovcExit(pointer):              the same pointer converted back to C and deleted; null does
//                                  nothing.
// ModuleDate comes from the SDK header (ORBITER_MODULE, in exactly one translation unit) and
// GetModuleVersion from the glue.
#pragma once

#include <new>

#include "Orbitersdk.h"

#define DEFINE_VESSEL_MODULE(C)                                                     \
  DLLCLBK VESSEL *ovcInit(OBJHANDLE hvessel, int flightmodel) {                     \
    C *vessel = new (std::nothrow) C(hvessel, flightmodel);                         \
    return vessel; /* converted to the VESSEL interface pointer */                  \
  }                                                                                 \
  DLLCLBK void ovcExit(VESSEL *vessel) {                                            \
    if (vessel) delete static_cast<C *>(vessel);                                    \
  }
