// Landed poses: a vessel frozen to the rotating surface of a planet.
#pragma once

#include "OrbiterAPI.h"

class Vessel;

namespace sim {

class CelestialBody;

// These write the state as the world's step phases do: the caller runs stateChanged() after them
// (the world's surface phase, or the StateEdit of the caller).
// Freezes v to body b at planet-local position pos_P [m] with attitude R_PV (vessel -> planet).
void setLandedPose(Vessel &v, const CelestialBody &b, const VECTOR3 &pos_P, const MATRIX3 &R_PV);
// Recomputes a landed vessel's global position, velocity and attitude at the present time.
void updateLandedKinematics(Vessel &v);
// Freezes v to body b where it stands, re-posed onto its touchdown points: its touchdown plane on
// the ground, its longitudinal axis along its present heading, its centre of gravity at the
// plane's depth less the static compression (as a landed scenario vessel is placed).
void restOnTouchdownPoints(Vessel &v, const CelestialBody &b);

}  // namespace sim
