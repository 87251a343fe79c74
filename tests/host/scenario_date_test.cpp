// The scenario's date, given as a modified Julian date or as a Julian date (MJD = JD - 2400000.5),
// as the world takes it and as it saves it back.
#include <gtest/gtest.h>

#include <cstdio>

#include "host_test_util.h"
#include "scenario/document.h"

namespace {

TEST(ScenarioDate, JulianAndModifiedJulianDatesGiveTheSameWorldDate) {
  struct Case {
    const char *line;
    double mjd;
  };
  const Case cases[] = {
      {"Date JD 2451545.0", 51544.5},  // the epoch J2000
      {"date jd 2460310.5", 60310.0},
      {"Date MJD 60300.5", 60300.5},
  };
  for (const Case &c : cases) {
    testsupport::TempDataRoot root;
    auto w = testsupport::makeWorld(0.02, root.path());
    std::string text = std::string("BEGIN_ENVIRONMENT\n  System Sol\n  ") + c.line +
                       "\nEND_ENVIRONMENT\nBEGIN_SHIPS\nCrate:cargo_crate\n" +
                       hosttest::orbitLines() + "END\nEND_SHIPS\n";
    ASSERT_EQ(hosttest::loadError(*w, root, "date", text), "") << c.line;
    EXPECT_NEAR(w->mjd(), c.mjd, 1e-9) << c.line;
    EXPECT_NEAR(sim::ScenarioDocument::parse(text, "date.scn").mjd, c.mjd, 1e-9) << c.line;
    char saved[64];
    std::snprintf(saved, sizeof saved, "Date MJD %.4f", c.mjd);
    EXPECT_NE(w->scenarioText().find(saved), std::string::npos) << c.line << "\n"
                                                                << w->scenarioText();
  }
}

}  // namespace
