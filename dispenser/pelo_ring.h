// The pelo_ring vessel: a ring-shaped dispenser carrying up to eight payload vessels on radial
// attachment points, two tiers of four ports. The user steps a selection through the slots (N)
// and releases the selected payload (J); the ring's empty mass follows what is still attached.
//
// Frame: the simulator's vessel frame (left-handed, +z along the ring's axis, origin at the CG).
// Units: m, kg, s, m/s; angles in radians inside the module.
// The payloads are vessels of their own classes, attached by the simulator (normally through the
// scenario's ATTACHED lines); the ring never creates or deletes them.
#pragma once

#include "Orbitersdk.h"
#include "interface_compat.h"

class pelo_ring final : public VESSEL3 {
 public:
  static constexpr int kSlotCount = 8;
  static constexpr double kRingMass = 150.0;       // [kg] the ring alone
  static constexpr double kSeparationSpeed = 0.3;  // [m/s] along the released port's outward axis

  // Every member gets its first value in clbkSetClassCaps.
  pelo_ring(OBJHANDLE hVessel, int flightmodel) : VESSEL3(hVessel, flightmodel) {}

  // --- callbacks, in the interface's slot order -------------------------------------------------
  void clbkSetClassCaps(FILEHANDLE cfg) override;
  void clbkSaveState(FILEHANDLE scn) override;
  void clbkLoadStateEx(FILEHANDLE scn, void *status) override;
  void clbkPreStep(double simt, double simdt, double mjd) override;
  void clbkPostStep(double simt, double simdt, double mjd) override;
  int clbkConsumeBufferedKey(frame::KeyCode key, bool down, char *kstate) override;
  bool clbkDrawHUD(int mode, const HUDPAINTSPEC *hps, oapi::Sketchpad *skp) override;

  // --- commands ---------------------------------------------------------------------------------
  // Releases the payload at the selected slot (if any) and selects the next slot.
  void jettisonSelected();
  // Selects the next slot, from the last back to the first.
  void selectNextSlot();

  // --- airfoil coefficient functions (the simulator's AirfoilCoeffFuncEx form) -------------------
  // aoa: angle of attack [rad]; beta: sideslip angle [rad]; M: Mach number. Re and the context are
  // not used. Out: lift, moment and drag coefficients.
  static void verticalAirfoilCoeff(VESSEL *v, double aoa, double M, double Re, void *context, double *cl,
                                   double *cm, double *cd);
  static void horizontalAirfoilCoeff(VESSEL *v, double beta, double M, double Re, void *context, double *cl,
                                     double *cm, double *cd);

 private:
  void defineAerodynamics();
  void defineAttachmentPoints();
  // Brings a loaded slot number into 0..7 (see operations.cpp).
  static int slotInRange(long slot);

  int selectedSlot;                          // 0 ("PL1") to 7 ("PL8"); the "NPLS" state line
  ATTACHMENTHANDLE attachPoint[kSlotCount];  // child attachment points, slot 0 to 7
};
