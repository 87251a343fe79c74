// The booster's definition: member defaults, physical constants, meshes, propellant, thrusters and
// groups, exhaust and particle streams, airfoils and drag elements (clbkSetClassCaps).
//
// Thrusters: RCS 12 x 1 kN (Isp 800 m/s, no pressure loss), engine steering 12 x 38 kN and the
// three main thrusters (6669 / 2223 / 741 kN), all with Isp 3051 m/s in vacuum and 2767 m/s at
// 101.4 kPa. Airfoil coefficients over the angle of attack, in 22.5-degree steps from -180 deg:
//   x = (aoa + pi) / step, i = trunc(x) limited to 0..15, cl = CL[i] + (CL[i+1] - CL[i]) (x - i),
//   cm = 0, cd = cl^2 / (pi 0.16 0.2) + 0.11.
// Vessel frame, m, kg, N, m/s.
#include <cmath>
#include <cstring>
#include <initializer_list>

#include "booster/larkon.h"

char targetName[256] = "NULL";
OBJHANDLE targetGravRef = nullptr;

namespace {

struct ThrusterSpec {
  VECTOR3 pos, dir;
};

const ThrusterSpec kRcs[12] = {
    {{{1.95, 0, 18.8}}, {{-1, 0, 0}}},        {{{0, 1.95, 18.8}}, {{0, -1, 0}}},
    {{{-1.95, 0, 18.8}}, {{1, 0, 0}}},        {{{0, -1.95, 18.8}}, {{0, 1, 0}}},
    {{{1.95, 0, -18.12}}, {{-1, 0, 0}}},      {{{0, 1.95, -18.12}}, {{0, -1, 0}}},
    {{{-1.95, 0, -18.12}}, {{1, 0, 0}}},      {{{0, -1.95, -18.12}}, {{0, 1, 0}}},
    {{{1.884, 0.103, 18.963}}, {{0, -1, 0}}}, {{{1.884, -0.103, 18.963}}, {{0, 1, 0}}},
    {{{-1.884, 0.103, 18.963}}, {{0, -1, 0}}}, {{{-1.884, -0.103, 18.963}}, {{0, 1, 0}}},
};

const ThrusterSpec kEngineSteering[12] = {
    {{{0, 2, -21}}, {{1, 0, 0}}},  {{{0, 2, -21}}, {{-1, 0, 0}}},  {{{0, -2, -21}}, {{1, 0, 0}}},
    {{{0, -2, -21}}, {{-1, 0, 0}}}, {{{0, 4, -21}}, {{1, 0, 0}}},   {{{0, 4, -21}}, {{-1, 0, 0}}},
    {{{0, -4, -21}}, {{1, 0, 0}}},  {{{0, -4, -21}}, {{-1, 0, 0}}}, {{{2, 0, -21}}, {{0, 1, 0}}},
    {{{2, 0, -21}}, {{0, -1, 0}}},  {{{-2, 0, -21}}, {{0, 1, 0}}},  {{{-2, 0, -21}}, {{0, -1, 0}}},
};

constexpr double kRcsThrust = 1000.0;     // [N]
constexpr double kRcsIsp = 800.0;         // [m/s] in vacuum and at the reference pressure
constexpr double kSteeringThrust = 38000.0;  // [N]
constexpr double kMainIspVacuum = 3051.0;    // [m/s]
constexpr double kMainIspSeaLevel = 2767.0;  // [m/s] at the reference pressure
constexpr double kReferencePressure = 101400.0;  // [Pa]
const double kMainThrust[3] = {6669000.0, 2223000.0, 741000.0};  // [N] nine, three, one engine

// Engine positions (x, y) at z = -21 m: nine for thMain[0], three for thMain[1], one for thMain[2].
struct EnginePos {
  double x, y;
};
const EnginePos kNineEngines[9] = {{0, 0},     {1.32, 0},      {-1.32, 0},     {0, 1.32},    {0, -1.32},
                                    {0.931, 0.931}, {-0.931, -0.931}, {-0.931, 0.931}, {0.931, -0.931}};
const int kEngineCount[3] = {9, 3, 1};  // the first n positions of the table serve each thruster
constexpr double kEnginePlane = -21.0;  // [m]

// Particle streams A (main plume), B (plume core), C (RCS puff), D (the low plume).
PARTICLESTREAMSPEC streamSpec(double size, double rate, double v0, double spread, double life, double growth,
                              double slowdown, PARTICLESTREAMSPEC::LTYPE lt, double lmin, double lmax,
                              PARTICLESTREAMSPEC::ATMSMAP am, double amin, double amax, SURFHANDLE tex) {
  PARTICLESTREAMSPEC s;
  s.flags = 0;
  s.srcsize = size, s.srcrate = rate, s.v0 = v0, s.srcspread = spread, s.lifetime = life;
  s.growthrate = growth, s.atmslowdown = slowdown, s.ltype = lt;
  s.levelmap = PARTICLESTREAMSPEC::LVL_SQRT, s.lmin = lmin, s.lmax = lmax;
  s.atmsmap = am, s.amin = amin, s.amax = amax, s.tex = tex;
  return s;
}

// Lift coefficient over aoa from -180 to +180 deg in steps of 22.5 deg (odd about aoa = 0).
const double kLiftTable[17] = {0, 0.1, 0.2, 0.1, 0, 0.1, 0.2, 0.1, 0, -0.1, -0.2, -0.1, 0, -0.1, -0.2, -0.1, 0};

void airfoilCoefficients(double aoa, double /*M*/, double /*Re*/, double *cl, double *cm, double *cd) {
  const double step = 22.5 * RAD;
  double x = (aoa + PI) / step;
  double segment = std::trunc(x);
  if (!(segment >= 0)) segment = 0;  // also catches a NaN angle
  if (segment > 15) segment = 15;
  int i = static_cast<int>(segment);
  *cl = kLiftTable[i] + (kLiftTable[i + 1] - kLiftTable[i]) * (x - i);
  *cm = 0.0;
  *cd = oapiGetInducedDrag(*cl, 0.16, 0.2) + 0.11;
}

// Touchdown points: legs stowed (the hull) and legs deployed.
const TOUCHDOWNVTX kStowedPoints[4] = {{{{0, -5, -20}}, 1e6, 1e5, 1.5, 1.5},
                                        {{{-4.33, 2.5, -20}}, 1e6, 1e5, 1.5, 1.5},
                                        {{{4.33, 2.5, -20}}, 1e6, 1e5, 1.5, 1.5},
                                        {{{0, 20, 0}}, 1e6, 1e5, 1.5, 0}};

}  // namespace

