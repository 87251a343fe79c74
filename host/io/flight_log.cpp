// The CSV flight log (see flight_log.h).
#include "io/flight_log.h"

#include <cmath>
#include <cstdio>

#include "VesselAPI.h"
#include "io/output_file.h"
#include "vessel/vessel.h"
#include "world/world.h"

namespace sim {
namespace {

constexpr size_t kBufferSize = 64 * 1024;  // [bytes] rows gathered before a write

// One row being formatted: on the stack, spilling to the heap only for values of hundreds of
// digits (a finite state may hold any double, and a row is never cut).
class RowText {
 public:
  template <typename... Args>
  void put(const char *format, Args... args) {
    if (!spilled_) {
      int n = std::snprintf(fixed_ + used_, sizeof fixed_ - used_, format, args...);
      if (n >= 0 && static_cast<size_t>(n) < sizeof fixed_ - used_) {
        used_ += static_cast<size_t>(n);
        return;
      }
      spill_.assign(fixed_, used_);
      spilled_ = true;
    }
    int n = std::snprintf(nullptr, 0, format, args...);
    if (n <= 0) return;
    size_t old = spill_.size();
    spill_.resize(old + static_cast<size_t>(n) + 1);
    std::snprintf(spill_.data() + old, static_cast<size_t>(n) + 1, format, args...);
    spill_.resize(old + static_cast<size_t>(n));
  }
  const char *data() const { return spilled_ ? spill_.data() : fixed_; }
  size_t size() const { return spilled_ ? spill_.size() : used_; }

 private:
  char fixed_[2048];
  size_t used_ = 0;
  bool spilled_ = false;
  std::string spill_;
};

}  // namespace

FlightLog::FlightLog(OutputFile &out, double interval) : out_(out), interval_(interval) {
  buffer_.reserve(kBufferSize);
}

void FlightLog::append(const char *text, size_t size) {
  if (buffer_.size() + size > kBufferSize) flush();
  buffer_.append(text, size);
}

void FlightLog::flush() {
  if (buffer_.empty()) return;
  out_.write(buffer_);
  buffer_.clear();
}

void FlightLog::header(const Vessel &v) {
  std::string h =
      "time_s,alt_m,lng_deg,lat_deg,gs_east_mps,gs_up_mps,gs_north_mps,pitch_deg,bank_deg,"
      "heading_deg,aoa_deg,slip_deg,rate_pitch_dps,rate_yaw_dps,rate_bank_dps,mass_kg";
  for (size_t i = 0; i < v.def.tanks.size(); i++) h += ",prop" + std::to_string(i) + "_kg";
  h += ",main_level,att_pitch_level,att_yaw_level,att_bank_level,dynp_pa,mach";
  h +=
      ",wind_east_mps,wind_north_mps,wind_up_mps,gust_east_mps,gust_north_mps,gust_up_mps,landed\n";
  append(h.data(), h.size());
  headerWritten_ = true;
}

void FlightLog::sample(const World &w, Vessel &v) {
  double t = w.simTime();
  if (headerWritten_ && t + 1e-9 < static_cast<double>(nextRow_) * interval_) return;
  row(w, v);
  while (static_cast<double>(nextRow_) * interval_ <= t + 1e-9) nextRow_++;
}

void FlightLog::finalRow(const World &w, Vessel &v) {
  if (lastRowTime_ != w.simTime()) row(w, v);
  flush();
}

void FlightLog::row(const World &w, Vessel &v) {
  if (!headerWritten_) header(v);
  lastRowTime_ = w.simTime();
  const SurfaceParams &s = v.sp;
  auto level = [&](THGROUP_TYPE t) {
    int g = v.groupOfType(t);
    return g < 0 ? 0.0 : v.groupLevel(g);
  };
  VECTOR3 w_deg = (v.landed() ? _V(0, 0, 0) : v.st.omega) * DEG;
  RowText row;
  row.put("%.3f,%.3f,%.7f,%.7f,%.4f,%.4f,%.4f,%.4f,%.4f,%.4f,%.4f,%.4f,%.5f,%.5f,%.5f,%.3f",
          w.simTime(), s.alt, s.lng * DEG, s.lat * DEG, s.groundVel_H.x, s.groundVel_H.y,
          s.groundVel_H.z, s.pitch * DEG, s.bank * DEG, std::fmod(s.yaw * DEG + 360.0, 360.0),
          s.aoa * DEG, s.slip * DEG, w_deg.x, w_deg.y, w_deg.z, v.mass());
  for (double m : v.st.tankMass) row.put(",%.3f", m);
  row.put(",%.4f,%.4f,%.4f,%.4f,%.3f,%.4f", level(THGROUP_MAIN),
          level(THGROUP_ATT_PITCHUP) - level(THGROUP_ATT_PITCHDOWN),
          level(THGROUP_ATT_YAWLEFT) - level(THGROUP_ATT_YAWRIGHT),
          level(THGROUP_ATT_BANKRIGHT) - level(THGROUP_ATT_BANKLEFT), s.dynPressure, s.mach);
  VECTOR3 wind_H = mul(s.R_HG, s.wind_G), gust_H = mul(s.R_HG, s.gust_G);  // felt wind and its gust
  row.put(",%.4f,%.4f,%.4f,%.4f,%.4f,%.4f,%d\n", wind_H.x, wind_H.z, wind_H.y, gust_H.x, gust_H.z,
          gust_H.y, v.landed() ? 1 : 0);
  append(row.data(), row.size());
}

}  // namespace sim
