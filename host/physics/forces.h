// The force build of one step: navigation-mode overrides, thrust and propellant flow,
// control-surface motion and aerodynamics, summed into the vessel's ForceBuild (vessel axes,
// fixed over the step). Gravity and ground contact are evaluated by the integrator instead.
#pragma once

class Vessel;

namespace sim {

struct ForceBuild;

void buildForces(Vessel &v, double dt);

// Parts of the build (thrust.cpp, aerodynamics.cpp).
void buildThrust(Vessel &v, double dt, ForceBuild &fb);
void moveControlSurfaces(Vessel &v, double dt);
void buildAerodynamics(Vessel &v, double dt, ForceBuild &fb);

}  // namespace sim
