// What the satellite tells the simulator about itself in clbkSetClassCaps: mass, inertia, the
// legacy aerodynamic model, touchdown points, docking port, mesh, its two animations and its
// reaction control (tank, thrusters, groups, flames), the last two as data tables.
//
// Lift: piecewise linear over the angle of attack, CL(a) = CL[i] + slope[i] (a - A[i]) with i the
// first segment whose upper end is not below a (the last, flat one past 180 deg). Every table
// value is 0, so the satellite produces no lift at any finite angle. The pitch and yaw moment
// scales are set only in the realistic flight model.
//
// Animations, from one table of fourteen rotations R0..R13:
//  - animSunTrack: R0 turns both wings together about +x through the origin, 360 deg over states
//    0..1. It moves no group itself (an empty, non-null group list: a null one would move the
//    whole mesh) and is the parent of the inner panels, so it turns the wings folded or open.
//  - animDeploy: each wing is an accordion of four panels. The inner panel swings 90 deg about a
//    vertical hinge at x = +-1.44 m, each further panel opens 180 deg about its own hinge, the
//    sense alternating, over states 0..1. The two antenna chains (groups 4-5, 6-7) and the single
//    antenna (42) swing about z during states 0..0.15 and stay open afterwards.
//  A child's reference point and axis are given in the stowed pose and carried by its parent. The
//  transforms are built on first use and shared by every satellite of the class for the life of
//  the module; each satellite adds its own components pointing at them.
//
// Reaction control: every thruster belongs to exactly one group, so rotation and translation
// groups have thrusters of their own even where two share position and direction. With the
// simulator's torque F x r, PITCHUP (0, 2, 5, 7) gives +x, YAWLEFT (8, 11) +y, BANKRIGHT (16-19)
// +z. The flames are drawn at the pods above and below the bus; their positions and directions
// (the way the flame points, against the thrust) are set apart from the thrusters'.
// Frames and units: vessel frame, mesh 0, m, m^2 (mass-normalised inertia, cross sections), kg,
// N, m/s (specific impulse), Pa; table angles in deg (converted with RAD).
#include <array>
#include <cstddef>
#include <utility>

#include "orlis.h"

