// The booster's commands: which key events act, the autopilot switches, the legs, fins and engine
// keys, the target codes and their look-up bodies, the target input box and the camera.
#include "booster_fixture.h"

namespace {

using boostertest::Stage;

struct Modes {
  int legs, fins, engine, flyback, reentry, descent, sequence, camera;
  bool operator==(const Modes &) const = default;
};
Modes modes(const larkon &b) {
  return {b.legsState, b.finsState, b.engineMode, b.apFlyback, b.apReentryAttitude, b.apDescent, b.autoSequence,
          b.cameraBackward};
}

TEST(BoosterCommands, KeysActOnlyOnPlainKeyDownsAndCodesAlways) {
  Stage s = boostertest::highAbove();
  const DWORD keys[] = {OAPI_KEY_E, OAPI_KEY_P, OAPI_KEY_G, OAPI_KEY_J, OAPI_KEY_K,
                        OAPI_KEY_V, OAPI_KEY_N, OAPI_KEY_M, OAPI_KEY_B};
  const Modes before = modes(*s.b);
  for (DWORD k : keys) {
    for (DWORD mod : {OAPI_KEY_LSHIFT, OAPI_KEY_RSHIFT, OAPI_KEY_LCONTROL, OAPI_KEY_RCONTROL})
      EXPECT_EQ(s.key(k, {mod}), 0) << "key " << k << " with modifier " << mod;
    EXPECT_EQ(s.key(k, {}, false), 0) << "key-up " << k;
  }
  EXPECT_TRUE(modes(*s.b) == before);
  EXPECT_EQ(s.key(OAPI_KEY_Q), 0);  // not a booster key
  EXPECT_EQ(s.key(OAPI_KEY_LSHIFT), 0);
  // the codes are taken whatever the event looks like
  EXPECT_EQ(s.code(2300, "Harrow", false), 1);
  EXPECT_EQ(s.hudRow(184), "K = Set Flyback Target: Harrow");
  EXPECT_EQ(s.code(2301, "", false), 1);
  EXPECT_EQ(s.b->autoSequence, 1);
  for (DWORD k : keys) EXPECT_EQ(s.key(k), 1) << "key " << k;
}

TEST(BoosterCommands, AutopilotKeysExcludeEachOtherAndSilenceTheAttitudeGroups) {
  Stage s = boostertest::highAbove();
  larkon &b = *s.b;
  auto attitudeThrust = [&](double level) {
    double sum = 0;
    for (int t = THGROUP_ATT_PITCHUP; t <= THGROUP_ATT_BANKRIGHT; t++) {
      if (level >= 0) s.intf->SetThrusterGroupLevel(THGROUP_TYPE(t), level);
      sum += s.groupLevel(THGROUP_TYPE(t));
    }
    return sum;
  };
  // each key, and the modes it leaves
  const std::pair<DWORD, Modes> steps[] = {
      {OAPI_KEY_V, {0, 0, 0, 1, 0, 0, 0, 0}}, {OAPI_KEY_N, {0, 0, 0, 0, 1, 0, 0, 0}},
      {OAPI_KEY_M, {0, 0, 0, 0, 0, 1, 0, 0}}, {OAPI_KEY_V, {0, 0, 0, 1, 0, 0, 0, 0}},
      {OAPI_KEY_V, {0, 0, 0, 0, 0, 0, 0, 0}}};
  for (const auto &[k, after] : steps) {
    attitudeThrust(0.5);
    s.key(k);
    EXPECT_TRUE(modes(b) == after) << "key " << k;
    EXPECT_EQ(attitudeThrust(-1), 0.0) << "key " << k;
  }
  // values no key sets: consumed, but nothing changes and nothing is silenced
  b.apFlyback = -1, b.apReentryAttitude = -1, b.apDescent = 2;
  attitudeThrust(0.5);
  for (DWORD k : {OAPI_KEY_V, OAPI_KEY_N, OAPI_KEY_M}) EXPECT_EQ(s.key(k), 1);
  EXPECT_TRUE(modes(b) == (Modes{0, 0, 0, -1, -1, 2, 0, 0}));
  EXPECT_GT(attitudeThrust(-1), 0.0);
}

// Pressed again, V and N switch their autopilot off from any value above 0 (2 is the flyback's
// transfer-only mode), M only from 1.
TEST(BoosterCommands, EachAutopilotKeySwitchesOffFromItsOwnOnValues) {
  Stage s = boostertest::highAbove();
  struct Case {
    DWORD key;
    int larkon::*pilot;
    int from, to;
  };
  const Case cases[] = {{OAPI_KEY_V, &larkon::apFlyback, 2, 0},
                        {OAPI_KEY_V, &larkon::apFlyback, 9, 0},
                        {OAPI_KEY_N, &larkon::apReentryAttitude, 3, 0},
                        {OAPI_KEY_M, &larkon::apDescent, 1, 0},
                        {OAPI_KEY_M, &larkon::apDescent, 3, 3}};
  for (const Case &c : cases) {
    s.b->*c.pilot = c.from;
    EXPECT_EQ(s.key(c.key), 1);
    EXPECT_EQ(s.b->*c.pilot, c.to) << "key " << c.key << " from " << c.from;
  }
}

TEST(BoosterCommands, LegsFinsAndEngineKeys) {
  Stage s = boostertest::highAbove();
  larkon &b = *s.b;
  ASSERT_EQ(s.key(OAPI_KEY_G), 1);
  EXPECT_EQ(b.legsState, 1);
  const auto &points = s.v->def.touchdown.points;
  ASSERT_EQ(points.size(), 3u);  // the three-point set while the legs swing out
  EXPECT_EQ(points[1].pos.x, -5.0);
  EXPECT_EQ(points[2].pos.z, -24.0);
  s.b->legsAnimState[0] = 0.4;
  EXPECT_EQ(s.key(OAPI_KEY_G), 1);  // while deploying: nothing
  EXPECT_EQ(b.legsState, 1);
  EXPECT_EQ(b.legsAnimState[0], 0.4);
  b.legsState = 2;
  EXPECT_EQ(s.key(OAPI_KEY_G), 1);  // down: nothing either, there is no retract key
  EXPECT_EQ(b.legsState, 2);
  const std::pair<int, int> fins[] = {{0, 1}, {1, 3}, {2, 3}, {3, 1}, {7, 1}};
  for (auto [from, to] : fins) {
    b.finsState = from;
    EXPECT_EQ(s.key(OAPI_KEY_J), 1);
    EXPECT_EQ(b.finsState, to) << "from " << from;
  }
  b.engineMode = 2;
  s.key(OAPI_KEY_P);  // one engine -> nine
  EXPECT_EQ(b.engineMode, 0);
  EXPECT_EQ(s.members(THGROUP_MAIN), s.indices(b.thMain, {0}));
  EXPECT_EQ(s.intf->GetThrusterMax0(b.thEngineAtt[5]), 38000.0);
}

// Near the Moon but outside its sphere of influence the gravity reference (Earth) and the surface
// reference (Moon) differ: code 2301 looks bases up on the former, B on the latter.
TEST(BoosterCommands, CodesResolveOnTheGravityReferenceAndBOnTheSurfaceReference) {
  auto w = testsupport::makeWorld();
  const sim::CelestialBody &earth = *w->findBody("Earth"), &moon = *w->findBody("Moon");
  VECTOR3 d = moon.now().pos - earth.now().pos;
  sim::VesselSpawn at = testsupport::orbiting(earth, d * (1 - 1.0e8 / length(d)), moon.now().vel - earth.now().vel);
  Stage s = boostertest::spawn(std::move(w), at);
  ASSERT_EQ(s.intf->GetGravityRef(), earth.handle());
  ASSERT_EQ(s.intf->GetSurfaceRef(), moon.handle());
  larkon &b = *s.b;
  s.code(2300, "Serenity Camp");  // a base on the Moon
  s.code(2301);
  EXPECT_EQ(b.autoSequence, 0);
  b.apFlyback = b.apReentryAttitude = b.apDescent = 1;
  s.key(OAPI_KEY_B);
  EXPECT_EQ(b.autoSequence, 1);
  EXPECT_EQ(b.apFlyback + b.apReentryAttitude + b.apDescent, 0);
  s.key(OAPI_KEY_B);  // B toggles
  EXPECT_EQ(b.autoSequence, 0);
  s.code(2300, "Kestrel Point");  // a base on Earth
  b.autoSequence = 3;
  b.apFlyback = 1;
  s.key(OAPI_KEY_B);
  EXPECT_EQ(b.autoSequence, 0);
  EXPECT_EQ(b.apFlyback, 1);  // a failed B changes nothing else
  b.autoSequence = 3;
  s.code(2301);
  EXPECT_EQ(b.autoSequence, 1);  // also from a later stage
  EXPECT_EQ(b.apFlyback, 1);     // the code leaves the autopilots alone
}

TEST(BoosterCommands, InputBoxTakesTheFirstWordOfAKnownName) {
  Stage s = boostertest::highAbove();
  s.world->queueInputAnswer("Harrow Field 2");
  ASSERT_EQ(s.key(OAPI_KEY_K), 1);
  s.step();
  EXPECT_EQ(s.hudRow(184), "K = Set Flyback Target: Harrow");
  s.world->queueInputAnswer("Nowhere");
  s.key(OAPI_KEY_K);
  s.step();
  EXPECT_EQ(s.hudRow(184), "K = Set Flyback Target: Harrow");
  EXPECT_TRUE(s.world->diagnostics().contains("answer \"Nowhere\" rejected"));
  s.world->queueInputAnswer("Earth");  // a planet is no target
  s.key(OAPI_KEY_K);
  s.step();
  EXPECT_EQ(s.hudRow(184), "K = Set Flyback Target: Harrow");
  s.world->createVessel("Pad", "landing_pad", testsupport::landed(s.earth(), -80.6, 28.6, 0));
  s.world->queueInputAnswer("Pad");  // a vessel is
  s.key(OAPI_KEY_K);
  s.step();
  EXPECT_EQ(s.hudRow(184), "K = Set Flyback Target: Pad");
}

TEST(BoosterCommands, ETogglesTheCameraBetweenPlusAndMinusZ) {
  Stage s = boostertest::highAbove();
  for (double z : {-1.0, 1.0, -1.0}) {
    EXPECT_EQ(s.key(OAPI_KEY_E), 1);
    EXPECT_EQ(s.v->def.camera.defaultDir.z, z);
    EXPECT_EQ(s.world->camera.target, s.v->handle());
  }
  s.b->cameraBackward = 4;
  s.key(OAPI_KEY_E);
  EXPECT_EQ(s.b->cameraBackward, 4);
  EXPECT_EQ(s.v->def.camera.defaultDir.z, 1.0);
}

}  // namespace

namespace {

TEST(BoosterCommands, USwitchesTheLandingLawAndNothingElse) {
  Stage s = boostertest::highAbove();
  s.b->apDescent = 1, s.b->autoSequence = 4;
  const Modes before = modes(*s.b);
  EXPECT_EQ(s.key(OAPI_KEY_U, {OAPI_KEY_LSHIFT}), 0);
  EXPECT_EQ(s.key(OAPI_KEY_U, {OAPI_KEY_RCONTROL}), 0);
  EXPECT_EQ(s.key(OAPI_KEY_U, {}, false), 0);
  EXPECT_EQ(s.b->landingLaw, larkon::kLawSpecified);
  const int expected[] = {larkon::kLawPrecision, larkon::kLawSpecified, larkon::kLawPrecision};
  for (int law : expected) {
    EXPECT_EQ(s.key(OAPI_KEY_U), 1);
    EXPECT_EQ(s.b->landingLaw, law);
    EXPECT_TRUE(modes(*s.b) == before);  // the autopilots fly on as they were
  }
}

}  // namespace
