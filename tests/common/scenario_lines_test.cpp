// The module frame's scenario lines: keywords matched case-insensitively over their own length,
// values written as "  KEY value" through a 256-character buffer.
#include <gtest/gtest.h>

#include "scenario/streams.h"
#include "scenario_lines.h"

namespace {

TEST(ScenarioLines, KeywordsMatchAsCaseInsensitivePrefixes) {
  const char *rest = nullptr;
  EXPECT_TRUE(frame::matchKeyword("LEGS 2 1.0000", "LEGS", rest));
  EXPECT_STREQ(rest, " 2 1.0000");
  EXPECT_TRUE(frame::matchKeyword("legsXYZ 1", "LEGS", rest));
  EXPECT_STREQ(rest, "XYZ 1");
  EXPECT_TRUE(frame::matchKeyword("Sunlock", "SUNLOCK", rest));
  EXPECT_STREQ(rest, "");

  rest = "untouched";
  EXPECT_FALSE(frame::matchKeyword("LEG 1", "LEGS", rest));
  EXPECT_FALSE(frame::matchKeyword("", "LEGS", rest));
  EXPECT_FALSE(frame::matchKeyword(" LEGS 1", "LEGS", rest));
  EXPECT_FALSE(frame::matchKeyword("FINS 1", "LEGS", rest));
  EXPECT_STREQ(rest, "untouched");
}

TEST(ScenarioLines, WriteLineFormatsIntoTheScenario) {
  std::string out;
  sim::ScenarioWriter writer(out);
  frame::writeLine(writer.handle(), "FINS", "%d %0.4f %0.4f", 2, 1.0, 0.123456);
  frame::writeLine(writer.handle(), "LPRM", "%s", "Kestrel+Point");
  EXPECT_EQ(out, "  FINS 2 1.0000 0.1235\n  LPRM Kestrel+Point\n");

  // A value longer than the buffer is cut at 255 characters, never overrun.
  out.clear();
  std::string longValue(400, 'x');
  frame::writeLine(writer.handle(), "LPRM", "%s", longValue.c_str());
  EXPECT_EQ(out, "  LPRM " + std::string(255, 'x') + "\n");
}

}  // namespace
