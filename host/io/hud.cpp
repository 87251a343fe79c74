// Recording and writing the head-up display (see hud.h).
#include "io/hud.h"

#include <cstdio>
#include <cstring>

#include "io/output_file.h"
#include "vessel/vessel.h"
#include "world/errors.h"

namespace sim {

DWORD RecordingSketchpad::SetTextColor(DWORD col) {
  DWORD previous = colour_;
  colour_ = col;
  colourCalls.push_back(col);
  return previous;
}

bool RecordingSketchpad::Text(int x, int y, const char *str, int len) {
  if (!str) return false;
  // At most len characters, never past the string's end (a length beyond it reads nothing more).
  size_t n = len < 0 ? std::strlen(str) : strnlen(str, static_cast<size_t>(len));
  texts.push_back({x, y, colour_, std::string(str, n)});
  return true;
}

HUDPAINTSPEC hudPaintSpec(int W, int H) {
  HUDPAINTSPEC h;
  h.W = W, h.H = H, h.CX = W / 2, h.CY = H / 2;
  h.Scale = H / (2.0 * std::tan(20.0 * RAD)) * RAD;  // pixels per degree with a 40-degree field
  h.Markersize = H / 50;
  return h;
}

std::vector<HudText> drawHud(Vessel &v, int W, int H) {
  RecordingSketchpad skp;
  HUDPAINTSPEC hps = hudPaintSpec(W, H);
  if (VESSEL3 *cb = v.callbacks3()) cb->clbkDrawHUD(HUD_SURFACE, &hps, &skp);
  return skp.texts;
}

void writeHudText(const std::vector<HudText> &hud, OutputFile &out) {
  std::string text;
  for (const HudText &t : hud) {
    char head[64];
    std::snprintf(head, sizeof head, "%d %d 0x%06X ", t.x, t.y, static_cast<unsigned>(t.colour & 0xFFFFFF));
    text += head + t.text + "\n";
  }
  out.write(text);
}

void writeHudText(const std::vector<HudText> &hud, const std::filesystem::path &file) {
  OutputFile out("head-up display", file);
  writeHudText(hud, out);
  out.commit();
}

}  // namespace sim
