// Warnings about a loaded scenario: a class file without a module for a vessel whose lines need
// one, a booster target that names nothing, a mesh that cannot be read; and none for a scenario
// that flies as written.
#include <gtest/gtest.h>

#include "app/class_report.h"
#include "app/load_warnings.h"
#include "host_test_util.h"

namespace {

using testsupport::TempDataRoot;

// The warnings of loading text as w.scn.
std::vector<std::string> warningsFor(TempDataRoot &root, const std::string &text) {
  auto w = testsupport::makeWorld(0.1, root.path());
  w->loadScenario(root.writeScenario("w", text));
  std::vector<std::string> all = sim::loadWarnings(*w);
  size_t seen = 0;
  for (std::string &m : sim::meshWarnings(w->diagnostics(), seen)) all.push_back(m);
  return all;
}

std::string booster(const std::string &target) {
  return hosttest::scenarioWithShips(
      "B:larkon\n  STATUS Flying Earth\n  POS -80.6 28.6\n  ALT 5000\n  HEADING 0\n"
      "  GSPEED 0 0\n  APST 0 0 1 0 2\n  LPRM " +
      target + "\nEND\n");
}

TEST(LoadWarnings, AScenarioThatFliesAsWrittenHasNone) {
  TempDataRoot root;
  EXPECT_TRUE(warningsFor(root, booster("Kestrel+Point")).empty());
  EXPECT_TRUE(warningsFor(root, booster("NULL")).empty());
  hosttest::addTestClasses(root);
  EXPECT_TRUE(
      warningsFor(root, hosttest::scenarioWithShips("D:dock\n" + hosttest::orbitLines() + "END\n"))
          .empty());
}

TEST(LoadWarnings, ABoosterTargetThatNamesNothingIsNamedWithItsLine) {
  TempDataRoot root;
  std::vector<std::string> w = warningsFor(root, booster("Nowhere+Point"));
  ASSERT_EQ(w.size(), 1u);
  EXPECT_NE(w[0].find("w.scn:14: vessel \"B\": its target \"Nowhere Point\" (LPRM) names no vessel "
                      "and no base of "
                      "Earth"),
            std::string::npos)
      << w[0];
  ASSERT_NE(sim::classHooks("LARKON"), nullptr);  // classes are named in any case
  EXPECT_EQ(sim::classHooks("larkon")->reportKey, "landing");
  EXPECT_EQ(sim::classHooks("cargo_crate"), nullptr);
}

TEST(LoadWarnings, AClassWithoutAModuleNamesTheLinesNoOneReads) {
  TempDataRoot root;
  root.addClass("larkon", "");  // an empty class file: the vessel flies as a passive one
  std::vector<std::string> w = warningsFor(root, booster("Kestrel+Point"));
  ASSERT_EQ(w.size(), 1u);
  EXPECT_NE(w[0].find("w.scn:7: vessel \"B\": " + root.file("Config/Vessels/larkon.cfg").string() +
                      " names no Module, so it flies as a passive vessel from that file's values "
                      "and these lines "
                      "are not read: APST, LPRM"),
            std::string::npos)
      << w[0];
}

TEST(LoadWarnings, AMeshThatCannotBeReadIsReported) {
  TempDataRoot root;
  root.addClass("boxed", "ClassName = boxed\nMass = 10\nMeshName = Nowhere/box\n");
  std::vector<std::string> w = warningsFor(
      root, hosttest::scenarioWithShips("X:boxed\n" + hosttest::orbitLines() + "END\n"));
  ASSERT_EQ(w.size(), 1u);
  EXPECT_NE(w[0].find("mesh Nowhere/box: file " + root.file("Meshes/Nowhere/box.msh").string() +
                      " not found"),
            std::string::npos)
      << w[0];
}

}  // namespace
