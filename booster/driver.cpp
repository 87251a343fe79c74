// The booster's per-step driver (clbkPreStep), in this order every step:
//   1. alt = altitude above the mean radius, used for every altitude test of the step
//   2. the low plume swapped once below 50 m
//   3. simDt = the step length
//   4. the attitude groups rebuilt when the selected main thruster starts or stops burning
//   5. the automatic sequence: 1 settle 2 s, 2 flyback, 3 coast and reentry, 4 descent
//   6. the autopilots: descent (its own law or the precision law), flyback (both solutions, or the
//      transfer alone), reentry hold (with the precision law, after the reentry burn in the
//      sequence: the precision law's steering of the fall)
//   7. the legs, 8. the grid-fin unfold, 9. the grid-fin steering (legs_fins.cpp)
// Every flag test reads the flag as the earlier parts of this step left it.

#include "booster/guidance/prediction.h"
#include "booster/larkon.h"

namespace {
constexpr double kSettleTime = 2.0;         // [s] stage 1 of the sequence
constexpr double kLowPlumeHeight = 50.0;    // [m] the low plume replaces the centre engine's
const double kTailFirstAngle = 10.0 * RAD;  // the fins unfold once the motion is this close to -z
}  // namespace

void larkon::clbkPreStep(double simt, double simdt, double) {
  in_.begin(this);
  stepTime_ = simt;
  double alt = in_.altitude();
  swapPlumeNearGround(alt);
  simDt = simdt;
  selectAttitudeSet();
  advanceSequence(alt, simdt);

  if (apDescent == 1) {
    if (landingLaw == kLawPrecision)
      precisionDescentStep();
    else
      descentStep();
    if (finsState == kFinsStowed) finsState = kFinsUnfolding;  // the fins unfold while it runs
  }
  if (apFlyback == kFlybackBothSolutions) {
    flybackTransferStep();
    flybackFallStep();
  }
  // also when the falling step has just handed over
  if (apFlyback == kFlybackTransferOnly) flybackTransferStep();
  if (apReentryAttitude == 1) {
    // After the reentry burn the precision law steers the fall instead of holding tail first.
    if (landingLaw == kLawPrecision && autoSequence == kSequenceReentry && below15km == 1)
      precisionGlideStep();
    else
      holdReentryAttitude();
  }

  moveLegs(simdt);
  moveFins(simdt);
  steerFins(alt, simdt);
  in_.end();
}

void larkon::clbkPostStep(double, double, double) {}

void larkon::swapPlumeNearGround(double alt) {
  if (!(alt < kLowPlumeHeight) || landingPlumeSet != 0) return;
  SURFHANDLE tex = oapiRegisterParticleTexture(const_cast<char *>("Contrail1"));
  PARTICLESTREAMSPEC spec;
  spec.flags = 0;
  spec.srcsize = 5.0;
  spec.srcrate = 20.0;
  spec.v0 = 200.0;
  spec.srcspread = 0.4;
  spec.lifetime = 0.75;
  spec.growthrate = 20.0;
  spec.atmslowdown = 5.0;
  spec.ltype = PARTICLESTREAMSPEC::DIFFUSE;
  spec.levelmap = PARTICLESTREAMSPEC::LVL_SQRT;
  spec.lmin = 0, spec.lmax = 1;
  spec.atmsmap = PARTICLESTREAMSPEC::ATM_PLOG;
  spec.amin = 7e-8, spec.amax = 1;
  spec.tex = tex;
  DelExhaustStream(psLandingPlume);
  AddExhaustStream(thMain[2], _V(0, 0, -24), &spec);
  landingPlumeSet = 1;
}

void larkon::selectAttitudeSet() {
  double level = GetThrusterLevel(thMain[engineMode]);
  if (level == 0 && attitudeSet == 0)
    useRcsAttitudeSet();
  else if (level > 0 && attitudeSet == 1)
    useEngineAttitudeSet();
}

void larkon::advanceSequence(double alt, double simdt) {
  using booster::kDescentHeight;
  switch (autoSequence) {
    case kSequenceSettle:
      sequenceTimer += simdt;
      if (sequenceTimer > kSettleTime) autoSequence = kSequenceFlyback;
      break;
    case kSequenceFlyback:
      if (apFlyback == kFlybackOff) apFlyback = kFlybackBothSolutions;
      break;
    case kSequenceReentry: {
      if (finsState == kFinsStowed) {  // the angle between the motion and -z
        const VECTOR3 &v = in_.groundspeedLocal();
        if (length(v) > 0 && booster::angleFromPlusZ(-v) < kTailFirstAngle)
          finsState = kFinsUnfolding;
      }
      if (apReentryAttitude == 0 && !GetNavmodeState(NAVMODE_KILLROT)) apReentryAttitude = 1;
      if (alt > kDescentHeight && alt < booster::kReentryWindowTop && below15km == 0)
        reentryBurnStep();
      if (below15km == 0 && alt < kDescentHeight) {
        below15km = 1;
        SetThrusterGroupLevel(THGROUP_MAIN, 0.0);
      }
      if (alt < kDescentHeight && apReentryAttitude == 1) {
        apReentryAttitude = 0;
        autoSequence = kSequenceDescent;
      }
      break;
    }
    case kSequenceDescent:
      if (apDescent == 0) apDescent = 1;
      break;
    default:
      break;
  }
}
