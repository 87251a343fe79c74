// Frames computed by two routes: the horizon frame by hand from longitude and latitude versus the
// interface's HorizonRot; SetGlobalOrientation followed by Global2Local; Euler angles both ways.
#include <gtest/gtest.h>

#include "world/frames.h"
#include "world_fixture.h"

namespace {

using namespace testsupport;

void expectNear(const VECTOR3 &a, const VECTOR3 &b, double tol, const char *what) {
  EXPECT_NEAR(a.x, b.x, tol) << what;
  EXPECT_NEAR(a.y, b.y, tol) << what;
  EXPECT_NEAR(a.z, b.z, tol) << what;
}

TEST(Frames, EulerAnglesRoundTripAndGiveTheSimulatorsAxes) {
  for (VECTOR3 a : {_V(0.3, -0.7, 2.1), _V(-2.5, 1.2, -0.4), _V(0, 0, 0)}) {
    MATRIX3 R = sim::eulerToMatrix(a);
    expectNear(sim::matrixToEuler(R), a, 1e-12, "round trip");
    // +z of the vessel in global axes: (-sin b, sin a cos b, cos a cos b)
    expectNear(_V(R.m13, R.m23, R.m33),
               _V(-std::sin(a.y), std::sin(a.x) * std::cos(a.y), std::cos(a.x) * std::cos(a.y)), 1e-12, "+z");
    // equals Rx(-a) Ry(-b) Rz(-c) with the usual right-hand matrices
    MATRIX3 rx = rotm(_V(1, 0, 0), -a.x), ry = rotm(_V(0, 1, 0), -a.y), rz = rotm(_V(0, 0, 1), -a.z);
    MATRIX3 P = mul(rx, mul(ry, rz));
    for (int i = 0; i < 9; i++) EXPECT_NEAR(P.data[i], R.data[i], 1e-12);
    sim::Quat q = sim::matrixToQuat(R);
    MATRIX3 Q = sim::quatToMatrix(q);
    for (int i = 0; i < 9; i++) EXPECT_NEAR(Q.data[i], R.data[i], 1e-12);
  }
}

TEST(Frames, HorizonRotMatchesTheHorizonFrameBuiltByHand) {
  auto w = makeWorld();
  sim::CelestialBody &earth = *w->findBody("Earth");
  auto s = flying(earth, -40.0, 35.0, 5000.0, 30.0, 200.0, 10.0);
  Vessel &v = w->createVessel("probe", "cargo_crate", s);
  ASSERT_NEAR(v.sp.lng, -40.0 * RAD, 1e-9);
  double lng = v.sp.lng, lat = v.sp.lat;
  // east, up, north in planet-local axes, then global axes
  VECTOR3 east_P = _V(-std::sin(lng), 0, std::cos(lng));
  VECTOR3 up_P = _V(std::cos(lat) * std::cos(lng), std::sin(lat), std::cos(lat) * std::sin(lng));
  VECTOR3 north_P = _V(-std::sin(lat) * std::cos(lng), std::cos(lat), -std::sin(lat) * std::sin(lng));
  const MATRIX3 &R_GP = earth.now().R_GP;
  VECTOR3 e = mul(R_GP, east_P), u = mul(R_GP, up_P), n = mul(R_GP, north_P);
  // up is also the direction from Earth's centre to the vessel
  expectNear(u, unit(v.globalPos() - earth.now().pos), 1e-9, "up");
  for (VECTOR3 d_V : {_V(1, 0, 0), _V(0, 1, 0), _V(0, 0, 1), _V(0.3, -0.4, 0.866)}) {
    VECTOR3 h;
    v.intf->HorizonRot(d_V, h);
    VECTOR3 d_G = mul(v.st.R, d_V);
    expectNear(h, _V(dotp(d_G, e), dotp(d_G, u), dotp(d_G, n)), 1e-12, "HorizonRot");
    VECTOR3 back;
    v.intf->HorizonInvRot(h, back);
    expectNear(back, d_V, 1e-12, "HorizonInvRot");
  }
  // the ground track: heading 30 deg, path angle 10 deg
  VECTOR3 g;
  ASSERT_TRUE(v.intf->GetGroundspeedVector(FRAME_HORIZON, g));
  EXPECT_NEAR(std::atan2(g.x, g.z) * DEG, 30.0, 1e-6);
  EXPECT_NEAR(std::atan2(g.y, std::hypot(g.x, g.z)) * DEG, 10.0, 1e-6);
  // pitch of +z (which points along the motion): the path angle
  EXPECT_NEAR(v.intf->GetPitch() * DEG, 10.0, 1e-6);
}

TEST(Frames, SetGlobalOrientationThenGlobal2LocalRecoversVesselAxes) {
  auto w = makeWorld();
  sim::CelestialBody &earth = *w->findBody("Earth");
  Vessel &v = w->createVessel("probe", "cargo_crate", orbiting(earth, _V(7e6, 1e5, -3e5), _V(0, 0, 7500)));
  VECTOR3 arot = _V(0.4, -1.1, 2.7);
  v.intf->SetGlobalOrientation(arot);
  VECTOR3 back;
  v.intf->GetGlobalOrientation(back);
  expectNear(back, arot, 1e-12, "orientation");
  MATRIX3 R = sim::eulerToMatrix(arot);
  VECTOR3 pos;
  v.intf->GetGlobalPos(pos);
  for (VECTOR3 d : {_V(1, 0, 0), _V(0, 1, 0), _V(0, 0, 1)}) {
    VECTOR3 column = mul(R, d);  // the vessel axis in global coordinates
    VECTOR3 local;
    v.intf->Global2Local(pos + column * 100.0, local);
    expectNear(local, d * 100.0, 1e-4, "Global2Local");
  }
}

TEST(Frames, AngleQueriesFollowTheSimulatorsSigns) {
  auto w = makeWorld();
  sim::CelestialBody &earth = *w->findBody("Earth");
  // Horizon-relative attitude: +z straight up (standing on the tail), flying straight down.
  auto s = flying(earth, 0, 0, 10000, 0, 100, -90);
  s.ext.hasArot = true;
  s.vs.arot = _V(PI05, 0, 0);  // +z -> up
  Vessel &v = w->createVessel("probe", "cargo_crate", s);
  EXPECT_NEAR(v.intf->GetPitch() * DEG, 90.0, 1e-6);
  // moving along -z: tail first, angle of attack +-180 deg
  EXPECT_NEAR(std::fabs(v.intf->GetAOA()) * DEG, 180.0, 1e-3);
  EXPECT_GT(v.intf->GetDynPressure(), 0);
  VECTOR3 W;
  ASSERT_TRUE(v.intf->GetWeightVector(W));
  EXPECT_LT(W.z, 0);  // weight points along -z when standing on the tail
  EXPECT_NEAR(length(W), v.mass() * 9.77, 0.02 * v.mass());
}

}  // namespace
