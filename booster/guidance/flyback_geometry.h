// The quantities both flyback solutions share, read once per step: the stage's position and
// velocity relative to the surface reference (global axes), its ground-relative velocity in the
// horizon frame, its altitude, the net radial acceleration av = vh^2 / r - mu / r^2 with the
// horizontal speed vh and r = altitude + 6,371,010 m, and the target's equatorial position; and
// the aim point above the target, carried east by the planet's rotation over a flight time.
#pragma once

#include "Orbitersdk.h"
#include "booster/step_inputs.h"

class larkon;

namespace booster {

struct FlybackFrame {
  OBJHANDLE ref = nullptr;   // surface reference
  double mu = 0;             // [m^3/s^2] GGRAV x its mass
  VECTOR3 vrel{}, rpos{};    // [m/s], [m] relative to ref, global axes
  VECTOR3 g{};               // [m/s] ground-relative velocity, horizon frame
  double h = 0;              // [m] altitude above the mean radius
  double av = 0;             // [m/s^2] net radial acceleration
  double lng = 0, lat = 0, rad = 0;  // target: [rad], [rad], [m]

  // False if the target's position cannot be had or the state gives no finite values.
  bool read(larkon &b, StepInputs &in, OBJHANDLE target);
  // The aim point relative to ref's centre [m], global axes, `height` above the target after a
  // flight of `flightTime` seconds.
  VECTOR3 aimPoint(double flightTime, double height) const;
};

}  // namespace booster