namespace {

// --- lift ---------------------------------------------------------------------------------------

constexpr int kLiftPoints = 9;
constexpr double kLiftAngleDeg[kLiftPoints] = {-180, -60, -30, -1, 15, 20, 25, 60, 180};
constexpr double kLiftCoefficient[kLiftPoints] = {0, 0, 0, 0, 0, 0, 0, 0, 0};

struct LiftTable {
  double angle[kLiftPoints];  // [rad]
  double slope[kLiftPoints];  // [1/rad]; the last one is flat
  LiftTable() {
    for (int i = 0; i < kLiftPoints; i++) angle[i] = kLiftAngleDeg[i] * RAD;
    for (int i = 0; i + 1 < kLiftPoints; i++)
      slope[i] = (kLiftCoefficient[i + 1] - kLiftCoefficient[i]) / (angle[i + 1] - angle[i]);
    slope[kLiftPoints - 1] = 0;
  }
};

double liftCoefficient(double aoa) {
  static const LiftTable table;  // slopes worked out on the first call
  int i = 0;
  while (i < kLiftPoints - 1 && aoa > table.angle[i + 1]) i++;
  return kLiftCoefficient[i] + table.slope[i] * (aoa - table.angle[i]);
}

constexpr double kMomentScale = 0.0005;  // pitch and yaw, realistic flight model only

// --- animations --------------------------------------------------------------------------------

constexpr int kRotationCount = 14;
constexpr int kNoGroup = -1;
constexpr int kNoParent = -1;

struct RotationSpec {
  double state0, state1;  // part of the animation's state range it acts over
  int group;              // mesh group it moves
  VECTOR3 ref, axis;      // [m] point on the axis, unit axis
  double angleDeg;        // [deg] full turn at state1
  int parent;             // index of the parent rotation
};

const RotationSpec kRotations[kRotationCount] = {
    {0, 1, kNoGroup, {{0, 0, 0}}, {{1, 0, 0}}, 360, kNoParent},          // R0 wings towards the Sun
    {0, 1, 17, {{1.44, 0, 0}}, {{0, 1, 0}}, 90, 0},                      // R1 right wing, inner panel
    {0, 1, 18, {{1.46, 0, 1.228}}, {{0, -1, 0}}, 180, 1},                // R2
    {0, 1, 19, {{1.483, 0, -1.228}}, {{0, 1, 0}}, 180, 2},               // R3
    {0, 1, 20, {{1.506, 0, 1.228}}, {{0, -1, 0}}, 180, 3},               // R4 right wing, outer panel
    {0, 1, 24, {{-1.44, 0, 0}}, {{0, -1, 0}}, 90, 0},                    // R5 left wing, inner panel
    {0, 1, 23, {{-1.46, 0, 1.228}}, {{0, 1, 0}}, 180, 5},                // R6
    {0, 1, 22, {{-1.483, 0, -1.228}}, {{0, -1, 0}}, 180, 6},             // R7
    {0, 1, 21, {{-1.505, 0, 1.228}}, {{0, 1, 0}}, 180, 7},               // R8 left wing, outer panel
    {0, 0.15, 4, {{0.264, -1.128, 0}}, {{0, 0, 1}}, 60, kNoParent},      // R9 lower antenna boom
    {0, 0.15, 5, {{-1.42, -1.132, 0}}, {{0, 0, 1}}, 90, 9},              // R10 its dish
    {0, 0.15, 6, {{-0.292, 1.13, 0}}, {{0, 0, 1}}, 60, kNoParent},       // R11 upper antenna boom
    {0, 0.15, 7, {{1.397, 1.132, 0}}, {{0, 0, 1}}, 90, 11},              // R12 its dish
    {0, 0.15, 42, {{0.597, -1.115, 0}}, {{0, 0, 1}}, 120, kNoParent},    // R13 single antenna
};

constexpr int kSunTrackRotation = 0;
constexpr int kFirstPanelRotation = 1;
constexpr int kAntennaChainRotation[orlis::kAntennaChains] = {9, 11};

// The shared transforms live in the module's static storage, built on first use and never
// freed: the components of every satellite point at them. The group lists stay non-null even
// where they are empty, as a null list would move the whole mesh.
UINT rotationGroups[kRotationCount];

MGROUP_ROTATE makeRotation(int i) {
  const RotationSpec &r = kRotations[i];
  bool moves = r.group != kNoGroup;
  rotationGroups[i] = moves ? static_cast<UINT>(r.group) : 0;
  return MGROUP_ROTATE(0, &rotationGroups[i], moves ? 1 : 0, r.ref, r.axis, static_cast<float>(r.angleDeg * RAD));
}

template <std::size_t... I>
std::array<MGROUP_ROTATE, kRotationCount> makeRotations(std::index_sequence<I...>) {
  return {{makeRotation(static_cast<int>(I))...}};
}

MGROUP_ROTATE *sharedRotations() {
  static std::array<MGROUP_ROTATE, kRotationCount> rotations =
      makeRotations(std::make_index_sequence<kRotationCount>{});
  return rotations.data();
}

// --- reaction control ----------------------------------------------------------------------------

constexpr double kTankCapacity = 1900;  // [kg]
constexpr double kIsp = 2000;           // [m/s] vacuum; no pressure dependence
constexpr double kReferencePressure = 101400;  // [Pa]

struct ThrusterSpec {
  VECTOR3 pos, dir;  // [m], thrust direction
  double maxThrust;  // [N]
};

const ThrusterSpec kThrusters[orlis::kThrusterCount] = {
    {{{1, 0, 1}}, {{0, 1, 0}}, 5},     {{{1, 0, 1}}, {{0, -1, 0}}, 5},    // 0 pitch up, 1 pitch down
    {{{-1, 0, 1}}, {{0, 1, 0}}, 5},    {{{-1, 0, 1}}, {{0, -1, 0}}, 5},   // 2 pitch up, 3 pitch down
    {{{1, 0, -1}}, {{0, 1, 0}}, 5},    {{{1, 0, -1}}, {{0, -1, 0}}, 5},   // 4 pitch down, 5 pitch up
    {{{-1, 0, -1}}, {{0, 1, 0}}, 5},   {{{-1, 0, -1}}, {{0, -1, 0}}, 5},  // 6 pitch down, 7 pitch up
    {{{1, 0, 1}}, {{-1, 0, 0}}, 25},   {{{-1, 0, 1}}, {{1, 0, 0}}, 25},   // 8 yaw left, 9 yaw right
    {{{1, 0, -1}}, {{-1, 0, 0}}, 25},  {{{-1, 0, -1}}, {{1, 0, 0}}, 25},  // 10 yaw right, 11 yaw left
    {{{0, 0, -1}}, {{0, 0, 1}}, 50},   {{{0, 0, 1}}, {{0, 0, -1}}, 50},   // 12 forward, 13 back
    {{{1, 0, 1}}, {{0, 1, 0}}, 5},     {{{-1, 0, -1}}, {{0, -1, 0}}, 5},  // 14, 15 bank left
    {{{1, 0, 1}}, {{0, -1, 0}}, 5},    {{{1, 0, -1}}, {{0, -1, 0}}, 5},   // 16, 17 bank right
    {{{-1, 0, 1}}, {{0, 1, 0}}, 5},    {{{-1, 0, -1}}, {{0, 1, 0}}, 5},   // 18, 19 bank right
    {{{1, 0, -1}}, {{0, 1, 0}}, 5},    {{{-1, 0, 1}}, {{0, -1, 0}}, 5},   // 20, 21 bank left
    {{{1, 0, 1}}, {{0, 1, 0}}, 5},     {{{1, 0, -1}}, {{0, 1, 0}}, 5},    // 22-25 up
    {{{-1, 0, 1}}, {{0, 1, 0}}, 5},    {{{-1, 0, -1}}, {{0, 1, 0}}, 5},
    {{{1, 0, 1}}, {{0, -1, 0}}, 5},    {{{1, 0, -1}}, {{0, -1, 0}}, 5},   // 26-29 down
    {{{-1, 0, 1}}, {{0, -1, 0}}, 5},   {{{-1, 0, -1}}, {{0, -1, 0}}, 5},
    {{{1, 0, 1}}, {{-1, 0, 0}}, 25},   {{{1, 0, -1}}, {{-1, 0, 0}}, 25},  // 30, 31 left
    {{{-1, 0, 1}}, {{1, 0, 0}}, 25},   {{{-1, 0, -1}}, {{1, 0, 0}}, 25},  // 32, 33 right
};

struct GroupSpec {
  THGROUP_TYPE type;
  int count;
  int members[orlis::kGroupCapacity];
};

const GroupSpec kGroups[] = {
    {THGROUP_ATT_PITCHUP, 4, {0, 2, 5, 7}},      {THGROUP_ATT_PITCHDOWN, 4, {1, 3, 4, 6}},
    {THGROUP_ATT_BANKLEFT, 4, {14, 20, 21, 15}}, {THGROUP_ATT_BANKRIGHT, 4, {16, 17, 18, 19}},
    {THGROUP_ATT_UP, 4, {22, 23, 24, 25}},       {THGROUP_ATT_DOWN, 4, {26, 27, 28, 29}},
    {THGROUP_ATT_YAWLEFT, 2, {8, 11}},           {THGROUP_ATT_YAWRIGHT, 2, {9, 10}},
    {THGROUP_ATT_LEFT, 2, {30, 31}},             {THGROUP_ATT_RIGHT, 2, {32, 33}},
    {THGROUP_ATT_FORWARD, 1, {12}},              {THGROUP_ATT_BACK, 1, {13}},
};

struct FlameSpec {
  int thruster;
  double lengthScale, widthScale;
  VECTOR3 pos, dir;  // [m], the way the flame points
};

const FlameSpec kFlames[] = {
    {0, 2, 0.1, {{0.024, 1.358, 0.378}}, {{0, 0.259, 0.966}}},
    {0, 2, 0.1, {{0.024, -1.358, -0.378}}, {{0, -0.259, -0.966}}},
    {1, 2, 0.1, {{0.024, -1.358, 0.378}}, {{0, -0.259, 0.966}}},
    {1, 2, 0.1, {{0.024, 1.358, -0.378}}, {{0, 0.259, -0.966}}},
    {13, 2, 0.1, {{0.024, -1.358, 0.378}}, {{0, -0.259, 0.966}}},
    {13, 2, 0.1, {{0.024, 1.358, 0.378}}, {{0, 0.259, 0.966}}},
    {12, 2, 0.1, {{0.024, -1.358, -0.378}}, {{0, -0.259, -0.966}}},
    {12, 2, 0.1, {{0.024, 1.358, -0.378}}, {{0, 0.259, -0.966}}},
    {22, 1, 0.05, {{0.024, -1.457, 0.157}}, {{0, -1, 0}}},
    {22, 1, 0.05, {{0.024, -1.457, -0.157}}, {{0, -1, 0}}},
    {26, 1, 0.05, {{0.024, 1.457, 0.157}}, {{0, 1, 0}}},
    {26, 1, 0.05, {{0.024, 1.457, -0.157}}, {{0, 1, 0}}},
    {30, 1, 0.05, {{0.197, -1.358, 0.157}}, {{0.966, -0.259, 0}}},
    {30, 1, 0.05, {{0.197, -1.358, -0.157}}, {{0.966, -0.259, 0}}},
    {30, 1, 0.05, {{0.197, 1.358, 0.157}}, {{0.966, 0.259, 0}}},
    {30, 1, 0.05, {{0.197, 1.358, -0.157}}, {{0.966, 0.259, 0}}},
    {32, 1, 0.05, {{-0.149, -1.358, 0.157}}, {{-0.966, -0.259, 0}}},
    {32, 1, 0.05, {{-0.149, -1.358, -0.157}}, {{-0.966, -0.259, 0}}},
    {32, 1, 0.05, {{-0.149, 1.358, 0.157}}, {{-0.966, 0.259, 0}}},
    {32, 1, 0.05, {{-0.149, 1.358, -0.157}}, {{-0.966, 0.259, 0}}},
    {14, 1, 0.05, {{-0.149, -1.358, 0.157}}, {{-0.966, -0.259, 0}}},
    {14, 1, 0.05, {{-0.149, -1.358, -0.157}}, {{-0.966, -0.259, 0}}},
    {14, 1, 0.05, {{0.197, 1.358, 0.157}}, {{0.966, 0.259, 0}}},
    {14, 1, 0.05, {{0.197, 1.358, -0.157}}, {{0.966, 0.259, 0}}},
    {16, 1, 0.05, {{0.197, -1.358, 0.157}}, {{0.966, -0.259, 0}}},
    {16, 1, 0.05, {{0.197, -1.358, -0.157}}, {{0.966, -0.259, 0}}},
    {16, 1, 0.05, {{-0.149, 1.358, 0.157}}, {{-0.966, 0.259, 0}}},
    {16, 1, 0.05, {{-0.149, 1.358, -0.157}}, {{-0.966, 0.259, 0}}},
    {8, 1, 0.05, {{0.197, -1.358, 0.157}}, {{0.966, -0.259, 0}}},
    {8, 1, 0.05, {{0.197, 1.358, 0.157}}, {{0.966, 0.259, 0}}},
    {8, 1, 0.05, {{-0.149, -1.358, -0.157}}, {{-0.966, -0.259, 0}}},
    {8, 1, 0.05, {{-0.149, 1.358, -0.157}}, {{-0.966, 0.259, 0}}},
    {9, 1, 0.05, {{-0.149, -1.358, 0.157}}, {{-0.966, -0.259, 0}}},
    {9, 1, 0.05, {{-0.149, 1.358, 0.157}}, {{-0.966, 0.259, 0}}},
    {9, 1, 0.05, {{0.197, -1.358, -0.157}}, {{0.966, -0.259, 0}}},
    {9, 1, 0.05, {{0.197, 1.358, -0.157}}, {{0.966, 0.259, 0}}},
};

}  // namespace

