// Navigation modes and their mutual exclusions (KILLROT, PROGRADE, RETROGRADE, NORMAL and
// ANTINORMAL exclude each other; HLEVEL excludes the four orbital-direction modes; HOLDALT
// combines with any). A VESSEL4 module's clbkNavProcess sees the active modes first and says
// which of them the core is still to fly.
//
// KILLROT, each force build, per axis i: the torque that would stop the rotation in one step,
//   tau_x = m (-w_x I_x / dt + (I_y - I_z) w_y w_z)   (and cyclically),
// divided by ten times the matching rotation group's recorded maximum moment and clamped to
// [-1, 1], is added as a transient override to PITCHUP/PITCHDOWN (x), YAWLEFT/YAWRIGHT (y) or
// BANKRIGHT/BANKLEFT (z). The mode switches itself off once |w| < 1e-5 rad/s.
// The attitude holds (HLEVEL, PROGRADE, RETROGRADE, NORMAL, ANTINORMAL) and HOLDALT are in
// navmode_steering.cpp.
#pragma once

class Vessel;

namespace sim {

bool navmodeOn(const Vessel &v, int mode);
bool activateNavmode(Vessel &v, int mode);    // false if already on (or not a mode)
bool deactivateNavmode(Vessel &v, int mode);  // false if already off (or not a mode)
// Adds the navigation modes' transient thruster overrides for a step of length dt.
void applyNavmodes(Vessel &v, double dt);

// The modes beyond KILLROT (navmode_steering.cpp), for the NAVBIT_* flags in bits.
void steerAttitude(Vessel &v, double dt, unsigned bits);
void holdAltitude(Vessel &v);

}  // namespace sim
