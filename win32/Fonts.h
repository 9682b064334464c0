// The main window's fonts, made for one DPI: push buttons in Arial 11.25 pt
// bold, the two lists in Arial 9 pt bold, the hint above the top buttons in
// the system's message font cut to the strip it has there, everything else
// in the message font. Made again when the window's DPI changes.
#pragma once

#include <windows.h>

#include "form/Form1Layout.h"
#include "win32/Handles.h"

namespace tarnavel::win32 {

// The system's message font (the one message boxes use) at a DPI.
LOGFONTW messageFont(unsigned dpi);

class FontSet {
 public:
  // Throws AppError when the system cannot make a font.
  explicit FontSet(unsigned dpi);

  HFONT font(CtlFont kind) const;
  unsigned dpi() const { return dpi_; }

 private:
  unsigned dpi_;
  Font message_;
  Font button_;
  Font list_;
  Font hint_;
};

}  // namespace tarnavel::win32
