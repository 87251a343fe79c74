// Calls only a screen can answer: mesh visuals, beacons, cockpit camera movement, 2-D panels,
// virtual cockpits, multi-function displays, HUD settings, drawing surfaces, dialogs and
// annotations. The host answers each as the simulator answers a vessel it does not render: a
// null handle, false or zero, or nothing at all, and counts the call (the run report lists them
// as headless calls). None of them reads or writes through a pointer it was given, except
// oapiDebugString's buffer, which stays valid for the whole run.
// VESSEL4's callback default and its display-mode registration live here too.
#include <cstring>

#include "vessel/api_entry.h"
#include "vessel/api_shared.h"
#include "world/world.h"

namespace sim::api {

void headless(const char *call) {
  if (World *w = World::current()) w->diagnostics().headless(call);
}

}  // namespace sim::api

using sim::api::headless;

// --- VESSEL: visuals --------------------------------------------------------------------------

const MESHHANDLE VESSEL::GetMeshTemplate(UINT idx) const {
  (void)idx;
  headless("GetMeshTemplate");
  return nullptr;
}
MESHHANDLE VESSEL::CopyMeshFromTemplate(UINT idx) const {
  (void)idx;
  headless("CopyMeshFromTemplate");
  return nullptr;
}
MESHHANDLE VESSEL::GetMesh(VISHANDLE vis, UINT idx) const {
  (void)vis, (void)idx;
  headless("GetMesh");
  return nullptr;
}
DEVMESHHANDLE VESSEL::GetDevMesh(VISHANDLE vis, UINT idx) const {
  (void)vis, (void)idx;
  headless("GetDevMesh");
  return nullptr;
}
void VESSEL::AddBeacon(BEACONLIGHTSPEC *bs) {
  VESSEL_ENTRY("AddBeacon");
  headless("AddBeacon");
  if (bs) v->def.visual.beacons.push_back(bs);
}
bool VESSEL::DelBeacon(BEACONLIGHTSPEC *bs) {
  VESSEL_ENTRY("DelBeacon", false);
  headless("DelBeacon");
  return std::erase(v->def.visual.beacons, bs) > 0;
}
void VESSEL::ClearBeacons() {
  VESSEL_ENTRY("ClearBeacons");
  headless("ClearBeacons");
  v->def.visual.beacons.clear();
}
void VESSEL::SetCameraCatchAngle(double cangle) const {
  (void)cangle;
  headless("SetCameraCatchAngle");
}
void VESSEL::SetCameraShiftRange(const VECTOR3 &fwd, const VECTOR3 &lft, const VECTOR3 &rgt) const {
  (void)fwd, (void)lft, (void)rgt;
  headless("SetCameraShiftRange");
}
void VESSEL::SetCameraMovement(const VECTOR3 &, double, double, const VECTOR3 &, double, double, const VECTOR3 &,
                               double, double) const {
  headless("SetCameraMovement");
}

// --- VESSEL3: 2-D panels ------------------------------------------------------------------------

int VESSEL3::SetPanelBackground(PANELHANDLE, SURFHANDLE *, DWORD, MESHHANDLE, DWORD, DWORD, DWORD, DWORD) {
  headless("SetPanelBackground");
  return 0;
}
int VESSEL3::SetPanelScaling(PANELHANDLE, double, double) {
  headless("SetPanelScaling");
  return 0;
}
int VESSEL3::RegisterPanelMFDGeometry(PANELHANDLE, int, int, int) {
  headless("RegisterPanelMFDGeometry");
  return 0;
}
int VESSEL3::RegisterPanelArea(PANELHANDLE, int, const RECT &, const RECT &, int, int, int) {
  headless("RegisterPanelArea");
  return 0;
}
int VESSEL3::RegisterPanelArea(PANELHANDLE, int, const RECT &, int, int, SURFHANDLE, void *) {
  headless("RegisterPanelArea");
  return 0;
}

// --- VESSEL4 ----------------------------------------------------------------------------------

