// The progress line of a long simhost run on a terminal: simulated time, speed-up (simulated over
// wall-clock time), and the focus vessel's altitude and ground speed, rewritten in place ("\r")
// at most a few times a second, once the run has taken more than a second of wall-clock time.
#pragma once

#include <chrono>
#include <iosfwd>
#include <string>

namespace sim {

// One progress line (without "\r"): t [s], wall [s], altitude [m], ground speed [m/s].
std::string progressText(double simTime, double wallSeconds, double altitude, double speed);

class ProgressLine {
 public:
  ProgressLine(std::ostream &out, bool enabled) : out_(out), enabled_(enabled) {}
  ~ProgressLine() { clear(); }
  ProgressLine(const ProgressLine &) = delete;
  ProgressLine &operator=(const ProgressLine &) = delete;
  // Call after every step; prints when one is due (a clock reading every 64 steps).
  void update(double simTime, double altitude, double speed);
  void clear();  // erases the line, if one was printed

 private:
  using Clock = std::chrono::steady_clock;
  std::ostream &out_;
  bool enabled_;
  bool shown_ = false;
  unsigned steps_ = 0;
  Clock::time_point start_ = Clock::now(), next_ = start_ + std::chrono::seconds(1);
};

}  // namespace sim
