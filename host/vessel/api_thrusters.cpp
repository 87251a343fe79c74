// VESSEL: thrusters, thruster groups, exhaust flames and particle streams.
//
// Pressure factor of a thruster: eta = (isp0 - isp_ref) / (p_ref isp0) if isp_ref > 0, else 0;
// thrust and Isp at ambient pressure p are scaled by max(0, 1 - p eta). A non-positive isp0 falls
// back to the default 5e4 m/s. Default group types are fixed slots: creating one replaces the
// slot's members and returns the same handle every time; a rotation group records its maximum
// angular moment |sum maxth0 dir x pos| for the navigation modes.
#include <algorithm>

#include "vessel/api_entry.h"
#include "world/world.h"

namespace {

constexpr double kDefaultIsp = 5e4;  // [m/s]

bool isRotationGroup(int type) { return type >= THGROUP_ATT_PITCHUP && type <= THGROUP_ATT_BANKRIGHT; }

void deleteThrusters(Vessel &v, const std::vector<int> &members) {
  for (int th : members) {
    v.def.thrusters[th].deleted = true;
    v.systems().thrusters[th] = {};
    for (sim::GroupDef &g : v.def.groups) std::erase(g.members, th);
  }
}

// Empties (default slot) or removes (user group) group g; deletes its thrusters if asked.
void deleteGroup(Vessel &v, int g, bool delth) {
  std::vector<int> members = v.def.groups[g].members;
  v.def.groups[g].members.clear();
  v.def.groups[g].maxMoment = 0;
  if (g >= sim::kDefaultGroupSlots) v.def.groups[g].exists = false;
  if (delth) deleteThrusters(v, members);
}

double ambientPressure(const Vessel &v) { return v.sp.inAtmosphere ? v.sp.atm.pressure : 0.0; }

}  // namespace

// --- thrusters --------------------------------------------------------------------------------

THRUSTER_HANDLE VESSEL::CreateThruster(const VECTOR3 &pos, const VECTOR3 &dir, double maxth0, PROPELLANT_HANDLE hp,
                                       double isp0, double isp_ref, double p_ref) const {
  VESSEL_ENTRY("CreateThruster", nullptr);
  if (!v->finite("CreateThruster", pos) || !v->finite("CreateThruster", dir) ||
      !v->finite("CreateThruster", _V(maxth0, isp0, isp_ref)) || !v->finite("CreateThruster", p_ref))
    return nullptr;
  if (length(dir) == 0) {
    v->refuse("CreateThruster", "zero thrust direction");
    return nullptr;
  }
  sim::ThrusterDef t;
  t.pos = pos;
  t.dir = unit(dir);
  t.maxth0 = maxth0;
  t.isp0 = isp0 > 0 ? isp0 : kDefaultIsp;
  t.eta = (isp_ref > 0 && p_ref > 0) ? (t.isp0 - isp_ref) / (p_ref * t.isp0) : 0.0;
  t.tank = hp ? v->tankIndex(hp, "CreateThruster") : -1;
  v->def.thrusters.push_back(t);
  v->systems().thrusters.emplace_back();
  return v->thrusterHandle(static_cast<int>(v->def.thrusters.size() - 1));
}

