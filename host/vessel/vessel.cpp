// The host's vessel: handles, mass, thruster levels, pose bookkeeping (see vessel.h).
//
// Thruster levels follow the simulator: a single thruster's permanent level is stored unclamped
// and its effective level becomes min(1, permanent + override) if its tank holds propellant; a
// group level is clamped to [0, 1] and shifts each member's effective level by the change of its
// permanent level; a group reads back as the mean of its members' effective levels.
// Thrust and Isp at ambient pressure p scale by max(0, 1 - p eta).
#include "vessel/vessel.h"

#include <algorithm>
#include <cstring>

#include "loader/vessel_class.h"
#include "physics/attachments.h"
#include "world/handles.h"
#include "world/body.h"
#include "world/world.h"

using sim::HandleKind;

Vessel::Vessel(sim::World &world, const std::string &name, const sim::VesselClass &cls)
    : sim::WorldObject(name, OBJTP_VESSEL), world_(&world), class_(&cls) {
  nameBuf_.assign(name.begin(), name.end());
  nameBuf_.push_back('\0');
  classBuf_.assign(cls.name.begin(), cls.name.end());
  classBuf_.push_back('\0');
}

Vessel::~Vessel() = default;

const std::string &Vessel::className() const { return class_->name; }

VESSEL2 *Vessel::callbacks() const {
  if (!intf || intf->Version() < 1) return nullptr;
  return static_cast<VESSEL2 *>(intf);
}

VESSEL3 *Vessel::callbacks3() const {
  if (!intf || intf->Version() < 2) return nullptr;
  return static_cast<VESSEL3 *>(static_cast<VESSEL2 *>(intf));
}

VESSEL4 *Vessel::callbacks4() const {
  if (!intf || intf->Version() < 3) return nullptr;
  return static_cast<VESSEL4 *>(static_cast<VESSEL3 *>(static_cast<VESSEL2 *>(intf)));
}

double Vessel::propellantMass() const {
  double m = 0;
  for (double t : st.tankMass) m += t;
  return m;
}

// --- handles ------------------------------------------------------------------------------------

namespace {
template <class Records>
int checkedIndex(const Vessel &v, const void *h, HandleKind kind, const Records &records, const char *call,
                 const char *what) {
  sim::DecodedHandle d;
  if (!h) {
    v.refuse(call, std::string("null ") + what + " handle");
    return -1;
  }
  if (!sim::decodeHandle(h, kind, d) || d.owner != v.serial() || d.index >= records.size()) {
    v.refuse(call, std::string("unknown ") + what + " handle");
    return -1;
  }
  return static_cast<int>(d.index);
}
}  // namespace

PROPELLANT_HANDLE Vessel::tankHandle(int i) const { return sim::makeHandle(HandleKind::Propellant, serial(), i); }
int Vessel::tankIndex(PROPELLANT_HANDLE h, const char *call) const {
  return checkedIndex(*this, h, HandleKind::Propellant, def.tanks, call, "propellant");
}

THRUSTER_HANDLE Vessel::thrusterHandle(int i) const { return sim::makeHandle(HandleKind::Thruster, serial(), i); }
int Vessel::thrusterIndex(THRUSTER_HANDLE h, const char *call) const {
  int i = checkedIndex(*this, h, HandleKind::Thruster, def.thrusters, call, "thruster");
  if (i >= 0 && def.thrusters[i].deleted) {
    refuse(call, "deleted thruster handle");
    return -1;
  }
  return i;
}

THGROUP_HANDLE Vessel::groupHandle(int i) const { return sim::makeHandle(HandleKind::ThrusterGroup, serial(), i); }
int Vessel::groupIndex(THGROUP_HANDLE h, const char *call) const {
  int i = checkedIndex(*this, h, HandleKind::ThrusterGroup, def.groups, call, "thruster group");
  if (i >= sim::kDefaultGroupSlots && !def.groups[i].exists) {
    refuse(call, "deleted thruster group handle");
    return -1;
  }
  return i;
}

PSTREAM_HANDLE Vessel::streamHandle(int i) const { return sim::makeHandle(HandleKind::Stream, serial(), i); }
int Vessel::streamIndex(PSTREAM_HANDLE h, const char *call) const {
  int i = checkedIndex(*this, h, HandleKind::Stream, def.streams, call, "particle stream");
  if (i >= 0 && def.streams[i].deleted) {
    refuse(call, "deleted particle stream handle");
    return -1;
  }
  return i;
}

ATTACHMENTHANDLE Vessel::attachmentHandle(int i) const {
  return sim::makeHandle(HandleKind::Attachment, serial(), i);
}
int Vessel::attachmentIndex(ATTACHMENTHANDLE h, const char *call) const {
  return checkedIndex(*this, h, HandleKind::Attachment, def.attachments, call, "attachment");
}

AIRFOILHANDLE Vessel::airfoilHandle(int i) const { return sim::makeHandle(HandleKind::Airfoil, serial(), i); }
CTRLSURFHANDLE Vessel::controlSurfaceHandle(int i) const {
  return sim::makeHandle(HandleKind::ControlSurface, serial(), i);
}
DOCKHANDLE Vessel::dockHandle(int i) const { return sim::makeHandle(HandleKind::Dock, serial(), i); }

namespace {
// A record that was deleted is refused like an unknown one.
template <class Records>
int liveIndex(const Vessel &v, const void *h, HandleKind kind, const Records &records, const char *call,
              const char *what) {
  int i = checkedIndex(v, h, kind, records, call, what);
  if (i >= 0 && records[i].deleted) {
    v.refuse(call, std::string("deleted ") + what + " handle");
    return -1;
  }
  return i;
}
}  // namespace

