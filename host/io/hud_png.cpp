// The recorded head-up display drawn as a picture with cairo: a dark display of the given size,
// each text at its position (the top of the text at y, as the simulator's default font places it)
// in its colour (0x00BBGGRR).
#include <cairo.h>

#include "io/hud.h"
#include "world/errors.h"

namespace sim {

void writeHudPng(const std::vector<HudText> &hud, int W, int H, const std::filesystem::path &file) {
  cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, W, H);
  cairo_t *cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 0.04, 0.06, 0.10);
  cairo_paint(cr);
  cairo_select_font_face(cr, "monospace", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 14.0 * H / 768.0);
  cairo_font_extents_t fe;
  cairo_font_extents(cr, &fe);
  for (const HudText &t : hud) {
    double r = (t.colour & 0xFF) / 255.0, g = ((t.colour >> 8) & 0xFF) / 255.0, b = ((t.colour >> 16) & 0xFF) / 255.0;
    cairo_set_source_rgb(cr, r, g, b);
    cairo_move_to(cr, t.x, t.y + fe.ascent);
    cairo_show_text(cr, t.text.c_str());
  }
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  cairo_status_t status = cairo_surface_write_to_png(surface, file.c_str());
  cairo_surface_destroy(surface);
  if (status != CAIRO_STATUS_SUCCESS) throw RunError(file.string() + ": cannot write the picture");
}

}  // namespace sim
