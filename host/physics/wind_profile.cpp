// The mean wind by height (see wind_profile.h).
#include "physics/wind_profile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "world/errors.h"
#include "world/text.h"

namespace sim {
namespace {

constexpr double kSurfaceLayerTop = 1000;  // [m] the power law holds up to here
constexpr double kPowerLawExponent = 1.0 / 7.0;
constexpr double kReferenceHeight = 10;  // [m] where the surface wind is given

// The angle wrapped onto [-pi, pi).
double wrapPi(double a) { return a - PI2 * std::floor((a + PI) / PI2); }

bool isHeader(const std::string &line) {
  std::vector<std::string> cells;
  std::stringstream ss(line);
  for (std::string c; std::getline(ss, c, ',');) cells.push_back(trim(c));
  return cells.size() == 3 && equalsNoCase(cells[0], "alt_m") &&
         equalsNoCase(cells[1], "speed_mps") && equalsNoCase(cells[2], "from_deg");
}

// Three comma-separated numbers; false otherwise.
bool parseRow(const std::string &line, WindRow &row) {
  std::vector<std::string> cells;
  std::stringstream ss(line);
  for (std::string c; std::getline(ss, c, ',');) cells.push_back(c);
  if (line.back() == ',') cells.push_back("");
  double from;
  if (cells.size() != 3 || !parseNumber(cells[0], row.alt) || !parseNumber(cells[1], row.speed) ||
      !parseNumber(cells[2], from))
    return false;
  row.fromDir = from * RAD;
  return true;
}

// Why a row cannot follow the previous one (or stand first); empty if it can.
std::string rowProblem(const WindRow &r, const WindRow *previous) {
  if (r.alt < 0) return "the height must not be negative";
  if (previous && !(r.alt > previous->alt)) return "the heights must increase from row to row";
  if (r.speed < 0 || r.speed > WindProfile::kMaxSpeed)
    return "the speed must lie between 0 and 200 m/s";
  if (std::fabs(r.fromDir) > 1e6 * RAD) return "the direction must lie within +-1e6 degrees";
  return {};
}

double familySpeed(const WindFamily &f, double h) {
  double layer = std::clamp(h, 0.0, kSurfaceLayerTop) / kReferenceHeight;
  double s = f.surfaceSpeed * std::pow(layer, kPowerLawExponent);
  if (!f.hasJet) return s;
  double x = (h - f.jetAlt) / f.jetDepth;
  double b = std::exp(-4.0 * std::log(2.0) * x * x);
  return s + (f.jetSpeed - s) * b;
}

double familyFrom(const WindFamily &f, double h) {
  double top = f.hasJet ? f.jetAlt : kSurfaceLayerTop;
  double share = top > kReferenceHeight
                     ? std::clamp((h - kReferenceHeight) / (top - kReferenceHeight), 0.0, 1.0)
                     : (h >= top ? 1.0 : 0.0);
  return f.surfaceFrom + f.veer * share;
}

}  // namespace

WindProfile WindProfile::fromRows(std::vector<WindRow> rows, const std::string &where) {
  if (rows.empty()) throw InputError(where + ": no rows");
  for (size_t i = 0; i < rows.size(); i++) {
    std::string why = rowProblem(rows[i], i ? &rows[i - 1] : nullptr);
    if (!why.empty()) throw InputError(where + ": row " + std::to_string(i + 1) + ": " + why);
  }
  WindProfile p;
  p.rows_ = std::move(rows);
  p.turn_.resize(p.rows_.size(), 0.0);
  for (size_t i = 0; i + 1 < p.rows_.size(); i++)
    p.turn_[i] = wrapPi(p.rows_[i + 1].fromDir - p.rows_[i].fromDir);
  return p;
}

WindProfile WindProfile::readCsv(const std::filesystem::path &file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw InputError(file.string() + ": cannot open the wind profile");
  std::vector<WindRow> rows;
  bool header = false;
  int number = 0;
  for (std::string raw; std::getline(in, raw);) {
    number++;
    std::string line = trim(raw);
    if (line.empty() || line[0] == '#') continue;
    auto fail = [&](const std::string &why) {
      throw InputError(sim::at(file.string(), number, why));
    };
    if (!header) {
      if (!isHeader(line)) fail("expected the header alt_m,speed_mps,from_deg");
      header = true;
      continue;
    }
    WindRow r;
    if (!parseRow(line, r)) fail("expected three numbers: alt_m,speed_mps,from_deg");
    std::string why = rowProblem(r, rows.empty() ? nullptr : &rows.back());
    if (!why.empty()) fail(why);
    if (rows.size() == kMaxRows) fail("more than 100000 rows");
    rows.push_back(r);
  }
  if (!header)
    throw InputError(file.string() +
                     ": empty wind profile: expected the header alt_m,speed_mps,from_deg");
  if (rows.empty()) throw InputError(sim::at(file.string(), number, "no rows after the header"));
  return fromRows(std::move(rows), file.string());
}

WindProfile WindProfile::parseScenarioValues(const std::string &values, const std::string &file,
                                             int line) {
  std::vector<double> n;
  const std::string what =
      "WindProfile: expected HEIGHT SPEED FROM-DIRECTION (m, m/s, deg), repeated by height";
  if (!parseNumbers(values, n) || n.empty() || n.size() % 3 != 0 || n.size() / 3 > kMaxRows)
    throw InputError(sim::at(file, line, what));
  std::vector<WindRow> rows;
  for (size_t i = 0; i < n.size(); i += 3) rows.push_back({n[i], n[i + 1], n[i + 2] * RAD});
  WindProfile p = fromRows(std::move(rows), sim::at(file, line, "WindProfile"));
  p.text_ = trim(values);
  return p;
}

WindProfile WindProfile::family(const WindFamily &f) {
  std::vector<double> heights = {0,  1,  2,  3,   5,   7,   10,  15,  20,
                                 30, 50, 70, 100, 150, 200, 300, 500, 700};
  for (double h = 1000; h <= 30000; h += 250) heights.push_back(h);
  if (f.hasJet && f.jetAlt > 0) heights.push_back(f.jetAlt);
  std::sort(heights.begin(), heights.end());
  heights.erase(std::unique(heights.begin(), heights.end()), heights.end());
  std::vector<WindRow> rows;
  for (double h : heights) {
    double from = std::fmod(familyFrom(f, h), PI2);
    rows.push_back(
        {h, std::clamp(familySpeed(f, h), 0.0, kMaxSpeed), from < 0 ? from + PI2 : from});
  }
  return fromRows(std::move(rows), "wind family");
}

void WindProfile::at(double alt, double &speed, double &fromDir) const {
  auto above = std::upper_bound(rows_.begin(), rows_.end(), alt,
                                [](double a, const WindRow &r) { return a < r.alt; });
  if (above == rows_.begin() || above == rows_.end()) {
    const WindRow &r = above == rows_.begin() ? rows_.front() : rows_.back();
    speed = r.speed, fromDir = r.fromDir;
    return;
  }
  size_t i = static_cast<size_t>(above - rows_.begin()) - 1;
  const WindRow &a = rows_[i], &b = rows_[i + 1];
  double f = (alt - a.alt) / (b.alt - a.alt);
  speed = a.speed + f * (b.speed - a.speed);
  fromDir = a.fromDir + f * turn_[i];
}

VECTOR3 WindProfile::horizon(double alt) const {
  double speed, from;
  at(alt, speed, from);
  return _V(-speed * std::sin(from), 0.0, -speed * std::cos(from));
}

std::string WindProfile::scenarioValues() const {
  if (!text_.empty()) return text_;
  std::string out;
  char buf[96];
  for (const WindRow &r : rows_) {
    std::snprintf(buf, sizeof buf, "%s%.10g %.9g %.9g", out.empty() ? "" : "  ", r.alt, r.speed,
                  r.fromDir * DEG);
    out += buf;
  }
  return out;
}

}  // namespace sim
