// Speed of the host and of the booster: one step of a vessel defined like the booster (27
// thrusters on two tanks, two airfoils, two drag elements, four touchdown points) in the
// atmosphere (in still air, in a wind profile, and in a profile with turbulence) and of one in
// orbit, the booster's whole automatic recovery, and the booster's own per-step callback over that
// flight, with either landing law.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>

#include "app/landing_law.h"
#include "scenario/document.h"
#include "vessel/vessel.h"
#include "world/world.h"

namespace {

std::unique_ptr<sim::World> makeWorld(double dt) {
  sim::WorldSettings s;
  s.dataRoot = ARVEX_BENCH_DATA_DIR;
  s.modulesDir = ARVEX_BENCH_MODULES_DIR;
  s.dt = dt;
  return std::make_unique<sim::World>(s);
}

void coefficients(double aoa, double, double, double *cl, double *cm, double *cd) {
  *cl = 0.1 * std::sin(2 * aoa);
  *cm = 0;
  *cd = 0.11 + *cl * *cl * 10;
}

double g_legs = 0.2, g_fins = 1.0;

// A passive vessel given the booster's kind of definition through the interface.
Vessel &boosterLike(sim::World &w, const sim::VesselSpawn &spawn) {
  Vessel &v = w.createVessel("stage", "cargo_crate", spawn);
  VESSEL &i = *v.intf;
  i.SetEmptyMass(19000);
  i.SetPMI(_V(129, 129, 1.9));
  i.SetCrossSections(_V(159, 159, 16));
  PROPELLANT_HANDLE main = i.CreatePropellantResource(384000, 40000), rcs = i.CreatePropellantResource(350);
  THRUSTER_HANDLE th[27];
  for (int k = 0; k < 12; k++)
    th[k] = i.CreateThruster(_V(k % 2 ? 1.95 : -1.95, 0, k < 6 ? 18.8 : -18.12), _V(k % 2 ? -1 : 1, 0, 0), 1000, rcs, 800);
  for (int k = 0; k < 12; k++)
    th[12 + k] = i.CreateThruster(_V(0, k % 2 ? 2 : -2, -21), _V(k % 2 ? 1 : -1, 0, 0), 38000, main, 3051, 2767);
  for (int k = 0; k < 3; k++) th[24 + k] = i.CreateThruster(_V(0, 0, -21), _V(0, 0, 1), 741000, main, 3051, 2767);
  THGROUP_TYPE types[6] = {THGROUP_ATT_PITCHUP, THGROUP_ATT_PITCHDOWN, THGROUP_ATT_YAWLEFT,
                           THGROUP_ATT_YAWRIGHT, THGROUP_ATT_BANKLEFT, THGROUP_ATT_BANKRIGHT};
  for (int g = 0; g < 6; g++) i.CreateThrusterGroup(th + 12 + 2 * g, 2, types[g]);
  i.CreateThrusterGroup(th + 26, 1, THGROUP_MAIN);
  i.CreateAirfoil(LIFT_VERTICAL, _V(0, 0, 0.1), coefficients, 25, 100, 0.16);
  i.CreateAirfoil(LIFT_HORIZONTAL, _V(0, 0, 0.1), coefficients, 25, 100, 0.16);
  i.CreateVariableDragElement(const_cast<const double *>(&g_legs), 12, _V(0, 0, 1));
  i.CreateVariableDragElement(const_cast<const double *>(&g_fins), 3, _V(0, 0, 1));
  TOUCHDOWNVTX td[4] = {{_V(0, -5, -24), 1e6, 1e6, 0.7, 0.7}, {_V(-4.33, 2.5, -24), 1e6, 1e6, 0.7, 0.7},
                        {_V(4.33, 2.5, -24), 1e6, 1e6, 0.7, 0.7}, {_V(0, 20, 0), 1e6, 1e5, 1.5, 0}};
  i.SetTouchdownPoints(td, 4);
  i.SetThrusterGroupLevel(THGROUP_MAIN, 0.3);
  i.SetThrusterGroupLevel(THGROUP_ATT_PITCHUP, 0.2);
  return v;
}

void runSteps(benchmark::State &state, sim::World &w, Vessel &v, long long resetEvery = 5000) {
  sim::VesselState start = v.st;
  long long n = 0;
  for (auto _ : state) {
    w.step();
    if (++n % resetEvery == 0) {  // back to the start before the flight ends
      state.PauseTiming();
      *v.edit() = start;
      state.ResumeTiming();
    }
  }
  state.counters["step_us"] = benchmark::Counter(static_cast<double>(state.iterations()) * 1e-6,
                                                 benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["x_realtime"] = benchmark::Counter(static_cast<double>(state.iterations()) * w.dt(),
                                                    benchmark::Counter::kIsRate);
}

void BM_StepBoosterLikeInAtmosphere(benchmark::State &state) {
  auto w = makeWorld(0.02);
  sim::VesselSpawn s;
  s.vs.rbody = w->findBody("Earth")->handle();
  s.vs.surf_lng = -80 * RAD, s.vs.surf_lat = 28 * RAD, s.vs.surf_hdg = 270 * RAD;
  s.ext.flying = true, s.ext.alt = 30000, s.ext.groundSpeed = 800, s.ext.pathAngle = 20 * RAD;
  runSteps(state, *w, boosterLike(*w, s));
}
BENCHMARK(BM_StepBoosterLikeInAtmosphere);

// The same step in a wind profile of the built-in family, without and with Dryden turbulence,
// high (30 km: the exceedance tables, body axes) and low (400 m, where both axis sets are blended;
// back to the start every 8 s, before the stage comes down).
void stepInWind(benchmark::State &state, double alt, double speed, sim::TurbulenceLevel level,
                long long resetEvery = 5000) {
  auto w = makeWorld(0.02);
  sim::WindFamily f;
  f.surfaceSpeed = 8, f.surfaceFrom = 250 * RAD, f.hasJet = true, f.jetSpeed = 40, f.jetAlt = 11000;
  f.veer = 30 * RAD;
  w->windField.profile = sim::WindProfile::family(f);
  w->windField.turbulence = level;
  sim::VesselSpawn s;
  s.vs.rbody = w->findBody("Earth")->handle();
  s.vs.surf_lng = -80 * RAD, s.vs.surf_lat = 28 * RAD, s.vs.surf_hdg = 270 * RAD;
  s.ext.flying = true, s.ext.alt = alt, s.ext.groundSpeed = speed, s.ext.pathAngle = 20 * RAD;
  runSteps(state, *w, boosterLike(*w, s), resetEvery);
}
void BM_StepBoosterLikeInWindProfile(benchmark::State &state) {
  stepInWind(state, 30000, 800, sim::TurbulenceLevel::None);
}
BENCHMARK(BM_StepBoosterLikeInWindProfile);
void BM_StepBoosterLikeInTurbulence(benchmark::State &state) {
  stepInWind(state, 30000, 800, sim::TurbulenceLevel::Moderate);
}
BENCHMARK(BM_StepBoosterLikeInTurbulence);
void BM_StepBoosterLikeLowInWindProfile(benchmark::State &state) {
  stepInWind(state, 400, 150, sim::TurbulenceLevel::None, 400);
}
BENCHMARK(BM_StepBoosterLikeLowInWindProfile);
void BM_StepBoosterLikeLowInTurbulence(benchmark::State &state) {
  stepInWind(state, 400, 150, sim::TurbulenceLevel::Moderate, 400);
}
BENCHMARK(BM_StepBoosterLikeLowInTurbulence);

// What turbulence adds to a step, measured alone: the surface update of a vessel at 30 km and at
// 400 m in the profile, its gusts advanced by one step every time when turbulence is on.
void surfaceUpdateInWind(benchmark::State &state, double alt, sim::TurbulenceLevel level) {
  auto w = makeWorld(0.02);
  sim::WindFamily f;
  f.surfaceSpeed = 8, f.surfaceFrom = 250 * RAD, f.hasJet = true, f.jetSpeed = 40, f.jetAlt = 11000;
  w->windField.profile = sim::WindProfile::family(f);
  w->windField.turbulence = level;
  sim::VesselSpawn s;
  s.vs.rbody = w->findBody("Earth")->handle();
  s.vs.surf_lng = -80 * RAD, s.vs.surf_lat = 28 * RAD, s.vs.surf_hdg = 270 * RAD;
  s.ext.flying = true, s.ext.alt = alt, s.ext.groundSpeed = 300, s.ext.pathAngle = 20 * RAD;
  Vessel &v = boosterLike(*w, s);
  v.stateChanged();
  for (auto _ : state) {
    v.gust.step = w->stepCount() - 1;  // one step behind: the update advances the filters
    sim::updateSurfaceParams(v);
    benchmark::DoNotOptimize(v.sp.airVel_G);
  }
}
void BM_SurfaceUpdateHigh(benchmark::State &state) { surfaceUpdateInWind(state, 30000, sim::TurbulenceLevel::None); }
BENCHMARK(BM_SurfaceUpdateHigh);
void BM_SurfaceUpdateHighTurbulent(benchmark::State &state) {
  surfaceUpdateInWind(state, 30000, sim::TurbulenceLevel::Moderate);
}
BENCHMARK(BM_SurfaceUpdateHighTurbulent);
void BM_SurfaceUpdateLow(benchmark::State &state) { surfaceUpdateInWind(state, 400, sim::TurbulenceLevel::None); }
BENCHMARK(BM_SurfaceUpdateLow);
void BM_SurfaceUpdateLowTurbulent(benchmark::State &state) {
  surfaceUpdateInWind(state, 400, sim::TurbulenceLevel::Moderate);
}
BENCHMARK(BM_SurfaceUpdateLowTurbulent);

void BM_StepInOrbit(benchmark::State &state) {
  auto w = makeWorld(0.02);
  sim::CelestialBody &earth = *w->findBody("Earth");
  double r = earth.meanRadius + 400e3;
  sim::VesselSpawn s;
  s.vs.rbody = earth.handle();
  s.vs.rpos = _V(r, 0, 0);
  s.vs.rvel = _V(0, 0, std::sqrt(earth.mu() / r));
  Vessel &v = w->createVessel("sat", "cargo_crate", s);
  runSteps(state, *w, v);
}
BENCHMARK(BM_StepInOrbit);

// Wall time of the modules' pre-step callbacks.
class PreStepTimer : public sim::PreStepObserver {
 public:
  void begin(const Vessel &) override { start_ = std::chrono::steady_clock::now(); }
  void end(const Vessel &) override {
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    calls++;
  }
  double seconds = 0;
  long long calls = 0;

 private:
  std::chrono::steady_clock::time_point start_;
};

// The bundled recovery, loaded and flown to rest on the legs, by the descent autopilot's own
// landing law (the default) or by the precision law.
void boosterRecovery(benchmark::State &state, const char *law) {
  double preStep = 0, calls = 0, simulated = 0;
  for (auto _ : state) {
    auto w = makeWorld(0.02);
    w->loadScenario(std::filesystem::path(ARVEX_BENCH_DATA_DIR) / "Scenarios" / "Booster recovery.scn",
                    [&](sim::ScenarioDocument &doc) { sim::applyLandingLaw(doc, "", law); });
    PreStepTimer timer;
    w->preStepObserver = &timer;
    Vessel &v = *w->focus();
    while (!v.landed() && w->simTime() < 3600) w->step();
    preStep += timer.seconds;
    calls += static_cast<double>(timer.calls);
    simulated += w->simTime();
  }
  state.counters["prestep_us"] = preStep / calls * 1e6;
  state.counters["flight_s"] = simulated / static_cast<double>(state.iterations());
}
void BM_BoosterRecovery(benchmark::State &state) { boosterRecovery(state, ""); }
BENCHMARK(BM_BoosterRecovery)->Unit(benchmark::kMillisecond)->MinTime(2.0);
void BM_BoosterRecoveryPrecisionLaw(benchmark::State &state) { boosterRecovery(state, "precision"); }
BENCHMARK(BM_BoosterRecoveryPrecisionLaw)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
