// The unpowered steering direction: tail first with nothing to correct, leaning its top away from
// the side the stage must move to (the body's lift acts on the engines' side), more for a larger
// miss or thinner air, never beyond its tilt limit, upright with no airflow.
#include <gtest/gtest.h>

#include <cmath>

#include "booster/guidance/precision_glide.h"

namespace {

using namespace booster;

GlideInputs glide(VECTOR3 miss, double q = 8000.0, double t = 30.0) {
  return GlideInputs{_V(0, -120, 0), miss, t, 22000.0, q, 215000.0};
}

double tiltFromUp(const VECTOR3 &d) { return std::acos(std::clamp(d.y / length(d), -1.0, 1.0)); }

TEST(PrecisionGlide, NothingToCorrectFliesTailFirst) {
  VECTOR3 d = glideDirection(glide(_V(0, 0, 0)));
  EXPECT_NEAR(d.x, 0, 1e-12);
  EXPECT_NEAR(d.y, 1, 1e-12);
  EXPECT_NEAR(d.z, 0, 1e-12);
  // Moving through the air at an angle: +z against that motion.
  GlideInputs slant = glide(_V(0, 0, 0));
  slant.airVel = _V(30, -100, 0);
  VECTOR3 s = glideDirection(slant);
  EXPECT_NEAR(dotp(s, -slant.airVel / length(slant.airVel)), 1.0, 1e-12);
}

TEST(PrecisionGlide, TheTopLeansTowardsTheMissSoTheLiftPullsBack) {
  struct Case {
    const char *what;
    VECTOR3 miss;
  };
  for (const Case &c : {Case{"overshoot east", _V(300, 0, 0)}, Case{"short, south", _V(0, 0, -300)},
                        Case{"north-west", _V(-200, 0, 200)}}) {
    SCOPED_TRACE(c.what);
    VECTOR3 d = glideDirection(glide(c.miss));
    EXPECT_GT(d.x * c.miss.x + d.z * c.miss.z, 0);
    EXPECT_NEAR(d.x * c.miss.z - d.z * c.miss.x, 0, 1e-9);  // in the miss's own plane
    EXPECT_NEAR(length(d), 1.0, 1e-12);
  }
}

TEST(PrecisionGlide, TiltGrowsWithTheMissAndThinAirUpToItsLimit) {
  double small = tiltFromUp(glideDirection(glide(_V(20, 0, 0))));
  double large = tiltFromUp(glideDirection(glide(_V(60, 0, 0))));
  double thin = tiltFromUp(glideDirection(glide(_V(20, 0, 0), 4000.0)));
  EXPECT_GT(small, 0);
  EXPECT_GT(large, small);
  EXPECT_GT(thin, small);
  EXPECT_NEAR(tiltFromUp(glideDirection(glide(_V(1e6, 0, 0)))), glideTiltLimit(), 1e-9);
  EXPECT_NEAR(tiltFromUp(glideDirection(glide(_V(50, 0, 0), 0.0))), 0.0, 1e-9);  // no air: no lift to use
}

TEST(PrecisionGlide, NoAirflowStandsUpright) {
  GlideInputs in = glide(_V(100, 0, 100));
  in.airVel = _V(0, 0, 0);
  VECTOR3 d = glideDirection(in);
  EXPECT_EQ(d.y, 1.0);
}

}  // namespace
