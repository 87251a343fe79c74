// Scripted controls (see controls_file.h).
#include "app/controls_file.h"

#include <CLI/CLI.hpp>
#include <fstream>
#include <sstream>

#include "world/errors.h"
#include "world/text.h"

namespace sim {
namespace {

bool parseTime(const std::string &s, double &t) { return parseNumber(s, t) && t >= 0; }

bool groupEvent(const std::string &time, const std::string &group, const std::string &level, ControlEvent &e,
                std::string &error) {
  e = ControlEvent{};
  e.kind = ControlEvent::Kind::GroupLevel;
  if (!parseTime(time, e.time)) return error = "the time must be a number of seconds, not negative", false;
  if (!groupByName(group, e.group))
    return error = "unknown thruster group \"" + group +
                   "\" (main, retro, hover, pitchup, pitchdown, yawleft, yawright, bankleft, bankright, right, "
                   "left, up, down, forward, back)",
           false;
  if (!parseNumber(level, e.level) || e.level < 0 || e.level > 1)
    return error = "the level must be a number from 0 to 1, not \"" + level + "\"", false;
  return true;
}

bool navmodeEvent(const std::string &time, const std::string &name, const std::string &state, ControlEvent &e,
                  std::string &error) {
  e = ControlEvent{};
  e.kind = ControlEvent::Kind::Navmode;
  if (!parseTime(time, e.time)) return error = "the time must be a number of seconds, not negative", false;
  if (!navmodeByName(name, e.navmode))
    return error = "unknown navigation mode \"" + name +
                   "\" (killrot, hlevel, prograde, retrograde, normal, antinormal, holdalt)",
           false;
  if (!state.empty() && !equalsNoCase(state, "off") && !equalsNoCase(state, "on"))
    return error = "only \"off\" (or \"on\") may follow the mode, not \"" + state + "\"", false;
  e.on = !equalsNoCase(state, "off");
  return true;
}

std::vector<std::string> split(const std::string &s, char sep) {
  std::vector<std::string> parts;
  std::stringstream ss(s);
  for (std::string p; std::getline(ss, p, sep);) parts.push_back(p);
  if (!s.empty() && s.back() == sep) parts.push_back("");
  return parts;
}

}  // namespace

bool parseControlSpec(const std::string &spec, ControlEvent &e, std::string &error) {
  std::vector<std::string> p = split(spec, ':');
  if (p.size() != 3) return error = "\"" + spec + "\": expected T:GROUP:LEVEL", false;
  if (!groupEvent(p[0], p[1], p[2], e, error)) return error = "\"" + spec + "\": " + error, false;
  return true;
}

bool parseNavmodeSpec(const std::string &spec, ControlEvent &e, std::string &error) {
  std::vector<std::string> p = split(spec, ':');
  if (p.size() != 2 && p.size() != 3) return error = "\"" + spec + "\": expected T:NAME[:off]", false;
  if (!navmodeEvent(p[0], p[1], p.size() == 3 ? p[2] : "", e, error))
    return error = "\"" + spec + "\": " + error, false;
  return true;
}

bool parseControlLine(const std::string &line, ControlEvent &e, std::string &error) {
  std::istringstream in(line);
  std::vector<std::string> w;
  for (std::string t; in >> t;) w.push_back(t);
  if (w.size() >= 2 && equalsNoCase(w[1], "navmode")) {
    if (w.size() != 3 && w.size() != 4) return error = "expected \"T navmode NAME [off]\"", false;
    return navmodeEvent(w[0], w[2], w.size() == 4 ? w[3] : "", e, error);
  }
  if (w.size() != 3) return error = "expected \"T GROUP LEVEL\" or \"T navmode NAME [off]\"", false;
  return groupEvent(w[0], w[1], w[2], e, error);
}

std::vector<ControlEvent> readControlsFile(const std::filesystem::path &file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw InputError(file.string() + ": cannot read the control file");
  std::vector<ControlEvent> events;
  std::string line, error;
  for (int number = 1; std::getline(in, line); number++) {
    size_t comment = line.find_first_of("#;");
    if (comment != std::string::npos) line.resize(comment);
    if (trim(line).empty()) continue;
    ControlEvent e;
    if (!parseControlLine(line, e, error)) throw InputError(at(file.string(), number, error));
    events.push_back(e);
  }
  return events;
}

void addControlOptions(CLI::App &run, ControlOptionText &text) {
  run.add_option("--control", text.controls,
                 "T:GROUP:LEVEL: set a thruster group of the focus vessel to LEVEL (0-1) at time T and keep it "
                 "there (main, retro, hover, pitchup, pitchdown, yawleft, yawright, bankleft, bankright, right, "
                 "left, up, down, forward, back)")
      ->take_all();
  run.add_option("--navmode", text.navmodes,
                 "T:NAME[:off]: switch a navigation mode of the focus vessel on (or off) at time T (killrot, "
                 "hlevel, prograde, retrograde, normal, antinormal, holdalt)")
      ->take_all();
  run.add_option("--controls", text.files,
                 "FILE: scripted controls, lines \"T GROUP LEVEL\" and \"T navmode NAME [off]\" ('#' starts a "
                 "comment)")
      ->take_all();
}

bool controlEvents(const ControlOptionText &text, std::vector<ControlEvent> &events, std::string &error) {
  for (const std::string &s : text.controls) {
    ControlEvent e;
    if (!parseControlSpec(s, e, error)) return error = "--control " + error, false;
    events.push_back(e);
  }
  for (const std::string &s : text.navmodes) {
    ControlEvent e;
    if (!parseNavmodeSpec(s, e, error)) return error = "--navmode " + error, false;
    events.push_back(e);
  }
  for (const std::string &f : text.files) {
    try {
      std::vector<ControlEvent> fromFile = readControlsFile(f);
      events.insert(events.end(), fromFile.begin(), fromFile.end());
    } catch (const InputError &e) {
      return error = std::string("--controls ") + e.what(), false;
    }
  }
  return true;
}

}  // namespace sim
