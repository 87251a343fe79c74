// Engine configuration: the one THGROUP_MAIN group of the selected engine count, and the six
// rotation groups made of either the engine-steering thrusters (main engine burning) or the RCS.
//
// Invariant: exactly one THGROUP_MAIN group exists, holding exactly thMain[engineMode]; the other
// two main thrusters are at level 0 after each applyEngineMode, which carries the group's
// throttle over to the new selection. The engine-steering thrusters give 38 kN each with nine
// engines and 9.5 kN with three or one.
#include <initializer_list>

#include "booster/larkon.h"

namespace {

constexpr double kSteeringNine = 38000.0;  // [N]
constexpr double kSteeringFew = 9500.0;    // [N] with three engines or the centre engine

struct RotationGroup {
  THGROUP_TYPE type;
  THGROUP_HANDLE larkon::*member;
  int engine[2];  // thEngineAtt indices
  int rcs[2];     // thRcs indices
};
// In the order the engine-steering set is built: pitch up, pitch down, yaw right, yaw left, bank
// right, bank left.
const RotationGroup kRotationGroups[6] = {
    {THGROUP_ATT_PITCHUP, &larkon::thgPitchUp, {9, 11}, {3, 5}},
    {THGROUP_ATT_PITCHDOWN, &larkon::thgPitchDown, {8, 10}, {1, 7}},
    {THGROUP_ATT_YAWRIGHT, &larkon::thgYawRight, {1, 3}, {2, 4}},
    {THGROUP_ATT_YAWLEFT, &larkon::thgYawLeft, {0, 2}, {0, 6}},
    {THGROUP_ATT_BANKRIGHT, &larkon::thgBankRight, {4, 7}, {8, 11}},
    {THGROUP_ATT_BANKLEFT, &larkon::thgBankLeft, {5, 6}, {9, 10}},
};
const int kEngineOrder[6] = {0, 1, 2, 3, 4, 5};  // pitch up, pitch down, yaw right, yaw left, bank right, bank left
const int kRcsOrder[6] = {0, 1, 4, 5, 2, 3};     // pitch up, pitch down, bank right, bank left, yaw right, yaw left
// Level-zeroing and deletion order of both rebuilds: pitch up, pitch down, bank right, bank left,
// yaw right, yaw left (types 3, 4, 8, 7, 6, 5).
const int kClearOrder[6] = {0, 1, 4, 5, 2, 3};

}  // namespace

void larkon::applyEngineMode() {
  if (engineMode < 0 || engineMode >= kEngineModeCount)
    engineMode = kEnginesNine;  // thMain's range
  double level = GetThrusterGroupLevel(thgMain);
  SetThrusterGroupLevel(thgMain, 0.0);
  DelThrusterGroup(thgMain, THGROUP_MAIN);
  for (int i = 0; i < kEngineModeCount; i++)
    if (i != engineMode) SetThrusterLevel(thMain[i], 0.0);
  double steering = engineMode == kEnginesNine ? kSteeringNine : kSteeringFew;
  for (THRUSTER_HANDLE th : thEngineAtt) SetThrusterMax0(th, steering);
  thgMain = CreateThrusterGroup(&thMain[engineMode], 1, THGROUP_MAIN);
  SetThrusterGroupLevel(thgMain, level);
}

void larkon::killAttitudeThrust() {
  for (THGROUP_TYPE t : {THGROUP_ATT_PITCHUP, THGROUP_ATT_PITCHDOWN, THGROUP_ATT_YAWRIGHT, THGROUP_ATT_YAWLEFT,
                         THGROUP_ATT_BANKRIGHT, THGROUP_ATT_BANKLEFT})
    SetThrusterGroupLevel(t, 0.0);
}

void larkon::createRotationGroups(bool rcs) {
  const int *order = rcs ? kRcsOrder : kEngineOrder;
  for (int k = 0; k < 6; k++) {
    const RotationGroup &g = kRotationGroups[order[k]];
    const int *idx = rcs ? g.rcs : g.engine;
    THRUSTER_HANDLE *set = rcs ? thRcs : thEngineAtt;
    thGroupScratch[0] = set[idx[0]];
    thGroupScratch[1] = set[idx[1]];
    this->*g.member = CreateThrusterGroup(thGroupScratch, 2, g.type);
  }
}

namespace {
// Sets the six groups to 0, then deletes them (keeping their thrusters), in the clearing order.
void clearRotationGroups(larkon &b) {
  for (int k : kClearOrder) b.SetThrusterGroupLevel(b.*kRotationGroups[k].member, 0.0);
  for (int k : kClearOrder) b.DelThrusterGroup(b.*kRotationGroups[k].member, kRotationGroups[k].type);
}
}  // namespace

void larkon::useEngineAttitudeSet() {
  clearRotationGroups(*this);
  createRotationGroups(false);
  attitudeSet = 0;
  maxAttRate = 5.0 * RAD;
}

void larkon::useRcsAttitudeSet() {
  clearRotationGroups(*this);
  createRotationGroups(true);
  attitudeSet = 1;
  maxAttRate = 3.0 * RAD;
}
