// Attachments: a child rigidly linked to its parent follows it (position, velocity, attitude,
// including the parent's rotation) and leaves along the parent point's direction when released.
#include <gtest/gtest.h>

#include "physics/attachments.h"
#include "world_fixture.h"

namespace {

using namespace testsupport;

struct Pair {
  std::unique_ptr<sim::World> w = makeEarthWorld(0.02, false, false);
  Vessel *parent, *child;
  int parentPoint, childPoint;
  Pair() {
    sim::CelestialBody &earth = *w->findBody("Earth");
    double r = earth.meanRadius + 400e3;
    auto s = orbiting(earth, _V(r, 0, 0), _V(0, 0, std::sqrt(earth.mu() / r)), _V(0.2, 0.4, -0.3));
    parent = &w->createVessel("ring", "cargo_crate", s);
    child = &w->createVessel("payload", "cargo_crate", s);
    parent->intf->CreateAttachment(false, _V(0.987, 0, 1.09), _V(1, 0, 0), _V(0, 0, 1), "PL1");
    child->intf->CreateAttachment(true, _V(0, 0, -0.5), _V(0, 0, -1), _V(0, 1, 0), "PL");
    parentPoint = sim::attachmentRecord(*parent, false, 0);
    childPoint = sim::attachmentRecord(*child, true, 0);
  }
};

TEST(Attachments, ChildFollowsItsSpinningParent) {
  Pair p;
  ASSERT_TRUE(sim::attach(*p.parent, p.parentPoint, *p.child, p.childPoint));
  EXPECT_FALSE(sim::attach(*p.parent, p.parentPoint, *p.child, p.childPoint));  // taken
  p.parent->edit()->omega = _V(0.01, 0.02, 0.3);
  runUntil(*p.w, 10.0);
  const MATRIX3 &Rp = p.parent->st.R, &Rc = p.child->st.R;
  // the two points coincide, the child's dir is anti-parallel to the parent's, the rots parallel
  VECTOR3 pointP = p.parent->globalPos() + mul(Rp, _V(0.987, 0, 1.09));
  VECTOR3 pointC = p.child->globalPos() + mul(Rc, _V(0, 0, -0.5));
  EXPECT_LT(length(pointP - pointC), 1e-6);
  EXPECT_NEAR(dotp(mul(Rp, _V(1, 0, 0)), mul(Rc, _V(0, 0, -1))), -1.0, 1e-12);
  EXPECT_NEAR(dotp(mul(Rp, _V(0, 0, 1)), mul(Rc, _V(0, 1, 0))), 1.0, 1e-12);
  // the child moves with the parent's point, rotation included
  VECTOR3 expectedVel = p.parent->globalVel() + mul(Rp, crossp(mul(transp(Rp), p.child->globalPos() - p.parent->globalPos()), p.parent->st.omega));
  EXPECT_LT(length(p.child->globalVel() - expectedVel), 1e-9);
  EXPECT_EQ(p.parent->intf->GetAttachmentStatus(p.parent->attachmentHandle(p.parentPoint)), p.child->handle());
  EXPECT_EQ(p.child->intf->GetAttachmentStatus(p.child->attachmentHandle(p.childPoint)), p.parent->handle());
  // the parent's mass excludes its child
  EXPECT_DOUBLE_EQ(p.parent->intf->GetMass(), 500.0);
}

TEST(Attachments, DetachGivesTheSeparationVelocityAndNoReaction) {
  Pair p;
  ASSERT_TRUE(sim::attach(*p.parent, p.parentPoint, *p.child, p.childPoint));
  runUntil(*p.w, 1.0);
  VECTOR3 parentVel = p.parent->globalVel();
  ATTACHMENTHANDLE h = p.parent->attachmentHandle(p.parentPoint);
  ASSERT_TRUE(p.parent->intf->DetachChild(h, 0.3));
  EXPECT_FALSE(p.parent->intf->DetachChild(h, 0.3));  // nothing attached any more
  VECTOR3 out = mul(p.parent->st.R, _V(1, 0, 0));
  VECTOR3 rel = p.child->globalVel() - p.parent->globalVel();
  EXPECT_NEAR(dotp(rel, out), 0.3, 1e-9);
  EXPECT_NEAR(length(rel), 0.3, 1e-9);
  EXPECT_LT(length(p.parent->globalVel() - parentVel), 1e-12);
  runUntil(*p.w, 11.0);
  VECTOR3 gap = p.child->globalPos() - p.parent->globalPos();
  EXPECT_NEAR(dotp(gap, out) - dotp(mul(p.parent->st.R, _V(0.987, 0, 1.09)), out), 3.0 + 0.5, 0.05);
  EXPECT_EQ(p.parent->intf->GetAttachmentStatus(h), nullptr);
}

TEST(Attachments, RefusesLoopsAndWrongPointKinds) {
  Pair p;
  EXPECT_FALSE(sim::attach(*p.parent, p.parentPoint, *p.parent, p.childPoint));
  EXPECT_FALSE(sim::attach(*p.child, p.childPoint, *p.parent, p.parentPoint));  // kinds swapped
  int refused = p.w->diagnostics().refusedCount();
  EXPECT_EQ(p.parent->intf->GetAttachmentStatus(reinterpret_cast<ATTACHMENTHANDLE>(0x1234)), nullptr);
  EXPECT_EQ(p.w->diagnostics().refusedCount(), refused + 1);
}

}  // namespace
