// The module entry points every vessel module exports, for its one vessel class C:
//   ovcInit(handle, flight model): a new C (via VESSEL3's constructor) as a VESSEL pointer, or
//                                  null if the allocation yields nothing;
//   ovcExit(pointer):              the same pointer converted back to C and deleted; null does
//                                  nothing.
// ModuleDate comes from the SDK header (ORBITER_MODULE, in exactly one translation unit) and
// GetModuleVersion from the glue. The two functions behind the entry points are templates of
// their own, so that a program holding a module's code itself (its unit tests) creates and deletes
// the vessels exactly as the module does.
#pragma once

#include <new>

#include "Orbitersdk.h"

namespace frame {

template <class C>
VESSEL *newVessel(OBJHANDLE hvessel, int flightmodel) {
  C *vessel = new (std::nothrow) C(hvessel, flightmodel);
  return vessel;  // converted to the VESSEL interface pointer
}

template <class C>
void deleteVessel(VESSEL *vessel) {
  if (vessel) delete static_cast<C *>(vessel);
}

}  // namespace frame

#define DEFINE_VESSEL_MODULE(C)                                 \
  DLLCLBK VESSEL *ovcInit(OBJHANDLE hvessel, int flightmodel) { \
    return frame::newVessel<C>(hvessel, flightmodel);           \
  }                                                             \
  DLLCLBK void ovcExit(VESSEL *vessel) { frame::deleteVessel<C>(vessel); }
