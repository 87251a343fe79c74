// Module glue, linked into every vessel module.
//
// On load the module announces itself to the core (InitLib with its own library handle) and looks
// up its optional exit hook ("ExitModule", else "opcDLLExit"), which it calls on unload.
// GetModuleVersion reports the interface date the module was built against as the core's Date2Int
// value, computed once and cached.
#include "OrbiterAPI.h"

#include <dlfcn.h>

namespace {

typedef void (*ModuleExitHook)(HINSTANCE);

HINSTANCE g_moduleHandle = nullptr;
ModuleExitHook g_exitHook = nullptr;

// The library handle of the module this glue is linked into.
HINSTANCE ownLibraryHandle() {
  Dl_info info;
  if (!dladdr(reinterpret_cast<void *>(&ownLibraryHandle), &info) || !info.dli_fname) return nullptr;
  void *handle = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
  if (handle) dlclose(handle);  // drop the reference NOLOAD added; the loader still holds one
  return handle;
}

__attribute__((constructor)) void onModuleLoad() {
  g_moduleHandle = ownLibraryHandle();
  InitLib(g_moduleHandle);
  if (!g_moduleHandle) return;
  void *hook = dlsym(g_moduleHandle, "ExitModule");
  if (!hook) hook = dlsym(g_moduleHandle, "opcDLLExit");
  g_exitHook = reinterpret_cast<ModuleExitHook>(hook);
}

__attribute__((destructor)) void onModuleUnload() {
  if (g_exitHook) g_exitHook(g_moduleHandle);
}

}  // namespace

// Interface date of the headers the module was built against.
static char g_interfaceDate[] = "Apr 12 2016";

int oapiGetModuleVersion() {
  static int version = 0;
  if (!version) version = Date2Int(g_interfaceDate);
  return version;
}

DLLCLBK int GetModuleVersion(void) { return oapiGetModuleVersion(); }

void dummy() {}
