// The wind options of simhost run (see wind_options.h).
#include "app/wind_options.h"

#include <CLI/CLI.hpp>
#include <cmath>

#include "app/cli.h"
#include "world/text.h"

namespace sim {

void addWindOptions(CLI::App &run, WindOptionText &t) {
  run.add_option(
      "--wind-profile", t.profile,
      "FILE: the wind by height above the surface, CSV with the header alt_m,speed_mps,from_deg; "
      "linear between rows, constant beyond them");
  run.add_option("--wind-surface", t.surface,
                 "SPEED:DIR: a wind profile of the built-in family with SPEED m/s at 10 m, blowing "
                 "from DIR degrees "
                 "(clockwise from north), growing with the 1/7 power of height up to 1000 m");
  run.add_option(
      "--wind-jet", t.jet,
      "SPEED:ALT[:DEPTH]: the family's jet, SPEED m/s at ALT m, DEPTH m thick at half its strength "
      "(default 8000)");
  run.add_option("--wind-veer", t.veer,
                 "DEG: the family's turn of the direction from 10 m up to the jet, clockwise");
  run.add_option("--turbulence", t.turbulence,
                 "LEVEL: Dryden turbulence, none (default), light, moderate or severe (15, 30, 45 "
                 "kt at 20 ft; the "
                 "1e-2, 1e-3, 1e-5 exceedance curves above 2000 ft)");
  run.add_option(
      "--seed", t.seed,
      "N: seed of the turbulence (default 1); the same seed and step fly the same flight");
}

bool parseJet(const std::string &spec, WindFamily &f, std::string &error) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t c; (c = spec.find(':', start)) != std::string::npos; start = c + 1)
    parts.push_back(spec.substr(start, c - start));
  parts.push_back(spec.substr(start));
  double speed, alt, depth = 8000;
  if ((parts.size() != 2 && parts.size() != 3) || !parseNumber(parts[0], speed) ||
      !parseNumber(parts[1], alt) || (parts.size() == 3 && !parseNumber(parts[2], depth))) {
    error = "\"" + spec + "\": expected SPEED:ALT[:DEPTH] (m/s, m, m)";
    return false;
  }
  if (speed < 0 || speed > WindProfile::kMaxSpeed || alt < 100 || alt > 30000 || depth < 100 ||
      depth > 50000) {
    error =
        "\"" + spec +
        "\": the speed must lie within 0-200 m/s, the height within 100-30000 m, the depth within "
        "100-50000 m";
    return false;
  }
  f.hasJet = true, f.jetSpeed = speed, f.jetAlt = alt, f.jetDepth = depth;
  return true;
}

bool readWindOptions(const WindOptionText &t, bool constantWind, WindOptions &o, std::string &err) {
  std::string error;
  bool family = !t.surface.empty() || !t.jet.empty() || !t.veer.empty();
  if (!t.profile.empty() && family)
    return err =
               "simhost: --wind-profile: give either a profile file or the family's "
               "--wind-surface, --wind-jet and "
               "--wind-veer\n",
           false;
  if (constantWind && (family || !t.profile.empty()))
    return err = std::string("simhost: ") +
                 (family ? "--wind-surface/--wind-jet/--wind-veer" : "--wind-profile") +
                 ": cannot be combined with --wind (a constant wind)\n",
           false;
  o.profileFile = t.profile;
  if (family) {
    WindFamily f;
    if (!t.surface.empty()) {
      WindSpec surface;
      if (!parseWind(t.surface, surface, error))
        return err = "simhost: --wind-surface " + error + "\n", false;
      f.surfaceSpeed = surface.speed, f.surfaceFrom = surface.fromDir;
    }
    if (!t.jet.empty() && !parseJet(t.jet, f, error))
      return err = "simhost: --wind-jet " + error + "\n", false;
    if (!t.veer.empty()) {
      double veer;
      if (!parseNumber(t.veer, veer) || std::fabs(veer) > 360)
        return err = "simhost: --wind-veer \"" + t.veer + "\": expected degrees within +-360\n",
               false;
      f.veer = veer * RAD;
    }
    o.family = f;
  }
  if (!t.turbulence.empty() && !parseTurbulenceLevel(t.turbulence, o.turbulence))
    return err = "simhost: --turbulence \"" + t.turbulence +
                 "\": expected none, light, moderate or severe\n",
           false;
  o.seed = t.seed;
  return true;
}

void applyWindOptions(World &w, const std::optional<WindSpec> &constant, const WindOptions &o) {
  if (constant) {
    w.wind = *constant;
    w.windField.profile.reset();
  }
  if (!o.profileFile.empty()) w.windField.profile = WindProfile::readCsv(o.profileFile);
  if (o.family) w.windField.profile = WindProfile::family(*o.family);
  if (w.windField.profile) w.wind = WindSpec{};
  w.windField.turbulence = o.turbulence;
  w.windField.seed = o.seed;
}

}  // namespace sim
