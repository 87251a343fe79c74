// Scenarios by name: SCENARIO on the command line is a file, or a name under the data root's
// Scenarios/ folder (".scn" optional), matched exactly or else in any case when only one file
// matches; `simhost list` shows the bundled ones with the first sentence of their description
// (BEGIN_DESC ... END_DESC).
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace sim {

struct ListOptions;
struct RunDefaults;

// The scenario file SCENARIO names; throws InputError saying why none is (a folder or device
// given, no such name: with the bundled names listed, several names matching in another case).
std::filesystem::path resolveScenario(const std::string &scenario,
                                      const std::filesystem::path &root);
// The names of root/Scenarios/*.scn, without ".scn", sorted.
std::vector<std::string> scenarioNames(const std::filesystem::path &root);
// The first sentence of the scenario's description ("" if it has none).
std::string scenarioSummary(const std::filesystem::path &file);
// simhost list: every bundled scenario with its summary, wrapped to 100 columns.
int listScenarios(const ListOptions &o, const RunDefaults &d, std::ostream &out, std::ostream &err);

}  // namespace sim
