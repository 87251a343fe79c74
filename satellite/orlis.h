// The orlis satellite: a bus with 34 small thrusters, two accordion solar wings and three
// antennae that unfold on key G, wings that then turn about +x to face the Sun, and an automatic
// attitude (key V) with +z towards the Earth's centre and +x normal to the Earth-Sun plane.
//
// Vessel frame (left-handed, origin at the centre of gravity): the wing hinges stand at
// x = +-1.44 m, the antennae at y = +-1.13 m, the thrusters at the corners (+-1, 0, +-1) m.
// Units: m, kg, s, N, rad; animation states run from 0 to 1.
// The automatic-attitude and sun-lock switches and the last sun-tracking direction are shared by
// every satellite of the class (static members), as are the animation transforms.
#pragma once

#include "Orbitersdk.h"
#include "interface_compat.h"

class orlis final : public VESSEL3 {
 public:
  // Members get their first values in clbkSetClassCaps, never here.
  orlis(OBJHANDLE hVessel, int flightmodel) : VESSEL3(hVessel, flightmodel) {}
  ~orlis();  // switches the shared automatic attitude and sun lock off

  void clbkSetClassCaps(FILEHANDLE cfg) override;
  void clbkSaveState(FILEHANDLE scn) override;
  void clbkLoadStateEx(FILEHANDLE scn, void *status) override;
  void clbkPostCreation() override;
  void clbkPreStep(double simt, double simdt, double mjd) override;
  void clbkPostStep(double simt, double simdt, double mjd) override;
  int clbkConsumeBufferedKey(frame::KeyCode key, bool down, char *kstate) override;
  bool clbkDrawHUD(int mode, const HUDPAINTSPEC *hps, oapi::Sketchpad *skp) override;

  static constexpr int kThrusterCount = 34;
  static constexpr int kGroupCapacity = 4;   // largest thruster group
  static constexpr int kPanelCount = 8;      // four per wing
  static constexpr int kAntennaChains = 2;
  // deployStatus values; any other value of 2 or more deploys, any other below 2 does nothing
  static constexpr int kStowed = 0, kDeployed = 1, kStowing = 2, kDeploying = 3;

  // Shared by every satellite of the class.
  inline static int autoAttitude = 0;  // > 0: automatic Earth-pointing; "AUTOATT"
  inline static int sunLock = 0;       // stored and restored only; "SUNLOCK"
  inline static int sunTrackDir = 0;   // last wing turn: +1, -1 or 0 (never reset)

 private:
  // Definition helpers (definition.cpp).
  void defineAnimations();
  void defineThrusters();

  // Per-step work (operations.cpp).
  void pointAtEarth(const VECTOR3 &globalPos);
  void trackSun(const VECTOR3 &globalPos, double simdt);
  void moveDeployment(double simdt);

  // Members, in declaration order.
  int panelRotationFlag;                            // first value of "SPR"; read by nothing else
  int deployStatus;                                 // 0 stowed, 1 deployed, 2 stowing, 3 deploying
  THRUSTER_HANDLE thRcs[kThrusterCount];            // in creation order
  THRUSTER_HANDLE thGroupScratch[kGroupCapacity];   // handed to CreateThrusterGroup
  PROPELLANT_HANDLE phRcs;                          // the only tank, feeds every thruster
  ANIMATIONCOMPONENT_HANDLE sunTrackComp;           // wing turn about +x, parent of both wings
  ANIMATIONCOMPONENT_HANDLE panelComp[kPanelCount];      // the eight wing panels
  ANIMATIONCOMPONENT_HANDLE antennaComp[kAntennaChains]; // first link of each antenna chain
  UINT animSunTrack;                                // wing angle about +x = 2 pi x state
  UINT animDeploy;                                  // panels and antennae
  double sunTrackState;                             // [0, 1] nominally; second value of "SPR"
  double deployState;                               // [0, 1]; second value of "SOLP"
};
