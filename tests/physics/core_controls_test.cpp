// The core controls: scripted thruster levels against the closed form of a hover hop, the
// simulator's key bindings after the vessel declined a key (buffered and held), the direct-key
// callback, and the wheels (brakes, nose-wheel steering).
#include <gtest/gtest.h>

#include "app/controls_file.h"
#include "world_fixture.h"

namespace {

using namespace testsupport;

// The example craft on the ground of an airless Earth, the focus of its world.
struct Craft {
  std::unique_ptr<sim::World> w;
  Vessel *v = nullptr;
  explicit Craft(bool rotating = false, double dt = 0.02) {
    w = makeEarthWorld(dt, rotating, false, {exampleDir()});
    sim::CelestialBody &earth = *w->findBody("Earth");
    sim::VesselSpawn s = landed(earth, 0, 0, 90);
    v = &w->createVessel("W", "wren", keepTanks(s));
    w->setFocus(v);
  }
  void control(const std::string &spec) {
    sim::ControlEvent e;
    std::string error;
    ASSERT_TRUE(sim::parseControlSpec(spec, e, error)) << error;
    w->controls.queue(e);
  }
  void key(double t, DWORD k, bool down = true, std::vector<DWORD> mods = {}) {
    sim::KeyEvent e;
    e.time = t, e.key = k, e.down = down, e.modifiers = std::move(mods);
    w->queueKey(e);
  }
  double level(THGROUP_TYPE g) { return v->intf->GetThrusterGroupLevel(g); }
};

// --- scripted levels against the closed form -------------------------------------------------

// Rocket equation in uniform gravity: m = m0 - mdot tau, v = ve ln(m0/m) - g tau,
// h = ve (tau - (m / mdot) ln(m0 / m)) - g tau^2 / 2; then a ballistic arc.
struct HopModel {
  double m0 = 1250, thrust = 15e3, ve = 3000, burn = 10, g;
  explicit HopModel(double gravity) : g(gravity) {}
  void at(double tau, double &h, double &v) const {
    double mdot = thrust / ve;
    double tb = std::min(tau, burn), m = m0 - mdot * tb;
    double vb = ve * std::log(m0 / m) - g * tb;
    double hb = ve * (tb - (m / mdot) * std::log(m0 / m)) - 0.5 * g * tb * tb;
    double s = tau - tb;
    h = hb + vb * s - 0.5 * g * s * s;
    v = vb - g * s;
  }
};

TEST(HoverHop, ClimbsAndFallsBackAsTheRocketEquationSays) {
  Craft c;
  c.control("2:hover:1");  // as --control 2:hover:1 --control 12:hover:0
  c.control("12:hover:0");
  c.w->step();
  double h0 = c.v->sp.alt;
  EXPECT_NEAR(h0, 1.6, 0.01);  // the skids 1.6 m below the centre of gravity, barely compressed
  double mu = c.w->findBody("Earth")->mu(), R = c.w->findBody("Earth")->meanRadius;
  HopModel model(mu / (R * R));
  struct Sample {
    double t;  // [s] simulation time
  };
  const Sample samples[] = {{1.5}, {4}, {8}, {12}, {13}, {14.5}, {17}, {19}};
  // The skids' springs give back some of what they held at lift-off: at most 0.04 m/s.
  constexpr double kSpringKick = 0.04;  // [m/s]
  for (const Sample &s : samples) {
    runUntil(*c.w, s.t);
    double h, v, tau = std::max(0.0, s.t - 2.0);
    model.at(tau, h, v);
    EXPECT_NEAR(c.v->sp.alt - h0, h, 0.02 + kSpringKick * tau) << "t = " << s.t;
    EXPECT_NEAR(c.v->sp.groundVel_H.y, v, kSpringKick) << "t = " << s.t;
  }
  // the numbers themselves: 24.3 m/s and 117 m at cut-off, an apex of 147 m at 14.5 s
  double h, v;
  model.at(10, h, v);
  EXPECT_NEAR(v, 24.26, 0.01);
  EXPECT_NEAR(h, 117.15, 0.01);
  EXPECT_NEAR(h + v * v / (2 * model.g), 147.12, 0.01);
  EXPECT_NEAR(c.v->intf->GetPropellantMass(c.v->intf->GetPropellantHandleByIndex(0)), 230 - 50, 1e-6);
  // back on the ground when the closed form says
  double apexTime = 12 + v / model.g, fallTime = std::sqrt(2 * (h + v * v / (2 * model.g)) / model.g);
  while (!c.v->intf->GroundContact() && c.w->simTime() < 30) c.w->step();
  EXPECT_NEAR(c.w->simTime(), apexTime + fallTime, 0.05);
}

TEST(ScriptedControls, ArriveAtTheFirstStepAtOrAfterTheirTimeAndStay) {
  Craft c;
  c.control("0.05:main:0.4");
  c.control("0.05:retro:1");
  runUntil(*c.w, 0.04);
  EXPECT_EQ(c.level(THGROUP_MAIN), 0.0);
  c.w->step();  // starts at 0.04: not yet
  EXPECT_EQ(c.level(THGROUP_MAIN), 0.0);
  c.w->step();  // starts at 0.06
  EXPECT_DOUBLE_EQ(c.level(THGROUP_MAIN), 0.4);
  runUntil(*c.w, 1.0);
  EXPECT_DOUBLE_EQ(c.level(THGROUP_MAIN), 0.4);
  EXPECT_DOUBLE_EQ(c.level(THGROUP_RETRO), 1.0);
}

TEST(ScriptedControls, SwitchNavigationModesAndNoteWhatCannotAct) {
  Craft c;
  sim::ControlEvent on, off;
  std::string error;
  ASSERT_TRUE(sim::parseNavmodeSpec("0:hlevel", on, error));
  ASSERT_TRUE(sim::parseNavmodeSpec("0.5:hlevel:off", off, error));
  c.w->controls.queue(on);
  c.w->controls.queue(on);  // a second time: already on, noted
  c.w->controls.queue(off);
  c.w->step();
  EXPECT_TRUE(c.v->intf->GetNavmodeState(NAVMODE_HLEVEL));
  EXPECT_TRUE(c.w->diagnostics().contains("W navmode hlevel: already on"));
  runUntil(*c.w, 0.6);
  EXPECT_FALSE(c.v->intf->GetNavmodeState(NAVMODE_HLEVEL));

  // a group the vessel lacks is noted, not applied
  Vessel &crate = c.w->createVessel("Crate", "cargo_crate", orbiting(*c.w->findBody("Earth"), _V(7e6, 0, 0), _V(0, 0, 7500)));
  c.w->setFocus(&crate);
  c.control("1:hover:1");
  runUntil(*c.w, 1.1);
  EXPECT_TRUE(c.w->diagnostics().contains("Crate control hover: the vessel has no such thrusters"));
}

// --- keys the vessel declines ---------------------------------------------------------------

TEST(CoreKeys, BufferedBindingsToggleModesAndEngines) {
  struct Case {
    DWORD key;
    std::vector<DWORD> mods;
    int navmode;     // expected on afterwards (0: none)
    int rcsMode;     // expected RCS mode afterwards
  };
  const Case cases[] = {
      {OAPI_KEY_NUMPAD5, {}, NAVMODE_KILLROT, RCS_ROT},   {OAPI_KEY_L, {}, NAVMODE_HLEVEL, RCS_ROT},
      {OAPI_KEY_LBRACKET, {}, NAVMODE_PROGRADE, RCS_ROT}, {OAPI_KEY_RBRACKET, {}, NAVMODE_RETROGRADE, RCS_ROT},
      {OAPI_KEY_SEMICOLON, {}, NAVMODE_NORMAL, RCS_ROT},  {OAPI_KEY_APOSTROPHE, {}, NAVMODE_ANTINORMAL, RCS_ROT},
      {OAPI_KEY_A, {}, NAVMODE_HOLDALT, RCS_ROT},         {OAPI_KEY_L, {OAPI_KEY_LSHIFT}, 0, RCS_ROT},
      {OAPI_KEY_DIVIDE, {}, 0, RCS_LIN},                  {OAPI_KEY_DIVIDE, {OAPI_KEY_RCONTROL}, 0, RCS_NONE},
  };
  for (const Case &k : cases) {
    Craft c;
    c.key(0, k.key, true, k.mods);
    c.w->step();
    for (int m = NAVMODE_KILLROT; m <= NAVMODE_HOLDALT; m++)
      EXPECT_EQ(c.v->intf->GetNavmodeState(m), m == k.navmode) << "key " << k.key << " mode " << m;
    EXPECT_EQ(c.v->intf->GetAttitudeMode(), k.rcsMode) << "key " << k.key;
    c.key(c.w->simTime(), k.key, true, k.mods);  // the same key again toggles back
    c.w->step();
    if (k.navmode) {
      EXPECT_FALSE(c.v->intf->GetNavmodeState(k.navmode)) << "key " << k.key;
    }
  }
}

TEST(CoreKeys, KeysTheVesselConsumesNeverReachTheCore) {
  Craft c;
  c.key(0, OAPI_KEY_G);  // the craft's own parking-brake key
  c.w->step();
  EXPECT_EQ(c.v->intf->GetWheelbrakeLevel(0), 1.0);
  EXPECT_FALSE(c.w->diagnostics().contains("key 34 not consumed"));
  c.key(c.w->simTime(), OAPI_KEY_MULTIPLY);  // declined: main and retro off
  c.v->intf->SetThrusterGroupLevel(THGROUP_RETRO, 0.5);
  c.w->step();
  EXPECT_EQ(c.level(THGROUP_RETRO), 0.0);
}

TEST(CoreKeys, HeldThrottleKeysMoveTheLevelsAtTheirRate) {
  struct Case {
    DWORD key;
    std::vector<DWORD> mods;
    double seconds;  // held for
    THGROUP_TYPE group;
    double permanent;  // the group's permanent level afterwards
  };
  const Case cases[] = {
      {OAPI_KEY_ADD, {OAPI_KEY_LCONTROL}, 2.0, THGROUP_MAIN, 0.4},
      {OAPI_KEY_SUBTRACT, {OAPI_KEY_LCONTROL}, 1.0, THGROUP_RETRO, 0.2},  // down from zero main: retro
      {OAPI_KEY_NUMPAD0, {}, 2.5, THGROUP_HOVER, 0.5},
      {OAPI_KEY_DECIMAL, {}, 1.0, THGROUP_HOVER, 0.0},  // never below zero
      {OAPI_KEY_ADD, {OAPI_KEY_LCONTROL}, 10.0, THGROUP_MAIN, 1.0},  // never above one
  };
  for (const Case &k : cases) {
    Craft c(false, 0.05);
    c.key(0, k.key, true, k.mods);
    c.key(k.seconds, k.key, false);
    runUntil(*c.w, k.seconds + 1.0);
    int g = c.v->groupOfType(k.group);
    double perm = c.v->st.thrusters[c.v->def.groups[g].members[0]].permanent;
    EXPECT_NEAR(perm, k.permanent, 1e-9) << "key " << k.key;
  }
}

TEST(CoreKeys, HeldAttitudeKeysFireTheirGroupWhileHeldAtFullOrLowPower) {
  struct Case {
    DWORD key;
    bool ctrl;
    int rcsMode;
    THGROUP_TYPE group;
    double level;
  };
  const Case cases[] = {
      {OAPI_KEY_NUMPAD2, false, RCS_ROT, THGROUP_ATT_PITCHUP, 1.0},
      {OAPI_KEY_NUMPAD8, true, RCS_ROT, THGROUP_ATT_PITCHDOWN, 0.1},
      {OAPI_KEY_NUMPAD1, false, RCS_ROT, THGROUP_ATT_YAWLEFT, 1.0},
      {OAPI_KEY_NUMPAD3, false, RCS_ROT, THGROUP_ATT_YAWRIGHT, 1.0},
      {OAPI_KEY_NUMPAD4, false, RCS_ROT, THGROUP_ATT_BANKLEFT, 1.0},
      {OAPI_KEY_NUMPAD6, false, RCS_ROT, THGROUP_ATT_BANKRIGHT, 1.0},
      {OAPI_KEY_NUMPAD2, false, RCS_LIN, THGROUP_ATT_UP, 1.0},
      {OAPI_KEY_NUMPAD8, false, RCS_LIN, THGROUP_ATT_DOWN, 1.0},
      {OAPI_KEY_NUMPAD1, false, RCS_LIN, THGROUP_ATT_LEFT, 1.0},
      {OAPI_KEY_NUMPAD3, false, RCS_LIN, THGROUP_ATT_RIGHT, 1.0},
      {OAPI_KEY_NUMPAD6, true, RCS_LIN, THGROUP_ATT_FORWARD, 0.1},
      {OAPI_KEY_NUMPAD9, false, RCS_LIN, THGROUP_ATT_BACK, 1.0},
      {OAPI_KEY_NUMPAD2, false, RCS_NONE, THGROUP_ATT_PITCHUP, 0.0},
      {OAPI_KEY_ADD, false, RCS_ROT, THGROUP_MAIN, 1.0},  // full main while held
      {OAPI_KEY_SUBTRACT, false, RCS_ROT, THGROUP_RETRO, 1.0},
  };
  for (const Case &k : cases) {
    Craft c;
    c.v->intf->SetAttitudeMode(k.rcsMode);
    c.key(0, k.key, true, k.ctrl ? std::vector<DWORD>{OAPI_KEY_LCONTROL} : std::vector<DWORD>{});
    c.key(0.5, k.key, false);
    runUntil(*c.w, 0.4);
    EXPECT_NEAR(c.level(k.group), k.level, 1e-12) << "key " << k.key << " mode " << k.rcsMode;
    int g = c.v->groupOfType(k.group);
    EXPECT_EQ(c.v->st.thrusters[c.v->def.groups[g].members[0]].permanent, 0.0) << "a transient override only";
    runUntil(*c.w, 0.6);
    EXPECT_EQ(c.level(k.group), 0.0) << "key " << k.key << " released";
  }
}

TEST(CoreKeys, RotationKeysMoveTheAerodynamicControlsTheADCtrlModeSelects) {
  Craft c;
  c.key(0, OAPI_KEY_NUMPAD2);  // pitch up
  c.key(0, OAPI_KEY_NUMPAD3);  // yaw right
  c.key(0, OAPI_KEY_NUMPAD4);  // bank left
  c.w->step();
  for (int t = 0; t < 6; t++) EXPECT_EQ(c.v->st.controls[t].transient, 0.0) << "mode 0 moves nothing";
  c.v->intf->SetADCtrlMode(7);
  c.w->step();
  EXPECT_EQ(c.v->st.controls[AIRCTRL_ELEVATOR].transient, 1.0);
  EXPECT_EQ(c.v->st.controls[AIRCTRL_RUDDER].transient, 1.0);
  EXPECT_EQ(c.v->st.controls[AIRCTRL_AILERON].transient, -1.0);
  c.v->intf->SetADCtrlMode(2);  // the rudder only
  c.w->step();
  EXPECT_EQ(c.v->st.controls[AIRCTRL_ELEVATOR].transient, 0.0);
  EXPECT_EQ(c.v->st.controls[AIRCTRL_RUDDER].transient, 1.0);
}

TEST(CoreKeys, TheDirectKeyCallbackSeesHeldKeysFirstAndMayTakeThem) {
  TempDataRoot root;
  root.addClass("nav4", "ClassName = nav4\nModule = test_nav4\n");
  auto w = makeWorld(0.02, root.path());
  Vessel &v = w->createVessel("N", "nav4", orbiting(*w->findBody("Earth"), _V(7e6, 0, 0), _V(0, 0, 7546)));
  w->setFocus(&v);
  auto level = [&](THGROUP_TYPE g) { return v.intf->GetThrusterGroupLevel(g); };
  auto key = [&](DWORD k, bool down) {
    sim::KeyEvent e;
    e.time = w->simTime(), e.key = k, e.down = down;
    w->queueKey(e);
  };
  key(OAPI_KEY_NUMPAD2, true);  // the module clears this one from the keyboard state
  key(OAPI_KEY_NUMPAD8, true);
  w->step();
  EXPECT_EQ(level(THGROUP_ATT_PITCHUP), 0.0);
  EXPECT_EQ(level(THGROUP_ATT_PITCHDOWN), 1.0);
  key(OAPI_KEY_NUMPAD9, true);  // with this one held the module takes the whole keyboard
  w->step();
  EXPECT_EQ(level(THGROUP_ATT_PITCHDOWN), 0.0);
}

// --- wheels -----------------------------------------------------------------------------------

// Sliding at 15 m/s along its long axis (friction at full strength above 10 m/s): the skids
// decelerate it at mu_lng g, the brakes of the two rear skids add level F_max / m, up to the grip
// of their lateral coefficient.
double slidingDeceleration(double brake) {
  Craft c;
  runUntil(*c.w, 1.0);  // settled on the skids
  c.v->releaseFromGround();
  c.v->edit()->rvel += mul(c.v->st.R, _V(0, 0, 1)) * 15.0;
  c.v->stateChanged();
  c.v->intf->SetWheelbrakeLevel(brake);
  c.w->step();
  double v0 = length(c.v->sp.groundVel_G);
  runUntil(*c.w, c.w->simTime() + 0.5);
  return (v0 - length(c.v->sp.groundVel_G)) / 0.5;
}

TEST(Wheels, BrakesAddTheirForceToTheSlidingFriction) {
  auto w = makeEarthWorld(0.02, false, false);
  double g = w->findBody("Earth")->mu() / std::pow(w->findBody("Earth")->meanRadius, 2), m = 1250;
  const double levels[] = {0.0, 0.25, 0.5};
  for (double level : levels)
    EXPECT_NEAR(slidingDeceleration(level), (0.15 * m * g + level * 4e3) / m, 0.02) << "brake " << level;
  // full brakes would ask more of the rear skids than they grip
  double full = slidingDeceleration(1.0);
  EXPECT_GT(full, slidingDeceleration(0.5) + 0.1);
  EXPECT_LT(full, (0.15 * m * g + 4e3) / m - 0.1);
}

TEST(Wheels, TheSteeredNoseSkidTurnsTheCraftTheWayTheRudderPoints) {
  struct Case {
    bool steering;
    double rudder;
    int yawSign;  // sign of the yaw rate that develops (negative: to the right)
  };
  const Case cases[] = {{true, 1.0, -1}, {true, -1.0, 1}, {false, 1.0, 0}};
  for (const Case &k : cases) {
    Craft c;
    runUntil(*c.w, 1.0);
    c.v->intf->SetNosewheelSteering(k.steering);
    c.v->intf->SetControlSurfaceLevel(AIRCTRL_RUDDER, k.rudder, true);
    c.v->releaseFromGround();
    c.v->edit()->rvel += mul(c.v->st.R, _V(0, 0, 1)) * 5.0;
    c.v->stateChanged();
    runUntil(*c.w, 1.5);
    double yawRate = c.v->st.omega.y;
    if (k.yawSign == 0)
      EXPECT_NEAR(yawRate, 0.0, 1e-3);
    else
      EXPECT_GT(yawRate * k.yawSign, 0.01) << "steering " << k.steering << " rudder " << k.rudder;
  }
}

}  // namespace
