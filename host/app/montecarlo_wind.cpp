// The wind of a Monte-Carlo run (see montecarlo.h): by default a profile of the built-in family
// (wind_profile.h) with a jet and a veer, and a turbulence level with its own seed; with
// --wind-model constant today's constant wind. Every draw is taken in a fixed order whichever
// model is flown, and each value is passed as text with fixed decimals and recorded as parsed
// back from that text, so the printed command replays the run exactly.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "app/cli.h"
#include "app/montecarlo.h"

namespace sim {
namespace {

double uniformOn(std::mt19937_64 &g, double lo, double hi) {
  return lo + (hi - lo) * ((g() >> 11) * 0x1.0p-53);
}

std::string fixedText(double v, int decimals, double &parsed) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  parsed = std::strtod(buf, nullptr);
  return buf;
}

}  // namespace

std::vector<std::string> drawWind(const MonteCarloOptions &o, std::mt19937_64 &g,
                                  const std::string &surfaceWind, RunDraw &d) {
  const WindDispersion &wd = o.windDispersion;
  double jetSpeed = uniformOn(g, wd.jetSpeed.lo, wd.jetSpeed.hi);
  double jetAlt = uniformOn(g, wd.jetAlt.lo, wd.jetAlt.hi);
  double veer = uniformOn(g, -wd.veerSpread, wd.veerSpread);
  double pick = uniformOn(g, 0, 1);
  std::uint64_t seed = g() >> 32;
  if (wd.constantWind) return {"--wind", surfaceWind};
  WindDraw &w = d.windDraw;
  w.profile = true;
  if (!wd.turbulence.empty()) {
    size_t n = wd.turbulence.size();
    w.turbulence =
        wd.turbulence[std::min(n - 1, static_cast<size_t>(pick * static_cast<double>(n)))];
  }
  std::vector<std::string> args = {
      "--wind-surface", surfaceWind,
      "--wind-jet",     fixedText(jetSpeed, 3, w.jetSpeed) + ":" + fixedText(jetAlt, 1, w.jetAlt),
      "--wind-veer",    fixedText(veer, 3, w.veer)};
  if (w.turbulence != TurbulenceLevel::None) {
    w.seed = seed;
    args.insert(args.end(),
                {"--turbulence", turbulenceName(w.turbulence), "--seed", std::to_string(seed)});
  }
  return args;
}

void recordWind(const RunDraw &d, nlohmann::json &inputs) {
  const WindDraw &w = d.windDraw;
  inputs["wind_model"] = w.profile ? "profile" : "constant";
  if (!w.profile) return;
  inputs["jet_speed_mps"] = w.jetSpeed;
  inputs["jet_alt_m"] = w.jetAlt;
  inputs["veer_deg"] = w.veer;
  inputs["turbulence"] = turbulenceName(w.turbulence);
  if (w.turbulence != TurbulenceLevel::None) inputs["turbulence_seed"] = w.seed;
}

std::string windSummary(const nlohmann::json &in) {
  if (in.value("wind_model", std::string()) != "profile") return {};
  char buf[160];
  std::snprintf(buf, sizeof buf, " at 10 m, jet %.0f m/s at %.1f km, veer %+.0f deg, turbulence %s",
                in.value("jet_speed_mps", 0.0), in.value("jet_alt_m", 0.0) / 1000,
                in.value("veer_deg", 0.0), in.value("turbulence", std::string("none")).c_str());
  return buf;
}

void addMonteCarloWindOptions(CLI::App &mc, MonteCarloWindText &t, MonteCarloOptions &o) {
  mc.add_option("--wind-model", t.model,
                "profile (default): the wind at 10 m of a profile with a jet and a veer, and "
                "turbulence; constant: "
                "a constant wind of that speed and direction, and no turbulence");
  mc.add_option("--jet-speed", t.jetSpeed, "MIN:MAX: the jet's speed [m/s] (default 15:50)");
  mc.add_option("--jet-alt", t.jetAlt, "MIN:MAX: the jet's height [m] (default 9000:13000)");
  mc.add_option(
        "--veer", o.windDispersion.veerSpread,
        "DEG: +- spread of the turn of the wind's direction from 10 m to the jet (default 45)")
      ->check(CLI::Range(0.0, 180.0));
  mc.add_option(
      "--turbulence", t.turbulence,
      "LEVELS: the turbulence levels drawn from, comma-separated (default none,light,moderate)");
}

bool readMonteCarloWindOptions(const MonteCarloWindText &t, MonteCarloOptions &o,
                               std::string &err) {
  WindDispersion &wd = o.windDispersion;
  std::string error;
  if (!t.model.empty()) {
    if (t.model != "profile" && t.model != "constant")
      return err = "simhost: --wind-model \"" + t.model + "\": expected profile or constant\n",
             false;
    wd.constantWind = t.model == "constant";
  }
  if (!t.jetSpeed.empty() && !parseInterval(t.jetSpeed, wd.jetSpeed, error))
    return err = "simhost: --jet-speed " + error + "\n", false;
  if (!t.jetAlt.empty() && !parseInterval(t.jetAlt, wd.jetAlt, error))
    return err = "simhost: --jet-alt " + error + "\n", false;
  if (wd.jetSpeed.lo < 0 || wd.jetSpeed.hi > 200)
    return err = "simhost: --jet-speed: between 0 and 200 m/s\n", false;
  if (wd.jetAlt.lo < 100 || wd.jetAlt.hi > 30000)
    return err = "simhost: --jet-alt: between 100 and 30000 m\n", false;
  if (!t.turbulence.empty()) {
    wd.turbulence.clear();
    std::stringstream ss(t.turbulence);
    for (std::string level; std::getline(ss, level, ',');) {
      TurbulenceLevel l;
      if (!parseTurbulenceLevel(level, l))
        return err = "simhost: --turbulence \"" + t.turbulence +
                     "\": expected levels none, light, moderate, severe "
                     "separated by commas\n",
               false;
      wd.turbulence.push_back(l);
    }
    if (wd.turbulence.empty())
      return err = "simhost: --turbulence: expected at least one level\n", false;
  }
  return true;
}

}  // namespace sim
