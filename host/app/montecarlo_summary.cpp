// The summary of a Monte-Carlo set (see montecarlo.h): outcome counts, distributions, worst runs
// with the commands that fly them again.
//
// Percentiles interpolate linearly between order statistics: p of n sorted values x_0..x_{n-1} is
// x_i + f (x_{i+1} - x_i) with i + f = p (n - 1). Distances are at rest; speeds at first contact.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <ostream>

#include "app/montecarlo.h"

namespace sim {
namespace {

// Outcomes in the order the table lists them; a higher severity is a worse run.
struct Outcome {
  const char *verdict;
  int severity;
};
constexpr Outcome kOutcomes[] = {{"landed upright", 0}, {"tipped over", 3},     {"crashed", 5},
                                 {"missed", 2},         {"out of propellant", 4}, {"timed out", 4},
                                 {"failed", 6}};

std::string outcomeOf(const nlohmann::json &r) {
  if (r.value("exit_status", 1) != 0 || !r.contains("landing")) return "failed";
  return r["landing"].value("verdict", "failed");
}

int severityOf(const std::string &outcome) {
  for (const Outcome &o : kOutcomes)
    if (outcome == o.verdict) return o.severity;
  return 6;
}

double numberOr(const nlohmann::json &j, const char *key, double fallback) {
  auto it = j.find(key);
  return it != j.end() && it->is_number() ? it->get<double>() : fallback;
}

double percentile(std::vector<double> v, double p) {
  if (v.empty()) return NAN;
  std::sort(v.begin(), v.end());
  double x = p * static_cast<double>(v.size() - 1);
  size_t i = static_cast<size_t>(x);
  if (i + 1 >= v.size()) return v.back();
  return v[i] + (x - static_cast<double>(i)) * (v[i + 1] - v[i]);
}

std::string cell(double v, const char *format) {
  if (std::isnan(v)) return "-";
  char buf[32];
  std::snprintf(buf, sizeof buf, format, v);
  return buf;
}

std::string row(const char *label, double a, double b, double c, const char *format, size_t n) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "  %-38s %8s %8s %8s   (%zu runs)\n", label, cell(a, format).c_str(),
                cell(b, format).c_str(), cell(c, format).c_str(), n);
  return buf;
}

// How far a run ended from its target: at rest, else at first contact; infinite if never down.
double missDistance(const nlohmann::json &r) {
  if (!r.contains("landing")) return INFINITY;
  const nlohmann::json &l = r["landing"];
  return numberOr(l, "distance_at_rest_m", numberOr(l, "distance_at_touchdown_m", INFINITY));
}

// Landed upright on the pad: at rest within 10 m and 1 deg, down at most 1 m/s and 0.3 m/s across.
bool onPad(const nlohmann::json &r) {
  if (outcomeOf(r) != "landed upright") return false;
  const nlohmann::json &l = r["landing"];
  return numberOr(l, "distance_at_rest_m", INFINITY) <= 10.0 &&
         numberOr(l, "tilt_at_rest_deg", INFINITY) <= 1.0 &&
         -numberOr(l, "touchdown_vertical_speed_mps", -HUGE_VAL) <= 1.0 &&
         numberOr(l, "touchdown_horizontal_speed_mps", INFINITY) <= 0.3;
}

// The landing laws the runs flew by, when their reports name them.
std::string lawLine(const std::vector<nlohmann::json> &records) {
  std::map<std::string, size_t> laws;
  for (const nlohmann::json &r : records)
    if (r.contains("landing") && r["landing"].contains("landing_law"))
      laws[r["landing"].value("landing_law", std::string("?"))]++;
  if (laws.empty()) return "";
  std::string s = "  landing law:";
  for (const auto &[law, k] : laws) s += " " + law + " (" + std::to_string(k) + " runs)";
  return s + "\n";
}

std::string outcomeLines(const std::vector<nlohmann::json> &records, const nlohmann::json &set,
                         double seconds, int jobs) {
  std::string s;
  char buf[512];
  std::snprintf(buf, sizeof buf, "montecarlo: %zu runs of \"%s\", seed %llu, runs %d-%d of %d", records.size(),
                set.value("scenario", std::string("?")).c_str(), set.value("seed", 0ull), set.value("first", 1),
                set.value("last", 0), set.value("runs", 0));
  s += buf;
  if (seconds >= 0) {
    std::snprintf(buf, sizeof buf, ", %.1f s on %d jobs", seconds, jobs);
    s += buf;
  }
  s += "\n" + lawLine(records);
  std::map<std::string, size_t> counts;
  for (const nlohmann::json &r : records) counts[outcomeOf(r)]++;
  double n = std::max<double>(1.0, static_cast<double>(records.size()));
  for (const Outcome &o : kOutcomes) {
    if (std::string(o.verdict) == "failed" && !counts.count("failed")) continue;
    std::snprintf(buf, sizeof buf, "  %-20s %6zu  %5.1f %%\n", o.verdict, counts[o.verdict],
                  100.0 * static_cast<double>(counts[o.verdict]) / n);
    s += buf;
  }
  size_t pad = 0;
  for (const nlohmann::json &r : records) pad += onPad(r);
  std::snprintf(
      buf, sizeof buf,
      "  %-20s %6zu  %5.1f %%   (within 10 m and 1 deg, down <= 1 m/s, across <= 0.3 m/s)\n",
      "  of them on the pad", pad, 100.0 * static_cast<double>(pad) / n);
  return s + buf;
}

