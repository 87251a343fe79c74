// Reading scenario files (see document.h).
#include "scenario/document.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "world/errors.h"
#include "world/text.h"

namespace sim {
namespace {

constexpr double kMaxMjd = 1e7;  // [days] some 27000 years either side of the MJD epoch

std::string upper(std::string s) {
  for (char &c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// A section line's keyword and the trimmed rest of it.
void keywordAndRest(const SourceLine &l, std::string &key, std::string &rest) {
  std::istringstream in(trimScenarioLine(l.text));
  key.clear(), rest.clear();
  in >> key;
  std::getline(in, rest);
  rest = trim(rest);
}

void readEnvironment(ScenarioDocument &d, const ScenarioSection &s) {
  std::string key, rest;
  for (const SourceLine &l : s.lines) {
    keywordAndRest(l, key, rest);
    if (equalsNoCase(key, "System")) {
      d.system = rest;
    } else if (equalsNoCase(key, "Date")) {
      std::istringstream r(rest);
      std::string kind, value;
      r >> kind >> value;
      double x;
      if (!parseNumber(value, x)) throw InputError(at(d.file, l.number, "Date: expected MJD or JD and a number"));
      if (equalsNoCase(kind, "MJD"))
        d.mjd = x;
      else if (equalsNoCase(kind, "JD"))
        d.mjd = x - 2400000.5;
      else
        throw InputError(at(d.file, l.number, "Date: expected MJD or JD, got \"" + kind + "\""));
      // The bodies' positions follow from the time since the epoch: keep it within reach.
      if (std::fabs(d.mjd) > kMaxMjd) throw InputError(at(d.file, l.number, "Date: out of range"));
    } else if (equalsNoCase(key, "Wind")) {
      std::vector<double> n;
      if (!parseNumbers(rest, n) || n.size() != 2 || n[0] < 0)
        throw InputError(at(d.file, l.number, "Wind: expected SPEED (m/s, not negative) and FROM-DIRECTION (deg)"));
      d.hasWind = true;
      d.windSpeed = n[0];
      d.windFromDeg = n[1];
      d.windLine = l.number;
    } else if (equalsNoCase(key, "WindProfile")) {
      d.windProfile = WindProfile::parseScenarioValues(rest, d.file, l.number);
      d.windProfileLine = l.number;
    }
  }
  if (d.hasWind && d.windProfile)
    throw InputError(at(d.file, std::max(d.windLine, d.windProfileLine),
                        "Wind and WindProfile: give the wind by one of them"));
}

void readFocus(ScenarioDocument &d, const ScenarioSection &s) {
  std::string key, rest;
  for (const SourceLine &l : s.lines) {
    keywordAndRest(l, key, rest);
    if (equalsNoCase(key, "Ship")) d.focus = rest, d.focusLine = l.number;
  }
}

std::vector<SourceLine> numberedLines(const std::string &text) {
  std::vector<SourceLine> lines;
  std::istringstream in(text);
  std::string raw;
  int n = 0;
  while (std::getline(in, raw)) {
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    lines.push_back({++n, raw});
  }
  return lines;
}

// One vessel block from its NAME:CLASS line at lines[i] to its END; i moves past it (or stops at
// the section's end line, which belongs to the caller).
ShipBlock readShip(const std::vector<SourceLine> &lines, size_t &i, const std::string &sectionEnd,
                   const std::string &fileName) {
  std::string l = trimScenarioLine(lines[i].text);
  ShipBlock ship;
  ship.line = lines[i].number;
  size_t colon = l.find(':');
  ship.name = colon == std::string::npos ? l : l.substr(0, colon);
  ship.className = colon == std::string::npos ? l : l.substr(colon + 1);
  if (ship.name.empty() || ship.className.empty())
    throw InputError(at(fileName, ship.line, "vessel line needs NAME or NAME:CLASS"));
  if (ship.name != trim(ship.name) || ship.className != trim(ship.className))
    throw InputError(at(fileName, ship.line, "no blanks allowed around ':' in \"" + l + "\""));
  for (i++; i < lines.size(); i++) {
    std::string bl = trimScenarioLine(lines[i].text);
    if (equalsNoCase(bl, "END")) {
      i++;
      return ship;
    }
    if (equalsNoCase(bl, sectionEnd)) break;
    ship.lines.push_back(lines[i]);
  }
  throw InputError(at(fileName, ship.line, "vessel \"" + ship.name + "\" has no END line"));
}

// The lines of a section after its BEGIN line, up to its END line; i moves past the END line.
// The ships' section holds vessel blocks instead of lines. False if the section never ends.
bool readSectionBody(ScenarioDocument &d, ScenarioSection &s, const std::vector<SourceLine> &lines,
                     size_t &i) {
  std::string end = "END_" + s.name;
  while (i < lines.size()) {
    std::string l = trimScenarioLine(lines[i].text);
    if (equalsNoCase(l, end)) {
      i++;
      return true;
    }
    if (s.name != "SHIPS") {
      s.lines.push_back(lines[i++]);
    } else if (l.empty()) {
      i++;
    } else {
      d.ships.push_back(readShip(lines, i, end, d.file));
    }
  }
  return false;
}

}  // namespace

ScenarioDocument ScenarioDocument::read(const std::filesystem::path &file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw InputError(file.string() + ": cannot open scenario file");
  std::stringstream ss;
  ss << in.rdbuf();
  return parse(ss.str(), file.string());
}

ScenarioDocument ScenarioDocument::parse(const std::string &text, const std::string &fileName) {
  ScenarioDocument d;
  d.file = fileName;
  std::vector<SourceLine> lines = numberedLines(text);
  size_t i = 0;
  while (i < lines.size()) {
    std::string t = trimScenarioLine(lines[i].text);
    std::string u = upper(t);
    if (u.rfind("BEGIN_", 0) != 0) {
      if (!t.empty() && !d.sections.empty())
        throw InputError(at(fileName, lines[i].number, "unexpected line outside a section: \"" + t + "\""));
      if (d.sections.empty()) d.header.push_back(lines[i].text);
      i++;
      continue;
    }
    std::string name = u.substr(6);
    size_t sp = name.find_first_of(" \t");
    if (sp != std::string::npos) name = name.substr(0, sp);  // e.g. "BEGIN_MFD Left"
    ScenarioSection s{name, lines[i].number, {}};
    s.lines.push_back({0, lines[i].text});  // the BEGIN line itself, verbatim (index 0)
    i++;
    if (!readSectionBody(d, s, lines, i)) {
      std::string what = "BEGIN_" + name;
      what += " without END_";
      what += name;
      throw InputError(at(fileName, s.line, what));
    }
    if (name == "ENVIRONMENT") readEnvironment(d, s);
    if (name == "FOCUS") readFocus(d, s);
    d.sections.push_back(std::move(s));
  }
  bool environment = false;
  for (const ScenarioSection &s : d.sections) environment = environment || s.name == "ENVIRONMENT";
  // Plain text, an empty file or random bytes read as header lines only: not a scenario.
  if (d.ships.empty() && !environment)
    throw InputError(fileName +
                     ": not a scenario: no vessel (BEGIN_SHIPS ... END_SHIPS) and no "
                     "BEGIN_ENVIRONMENT section");
  return d;
}

}  // namespace sim
