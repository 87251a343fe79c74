// The simulator's core controls for the focus vessel: what flies a vessel that has no autopilot
// of its own. Scripted events (simhost's --control, --navmode, --controls) and the simulator's
// default key bindings reach the same controls.
//
// Scripted events, delivered at the start of the first step at or after their time, after the
// buffered keys of that step: a thruster group's permanent level (kept until something changes
// it), or a navigation mode switched on or off.
// Keys reach the core only after the focus vessel declined them (clbkConsumeBufferedKey returned
// 0 for the key-down). Buffered bindings act on the key-down, with no modifier held:
//   numpad 5 KILLROT, L HLEVEL, [ PROGRADE, ] RETROGRADE, ; NORMAL, ' ANTINORMAL, A HOLDALT
//   (each toggles), numpad * main and retro off, numpad / RCS rotation <-> translation,
//   Ctrl + numpad / RCS off <-> on.
// Held bindings act every step from the key-down to its key-up, once the vessel's
// clbkConsumeDirectKey has declined the keyboard state (a module may also clear keys in it):
//   Ctrl + numpad +/-   main throttle up/down at 0.2 per second (through the retro level:
//                       down from zero main raises retro, up from non-zero retro lowers it)
//   numpad +/-          full main/retro thrust while held (a transient override)
//   numpad 0 / .        hover throttle up/down at 0.2 per second
//   numpad 2/8 1/3 4/6  rotation: pitch up/down, yaw left/right, bank left/right (RCS_ROT);
//   numpad 2/8 1/3 6/9  translation: up/down, left/right, forward/back (RCS_LIN);
//                       full level, a tenth with Ctrl, as transient overrides
//   , and .             left and right wheel brakes
// The rotation keys also move the aerodynamic controls the ADCtrl mode selects (bit 0 elevator
// = pitch up - pitch down, bit 1 rudder = yaw right - yaw left, bit 2 ailerons = bank right -
// bank left) as their transient input, unless the RCS is in translation mode. The throttle rate
// is the host's choice: the record of the simulator's own is not at hand.
#pragma once

#include <string_view>
#include <vector>

#include "OrbiterAPI.h"

class Vessel;

namespace sim {

class World;

struct ControlEvent {
  enum class Kind { GroupLevel, Navmode };
  double time = 0;  // [s]
  Kind kind = Kind::GroupLevel;
  THGROUP_TYPE group = THGROUP_MAIN;  // GroupLevel: the group and its level 0-1
  double level = 0;
  int navmode = 0;  // Navmode: NAVMODE_* and whether it is switched on
  bool on = true;
};

// The names scripts use: the simulator's constants in lower case without their prefix
// (THGROUP_ATT_PITCHUP -> "pitchup", NAVMODE_HLEVEL -> "hlevel"); case-insensitive.
bool groupByName(std::string_view name, THGROUP_TYPE &type);
const char *groupName(THGROUP_TYPE type);  // null for a type without a script name
bool navmodeByName(std::string_view name, int &mode);
const char *navmodeName(int mode);

class CoreControls {
 public:
  void queue(const ControlEvent &e);  // kept in time order, stable for equal times
  // A key event the focus vessel has seen; consumed: its clbkConsumeBufferedKey took it.
  void key(Vessel &focus, DWORD key, bool down, const char *kstate, bool consumed);
  // Start of a step, after the buffered keys: the due events, then the held keys.
  void startOfStep(World &w, double dt);
  bool anyHeld() const { return !held_.empty(); }

 private:
  struct HeldKey {
    DWORD key;
    bool ctrl;
  };
  void deliver(World &w, const ControlEvent &e);
  void applyHeld(Vessel &v, double dt);
  void setInputs(Vessel &v, const double rotation[3], const double brakes[2]);

  std::vector<ControlEvent> events_;
  size_t next_ = 0;
  std::vector<HeldKey> held_;
  char kstate_[256] = {};
  int rcsBeforeOff_ = RCS_ROT;       // the mode Ctrl + numpad / switches back on
};

}  // namespace sim
