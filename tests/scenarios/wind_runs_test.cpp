// Wind and turbulence as a user flies them through simhost: the same seed and step length fly
// identical flight logs and another seed another one, the log's wind columns carry the felt wind
// and its gust, and a flight without wind options feels none.
#include <gtest/gtest.h>

#include <sstream>

#include "simhost_runner.h"
#include "world_fixture.h"

namespace {

using namespace testsupport;

// The values of one column of a CSV log.
std::vector<double> column(const std::string &csv, const std::string &name) {
  std::istringstream in(csv);
  std::string line, cell;
  std::getline(in, line);
  std::istringstream header(line);
  int index = -1;
  for (int i = 0; std::getline(header, cell, ','); i++)
    if (cell == name) index = i;
  EXPECT_GE(index, 0) << name;
  std::vector<double> values;
  while (std::getline(in, line)) {
    std::istringstream row(line);
    for (int i = 0; std::getline(row, cell, ','); i++)
      if (i == index) values.push_back(std::stod(cell));
  }
  return values;
}

double largest(const std::vector<double> &v) {
  double m = 0;
  for (double x : v) m = std::max(m, std::fabs(x));
  return m;
}

TEST(WindRuns, TheSameSeedAndStepFlyTheSameLogAndAnotherSeedAnother) {
  TempDataRoot root;
  std::filesystem::path dir = root.path();
  auto fly = [&](const std::string &seed, const std::string &dt, const std::string &log) {
    Outcome r =
        simhost(dir, {"run", "--wind-surface", "6:240", "--wind-jet", "35:11000", "--wind-veer",
                      "25", "--turbulence", "moderate", "--seed", seed, "--dt", dt, "--log", log});
    EXPECT_EQ(r.status, 0) << r.err;
    return readFile(dir / log);
  };
  std::string a = fly("11", "0.02", "a.csv"), b = fly("11", "0.02", "b.csv"),
              c = fly("12", "0.02", "c.csv");
  ASSERT_FALSE(a.empty());
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  EXPECT_NE(a, fly("11", "0.05", "d.csv"));
  // the felt wind carries the profile's mean and the gusts; the gusts are felt below 20 km
  EXPECT_GT(largest(column(a, "wind_east_mps")), 20);
  EXPECT_GT(largest(column(a, "gust_up_mps")), 0.2);
  EXPECT_LT(largest(column(a, "gust_up_mps")), 30);
}

TEST(WindRuns, AFlightWithoutWindOptionsFeelsNoWind) {
  TempDataRoot root;
  std::filesystem::path dir = root.path();
  Outcome r = simhost(dir, {"run", "--log", "still.csv"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::string log = readFile(dir / "still.csv");
  for (const char *c : {"wind_east_mps", "wind_north_mps", "wind_up_mps", "gust_east_mps",
                        "gust_north_mps", "gust_up_mps"})
    EXPECT_EQ(largest(column(log, c)), 0) << c;
}

}  // namespace
