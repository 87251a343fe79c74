// Errors the host reports to its caller.
//
// InputError: bad input (a scenario or configuration file, a module, the command line); the
// message names the file and line or the option. RunError: a failure inside a run (a state that
// became non-finite). Neither is ever thrown through a module's frame: calls made by modules
// record problems in the world's diagnostics instead, and the host raises them afterwards.
#pragma once

#include <stdexcept>
#include <string>

namespace sim {

class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class RunError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "file:line: message"
inline std::string at(const std::string &file, int line, const std::string &msg) {
  return file + ":" + std::to_string(line) + ": " + msg;
}

}  // namespace sim
