// DrawAPI.h: the drawing surface the simulator hands to the head-up display callback.
//
// A Sketchpad draws on one surface; the core derives its own from this class. Coordinates are
// pixels from the top-left corner of the display, colours 0x00BBGGRR.
#ifndef DRAWAPI_H
#define DRAWAPI_H

#include "OrbiterAPI.h"

namespace oapi {

class OAPIFUNC Sketchpad {
 public:
  explicit Sketchpad(SURFHANDLE s) : surf(s) {}
  virtual ~Sketchpad() {}
  // Text colour (0x00BBGGRR) for the following Text calls; returns the previous colour.
  virtual DWORD SetTextColor(DWORD col) { (void)col; return 0; }
  // Draws len characters of the UTF-8 string str with its reference point at (x, y).
  virtual bool Text(int x, int y, const char *str, int len) { (void)x; (void)y; (void)str; (void)len; return false; }
  SURFHANDLE GetSurface() const { return surf; }

 protected:
  SURFHANDLE surf;  // the surface drawn on
};

}  // namespace oapi

#endif  // DRAWAPI_H
