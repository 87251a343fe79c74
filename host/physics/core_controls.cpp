// The simulator's core controls for the focus vessel (see core_controls.h).
#include "physics/core_controls.h"

#include <algorithm>
#include <string>

#include "physics/navmodes.h"
#include "vessel/vessel.h"
#include "world/text.h"
#include "world/world.h"

namespace sim {
namespace {

constexpr double kThrottleRate = 0.2;  // [1/s] of the throttle keys
constexpr double kLowPower = 0.1;      // RCS level with Ctrl held

const char *const kGroupNames[] = {"main",     "retro",   "hover",    "pitchup",   "pitchdown",
                                   "yawleft",  "yawright", "bankleft", "bankright", "right",
                                   "left",     "up",      "down",     "forward",   "back"};
const char *const kNavmodeNames[] = {"killrot", "hlevel", "prograde", "retrograde", "normal", "antinormal", "holdalt"};

bool modifierHeld(const char *kstate) {
  return KEYMOD_SHIFT(kstate) || KEYMOD_CONTROL(kstate) || KEYMOD_ALT(kstate);
}

int navmodeOfKey(DWORD key) {
  switch (key) {
    case OAPI_KEY_NUMPAD5: return NAVMODE_KILLROT;
    case OAPI_KEY_L: return NAVMODE_HLEVEL;
    case OAPI_KEY_LBRACKET: return NAVMODE_PROGRADE;
    case OAPI_KEY_RBRACKET: return NAVMODE_RETROGRADE;
    case OAPI_KEY_SEMICOLON: return NAVMODE_NORMAL;
    case OAPI_KEY_APOSTROPHE: return NAVMODE_ANTINORMAL;
    case OAPI_KEY_A: return NAVMODE_HOLDALT;
    default: return 0;
  }
}

// The keys that act while held.
bool isHeldBinding(DWORD key) {
  switch (key) {
    case OAPI_KEY_ADD: case OAPI_KEY_SUBTRACT: case OAPI_KEY_NUMPAD0: case OAPI_KEY_DECIMAL:
    case OAPI_KEY_NUMPAD1: case OAPI_KEY_NUMPAD2: case OAPI_KEY_NUMPAD3: case OAPI_KEY_NUMPAD4:
    case OAPI_KEY_NUMPAD6: case OAPI_KEY_NUMPAD8: case OAPI_KEY_NUMPAD9: case OAPI_KEY_COMMA:
    case OAPI_KEY_PERIOD:
      return true;
    default:
      return false;
  }
}

// The group a numeric-keypad key fires in the given RCS mode (THGROUP_USER: none).
THGROUP_TYPE rcsGroupOfKey(DWORD key, int rcsMode) {
  if (rcsMode == RCS_LIN) {
    switch (key) {
      case OAPI_KEY_NUMPAD2: return THGROUP_ATT_UP;
      case OAPI_KEY_NUMPAD8: return THGROUP_ATT_DOWN;
      case OAPI_KEY_NUMPAD1: return THGROUP_ATT_LEFT;
      case OAPI_KEY_NUMPAD3: return THGROUP_ATT_RIGHT;
      case OAPI_KEY_NUMPAD6: return THGROUP_ATT_FORWARD;
      case OAPI_KEY_NUMPAD9: return THGROUP_ATT_BACK;
      default: return THGROUP_USER;
    }
  }
  switch (key) {
    case OAPI_KEY_NUMPAD2: return THGROUP_ATT_PITCHUP;
    case OAPI_KEY_NUMPAD8: return THGROUP_ATT_PITCHDOWN;
    case OAPI_KEY_NUMPAD1: return THGROUP_ATT_YAWLEFT;
    case OAPI_KEY_NUMPAD3: return THGROUP_ATT_YAWRIGHT;
    case OAPI_KEY_NUMPAD4: return THGROUP_ATT_BANKLEFT;
    case OAPI_KEY_NUMPAD6: return THGROUP_ATT_BANKRIGHT;
    default: return THGROUP_USER;
  }
}

double permanentLevel(const Vessel &v, THGROUP_TYPE type) {  // mean of the members' levels
  int g = v.groupOfType(type);
  if (g < 0 || v.def.groups[g].members.empty()) return 0.0;
  double sum = 0;
  for (int th : v.def.groups[g].members) sum += v.st.thrusters[th].permanent;
  return sum / static_cast<double>(v.def.groups[g].members.size());
}

void setLevel(Vessel &v, THGROUP_TYPE type, double level) {
  int g = v.groupOfType(type);
  if (g >= 0) v.setGroupLevel(g, level);
}

void addOverride(Vessel &v, THGROUP_TYPE type, double level) {
  int g = v.groupOfType(type);
  if (g < 0) return;
  for (int th : v.def.groups[g].members) v.systems().thrusters[th].override_ += level;
}

void fullOverride(Vessel &v, THGROUP_TYPE type) {  // the group at full level for this step
  int g = v.groupOfType(type);
  if (g < 0) return;
  for (int th : v.def.groups[g].members) {
    ThrusterState &s = v.systems().thrusters[th];
    s.override_ = std::max(s.override_, 1.0 - s.permanent);
  }
}

// Main throttle moved by delta, through the retro level: positive is towards full main.
void moveMainThrottle(Vessel &v, double delta) {
  double main = permanentLevel(v, THGROUP_MAIN), retro = permanentLevel(v, THGROUP_RETRO);
  if (delta > 0) {
    if (retro > 0)
      setLevel(v, THGROUP_RETRO, retro - delta);
    else
      setLevel(v, THGROUP_MAIN, main + delta);
  } else {
    if (main > 0)
      setLevel(v, THGROUP_MAIN, main + delta);
    else
      setLevel(v, THGROUP_RETRO, retro - delta);
  }
}

}  // namespace

bool groupByName(std::string_view name, THGROUP_TYPE &type) {
  for (int i = 0; i < static_cast<int>(std::size(kGroupNames)); i++)
    if (equalsNoCase(name, kGroupNames[i])) {
      type = static_cast<THGROUP_TYPE>(i);
      return true;
    }
  return false;
}

const char *groupName(THGROUP_TYPE type) {
  return type >= 0 && type < static_cast<int>(std::size(kGroupNames)) ? kGroupNames[type] : nullptr;
}

bool navmodeByName(std::string_view name, int &mode) {
  for (int i = 0; i < static_cast<int>(std::size(kNavmodeNames)); i++)
    if (equalsNoCase(name, kNavmodeNames[i])) {
      mode = i + 1;
      return true;
    }
  return false;
}

const char *navmodeName(int mode) {
  return mode >= 1 && mode <= static_cast<int>(std::size(kNavmodeNames)) ? kNavmodeNames[mode - 1] : nullptr;
}

void CoreControls::queue(const ControlEvent &e) {
  auto pos = std::upper_bound(events_.begin() + static_cast<long>(next_), events_.end(), e.time,
                              [](double t, const ControlEvent &c) { return t < c.time; });
  events_.insert(pos, e);
}

void CoreControls::key(Vessel &focus, DWORD key, bool down, const char *kstate, bool consumed) {
  if (!down) {
    std::erase_if(held_, [&](const HeldKey &h) { return h.key == key; });
    return;
  }
  if (consumed || key >= 256) return;
  if (isHeldBinding(key)) {
    if (std::none_of(held_.begin(), held_.end(), [&](const HeldKey &h) { return h.key == key; }))
      held_.push_back({key, KEYMOD_CONTROL(kstate) != 0});
    return;
  }
  if (key == OAPI_KEY_DIVIDE && KEYMOD_CONTROL(kstate) && !KEYMOD_SHIFT(kstate) && !KEYMOD_ALT(kstate)) {
    int mode = focus.st.rcsMode;
    if (mode != RCS_NONE) rcsBeforeOff_ = mode;
    focus.intf->SetAttitudeMode(mode == RCS_NONE ? rcsBeforeOff_ : RCS_NONE);
    return;
  }
  if (modifierHeld(kstate)) return;
  if (int mode = navmodeOfKey(key)) {
    if (!deactivateNavmode(focus, mode)) activateNavmode(focus, mode);
  } else if (key == OAPI_KEY_MULTIPLY) {
    setLevel(focus, THGROUP_MAIN, 0.0);
    setLevel(focus, THGROUP_RETRO, 0.0);
  } else if (key == OAPI_KEY_DIVIDE) {
    focus.intf->ToggleAttitudeMode();
  }
}

void CoreControls::deliver(World &w, const ControlEvent &e) {
  Vessel *v = w.focus();
  if (!v) return w.diagnostics().note("control", "no focus vessel to receive it");
  if (e.kind == ControlEvent::Kind::Navmode) {
    bool changed = e.on ? activateNavmode(*v, e.navmode) : deactivateNavmode(*v, e.navmode);
    if (!changed)
      w.diagnostics().note(v->name() + " navmode " + navmodeName(e.navmode), e.on ? "already on" : "already off");
    return;
  }
  int g = v->groupOfType(e.group);
  if (g < 0 || v->def.groups[g].members.empty())
    return w.diagnostics().note(v->name() + " control " + groupName(e.group), "the vessel has no such thrusters");
  v->setGroupLevel(g, e.level);
}

void CoreControls::startOfStep(World &w, double dt) {
  double t0 = w.simTime();
  while (next_ < events_.size() && events_[next_].time <= t0 + 1e-9) deliver(w, events_[next_++]);
  // Transient inputs last one step: only the focus vessel gets new ones.
  const double none[3] = {0, 0, 0}, off[2] = {0, 0};
  for (const auto &v : w.vessels())
    if (v.get() != w.focus()) setInputs(*v, none, off);
  if (Vessel *focus = w.focus()) applyHeld(*focus, dt);
}

void CoreControls::applyHeld(Vessel &v, double dt) {
  double rotation[3] = {0, 0, 0};  // pitch up - down, yaw right - left, bank right - left
  double brakes[2] = {0, 0};
  if (!held_.empty()) {
    std::fill(std::begin(kstate_), std::end(kstate_), 0);
    for (const HeldKey &h : held_) {
      kstate_[h.key] = static_cast<char>(0x80);
      if (h.ctrl) kstate_[OAPI_KEY_LCONTROL] = static_cast<char>(0x80);
    }
    VESSEL2 *cb = v.callbacks();
    if (cb && cb->clbkConsumeDirectKey(kstate_)) return setInputs(v, rotation, brakes);
    int rcs = v.st.rcsMode;
    for (const HeldKey &h : held_) {
      if (!KEYDOWN(kstate_, h.key)) continue;  // the vessel took this one
      double power = h.ctrl ? kLowPower : 1.0;
      switch (h.key) {
        case OAPI_KEY_ADD:
          h.ctrl ? moveMainThrottle(v, kThrottleRate * dt) : fullOverride(v, THGROUP_MAIN);
          break;
        case OAPI_KEY_SUBTRACT:
          h.ctrl ? moveMainThrottle(v, -kThrottleRate * dt) : fullOverride(v, THGROUP_RETRO);
          break;
        case OAPI_KEY_NUMPAD0:
          setLevel(v, THGROUP_HOVER, permanentLevel(v, THGROUP_HOVER) + kThrottleRate * dt);
          break;
        case OAPI_KEY_DECIMAL:
          setLevel(v, THGROUP_HOVER, permanentLevel(v, THGROUP_HOVER) - kThrottleRate * dt);
          break;
        case OAPI_KEY_COMMA: brakes[0] = 1; break;
        case OAPI_KEY_PERIOD: brakes[1] = 1; break;
        default: {
          THGROUP_TYPE g = rcsGroupOfKey(h.key, rcs);
          if (g == THGROUP_USER) break;
          if (rcs != RCS_NONE) addOverride(v, g, power);
          if (rcs == RCS_LIN) break;
          int axis = (g - THGROUP_ATT_PITCHUP) / 2;
          bool positive = g == THGROUP_ATT_PITCHUP || g == THGROUP_ATT_YAWRIGHT || g == THGROUP_ATT_BANKRIGHT;
          rotation[axis] += positive ? power : -power;
        }
      }
    }
  }
  setInputs(v, rotation, brakes);
}

void CoreControls::setInputs(Vessel &v, const double rotation[3], const double brakes[2]) {
  const AIRCTRL_TYPE surfaces[3] = {AIRCTRL_ELEVATOR, AIRCTRL_RUDDER, AIRCTRL_AILERON};
  for (int i = 0; i < 3; i++)
    v.systems().controls[surfaces[i]].transient = (v.systems().afcMode & (1 << i)) ? rotation[i] : 0.0;
  v.systems().wheelbrakeTransient = {brakes[0], brakes[1]};
}

}  // namespace sim
