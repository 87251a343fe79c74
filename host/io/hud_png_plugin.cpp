// The recorded head-up display drawn as a picture with cairo: a dark display of the given size,
// each text at its position (the top of the text at y, as the simulator's default font places it)
// in its colour (0x00BBGGRR). The PNG stream goes through an output file, whose writes are checked.
// Built as a plug-in of the host (libsimhost_hudpng.so), opened only when a picture is drawn
// (hud_png.cpp), so that the program starts without cairo and the libraries it brings.
#include <cairo.h>

#include "io/hud.h"
#include "io/output_file.h"

namespace sim {
namespace {

struct PngSink {
  OutputFile &out;
  std::string error;
};

cairo_status_t writeChunk(void *closure, const unsigned char *data, unsigned int length) {
  auto *sink = static_cast<PngSink *>(closure);
  try {
    sink->out.write(data, length);
    return CAIRO_STATUS_SUCCESS;
  } catch (const OutputError &e) {  // never thrown through cairo's frames
    sink->error = e.what();
    return CAIRO_STATUS_WRITE_ERROR;
  }
}

}  // namespace
}  // namespace sim

// The plug-in's entry point (looked up by name): throws OutputError.
extern "C" __attribute__((visibility("default"))) void simhostDrawHudPng(
    const std::vector<sim::HudText> &hud, int W, int H, sim::OutputFile &out) {
  using namespace sim;
  cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, W, H);
  cairo_t *cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 0.04, 0.06, 0.10);
  cairo_paint(cr);
  cairo_select_font_face(cr, "monospace", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 14.0 * H / 768.0);
  cairo_font_extents_t fe;
  cairo_font_extents(cr, &fe);
  for (const HudText &t : hud) {
    double r = (t.colour & 0xFF) / 255.0, g = ((t.colour >> 8) & 0xFF) / 255.0,
           b = ((t.colour >> 16) & 0xFF) / 255.0;
    cairo_set_source_rgb(cr, r, g, b);
    cairo_move_to(cr, t.x, t.y + fe.ascent);
    cairo_show_text(cr, t.text.c_str());
  }
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  PngSink sink{out, {}};
  cairo_status_t status = cairo_surface_write_to_png_stream(surface, writeChunk, &sink);
  cairo_surface_destroy(surface);
  if (!sink.error.empty()) throw OutputError(sink.error);
  if (status != CAIRO_STATUS_SUCCESS)
    throw OutputError(out.path().string() +
                      ": cannot draw the picture: " + cairo_status_to_string(status));
}