// The deployed-legs table, used by the driver, post-creation and the descent autopilot.
extern const TOUCHDOWNVTX kDeployedPoints[4];
const TOUCHDOWNVTX kDeployedPoints[4] = {{{{0, -5, -24}}, 1e6, 1e6, 0.7, 0.7},
                                          {{{-4.33, 2.5, -24}}, 1e6, 1e6, 0.7, 0.7},
                                          {{{4.33, 2.5, -24}}, 1e6, 1e6, 0.7, 0.7},
                                          {{{0, 20, 0}}, 1e6, 1e5, 1.5, 0}};

void larkon::clbkSetClassCaps(FILEHANDLE) {
  // 1. Defaults (the module-wide target too: a new booster resets every booster's target).
  std::strcpy(targetName, "NULL");
  for (THRUSTER_HANDLE &h : thMain) h = nullptr;
  for (THRUSTER_HANDLE &h : thEngineAtt) h = nullptr;
  for (THRUSTER_HANDLE &h : thGroupScratch) h = nullptr;
  for (THRUSTER_HANDLE &h : thRcs) h = nullptr;
  thgMain = thgPitchUp = thgPitchDown = thgBankRight = thgBankLeft = thgYawRight = thgYawLeft = nullptr;
  phMain = phRcs = nullptr;
  flybackTarget = landingTarget = nullptr;
  for (ANIMATIONCOMPONENT_HANDLE &h : animParent) h = nullptr;
  psLandingPlume = nullptr;
  csFinElevator = csFinRudder = nullptr;
  flybackFlightTime = 100.0;
  simDt = 0.0;
  sequenceTimer = 0.0;
  legsState = kLegsStowed;
  finsState = kFinsStowed;
  engineMode = kEnginesNine;
  apFlyback = kFlybackOff;
  autoSequence = kSequenceOff;
  apDescent = cameraBackward = apReentryAttitude = descentBurnDone = attitudeSet = below15km = 0;
  legsAnimState[0] = legsAnimState[1] = legsAnimState[2] = 0.0;
  finsAnimState[0] = 0.0;
  finsAnimState[1] = finsAnimState[2] = 0.5;
  requiredDv = 0.0;
  maxAttRate = 5.0 * RAD;
  transferArrivalAngle = 70.0 * RAD;
  fallArrivalAngle = 65.0 * RAD;
  for (MGROUP_TRANSLATE *&t : legTranslate) t = nullptr;
  for (MGROUP_ROTATE *&r : legRotate) r = nullptr;
  for (MGROUP_ROTATE *&r : finDeploy) r = nullptr;
  for (MGROUP_ROTATE *&r : finDeflect) r = nullptr;
  guidanceVector = _V(0, 1, 0);
  reentryBurnOn = landingPlumeSet = reentryBurnShown = 0;
  landingLaw = kLawSpecified;
  in_.bind(this);

  // 2. Animations, before the meshes they name.
  defineAnimations();

  // 3. Physical constants.
  SetSize(20.0);
  SetEmptyMass(19000.0);
  SetPMI(_V(129, 129, 1.9));
  SetCrossSections(_V(159, 159, 16));
  SetCW(0.5, 1.0, 1.0, 1.0);
  SetRotDrag(_V(0.25, 0.25, 0.1));
  SetTouchdownPoints(kStowedPoints, 4);
  SetCameraOffset(_V(0, 3, 7.5));
  SetCameraRotationRange(PI, PI, 0.4 * PI, 0.4 * PI);

  // 4. Meshes: the stage (index 0) and the interstage with the grid fins (index 1).
  UINT stage = AddMesh("Arvex/larkon");
  VECTOR3 noOffset = _V(0, 0, 0);
  UINT interstage = AddMesh("Arvex/ax_interstg", &noOffset);
  SetMeshVisibilityMode(stage, MESHVIS_ALWAYS);
  SetMeshVisibilityMode(interstage, MESHVIS_ALWAYS);

  // 5. Propellant.
  phMain = CreatePropellantResource(384000.0, 384000.0, 1.0);
  phRcs = CreatePropellantResource(350.0, 350.0, 1.0);

  // 6.-7. RCS and engine-steering thrusters.
  for (int i = 0; i < 12; i++)
    thRcs[i] = CreateThruster(kRcs[i].pos, kRcs[i].dir, kRcsThrust, phRcs, kRcsIsp, kRcsIsp, kReferencePressure);
  for (int i = 0; i < 12; i++)
    thEngineAtt[i] = CreateThruster(kEngineSteering[i].pos, kEngineSteering[i].dir, kSteeringThrust, phMain,
                                    kMainIspVacuum, kMainIspSeaLevel, kReferencePressure);

  // 8. Rotation groups from the engine-steering set.
  createRotationGroups(false);

  // 9. Main thrusters and THGROUP_MAIN.
  for (int i = 0; i < 3; i++)
    thMain[i] = CreateThruster(_V(0, 0, kEnginePlane), _V(0, 0, 1), kMainThrust[i], phMain, kMainIspVacuum,
                               kMainIspSeaLevel, kReferencePressure);
  thgMain = CreateThrusterGroup(&thMain[0], 1, THGROUP_MAIN);

  // 10. Exhaust flames. The RCS flames take position and direction from their thrusters: the
  // explicit form's direction is the flame's, opposite to the thrust.
  SURFHANDLE mainTex = oapiRegisterExhaustTexture(const_cast<char *>("Exhaust2"));
  SURFHANDLE rcsTex = oapiRegisterExhaustTexture(const_cast<char *>("exhaust_atrcs"));
  for (THRUSTER_HANDLE th : thRcs) AddExhaust(th, 6.0, 0.6, rcsTex);
  for (int t = 0; t < 3; t++)
    for (int e = 0; e < kEngineCount[t]; e++)
      AddExhaust(thMain[t], 30.0, 1.0, _V(kNineEngines[e].x, kNineEngines[e].y, kEnginePlane), _V(0, 0, -1),
                 mainTex);

  // 11. Particle streams: A then B on every engine position, D in psLandingPlume, C on the RCS.
  SURFHANDLE contrail3 = oapiRegisterParticleTexture(const_cast<char *>("Contrail3"));
  SURFHANDLE contrail1 = oapiRegisterParticleTexture(const_cast<char *>("Contrail1"));
  using PS = PARTICLESTREAMSPEC;
  PARTICLESTREAMSPEC plume =
      streamSpec(3.0, 80, 150, 0.01, 0.2, -0.4, 2.0, PS::EMISSIVE, 0, 1, PS::ATM_PLOG, 1e-7, 1, contrail3);
  PARTICLESTREAMSPEC core =
      streamSpec(5.0, 80, 150, 0.07, 0.15, -15.0, 2.0, PS::EMISSIVE, 0, 1, PS::ATM_PLOG, 7e-8, 1, contrail3);
  PARTICLESTREAMSPEC puff =
      streamSpec(0.1, 1.0, 100, 0.1, 0.025, 40, 10, PS::EMISSIVE, 0.5, 1.0, PS::ATM_FLAT, 0.1, 0.1, contrail1);
  PARTICLESTREAMSPEC low =
      streamSpec(3.0, 20, 2.0, 3.0, 1.0, -0.25, 10, PS::DIFFUSE, 0, 1, PS::ATM_PLIN, 0.5, 1.0, contrail1);
  for (PARTICLESTREAMSPEC *spec : {&plume, &core})
    for (int t = 0; t < 3; t++)
      for (int e = 0; e < kEngineCount[t]; e++)
        AddExhaustStream(thMain[t], _V(kNineEngines[e].x, kNineEngines[e].y, kEnginePlane), spec);
  psLandingPlume = AddExhaustStream(thMain[2], _V(0, 0, -19), &low);
  for (int i = 0; i < 12; i++) AddExhaustStream(thRcs[i], kRcs[i].pos, &puff);

  // 12. Airfoils.
  CreateAirfoil(LIFT_VERTICAL, _V(0, 0, 0.1), airfoilCoefficients, 25.0, 100.0, 0.16);
  CreateAirfoil(LIFT_HORIZONTAL, _V(0, 0, 0.1), airfoilCoefficients, 25.0, 100.0, 0.16);

  // 13. Drag of the unfolding legs and fins, read through the animation states every step.
  // const pointers: the element reads the states, and the non-const form is the obsolete overload
  CreateVariableDragElement(static_cast<const double *>(&legsAnimState[0]), 12.0, _V(0, 0, 1));
  CreateVariableDragElement(static_cast<const double *>(&finsAnimState[0]), 3.0, _V(0, 0, 1));
}
