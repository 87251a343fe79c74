// Thrust and propellant flow of one step, as the simulator computes them.
//
// Per thruster: effective level L = clamp(permanent + override, 0, 1). If its tank holds
// propellant, the tank loses maxth0 L / (efficiency isp0) dt (vacuum values whatever the pressure;
// floored at 0) and the thruster pushes F = dir maxth0 L s(p) at its position, torque F x pos (the
// simulator's operand order), s(p) = max(0, 1 - p eta). Otherwise permanent and effective levels
// drop to 0. The override is transient: cleared after the build, while the effective level keeps
// this step's value until the next build.
#include <algorithm>

#include "physics/forces.h"
#include "vessel/vessel.h"

namespace sim {

void buildThrust(Vessel &v, double dt, ForceBuild &fb) {
  double p = v.sp.inAtmosphere ? v.sp.atm.pressure : 0.0;
  for (size_t i = 0; i < v.def.thrusters.size(); i++) {
    const ThrusterDef &t = v.def.thrusters[i];
    ThrusterState &s = v.systems().thrusters[i];
    if (t.deleted) continue;
    double level = std::clamp(s.permanent + s.override_, 0.0, 1.0);
    s.override_ = 0;
    if (t.tank < 0 || v.st.tankMass[t.tank] == 0.0) {
      s.permanent = s.effective = 0;
      continue;
    }
    s.effective = level;
    if (level == 0) continue;
    double &tank = v.systems().tankMass[t.tank];
    tank = std::max(0.0, tank - t.maxth0 * level / (v.def.tanks[t.tank].efficiency * t.isp0) * dt);
    VECTOR3 F = t.dir * (t.maxth0 * level * std::max(0.0, 1.0 - p * t.eta));
    fb.thrust_V += F;
    fb.torque_V += crossp(F, t.pos);
    if (t.maxth0 * level > 0) fb.thrusting = true;
  }
  fb.force_V += fb.thrust_V;
}

}  // namespace sim
