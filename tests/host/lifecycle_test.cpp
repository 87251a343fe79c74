// The order in which the host calls a module: scenario vessels (every vessel created and loaded
// before any gets clbkPostCreation), the per-step callbacks, vessels created and deleted at run
// time, a module whose ovcInit returns null, and modules and classes that cannot be used.
#include <gtest/gtest.h>

#include "host_test_util.h"

namespace {

using namespace testsupport;
using hosttest::RecorderLog;

class Lifecycle : public ::testing::Test {
 protected:
  void SetUp() override { hosttest::addTestClasses(root); }
  TempDataRoot root;
};

TEST_F(Lifecycle, ScenarioVesselsAreAllLoadedBeforeAnyPostCreation) {
  auto w = makeWorld(0.1, root.path());
  RecorderLog log(*w);
  ASSERT_TRUE(log.ok());
  log.clear();
  std::string ships = "A:recorder\n" + hosttest::orbitLines() + "  REC first\nEND\n" + "B:recorder\n" +
                      hosttest::orbitLines(5000) + "END\n";
  w->loadScenario(root.writeScenario("two", hosttest::scenarioWithShips(ships)));
  EXPECT_EQ(log.text(),
            "ovcInit;construct;clbkSetClassCaps;clbkLoadStateEx;line[REC first];"
            "ovcInit;construct;clbkSetClassCaps;clbkLoadStateEx;"
            "clbkPostCreation;clbkPostCreation;");
  // The state the default parser read was applied after the module's callback returned.
  EXPECT_DOUBLE_EQ(w->findVessel("B")->st.rpos.z, 5000.0);

  // Every vessel's clbkPreStep(t0, dt), then every clbkPostStep(t1).
  log.clear();
  w->step();
  w->step();
  EXPECT_EQ(log.text(),
            "clbkPreStep(0.000000,0.100000);clbkPreStep(0.000000,0.100000);"
            "clbkPostStep(0.100000);clbkPostStep(0.100000);"
            "clbkPreStep(0.100000,0.100000);clbkPreStep(0.100000,0.100000);"
            "clbkPostStep(0.200000);clbkPostStep(0.200000);");

  // The saved block carries the module's own line after the standard ones.
  log.clear();
  std::string text = w->scenarioText();
  EXPECT_EQ(log.text(), "clbkSaveState;clbkSaveState;");
  size_t a = text.find("A:recorder\n");
  ASSERT_NE(a, std::string::npos);
  EXPECT_LT(text.find("  STATUS Orbiting Earth", a), text.find("  REC kept\n", a));

  // The world deletes its vessels through the module.
  log.clear();
  w->deleteVessel(*w->findVessel("A"));
  EXPECT_EQ(log.text(), "ovcExit;destruct;");
  EXPECT_EQ(w->findVessel("A"), nullptr);
}

TEST_F(Lifecycle, RunTimeVesselGetsSetStateAndPostCreationAtOnce) {
  auto w = makeWorld(0.1, root.path());
  RecorderLog log(*w);
  log.clear();
  sim::CelestialBody &earth = *w->findBody("Earth");
  Vessel &v = w->createVessel("C", "recorder", orbiting(earth, _V(6.8e6, 0, 0), _V(0, 0, 7650)));
  EXPECT_EQ(log.text(), "ovcInit;construct;clbkSetClassCaps;clbkSetStateEx;clbkPostCreation;");
  EXPECT_DOUBLE_EQ(v.st.rpos.x, 6.8e6);
  EXPECT_EQ(v.intf->Version(), 2);
  EXPECT_FALSE(v.hostOwnsInterface);

  log.clear();
  w->deleteVessel(v);
  EXPECT_EQ(log.text(), "ovcExit;destruct;");

  // ovcExit(NULL) is entered but frees nothing.
  log.clear();
  w->modules().load("test_recorder").ovcExit(nullptr);
  EXPECT_EQ(log.text(), "ovcExit;");
}

TEST_F(Lifecycle, NullFromOvcInitGivesAPlainVesselTheHostDeletes) {
  auto w = makeWorld(0.1, root.path());
  sim::Module &m = w->modules().load("test_null");
  auto exitCalls = reinterpret_cast<int (*)()>(dlsym(m.handle, "nullModuleExitCalls"));
  ASSERT_NE(exitCalls, nullptr);

  std::string ships = "N:nullmod\n" + hosttest::orbitLines(1234) + "END\n";
  w->loadScenario(root.writeScenario("null", hosttest::scenarioWithShips(ships)));
  Vessel &v = *w->findVessel("N");
  EXPECT_EQ(v.intf->Version(), 0);
  EXPECT_TRUE(v.hostOwnsInterface);
  EXPECT_EQ(v.callbacks(), nullptr);
  // No callback parsed its block: the host's default parser did, and the class file applied.
  EXPECT_DOUBLE_EQ(v.st.rpos.z, 1234.0);
  EXPECT_DOUBLE_EQ(v.def.emptyMass, 250.0);
  w->step();
  EXPECT_NE(w->scenarioText().find("N:nullmod\n  STATUS Orbiting Earth\n"), std::string::npos);

  w->deleteVessel(v);
  EXPECT_EQ(w->findVessel("N"), nullptr);
  EXPECT_EQ(exitCalls(), 0) << "the module's ovcExit was called for a vessel it never made";
}

TEST_F(Lifecycle, UnusableModulesAndClassesAreRefusedByName) {
  auto w = makeWorld(0.1, root.path());
  sim::CelestialBody &earth = *w->findBody("Earth");
  auto createError = [&](const std::string &cls) -> std::string {
    try {
      w->createVessel("X", cls, orbiting(earth, _V(6.8e6, 0, 0), _V(0, 0, 7650)));
    } catch (const sim::InputError &e) {
      return e.what();
    }
    return "";
  };
  std::string e = createError("incomplete");
  EXPECT_NE(e.find("test_incomplete.so"), std::string::npos) << e;
  EXPECT_NE(e.find("ovcExit"), std::string::npos) << e;
  e = createError("ghost");
  EXPECT_NE(e.find("no_such_module.so"), std::string::npos) << e;
  EXPECT_NE(e.find("not found"), std::string::npos) << e;
  e = createError("no_such_class");
  EXPECT_NE(e.find("unknown vessel class \"no_such_class\""), std::string::npos) << e;
  EXPECT_TRUE(w->vessels().empty());

  // From a scenario, the message also names the file and the vessel's line.
  std::string ships =
      "Ok:cargo_crate\n" + hosttest::orbitLines() + "END\nBad:incomplete\n" + hosttest::orbitLines(100) + "END\n";
  w.reset();
  auto w2 = makeWorld(0.1, root.path());
  e = hosttest::loadError(*w2, root, "incomplete", hosttest::scenarioWithShips(ships));
  EXPECT_NE(e.find("incomplete.scn:12:"), std::string::npos) << e;
  EXPECT_NE(e.find("lacks the export ovcExit"), std::string::npos) << e;
}

TEST_F(Lifecycle, ClassNamesAreCaseInsensitiveAndModulesLoadOnce) {
  auto w = makeWorld(0.1, root.path());
  RecorderLog log(*w);
  log.clear();
  sim::CelestialBody &earth = *w->findBody("Earth");
  w->createVessel("R1", "Recorder", orbiting(earth, _V(6.8e6, 0, 0), _V(0, 0, 7650)));
  w->createVessel("R2", "RECORDER", orbiting(earth, _V(6.9e6, 0, 0), _V(0, 0, 7600)));
  EXPECT_EQ(&w->findVessel("r1")->vesselClass(), &w->findVessel("R2")->vesselClass());
  EXPECT_EQ(log.text().find("InitModule"), std::string::npos) << "the module was loaded again";
  // Vessel names are unique, ignoring case.
  EXPECT_THROW(w->createVessel("r1", "recorder", orbiting(earth, _V(7e6, 0, 0), _V(0, 0, 7500))), sim::InputError);
}

}  // namespace