VESSEL4::VESSEL4(OBJHANDLE hVessel, int fmodel) : VESSEL3(hVessel, fmodel) { version = 3; }
int VESSEL4::clbkNavProcess(int mode) { return mode; }
int VESSEL4::RegisterMFDMode(const MFDMODESPECEX &) {
  headless("RegisterMFDMode");
  return 0;
}
bool VESSEL4::UnregisterMFDMode(int) {
  headless("UnregisterMFDMode");
  return false;
}

// --- textures, surfaces and drawing -----------------------------------------------------------

SURFHANDLE oapiLoadTexture(const char *, bool) {
  headless("oapiLoadTexture");
  return nullptr;
}
void oapiReleaseTexture(SURFHANDLE) { headless("oapiReleaseTexture"); }
SURFHANDLE oapiGetTextureHandle(MESHHANDLE, DWORD) {
  headless("oapiGetTextureHandle");
  return nullptr;
}
bool oapiSetTexture(MESHHANDLE, DWORD, SURFHANDLE) {
  headless("oapiSetTexture");
  return false;
}
SURFHANDLE oapiCreateSurface(int, int) {
  headless("oapiCreateSurface");
  return nullptr;
}
void oapiDestroySurface(SURFHANDLE) { headless("oapiDestroySurface"); }
void oapiBlt(SURFHANDLE, SURFHANDLE, int, int, int, int, int, int, DWORD) { headless("oapiBlt"); }
void oapiColourFill(SURFHANDLE, DWORD, int, int, int, int) { headless("oapiColourFill"); }
HDC oapiGetDC(SURFHANDLE) {
  headless("oapiGetDC");
  return nullptr;
}
void oapiReleaseDC(SURFHANDLE, HDC) { headless("oapiReleaseDC"); }
oapi::Sketchpad *oapiGetSketchpad(SURFHANDLE) {
  headless("oapiGetSketchpad");
  return nullptr;
}
void oapiReleaseSketchpad(oapi::Sketchpad *) { headless("oapiReleaseSketchpad"); }
oapi::Font *oapiCreateFont(int, bool, const char *, FontStyle, int) {
  headless("oapiCreateFont");
  return nullptr;
}
oapi::Pen *oapiCreatePen(int, int, DWORD) {
  headless("oapiCreatePen");
  return nullptr;
}
oapi::Brush *oapiCreateBrush(DWORD) {
  headless("oapiCreateBrush");
  return nullptr;
}
void oapiReleaseFont(oapi::Font *) { headless("oapiReleaseFont"); }
void oapiReleasePen(oapi::Pen *) { headless("oapiReleasePen"); }
void oapiReleaseBrush(oapi::Brush *) { headless("oapiReleaseBrush"); }
DWORD oapiGetColour(DWORD red, DWORD green, DWORD blue) {  // a plain computation: no screen needed
  return (red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16);
}

// --- panels and virtual cockpits ----------------------------------------------------------------

void oapiRegisterPanelBackground(HBITMAP, DWORD, DWORD) { headless("oapiRegisterPanelBackground"); }
void oapiRegisterPanelArea(int, const RECT &, int, int, int) { headless("oapiRegisterPanelArea"); }
void oapiRegisterMFD(int, const MFDSPEC &) { headless("oapiRegisterMFD"); }
void oapiRegisterMFD(int, const EXTMFDSPEC *) { headless("oapiRegisterMFD"); }
void oapiSetPanelNeighbours(int, int, int, int) { headless("oapiSetPanelNeighbours"); }
bool oapiTriggerPanelRedrawArea(int, int) {
  headless("oapiTriggerPanelRedrawArea");
  return false;
}
bool oapiTriggerRedrawArea(int, int, int) {
  headless("oapiTriggerRedrawArea");
  return false;
}
bool oapiSetPanel(int) {
  headless("oapiSetPanel");
  return false;
}
int oapiCockpitMode() { return COCKPIT_GENERIC; }  // true of the headless host: no panels, no VC
bool oapiCameraInternal() {
  sim::World *w = sim::World::current();
  return w && !w->camera.external;
}
void oapiVCRegisterArea(int, const RECT &, int, int, int, SURFHANDLE) { headless("oapiVCRegisterArea"); }
void oapiVCRegisterArea(int, int, int) { headless("oapiVCRegisterArea"); }
void oapiVCSetAreaClickmode_Spherical(int, const VECTOR3 &, double) { headless("oapiVCSetAreaClickmode_Spherical"); }
void oapiVCSetAreaClickmode_Quadrilateral(int, const VECTOR3 &, const VECTOR3 &, const VECTOR3 &, const VECTOR3 &) {
  headless("oapiVCSetAreaClickmode_Quadrilateral");
}
void oapiVCRegisterMFD(int, const VCMFDSPEC *) { headless("oapiVCRegisterMFD"); }
void oapiVCRegisterHUD(const VCHUDSPEC *) { headless("oapiVCRegisterHUD"); }
bool oapiVCTriggerRedrawArea(int, int) {
  headless("oapiVCTriggerRedrawArea");
  return false;
}