int Vessel::airfoilIndex(AIRFOILHANDLE h, const char *call) const {
  return liveIndex(*this, h, HandleKind::Airfoil, def.airfoils, call, "airfoil");
}
int Vessel::controlSurfaceIndex(CTRLSURFHANDLE h, const char *call) const {
  return liveIndex(*this, h, HandleKind::ControlSurface, def.controlSurfaces, call, "control surface");
}
int Vessel::dockIndex(DOCKHANDLE h, const char *call) const {
  return liveIndex(*this, h, HandleKind::Dock, def.docks, call, "docking port");
}

int Vessel::groupOfType(THGROUP_TYPE type) const {
  if (type >= 0 && type < sim::kDefaultGroupSlots) return type;  // fixed slots always exist
  for (size_t i = sim::kDefaultGroupSlots; i < def.groups.size(); i++)
    if (def.groups[i].exists && def.groups[i].type == type) return static_cast<int>(i);
  return -1;
}

// --- thrusters and groups -----------------------------------------------------------------------

void Vessel::setThrusterLevel(int th, double level) {
  sim::ThrusterState &s = state_.thrusters[th];
  s.permanent = level;
  int tank = def.thrusters[th].tank;
  if (tank >= 0 && st.tankMass[tank] != 0.0) s.effective = std::min(1.0, s.permanent + s.override_);
}

void Vessel::setGroupLevel(int group, double level) {
  level = std::clamp(level, 0.0, 1.0);
  for (int th : def.groups[group].members) {
    sim::ThrusterState &s = state_.thrusters[th];
    if (s.permanent == level) continue;  // most commands repeat the last one
    s.effective = std::clamp(s.effective + (level - s.permanent), 0.0, 1.0);
    s.permanent = level;
  }
}

double Vessel::groupLevel(int group) const {
  const std::vector<int> &m = def.groups[group].members;
  if (m.empty()) return 0.0;
  double sum = 0;
  for (int th : m) sum += st.thrusters[th].effective;
  return sum / static_cast<double>(m.size());
}

double Vessel::thrusterMax(int th, double pressure) const {
  const sim::ThrusterDef &t = def.thrusters[th];
  return t.maxth0 * std::max(0.0, 1.0 - pressure * t.eta);
}

double Vessel::thrusterIsp(int th, double pressure) const {
  const sim::ThrusterDef &t = def.thrusters[th];
  return t.isp0 * std::max(0.0, 1.0 - pressure * t.eta);
}

double Vessel::recordedMaxMoment(int group) const { return def.groups[group].maxMoment; }

// --- pose ---------------------------------------------------------------------------------------

VECTOR3 Vessel::globalPos() const { return st.frame ? st.frame->now().pos + st.rpos : st.rpos; }
VECTOR3 Vessel::globalVel() const { return st.frame ? st.frame->now().vel + st.rvel : st.rvel; }

void Vessel::StateWriter::setGlobalState(const VECTOR3 &pos_G, const VECTOR3 &vel_G) const {
  sim::VesselState &s = v_.state_;
  s.rpos = s.frame ? pos_G - s.frame->now().pos : pos_G;
  s.rvel = s.frame ? vel_G - s.frame->now().vel : vel_G;
}

void Vessel::StateWriter::rebase(const sim::CelestialBody *b) const {
  if (b == v_.state_.frame) return;
  VECTOR3 p = v_.globalPos(), vel = v_.globalVel();
  v_.state_.frame = b;
  setGlobalState(p, vel);
}

void Vessel::StateWriter::setAttitude(const MATRIX3 &R_GV) const {
  v_.state_.q = sim::matrixToQuat(R_GV);
  v_.state_.R = sim::quatToMatrix(v_.state_.q);
}

void Vessel::StateWriter::setAttitude(const sim::Quat &q) const {
  v_.state_.q = sim::qnormalised(q);
  v_.state_.R = sim::quatToMatrix(v_.state_.q);
}

void Vessel::stateChanged() {
  weightValid_ = false;
  sim::updateSurfaceParams(*this);
  sim::moveAttachedChildren(*this);
}

VECTOR3 Vessel::weightVector() {
  if (!weightValid_) {
    weight_V_ = tmul(st.R, world_->gravityAt(globalPos(), world_->bodiesNow()) * mass());
    weightValid_ = true;
  }
  return weight_V_;
}

void Vessel::releaseFromGround() {
  if (st.status != sim::FlightStatus::Landed) return;
  state_.status = sim::FlightStatus::Flying;
  state_.rest = {};
}

// --- touchdown points ---------------------------------------------------------------------------

void Vessel::setTouchdownPoints(const TOUCHDOWNVTX *pts, int n) {
  def.touchdown.points.assign(pts, pts + n);
  VECTOR3 p0 = pts[0].pos, p1 = pts[1].pos, p2 = pts[2].pos;
  VECTOR3 up = crossp(p0 - (p1 + p2) * 0.5, p2 - p1);
  double l = length(up);
  def.touchdown.up_V = l > 0 ? up / l : _V(0, 1, 0);
}

// --- refusals -----------------------------------------------------------------------------------

void Vessel::refuse(const char *call, const std::string &why) const {
  world_->diagnostics().refuse(name() + " " + call, why);
}

bool Vessel::refuseNonFinite(const char *call, const char *what) const {
  world_->diagnostics().refuseNonFinite(name() + " " + call, what);
  return false;
}
