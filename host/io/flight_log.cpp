// The CSV flight log (see flight_log.h).
#include "io/flight_log.h"

#include <cmath>

#include "VesselAPI.h"
#include "vessel/vessel.h"
#include "world/errors.h"
#include "world/world.h"

namespace sim {

FlightLog::FlightLog(const std::filesystem::path &file, double interval) : interval_(interval) {
  out_ = std::fopen(file.c_str(), "w");
  if (!out_) throw InputError("--log: cannot write " + file.string());
}

FlightLog::~FlightLog() {
  if (out_) std::fclose(out_);
}

void FlightLog::header(const Vessel &v) {
  std::fputs(
      "time_s,alt_m,lng_deg,lat_deg,gs_east_mps,gs_up_mps,gs_north_mps,pitch_deg,bank_deg,heading_deg,aoa_deg,"
      "slip_deg,rate_pitch_dps,rate_yaw_dps,rate_bank_dps,mass_kg",
      out_);
  for (size_t i = 0; i < v.def.tanks.size(); i++) std::fprintf(out_, ",prop%zu_kg", i);
  std::fputs(",main_level,att_pitch_level,att_yaw_level,att_bank_level,dynp_pa,mach", out_);
  std::fputs(",wind_east_mps,wind_north_mps,wind_up_mps,gust_east_mps,gust_north_mps,gust_up_mps,landed\n", out_);
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
  std::fflush(out_);
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
  std::fprintf(out_, "%.3f,%.3f,%.7f,%.7f,%.4f,%.4f,%.4f,%.4f,%.4f,%.4f,%.4f,%.4f,%.5f,%.5f,%.5f,%.3f", w.simTime(),
               s.alt, s.lng * DEG, s.lat * DEG, s.groundVel_H.x, s.groundVel_H.y, s.groundVel_H.z, s.pitch * DEG,
               s.bank * DEG, std::fmod(s.yaw * DEG + 360.0, 360.0), s.aoa * DEG, s.slip * DEG, w_deg.x, w_deg.y,
               w_deg.z, v.mass());
  for (double m : v.st.tankMass) std::fprintf(out_, ",%.3f", m);
  std::fprintf(out_, ",%.4f,%.4f,%.4f,%.4f,%.3f,%.4f", level(THGROUP_MAIN),
               level(THGROUP_ATT_PITCHUP) - level(THGROUP_ATT_PITCHDOWN),
               level(THGROUP_ATT_YAWLEFT) - level(THGROUP_ATT_YAWRIGHT),
               level(THGROUP_ATT_BANKRIGHT) - level(THGROUP_ATT_BANKLEFT), s.dynPressure, s.mach);
  VECTOR3 wind_H = mul(s.R_HG, s.wind_G), gust_H = mul(s.R_HG, s.gust_G);  // felt wind and its gust
  std::fprintf(out_, ",%.4f,%.4f,%.4f,%.4f,%.4f,%.4f,%d\n", wind_H.x, wind_H.z, wind_H.y, gust_H.x, gust_H.z,
               gust_H.y, v.landed() ? 1 : 0);
}

}  // namespace sim
