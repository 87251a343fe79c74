// Host values the booster reads during one step, each fetched from the simulator at most once.
//
// Everything here is fixed while the booster's per-step callback runs (the simulator moves the
// vessel only between callbacks), so the driver and the guidance steps share one reading per
// value instead of asking again. Values that the booster's own commands change within the step
// (thruster levels and maxima, navigation modes) are deliberately not cached.
// Frames and units: altitude [m] above the mean radius (or the ground), velocities [m/s] in the
// horizon frame (x east, y up, z north) or the vessel frame, forces [N] in vessel axes.
#pragma once

#include "Orbitersdk.h"

namespace booster {

class StepInputs {
 public:
  // Starts a step: values are read once each until end(). Outside a step every read is fresh.
  void begin(VESSEL *v) {
    vessel_ = v;
    have_ = 0;
    active_ = true;
  }
  void end() { active_ = false; }
  void bind(VESSEL *v) { vessel_ = v; }

  double altitude() { return fetch(kAltitude, alt_, [&] { alt_ = vessel_->GetAltitude(); }); }
  double groundAltitude() {
    return fetch(kGroundAltitude, groundAlt_, [&] { groundAlt_ = vessel_->GetAltitude(ALTMODE_GROUND); });
  }
  const VECTOR3 &groundspeedHorizon() {
    return fetch(kGroundH, gsH_, [&] { vessel_->GetGroundspeedVector(FRAME_HORIZON, gsH_); });
  }
  const VECTOR3 &groundspeedLocal() {
    return fetch(kGroundL, gsL_, [&] { vessel_->GetGroundspeedVector(FRAME_LOCAL, gsL_); });
  }
  double pitch() { return fetch(kPitch, pitch_, [&] { pitch_ = vessel_->GetPitch(); }); }
  double aoa() { return fetch(kAoa, aoa_, [&] { aoa_ = vessel_->GetAOA(); }); }
  double slip() { return fetch(kSlip, slip_, [&] { slip_ = vessel_->GetSlipAngle(); }); }
  double dynPressure() { return fetch(kDynP, dynp_, [&] { dynp_ = vessel_->GetDynPressure(); }); }
  const VECTOR3 &weight() { return fetch(kWeight, weight_, [&] { vessel_->GetWeightVector(weight_); }); }
  const VECTOR3 &drag() {
    return fetch(kDrag, drag_, [&] {
      if (!vessel_->GetDragVector(drag_)) drag_ = _V(0, 0, 0);
    });
  }
  double mass() { return fetch(kMass, mass_, [&] { mass_ = vessel_->GetMass(); }); }
  double emptyMass() { return fetch(kEmptyMass, emptyMass_, [&] { emptyMass_ = vessel_->GetEmptyMass(); }); }
  const VECTOR3 &angularVel() { return fetch(kOmega, omega_, [&] { vessel_->GetAngularVel(omega_); }); }
  const VECTOR3 &globalPos() { return fetch(kGlobalPos, pos_, [&] { vessel_->GetGlobalPos(pos_); }); }
  OBJHANDLE gravityRef() { return fetch(kGravRef, gravRef_, [&] { gravRef_ = vessel_->GetGravityRef(); }); }
  OBJHANDLE surfaceRef() { return fetch(kSurfRef, surfRef_, [&] { surfRef_ = vessel_->GetSurfaceRef(); }); }

 private:
  enum : unsigned {
    kAltitude = 1u << 0,
    kGroundAltitude = 1u << 1,
    kGroundH = 1u << 2,
    kGroundL = 1u << 3,
    kPitch = 1u << 4,
    kAoa = 1u << 5,
    kSlip = 1u << 6,
    kDynP = 1u << 7,
    kWeight = 1u << 8,
    kDrag = 1u << 9,
    kMass = 1u << 10,
    kEmptyMass = 1u << 11,
    kOmega = 1u << 12,
    kGlobalPos = 1u << 13,
    kGravRef = 1u << 14,
    kSurfRef = 1u << 15,
  };
  template <class T, class F>
  const T &fetch(unsigned bit, const T &value, F &&read) {
    if (!active_ || !(have_ & bit)) {
      read();
      have_ |= bit;
    }
    return value;
  }

  VESSEL *vessel_ = nullptr;
  unsigned have_ = 0;
  bool active_ = false;
  double alt_ = 0, groundAlt_ = 0, pitch_ = 0, aoa_ = 0, slip_ = 0, dynp_ = 0, mass_ = 0, emptyMass_ = 0;
  VECTOR3 gsH_{}, gsL_{}, weight_{}, drag_{}, omega_{}, pos_{};
  OBJHANDLE gravRef_ = nullptr, surfRef_ = nullptr;
};

}  // namespace booster
