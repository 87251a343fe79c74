// The ring's definition: size, mass, inertia, drag, touchdown points, camera, mesh, the two
// airfoils and the eight payload ports.
//
// Ports: two tiers of four, at z = 1.09 m ("PL1" to "PL4") and z = 0 ("PL5" to "PL8"), 0.987 m
// from the axis and 90 degrees apart, starting on +x and turning towards +y. Each port's direction
// is its outward radial axis, along which the payload sits; the rotation reference is the ring's
// axis (0, 0, 1), so every payload hangs with the same roll about its port.
// Frame: vessel frame, metres. The class file the simulator passes in is not read.
#include "pelo_ring.h"

namespace {

constexpr double kSize = 2.0;          // [m] mean radius
constexpr double kTopTierZ = 1.09;     // [m]
constexpr double kPortRadius = 0.987;  // [m] distance of a port from the axis

struct PortLayout {
  const char *id;
  double z;       // [m] tier
  double dx, dy;  // outward radial direction
};

// In slot order: slot 0 is "PL1".
constexpr PortLayout kPorts[pelo_ring::kSlotCount] = {
    {"PL1", kTopTierZ, 1, 0}, {"PL2", kTopTierZ, 0, 1}, {"PL3", kTopTierZ, -1, 0}, {"PL4", kTopTierZ, 0, -1},
    {"PL5", 0.0, 1, 0},       {"PL6", 0.0, 0, 1},       {"PL7", 0.0, -1, 0},       {"PL8", 0.0, 0, -1},
};

// Both airfoils share these dimensions and act at (0, 0, 1) m.
constexpr double kChord = 1.0;     // [m]
constexpr double kWingArea = 2.0;  // [m^2]
constexpr double kAspectRatio = 1.0;

}  // namespace

void pelo_ring::clbkSetClassCaps(FILEHANDLE) {
  selectedSlot = 0;
  SetSize(kSize);
  SetEmptyMass(kRingMass);
  SetPMI(_V(2, 2, 0.75));
  SetCrossSections(_V(5, 5, 3));
  SetCW(1, 1, 1, 1);  // kept for the legacy model; the airfoils supersede it
  SetRotDrag(_V(2, 2, 1));
  // The three-point form derives stiffness and damping from the empty mass set above.
  SetTouchdownPoints(_V(0, -1, 5), _V(-2, -1, -5), _V(2, -1, -5));
  SetCameraOffset(_V(0, 2, -2));
  UINT mesh = AddMesh("Arvex/pelo_ring");
  SetMeshVisibilityMode(mesh, MESHVIS_ALWAYS);
  defineAerodynamics();
  defineAttachmentPoints();
}

void pelo_ring::defineAerodynamics() {
  const VECTOR3 centreOfPressure = _V(0, 0, 1);
  CreateAirfoil3(LIFT_VERTICAL, centreOfPressure, verticalAirfoilCoeff, nullptr, kChord, kWingArea, kAspectRatio);
  CreateAirfoil3(LIFT_HORIZONTAL, centreOfPressure, horizontalAirfoilCoeff, nullptr, kChord, kWingArea, kAspectRatio);
}

void pelo_ring::defineAttachmentPoints() {
  const VECTOR3 ringAxis = _V(0, 0, 1);
  for (int slot = 0; slot < kSlotCount; slot++) {
    const PortLayout &port = kPorts[slot];
    VECTOR3 pos = _V(port.dx * kPortRadius, port.dy * kPortRadius, port.z);
    VECTOR3 outward = _V(port.dx, port.dy, 0);
    attachPoint[slot] = CreateAttachment(false, pos, outward, ringAxis, port.id, false);
  }
}
