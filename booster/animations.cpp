// The booster's animations: four landing legs in the stage mesh (index 0) and four grid fins in
// the interstage mesh (index 1), six animations of 32 components, and their release.
//
// Legs: each leg swings about its hinge at the tail (animLegs, 120 deg), its strut swings about
// its anchor on the body (animLegStruts, 139.5 deg) and telescopes in four segments
// (animLegExtend), each segment carried by the one before and the first by the strut, moving its
// own group by (0, 0, 1.27) m in the stowed pose: the n-th segment moves n x 1.27 m.
// Fins: each fin unfolds about its hinge (animFinsDeploy, 90 deg; the component moves no group
// of its own) and turns about its radial axis (animFinsDeflectA for fins 1-2, B for fins 3-4,
// modelled at 0.5 and spanning 90 deg, so +-45 deg at the ends), the deflection being the unfold's
// child so that its axis (0, 0, 1) in the stowed pose becomes the fin's radial axis.
// Reference points in m, vessel frame; every component spans the states 0 to 1.
#include "booster/larkon.h"

namespace {

// Mesh group lists (the component constructors take non-const pointers).
UINT kLegSwingGroups[4][2] = {{1, 33}, {2, 31}, {3, 34}, {4, 32}};
UINT kStrutGroups[4][1] = {{14}, {15}, {5}, {24}};
UINT kSegmentGroups[4][4][1] = {{{13}, {12}, {11}, {10}}, {{16}, {18}, {17}, {19}},
                                {{6}, {8}, {7}, {9}},     {{23}, {22}, {21}, {20}}};
UINT kFinGroups[4][1] = {{3}, {6}, {4}, {5}};

constexpr UINT kStageMesh = 0;
constexpr UINT kInterstageMesh = 1;

struct LegSpec {
  VECTOR3 hinge, strutAnchor, axis;
  double swingDeg, strutDeg;
};
const LegSpec kLegs[4] = {
    {{{1.1243, 1.1243, -19.212}}, {{1.4142136, 1.4142136, -15.96}}, {{-0.7071068, 0.7071068, 0}}, 120, 139.5},
    {{{-1.1243, 1.1243, -19.212}}, {{-1.4142136, 1.4142136, -15.96}}, {{0.7071068, 0.7071068, 0}}, -120, -139.5},
    {{{-1.1243, -1.1243, -19.212}}, {{-1.4142136, -1.4142136, -15.96}}, {{-0.7071068, 0.7071068, 0}}, -120, -139.5},
    {{{1.1243, -1.1243, -19.212}}, {{1.4142136, -1.4142136, -15.96}}, {{0.7071068, 0.7071068, 0}}, 120, 139.5},
};
const VECTOR3 kSegmentShift = {{0, 0, 1.27}};

struct FinSpec {
  VECTOR3 hinge, unfoldAxis;
  float unfoldAngle, deflectAngle;
};
const float kQuarterTurn = static_cast<float>(PI05);  // 1.5707964 in single precision
const FinSpec kFins[4] = {
    {{{-1.355, 1.355, 19.567}}, {{0.7071, 0.7071, 0}}, kQuarterTurn, kQuarterTurn},
    {{{1.355, -1.355, 19.567}}, {{0.7071, 0.7071, 0}}, -kQuarterTurn, -kQuarterTurn},
    {{{1.355, 1.355, 19.567}}, {{-0.7071, 0.7071, 0}}, -kQuarterTurn, kQuarterTurn},
    {{{-1.355, -1.355, 19.567}}, {{-0.7071, 0.7071, 0}}, kQuarterTurn, -kQuarterTurn},
};
const VECTOR3 kDeflectAxis = {{0, 0, 1}};

}  // namespace

void larkon::defineAnimations() {
  animLegs = CreateAnimation(0.0);
  animLegStruts = CreateAnimation(0.0);
  animLegExtend = CreateAnimation(0.0);
  for (int leg = 0; leg < 4; leg++) {
    const LegSpec &l = kLegs[leg];
    legRotate[2 * leg] = new MGROUP_ROTATE(kStageMesh, kLegSwingGroups[leg], 2, l.hinge, l.axis,
                                           static_cast<float>(l.swingDeg * RAD));
    AddAnimationComponent(animLegs, 0, 1, legRotate[2 * leg]);
    legRotate[2 * leg + 1] = new MGROUP_ROTATE(kStageMesh, kStrutGroups[leg], 1, l.strutAnchor, l.axis,
                                               static_cast<float>(l.strutDeg * RAD));
    animParent[0] = AddAnimationComponent(animLegStruts, 0, 1, legRotate[2 * leg + 1]);
    for (int seg = 0; seg < 4; seg++) {
      MGROUP_TRANSLATE *&t = legTranslate[4 * leg + seg];
      t = new MGROUP_TRANSLATE(kStageMesh, kSegmentGroups[leg][seg], 1, kSegmentShift);
      animParent[0] = AddAnimationComponent(animLegExtend, 0, 1, t, animParent[0]);
    }
  }
  animFinsDeploy = CreateAnimation(0.0);
  for (int fin = 0; fin < 4; fin++) {
    const FinSpec &f = kFins[fin];
    finDeploy[fin] = new MGROUP_ROTATE(kInterstageMesh, kFinGroups[fin], 0, f.hinge, f.unfoldAxis, f.unfoldAngle);
    animParent[1 + fin] = AddAnimationComponent(animFinsDeploy, 0, 1, finDeploy[fin]);
  }
  for (int fin = 0; fin < 4; fin++) {
    if (fin == 0) animFinsDeflectA = CreateAnimation(0.5);
    if (fin == 2) animFinsDeflectB = CreateAnimation(0.5);
    const FinSpec &f = kFins[fin];
    finDeflect[fin] = new MGROUP_ROTATE(kInterstageMesh, kFinGroups[fin], 1, f.hinge, kDeflectAxis, f.deflectAngle);
    AddAnimationComponent(fin < 2 ? animFinsDeflectA : animFinsDeflectB, 0, 1, finDeflect[fin], animParent[1 + fin]);
  }
}

// The components are deleted through their own, exact types; the interface's transform classes
// have no virtual destructor, which the compiler warns about for any polymorphic class.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdelete-non-virtual-dtor"
larkon::~larkon() {
  for (MGROUP_TRANSLATE *t : legTranslate) delete t;
  for (MGROUP_ROTATE *r : legRotate) delete r;
  for (MGROUP_ROTATE *r : finDeploy) delete r;
  for (MGROUP_ROTATE *r : finDeflect) delete r;
}
#pragma GCC diagnostic pop
