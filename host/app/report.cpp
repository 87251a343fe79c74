// The report of a run (see report.h).
#include "app/report.h"

#include <cstdio>

#include "vessel/vessel.h"
#include "world/world.h"

namespace sim {
namespace {

nlohmann::json vesselState(const Vessel &v) {
  const SurfaceParams &s = v.sp;
  nlohmann::json j;
  j["name"] = v.name();
  j["class"] = v.className();
  j["status"] = v.landed() ? "landed" : v.st.parentLink.parent ? "attached" : "flying";
  if (v.st.parentLink.parent) j["attached_to"] = v.st.parentLink.parent->name();
  j["crashed"] = v.st.crashed;
  if (s.ref) {
    j["reference"] = s.ref->name();
    j["longitude_deg"] = s.lng * DEG;
    j["latitude_deg"] = s.lat * DEG;
    j["altitude_m"] = s.alt;
    j["ground_speed_mps"] = s.groundspeed;
    j["vertical_speed_mps"] = s.groundVel_H.y;
    j["pitch_deg"] = s.pitch * DEG;
    j["bank_deg"] = s.bank * DEG;
  }
  j["mass_kg"] = v.mass();
  j["empty_mass_kg"] = v.def.emptyMass;
  nlohmann::json tanks = nlohmann::json::array();
  for (double m : v.st.tankMass) tanks.push_back(m);
  j["propellant_kg"] = tanks;
  return j;
}

}  // namespace

nlohmann::json runReport(World &w, const std::string &scenario, const std::string &reason) {
  nlohmann::json r;
  r["scenario"] = scenario;
  r["end_reason"] = reason;
  r["sim_time_s"] = w.simTime();
  r["steps"] = w.stepCount();
  r["dt_s"] = w.dt();
  r["mjd"] = w.mjd();
  if (w.focus()) r["focus"] = vesselState(*w.focus());
  nlohmann::json all = nlohmann::json::array();
  for (const auto &v : w.vessels()) all.push_back(vesselState(*v));
  r["vessels"] = all;
  const Diagnostics &diag = w.diagnostics();
  r["refused_calls"] = diag.refusedCount();
  // Calls only a screen could answer, and obsolete forms of calls, by name with their counts.
  r["headless_calls"] = diag.headlessCount();
  r["obsolete_calls"] = diag.obsoleteCount();
  nlohmann::json headless = nlohmann::json::object(), obsolete = nlohmann::json::object();
  for (const Diagnostics::Entry &e : diag.entries()) {
    if (e.kind == Diagnostics::Entry::Kind::Headless) headless[e.call] = e.count;
    if (e.kind == Diagnostics::Entry::Kind::Obsolete)
      obsolete[e.call] = obsolete.contains(e.call) ? obsolete[e.call].get<int>() + e.count : e.count;
  }
  r["headless"] = headless;
  r["obsolete"] = obsolete;
  return r;
}

std::string summaryText(const nlohmann::json &r) {
  std::string s;
  char buf[256];
  std::snprintf(buf, sizeof buf, "simhost: %s: %lld steps of %.3f s to t = %.2f s (%s)\n",
                r["scenario"].get<std::string>().c_str(), r["steps"].get<long long>(), r["dt_s"].get<double>(),
                r["sim_time_s"].get<double>(), r["end_reason"].get<std::string>().c_str());
  s += buf;
  for (const auto &v : r["vessels"]) {
    std::snprintf(buf, sizeof buf, "  %-16s %-12s %-8s", v["name"].get<std::string>().c_str(),
                  v["class"].get<std::string>().c_str(), v["status"].get<std::string>().c_str());
    s += buf;
    if (v.contains("altitude_m")) {
      std::snprintf(buf, sizeof buf, " alt %.1f m, ground speed %.2f m/s, lat %.5f, lng %.5f, mass %.1f kg",
                    v["altitude_m"].get<double>(), v["ground_speed_mps"].get<double>(),
                    v["latitude_deg"].get<double>(), v["longitude_deg"].get<double>(), v["mass_kg"].get<double>());
      s += buf;
    }
    s += "\n";
  }
  if (r.contains("headless_calls") && r["headless_calls"].get<int>() > 0) {
    s += "  " + std::to_string(r["headless_calls"].get<int>()) + " call(s) answered headless (no screen):";
    for (const auto &[call, count] : r["headless"].items()) s += " " + call + " x" + std::to_string(count.get<int>());
    s += "\n";
  }
  return s;
}

}  // namespace sim
