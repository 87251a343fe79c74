// Module loading and the core's exports for the module glue (see module.h).
//
// Date2Int: "Mmm dd yyyy" scanned as month name, day and year; the first three letters of the
// month matched case-insensitively (an unknown month gives 13); result (year % 100) * 10000 +
// month * 100 + day.
#include "loader/module.h"
#include "loader/module_file.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstring>

#include "world/errors.h"
#include "world/text.h"
#include "world/world.h"

namespace sim {
namespace {
std::vector<InitLibRecord> g_initLib;
int g_date2Int = 0;

struct LinkedModule {
  std::string name;
  VESSEL *(*ovcInit)(OBJHANDLE, int);
  void (*ovcExit)(VESSEL *);
};
std::vector<LinkedModule> &linkedModules() {
  static std::vector<LinkedModule> modules;
  return modules;
}
}  // namespace

void linkModule(const std::string &name, VESSEL *(*ovcInit)(OBJHANDLE, int),
                void (*ovcExit)(VESSEL *)) {
  linkedModules().push_back({name, ovcInit, ovcExit});
}

const std::vector<InitLibRecord> &initLibCalls() { return g_initLib; }
int date2IntCalls() { return g_date2Int; }

ModuleRegistry::~ModuleRegistry() {
  for (auto it = modules_.rbegin(); it != modules_.rend(); ++it)
    if ((*it)->handle) dlclose((*it)->handle);
}

namespace {

const LinkedModule *linkedModule(const std::string &name) {
  for (const LinkedModule &l : linkedModules())
    if (equalsNoCase(l.name, name)) return &l;
  return nullptr;
}

// The module's file: an add-on's folders first, then dir; in each folder NAME.so, then the
// simulator's Linux name libNAME.so. Throws naming both names in dir when there is none.
std::filesystem::path moduleFile(const std::string &name,
                                 const std::vector<std::filesystem::path> &addonDirs,
                                 const std::filesystem::path &dir) {
  if (name.empty() || name.find_first_of("/\\") != std::string::npos)
    throw InputError("invalid module name \"" + name + "\"");
  std::filesystem::path file = dir / (name + ".so"), lib = dir / ("lib" + name + ".so");
  std::error_code ec;  // a name the file system cannot take is a missing module, not a crash
  std::vector<std::filesystem::path> dirs = addonDirs;
  dirs.push_back(dir);
  for (const std::filesystem::path &d : dirs)
    for (const std::filesystem::path &f : {d / (name + ".so"), d / ("lib" + name + ".so")})
      if (std::filesystem::exists(f, ec)) return f;
  throw InputError("module " + name + ": file " + file.string() + " not found (nor " +
                   lib.string() + ")");
}

// dlopen after a look at the file, so that a file that is no module says why.
void *openModule(const std::string &name, const std::filesystem::path &file) {
  if (std::string problem = moduleFileProblem(file); !problem.empty())
    throw InputError("module " + name + ": cannot load " + file.string() + ": " + problem);
  dlerror();
  void *h = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!h) {
    const char *e = dlerror();
    throw InputError("module " + name + ": cannot load " + file.string() + ": " + (e ? e : "unknown error"));
  }
  return h;
}

// The four exports, all looked up before any is called; a module lacking one is closed again.
void bindExports(Module &m, void *h) {
  const char *names[] = {"ovcInit", "ovcExit", "ModuleDate", "GetModuleVersion"};
  void *syms[4];
  for (int i = 0; i < 4; i++) {
    syms[i] = dlsym(h, names[i]);
    if (!syms[i]) {
      dlclose(h);
      throw InputError("module " + m.name + ": " + m.path.string() + " lacks the export " +
                       names[i]);
    }
  }
  m.ovcInit = reinterpret_cast<VESSEL *(*)(OBJHANDLE, int)>(syms[0]);
  m.ovcExit = reinterpret_cast<void (*)(VESSEL *)>(syms[1]);
  m.moduleDate = reinterpret_cast<char *(*)()>(syms[2]);
  m.getModuleVersion = reinterpret_cast<int (*)()>(syms[3]);
}

}  // namespace

Module &ModuleRegistry::load(const std::string &name) {
  for (auto &m : modules_)
    if (equalsNoCase(m->name, name)) return *m;
  if (const LinkedModule *l = linkedModule(name)) {
    auto m = std::make_unique<Module>();
    m->name = name;
    m->ovcInit = l->ovcInit;
    m->ovcExit = l->ovcExit;
    modules_.push_back(std::move(m));
    return *modules_.back();
  }
  std::filesystem::path file = moduleFile(name, addonDirs_, dir_);
  void *h = openModule(name, file);
  auto m = std::make_unique<Module>();
  m->name = name;
  m->path = file;
  m->handle = h;
  bindExports(*m, h);
  m->apiVersion = m->getModuleVersion();
  m->buildDate = Date2Int(m->moduleDate());
  modules_.push_back(std::move(m));
  return *modules_.back();
}

}  // namespace sim

int Date2Int(char *date) {
  sim::g_date2Int++;
  static const char *months[] = {"jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
  char month[32] = {};
  int day = 0, year = 0;
  if (!date || std::sscanf(date, "%31s%d%d", month, &day, &year) < 1) return 0;
  int m = 13;
  for (int i = 0; i < 12; i++)
    if (strncasecmp(month, months[i], 3) == 0) m = i + 1;
  return (year % 100) * 10000 + m * 100 + day;
}

void InitLib(HINSTANCE hModule) {
  std::string file = "?";
  if (hModule) {
    // The module's file name, from the address of any symbol it exports.
    void *sym = dlsym(hModule, "ovcInit");
    Dl_info info;
    if (sym && dladdr(sym, &info) && info.dli_fname) file = info.dli_fname;
  }
  sim::g_initLib.push_back({hModule, file});
  if (sim::World *w = sim::World::current(); w && w->stepCount() == 0 && hModule) {
    auto ver = reinterpret_cast<int (*)()>(dlsym(hModule, "GetModuleVersion"));
    auto date = reinterpret_cast<char *(*)()>(dlsym(hModule, "ModuleDate"));
    char text[64];
    std::snprintf(text, sizeof text, "[Build %06d, API %06d]", date ? Date2Int(date()) : 0, ver ? ver() : 0);
    w->diagnostics().note("Module " + file, text);
  }
  if (hModule) {
    void *init = dlsym(hModule, "InitModule");
    if (!init) init = dlsym(hModule, "opcDLLInit");
    if (init) reinterpret_cast<void (*)(HINSTANCE)>(init)(hModule);
  }
}
