// Scripted controls on simhost's command line and in control files.
//
//   --control T:GROUP:LEVEL   a thruster group's level 0-1 from time T [s] (GROUP: main, retro,
//                             hover, pitchup, pitchdown, yawleft, yawright, bankleft, bankright,
//                             right, left, up, down, forward, back)
//   --navmode T:NAME[:off]    a navigation mode on (or off) at T (NAME: killrot, hlevel, prograde,
//                             retrograde, normal, antinormal, holdalt)
//   --controls FILE           the same as lines "T GROUP LEVEL" and "T navmode NAME [off]";
//                             '#' or ';' starts a comment, blank lines are skipped
// Names are case-insensitive. A malformed entry is refused with a message naming the option, or
// the file and line.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "physics/core_controls.h"

namespace CLI {
class App;
}

namespace sim {

bool parseControlSpec(const std::string &spec, ControlEvent &e, std::string &error);  // T:GROUP:LEVEL
bool parseNavmodeSpec(const std::string &spec, ControlEvent &e, std::string &error);  // T:NAME[:off]
// One line of a control file (already stripped of its comment); false with a message on error.
bool parseControlLine(const std::string &line, ControlEvent &e, std::string &error);
// Every event of a control file; throws InputError naming the file and line.
std::vector<ControlEvent> readControlsFile(const std::filesystem::path &file);

// The options on the run subcommand, and their values turned into events once parsed (false and
// a message naming the option on error).
struct ControlOptionText {
  std::vector<std::string> controls, navmodes, files;
};
void addControlOptions(CLI::App &run, ControlOptionText &text);
bool controlEvents(const ControlOptionText &text, std::vector<ControlEvent> &events, std::string &error);

}  // namespace sim
