// The precision landing law, the user's alternative to the descent autopilot's own, from 15 km
// down onto the legs. It keeps the descent autopilot's engine count, its leg deployment below
// 3 km and its ending (the engine run down on the legs, then the autopilot, the sequence and the
// fins switched off), and replaces its guidance:
//  - unpowered (and in the automatic sequence already from the end of the reentry burn, in place of
//    the reentry attitude hold): the fall is predicted to the landing burn's ignition (precision_fall.h) through
//    the wind the host reports at four heights between the ground and the stage (10 m, an eighth
//    and a third of the stage's height, and the stage itself); the body's lift
//    steers the predicted miss to zero (precision_glide.h). Between 15 km and 4 km, while more than
//    kOvershootOn of overshoot along the track is predicted (and until it is down to kOvershootOff),
//    the engine burns against the ground velocity as the correction burn does.
//  - the landing burn lights when its braking arc can no longer wait and sets thrust direction and
//    level every step (precision_burn.h);
//  - once a foot touches, the attitude thrusters fall silent and the engine runs down at
//    kRunDownRate.
// The law keeps nothing between steps that the scenario does not hold (whether the engine burns is
// its level), so a saved and reloaded descent goes on as it was; only the fall's prediction is
// kept for a tenth of a second, to spare the per-step work, and made afresh after a load.
// Frames: horizon (x east, y up, z north) about the pad; vessel frame for the host's steering
// vector. Units: m, m/s, kg, N, Pa.
// Guards: no target: the pad is taken under the stage; every value handed to the host is finite.
#include <algorithm>
#include <cmath>

#include "booster/guidance/precision_burn.h"
#include "booster/guidance/precision_fall.h"
#include "booster/guidance/precision_glide.h"
#include "booster/guidance/prediction.h"
#include "booster/larkon.h"

extern const TOUCHDOWNVTX kDeployedPoints[4];

namespace {
constexpr double kOvershootOn = 3000.0;    // [m] along the track: the correction burn lights
constexpr double kOvershootOff = 1500.0;   // [m] it stops
constexpr double kLegsArea = 12.0;        // [m^2] drag area of the deployed legs
constexpr double kContactHeight = 0.05;   // [m] a foot this near the ground touches it
constexpr double kRunDownRate = 0.5;      // [1/s] of the main level on the legs
constexpr double kPredictionInterval = 0.1;  // [s] of simulated time one fall prediction serves
const double kAlignedForBurn = 10.0 * RAD;
constexpr double kBurnPointingFrequency = 1.5;  // [rad/s] of the steering during the landing burn

VECTOR3 finiteOr(const VECTOR3 &v, const VECTOR3 &fallback) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) ? v : fallback;
}
}  // namespace

void larkon::precisionDescentStep() {
  using namespace booster;
  double pm = GetPropellantMass(phMain);
  chooseDescentEngines(pm);
  double hr = in_.groundAltitude();
  if (hr < kLegsDownHeight && legsState == kLegsStowed) {
    legsState = kLegsDeploying;
    SetTouchdownPoints(kDeployedPoints, 4);
  }
  OBJHANDLE target = resolveTarget(in_.gravityRef());
  VECTOR3 T = target ? targetInHorizon(*this, target) : _V(0, 0, 0);
  VECTOR3 pos = _V(-T.x, hr, -T.z);
  const VECTOR3 &vel = in_.groundspeedHorizon();
  double mass = in_.mass();
  double gravity = mass > 0 ? length(in_.weight()) / mass : 0.0;
  double level = GetThrusterGroupLevel(THGROUP_MAIN);

  if (legsState == kLegsDeployed && lowestFootHeight(hr) <= kContactHeight) {
    settleOnLegs(level);
    return;
  }
  VECTOR3 drag_H = _V(0, 0, 0);
  HorizonRot(in_.drag(), drag_H);
  BurnState burn{pos, vel, drag_H, mass, GetThrusterMax(thMain[engineMode]), gravity};
  // Hovering takes weight / F of full thrust, whose flow is the vacuum thrust over the vacuum Isp.
  THRUSTER_HANDLE th = thMain[engineMode];
  double isp0 = GetThrusterIsp0(th);
  double hoverFlow = burn.maxThrust > 0 && isp0 > 0 ? mass * gravity / burn.maxThrust * GetThrusterMax0(th) / isp0 : 0.0;
  if (hoverFlow > 0) burn.hoverTime = pm / hoverFlow;
  bool landingBurn = hr < kLandingBurnCeiling && (level > 0 || ignitionDue(burn));
  if (landingBurn) {
    flyLandingBurn(burn);
    return;
  }
  FallPrediction fall = predictPrecisionFall(pos, vel, mass, gravity, burn.maxThrust, hr);
  if (hr > kCorrectionBurnFloor && pm > kCorrectionMinPropellant && descentBurnDone == 0) {
    double vh = horizontalLength(vel);
    double overshoot = vh > 0 ? (fall.miss.x * vel.x + fall.miss.z * vel.z) / vh : 0.0;
    if (overshoot > (level > 0 ? kOvershootOff : kOvershootOn)) {
      HorizonInvRot(-vel, guidanceVector);
      aimAlongGuidance(maxAttRate);
      bool aligned = angleFromPlusZ(guidanceVector) < kAlignedForBurn;
      SetThrusterGroupLevel(THGROUP_MAIN, aligned ? 1.0 : 0.0);
      return;
    }
    if (level > 0) descentBurnDone = 1;  // the overshoot is gone: no second burn
  }
  if (level > 0) SetThrusterGroupLevel(THGROUP_MAIN, 0.0);
  steerGlide(fall, mass);
}

