// The larkon booster: a reusable first stage with nine main engines (run as nine, three or one),
// engine-steering and RCS attitude sets, grid fins and landing legs, and the recovery autopilots
// (flyback to a named target, reentry attitude hold, automatic reentry burn, descent and landing,
// the last by the descent autopilot's own law or by the precision landing law).
//
// Vessel frame: +z from the engines (engine plane z = -21 m) to the top (grid fins near
// z = +19.6 m); x and y span the cross-section. SI units and radians throughout; angles quoted in
// degrees are converted with RAD. The members are those of the class's definition, in order,
// grouped by concern; each is given its default in clbkSetClassCaps (the constructor sets none).
#pragma once

#include "Orbitersdk.h"
#include "interface_compat.h"
#include "booster/step_inputs.h"

namespace booster {
struct DescentReading;
struct BurnState;
struct FallPrediction;
}

// Module-wide: the one target name of every booster, and the body its bases are looked up on.
extern char targetName[256];     // NUL-terminated; "NULL" when none is set
extern OBJHANDLE targetGravRef;  // gravity reference at the last K press or post-creation

class larkon final : public VESSEL3 {
 public:
  larkon(OBJHANDLE hVessel, int flightmodel) : VESSEL3(hVessel, flightmodel) {}
  ~larkon();

  // --- simulator callbacks --------------------------------------------------------------------
  void clbkSetClassCaps(FILEHANDLE cfg) override;
  void clbkSaveState(FILEHANDLE scn) override;
  void clbkLoadStateEx(FILEHANDLE scn, void *status) override;
  void clbkPostCreation() override;
  void clbkPreStep(double simt, double simdt, double mjd) override;
  void clbkPostStep(double simt, double simdt, double mjd) override;
  int clbkConsumeBufferedKey(frame::KeyCode key, bool down, char *kstate) override;
  bool clbkLoadGenericCockpit() override;
  bool clbkDrawHUD(int mode, const HUDPAINTSPEC *hps, oapi::Sketchpad *skp) override;

  // --- values of the mode members ---------------------------------------------------------------
  // The members stay plain integers: the scenario lines store the numbers, and the engine mode
  // indexes thMain and cycles with key P.
  enum LegsMode : int {
    kLegsStowed = 0,
    kLegsDeploying = 1,
    kLegsDeployed = 2,
    kLegsRetracting = 3
  };
  enum FinsMode : int { kFinsStowed = 0, kFinsUnfolding = 1, kFinsDeployed = 2, kFinsFolding = 3 };
  enum EngineMode : int {
    kEnginesNine = 0,
    kEnginesThree = 1,
    kEngineCentre = 2,
    kEngineModeCount = 3
  };
  enum LandingLaw : int { kLawSpecified = 0, kLawPrecision = 1 };
  enum FlybackMode : int { kFlybackOff = 0, kFlybackBothSolutions = 1, kFlybackTransferOnly = 2 };
  enum SequenceStage : int {
    kSequenceOff = 0,
    kSequenceSettle = 1,   // 2 s before the flyback starts
    kSequenceFlyback = 2,  // the flyback autopilot flies
    kSequenceReentry = 3,  // coast, reentry attitude and the reentry burn
    kSequenceDescent = 4,  // the descent autopilot lands the stage
  };

