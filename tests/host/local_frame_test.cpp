// The replay's east-north-up frame: a vessel at a known place and attitude gives the position
// the spherical formulas give and the quaternion of its axes written in ENU (right-handed, the
// simulator's y and z swapped).
#include <gtest/gtest.h>

#include "io/local_frame.h"
#include "world_fixture.h"

namespace {

using namespace testsupport;

struct Pose {
  const char *what;
  double dLngDeg, latDeg, alt;  // [deg] east of the origin, latitude, [m] above the origin's radius
  VECTOR3 x_H, y_H, z_H;        // the vessel's axes in horizon axes (x east, y up, z north)
  double qw, qx, qy, qz;        // the expected quaternion (vessel x right, y forward, z up -> ENU)
};

const double kH = std::sqrt(0.5);

// Level towards north: the replay's vessel axes are ENU itself. Standing on its tail with y_V
// north: x right is west, y forward is up, z up is north, a half turn about (0, 1, 1). Level
// towards east: a quarter turn clockwise seen from above.
const Pose kPoses[] = {
    {"north, level, over the origin", 0, 28.6, 1000, _V(1, 0, 0), _V(0, 1, 0), _V(0, 0, 1), 1, 0, 0, 0},
    {"standing up, 2 km east", 0.02, 28.6, 50, _V(-1, 0, 0), _V(0, 0, 1), _V(0, 1, 0), 0, 0, kH, kH},
    {"east, level, 5 km north", 0, 28.645, 3000, _V(0, 0, -1), _V(0, 1, 0), _V(1, 0, 0), kH, 0, 0, -kH},
    {"north, level, 40 km west", -0.4, 28.5, 70000, _V(1, 0, 0), _V(0, 1, 0), _V(0, 0, 1), 1, 0, 0, 0},
};

class LocalFrameTest : public ::testing::TestWithParam<Pose> {};

TEST_P(LocalFrameTest, VesselAtAKnownPoseGivesItsEnuPositionAndQuaternion) {
  const Pose &p = GetParam();
  auto w = makeWorld();
  sim::CelestialBody &earth = *w->findBody("Earth");
  const double lng0 = -80.6 * RAD, lat0 = 28.6 * RAD, r0 = earth.meanRadius + 12.0;
  sim::LocalFrame f = sim::localFrameAt(earth, lng0, lat0, r0);

  double lng = lng0 + p.dLngDeg * RAD, lat = p.latDeg * RAD, r = r0 + p.alt;
  Vessel &v = w->createVessel("V", "cargo_crate", flying(earth, lng * DEG, lat * DEG, 5000, 0, 0, 0));
  const sim::BodyKinematics &k = earth.now();
  VECTOR3 pos_P = sim::equToLocalDir(lng, lat) * r;
  // The vessel's axes in horizon axes at its own place, then in global axes.
  MATRIX3 R_HV = _M(p.x_H.x, p.y_H.x, p.z_H.x, p.x_H.y, p.y_H.y, p.z_H.y, p.x_H.z, p.y_H.z, p.z_H.z);
  MATRIX3 R_PH = transp(sim::localToHorizon(lng, lat));
  {
    Vessel::StateEdit e = v.edit();
    e.setGlobalState(k.pos + mul(k.R_GP, pos_P), k.vel);
    e.setAttitude(mul(k.R_GP, mul(R_PH, R_HV)));
  }

  // ENU of a point on the sphere, from the spherical formulas alone.
  double dl = lng - lng0;
  VECTOR3 expected = _V(r * std::cos(lat) * std::sin(dl),
                        r * (std::sin(lat) * std::cos(lat0) - std::cos(lat) * std::sin(lat0) * std::cos(dl)),
                        r * (std::sin(lat) * std::sin(lat0) + std::cos(lat) * std::cos(lat0) * std::cos(dl)) - r0);
  // Within a tenth of a millimetre (global positions 1.5e11 m from the Sun carry 3e-5 m).
  VECTOR3 got = sim::enuPosition(f, v);
  EXPECT_NEAR(got.x, expected.x, 1e-4) << p.what;
  EXPECT_NEAR(got.y, expected.y, 1e-4) << p.what;
  EXPECT_NEAR(got.z, expected.z, 1e-4) << p.what;

  // Away from the origin the local axes are turned against the origin's by at most the
  // differences of longitude and latitude (tilt and meridian convergence together).
  double turn = std::hypot(dl, lat - lat0);
  sim::Quat q = sim::enuAttitude(f, v);
  double dot = std::fabs(q.w * p.qw + q.x * p.qx + q.y * p.qy + q.z * p.qz);
  EXPECT_NEAR(std::hypot(std::hypot(q.w, q.x), std::hypot(q.y, q.z)), 1.0, 1e-12) << p.what;
  EXPECT_GT(dot, std::cos(0.5 * turn) - 1e-9) << p.what << ": q = " << q.w << " " << q.x << " " << q.y << " " << q.z;
}

INSTANTIATE_TEST_SUITE_P(Poses, LocalFrameTest, ::testing::ValuesIn(kPoses));

TEST(LocalFrame, QuaternionMapsTheVesselsAxesIntoEnu) {
  // At the origin itself, in any attitude: q applied to the replay's vessel axes gives the
  // simulator's vessel axes written in ENU.
  auto w = makeWorld();
  sim::CelestialBody &earth = *w->findBody("Earth");
  sim::LocalFrame f = sim::localFrameAt(earth, 0.3, -0.7, earth.meanRadius);
  Vessel &v = w->createVessel("V", "cargo_crate", flying(earth, 0.3 * DEG, -0.7 * DEG, 100, 0, 0, 0));
  MATRIX3 R_GV = sim::eulerToMatrix(_V(0.4, -1.1, 2.5));
  v.edit().setAttitude(R_GV);
  MATRIX3 R = sim::quatToMatrix(sim::enuAttitude(f, v));
  MATRIX3 R_EG = mul(f.R_EP, transp(earth.now().R_GP));
  for (VECTOR3 axis_V : {_V(1, 0, 0), _V(0, 1, 0), _V(0, 0, 1)}) {
    VECTOR3 want = mul(R_EG, mul(R_GV, axis_V));
    VECTOR3 got = mul(R, sim::swapYZ(axis_V));
    EXPECT_NEAR(got.x, want.x, 1e-12);
    EXPECT_NEAR(got.y, want.y, 1e-12);
    EXPECT_NEAR(got.z, want.z, 1e-12);
  }
}

}  // namespace
