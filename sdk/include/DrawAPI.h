// DrawAPI.h: the drawing surface the simulator hands to the head-up display callback.
//
// A Sketchpad draws on one surface; the core derives its own from this class. Coordinates are
// pixels from the top-left corner of the display, colours 0x00BBGGRR. Every drawing call has a
// default that draws nothing, so a surface that only records text (the headless host's) needs to
// override nothing else.
#ifndef DRAWAPI_H
#define DRAWAPI_H

#include "OrbiterAPI.h"

namespace oapi {

class OAPIFUNC Sketchpad {
 public:
  explicit Sketchpad(SURFHANDLE s) : surf(s) {}
  virtual ~Sketchpad() {}

  // Drawing resources; each returns the one selected before (null: the default).
  virtual Font *SetFont(Font *font) const { (void)font; return 0; }
  virtual Pen *SetPen(Pen *pen) const { (void)pen; return 0; }
  virtual Brush *SetBrush(Brush *brush) const { (void)brush; return 0; }
  enum TAlign_horizontal { LEFT, CENTER, RIGHT };
  enum TAlign_vertical { TOP, BASELINE, BOTTOM };
  virtual void SetTextAlign(TAlign_horizontal tah = LEFT, TAlign_vertical tav = TOP) { (void)tah; (void)tav; }
  // Text colour (0x00BBGGRR) for the following Text calls; returns the previous colour.
  virtual DWORD SetTextColor(DWORD col) { (void)col; return 0; }
  virtual DWORD SetBackgroundColor(DWORD col) { (void)col; return 0; }
  enum BkgMode { BK_TRANSPARENT, BK_OPAQUE };
  virtual void SetBackgroundMode(BkgMode mode) { (void)mode; }
  virtual DWORD GetCharSize() { return 0; }  // height in the low word, mean width in the high word
  virtual DWORD GetTextWidth(const char *str, int len = 0) { (void)str; (void)len; return 0; }
  virtual void SetOrigin(int x, int y) { (void)x; (void)y; }
  // Draws len characters of the UTF-8 string str with its reference point at (x, y).
  virtual bool Text(int x, int y, const char *str, int len) { (void)x; (void)y; (void)str; (void)len; return false; }
  virtual bool TextBox(int x1, int y1, int x2, int y2, const char *str, int len) {
    (void)x1; (void)y1; (void)x2; (void)y2; (void)str; (void)len;
    return false;
  }
  virtual void Pixel(int x, int y, DWORD col) { (void)x; (void)y; (void)col; }
  virtual void MoveTo(int x, int y) { (void)x; (void)y; }
  virtual void LineTo(int x, int y) { (void)x; (void)y; }
  virtual void Line(int x0, int y0, int x1, int y1) { (void)x0; (void)y0; (void)x1; (void)y1; }
  virtual void Rectangle(int x0, int y0, int x1, int y1) { (void)x0; (void)y0; (void)x1; (void)y1; }
  virtual void Ellipse(int x0, int y0, int x1, int y1) { (void)x0; (void)y0; (void)x1; (void)y1; }
  virtual void Polygon(const IVECTOR2 *pt, int npt) { (void)pt; (void)npt; }
  virtual void Polyline(const IVECTOR2 *pt, int npt) { (void)pt; (void)npt; }
  virtual HDC GetDC() { return 0; }
  SURFHANDLE GetSurface() const { return surf; }

 protected:
  SURFHANDLE surf;  // the surface drawn on
};

}  // namespace oapi

#endif  // DRAWAPI_H