DWORD VESSEL::GetThrusterCount() const {
  VESSEL_ENTRY("GetThrusterCount", 0);
  return static_cast<DWORD>(v->def.thrusters.size());
}
THRUSTER_HANDLE VESSEL::GetThrusterHandleByIndex(DWORD idx) const {
  VESSEL_ENTRY("GetThrusterHandleByIndex", nullptr);
  if (idx >= v->def.thrusters.size() || v->def.thrusters[idx].deleted) return nullptr;
  return v->thrusterHandle(static_cast<int>(idx));
}
void VESSEL::SetThrusterLevel(THRUSTER_HANDLE th, double level) const {
  VESSEL_ENTRY("SetThrusterLevel");
  int i = v->thrusterIndex(th, "SetThrusterLevel");
  if (i >= 0 && v->finite("SetThrusterLevel", level)) v->setThrusterLevel(i, level);
}
double VESSEL::GetThrusterLevel(THRUSTER_HANDLE th) const {
  VESSEL_ENTRY("GetThrusterLevel", 0.0);
  int i = v->thrusterIndex(th, "GetThrusterLevel");
  return i < 0 ? 0.0 : v->st.thrusters[i].effective;
}
void VESSEL::SetThrusterMax0(THRUSTER_HANDLE th, double maxth0) const {
  VESSEL_ENTRY("SetThrusterMax0");
  int i = v->thrusterIndex(th, "SetThrusterMax0");
  if (i >= 0 && v->finite("SetThrusterMax0", maxth0)) v->def.thrusters[i].maxth0 = maxth0;
}
double VESSEL::GetThrusterMax0(THRUSTER_HANDLE th) const {
  VESSEL_ENTRY("GetThrusterMax0", 0.0);
  int i = v->thrusterIndex(th, "GetThrusterMax0");
  return i < 0 ? 0.0 : v->def.thrusters[i].maxth0;
}
double VESSEL::GetThrusterMax(THRUSTER_HANDLE th) const {
  VESSEL_ENTRY("GetThrusterMax", 0.0);
  int i = v->thrusterIndex(th, "GetThrusterMax");
  return i < 0 ? 0.0 : v->thrusterMax(i, ambientPressure(*v));
}
double VESSEL::GetThrusterMax(THRUSTER_HANDLE th, double p_ref) const {
  VESSEL_ENTRY("GetThrusterMax", 0.0);
  int i = v->thrusterIndex(th, "GetThrusterMax");
  return (i < 0 || !v->finite("GetThrusterMax", p_ref)) ? 0.0 : v->thrusterMax(i, p_ref);
}
double VESSEL::GetThrusterIsp0(THRUSTER_HANDLE th) const {
  VESSEL_ENTRY("GetThrusterIsp0", 0.0);
  int i = v->thrusterIndex(th, "GetThrusterIsp0");
  return i < 0 ? 0.0 : v->def.thrusters[i].isp0;
}
double VESSEL::GetThrusterIsp(THRUSTER_HANDLE th) const {
  VESSEL_ENTRY("GetThrusterIsp", 0.0);
  int i = v->thrusterIndex(th, "GetThrusterIsp");
  return i < 0 ? 0.0 : v->thrusterIsp(i, ambientPressure(*v));
}
double VESSEL::GetThrusterIsp(THRUSTER_HANDLE th, double p_ref) const {
  VESSEL_ENTRY("GetThrusterIsp", 0.0);
  int i = v->thrusterIndex(th, "GetThrusterIsp");
  return (i < 0 || !v->finite("GetThrusterIsp", p_ref)) ? 0.0 : v->thrusterIsp(i, p_ref);
}

// --- thruster groups --------------------------------------------------------------------------

THGROUP_HANDLE VESSEL::CreateThrusterGroup(THRUSTER_HANDLE *th, int nth, THGROUP_TYPE thgt) const {
  VESSEL_ENTRY("CreateThrusterGroup", nullptr);
  if (nth < 0 || (nth > 0 && !th)) {
    v->refuse("CreateThrusterGroup", "invalid thruster list");
    return nullptr;
  }
  std::vector<int> members;
  for (int k = 0; k < nth; k++) {
    int i = v->thrusterIndex(th[k], "CreateThrusterGroup");
    if (i < 0) return nullptr;
    members.push_back(i);
  }
  int g;
  if (thgt >= 0 && thgt < sim::kDefaultGroupSlots) {
    g = thgt;
  } else {
    v->def.groups.emplace_back();
    g = static_cast<int>(v->def.groups.size() - 1);
  }
  sim::GroupDef &grp = v->def.groups[g];
  grp.type = thgt;
  grp.members = std::move(members);
  grp.exists = true;
  grp.maxMoment = 0;
  if (isRotationGroup(thgt)) {
    VECTOR3 moment = _V(0, 0, 0);
    for (int i : grp.members) {
      const sim::ThrusterDef &t = v->def.thrusters[i];
      moment += crossp(t.dir * t.maxth0, t.pos);
    }
    grp.maxMoment = length(moment);
  }
  return v->groupHandle(g);
}

bool VESSEL::DelThrusterGroup(THGROUP_HANDLE thg, bool delth) const {
  VESSEL_ENTRY("DelThrusterGroup", false);
  int g = v->groupIndex(thg, "DelThrusterGroup");
  if (g < 0) return false;
  deleteGroup(*v, g, delth);
  return true;
}

bool VESSEL::DelThrusterGroup(THGROUP_TYPE thgt, bool delth) const {
  VESSEL_ENTRY("DelThrusterGroup", false);
  int g = v->groupOfType(thgt);
  if (g < 0 || v->def.groups[g].members.empty()) return false;
  deleteGroup(*v, g, delth);
  return true;
}

// The deprecated form: the handle must be the group of the given type; it is cleared on success.
bool VESSEL::DelThrusterGroup(THGROUP_HANDLE &thg, THGROUP_TYPE thgt, bool delth) const {
  VESSEL_ENTRY("DelThrusterGroup", false);
  int g = v->groupIndex(thg, "DelThrusterGroup");
  if (g < 0) return false;
  if (g != v->groupOfType(thgt)) return false;
  deleteGroup(*v, g, delth);
  thg = nullptr;
  return true;
}

THGROUP_HANDLE VESSEL::GetThrusterGroupHandle(THGROUP_TYPE thgt) const {
  VESSEL_ENTRY("GetThrusterGroupHandle", nullptr);
  int g = v->groupOfType(thgt);
  return (g < 0 || v->def.groups[g].members.empty()) ? nullptr : v->groupHandle(g);
}