  // --- handles (issued by the simulator) ------------------------------------------------------
  THRUSTER_HANDLE thMain[3];          // main engines: [0] nine, [1] three, [2] the centre engine
  THRUSTER_HANDLE thEngineAtt[12];    // engine-steering thrusters at the engine plane (main tank)
  THRUSTER_HANDLE thGroupScratch[2];  // array handed to CreateThrusterGroup; no lasting meaning
  THRUSTER_HANDLE thRcs[12];          // reaction-control thrusters (RCS tank)
  THGROUP_HANDLE thgMain;             // THGROUP_MAIN, holding thMain[engineMode]
  THGROUP_HANDLE thgPitchUp, thgPitchDown, thgBankRight, thgBankLeft, thgYawRight, thgYawLeft;
  PROPELLANT_HANDLE phMain;           // main propellant
  PROPELLANT_HANDLE phRcs;            // RCS propellant
  OBJHANDLE flybackTarget;            // target found by code 2301 (a record of the look-up only)
  OBJHANDLE landingTarget;            // target found by key B (a record of the look-up only)
  ANIMATIONCOMPONENT_HANDLE animParent[5];  // parents while the animation hierarchy is built
  PSTREAM_HANDLE psLandingPlume;      // the centre engine's low plume, replaced near the ground
  CTRLSURFHANDLE csFinElevator, csFinRudder;  // grid-fin control surfaces while the fins are out

  // --- numbers and states ---------------------------------------------------------------------
  double flybackFlightTime;  // [s] predicted flight time of the transfer solution (last step)
  double simDt;              // [s] step length of the current frame
  double sequenceTimer;      // [s] time spent in stage 1 of the automatic sequence
  int legsState;             // LegsMode
  int apDescent;             // descent autopilot on (1) / off (0)
  int engineMode;            // EngineMode: the main thruster in use, thMain[engineMode]
  int finsState;             // FinsMode
  int cameraBackward;        // camera looks along +z (0) or -z (1)
  int apFlyback;             // FlybackMode
  int apReentryAttitude;     // reentry-attitude hold on/off
  int descentBurnDone;       // the descent correction burn is finished (1)
  int autoSequence;          // SequenceStage of the automatic flyback-to-landing sequence
  int attitudeSet;           // rotation groups made of 0: thEngineAtt, 1: thRcs
  int below15km;             // the reentry-burn window is closed
  UINT animLegs, animLegStruts, animLegExtend;            // leg animations
  UINT animFinsDeploy, animFinsDeflectA, animFinsDeflectB;  // grid-fin animations
  double legsAnimState[3];   // [0..1] leg swing, strut swing, strut telescoping
  double finsAnimState[3];   // [0..1] fin unfold, deflection channels A and B (0.5 neutral)
  double requiredDv;         // [m/s] velocity change still required by the flyback guidance
  double maxAttRate;         // [rad/s] rate limit of the attitude laws
  double transferArrivalAngle;  // [rad] predicted descent angle at the transfer aim point
  double fallArrivalAngle;      // [rad] the same for the falling solution
  // Owned components. Null until clbkSetClassCaps builds them, so that deleting a booster that
  // was never defined frees nothing it does not own.
  MGROUP_TRANSLATE *legTranslate[16] = {};  // owned: strut segments, four per leg
  MGROUP_ROTATE *legRotate[8] = {};         // owned: leg swing and strut swing, two per leg
  MGROUP_ROTATE *finDeploy[4] = {};         // owned: fin unfold
  MGROUP_ROTATE *finDeflect[4] = {};        // owned: fin deflection
  VECTOR3 guidanceVector;    // [m/s] velocity change to make, vessel frame; +z is steered along it
  int reentryBurnOn;         // latch: the reentry burn has fired; also its level (0 or 1)
  int landingPlumeSet;       // the low plume has been replaced
  int reentryBurnShown;      // "Auto Reentry Burn Active" latch for the head-up display
  int landingLaw;            // LandingLaw the descent autopilot flies