void larkon::precisionGlideStep() {
  using namespace booster;
  double hr = in_.groundAltitude();
  OBJHANDLE target = resolveTarget(in_.gravityRef());
  VECTOR3 T = target ? targetInHorizon(*this, target) : _V(0, 0, 0);
  double mass = in_.mass();
  double gravity = mass > 0 ? length(in_.weight()) / mass : 0.0;
  FallPrediction fall = predictPrecisionFall(_V(-T.x, hr, -T.z), in_.groundspeedHorizon(), mass, gravity,
                                             GetThrusterMax(thMain[kEngineCentre]), hr);
  steerGlide(fall, mass);
}

void larkon::steerGlide(const booster::FallPrediction &fall, double mass) {
  using namespace booster;
  VECTOR3 air_H = _V(0, 0, 0);
  GetAirspeedVector(FRAME_HORIZON, air_H);
  GlideInputs glide{air_H, fall.miss, fall.time, mass, in_.dynPressure(), length(in_.drag())};
  VECTOR3 d = finiteOr(glideDirection(glide), _V(0, 1, 0));
  HorizonInvRot(d, guidanceVector);
  // The fins turn the stage too (legs_fins.cpp): their torque over the pitch inertia, 129 m^2 m.
  double q = in_.dynPressure();
  double fins = finsState == kFinsDeployed && mass > 0 ? finSteeringScale(q) * 60.0 * q / (129.0 * mass) : 0.0;
  aimAlongGuidance(maxAttRate, fins, 1.0);
}

booster::FallPrediction larkon::predictPrecisionFall(const VECTOR3 &pos, const VECTOR3 &vel, double mass,
                                                     double gravity, double maxThrust, double hr) {
  using namespace booster;
  // The fall changes slowly: one prediction serves kPredictionInterval, its time to the burn
  // counted down meanwhile, its miss kept.
  double age = stepTime_ - predictedAt_;
  if (age >= 0 && age < kPredictionInterval) {
    FallPrediction p{predictedMiss_, std::max(0.0, predictedTimeLeft_ - age), true};
    return p;
  }
  FallInputs in;
  in.pos = pos, in.vel = vel, in.mass = mass, in.gravity = gravity, in.maxThrust = maxThrust;
  in.density = GetAtmDensity();
  double q = in_.dynPressure();
  double legs = kLegsArea * legsAnimState[0];
  in.dragArea = q > 0 ? length(in_.drag()) / q : 0.0;
  in.legsArea = legsState == kLegsStowed || legsState == kLegsDeploying ? kLegsArea - legs : 0.0;
  in.legsHeight = kLegsDownHeight;
  WindColumn wind;
  double lng = 0, lat = 0, rad = kPlanetRadius, ws = 0;
  oapiGetEquPos(GetHandle(), &lng, &lat, &rad);
  double alt = rad - kPlanetRadius;  // the host's wind at the stage, gust included
  const double share[kWindSamples] = {0.0, 1.0 / 8.0, 1.0 / 3.0, 1.0};  // denser low, where winds shear
  for (int i = 0; i < kWindSamples; i++) {
    double y = i == 0 ? std::min(10.0, hr) : hr * share[i];
    wind.height[i] = y;
    wind.wind[i] = finiteOr(oapiGetWindVector(in_.surfaceRef(), lng, lat, alt - (hr - y), 0, &ws), _V(0, 0, 0));
  }
  FallPrediction p = predictFall(in, wind);
  predictedAt_ = stepTime_, predictedMiss_ = p.miss, predictedTimeLeft_ = p.time;
  return p;
}

void larkon::flyLandingBurn(const booster::BurnState &s) {
  using namespace booster;
  BurnCommand c = burnCommand(s);
  double len = length(c.thrust);
  VECTOR3 dir = len > 0 ? c.thrust / len : _V(0, 1, 0);
  HorizonInvRot(finiteOr(dir, _V(0, 1, 0)), guidanceVector);
  // Smoothly: the steering thrusters push the tail sideways as they turn the stage, against the
  // sideways thrust the turn is for, so a law that fires them in full pulses makes the stage circle.
  holdGuidanceDirection(kBurnPointingFrequency);
  // The vertical part is what the level must give; the thrust follows the body's +z.
  double up = std::sin(in_.pitch());
  double F = s.maxThrust;
  double level = up > 0.2 && F > 0 ? c.vertical / (up * F) : (F > 0 ? len / F : 0.0);
  SetThrusterGroupLevel(THGROUP_MAIN, std::isfinite(level) ? std::clamp(level, 0.0, 1.0) : 0.0);
}

double larkon::lowestFootHeight(double hr) {
  VECTOR3 up = -in_.weight();
  double l = length(up);
  if (!(l > 0)) return hr - booster::kFootHeight;
  up /= l;
  double lowest = 0;
  for (int i = 0; i < 3; i++) lowest = std::min(lowest, dotp(kDeployedPoints[i].pos, up));
  return hr + lowest;
}

void larkon::settleOnLegs(double level) {
  killAttitudeThrust();  // a turn pushed against the ground would rock the stage on its feet
  double next = level - kRunDownRate * simDt;
  SetThrusterGroupLevel(THGROUP_MAIN, std::max(next, 0.0));
  if (next < 0) {
    killAttitudeThrust();
    apDescent = 0;
    autoSequence = kSequenceOff;
    finsState = kFinsFolding;
  }
}
