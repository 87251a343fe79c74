// The head-up display text layout shared by the three modules.
//   scale k = H x 0.00130208 (1 / 768 to eight digits: just under 1 on a 768-pixel display)
//   wide displays (H / W < 0.7284): origin x0 = 10 x ((16 W) div 1024), y0 = trunc(-88 k);
//   otherwise (0, 0); text starts at x0 + 10 and row value r lands at y0 + trunc(r k).
// Rows are spaced 16 units apart. Colours are 0x00BBGGRR.
#pragma once

#include <cstring>

#include "Orbitersdk.h"

namespace frame {

constexpr DWORD kHudGreen = 0x66ff66;   // an offered command
constexpr DWORD kHudYellow = 0x66ffff;  // an active state
constexpr DWORD kHudWhite = 0xffffff;
constexpr DWORD kHudOrange = 0x6699ff;
constexpr DWORD kHudLightRed = 0x6666ff;

struct HudLayout {
  double scale;
  int x0, y0;
  explicit HudLayout(const HUDPAINTSPEC *hps) {
    scale = hps->H * 0.00130208;
    bool wide = static_cast<double>(hps->H) / hps->W < 0.7284;
    x0 = wide ? 10 * ((16 * hps->W) / 1024) : 0;
    y0 = wide ? static_cast<int>(-88 * scale) : 0;
  }
  int x() const { return x0 + 10; }
  int y(int row) const { return y0 + static_cast<int>(row * scale); }
  // Sets the colour, then writes text at row r.
  void line(oapi::Sketchpad *skp, int row, DWORD colour, const char *text) const {
    skp->SetTextColor(colour);
    skp->Text(x(), y(row), text, static_cast<int>(std::strlen(text)));
  }
};

}  // namespace frame
