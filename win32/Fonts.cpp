#include "win32/Fonts.h"

#include <algorithm>

#include "platform/Errors.h"
#include "win32/Layout.h"
#include "win32/Text.h"

namespace tarnavel::win32 {
namespace {

Font make(const LOGFONTW& description) {
  Font font(CreateFontIndirectW(&description));
  if (!font) throw AppError::system(systemMessage(GetLastError()));
  return font;
}

LOGFONTW arialBold(int hundredthsOfPoint, unsigned dpi) {
  LOGFONTW lf{};
  lf.lfHeight = pointsToFontHeight(hundredthsOfPoint, dpi);
  lf.lfWeight = FW_BOLD;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = CLEARTYPE_QUALITY;
  lf.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
  wcscpy_s(lf.lfFaceName, LF_FACESIZE, L"Arial");
  return lf;
}

// The message font, made smaller only where its cell (the characters' height
// and a quarter more for the line) would not fit the hint's strip.
LOGFONTW hintFont(unsigned dpi) {
  LOGFONTW lf = messageFont(dpi);
  const int strip = std::max(1, twipsToPixels(kHintStripTwips, dpi));
  const int characters = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight * 4 / 5;
  lf.lfHeight = -std::max(1, std::min(characters, strip * 4 / 5));
  return lf;
}

}  // namespace

LOGFONTW messageFont(unsigned dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi)) {
    return metrics.lfMessageFont;
  }
  // Without the DPI-aware query, scale the system-DPI answer ourselves.
  metrics = {};
  metrics.cbSize = sizeof(metrics);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    LOGFONTW lf = metrics.lfMessageFont;
    lf.lfHeight = MulDiv(lf.lfHeight, static_cast<int>(dpi), static_cast<int>(GetDpiForSystem()));
    return lf;
  }
  LOGFONTW lf{};
  lf.lfHeight = pointsToFontHeight(900, dpi);
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  wcscpy_s(lf.lfFaceName, LF_FACESIZE, L"Segoe UI");
  return lf;
}

FontSet::FontSet(unsigned dpi)
    : dpi_(dpi),
      message_(make(messageFont(dpi))),
      button_(make(arialBold(1125, dpi))),
      list_(make(arialBold(900, dpi))),
      hint_(make(hintFont(dpi))) {}

HFONT FontSet::font(CtlFont kind) const {
  switch (kind) {
    case CtlFont::Button: return button_.get();
    case CtlFont::List: return list_.get();
    case CtlFont::Hint: return hint_.get();
    case CtlFont::Default: break;
  }
  return message_.get();
}

}  // namespace tarnavel::win32
