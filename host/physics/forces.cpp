// The force build of one step (see forces.h): navigation-mode overrides first, then thrust (which
// consumes the overrides), then control surfaces and aerodynamics, then the forces the module added
// with AddForce since the last build. A landed vessel that produces thrust, or is given a force, is
// released into free flight; an attached child has no forces of its own.
// Mass within a step, as the simulator has it: the tanks are drained for the whole step first, but
// every force of the step is divided by the mass at the step's start; the lighter vessel is seen
// from the next step on. (The mean of the start and end mass would be second order in the burn,
// and drifts 0.39 m/s from the simulator over the booster's flyback burn.)
#include "physics/forces.h"

#include "physics/navmodes.h"
#include "vessel/vessel.h"

namespace sim {

void buildForces(Vessel &v, double dt) {
  ForceBuild &fb = v.fb;
  fb = ForceBuild{};
  if (v.st.parentLink.parent) {
    for (ThrusterState &t : v.systems().thrusters) t.override_ = 0;
    v.systems().addedForce_V = v.systems().addedTorque_V = _V(0, 0, 0);
    fb.mass = v.mass();
    return;
  }
  if (!v.landed()) applyNavmodes(v, dt);
  fb.mass = v.mass();
  buildThrust(v, dt, fb);
  moveControlSurfaces(v, dt);
  buildAerodynamics(v, dt, fb);
  bool added = length2(v.st.addedForce_V) > 0 || length2(v.st.addedTorque_V) > 0;
  if (added) {
    fb.force_V += v.st.addedForce_V;
    fb.torque_V += v.st.addedTorque_V;
    v.systems().addedForce_V = v.systems().addedTorque_V = _V(0, 0, 0);
  }
  if ((fb.thrusting || added) && v.landed()) v.releaseFromGround();
}

}  // namespace sim
