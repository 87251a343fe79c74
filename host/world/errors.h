// Errors the host reports to its caller.
//
// InputError: bad input (a scenario or configuration file, a module, the command line); the
// message names the file and line or the option. RunError: a failure inside a run (a state that
// became non-finite or too large to measure). Neither is ever thrown through a module's frame:
// calls made by modules record problems in the world's diagnostics instead, and the host raises
// them afterwards.
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

// A step left a finite state too large to measure (see stateMeasurable): the flight cannot go on,
// and a scenario saved from it would not load. Raised by a step, never by a module's fault.
class UnmeasurableState : public RunError {
 public:
  using RunError::RunError;
};

// "file:line: message"
inline std::string at(const std::string &file, int line, const std::string &msg) {
  return file + ":" + std::to_string(line) + ": " + msg;
}

}  // namespace sim