  // --- operations -----------------------------------------------------------------------------
  // definition.cpp / animations.cpp
  void defineAnimations();
  // engines.cpp
  void applyEngineMode();
  void killAttitudeThrust();
  void useEngineAttitudeSet();
  void useRcsAttitudeSet();
  // commands.cpp
  void applyCameraDirection();
  static bool onTargetNameEntered(void *id, frame::InputBoxString str, void *usrdata);
  // attitude.cpp
  void holdReentryAttitude();
  void holdVerticalAttitude();
  void pointAlongGuidance();
  // pointAlongGuidance's law with the given rate limit [rad/s], the fins' angular acceleration
  // [rad/s^2] counted beside the thrusters', and a factor on the commands (negative: fade them
  // in dense air as pointAlongGuidance does)
  void aimAlongGuidance(double rateLimit, double extraAccel = 0.0, double gain = -1.0);
  // legs_fins.cpp: whether the precision law steers the unpowered fall (the fins then get the
  // authority finSteeringScale gives them), and that scale at dynamic pressure q [Pa]
  bool precisionSteersFall() const;
  // attitude.cpp: +z along guidanceVector by a critically damped law of natural frequency [rad/s]
  void holdGuidanceDirection(double naturalFrequency);
  double finSteeringScale(double q) const;
  // guidance/
  void flybackTransferStep();
  void flybackFallStep();
  void reentryBurnStep();
  void descentStep();
  void descentCorrectionBurnStep();
  void landingAttitudeStep();
  void precisionDescentStep();
  void precisionGlideStep();  // the precision law's unpowered steering alone

 private:
  // commands.cpp: keys V, N, M (see there)
  void toggleAutopilot(int &pilot, int lastOn);
  int runCommandKey(frame::KeyCode key);  // a command key's effect; 1 if the key is ours
  void toggleAutomaticSequence();
  // driver.cpp
  void swapPlumeNearGround(double alt);
  void selectAttitudeSet();
  void advanceSequence(double alt, double simdt);
  void moveLegs(double simdt);
  void moveFins(double simdt);
  void steerFins(double alt, double simdt);
  void createFinSurfaces();
  // engines.cpp: the six rotation groups from the engine-steering (false) or RCS (true) set
  void createRotationGroups(bool rcs);
  // attitude.cpp: the shared per-axis rule (angular acceleration a of the attitude set, error e,
  // rate w, band B [deg], fade factor)
  double axisCommand(double a, double error, double rate, double bandDeg, double fade, double rateLimit) const;
  double attitudeAcceleration();
  void setPitchYawCommands(double pitch, double yaw);
  // guidance/flyback.cpp: throttle law and end test of both solutions (dv in vessel axes,
  // alpha its angle from +z, demand the throttle that would remove dv.z in one step)
  void flybackThrottle(const VECTOR3 &dv, double alpha, double demand);
  // guidance/descent.cpp: the engine count for the main propellant, and the phase below the
  // correction burn (legs, attitude, braking) on the values read at the start of the step
  void chooseDescentEngines(double pm);
  void descentLandingPhase(const booster::DescentReading &r);
  // guidance/precision_descent.cpp: the precision law's fall prediction (pad-relative position and
  // ground velocity, mass, gravity, landing thrust, height above the ground), its landing burn,
  // the height of the lowest foot above the ground, and the run-down on the legs
  booster::FallPrediction predictPrecisionFall(const VECTOR3 &pos, const VECTOR3 &vel, double mass,
                                               double gravity, double maxThrust, double hr);
  void flyLandingBurn(const booster::BurnState &s);
  void steerGlide(const booster::FallPrediction &fall, double mass);
  double lowestFootHeight(double hr);
  void settleOnLegs(double level);
  // guidance/target.cpp: the target by name (a vessel, else a base on `baseBody`)
  OBJHANDLE resolveTarget(OBJHANDLE baseBody) const;

  booster::StepInputs in_;  // host values read at most once per step
  // guidance/precision_descent.cpp: the last fall prediction (not saved: made afresh after a load)
  double stepTime_ = 0;                // [s] simulation time at the start of this step
  double predictedAt_ = -1e300;        // [s] when the prediction was made
  VECTOR3 predictedMiss_ = {{0, 0, 0}};  // [m] its miss, horizon frame about the pad
  double predictedTimeLeft_ = 0;       // [s] its time to the burn then
};
