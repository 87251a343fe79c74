// The staging overrides of simhost run: the stage's flying state rewritten before it is made,
// downrange measured from its target along the great circle, the main tank set afterwards.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "app/staging.h"
#include "scenario/document.h"
#include "vessel/vessel.h"
#include "world/errors.h"
#include "world_fixture.h"

namespace {

const char *kStage =
    "BEGIN_ENVIRONMENT\n  System Sol\n  Date MJD 60300.5\nEND_ENVIRONMENT\n"
    "BEGIN_FOCUS\n  Ship S1\nEND_FOCUS\n"
    "BEGIN_SHIPS\n"
    "S1:larkon\n"
    "  STATUS Flying Earth\n  POS -79.9895699 28.6083000\n  ALT 70000\n  HEADING 90\n  GSPEED 1700 35\n"
    "  PRPLEVEL 0:0.104167 1:1.000000\n  APST 0 0 0 0 1\n  LPRM Kestrel+Point\nEND\n"
    "END_SHIPS\n";

TEST(Staging, OverridesRewriteTheFlyingStateAndDownrangeKeepsTheBearing) {
  auto w = testsupport::makeWorld();
  sim::ScenarioDocument doc = sim::ScenarioDocument::parse(kStage, "stage.scn");
  sim::FlyingState before = sim::readFlyingState(doc, "");
  EXPECT_EQ(before.target, "Kestrel Point");
  EXPECT_NEAR(sim::downrangeOf(doc, *w, "", before), 60000.0, 100.0);

  sim::StagingOverrides o;
  o.altitude = 65000, o.speed = 1550, o.pathAngle = 31.5, o.heading = 93, o.downrange = 45000;
  sim::applyStaging(doc, *w, "", o);
  sim::FlyingState after = sim::readFlyingState(doc, "S1");
  EXPECT_DOUBLE_EQ(after.altitude, 65000);
  EXPECT_DOUBLE_EQ(after.speed, 1550);
  EXPECT_DOUBLE_EQ(after.pathAngle, 31.5);
  EXPECT_DOUBLE_EQ(after.heading, 93);
  EXPECT_NEAR(sim::downrangeOf(doc, *w, "", after), 45000.0, 0.05);
  // still due east of the target (the base is on the stage's latitude, so the great circle
  // through both bends only slightly toward the equator)
  EXPECT_NEAR(after.lat, before.lat, 0.01);
  EXPECT_GT(after.lng, -80.61);
  EXPECT_LT(after.lng, before.lng);

  // the changed document loads, and the stage flies from the new state
  sim::ScenarioDocument again = sim::ScenarioDocument::parse(kStage, "stage.scn");
  sim::StagingOverrides alt;
  alt.altitude = 61000;
  std::filesystem::path file = std::filesystem::temp_directory_path() / "staging_test_stage.scn";
  {
    std::ofstream(file) << kStage;
  }
  w->loadScenario(file, [&](sim::ScenarioDocument &d) { sim::applyStaging(d, *w, "", alt); });
  std::filesystem::remove(file);
  ASSERT_NE(w->focus(), nullptr);
  EXPECT_NEAR(w->focus()->sp.alt, 61000.0, 1.0);
}

TEST(Staging, PropellantIsBoundedByTheTankAndBadStatesAreNamed) {
  auto w = testsupport::makeWorld();
  std::filesystem::path file = std::filesystem::temp_directory_path() / "staging_test_prop.scn";
  {
    std::ofstream(file) << kStage;
  }
  w->loadScenario(file);
  std::filesystem::remove(file);
  Vessel &v = *w->focus();
  sim::StagingOverrides o;
  o.propellant = 35000;
  sim::applyStagingPropellant(v, o);
  EXPECT_DOUBLE_EQ(v.st.tankMass[0], 35000);
  o.propellant = 1e9;
  sim::applyStagingPropellant(v, o);
  EXPECT_DOUBLE_EQ(v.st.tankMass[0], v.def.tanks[0].maxMass);

  // a stage in the orbiting form, or one without a target, cannot be staged by distance
  std::string orbiting = kStage;
  orbiting.replace(orbiting.find("  POS"), orbiting.find("  PRPLEVEL") - orbiting.find("  POS"),
                   "  RPOS 6771010 0 0\n  RVEL 0 0 7672\n");
  orbiting.replace(orbiting.find("Flying"), 6, "Orbiting");
  sim::ScenarioDocument doc = sim::ScenarioDocument::parse(orbiting, "orbit.scn");
  sim::StagingOverrides alt;
  alt.altitude = 60000;
  try {
    sim::applyStaging(doc, *w, "", alt);
    ADD_FAILURE() << "an orbiting stage was staged";
  } catch (const sim::InputError &e) {
    EXPECT_NE(std::string(e.what()).find("orbit.scn"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("flying form"), std::string::npos) << e.what();
  }
  std::string untargeted = kStage;
  untargeted.replace(untargeted.find("Kestrel+Point"), 13, "NULL");
  sim::ScenarioDocument doc2 = sim::ScenarioDocument::parse(untargeted, "free.scn");
  sim::StagingOverrides far;
  far.downrange = 50000;
  EXPECT_THROW(sim::applyStaging(doc2, *w, "", far), sim::InputError);
}

}  // namespace
