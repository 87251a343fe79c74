// A module linked into the program: once linked, the class that names it gets its vessels from
// the program's own entry points, without a module file, and gives them back to its exit point.
#include <gtest/gtest.h>

#include "host_test_util.h"
#include "loader/module.h"

namespace {

int g_created = 0, g_deleted = 0;

class probe final : public VESSEL3 {
 public:
  probe(OBJHANDLE h, int fm) : VESSEL3(h, fm) { g_created++; }
  void clbkSetClassCaps(FILEHANDLE) override { SetEmptyMass(321.0); }
};

VESSEL *createProbe(OBJHANDLE h, int fm) { return new probe(h, fm); }
void deleteProbe(VESSEL *v) {
  g_deleted++;
  delete static_cast<probe *>(v);
}

TEST(LinkedModule, AClassNamingALinkedModuleIsMadeFromTheProgramsCode) {
  testsupport::TempDataRoot root;
  root.addClass("linked_probe", "ClassName = linked_probe\nModule = linked_probe_module\n");
  auto w = testsupport::makeWorld(0.02, root.path());
  sim::VesselSpawn at =
      testsupport::orbiting(*w->findBody("Earth"), _V(6.9e6, 0, 0), _V(0, 0, 7600));
  EXPECT_THROW(w->createVessel("before", "linked_probe", at), sim::InputError);  // no such file

  sim::linkModule("Linked_Probe_Module", createProbe, deleteProbe);  // names match in any case
  Vessel &v = w->createVessel("after", "linked_probe", at);
  EXPECT_EQ(g_created, 1);
  ASSERT_NE(v.module, nullptr);
  EXPECT_EQ(v.module->handle, nullptr);
  EXPECT_EQ(v.intf->GetEmptyMass(), 321.0);  // its own clbkSetClassCaps ran
  w->deleteVessel(v);
  EXPECT_EQ(g_deleted, 1);
}

}  // namespace