// --- multi-function displays and HUD settings ---------------------------------------------------

void oapiOpenMFD(int, int) { headless("oapiOpenMFD"); }
void oapiToggleMFD_on(int) { headless("oapiToggleMFD_on"); }
int oapiGetMFDMode(int) {
  headless("oapiGetMFDMode");
  return MFD_NONE;
}
int oapiSendMFDKey(int, DWORD) {
  headless("oapiSendMFDKey");
  return 0;
}
void oapiRefreshMFDButtons(int, OBJHANDLE) { headless("oapiRefreshMFDButtons"); }
bool oapiProcessMFDButton(int, int, int) {
  headless("oapiProcessMFDButton");
  return false;
}
const char *oapiMFDButtonLabel(int, int) {
  headless("oapiMFDButtonLabel");
  return nullptr;
}
int oapiRegisterMFDMode(MFDMODESPECEX &) {
  headless("oapiRegisterMFDMode");
  return 0;
}
bool oapiUnregisterMFDMode(int) {
  headless("oapiUnregisterMFDMode");
  return false;
}
int oapiGetHUDMode() { return HUD_SURFACE; }  // the mode the host draws the HUD in
bool oapiSetHUDMode(int) {
  headless("oapiSetHUDMode");
  return false;
}
void oapiToggleHUDColour() { headless("oapiToggleHUDColour"); }
void oapiIncHUDIntensity() { headless("oapiIncHUDIntensity"); }
void oapiDecHUDIntensity() { headless("oapiDecHUDIntensity"); }
void oapiSetDefNavDisplay(int) { headless("oapiSetDefNavDisplay"); }
void oapiSetDefRCSDisplay(int) { headless("oapiSetDefRCSDisplay"); }

// --- dialogs, annotations, the debug line ---------------------------------------------------------

HWND oapiOpenDialog(HINSTANCE, int, DLGPROC, void *) {
  headless("oapiOpenDialog");
  return nullptr;
}
void oapiCloseDialog(HWND) { headless("oapiCloseDialog"); }
void *oapiGetDialogContext(HWND) {
  headless("oapiGetDialogContext");
  return nullptr;
}
BOOL oapiDefDialogProc(HWND, UINT, WPARAM, LPARAM) {
  headless("oapiDefDialogProc");
  return FALSE;
}
NOTEHANDLE oapiCreateAnnotation(bool, double, const VECTOR3 &) {
  headless("oapiCreateAnnotation");
  return nullptr;
}
bool oapiDelAnnotation(NOTEHANDLE) {
  headless("oapiDelAnnotation");
  return false;
}
void oapiAnnotationSetText(NOTEHANDLE, char *) { headless("oapiAnnotationSetText"); }
void oapiAnnotationSetPos(NOTEHANDLE, double, double, double, double) { headless("oapiAnnotationSetPos"); }

char *oapiDebugString() {
  static char line[256];  // a module may write its whole length; never shown
  headless("oapiDebugString");
  line[sizeof line - 1] = '\0';
  return line;
}
