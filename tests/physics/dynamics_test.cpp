// Translational and rotational dynamics against closed forms: a radial fall from rest, a burn at
// constant thrust away from gravity, a circular orbit keeping its energy and period, torque signs.
#include <gtest/gtest.h>

#include "world_fixture.h"

namespace {

using namespace testsupport;

constexpr double kMu = 6.67259e-11 * 5.973698968e24;

// A world with no bodies at all: no gravity, no atmosphere.
std::unique_ptr<sim::World> makeEmptyWorld(double dt) {
  sim::WorldSettings s;
  s.dataRoot = dataRoot();
  s.modulesDir = modulesDir();
  s.dt = dt;
  s.loadSolarSystem = false;
  auto w = std::make_unique<sim::World>(s);
  w->finishBodies();
  return w;
}

TEST(Dynamics, RadialFallFromRestFollowsKeplersRadialSolution) {
  auto w = makeEarthWorld(0.05, false, false);
  sim::CelestialBody &earth = *w->findBody("Earth");
  double r0 = earth.meanRadius + 500e3;
  Vessel &v = w->createVessel("ball", "cargo_crate", orbiting(earth, _V(r0, 0, 0), _V(0, 0, 0)));
  runUntil(*w, 200.0);
  // t(r) = sqrt(r0^3 / 2mu) (sqrt(x (1 - x)) + acos(sqrt(x))), x = r / r0
  double r = length(v.st.rpos);
  double x = r / r0;
  double t = std::sqrt(r0 * r0 * r0 / (2 * kMu)) * (std::sqrt(x * (1 - x)) + std::acos(std::sqrt(x)));
  EXPECT_NEAR(t, 200.0, 1e-6);
  EXPECT_LT(r, r0 - 150e3);  // it has really fallen (about 180 km)
  // falling straight: no sideways motion
  EXPECT_NEAR(v.st.rvel.y, 0, 1e-9);
  EXPECT_NEAR(v.st.rvel.z, 0, 1e-9);
}

// The simulator divides each step's force by the mass at the step's start, so the burn follows the
// rocket equation to first order in the step: the velocity is the sum of F dt / m_k over the steps.
TEST(Dynamics, ConstantThrustBurnMatchesTheRocketEquation) {
  auto w = makeEmptyWorld(0.1);
  Vessel &v = w->createVessel("rocket", "cargo_crate", sim::VesselSpawn());
  VESSEL &i = *v.intf;
  i.SetEmptyMass(1000);
  const double F = 20000, isp = 3000, fuel = 800;
  PROPELLANT_HANDLE tank = i.CreatePropellantResource(fuel);
  THRUSTER_HANDLE th = i.CreateThruster(_V(0, 0, -1), _V(0, 0, 1), F, tank, isp);
  i.SetThrusterLevel(th, 1.0);
  double m0 = i.GetMass();
  double burn = 50.0;  // [s] flow F / isp = 6.667 kg/s: 333 kg used
  runUntil(*w, burn);
  double mdot = F / isp;
  double m1 = m0 - mdot * burn;
  EXPECT_NEAR(i.GetMass(), m1, 1e-6);
  double dt = w->dt(), dvSteps = 0, sSteps = 0;
  for (int k = 0; k < static_cast<int>(std::lround(burn / dt)); k++) {
    double a = F / (m0 - k * mdot * dt);
    sSteps += dvSteps * dt + 0.5 * a * dt * dt;
    dvSteps += a * dt;
  }
  VECTOR3 vel;
  i.GetGlobalVel(vel);
  EXPECT_NEAR(length(vel), dvSteps, 1e-9);
  // within a few hundredths of a per cent of the rocket equation at this step, and a little short of it
  double dv = isp * std::log(m0 / m1);
  EXPECT_NEAR(length(vel), dv, 5e-4 * dv);
  EXPECT_LT(length(vel), dv);
  // along the vessel's +z, which stays fixed: no torque from a thruster on the axis
  EXPECT_NEAR(vel.z / length(vel), 1.0, 1e-12);
  VECTOR3 pos;
  i.GetGlobalPos(pos);
  EXPECT_NEAR(length(pos), sSteps, 1e-6);
  // distance: isp t - (isp m1 / mdot) ln(m0 / m1) in closed form
  EXPECT_NEAR(length(pos), isp * burn - isp * (m1 / mdot) * std::log(m0 / m1), 5e-4 * length(pos));
}

TEST(Dynamics, CircularOrbitKeepsItsEnergyAndPeriod) {
  auto w = makeEarthWorld(1.0, false, false);
  sim::CelestialBody &earth = *w->findBody("Earth");
  double r = earth.meanRadius + 400e3, vc = std::sqrt(kMu / r);
  Vessel &v = w->createVessel("sat", "cargo_crate", orbiting(earth, _V(r, 0, 0), _V(0, 0, vc)));
  auto energy = [&] { return 0.5 * length2(v.st.rvel) - kMu / length(v.st.rpos); };
  double e0 = energy();
  double period = 2 * PI * std::sqrt(r * r * r / kMu);
  double previousAngle = 0, crossing = 0;
  while (w->simTime() < period + 100) {
    w->step();
    double angle = std::atan2(v.st.rpos.z, v.st.rpos.x);
    if (previousAngle < 0 && angle >= 0 && w->simTime() > period / 2) {
      crossing = w->simTime() - 1.0 + (-previousAngle) / (angle - previousAngle);  // interpolated
      break;
    }
    previousAngle = angle;
  }
  EXPECT_NEAR(crossing, period, 0.05);
  EXPECT_LT(std::fabs(energy() - e0) / std::fabs(e0), 1e-6);
  EXPECT_NEAR(length(v.st.rpos), r, 1.0);
}

TEST(Dynamics, ThrusterTorquesFollowTheSimulatorsSigns) {
  // A pair like the booster's pitch-up engine-steering thrusters at (+-2, 0, -21) pushing -y.
  auto w = makeEmptyWorld(0.01);
  Vessel &v = w->createVessel("rocket", "cargo_crate", sim::VesselSpawn());
  VESSEL &i = *v.intf;
  i.SetPMI(_V(129, 129, 1.9));
  PROPELLANT_HANDLE tank = i.CreatePropellantResource(1000);
  THRUSTER_HANDLE up[2] = {i.CreateThruster(_V(2, 0, -21), _V(0, -1, 0), 1000, tank, 3000),
                           i.CreateThruster(_V(-2, 0, -21), _V(0, -1, 0), 1000, tank, 3000)};
  THRUSTER_HANDLE yawRight[2] = {i.CreateThruster(_V(0, 2, -21), _V(-1, 0, 0), 1000, tank, 3000),
                                 i.CreateThruster(_V(0, -2, -21), _V(-1, 0, 0), 1000, tank, 3000)};
  THRUSTER_HANDLE bank[2] = {i.CreateThruster(_V(0, 4, -21), _V(1, 0, 0), 1000, tank, 3000),
                             i.CreateThruster(_V(0, -4, -21), _V(-1, 0, 0), 1000, tank, 3000)};
  i.CreateThrusterGroup(up, 2, THGROUP_ATT_PITCHUP);
  i.CreateThrusterGroup(yawRight, 2, THGROUP_ATT_YAWRIGHT);
  i.CreateThrusterGroup(bank, 2, THGROUP_ATT_BANKRIGHT);
  VECTOR3 z0 = _V(v.st.R.m13, v.st.R.m23, v.st.R.m33), y0 = _V(v.st.R.m12, v.st.R.m22, v.st.R.m32);
  i.SetThrusterGroupLevel(THGROUP_ATT_PITCHUP, 1.0);
  w->step();
  i.SetThrusterGroupLevel(THGROUP_ATT_PITCHUP, 0.0);
  EXPECT_GT(v.st.omega.x, 0);  // nose up
  // the torque 42 F about +x gives w_x = 42 F dt / (m I_x)
  EXPECT_NEAR(v.st.omega.x, 42.0 * 1000 * 0.01 / (v.mass() * 129), 1e-6);
  runUntil(*w, 1.0);
  VECTOR3 z1 = _V(v.st.R.m13, v.st.R.m23, v.st.R.m33);
  EXPECT_GT(dotp(z1 - z0, y0), 0);  // +z has turned towards +y
  v.edit()->omega = _V(0, 0, 0);
  i.SetThrusterGroupLevel(THGROUP_ATT_YAWRIGHT, 1.0);
  w->step();
  i.SetThrusterGroupLevel(THGROUP_ATT_YAWRIGHT, 0.0);
  EXPECT_LT(v.st.omega.y, 0);  // yaw right: w_y negative
  v.edit()->omega = _V(0, 0, 0);
  i.SetThrusterGroupLevel(THGROUP_ATT_BANKRIGHT, 1.0);
  w->step();
  EXPECT_GT(v.st.omega.z, 0);  // +x push at +y and -x push at -y: F x r = +8F about z, bank right
  EXPECT_NEAR(v.st.omega.x, 0, 1e-15);
  EXPECT_NEAR(v.st.omega.y, 0, 1e-15);
}

TEST(Dynamics, TorqueFreeSpinConservesAngularMomentum) {
  auto w = makeEmptyWorld(0.01);
  Vessel &v = w->createVessel("top", "cargo_crate", sim::VesselSpawn());
  v.intf->SetPMI(_V(1, 2, 3));
  v.edit()->omega = _V(0.3, 1.0, 0.2);
  auto momentum = [&] {
    const VECTOR3 &I = v.def.pmi, &om = v.st.omega;
    return mul(v.st.R, _V(I.x * om.x, I.y * om.y, I.z * om.z));  // in global axes
  };
  VECTOR3 L0 = momentum();
  runUntil(*w, 20.0);
  VECTOR3 L1 = momentum();
  EXPECT_LT(length(L1 - L0) / length(L0), 1e-6);
}

// Inside a body its pull is that of a homogeneous sphere: continuous at the surface, half as strong
// halfway down, none at the centre. (A scenario vessel with no STATUS line starts at the Sun's
// centre; the point-mass field a metre from it is 1e20 m/s^2.)
TEST(Dynamics, GravityInsideABodyIsBoundedAndVanishesAtItsCentre) {
  auto w = makeEarthWorld(0.1, false, false);
  sim::CelestialBody &earth = *w->findBody("Earth");
  const double R = earth.meanRadius, gSurface = kMu / (R * R);
  auto pullAt = [&](double r) { return length(w->gravityRel(&earth, _V(r, 0, 0), w->bodiesNow())); };
  EXPECT_NEAR(pullAt(R), gSurface, 1e-3);  // other bodies add a few mm/s^2
  EXPECT_NEAR(pullAt(R * (1 - 1e-9)), pullAt(R), 1e-6);
  EXPECT_NEAR(pullAt(R / 2), gSurface / 2, 1e-3);
  EXPECT_LT(pullAt(1), 1e-2);
  EXPECT_LT(pullAt(0), 1e-2);
}

// A fast spin under long steps: half the rate cap, a tenth of a second per step, 15.7 rad of turn
// per step. The step is cut into sub-steps that each turn at most 0.1 rad; the spin keeps its
// angular momentum and its thrust turns with the vessel without growing. Each Runge-Kutta stage's
// attitude is a rotation: a stage quaternion of length 900 had multiplied the thrust by 8e5.
TEST(Dynamics, FastSpinUnderLongStepsKeepsMomentumAndThrust) {
  auto w = makeEmptyWorld(0.1);
  Vessel &v = w->createVessel("top", "cargo_crate", sim::VesselSpawn());
  VESSEL &i = *v.intf;
  i.SetEmptyMass(1000);
  i.SetPMI(_V(1, 2, 3));
  const double F = 10000;  // [N] 10 m/s^2 along +z
  PROPELLANT_HANDLE tank = i.CreatePropellantResource(1e-3);  // too little to change the mass
  i.SetThrusterLevel(i.CreateThruster(_V(0, 0, 0), _V(0, 0, 1), F, tank, 1e9), 1.0);
  v.edit()->omega = unit(_V(0.3, 1.0, 0.2)) * (50 * PI);
  auto momentum = [&] {
    const VECTOR3 &I = v.def.pmi, &om = v.st.omega;
    return mul(v.st.R, _V(I.x * om.x, I.y * om.y, I.z * om.z));  // in global axes
  };
  VECTOR3 L0 = momentum();
  runUntil(*w, 1.0);
  EXPECT_LT(length(momentum() - L0) / length(L0), 1e-3);
  EXPECT_LE(length(v.st.rvel), F / i.GetMass() * 1.0 + 1e-9);  // thrust can only add up to F t / m
  EXPECT_NEAR(length2(_V(v.st.R.m11, v.st.R.m21, v.st.R.m31)), 1.0, 1e-12);
}

}  // namespace
