// What the recovery guidance predicts about the stage's way down, and the figures it works with.
//
// The target as the stage sees it, in the horizon frame (x east, y up, z north):
//   T = the target's position relative to the stage; the heading error
//   delta = atan2(gx, gz) - atan2(Tx, Tz), brought into [-pi, pi] by one turn at most (minus 2 pi
//   above pi, then plus 2 pi below -pi); the distance along the track Dal = cos(delta) |T_xz|.
// Gravity at altitude h: gr = mu / (h + R)^2, R the planet's mean radius 6,371,010 m.
// Fall time from height h at vertical speed gy (positive up) down to the height `floor` under gr:
//   t = (gy + sqrt(gy^2 + 2 gr (h - floor))) / gr, the root of h + gy t - gr t^2 / 2 = floor; a
//   negative discriminant (the stage turns before it gets there) counts as zero.
// Horizontal travel in time t with linear drag kd [kg/s] at mass M:
//   X = vhor (1 - e^(-kd t / M)) M / kd; dragReach is X per unit horizontal speed.
// The drag rates kd are those of the reentry burn,
//   kd = 981 (22,500 m / h)^2, and of the descent's correction burn, kd = 735.75 f with
//   f = (h / 9,700 m)^2, replaced by 1 / f above 1 and raised to 0.7 if smaller.
// Units: m, m/s, m/s^2, s, kg, kg/s, rad.
#pragma once

#include "Orbitersdk.h"
#include "booster/step_inputs.h"

namespace booster {

// --- figures shared by the guidance steps ---------------------------------------------------
// Heights [m] are above the mean radius, those of the descent above the ground (the same here).
constexpr double kPlanetRadius = 6371010.0;     // [m] mean radius of the planet returned to
constexpr double kSiderealDay = 86164.0;        // [s] its rotation, carrying the target east
constexpr double kReentryWindowTop = 100000.0;  // [m] the reentry burn may run below this
constexpr double kDescentHeight = 15000.0;      // [m] the reentry phase ends, the descent begins
constexpr double kReentryAimHeight = 800.0;     // [m] the reentry burn's travel is to this height
// [m] the reentry burn counts its remaining time to this height, 800 m above its phase's end
constexpr double kReentryBurnEndHeight = kDescentHeight + kReentryAimHeight;
constexpr double kCorrectionAimHeight = 250.0;       // [m] the correction burn's travel is to here
constexpr double kCorrectionBurnFloor = 4000.0;      // [m] the correction burn's lower end
constexpr double kCorrectionMinPropellant = 3000.0;  // [kg] main propellant it needs
constexpr double kCentreEngineBelow = 20000.0;       // [kg] main propellant: below, one engine
constexpr double kLegsDownHeight = 3000.0;           // [m] the legs come down
constexpr double kLandingAttitudeFloor = 40.0;  // [m] the landing attitude guidance steers above
constexpr double kTouchdownHeight = 24.5;       // [m] the feet are on the ground

// --- the target seen from the stage ----------------------------------------------------------
// An angle in (-3 pi, 3 pi) brought into [-pi, pi] by at most one turn.
double wrapAngle(double a);
// [m] the target relative to the stage, horizon frame.
VECTOR3 targetInHorizon(const VESSEL &v, OBJHANDLE target);
// [m] or [m/s] the length of the horizontal part (x, z) of a horizon-frame vector.
double horizontalLength(const VECTOR3 &v_H);

struct TrackToTarget {
  double headingError;  // [rad] ground-track heading minus the target's bearing
  double alongTrack;    // [m] distance to the target along the ground track
};
TrackToTarget trackToTarget(const VECTOR3 &ground_H, const VECTOR3 &target_H);

// --- the way down ----------------------------------------------------------------------------
// The stage over its target as the burns see it at the start of their step, read in this order.
struct FallView {
  double mass;       // [kg]
  VECTOR3 target_H;  // [m] the target relative to the stage, horizon frame
  VECTOR3 ground_H;  // [m/s] ground velocity, horizon frame (y: the vertical speed, positive up)
  double altitude;   // [m] above the mean radius
  double gravity;    // [m/s^2] at that altitude, from the surface reference's mass
};
FallView viewFall(const VESSEL &v, StepInputs &in, OBJHANDLE target);

// [m/s^2] gravity at altitude h [m] of a body with gravitational parameter mu [m^3/s^2].
double gravityAt(double mu, double h);
// The discriminant gy^2 + 2 gr (h - floor) of the fall; negative if the stage never gets there.
double fallDiscriminant(double gy, double gr, double h, double floor);
// [s] time to fall from h to floor [m] at vertical speed gy [m/s] under gravity gr [m/s^2].
double fallTime(double gy, double gr, double h, double floor);
// [m per m/s] horizontal travel in time t [s] per unit horizontal speed; drag rate kd [kg/s],
// mass M [kg].
double dragReach(double kd, double t, double M);
double reentryDragRate(double h);     // [kg/s] at altitude h [m]
double correctionDragRate(double h);  // [kg/s] at altitude h [m]

// [rad] the angle between +z and v (vessel frame); 0 for a vector without length.
double angleFromPlusZ(const VECTOR3 &v);

}  // namespace booster
