// A test module whose ovcInit returns null: the host must make a plain VESSEL and call nothing.
#define ORBITER_MODULE
#include "Orbitersdk.h"

namespace {
int g_exitCalls = 0;
}
DLLCLBK int nullModuleExitCalls() { return g_exitCalls; }
DLLCLBK VESSEL *ovcInit(OBJHANDLE, int) { return nullptr; }
DLLCLBK void ovcExit(VESSEL *) { g_exitCalls++; }
