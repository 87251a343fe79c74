// The satellite's mesh posed by its animations: the wings unfold into one plane facing +z and
// turn with the sun-tracking state; the antennae open in the first 15 % and clear the bus.
#include "satellite_fixture.h"

using namespace sat;

namespace {

// Rotation angle [deg] of a group's transform about the unit axis (proper rotation).
double turnDeg(const Vessel &v, unsigned group, const VECTOR3 &axis) {
  MATRIX3 A = sim::groupTransform(v, 0, group).A;
  VECTOR3 p = std::fabs(axis.x) < 0.9 ? _V(1, 0, 0) : _V(0, 1, 0);
  p = unit(p - axis * dotp(p, axis));
  VECTOR3 q = mul(A, p);
  return std::atan2(dotp(crossp(p, q), axis), dotp(p, q)) * DEG;
}

template <class F>
void forVertices(const Vessel &v, unsigned group, F f) {
  const sim::MeshGroup &g = v.world().meshes().find("Arvex/orlis")->groups().at(group);
  sim::Affine T = sim::groupTransform(v, 0, group);
  for (const VECTOR3 &p : g.vertices) f(T.apply(p));
}

}  // namespace

TEST(SatelliteMesh, WingsFoldBesideTheBusAndUnfoldIntoOnePlaneFacingZ) {
  auto w = makeEarthWorld(0.1, false, false);
  Vessel &v = load(*w, ship("sat", ""));
  ASSERT_GE(w->meshes().find("Arvex/orlis")->groupCount(), 43u);
  for (unsigned g : kPanels)
    forVertices(v, g, [&](VECTOR3 p) {  // stowed in the stack beside the bus
      EXPECT_TRUE(std::fabs(p.x) > 1.43 && std::fabs(p.x) < 1.51 && std::fabs(p.z) <= 1.228) << g;
    });
  v.systems().animStates[kDeploy] = 1.0;
  double reach[2] = {0, 0};
  for (unsigned g : kPanels) {
    EXPECT_LT(angle(cellNormal(v, g), _V(0, 0, 1)), 1e-6) << g;
    forVertices(v, g, [&](VECTOR3 p) {
      EXPECT_LT(std::fabs(p.z), 0.03) << g;
      EXPECT_GT(std::fabs(p.x), 1.43) << g;
      reach[p.x > 0] = std::max(reach[p.x > 0], std::fabs(p.x));
    });
  }
  EXPECT_NEAR(reach[0], 10.0, 0.1);
  EXPECT_NEAR(reach[1], 10.0, 0.1);
  // The sun-tracking turn carries the open wings: at a quarter turn the cells look along -y,
  // where the tracking puts a Sun angle of 90 deg.
  v.systems().animStates[kSunTrack] = 0.25;
  for (unsigned g : kPanels) EXPECT_LT(angle(cellNormal(v, g), _V(0, -1, 0)), 1e-6) << g;
  // and the folded ones, about x.
  v.systems().animStates[kDeploy] = 0.0;
  for (unsigned g : kPanels) EXPECT_NEAR(turnDeg(v, g, _V(1, 0, 0)), 90.0, 1e-4) << g;
}

TEST(SatelliteMesh, AntennaeOpenInTheFirstFifteenPercentAndClearTheBus) {
  auto w = makeEarthWorld(0.1, false, false);
  Vessel &v = load(*w, ship("sat", ""));
  const VECTOR3 z = _V(0, 0, 1);
  struct { double state, boom, chain, single, innerPanel; } poses[] = {
      {0.075, 30, 75, 60, 6.75}, {0.15, 60, 150, 120, 13.5}, {0.6, 60, 150, 120, 54}};
  for (const auto &pose : poses) {
    v.systems().animStates[kDeploy] = pose.state;
    SCOPED_TRACE(pose.state);
    EXPECT_NEAR(turnDeg(v, 4, z), pose.boom, 1e-4);
    EXPECT_NEAR(turnDeg(v, 6, z), pose.boom, 1e-4);
    EXPECT_NEAR(turnDeg(v, 5, z), pose.chain, 1e-4);
    EXPECT_NEAR(turnDeg(v, 7, z), pose.chain, 1e-4);
    EXPECT_NEAR(turnDeg(v, 42, z), pose.single, 1e-4);
    EXPECT_NEAR(turnDeg(v, 17, _V(0, 1, 0)), pose.innerPanel, 1e-4);
  }
  for (double s : {0.0, 0.05, 0.1, 0.15, 1.0}) {
    v.systems().animStates[kDeploy] = s;
    for (unsigned g : {4u, 5u, 6u, 7u, 42u})
      forVertices(v, g, [&](VECTOR3 p) {
        bool inside = std::fabs(p.x) < 1.40 && std::fabs(p.y) < 1.10 && std::fabs(p.z) < 1.30;
        EXPECT_FALSE(inside) << "group " << g << " at state " << s;
      });
  }
}