double worstOf(const std::vector<double> &v, bool high) {
  if (v.empty()) return NAN;
  return high ? *std::max_element(v.begin(), v.end()) : *std::min_element(v.begin(), v.end());
}

std::string distributionLines(const std::vector<nlohmann::json> &records) {
  std::vector<double> distance, down, across, propellant;
  for (const nlohmann::json &r : records) {
    if (!r.contains("landing")) continue;
    const nlohmann::json &l = r["landing"];
    if (l.contains("distance_at_rest_m") && l["distance_at_rest_m"].is_number())
      distance.push_back(l["distance_at_rest_m"].get<double>());
    if (l.contains("touchdown_vertical_speed_mps")) {
      down.push_back(-numberOr(l, "touchdown_vertical_speed_mps", 0));
      across.push_back(numberOr(l, "touchdown_horizontal_speed_mps", 0));
    }
    propellant.push_back(numberOr(l, "main_propellant_kg", 0));
  }
  std::string s = "                                           median     95th    worst\n";
  s += row("distance from the target at rest [m]", percentile(distance, 0.5), percentile(distance, 0.95),
           worstOf(distance, true), "%.1f", distance.size());
  s += row("touchdown speed down [m/s]", percentile(down, 0.5), percentile(down, 0.95), worstOf(down, true), "%.2f",
           down.size());
  s += row("touchdown speed across [m/s]", percentile(across, 0.5), percentile(across, 0.95), worstOf(across, true),
           "%.2f", across.size());
  s += row("main propellant left [kg] (5th, least)", percentile(propellant, 0.5), percentile(propellant, 0.05),
           worstOf(propellant, false), "%.0f", propellant.size());
  return s;
}

// One worst run: its outcome, its draw and the command that flies it again.
std::string worstRun(const nlohmann::json &r, const std::string &program) {
  const nlohmann::json in = r.value("inputs", nlohmann::json::object());
  std::string what = outcomeOf(r);
  double miss = missDistance(r);
  if (std::isfinite(miss)) what += ", " + cell(miss, "%.1f") + " m off";
  if (r.contains("landing") && r["landing"].contains("touchdown_horizontal_speed_mps"))
    what += ", " + cell(numberOr(r["landing"], "touchdown_horizontal_speed_mps", 0), "%.2f") +
            " m/s across";
  if (r.contains("error")) what += ": " + r["error"].get<std::string>();
  char buf[512];
  std::snprintf(
      buf, sizeof buf,
      "  run %d: %s\n    staging %.1f km, %.0f m/s, %.1f deg, heading %.1f deg, %.1f km downrange, "
      "%.0f kg; wind %.1f m/s from %.0f deg%s; dt %.4f s\n",
      r.value("run", 0), what.c_str(), numberOr(in, "staging_altitude_m", 0) / 1000,
      numberOr(in, "ground_speed_mps", 0), numberOr(in, "path_angle_deg", 0),
      numberOr(in, "heading_deg", 0), numberOr(in, "downrange_m", 0) / 1000,
      numberOr(in, "main_propellant_kg", 0), numberOr(in, "wind_speed_mps", 0),
      numberOr(in, "wind_from_deg", 0), windSummary(in).c_str(), numberOr(in, "dt_s", 0));
  std::string command = r.value("command", std::string());
  if (command.rfind("simhost ", 0) == 0) command = shellQuote(program) + command.substr(7);
  return buf + ("    " + command + "\n");
}

std::string worstLines(const std::vector<nlohmann::json> &records, int worst,
                       const std::string &program) {
  std::vector<const nlohmann::json *> order;
  for (const nlohmann::json &r : records) order.push_back(&r);
  std::stable_sort(order.begin(), order.end(), [](const nlohmann::json *a, const nlohmann::json *b) {
    int sa = severityOf(outcomeOf(*a)), sb = severityOf(outcomeOf(*b));
    if (sa != sb) return sa > sb;
    double da = missDistance(*a), db = missDistance(*b);
    if (da != db) return da > db;
    return a->value("run", 0) < b->value("run", 0);
  });
  size_t shown = std::min(order.size(), static_cast<size_t>(std::max(0, worst)));
  std::string s = shown ? "worst runs:\n" : "";
  for (size_t i = 0; i < shown; i++) s += worstRun(*order[i], program);
  return s;
}

}  // namespace

double onPadShare(const std::vector<nlohmann::json> &records) {
  if (records.empty()) return 0;
  size_t n = 0;
  for (const nlohmann::json &r : records) n += onPad(r);
  return static_cast<double>(n) / static_cast<double>(records.size());
}

double uprightShare(const std::vector<nlohmann::json> &records) {
  if (records.empty()) return 0;
  size_t n = 0;
  for (const nlohmann::json &r : records) n += outcomeOf(r) == "landed upright";
  return static_cast<double>(n) / static_cast<double>(records.size());
}

int failedRuns(const std::vector<nlohmann::json> &records) {
  int n = 0;
  for (const nlohmann::json &r : records) n += outcomeOf(r) == "failed";
  return n;
}

bool isLandingVerdict(const std::string &verdict) {
  for (const Outcome &o : kOutcomes)
    if (verdict == o.verdict && verdict != "failed") return true;
  return false;
}

std::string summaryTable(const std::vector<nlohmann::json> &records, const nlohmann::json &set,
                         int worst, double seconds, int jobs, const std::string &program) {
  return outcomeLines(records, set, seconds, jobs) + distributionLines(records) +
         worstLines(records, worst, program);
}

}  // namespace sim
