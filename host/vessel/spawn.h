// A vessel's initial state: the simulator's VESSELSTATUS2 plus the host's extensions.
//
// The scenario parser fills one of these from a vessel's standard lines; tests and run-time
// creation build one directly. Extensions: the hand-written "flying" state (position, altitude,
// ground track, ground speed and path angle, optionally an attitude relative to the horizon), the
// attachment to a parent named in the scenario, and the lines VESSELSTATUS2 has no field for.
// Units: m, m/s, rad, rad/s; rpos/rvel relative to the reference body in global axes.
#pragma once

#include <string>
#include <vector>

#include "OrbiterAPI.h"

namespace sim {

struct SpawnExtension {
  bool hasArot = false;  // AROT given (landed and flying: relative to the horizon)
  bool hasAlt = false;   // ALT given
  bool hasVrot = false;  // VROT given
  VECTOR3 vrot{};        // [rad/s] VROT (VESSELSTATUS2 shares vrot.x with ALT)

  // "STATUS Flying": position (surf_lng, surf_lat, alt), ground track surf_hdg, ground speed and
  // path angle; the attitude from arot (horizon-relative) if given, else +z along the motion.
  bool flying = false;
  double alt = 0;          // [m] above the mean radius
  double groundSpeed = 0;  // [m/s]
  double pathAngle = 0;    // [rad] above the horizontal

  // "ATTACHED ci:pi,parent"
  bool attached = false;
  int attachOwnIndex = 0;     // index in this vessel's parent-side attachment list
  int attachParentIndex = 0;  // index in the parent's child-side attachment list
  std::string attachParent;

  double legacyFuel = -1;  // "FUEL f": the same fraction for every tank (-1: not given)
  int rcsMode = -1;        // "RCSMODE n" (-1: not given)
  int afcMode = -1;        // "AFCMODE n" (-1: not given)
};

struct VesselSpawn {
  VESSELSTATUS2 vs{};  // version 2; fuel and thruster lists point into the vectors below
  std::vector<VESSELSTATUS2::FUELSPEC> fuel;
  std::vector<VESSELSTATUS2::THRUSTSPEC> thrusters;
  SpawnExtension ext;

  VesselSpawn() { vs.version = 2; }
  VesselSpawn(const VesselSpawn &o) : vs(o.vs), fuel(o.fuel), thrusters(o.thrusters), ext(o.ext) { relink(); }
  VesselSpawn &operator=(const VesselSpawn &o) {
    vs = o.vs, fuel = o.fuel, thrusters = o.thrusters, ext = o.ext;
    relink();
    return *this;
  }
  // Points the VESSELSTATUS2 lists at the vectors (after either changes).
  void relink() {
    vs.nfuel = static_cast<DWORD>(fuel.size());
    vs.fuel = fuel.empty() ? nullptr : fuel.data();
    vs.nthruster = static_cast<DWORD>(thrusters.size());
    vs.thruster = thrusters.empty() ? nullptr : thrusters.data();
  }
};

}  // namespace sim
