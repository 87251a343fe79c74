// Earth's atmosphere: temperature, pressure and density over geometric altitude.
//
// Below 85 km the 1976 standard atmosphere as the simulator's default model codes it: geopotential
// height h = z * 6369 / (z + 6369) km; density from the standard layer formulas with base heights
// 0/11/20/32/47/51/71 km and sea-level density 1.2247 kg/m^3; temperature from the same lapse
// rates but switching layers at 12/21/33/48/52/72 km (a quirk of that model, kept because the
// booster's guidance was tuned against it); pressure p = rho Rp T. From 85 to 90 km an isothermal
// barometric layer at 188 K; above 90 km the standard atmosphere's tabulated densities and
// temperatures, interpolated log-linearly, up to the top of the atmosphere.
// Units: altitude [m] above the mean radius, T [K], p [Pa], rho [kg/m^3].
#pragma once

#include <cmath>

namespace sim {

struct AtmosphereState {
  double temperature = 0;  // [K]
  double pressure = 0;     // [Pa]
  double density = 0;      // [kg/m^3]
};

class EarthAtmosphere {
 public:
  static constexpr double kGamma = 1.4;        // ratio of specific heats
  static constexpr double kGasConstant = 286.91;  // [J/(kg K)] for the speed of sound
  static constexpr double kTop = 1000e3;       // [m] top of the atmosphere

  // State at altitude alt [m]; zero density and pressure at and above the top.
  static AtmosphereState at(double alt);
  static double speedOfSound(double temperature) { return std::sqrt(kGamma * kGasConstant * temperature); }
};

}  // namespace sim
