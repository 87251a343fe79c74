// A test module of interface version 3 (VESSEL4): rotation thrusters on every axis, and a
// navigation-mode callback that records the modes it is shown and hands back to the core only
// those not in the mask set through nav4SetMask (the others it claims for itself). Its direct-key
// callback takes numeric-keypad 2 out of the keyboard state, and the whole keyboard while
// numeric-keypad 9 is held.
#define ORBITER_MODULE
#include "Orbitersdk.h"

namespace {
int g_lastModes = -1;  // the flags of the last clbkNavProcess call
int g_calls = 0;
int g_mask = 0;        // flags the module keeps from the core
}  // namespace

DLLCLBK int nav4LastModes() { return g_lastModes; }
DLLCLBK int nav4Calls() { return g_calls; }
DLLCLBK void nav4SetMask(int mask) { g_mask = mask; }

class nav4 final : public VESSEL4 {
 public:
  nav4(OBJHANDLE h, int fm) : VESSEL4(h, fm) {}
  void clbkSetClassCaps(FILEHANDLE) override {
    SetEmptyMass(1000);
    SetPMI(_V(2, 2, 2));
    PROPELLANT_HANDLE tank = CreatePropellantResource(100);
    // A pair of 50 N thrusters 1 m from the centre per rotation sense (as the host's tests lay
    // them out): 100 N m on every group.
    const VECTOR3 pos[12] = {{{0, 0, 1}}, {{0, 0, -1}}, {{0, 0, 1}}, {{0, 0, -1}}, {{0, 0, 1}}, {{0, 0, -1}},
                             {{0, 0, 1}}, {{0, 0, -1}}, {{1, 0, 0}}, {{-1, 0, 0}}, {{1, 0, 0}}, {{-1, 0, 0}}};
    const VECTOR3 dir[12] = {{{0, 1, 0}},  {{0, -1, 0}}, {{0, -1, 0}}, {{0, 1, 0}},  {{-1, 0, 0}}, {{1, 0, 0}},
                             {{1, 0, 0}},  {{-1, 0, 0}}, {{0, -1, 0}}, {{0, 1, 0}},  {{0, 1, 0}},  {{0, -1, 0}}};
    const THGROUP_TYPE types[6] = {THGROUP_ATT_PITCHUP, THGROUP_ATT_PITCHDOWN, THGROUP_ATT_YAWLEFT,
                                   THGROUP_ATT_YAWRIGHT, THGROUP_ATT_BANKRIGHT, THGROUP_ATT_BANKLEFT};
    THRUSTER_HANDLE th[12];
    for (int k = 0; k < 12; k++) th[k] = CreateThruster(pos[k], dir[k], 50, tank, 2000);
    for (int g = 0; g < 6; g++) CreateThrusterGroup(th + 2 * g, 2, types[g]);
  }
  int clbkConsumeDirectKey(char *kstate) override {
    if (KEYDOWN(kstate, OAPI_KEY_NUMPAD9)) return 1;
    RESETKEY(kstate, OAPI_KEY_NUMPAD2);
    return 0;
  }
  int clbkNavProcess(int mode) override {
    g_lastModes = mode;
    g_calls++;
    return mode & ~g_mask;
  }
};

DLLCLBK VESSEL *ovcInit(OBJHANDLE h, int fm) { return new nav4(h, fm); }
DLLCLBK void ovcExit(VESSEL *v) { delete static_cast<nav4 *>(v); }
