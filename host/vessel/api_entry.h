// Entry of every VESSEL method: the interface object must be bound to a host vessel (a module
// could construct one with an invented handle); the call is traced when tracing is on.
#pragma once

#include "vessel/vessel.h"

// The interface returns `const OBJHANDLE` in places, as the simulator's headers do.
#pragma GCC diagnostic ignored "-Wignored-qualifiers"

#define VESSEL_ENTRY(callName, ...)  \
  Vessel *const v = this->vessel;    \
  if (!v) return __VA_ARGS__;        \
  v->traceCall(callName)
