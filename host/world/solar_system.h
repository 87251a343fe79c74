// Reading the celestial bodies and surface bases from the data root.
//
// Config/Sol.cfg lists the bodies: "Star1 = Sun", "Planet1 = Earth", "Earth:Moon1 = Moon".
// Each body has Config/NAME.cfg with Mass [kg], Size [m] (mean radius), and for planets and moons
// SidRotPeriod [s], SidRotOffset [rad], Obliquity [rad], OrbitRadius [m], OrbitLongitude [deg, at
// MJD 51544.5], OrbitInclination [deg], OrbitNode [deg], optionally "Atmosphere = Earth".
// Bases: Config/NAME/Base/*.cfg, first line BASE-V2.0, "Name = ...", "Location = lng lat" [deg].
#pragma once

#include <filesystem>

namespace sim {

class World;

// Adds the bodies and bases of the data root's configuration to w; throws InputError (file:line).
void loadSolarSystem(World &w, const std::filesystem::path &configDir);

}  // namespace sim