orlis::~orlis() {
  autoAttitude = 0;
  sunLock = 0;
}

void orlis::clbkSetClassCaps(FILEHANDLE) {
  // A new satellite switches the shared modes off for the whole class.
  autoAttitude = 0;
  sunLock = 0;
  sunTrackState = 0;
  deployState = 0;
  panelRotationFlag = 0;
  deployStatus = 0;

  defineAnimations();

  SetCW(1, 1, 1, 1);
  SetWingAspect(0.7);
  SetWingEffectiveness(2.5);
  SetRotDrag(_V(1, 1, 1));
  if (GetFlightModel() >= 1) {
    SetPitchMomentScale(kMomentScale);
    SetBankMomentScale(kMomentScale);
  }
  SetTrimScale(0.05);
  SetPMI(_V(1, 2, 2));
  SetCrossSections(_V(5, 10, 10));
  SetSize(5);
  SetEmptyMass(1300);

  static const char meshName[] = "Arvex/orlis";
  UINT mesh = AddMesh(meshName);
  SetMeshVisibilityMode(mesh, MESHVIS_EXTERNAL);
  SetCameraOffset(_V(0, 2, -10));
  SetLiftCoeffFunc(liftCoefficient);
  SetTouchdownPoints(_V(-1, 0, -0.5), _V(1, 1, -0.5), _V(1, -1, -0.5));
  SetDockParams(_V(0, 0, 0), _V(0, 1, 0), _V(0, 0, 1));

  defineThrusters();
}

