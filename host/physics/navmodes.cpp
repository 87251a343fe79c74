// Navigation modes (see navmodes.h).
#include "physics/navmodes.h"

#include <algorithm>

#include "vessel/vessel.h"

namespace sim {
namespace {

constexpr unsigned bit(int mode) { return 1u << (mode - 1); }
constexpr unsigned kAttitudeModes =
    NAVBIT_KILLROT | NAVBIT_PROGRADE | NAVBIT_RETROGRADE | NAVBIT_NORMAL | NAVBIT_ANTINORMAL;
constexpr unsigned kOrbitModes = NAVBIT_PROGRADE | NAVBIT_RETROGRADE | NAVBIT_NORMAL | NAVBIT_ANTINORMAL;

bool validMode(int mode) { return mode >= NAVMODE_KILLROT && mode <= NAVMODE_HOLDALT; }

void notify(Vessel &v, int mode, bool active) {
  if (VESSEL2 *cb = v.callbacks()) cb->clbkNavMode(mode, active);
}

void clearModes(Vessel &v, unsigned bits) {
  for (int m = NAVMODE_KILLROT; m <= NAVMODE_HOLDALT; m++)
    if ((bits & bit(m)) && (v.st.navBits & bit(m))) {
      v.systems().navBits &= ~bit(m);
      notify(v, m, false);
    }
}

void addOverride(Vessel &v, THGROUP_TYPE type, double level) {
  int g = v.groupOfType(type);
  if (g < 0) return;
  for (int th : v.def.groups[g].members) v.systems().thrusters[th].override_ += level;
}

void killAxis(Vessel &v, double torque, THGROUP_TYPE positive, THGROUP_TYPE negative) {
  THGROUP_TYPE type = torque > 0 ? positive : negative;
  int g = v.groupOfType(type);
  if (g < 0 || v.def.groups[g].maxMoment <= 0) return;
  double cmd = std::clamp(torque / (10.0 * v.def.groups[g].maxMoment), -1.0, 1.0);
  addOverride(v, type, std::fabs(cmd));
}

}  // namespace

void killRotation(Vessel &v, double dt);

bool navmodeOn(const Vessel &v, int mode) { return validMode(mode) && (v.st.navBits & bit(mode)); }

bool activateNavmode(Vessel &v, int mode) {
  if (!validMode(mode) || (v.st.navBits & bit(mode))) return false;
  if (kAttitudeModes & bit(mode)) clearModes(v, kAttitudeModes & ~bit(mode));
  if (mode == NAVMODE_HLEVEL) clearModes(v, kOrbitModes);
  v.systems().navBits |= bit(mode);
  if (mode == NAVMODE_HOLDALT) v.systems().holdAltitude = v.sp.alt;  // the altitude to hold
  notify(v, mode, true);
  return true;
}

bool deactivateNavmode(Vessel &v, int mode) {
  if (!validMode(mode) || !(v.st.navBits & bit(mode))) return false;
  v.systems().navBits &= ~bit(mode);
  notify(v, mode, false);
  return true;
}

void applyNavmodes(Vessel &v, double dt) {
  unsigned bits = v.st.navBits;
  if (!bits) return;
  if (VESSEL4 *cb = v.callbacks4()) bits &= static_cast<unsigned>(cb->clbkNavProcess(static_cast<int>(bits)));
  if (bits & NAVBIT_KILLROT) killRotation(v, dt);
  if (bits & (NAVBIT_HLEVEL | kOrbitModes)) steerAttitude(v, dt, bits);
  if (bits & NAVBIT_HOLDALT) holdAltitude(v);
}

void killRotation(Vessel &v, double dt) {
  const VECTOR3 &w = v.st.omega;
  if (length(w) < 1e-5) {
    deactivateNavmode(v, NAVMODE_KILLROT);
    return;
  }
  const VECTOR3 &I = v.def.pmi;
  double m = v.mass();
  VECTOR3 tau = _V(m * (-w.x * I.x / dt + (I.y - I.z) * w.y * w.z), m * (-w.y * I.y / dt + (I.z - I.x) * w.z * w.x),
                   m * (-w.z * I.z / dt + (I.x - I.y) * w.x * w.y));
  killAxis(v, tau.x, THGROUP_ATT_PITCHUP, THGROUP_ATT_PITCHDOWN);
  killAxis(v, tau.y, THGROUP_ATT_YAWLEFT, THGROUP_ATT_YAWRIGHT);
  killAxis(v, tau.z, THGROUP_ATT_BANKRIGHT, THGROUP_ATT_BANKLEFT);
}

}  // namespace sim
