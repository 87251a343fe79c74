// The interface calls plain vessel add-ons make beyond ours: older forms behave as their newer
// forms, definitions can be edited and deleted, the screen-only calls are answered headless and
// counted, and no query answers a non-finite value in odd states.
#include <gtest/gtest.h>

#include "interface_probe.h"
#include "world_fixture.h"

namespace {

using namespace testsupport;

// A passive vessel (the host's own VESSEL interface) on a low orbit.
struct Orbiter {
  std::unique_ptr<sim::World> w = makeEarthWorld(0.02, true, true);
  sim::CelestialBody &earth = *w->findBody("Earth");
  Vessel *v = &w->createVessel("A", "cargo_crate", orbiting(earth, _V(7e6, 0, 0), _V(0, 0, 7546)));
  VESSEL *i = v->intf;
};

void flatCoeff(double aoa, double, double, double *cl, double *cm, double *cd) {
  *cl = 0.5 * std::sin(2 * aoa), *cm = 0.0, *cd = 0.1;
}

TEST(OlderForms, ControlSurfacesTakeTheDefaultDelayOfOneSecond) {
  struct Case {
    const char *form;
    CTRLSURFHANDLE (*create)(VESSEL &);
    bool returnsHandle;
  };
  const Case cases[] = {
      {"CreateControlSurface",
       [](VESSEL &i) {
         i.CreateControlSurface(AIRCTRL_ELEVATOR, 1.0, 1.5, _V(0, 0, -3));
         return CTRLSURFHANDLE(nullptr);
       },
       false},
      {"CreateControlSurface2",
       [](VESSEL &i) { return i.CreateControlSurface2(AIRCTRL_ELEVATOR, 1.0, 1.5, _V(0, 0, -3)); }, true},
      {"CreateControlSurface3",
       [](VESSEL &i) { return i.CreateControlSurface3(AIRCTRL_ELEVATOR, 1.0, 1.5, _V(0, 0, -3)); }, true},
  };
  for (const Case &c : cases) {
    Orbiter o;
    CTRLSURFHANDLE h = c.create(*o.i);
    EXPECT_EQ(h != nullptr, c.returnsHandle) << c.form;
    ASSERT_EQ(o.v->def.controlSurfaces.size(), 1u) << c.form;
    EXPECT_EQ(o.v->def.controlSurfaces[0].axis, AIRCTRL_AXIS_XPOS) << c.form;
    o.i->SetControlSurfaceLevel(AIRCTRL_ELEVATOR, 1.0);
    runUntil(*o.w, 0.5);
    EXPECT_NEAR(o.i->GetControlSurfaceLevel(AIRCTRL_ELEVATOR), 0.5, 1e-9) << c.form << ": half way after 0.5 s";
  }
}

TEST(OlderForms, CreateAirfoil2IsCreateAirfoilWithAHandleAndCanBeEditedAndDeleted) {
  Orbiter o;
  AIRFOILHANDLE h = o.i->CreateAirfoil2(LIFT_VERTICAL, _V(0, 0, -1), flatCoeff, 2.0, 10.0, 3.0);
  ASSERT_NE(h, nullptr);
  VECTOR3 ref;
  AirfoilCoeffFunc cf = nullptr;
  double c, S, A;
  ASSERT_TRUE(o.i->GetAirfoilParam(h, &ref, &cf, nullptr, &c, &S, &A));
  EXPECT_EQ(cf, &flatCoeff);
  EXPECT_EQ(ref.z, -1.0);
  EXPECT_EQ(S, 10.0);
  o.i->EditAirfoil(h, 0x01 | 0x08, _V(0, 0, 2), nullptr, 0, 4.0, 0);  // ref and area only
  ASSERT_TRUE(o.i->GetAirfoilParam(h, &ref, &cf, nullptr, &c, &S, &A));
  EXPECT_EQ(ref.z, 2.0);
  EXPECT_EQ(S, 4.0);
  EXPECT_EQ(c, 2.0);
  EXPECT_EQ(cf, &flatCoeff);
  EXPECT_TRUE(o.i->DelAirfoil(h));
  EXPECT_FALSE(o.i->DelAirfoil(h)) << "a deleted airfoil's handle is stale";
  EXPECT_TRUE(o.w->diagnostics().contains("deleted airfoil handle"));
  EXPECT_FALSE(o.i->GetAirfoilParam(h, &ref, &cf, nullptr, &c, &S, &A));
}

TEST(OlderForms, WithEveryAirfoilDeletedTheSimpleModelFliesAgain) {
  struct Case {
    const char *how;
    void (*remove)(VESSEL &, AIRFOILHANDLE);
  };
  const Case cases[] = {{"DelAirfoil", [](VESSEL &i, AIRFOILHANDLE h) { i.DelAirfoil(h); }},
                        {"ClearAirfoilDefinitions", [](VESSEL &i, AIRFOILHANDLE) { i.ClearAirfoilDefinitions(); }}};
  for (const Case &c : cases) {
    auto w = makeEarthWorld(0.02, false, true);
    sim::CelestialBody &earth = *w->findBody("Earth");
    Vessel &a = w->createVessel("Simple", "cargo_crate", flying(earth, 0, 0, 3000, 90, 150, 0));
    Vessel &b = w->createVessel("Deleted", "cargo_crate", flying(earth, 1, 0, 3000, 90, 150, 0));
    AIRFOILHANDLE h = b.intf->CreateAirfoil2(LIFT_VERTICAL, _V(0, 0, 0), flatCoeff, 1.0, 50.0, 1.0);
    c.remove(*b.intf, h);
    w->step();
    EXPECT_GT(a.fb.drag, 0.0);
    EXPECT_NEAR(b.fb.drag, a.fb.drag, 1e-6 * a.fb.drag) << c.how;
  }
}

TEST(OlderForms, CreateVariableDragElementWithADoublePointerIsCountedObsolete) {
  Orbiter o;
  double drag = 1.0;
  const double *fixed = &drag;
  o.i->CreateVariableDragElement(fixed, 2.0, _V(0, 0, 0));
  EXPECT_EQ(o.w->diagnostics().obsoleteCount(), 0);
  o.i->CreateVariableDragElement(&drag, 2.0, _V(0, 0, 0));
  o.i->SetCOG_elev(3.0);
  EXPECT_EQ(o.w->diagnostics().obsoleteCount(), 2);
  EXPECT_EQ(o.v->def.dragElements.size(), 2u) << "the obsolete form still defines the element";
  EXPECT_TRUE(o.w->diagnostics().contains("A CreateVariableDragElement(double *): obsolete form used"));
}

TEST(ControlSurfaces, DeletedSurfacesStopActingAndTheirHandlesGoStale) {
  Orbiter o;
  CTRLSURFHANDLE h = o.i->CreateControlSurface2(AIRCTRL_RUDDER, 1.0, 1.5, _V(0, 0, -3));
  EXPECT_TRUE(o.i->DelControlSurface(h));
  EXPECT_FALSE(o.i->DelControlSurface(h));
  EXPECT_TRUE(o.v->def.controlSurfaces[0].deleted);
}

TEST(Docks, PortsAreDefinedCountedEditedAndDeleted) {
  Orbiter o;
  DOCKHANDLE a = o.i->CreateDock(_V(0, 0, 2), _V(0, 0, 1), _V(0, 1, 0));
  DOCKHANDLE b = o.i->CreateDock(_V(0, 1, 0), _V(0, 1, 0), _V(0, 0, 1));
  EXPECT_EQ(o.i->DockCount(), 2u);
  EXPECT_EQ(o.i->GetDockHandle(1), b);
  o.i->SetDockParams(a, _V(0, 0, 3), _V(0, 0, 1), _V(1, 0, 0));
  VECTOR3 pos, dir, rot;
  o.i->GetDockParams(a, pos, dir, rot);
  EXPECT_EQ(pos.z, 3.0);
  EXPECT_EQ(rot.x, 1.0);
  EXPECT_TRUE(o.i->DelDock(a));
  EXPECT_EQ(o.i->DockCount(), 1u);
  EXPECT_EQ(o.i->GetDockHandle(0), b) << "the other port keeps its handle";
  EXPECT_EQ(o.i->GetDockHandle(1), nullptr);
  EXPECT_EQ(o.i->GetDockStatus(b), nullptr);
  EXPECT_FALSE(o.i->Undock(0));
  o.i->ClearDockDefinitions();
  EXPECT_EQ(o.i->DockCount(), 0u);
}

TEST(Propellant, TheDefaultTankServesTheOlderFuelCallsAndThrustersChangeTanks) {
  Orbiter o;
  PROPELLANT_HANDLE first = o.i->CreatePropellantResource(100);
  PROPELLANT_HANDLE second = o.i->CreatePropellantResource(50, 20);
  EXPECT_EQ(o.i->GetFuelMass(), 100.0) << "the first tank until another is named";
  o.i->SetDefaultPropellantResource(second);
  EXPECT_EQ(o.i->GetFuelMass(), 20.0);
  EXPECT_EQ(o.i->GetMaxFuelMass(), 50.0);
  o.i->SetFuelMass(30);
  EXPECT_EQ(o.i->GetPropellantMass(second), 30.0);
  THRUSTER_HANDLE th = o.i->CreateThruster(_V(0, 0, 0), _V(0, 0, 1), 1000, first, 2000);
  o.i->SetThrusterResource(th, second);
  EXPECT_EQ(o.i->GetThrusterResource(th), second);
  o.i->SetThrusterLevel(th, 1.0);
  o.w->step();
  EXPECT_NEAR(o.i->GetPropellantMass(second), 30.0 - 1000.0 / 2000.0 * 0.02, 1e-12);
  EXPECT_EQ(o.i->GetPropellantMass(first), 100.0);
  EXPECT_NEAR(o.i->GetPropellantFlowrate(second), 0.5, 1e-12);
  EXPECT_NEAR(o.i->GetTotalPropellantFlowrate(), 0.5, 1e-12);
  EXPECT_NEAR(o.i->GetFuelRate(), 0.5, 1e-12);
  o.i->SetThrusterResource(th, nullptr);  // no tank: it no longer fires
  o.w->step();
  EXPECT_EQ(o.i->GetThrusterLevel(th), 0.0);
}

TEST(Thrusters, LevelsChangedByIncrementsAndForOneStepOnly) {
  struct Case {
    const char *call;
    void (*act)(VESSEL &, THRUSTER_HANDLE, THGROUP_HANDLE);
    double effective;  // after one step
    double permanent;
  };
  const Case cases[] = {
      {"IncThrusterLevel", [](VESSEL &i, THRUSTER_HANDLE t, THGROUP_HANDLE) { i.IncThrusterLevel(t, 0.3); }, 0.5, 0.5},
      {"IncThrusterLevel above 1", [](VESSEL &i, THRUSTER_HANDLE t, THGROUP_HANDLE) { i.IncThrusterLevel(t, 2.0); },
       1.0, 1.0},
      {"SetThrusterLevel_SingleStep",
       [](VESSEL &i, THRUSTER_HANDLE t, THGROUP_HANDLE) { i.SetThrusterLevel_SingleStep(t, 0.9); }, 0.9, 0.2},
      {"IncThrusterLevel_SingleStep",
       [](VESSEL &i, THRUSTER_HANDLE t, THGROUP_HANDLE) { i.IncThrusterLevel_SingleStep(t, 0.1); }, 0.3, 0.2},
      {"IncThrusterGroupLevel",
       [](VESSEL &i, THRUSTER_HANDLE, THGROUP_HANDLE g) { i.IncThrusterGroupLevel(g, -0.5); }, 0.0, 0.0},
      {"IncThrusterGroupLevel_SingleStep",
       [](VESSEL &i, THRUSTER_HANDLE, THGROUP_HANDLE) { i.IncThrusterGroupLevel_SingleStep(THGROUP_MAIN, 0.4); }, 0.6,
       0.2},
  };
  for (const Case &c : cases) {
    Orbiter o;
    PROPELLANT_HANDLE tank = o.i->CreatePropellantResource(100);
    THRUSTER_HANDLE th = o.i->CreateThruster(_V(0, 0, 0), _V(0, 0, 1), 100, tank, 2000);
    THGROUP_HANDLE g = o.i->CreateThrusterGroup(&th, 1, THGROUP_MAIN);
    o.i->SetThrusterLevel(th, 0.2);
    c.act(*o.i, th, g);
    o.w->step();
    EXPECT_NEAR(o.i->GetThrusterLevel(th), c.effective, 1e-12) << c.call;
    EXPECT_NEAR(o.v->st.thrusters[0].permanent, c.permanent, 1e-12) << c.call;
  }
}

TEST(Thrusters, EditedAfterCreationAndDeleted) {
  Orbiter o;
  PROPELLANT_HANDLE tank = o.i->CreatePropellantResource(100);
  THRUSTER_HANDLE th = o.i->CreateThruster(_V(0, 0, -2), _V(0, 0, 1), 100, tank, 2000);
  THRUSTER_HANDLE other = o.i->CreateThruster(_V(0, 0, 2), _V(0, 0, -1), 100, tank, 2000);
  THRUSTER_HANDLE both[2] = {th, other};
  THGROUP_HANDLE g = o.i->CreateThrusterGroup(both, 2, THGROUP_USER);
  o.i->SetThrusterRef(th, _V(1, 0, -2));
  o.i->SetThrusterDir(th, _V(0, 3, 4));
  VECTOR3 pos, dir, F, T;
  o.i->GetThrusterRef(th, pos);
  o.i->GetThrusterDir(th, dir);
  EXPECT_EQ(pos.x, 1.0);
  EXPECT_NEAR(dir.y, 0.6, 1e-12);
  o.i->GetThrusterMoment(th, F, T);  // in vacuum: the full 100 N
  EXPECT_NEAR(F.z, 80.0, 1e-9);
  EXPECT_NEAR(T.x, crossp(F, pos).x, 1e-9);
  o.i->SetThrusterIsp(th, 3000, 2500);  // an Isp falling with pressure
  EXPECT_NEAR(o.i->GetThrusterIsp(th, 101.4e3), 2500, 1e-9);
  EXPECT_EQ(o.i->GetGroupThrusterCount(g), 2u);
  EXPECT_EQ(o.i->GetGroupThruster(g, 1), other);
  EXPECT_EQ(o.i->GetGroupThruster(g, 2), nullptr);
  EXPECT_TRUE(o.i->DelThruster(th));
  EXPECT_EQ(th, nullptr);
  EXPECT_EQ(o.i->GetGroupThrusterCount(g), 1u);
  EXPECT_EQ(o.i->GetGroupThruster(g, 0), other);
}

TEST(Engines, TheOlderEngineCallsDriveMainRetroAndHover) {
  Orbiter o;
  PROPELLANT_HANDLE tank = o.i->CreatePropellantResource(100);
  const THGROUP_TYPE types[3] = {THGROUP_MAIN, THGROUP_RETRO, THGROUP_HOVER};
  for (THGROUP_TYPE t : types) {
    THRUSTER_HANDLE th = o.i->CreateThruster(_V(0, 0, 0), _V(0, 0, 1), 100, tank, 2000);
    o.i->CreateThrusterGroup(&th, 1, t);
  }
  o.i->SetEngineLevel(ENGINE_MAIN, -0.4);
  EXPECT_NEAR(o.i->GetThrusterGroupLevel(THGROUP_RETRO), 0.4, 1e-12);
  EXPECT_NEAR(o.i->GetEngineLevel(ENGINE_MAIN), -0.4, 1e-12);
  o.i->IncEngineLevel(ENGINE_MAIN, 1.0);
  EXPECT_NEAR(o.i->GetThrusterGroupLevel(THGROUP_MAIN), 0.6, 1e-12);
  EXPECT_EQ(o.i->GetThrusterGroupLevel(THGROUP_RETRO), 0.0);
  o.i->SetEngineLevel(ENGINE_HOVER, 0.7);
  EXPECT_NEAR(o.i->GetEngineLevel(ENGINE_HOVER), 0.7, 1e-12);
}

TEST(AttitudeModes, ModesNotifyTheModuleAndLevelsMapOntoTheGroups) {
  Orbiter o;
  PROPELLANT_HANDLE tank = o.i->CreatePropellantResource(100);
  for (int t = THGROUP_ATT_PITCHUP; t <= THGROUP_ATT_BACK; t++) {
    THRUSTER_HANDLE th = o.i->CreateThruster(_V(0, 0, 0), _V(0, 0, 1), 10, tank, 2000);
    o.i->CreateThrusterGroup(&th, 1, static_cast<THGROUP_TYPE>(t));
  }
  EXPECT_EQ(o.i->GetAttitudeMode(), RCS_ROT);
  EXPECT_EQ(o.i->ToggleAttitudeMode(), RCS_LIN);
  EXPECT_TRUE(o.i->SetAttitudeMode(RCS_NONE));
  EXPECT_EQ(o.i->ToggleAttitudeMode(), RCS_NONE) << "off stays off";
  EXPECT_FALSE(o.i->SetAttitudeMode(5));
  o.i->SetAttitudeRotLevel(_V(0.5, -0.3, 0.2));
  EXPECT_NEAR(o.i->GetThrusterGroupLevel(THGROUP_ATT_PITCHUP), 0.5, 1e-12);
  EXPECT_NEAR(o.i->GetThrusterGroupLevel(THGROUP_ATT_YAWRIGHT), 0.3, 1e-12);
  EXPECT_NEAR(o.i->GetThrusterGroupLevel(THGROUP_ATT_BANKRIGHT), 0.2, 1e-12);
  o.i->SetAttitudeLinLevel(2, -1.0);
  VECTOR3 rot, lin;
  o.i->GetAttitudeRotLevel(rot);
  o.i->GetAttitudeLinLevel(lin);
  EXPECT_NEAR(rot.y, -0.3, 1e-12);
  EXPECT_NEAR(lin.z, -1.0, 1e-12);
  EXPECT_NEAR(o.i->GetThrusterGroupLevel(THGROUP_ATT_BACK), 1.0, 1e-12);
  o.i->SetADCtrlMode(0xFF);
  EXPECT_EQ(o.i->GetADCtrlMode(), 7u) << "three surfaces, three bits";
}

TEST(Ground, FrictionBrakesAndTheCentreOfGravityHeight) {
  Orbiter o;
  o.i->SetSurfaceFrictionCoeff(0.2, 0.7);
  o.i->SetTouchdownPoints(_V(0, -2, 1), _V(-1, -2, -1), _V(1, -2, -1));  // the three-point form takes them
  TOUCHDOWNVTX p;
  ASSERT_TRUE(o.i->GetTouchdownPoint(p, 2));
  EXPECT_EQ(p.mu_lng, 0.2);
  EXPECT_EQ(p.mu, 0.7);
  EXPECT_EQ(o.i->GetTouchdownPointCount(), 3u);
  EXPECT_FALSE(o.i->GetTouchdownPoint(p, 3));
  EXPECT_NEAR(o.i->GetCOG_elev(), 2.0, 1e-12);
  o.i->SetSurfaceFrictionCoeff(0.05, 0.3);  // and the points already there
  o.i->GetTouchdownPoint(p, 0);
  EXPECT_EQ(p.mu, 0.3);
  o.i->SetWheelbrakeLevel(0.8, 1);
  EXPECT_NEAR(o.i->GetWheelbrakeLevel(1), 0.8, 1e-12);
  EXPECT_EQ(o.i->GetWheelbrakeLevel(2), 0.0);
  EXPECT_NEAR(o.i->GetWheelbrakeLevel(0), 0.4, 1e-12);
  o.i->SetWheelbrakeLevel(5.0, 3);
  EXPECT_TRUE(o.w->diagnostics().contains("which must be 0, 1 or 2"));
}

// ShiftCG moves every definition point by -s and the vessel by +s: nothing moves in space.
TEST(CentreOfGravity, ShiftCGMovesTheVesselAndNotItsParts) {
  Orbiter o;
  PROPELLANT_HANDLE tank = o.i->CreatePropellantResource(100);
  THRUSTER_HANDLE th = o.i->CreateThruster(_V(0, 1, 4), _V(0, 0, 1), 100, tank, 2000);
  o.i->CreateThrusterGroup(&th, 1, THGROUP_ATT_PITCHUP);
  o.i->SetTouchdownPoints(_V(0, -2, 1), _V(-1, -2, -1), _V(1, -2, -1));
  o.i->SetGlobalOrientation(_V(0.3, -0.2, 1.1));
  auto global = [&](const VECTOR3 &p) {
    VECTOR3 g;
    o.i->Local2Global(p, g);
    return g;
  };
  VECTOR3 thrusterBefore = global(o.v->def.thrusters[0].pos), pointBefore = global(o.v->def.touchdown.points[1].pos);
  double elevBefore = o.i->GetCOG_elev();
  o.i->ShiftCG(_V(0.5, -0.2, 1.0));
  EXPECT_LT(length(global(o.v->def.thrusters[0].pos) - thrusterBefore), 1e-6);
  EXPECT_LT(length(global(o.v->def.touchdown.points[1].pos) - pointBefore), 1e-6);
  EXPECT_NEAR(o.i->GetCOG_elev(), elevBefore - 0.2, 1e-9);
  VECTOR3 expected = crossp(_V(0, 0, 100), o.v->def.thrusters[0].pos);
  EXPECT_NEAR(o.v->recordedMaxMoment(THGROUP_ATT_PITCHUP), length(expected), 1e-9) << "moment about the new CG";
}

TEST(Forces, AddForceActsForOneStepWithItsTorque) {
  Orbiter o;
  Vessel &twin = o.w->createVessel("Twin", "cargo_crate", orbiting(o.earth, _V(7e6, 0, 0), _V(0, 0, 7546)));
  o.i->AddForce(_V(0, 0, 1000), _V(0, 1, 0));
  o.w->step();
  VECTOR3 thrust, torque;
  EXPECT_FALSE(o.i->GetThrustVector(thrust));
  o.i->GetTorqueVector(torque);
  EXPECT_NEAR(torque.x, -1000.0, 1e-9);  // F x r of (0, 0, 1000) at (0, 1, 0)
  VECTOR3 extra = tmul(o.v->st.R, o.v->st.rvel - twin.st.rvel);
  EXPECT_NEAR(extra.z, 1000.0 / o.v->mass() * 0.02, 1e-7);  // the vessel turns a little meanwhile
  o.w->step();  // no force any more: the torque is gone (but for the thin air's damping)
  o.i->GetTorqueVector(torque);
  EXPECT_LT(std::fabs(torque.x), 1e-6);
}

// --- calls only a screen answers ---------------------------------------------------------------

TEST(Headless, ScreenCallsAnswerNullOrNothingAndAreCounted) {
  Orbiter o;
  struct Case {
    const char *call;
    bool (*answer)(VESSEL &);  // true if the answer is the headless one
  };
  const Case cases[] = {
      {"oapiLoadTexture", [](VESSEL &) { return oapiLoadTexture("panel.dds") == nullptr; }},
      {"oapiCreateSurface", [](VESSEL &) { return oapiCreateSurface(64, 64) == nullptr; }},
      {"oapiGetSketchpad", [](VESSEL &) { return oapiGetSketchpad(nullptr) == nullptr; }},
      {"oapiCreateFont", [](VESSEL &) { return oapiCreateFont(12, true, "Arial") == nullptr; }},
      {"oapiGetDC", [](VESSEL &) { return oapiGetDC(nullptr) == nullptr; }},
      {"oapiRegisterPanelArea", [](VESSEL &) { return oapiRegisterPanelArea(1, _R(0, 0, 10, 10)), true; }},
      {"oapiVCRegisterArea", [](VESSEL &) { return oapiVCRegisterArea(1, PANEL_REDRAW_NEVER, PANEL_MOUSE_IGNORE), true; }},
      {"oapiOpenMFD", [](VESSEL &) { return oapiOpenMFD(MFD_ORBIT, MFD_LEFT), true; }},
      {"oapiGetMFDMode", [](VESSEL &) { return oapiGetMFDMode(MFD_LEFT) == MFD_NONE; }},
      {"oapiMFDButtonLabel", [](VESSEL &) { return oapiMFDButtonLabel(MFD_LEFT, 0) == nullptr; }},
      {"oapiSetHUDMode", [](VESSEL &) { return !oapiSetHUDMode(HUD_ORBIT); }},
      {"oapiOpenDialog", [](VESSEL &) { return oapiOpenDialog(nullptr, 101, nullptr) == nullptr; }},
      {"oapiCreateAnnotation", [](VESSEL &) { return oapiCreateAnnotation(true, 1.0, _V(1, 1, 1)) == nullptr; }},
      {"oapiSetTimeAcceleration", [](VESSEL &) { return oapiSetTimeAcceleration(10), oapiGetTimeAcceleration() == 1.0; }},
      {"GetMeshTemplate", [](VESSEL &i) { return i.GetMeshTemplate(0) == nullptr; }},
      {"GetDevMesh", [](VESSEL &i) { return i.GetDevMesh(nullptr, 0) == nullptr; }},
      {"SetCameraMovement", [](VESSEL &i) {
         i.SetCameraMovement(_V(0, 0, 1), 0, 0, _V(-1, 0, 0), 0, 0, _V(1, 0, 0), 0, 0);
         return true;
       }},
      {"AddBeacon", [](VESSEL &i) {
         static VECTOR3 pos = _V(0, 1, 0), col = _V(1, 0, 0);
         static BEACONLIGHTSPEC spec = {BEACONSHAPE_STAR, &pos, &col, 0.5, 0.4, 1.0, 0.1, 0, true};
         i.AddBeacon(&spec);
         return true;
       }},
  };
  for (const Case &c : cases) {
    int before = o.w->diagnostics().headlessCount();
    EXPECT_TRUE(c.answer(*o.i)) << c.call;
    EXPECT_EQ(o.w->diagnostics().headlessCount(), before + 1) << c.call;
    EXPECT_TRUE(o.w->diagnostics().contains(std::string(c.call) + ": answered headless")) << c.call;
  }
  // the debug line is a buffer that can be written, and repeats count against one entry
  char *line = oapiDebugString();
  std::snprintf(line, 256, "%s", std::string(300, 'x').c_str());
  EXPECT_EQ(oapiDebugString(), line);
  int entries = static_cast<int>(o.w->diagnostics().entries().size());
  oapiDebugString();
  EXPECT_EQ(static_cast<int>(o.w->diagnostics().entries().size()), entries);
}

TEST(Meshes, GlobalMeshesAreHandlesOfTheMeshStore) {
  Orbiter o;
  MESHHANDLE h = oapiLoadMeshGlobal("Arvex/orlis");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(oapiLoadMeshGlobal("Arvex/orlis"), h);
  EXPECT_GT(oapiMeshGroupCount(h), 0u);
  EXPECT_EQ(oapiLoadMeshGlobal("no/such/mesh"), nullptr);
  UINT idx = o.i->AddMesh(h);
  EXPECT_EQ(o.v->def.meshes[idx].name, "Arvex/orlis");
  EXPECT_EQ(o.i->AddMesh(MESHHANDLE(nullptr)), (UINT)-1);
  UINT second = o.i->InsertMesh("Arvex/larkon", 5);  // past the end: appended
  EXPECT_EQ(second, idx + 1);
  EXPECT_TRUE(o.i->DelMesh(idx));
  EXPECT_EQ(o.i->GetMeshCount(), idx + 2) << "the slot stays, empty";
  EXPECT_FALSE(o.i->DelMesh(idx));
  o.i->ShiftMeshes(_V(0, 0, 1));
  o.i->SetMeshVisibleInternal(second, true);
  EXPECT_EQ(o.i->GetMeshVisibilityMode(second), MESHVIS_ALWAYS);
}

TEST(World, RunTimeVesselsListsAndRelativeStates) {
  Orbiter o;
  EXPECT_EQ(oapiGetVesselCount(), 1u);
  VESSELSTATUS2 vs{};
  vs.version = 2;
  vs.rbody = o.earth.handle();
  vs.rpos = _V(7e6, 1000, 0);
  vs.rvel = _V(0, 0, 7546);
  OBJHANDLE h = oapiCreateVesselEx("B", "cargo_crate", &vs);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(oapiGetVesselByIndex(1), h);
  EXPECT_EQ(oapiGetVesselByIndex(2), nullptr);
  VECTOR3 d;
  oapiGetRelativePos(h, o.v->handle(), &d);
  EXPECT_NEAR(d.y, 1000.0, 1e-6);
  EXPECT_EQ(oapiCreateVesselEx("C", "no_such_class", &vs), nullptr);
  EXPECT_EQ(oapiCreateVesselEx("B", "cargo_crate", &vs), nullptr) << "the name is taken";
  EXPECT_GE(o.w->diagnostics().refusedCount(), 2);
}

// --- no query answers a non-finite value ---------------------------------------------------------

TEST(Probe, EveryQueryAnswersFinitelyInOddStates) {
  struct Case {
    const char *state;
    VECTOR3 rpos, rvel;
  };
  const Case cases[] = {
      {"orbiting", _V(7e6, 0, 0), _V(0, 0, 7546)},
      {"at the centre of the Earth", _V(0, 0, 0), _V(0, 0, 0)},
      {"inside the Earth", _V(1e6, 0, 0), _V(0, 0, 100)},
      {"hyperbolic", _V(7e6, 0, 0), _V(0, 0, 30000)},
      {"parabolic", _V(7e6, 0, 0), _V(0, 0, std::sqrt(2 * 3.986004e14 / 7e6))},
      {"falling straight down", _V(7e6, 0, 0), _V(-500, 0, 0)},
      {"far away", _V(1e12, 0, 0), _V(0, 0, 1)},
  };
  for (const Case &c : cases) {
    auto w = makeEarthWorld(0.02, true, true, {exampleDir()});
    sim::CelestialBody &earth = *w->findBody("Earth");
    sim::VesselSpawn spawn = orbiting(earth, c.rpos, c.rvel);
    Vessel &v = w->createVessel("P", "wren", keepTanks(spawn));
    EXPECT_EQ(probe::nonFiniteAnswer(*v.intf), "") << c.state;
    w->step();
    EXPECT_EQ(probe::nonFiniteAnswer(*v.intf), "") << c.state << " after a step";
  }
  auto w = makeEarthWorld(0.02, true, true, {exampleDir()});
  sim::VesselSpawn onGround = landed(*w->findBody("Earth"), 10, 20, 0);
  Vessel &landedCraft = w->createVessel("L", "wren", keepTanks(onGround));
  EXPECT_EQ(probe::nonFiniteAnswer(*landedCraft.intf), "") << "landed";
}

}  // namespace
