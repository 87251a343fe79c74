// The head-up display: a Sketchpad that records what a module draws, and the recording's output
// as text ("x y 0xBBGGRR text", one line per Text call, with the colour last set) or a picture.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "DrawAPI.h"

class Vessel;

namespace sim {

class OutputFile;

struct HudText {
  int x = 0, y = 0;    // [pixel]
  DWORD colour = 0;    // 0x00BBGGRR
  std::string text;
};

class RecordingSketchpad : public oapi::Sketchpad {
 public:
  RecordingSketchpad() : oapi::Sketchpad(nullptr) {}
  DWORD SetTextColor(DWORD col) override;
  bool Text(int x, int y, const char *str, int len) override;
  std::vector<HudText> texts;
  std::vector<DWORD> colourCalls;  // every SetTextColor argument, in order

 private:
  DWORD colour_ = 0x00FFFFFF;
};

// The paint description of a W x H display.
HUDPAINTSPEC hudPaintSpec(int W, int H);
// Draws v's head-up display once (clbkDrawHUD in its Sketchpad form) and returns the recording.
std::vector<HudText> drawHud(Vessel &v, int W, int H);
// The recording as text, to an output of a set or to a file of its own (OutputError on failure).
void writeHudText(const std::vector<HudText> &hud, OutputFile &out);
void writeHudText(const std::vector<HudText> &hud, const std::filesystem::path &file);
// The recording drawn as a PNG picture of the display (cairo, in the host's picture plug-in,
// opened on first use); "" when the plug-in can be opened, else why it cannot.
std::string hudPngProblem();
void writeHudPng(const std::vector<HudText> &hud, int W, int H, OutputFile &out);
void writeHudPng(const std::vector<HudText> &hud, int W, int H, const std::filesystem::path &file);

}  // namespace sim
