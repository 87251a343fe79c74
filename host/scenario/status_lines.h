// The standard vessel lines of a scenario: the simulator's default parser and writer.
//
// Parsing: each keyword is matched case-insensitively as a prefix, in the simulator's order
// (STATUS, BASE, POS, HEADING, PRPLEVEL, FUEL, THLEVEL, ENGINE_MAIN, ENGINE_HOVR, DOCKINFO, RPOS,
// RVEL, AROT, VROT, ALT, ELEMENTS, IDS, NAVFREQ, XPDR, RCSMODE, AFCMODE, ATTACHED, FLIGHTDATA,
// then the host's GSPEED); unknown lines are ignored. Angles are read in degrees. A malformed
// value (not a number, not finite, an unknown body or base) or one the line cannot mean (a fill
// level outside [0, 1], a latitude or path angle beyond +-90 deg, an ALT above 1e9 m, a GSPEED
// beyond the speed of light) is recorded as an input error naming the file and line, and raised
// by the loader once the module's callback has returned.
// Writing, in the simulator's order and formats: STATUS, then RPOS (m, 3 decimals), RVEL (m/s,
// 4 decimals), AROT (deg, 3 decimals), VROT (deg/s, only if |w|^2 > 1e-8) when orbiting, or POS
// (deg, 7 decimals), HEADING (deg, 2 decimals), ALT (m, 3 decimals) and AROT (horizon-relative)
// when landed; ATTACHED, RCSMODE (if not 1), AFCMODE (if not 0), PRPLEVEL (non-empty tanks,
// 6 decimals), THLEVEL (non-zero permanent levels).
#pragma once

#include "OrbiterAPI.h"
#include "vessel/spawn.h"

class Vessel;

namespace sim {

class ScenarioReader;
struct ShipBlock;

// The spawn whose VESSELSTATUS2 is vs, if vs belongs to a state the host is loading or creating;
// null for a module's own structure (which then gets the standard fields only).
VesselSpawn *spawnOf(const VESSELSTATUS2 *vs);

// Registers a spawn (and the reader whose lines fill it) for the duration of a load or creation.
class SpawnScope {
 public:
  SpawnScope(VesselSpawn &spawn, const ScenarioReader *reader);
  ~SpawnScope();
  SpawnScope(const SpawnScope &) = delete;
  SpawnScope &operator=(const SpawnScope &) = delete;
};

// The default parser: one trimmed line into vs (and its spawn's extension, if any).
void parseStandardLine(Vessel &v, const char *line, VESSELSTATUS2 &vs);

// The default writer: the standard lines of v's present state.
void writeStandardLines(Vessel &v, FILEHANDLE scn);

// The standard keyword a trimmed line starts with (as the parser matches it), or null: a line the
// default parser ignores.
const char *standardKeyword(const char *line);

// Refuses (InputError naming the file and line) a parsed vessel that has no place: no STATUS line
// and no parent, or a flying state below the surface.
void checkPlacement(const std::string &file, const ShipBlock &ship, const VesselSpawn &spawn);

}  // namespace sim
