// Scenarios by name: files, names under Scenarios/ in any case where only one matches, refusals
// that say why (a folder, a device, several matches, no such name with the bundled ones listed),
// and the descriptions `simhost list` prints.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/run.h"
#include "app/scenario_names.h"
#include "host_test_util.h"

namespace {

namespace fs = std::filesystem;
using testsupport::TempDataRoot;

std::string refusal(const std::string &scenario, const fs::path &root) {
  try {
    sim::resolveScenario(scenario, root);
  } catch (const sim::InputError &e) {
    return e.what();
  }
  return "";
}

TEST(ScenarioNames, NamesMatchExactlyOrInAnyCaseWhenOnlyOneFileDoes) {
  TempDataRoot root;
  fs::path a = root.writeScenario("Quiet pad", "BEGIN_ENVIRONMENT\nEND_ENVIRONMENT\n");
  fs::path upper = root.writeScenario("TWIN", "BEGIN_ENVIRONMENT\nEND_ENVIRONMENT\n");
  fs::path lower = root.writeScenario("twin", "BEGIN_ENVIRONMENT\nEND_ENVIRONMENT\n");
  for (auto [name, file] : std::vector<std::pair<std::string, fs::path>>{{"Quiet pad", a},
                                                                         {"Quiet pad.scn", a},
                                                                         {"quiet PAD", a},
                                                                         {"QUIET PAD.SCN", a},
                                                                         {"TWIN", upper},
                                                                         {"twin.scn", lower},
                                                                         {a.string(), a}})
    EXPECT_EQ(sim::resolveScenario(name, root.path()), file) << name;
  EXPECT_NE(refusal("Twin", root.path()).find("matches \"TWIN.scn\", \"twin.scn\""),
            std::string::npos)
      << refusal("Twin", root.path());
}

TEST(ScenarioNames, RefusalsSayWhyAndListTheBundledScenarios) {
  TempDataRoot root;
  root.writeScenario("Alpha", "BEGIN_ENVIRONMENT\nEND_ENVIRONMENT\n");
  root.writeScenario("Beta", "BEGIN_ENVIRONMENT\nEND_ENVIRONMENT\n");
  for (auto [scenario, why] : std::vector<std::pair<std::string, std::string>>{
           {root.path().string(), "is a folder, not a scenario file"},
           {"/dev/zero", "is a device, not a scenario file"},
           {"Gamma", "no such file, and no scenario of that name in " +
                         (root.path() / "Scenarios").string() +
                         " (it holds \"Alpha\", \"Beta\")"}}) {
    std::string e = refusal(scenario, root.path());
    std::string expected = "scenario \"" + scenario;
    expected += "\": " + why;
    EXPECT_NE(e.find(expected), std::string::npos) << e;
  }
}

TEST(ScenarioNames, TheListShowsEveryBundledScenarioWithItsFirstSentence) {
  TempDataRoot root;
  root.writeScenario("One",
                     "BEGIN_DESC\nFirst sentence over\n two lines. Second sentence.\nEND_DESC\n"
                     "BEGIN_ENVIRONMENT\nEND_ENVIRONMENT\n");
  root.writeScenario("Two", "BEGIN_ENVIRONMENT\nEND_ENVIRONMENT\n");
  root.writeScenario("Broken", "BEGIN_DESC\nno end\n");
  std::ostringstream out, err;
  EXPECT_EQ(sim::listScenarios({root.path()}, {}, out, err), 0) << err.str();
  EXPECT_EQ(out.str().substr(0, out.str().find("One")),
            "Broken\n    (cannot be read: " + (root.path() / "Scenarios" / "Broken.scn").string() +
                ":1: BEGIN_DESC without END_DESC)\n");
  EXPECT_NE(out.str().find("One\n    First sentence over two lines.\nTwo\n"), std::string::npos)
      << out.str();

  std::ostringstream bundled, none;
  ASSERT_EQ(sim::listScenarios({testsupport::dataRoot()}, {}, bundled, none), 0);
  for (const std::string &name : sim::scenarioNames(testsupport::dataRoot()))
    EXPECT_NE(bundled.str().find(
                  name + (name == sim::kDefaultScenario ? " (the default)\n    " : "\n    ")),
              std::string::npos)
        << name << " has no description in\n"
        << bundled.str();
  EXPECT_EQ(sim::listScenarios({root.path() / "nowhere"}, {}, bundled, none), 2);
}

}  // namespace
