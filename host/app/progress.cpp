// The progress line of a run (see progress.h).
#include "app/progress.h"

#include <cstdio>
#include <ostream>

namespace sim {
namespace {

constexpr unsigned kStepsPerClockReading = 64;
constexpr auto kInterval = std::chrono::milliseconds(250);

}  // namespace

std::string progressText(double simTime, double wallSeconds, double altitude, double speed) {
  char buf[160];
  double speedUp = wallSeconds > 0 ? simTime / wallSeconds : 0;
  std::snprintf(buf, sizeof buf, "  t %.0f s  (x%.0f)  alt %.0f m  speed %.0f m/s", simTime,
                speedUp, altitude, speed);
  return buf;
}

void ProgressLine::update(double simTime, double altitude, double speed) {
  if (!enabled_ || ++steps_ % kStepsPerClockReading != 0) return;
  Clock::time_point now = Clock::now();
  if (now < next_) return;
  next_ = now + kInterval;
  double wall = std::chrono::duration<double>(now - start_).count();
  std::string text = progressText(simTime, wall, altitude, speed);
  out_ << "\r" << text << std::string(text.size() < 70 ? 70 - text.size() : 0, ' ') << std::flush;
  shown_ = true;
}

void ProgressLine::clear() {
  if (!shown_) return;
  out_ << "\r" << std::string(72, ' ') << "\r" << std::flush;
  shown_ = false;
}

}  // namespace sim
