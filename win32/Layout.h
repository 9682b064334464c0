// Where the main window's controls go, in pixels. The layout table gives
// twips relative to each control's container; on screen every control is a
// child of the main window, so a frame's offset is added in. Pure arithmetic:
// no window is needed to ask.
#pragma once

#include "form/Form1Layout.h"

namespace tarnavel::win32 {

struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct PixelSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

// twips * dpi / 1440, rounded to the nearest pixel (halves away from zero),
// as MulDiv rounds. 15 twips are one pixel at 96 DPI.
int twipsToPixels(int twips, unsigned dpi);

// A font size in hundredths of a point as a LOGFONT height (negative: the
// character height without internal leading).
int pointsToFontHeight(int hundredthsOfPoint, unsigned dpi);

// The control's rectangle in the main window's client area. Edges are
// converted, not sizes, so neighbours that touch in twips touch in pixels.
PixelRect controlRect(const CtlLayout& control, unsigned dpi);

// The main window's client area.
PixelSize clientSize(unsigned dpi);

}  // namespace tarnavel::win32
