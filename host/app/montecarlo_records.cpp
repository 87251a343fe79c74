// Monte-Carlo record files (see montecarlo.h): what a record must hold to be summarised, merged
// or resumed, and reading a file of them. A record is one JSON object per line:
//   run (1..set.runs), set {seed, runs, scenario}, inputs {name: number, or text for the wind
//   model, turbulence and landing law}, exit_status, optional
//   error and end_reason (text), landing {verdict, target, target_found, numbers; distances may
//   be null}, command (text).
#include <fstream>

#include "app/montecarlo.h"

namespace sim {
namespace {

using nlohmann::json;

// The landing report's numeric fields; the two distances are null when the target was lost.
constexpr const char *kLandingNumbers[] = {"touchdown_time_s",
                                           "touchdown_vertical_speed_mps",
                                           "touchdown_horizontal_speed_mps",
                                           "rest_time_s",
                                           "tilt_at_rest_deg",
                                           "main_propellant_kg",
                                           "rcs_propellant_kg",
                                           "flight_time_s",
                                           "peak_dynamic_pressure_pa",
                                           "peak_dynamic_pressure_altitude_m",
                                           "peak_acceleration_mps2",
                                           "peak_acceleration_time_s"};
constexpr const char *kLandingDistances[] = {"distance_at_touchdown_m", "distance_at_rest_m"};
// The drawn inputs that are names rather than numbers (app/montecarlo_wind.cpp).
constexpr const char *kTextInputs[] = {"wind_model", "turbulence", "landing_law"};

bool textInput(const std::string &key) {
  for (const char *k : kTextInputs)
    if (key == k) return true;
  return false;
}

bool wholeNotNegative(const json &j) {
  return j.is_number_unsigned() || (j.is_number_integer() && j.get<long long>() >= 0);
}

std::string wrongType(const std::string &field, const char *what) {
  return "a field of the wrong type: " + field + " is not " + what;
}

std::string setProblem(const json &set) {
  if (!set.contains("seed") || !wholeNotNegative(set["seed"]))
    return wrongType("set.seed", "a whole number");
  if (!set.contains("runs") || !set["runs"].is_number_integer() || set["runs"].get<long long>() < 1)
    return wrongType("set.runs", "a whole number of runs");
  if (!set.contains("scenario") || !set["scenario"].is_string())
    return wrongType("set.scenario", "text");
  return "";
}

std::string landingProblem(const json &l) {
  if (!l.is_object()) return wrongType("landing", "an object");
  if (!l.contains("verdict") || !l["verdict"].is_string())
    return wrongType("landing.verdict", "text");
  if (!isLandingVerdict(l["verdict"].get<std::string>()))
    return "unknown verdict \"" + l["verdict"].get<std::string>() + "\"";
  for (const char *k : kLandingNumbers)
    if (l.contains(k) && !l[k].is_number())
      return wrongType(std::string("landing.") + k, "a number");
  for (const char *k : kLandingDistances)
    if (l.contains(k) && !l[k].is_number() && !l[k].is_null())
      return wrongType(std::string("landing.") + k, "a number or null");
  if (l.contains("target") && !l["target"].is_string()) return wrongType("landing.target", "text");
  if (l.contains("target_found") && !l["target_found"].is_boolean())
    return wrongType("landing.target_found", "true or false");
  return "";
}

}  // namespace

std::string recordProblem(const json &r) {
  if (!r.is_object() || !r.contains("run") || !r["run"].is_number_integer() || !r.contains("set") ||
      !r["set"].is_object())
    return "not a montecarlo record";
  if (std::string p = setProblem(r["set"]); !p.empty()) return p;
  long long run = r["run"].get<long long>(), runs = r["set"]["runs"].get<long long>();
  if (run < 1 || run > runs)
    return "run " + std::to_string(run) + " lies outside the set's runs 1-" + std::to_string(runs);
  if (!r.contains("exit_status") || !r["exit_status"].is_number_integer())
    return wrongType("exit_status", "a whole number");
  for (const char *k : {"error", "end_reason", "command"})
    if (r.contains(k) && !r[k].is_string()) return wrongType(k, "text");
  if (r.contains("inputs")) {
    if (!r["inputs"].is_object()) return wrongType("inputs", "an object");
    for (const auto &[k, v] : r["inputs"].items()) {
      if (textInput(k) && !v.is_string()) return wrongType("inputs." + k, "text");
      if (!textInput(k) && !v.is_number()) return wrongType("inputs." + k, "a number");
    }
  }
  return r.contains("landing") ? landingProblem(r["landing"]) : "";
}

std::string readRecordFile(const std::filesystem::path &file, std::vector<RecordLine> &records) {
  std::error_code ec;
  if (std::filesystem::is_directory(file, ec))
    return file.string() + ": a folder, not a record file";
  std::ifstream in(file);
  if (!in) return file.string() + ": cannot read";
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    number++;
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    json r = json::parse(line, nullptr, false);
    std::string problem = r.is_discarded() ? "not a montecarlo record" : recordProblem(r);
    if (!problem.empty()) return file.string() + ":" + std::to_string(number) + ": " + problem;
    records.push_back({number, std::move(r)});
  }
  if (in.bad()) return file.string() + ": cannot read";
  return "";
}

}  // namespace sim
