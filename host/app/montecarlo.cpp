// simhost montecarlo (see montecarlo.h): the draws of the runs and their records.
#include "app/montecarlo.h"

#include <cmath>
#include <cstdio>
#include <random>

#include "app/run.h"
#include "app/staging.h"
#include "scenario/document.h"
#include "vessel/vessel.h"
#include "world/errors.h"
#include "world/world.h"

namespace sim {
namespace {

// splitmix64: a well-mixed 64-bit seed from (set seed, run index).
unsigned long long mixSeed(unsigned long long seed, int index) {
  unsigned long long z = seed + 0x9E3779B97F4A7C15ull * static_cast<unsigned long long>(index + 1);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// Uniform on [lo, hi] from 53 random bits (the same on every standard library).
double uniform(std::mt19937_64 &g, double lo, double hi) {
  return lo + (hi - lo) * (static_cast<double>(g() >> 11) * 0x1.0p-53);
}

// The value as the command line carries it, and the value parsed back from that text.
std::string fixed(double v, int decimals, double &parsed) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  parsed = std::strtod(buf, nullptr);
  return buf;
}

}  // namespace

std::string shellQuote(const std::string &word) {
  if (!word.empty() &&
      word.find_first_not_of(
          "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_.:/+=,") ==
          std::string::npos)
    return word;
  std::string q = "'";
  for (char c : word) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

void shardRange(int runs, int index, int count, int &first, int &last) {
  first = static_cast<int>(static_cast<long long>(index - 1) * runs / count) + 1;
  last = static_cast<int>(static_cast<long long>(index) * runs / count);
}

RunDraw drawRun(const MonteCarloOptions &o, const StagingBase &base, const std::string &scenarioArg, int index) {
  std::mt19937_64 g(mixSeed(o.seed, index));
  RunDraw d;
  d.index = index;
  // Drawn in a fixed order, every draw taken even when its interval is empty, so that changing
  // one spread leaves the other draws of a run as they were.
  double alt = uniform(g, o.altitude.lo, o.altitude.hi);
  double speed = uniform(g, o.speed.lo, o.speed.hi);
  double angle = base.pathAngle + uniform(g, -o.pathAngleSpread, o.pathAngleSpread);
  double heading = base.heading + uniform(g, -o.headingSpread, o.headingSpread);
  double downrange = base.downrange * (1 + uniform(g, -o.downrangeSpread, o.downrangeSpread));
  double propellant = base.propellant * (1 + uniform(g, -o.propellantSpread, o.propellantSpread));
  double wind = uniform(g, o.windSpeed.lo, o.windSpeed.hi);
  double windFrom = uniform(g, 0, 360);
  double dt = uniform(g, o.dt.lo, o.dt.hi);
  double windSpeed, windDir;
  std::string w = fixed(wind, 3, windSpeed) + ":" + fixed(windFrom, 2, windDir);
  std::vector<std::string> windArgs = drawWind(o, g, w, d);

  d.args = {"run", scenarioArg};
  if (!o.root.empty()) d.args.insert(d.args.end(), {"--root", o.root.string()});
  if (!o.modules.empty()) d.args.insert(d.args.end(), {"--modules", o.modules.string()});
  d.args.insert(d.args.end(), {"--dt", fixed(dt, 4, d.dt)});
  if (!o.landingLaw.empty()) d.args.insert(d.args.end(), {"--landing-law", o.landingLaw});
  d.args.insert(d.args.end(), windArgs.begin(), windArgs.end());
  d.args.insert(d.args.end(), {"--staging-alt", fixed(alt, 1, d.altitude),
                               "--staging-speed", fixed(speed, 2, d.speed),
                               "--staging-angle", fixed(angle, 4, d.pathAngle),
                               "--staging-heading", fixed(heading, 4, d.heading),
                               "--staging-downrange", fixed(downrange, 1, d.downrange),
                               "--staging-propellant", fixed(propellant, 1, d.propellant)});
  d.windSpeed = windSpeed, d.windFrom = windDir;
  return d;
}

StagingBase readStagingBase(const MonteCarloOptions &o, const std::filesystem::path &dataRoot,
                            const std::filesystem::path &modulesDir) {
  WorldSettings s = worldSettings(o.root, o.modules, RunDefaults{dataRoot, modulesDir, {}});
  std::filesystem::path file = resolveScenario(o.scenario, s.dataRoot);
  World w(s);
  w.loadScenario(file);
  const ScenarioDocument &doc = *w.scenario();
  FlyingState f = readFlyingState(doc, "");
  StagingBase b;
  b.pathAngle = f.pathAngle, b.heading = f.heading;
  b.downrange = downrangeOf(doc, w, "", f);
  Vessel *focus = w.focus();
  if (!focus || focus->st.tankMass.empty())
    throw InputError(file.string() + ": the focus vessel has no propellant tank to disperse");
  b.propellant = focus->st.tankMass[0];
  return b;
}

nlohmann::json runRecord(const MonteCarloOptions &o, const RunDraw &d, int status, const nlohmann::json &report,
                         const std::string &error) {
  nlohmann::json r;
  r["run"] = d.index;
  r["set"] = {{"seed", o.seed}, {"runs", o.runs}, {"scenario", o.scenario}};
  if (!o.landingLaw.empty()) r["set"]["landing_law"] = o.landingLaw;  // sets of two laws do not merge
  r["inputs"] = {{"staging_altitude_m", d.altitude}, {"ground_speed_mps", d.speed},
                 {"path_angle_deg", d.pathAngle},    {"heading_deg", d.heading},
                 {"downrange_m", d.downrange},       {"main_propellant_kg", d.propellant},
                 {"wind_speed_mps", d.windSpeed},    {"wind_from_deg", d.windFrom},
                 {"dt_s", d.dt}};
  recordWind(d, r["inputs"]);
  if (!o.landingLaw.empty()) r["inputs"]["landing_law"] = o.landingLaw;
  r["exit_status"] = status;
  if (!error.empty()) r["error"] = error;
  if (report.contains("end_reason")) r["end_reason"] = report["end_reason"];
  if (report.contains("landing")) {
    nlohmann::json l = report["landing"];
    l.erase("timeline");
    r["landing"] = l;
  }
  std::string cmd = "simhost";
  for (const std::string &a : d.args) {
    cmd += ' ';
    cmd += shellQuote(a);
  }
  r["command"] = cmd;
  return r;
}

}  // namespace sim
