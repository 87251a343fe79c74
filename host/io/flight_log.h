// The CSV flight log of one vessel: one row at the start and then one per interval, with the
// units in the column names (m, deg, m/s, deg/s, kg, Pa); before the last (landed) the wind the
// vessel feels (mean wind plus gust) and its gust part, east, north and up [m/s]. Rows are
// formatted on the stack into a buffer reserved once and written out only at row boundaries, so
// the file always ends at a whole row (also when the run is cut short) and logging allocates
// nothing per step.
#pragma once

#include <string>

class Vessel;

namespace sim {

class World;
class OutputFile;

class FlightLog {
 public:
  FlightLog(OutputFile &out, double interval);
  FlightLog(const FlightLog &) = delete;
  FlightLog &operator=(const FlightLog &) = delete;
  // Writes a row for v if one is due at the world's present time (always the first time).
  void sample(const World &w, Vessel &v);
  void row(const World &w, Vessel &v);
  // The row of the final state, unless the last row written is of this very time; then flush.
  void finalRow(const World &w, Vessel &v);
  // Writes the buffered rows to the file (OutputError if it cannot).
  void flush();

 private:
  void header(const Vessel &v);
  void append(const char *text, size_t size);
  OutputFile &out_;
  std::string buffer_;  // whole rows not yet written
  double interval_;
  long long nextRow_ = 0;  // index of the next row due (row k at time k * interval)
  bool headerWritten_ = false;
  double lastRowTime_ = -1;
};

}  // namespace sim
