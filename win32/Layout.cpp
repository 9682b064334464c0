#include "win32/Layout.h"

#include <cstdint>

namespace tarnavel::win32 {

int twipsToPixels(int twips, unsigned dpi) {
  const std::int64_t scaled = static_cast<std::int64_t>(twips) * dpi;
  const std::int64_t half = 720;
  return static_cast<int>(scaled >= 0 ? (scaled + half) / 1440 : (scaled - half) / 1440);
}

int pointsToFontHeight(int hundredthsOfPoint, unsigned dpi) {
  const std::int64_t scaled = static_cast<std::int64_t>(hundredthsOfPoint) * dpi;
  return -static_cast<int>((scaled + 3600) / 7200);
}

PixelRect controlRect(const CtlLayout& control, unsigned dpi) {
  int left = control.left;
  int top = control.top;
  if (control.container != Ctl::None) {
    const CtlLayout& frame = layoutOf(control.container);
    left += frame.left;
    top += frame.top;
  }
  return {twipsToPixels(left, dpi), twipsToPixels(top, dpi),
          twipsToPixels(left + control.width, dpi), twipsToPixels(top + control.height, dpi)};
}

PixelSize clientSize(unsigned dpi) {
  return {twipsToPixels(kFormWidthTwips, dpi), twipsToPixels(kFormHeightTwips, dpi)};
}

}  // namespace tarnavel::win32
