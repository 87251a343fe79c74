// Staging overrides: fly a scenario's stage from a changed separation state without editing the file.
//
// They rewrite the focus vessel's hand-written flying state (STATUS Flying with POS, ALT, HEADING,
// GSPEED) before the vessel is created: altitude [m], ground speed [m/s], flight-path angle [deg],
// ground-track heading [deg from north toward east], and the downrange distance [m] from the stage's
// target (the base its LPRM line names) along the great circle from the target through the stage,
// on the mean sphere of the body. The main propellant [kg] is set on the first tank once the vessel
// exists, bounded by the tank's capacity.
//
// Great circle (lat phi, lng lambda, central angle delta = d/R, bearing beta from north):
//   beta = atan2(sin dlambda cos phi2, cos phi1 sin phi2 - sin phi1 cos phi2 cos dlambda)
//   phi' = asin(sin phi1 cos delta + cos phi1 sin delta cos beta)
//   lambda' = lambda1 + atan2(sin beta sin delta cos phi1, cos delta - sin phi1 sin phi')
// A stage straight above its target has no bearing: it is moved along its heading.
#pragma once

#include <optional>
#include <string>

class Vessel;

namespace sim {

class ScenarioDocument;
class World;

struct StagingOverrides {
  std::optional<double> altitude;    // [m]
  std::optional<double> speed;       // [m/s] ground-relative
  std::optional<double> pathAngle;   // [deg] above the horizon
  std::optional<double> heading;     // [deg] of the ground track
  std::optional<double> downrange;   // [m] surface distance from the target
  std::optional<double> propellant;  // [kg] in the main tank
  bool any() const { return altitude || speed || pathAngle || heading || downrange || propellant; }
  bool anyBeforeCreation() const { return altitude || speed || pathAngle || heading || downrange; }
};

// The focus vessel's flying state as the document gives it.
struct FlyingState {
  double lng = 0, lat = 0;  // [deg]
  double altitude = 0;      // [m]
  double heading = 0;       // [deg]
  double speed = 0;         // [m/s]
  double pathAngle = 0;     // [deg]
  std::string target;       // from the LPRM line, '+' read as a blank; empty if none
};

// Reads the flying state of ship `name` (the focus if empty); throws InputError naming the file
// and what is missing.
FlyingState readFlyingState(const ScenarioDocument &doc, const std::string &name);
// The surface distance [m] from the stage to its target, which must be a base of the world.
double downrangeOf(const ScenarioDocument &doc, const World &w, const std::string &name, const FlyingState &s);
// Rewrites the lines of ship `name` (the focus if empty) with the overrides; the propellant is
// applied after creation.
void applyStaging(ScenarioDocument &doc, const World &w, const std::string &name, const StagingOverrides &o);
// Sets the main tank of the created vessel.
void applyStagingPropellant(Vessel &v, const StagingOverrides &o);

}  // namespace sim
