// A test module that records the callbacks it receives, to check the host's lifecycle order.
// Its log is read through the exported function recorderLog().
#define ORBITER_MODULE
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Orbitersdk.h"

namespace {
std::string g_log;
void record(const std::string &s) { g_log += s + ";"; }
}  // namespace

DLLCLBK const char *recorderLog() { return g_log.c_str(); }
DLLCLBK void recorderClear() { g_log.clear(); }
DLLCLBK void InitModule(HINSTANCE) { record("InitModule"); }
DLLCLBK void ExitModule(HINSTANCE) {
  if (const char *f = std::getenv("RECORDER_EXIT_FILE"))
    if (FILE *o = std::fopen(f, "w")) std::fputs("ExitModule", o), std::fclose(o);
}

class recorder final : public VESSEL3 {
 public:
  recorder(OBJHANDLE h, int fm) : VESSEL3(h, fm) { record("construct"); }
  ~recorder() { record("destruct"); }
  void clbkSetClassCaps(FILEHANDLE) override {
    record("clbkSetClassCaps");
    CreatePropellantResource(100.0, 50.0);
  }
  void clbkLoadStateEx(FILEHANDLE scn, void *status) override {
    record("clbkLoadStateEx");
    char *line;
    while (oapiReadScenario_nextline(scn, line)) {
      if (!strncasecmp(line, "REC", 3))
        record(std::string("line[") + line + "]");
      else
        ParseScenarioLineEx(line, status);
    }
  }
  void clbkSetStateEx(const void *status) override {
    record("clbkSetStateEx");
    DefSetStateEx(status);
  }
  void clbkPostCreation() override { record("clbkPostCreation"); }
  void clbkPreStep(double simt, double simdt, double) override {
    if (steps_ < 2) record("clbkPreStep(" + std::to_string(simt) + "," + std::to_string(simdt) + ")");
  }
  void clbkPostStep(double simt, double, double) override {
    if (steps_++ < 2) record("clbkPostStep(" + std::to_string(simt) + ")");
  }
  int clbkConsumeBufferedKey(DWORD key, bool down, char *kstate) override {
    std::string mods;
    if (kstate && KEYMOD_SHIFT(kstate)) mods += "+shift";
    if (kstate && KEYMOD_CONTROL(kstate)) mods += "+ctrl";
    record("key(" + std::to_string(key) + (down ? ",down" : ",up") + mods + ")");
    return key == OAPI_KEY_A ? 0 : 1;
  }
  void clbkSaveState(FILEHANDLE scn) override {
    record("clbkSaveState");
    VESSEL2::clbkSaveState(scn);
    oapiWriteScenario_string(scn, const_cast<char *>("REC"), const_cast<char *>("kept"));
  }
  bool clbkDrawHUD(int mode, const HUDPAINTSPEC *hps, oapi::Sketchpad *skp) override {
    VESSEL3::clbkDrawHUD(mode, hps, skp);
    skp->SetTextColor(0x123456);
    skp->Text(hps->W / 2, hps->H / 4, "HUD text", 8);
    skp->SetTextColor(0x00ff00);
    skp->Text(5, 6, "second line, cut", 11);
    return true;
  }

 private:
  int steps_ = 0;
};

DLLCLBK VESSEL *ovcInit(OBJHANDLE h, int fm) {
  record("ovcInit");
  return new recorder(h, fm);
}
DLLCLBK void ovcExit(VESSEL *v) {
  record("ovcExit");
  if (v) delete static_cast<recorder *>(v);
}
