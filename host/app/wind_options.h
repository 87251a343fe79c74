// The wind options of simhost run: a profile from a CSV file or from the built-in family, Dryden
// turbulence and its seed.
//
//   --wind-profile FILE          CSV alt_m,speed_mps,from_deg (wind_profile.h)
//   --wind-surface SPEED:FROM    the family: wind at 10 m [m/s] and the direction it blows from
//   [deg]
//   --wind-jet SPEED:ALT[:DEPTH] the family: jet peak [m/s] at ALT [m], DEPTH [m] (default 8000)
//   --wind-veer DEG              the family: turn of the direction from 10 m up to the jet [deg]
//   --turbulence LEVEL           none | light | moderate | severe
//   --seed N                     seed of the turbulence (default 1)
// A profile replaces the scenario's wind; --wind (a constant wind) replaces it too, and cannot be
// combined with a profile. Without these options the scenario's wind is flown as it stands.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "physics/turbulence.h"
#include "physics/wind_profile.h"
#include "world/world.h"

namespace CLI {
class App;
}

namespace sim {

struct WindOptions {
  std::filesystem::path profileFile;
  std::optional<WindFamily> family;
  TurbulenceLevel turbulence = TurbulenceLevel::None;
  std::uint64_t seed = 1;
};

// The options' text as the command line gives it.
struct WindOptionText {
  std::string profile, surface, jet, veer, turbulence;
  std::uint64_t seed = 1;
};

void addWindOptions(CLI::App &run, WindOptionText &text);
// Checks and converts; false with a message naming the option ("simhost: --opt ...\n").
bool readWindOptions(const WindOptionText &text, bool constantWind, WindOptions &o,
                     std::string &err);
// Parsers of the family's values (also used by tests); false with a message.
bool parseJet(const std::string &spec, WindFamily &f, std::string &error);  // SPEED:ALT[:DEPTH]

// Sets the world's wind from the options, after its scenario is loaded (throws InputError for a
// profile file that cannot be read).
void applyWindOptions(World &w, const std::optional<WindSpec> &constant, const WindOptions &o);

}  // namespace sim