void orlis::defineAnimations() {
  MGROUP_ROTATE *rotations = sharedRotations();
  ANIMATIONCOMPONENT_HANDLE added[kRotationCount];
  const RotationSpec &sun = kRotations[kSunTrackRotation];
  animSunTrack = CreateAnimation(0.0);
  added[kSunTrackRotation] =
      AddAnimationComponent(animSunTrack, sun.state0, sun.state1, &rotations[kSunTrackRotation]);
  animDeploy = CreateAnimation(0.0);
  for (int i = kSunTrackRotation + 1; i < kRotationCount; i++) {
    const RotationSpec &r = kRotations[i];
    ANIMATIONCOMPONENT_HANDLE parent = r.parent == kNoParent ? nullptr : added[r.parent];
    added[i] = AddAnimationComponent(animDeploy, r.state0, r.state1, &rotations[i], parent);
  }
  sunTrackComp = added[kSunTrackRotation];
  for (int k = 0; k < kPanelCount; k++) panelComp[k] = added[kFirstPanelRotation + k];
  for (int k = 0; k < kAntennaChains; k++) antennaComp[k] = added[kAntennaChainRotation[k]];
}

void orlis::defineThrusters() {
  phRcs = CreatePropellantResource(kTankCapacity, kTankCapacity, 1.0);
  for (int i = 0; i < kThrusterCount; i++) {
    const ThrusterSpec &t = kThrusters[i];
    thRcs[i] = CreateThruster(t.pos, t.dir, t.maxThrust, phRcs, kIsp, 0.0, kReferencePressure);
  }
  for (const GroupSpec &g : kGroups) {
    for (int k = 0; k < g.count; k++) thGroupScratch[k] = thRcs[g.members[k]];
    CreateThrusterGroup(thGroupScratch, g.count, g.type);
  }
  static char textureName[] = "exhaust_atrcs";
  SURFHANDLE texture = oapiRegisterExhaustTexture(textureName);
  for (const FlameSpec &f : kFlames)
    AddExhaust(thRcs[f.thruster], f.lengthScale, f.widthScale, f.pos, f.dir, texture);
}
