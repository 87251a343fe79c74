// A test module that lacks ovcExit: the host must refuse to load it.
#define ORBITER_MODULE
#include "Orbitersdk.h"

DLLCLBK VESSEL *ovcInit(OBJHANDLE, int) { return nullptr; }
