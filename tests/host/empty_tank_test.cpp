// A thruster's level read back at once after it is set, by the state of its tank: a thruster on a
// tank that holds propellant takes the level (at most 1); one whose tank is empty, or that has no
// tank, gives no thrust, and its level stays where it was (0 for a new thruster).
#include <gtest/gtest.h>

#include "world_fixture.h"

namespace {

TEST(EmptyTank, ThrusterLevelAfterSetThrusterLevelFollowsItsTank) {
  auto w = testsupport::makeWorld();
  Vessel &v = w->createVessel(
      "crate", "cargo_crate",
      testsupport::orbiting(*w->findBody("Earth"), _V(6.9e6, 0, 0), _V(0, 0, 7600)));
  VESSEL &i = *v.intf;
  PROPELLANT_HANDLE full = i.CreatePropellantResource(100.0);
  PROPELLANT_HANDLE empty = i.CreatePropellantResource(100.0, 0.0);
  PROPELLANT_HANDLE emptied = i.CreatePropellantResource(100.0);
  auto thruster = [&](PROPELLANT_HANDLE tank) {
    return i.CreateThruster(_V(0, 0, -1), _V(0, 0, 1), 500.0, tank, 3000.0);
  };
  THRUSTER_HANDLE wasBurning = thruster(emptied);
  i.SetThrusterLevel(wasBurning, 0.4);
  i.SetPropellantMass(emptied, 0.0);
  struct Case {
    const char *what;
    THRUSTER_HANDLE th;
    double set, read;
  };
  const Case cases[] = {
      {"full tank", thruster(full), 0.6, 0.6},
      {"full tank, above full thrust", thruster(full), 1.7, 1.0},
      {"empty tank", thruster(empty), 0.6, 0.0},
      {"no tank", thruster(nullptr), 0.6, 0.0},
      {"tank emptied while burning", wasBurning, 0.9, 0.4},
  };
  for (const Case &c : cases) {
    i.SetThrusterLevel(c.th, c.set);
    EXPECT_EQ(i.GetThrusterLevel(c.th), c.read) << c.what;
  }
  EXPECT_EQ(w->diagnostics().refusedCount(), 0);
}

}  // namespace
