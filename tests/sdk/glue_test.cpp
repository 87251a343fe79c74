// The module glue: load hooks, the interface version and the build dates; and a module's exit
// point given a null pointer.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "loader/module.h"
#include "world_fixture.h"

// Every block this program and the modules it loads give back, counted: the global allocation
// functions are replaced for the whole process.
namespace {
long g_freed = 0;
}  // namespace
void *operator new(std::size_t n) {
  if (void *p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
// The modules make their vessels with new (std::nothrow): from the same heap as the rest.
void *operator new(std::size_t n, const std::nothrow_t &) noexcept {
  return std::malloc(n ? n : 1);
}
void operator delete(void *p) noexcept {
  if (p) g_freed++;
  std::free(p);
}
void operator delete(void *p, std::size_t) noexcept {
  if (p) g_freed++;
  std::free(p);
}

namespace {

TEST(Date2Int, ConvertsTheInterfaceAndModuleDates) {
  EXPECT_EQ(Date2Int(const_cast<char *>("Apr 12 2016")), 160412);
  EXPECT_EQ(Date2Int(const_cast<char *>("May 13 2016")), 160513);
  EXPECT_EQ(Date2Int(const_cast<char *>("december 31 1999")), 991231);  // case-insensitive, 3 letters
  EXPECT_EQ(Date2Int(const_cast<char *>("Foo 1 2020")), 201301);        // unknown month gives 13
}

// The vessel modules this build made.
std::vector<std::string> vesselModules() {
  std::vector<std::string> names;
  std::string list = ARVEX_TEST_VESSEL_MODULES;
  for (size_t b = 0; b < list.size();) {
    size_t e = list.find(',', b);
    if (e == std::string::npos) e = list.size();
    names.push_back(list.substr(b, e - b));
    b = e + 1;
  }
  return names;
}

TEST(ModuleGlue, EveryModuleReportsItsDatesAndCachesTheVersion) {
  auto w = testsupport::makeWorld();
  for (const std::string &module : vesselModules()) {
    const char *name = module.c_str();
    sim::Module &m = w->modules().load(name);
    EXPECT_STREQ(m.moduleDate(), "May 13 2016") << name;
    EXPECT_EQ(m.buildDate, 160513) << name;
    EXPECT_EQ(m.apiVersion, 160412) << name;
    int before = sim::date2IntCalls();
    EXPECT_EQ(m.getModuleVersion(), 160412);
    EXPECT_EQ(m.getModuleVersion(), 160412);
    EXPECT_EQ(sim::date2IntCalls(), before) << name << ": the version was converted again";
  }
}

TEST(ModuleGlue, CallsInitLibWithItsOwnHandleAndRunsTheHooks) {
  std::string exitFile = (std::filesystem::temp_directory_path() / "arvex_exit_hook").string();
  std::filesystem::remove(exitFile);
  setenv("RECORDER_EXIT_FILE", exitFile.c_str(), 1);
  {
    auto w = testsupport::makeWorld();
    sim::Module &m = w->modules().load("test_recorder");
    bool found = false;
    for (const sim::InitLibRecord &r : sim::initLibCalls())
      if (r.handle == m.handle) found = r.file.find("test_recorder.so") != std::string::npos;
    EXPECT_TRUE(found) << "InitLib was not called with the module's handle";
    auto log = reinterpret_cast<const char *(*)()>(dlsym(m.handle, "recorderLog"));
    ASSERT_NE(log, nullptr);
    EXPECT_NE(std::string(log()).find("InitModule"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(exitFile));
  }  // the world unloads the module: its ExitModule hook runs
  EXPECT_TRUE(std::filesystem::exists(exitFile));
  unsetenv("RECORDER_EXIT_FILE");
  std::filesystem::remove(exitFile);
}

// A null pointer frees nothing, and the module's live vessel (each class is named after its
// module) goes on as before; the object of the module's own making is freed, once.
TEST(ModuleGlue, OvcExitWithNullDoesNothing) {
  auto w = testsupport::makeWorld();
  const sim::CelestialBody &earth = *w->findBody("Earth");
  for (const std::string &module : vesselModules()) {
    const char *name = module.c_str();
    Vessel &v = w->createVessel(module, module,
                                testsupport::orbiting(earth, _V(6.9e6, 0, 0), _V(0, 0, 7600)));
    sim::Module &m = w->modules().load(name);
    VESSEL *spare = m.ovcInit(v.handle(), 1);
    ASSERT_NE(spare, nullptr) << name;
    std::string before = w->scenarioText();
    long freed = g_freed;
    m.ovcExit(nullptr);
    EXPECT_EQ(g_freed, freed) << name;
    EXPECT_EQ(w->scenarioText(), before) << name;
    freed = g_freed;
    m.ovcExit(spare);
    EXPECT_EQ(g_freed, freed + 1) << name;
  }
  w->step();
}

}  // namespace
