// A scenario file in the simulator's format.
//
//   BEGIN_DESC ... END_DESC                 free text
//   BEGIN_ENVIRONMENT ... END_ENVIRONMENT   "System Sol", "Date MJD d" (or "Date JD d"), and the
//                                           host's "Wind SPEED FROMDIR" (m/s, degrees from north)
//                                           or "WindProfile H S D ..." (wind_profile.h), not both
//   BEGIN_FOCUS ... END_FOCUS               "Ship NAME"
//   BEGIN_SHIPS ... END_SHIPS               vessel blocks: "NAME[:CLASS]", lines, "END"
// Other sections and lines before the first section are kept verbatim and written back.
// Errors name the file and line; a file with neither a vessel nor an environment section is
// refused as not a scenario.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "physics/wind_profile.h"
#include "scenario/streams.h"

namespace sim {

struct ScenarioSection {
  std::string name;  // upper case, without BEGIN_
  int line = 0;
  std::vector<SourceLine> lines;
};

struct ShipBlock {
  std::string name, className;
  int line = 0;
  std::vector<SourceLine> lines;  // between the name line and END
};

class ScenarioDocument {
 public:
  static ScenarioDocument read(const std::filesystem::path &file);
  static ScenarioDocument parse(const std::string &text, const std::string &fileName);

  std::string file;
  std::vector<std::string> header;        // lines before the first section
  std::vector<ScenarioSection> sections;  // in file order (SHIPS included, its lines empty)
  std::vector<ShipBlock> ships;

  // From the environment and focus sections.
  std::string system = "Sol";
  double mjd = 51544.5;
  bool hasWind = false;
  double windSpeed = 0;    // [m/s]
  double windFromDeg = 0;  // [deg]
  std::optional<WindProfile> windProfile;  // its values kept as read
  int windLine = 0, windProfileLine = 0;
  std::string focus;
  int focusLine = 0;
};

}  // namespace sim
