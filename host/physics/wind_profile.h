// The mean wind by height above the surface: a table of rows (height, speed, direction the wind
// blows from), linear in speed between rows, the direction turning the shorter way round, and
// constant below the first row and above the last.
//
// Sources: a CSV file (header "alt_m,speed_mps,from_deg", one row per line), the values of a
// scenario's "WindProfile H S D [H S D ...]" environment line (kept as read, so that a saved
// scenario writes them back unchanged), and a built-in family for dispersions:
//   surface layer  s(h) = V10 (min(h, 1000 m) / 10 m)^(1/7)        (power law from the wind at 10
//   m) jet            b(h) = exp(-4 ln2 ((h - hJ) / d)^2)              (d: depth, full width at
//   half height) speed          V(h) = s(h) + (VJ - s(h)) b(h)                    (VJ at hJ
//   exactly) direction      D(h) = D10 + veer clamp((h - 10 m) / (hJ - 10 m), 0, 1)
// The family is tabulated at fixed heights (finer near the ground, every 250 m above 1 km, the
// jet's height among them), so every profile is flown, saved and plotted as a table.
// Units: heights m above the mean radius, speeds m/s, directions rad inside (deg in files),
// clockwise from north. The wind vector is in horizon axes: x east, y up (always 0), z north.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "OrbiterAPI.h"

namespace sim {

struct WindRow {
  double alt = 0;      // [m] above the surface
  double speed = 0;    // [m/s]
  double fromDir = 0;  // [rad] direction the wind blows from, clockwise from north
};

// Parameters of the built-in family (see above).
struct WindFamily {
  double surfaceSpeed = 0;  // [m/s] at 10 m
  double surfaceFrom = 0;   // [rad] at 10 m
  bool hasJet = false;
  double jetSpeed = 0;     // [m/s] at the jet's height
  double jetAlt = 11000;   // [m]
  double jetDepth = 8000;  // [m] full width of the jet at half its excess over the surface layer
  double veer = 0;  // [rad] turn of the direction from 10 m up to the jet (or 1000 m), clockwise
};

class WindProfile {
 public:
  static constexpr double kMaxSpeed = 200;  // [m/s] the fastest wind a table may give
  static constexpr size_t kMaxRows = 100000;

  // Checks the rows (heights from 0 and increasing, speeds within 0..kMaxSpeed, at least one row);
  // throws InputError with `where` and the reason otherwise.
  static WindProfile fromRows(std::vector<WindRow> rows, const std::string &where);
  // Throws InputError naming the file and line.
  static WindProfile readCsv(const std::filesystem::path &file);
  // The values of a "WindProfile" scenario line; throws InputError naming file and line.
  static WindProfile parseScenarioValues(const std::string &values, const std::string &file,
                                         int line);
  static WindProfile family(const WindFamily &f);

  // Speed [m/s] and from-direction [rad] at height alt [m].
  void at(double alt, double &speed, double &fromDir) const;
  // Wind velocity at height alt in horizon axes [m/s].
  VECTOR3 horizon(double alt) const;

  const std::vector<WindRow> &rows() const { return rows_; }
  // The values of the scenario line: as read from a scenario, otherwise written from the rows.
  std::string scenarioValues() const;

 private:
  std::vector<WindRow> rows_;
  std::vector<double> turn_;  // [rad] from-direction change to the next row, the shorter way
  std::string text_;          // scenario values as read (empty: not from a scenario)
};

}  // namespace sim