void VESSEL::SetThrusterGroupLevel(THGROUP_HANDLE thg, double level) const {
  VESSEL_ENTRY("SetThrusterGroupLevel");
  int g = v->groupIndex(thg, "SetThrusterGroupLevel");
  if (g >= 0 && v->finite("SetThrusterGroupLevel", level)) v->setGroupLevel(g, level);
}
void VESSEL::SetThrusterGroupLevel(THGROUP_TYPE thgt, double level) const {
  VESSEL_ENTRY("SetThrusterGroupLevel");
  int g = v->groupOfType(thgt);
  if (g >= 0 && v->finite("SetThrusterGroupLevel", level)) v->setGroupLevel(g, level);
}
double VESSEL::GetThrusterGroupLevel(THGROUP_HANDLE thg) const {
  VESSEL_ENTRY("GetThrusterGroupLevel", 0.0);
  int g = v->groupIndex(thg, "GetThrusterGroupLevel");
  return g < 0 ? 0.0 : v->groupLevel(g);
}
double VESSEL::GetThrusterGroupLevel(THGROUP_TYPE thgt) const {
  VESSEL_ENTRY("GetThrusterGroupLevel", 0.0);
  int g = v->groupOfType(thgt);
  return g < 0 ? 0.0 : v->groupLevel(g);
}

// --- exhaust and streams (recorded for completeness; the headless host draws none) ------------

namespace {
UINT addExhaust(Vessel &v, THRUSTER_HANDLE th, double lscale, double wscale, double lofs, const VECTOR3 *pos,
                const VECTOR3 *dir, SURFHANDLE tex) {
  sim::ExhaustDef e;
  e.thruster = th ? v.thrusterIndex(th, "AddExhaust") : -1;
  e.lscale = lscale, e.wscale = wscale, e.lofs = lofs, e.tex = tex;
  if (pos && dir) e.explicitPose = true, e.pos = *pos, e.dir = *dir;
  v.def.exhausts.push_back(e);
  return static_cast<UINT>(v.def.exhausts.size() - 1);
}
}  // namespace

UINT VESSEL::AddExhaust(THRUSTER_HANDLE th, double lscale, double wscale, SURFHANDLE tex) const {
  VESSEL_ENTRY("AddExhaust", (UINT)-1);
  return addExhaust(*v, th, lscale, wscale, 0.0, nullptr, nullptr, tex);
}
UINT VESSEL::AddExhaust(THRUSTER_HANDLE th, double lscale, double wscale, double lofs, SURFHANDLE tex) const {
  VESSEL_ENTRY("AddExhaust", (UINT)-1);
  return addExhaust(*v, th, lscale, wscale, lofs, nullptr, nullptr, tex);
}
UINT VESSEL::AddExhaust(THRUSTER_HANDLE th, double lscale, double wscale, const VECTOR3 &pos, const VECTOR3 &dir,
                        SURFHANDLE tex) const {
  VESSEL_ENTRY("AddExhaust", (UINT)-1);
  return addExhaust(*v, th, lscale, wscale, 0.0, &pos, &dir, tex);
}
UINT VESSEL::AddExhaust(EXHAUSTSPEC *spec) {
  VESSEL_ENTRY("AddExhaust", (UINT)-1);
  if (!spec) {
    v->refuse("AddExhaust", "null exhaust description");
    return (UINT)-1;
  }
  return addExhaust(*v, spec->th, spec->lsize, spec->wsize, spec->lofs, spec->lpos, spec->ldir, spec->tex);
}

namespace {
PSTREAM_HANDLE addStream(Vessel &v, THRUSTER_HANDLE th, const VECTOR3 *pos, PARTICLESTREAMSPEC *pss) {
  int t = v.thrusterIndex(th, "AddExhaustStream");
  if (t < 0) return nullptr;
  sim::StreamDef s;
  s.thruster = t;
  if (pos) s.explicitPos = true, s.pos = *pos;
  if (pss) s.spec = *pss;
  v.def.streams.push_back(s);
  return v.streamHandle(static_cast<int>(v.def.streams.size() - 1));
}
}  // namespace

PSTREAM_HANDLE VESSEL::AddExhaustStream(THRUSTER_HANDLE th, PARTICLESTREAMSPEC *pss) const {
  VESSEL_ENTRY("AddExhaustStream", nullptr);
  return addStream(*v, th, nullptr, pss);
}
PSTREAM_HANDLE VESSEL::AddExhaustStream(THRUSTER_HANDLE th, const VECTOR3 &pos, PARTICLESTREAMSPEC *pss) const {
  VESSEL_ENTRY("AddExhaustStream", nullptr);
  return addStream(*v, th, &pos, pss);
}
bool VESSEL::DelExhaustStream(PSTREAM_HANDLE ch) const {
  VESSEL_ENTRY("DelExhaustStream", false);
  if (!ch) return false;  // documented: an unknown handle (null included) gives false
  int i = v->streamIndex(ch, "DelExhaustStream");
  if (i < 0) return false;
  v->def.streams[i].deleted = true;
  return true;
}
