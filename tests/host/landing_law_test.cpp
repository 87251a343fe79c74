// --landing-law's edit of a scenario: the focus booster's block gains one LANDLAW line for the
// precision law, in place of any it had, loses it for the specified law, is left alone without the
// option (a focus that is no booster is refused: tests/scenarios/landing_law_test.cpp).
#include <gtest/gtest.h>

#include "app/landing_law.h"
#include "scenario/document.h"

namespace {

const char *kScenario =
    "BEGIN_FOCUS\n  Ship L1\nEND_FOCUS\nBEGIN_SHIPS\nS1:orlis\n  STATUS Landed Earth\nEND\n"
    "L1:larkon\n  STATUS Landed Earth\n  landlaw 0\n  LPRM NULL\nEND\nEND_SHIPS\n";

int lawLines(const sim::ShipBlock &ship, std::string *last = nullptr) {
  int n = 0;
  for (const sim::SourceLine &l : ship.lines)
    if (l.text.find("LANDLAW") != std::string::npos || l.text.find("landlaw") != std::string::npos) {
      n++;
      if (last) *last = l.text;
    }
  return n;
}

TEST(LandingLawOption, TheFocusBoosterGetsOneLineForThePrecisionLawAndNoneForTheSpecified) {
  struct Case {
    const char *law;
    int lines;
    const char *text;
  };
  for (const Case &c : {Case{"precision", 1, "  LANDLAW 1"}, Case{"specified", 0, ""}, Case{"", 1, "  landlaw 0"}}) {
    SCOPED_TRACE(c.law);
    sim::ScenarioDocument doc = sim::ScenarioDocument::parse(kScenario, "test.scn");
    sim::applyLandingLaw(doc, "", c.law);
    std::string last;
    EXPECT_EQ(lawLines(doc.ships[1], &last), c.lines);
    if (c.lines) {
      EXPECT_EQ(last, c.text);
    }
    EXPECT_EQ(lawLines(doc.ships[0]), 0);  // the other vessel is not touched
    EXPECT_EQ(doc.ships[1].lines.size(), c.lines + 2u);
  }
}

}  // namespace
