// The report of a run (JSON) and the summary printed at its end.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace sim {

class World;

// Final state of the run: time, end reason, the focus vessel and every vessel.
nlohmann::json runReport(World &w, const std::string &scenario, const std::string &reason);
std::string summaryText(const nlohmann::json &report);

}  // namespace sim
