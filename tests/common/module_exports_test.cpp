// The module frame's entry points for one vessel class: ovcInit hands out the new object as its
// VESSEL interface pointer, ovcExit converts that pointer back and deletes the object, and does
// nothing for a null pointer.
#include <gtest/gtest.h>

#include "module_exports.h"
#include "world_fixture.h"

namespace {

int g_destroyed = 0;

// A class whose VESSEL base does not come first, so that the interface pointer and the object's
// address differ and a wrong conversion would show.
struct Padding {
  virtual ~Padding() = default;
  double pad[4] = {1, 2, 3, 4};
};
class probe : public Padding, public VESSEL3 {
 public:
  probe(OBJHANDLE h, int fm) : VESSEL3(h, fm) {}
  ~probe() { g_destroyed++; }
  int marker = 42;
};

}  // namespace

DEFINE_VESSEL_MODULE(probe)

namespace {

TEST(ModuleExports, InitAndExitConvertBetweenTheClassAndItsInterface) {
  auto w = testsupport::makeWorld();
  sim::CelestialBody &earth = *w->findBody("Earth");
  Vessel &v = w->createVessel("Host", "cargo_crate", testsupport::orbiting(earth, _V(7e6, 0, 0), _V(0, 0, 7500)));

  VESSEL *intf = ovcInit(v.handle(), 1);
  ASSERT_NE(intf, nullptr);
  EXPECT_EQ(intf->Version(), 2);
  EXPECT_EQ(intf->GetHandle(), v.handle());
  probe *p = static_cast<probe *>(intf);
  EXPECT_EQ(p->marker, 42);
  EXPECT_NE(static_cast<void *>(p), static_cast<void *>(intf));

  g_destroyed = 0;
  ovcExit(intf);
  EXPECT_EQ(g_destroyed, 1);
  ovcExit(nullptr);
  EXPECT_EQ(g_destroyed, 1);
}

}  // namespace
