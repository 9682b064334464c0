// The main window's controls: what each one is, its design-time text and its
// place. Positions are in twips (15 per pixel at 96 DPI), relative to the
// control's container; the win32 layer turns them into pixels for the
// window's DPI. This table is the one description of the window's layout.
#pragma once

#include <array>
#include <string_view>

namespace tarnavel {

enum class Ctl {
  PushButton1,
  PushButton2,
  PushButton3,
  PushButton4,
  PushButton5,
  PushButton6,
  PushButton7,
  PushButton8,
  PushButton9,
  PushButton10,
  Label1,
  Label2,
  Label3,
  Label4,
  Frame1,
  Frame2,
  Frame3,
  Frame4,
  ProgressBar1,
  Option1,
  Option2,
  Option3,
  Option4,
  Option5,
  Option6,
  Option7,
  Option8,
  Text1,
  Text2,
  Text3,
  dtpWeekly,
  cboWeekly,
  Check4,
  Check8,
  ListView1,
  ListView2,
  None,  // the bare window surface
};

enum class CtlKind {
  Button,
  Label,
  Frame,
  ProgressBar,
  Option,
  TextBox,
  TimePicker,
  ComboBox,
  Check,
  ListView
};

enum class CtlFont {
  Default,  // the window's ordinary font
  Button,   // Arial 11.25 pt bold
  List,     // Arial 9 pt bold
  Hint,     // the ordinary font, no taller than the strip above the top buttons
};

struct CtlLayout {
  Ctl id;
  CtlKind kind;
  std::string_view name;
  std::string_view text;
  Ctl container;  // Ctl::None for the window itself, else one of the frames
  int left, top, width, height;
  CtlFont font;
};

// Client area of the main window, in twips.
inline constexpr int kFormWidthTwips = 15960;
inline constexpr int kFormHeightTwips = 5850;

inline constexpr std::string_view kListTooltip =
    "Move | line to right and out of window to reveal full names.";

// In creation order: every frame comes before the controls it holds.
inline constexpr std::array<CtlLayout, 36> kForm1Layout = {{
    // "Turn On" and "Help" start below the hint above them (a line of the
    // window's font, 210 twips), so that it reads; their bottoms stay.
    {Ctl::PushButton2, CtlKind::Button, "PushButton2", "Turn On", Ctl::None, 120, 210, 6600, 315,
     CtlFont::Button},
    {Ctl::Label4, CtlKind::Label, "Label4", "Turn On (Press Ctrl + Shift + T to toggle ON/OFF)",
     Ctl::None, 4080, 0, 4020, 225, CtlFont::Hint},
    {Ctl::PushButton10, CtlKind::Button, "PushButton10", "Help", Ctl::None, 6840, 210, 1080, 315,
     CtlFont::Button},
    {Ctl::Frame4, CtlKind::Frame, "Frame4", "Off.", Ctl::None, 120, 570, 7800, 855,
     CtlFont::Default},
    {Ctl::ProgressBar1, CtlKind::ProgressBar, "ProgressBar1", "Progress Bar", Ctl::Frame4, 240, 285,
     7320, 405, CtlFont::Default},
    {Ctl::Frame1, CtlKind::Frame, "Frame1", "Switch Schedule", Ctl::None, 120, 1470, 7800, 2340,
     CtlFont::Default},
    {Ctl::Option3, CtlKind::Option, "Option3", "Switch every:", Ctl::Frame1, 240, 345, 1455, 255,
     CtlFont::Default},
    {Ctl::Text1, CtlKind::TextBox, "Text1", "", Ctl::Frame1, 1800, 300, 500, 345, CtlFont::Default},
    {Ctl::Label1, CtlKind::Label, "Label1", "hour/s", Ctl::Frame1, 2400, 345, 540, 255,
     CtlFont::Default},
    {Ctl::Text2, CtlKind::TextBox, "Text2", "", Ctl::Frame1, 3120, 300, 500, 345, CtlFont::Default},
    {Ctl::Label2, CtlKind::Label, "Label2", "minute/s", Ctl::Frame1, 3720, 345, 735, 255,
     CtlFont::Default},
    {Ctl::Text3, CtlKind::TextBox, "Text3", "", Ctl::Frame1, 4680, 300, 500, 345, CtlFont::Default},
    {Ctl::Label3, CtlKind::Label, "Label3", "second/s", Ctl::Frame1, 5280, 345, 780, 255,
     CtlFont::Default},
    {Ctl::Option2, CtlKind::Option, "Option2", "Daily:", Ctl::Frame1, 240, 795, 825, 255,
     CtlFont::Default},
    {Ctl::dtpWeekly, CtlKind::TimePicker, "dtpWeekly", "", Ctl::Frame1, 1800, 750, 4335, 375,
     CtlFont::Default},
    {Ctl::Option1, CtlKind::Option, "Option1", " Weekly:", Ctl::Frame1, 240, 1275, 1185, 255,
     CtlFont::Default},
    {Ctl::cboWeekly, CtlKind::ComboBox, "cboWeekly", "", Ctl::Frame1, 1800, 1230, 4335, 345,
     CtlFont::Default},
    {Ctl::Option7, CtlKind::Option, "Option7", "Custom (set switch time for each app)", Ctl::Frame1,
     240, 1830, 5025, 255, CtlFont::Default},
    {Ctl::Frame3, CtlKind::Frame, "Frame3", "After Switching", Ctl::None, 120, 3870, 7800, 1065,
     CtlFont::Default},
    {Ctl::Option8, CtlKind::Option, "Option8", "Do Nothing (Recommended)", Ctl::Frame3, 240, 300,
     3015, 255, CtlFont::Default},
    {Ctl::Option4, CtlKind::Option, "Option4", "Show Normal", Ctl::Frame3, 4000, 300, 1815, 255,
     CtlFont::Default},
    {Ctl::Option6, CtlKind::Option, "Option6", "Show Minimized", Ctl::Frame3, 240, 650, 1815, 255,
     CtlFont::Default},
    {Ctl::Option5, CtlKind::Option, "Option5", "Show Maximized", Ctl::Frame3, 4000, 650, 1815, 255,
     CtlFont::Default},
    {Ctl::Frame2, CtlKind::Frame, "Frame2", "Startup Options", Ctl::None, 120, 4995, 7800, 735,
     CtlFont::Default},
    {Ctl::Check4, CtlKind::Check, "Check4", "Load this software on Windows startup", Ctl::Frame2,
     240, 300, 3930, 285, CtlFont::Default},
    {Ctl::Check8, CtlKind::Check, "Check8", "Minimized to system tray", Ctl::Frame2, 4320, 300,
     2580, 285, CtlFont::Default},
    {Ctl::ListView1, CtlKind::ListView, "ListView1", "", Ctl::None, 8040, 120, 7800, 1995,
     CtlFont::List},
    {Ctl::PushButton3, CtlKind::Button, "PushButton3", "Add Selected To Queue", Ctl::None, 8040,
     2220, 3840, 405, CtlFont::Button},
    {Ctl::PushButton1, CtlKind::Button, "PushButton1", "Refresh List", Ctl::None, 12000, 2220, 3120,
     405, CtlFont::Button},
    {Ctl::PushButton7, CtlKind::Button, "PushButton7", "?", Ctl::None, 15240, 2205, 600, 405,
     CtlFont::Button},
    {Ctl::ListView2, CtlKind::ListView, "ListView2", "", Ctl::None, 8040, 2730, 7800, 1995,
     CtlFont::List},
    {Ctl::PushButton4, CtlKind::Button, "PushButton4", "Delete Selected Item From Queue", Ctl::None,
     8040, 4815, 3840, 405, CtlFont::Button},
    {Ctl::PushButton8, CtlKind::Button, "PushButton8", "Clear Invalid", Ctl::None, 12000, 4815,
     1815, 405, CtlFont::Button},
    {Ctl::PushButton5, CtlKind::Button, "PushButton5", "Clear All", Ctl::None, 13920, 4815, 1920,
     405, CtlFont::Button},
    {Ctl::PushButton9, CtlKind::Button, "PushButton9",
     "Edit 'Time Before Switch' For Selected Item", Ctl::None, 8040, 5325, 7200, 405,
     CtlFont::Button},
    {Ctl::PushButton6, CtlKind::Button, "PushButton6", "?", Ctl::None, 15360, 5310, 480, 405,
     CtlFont::Button},
}};

// The entry of one control.
constexpr const CtlLayout& layoutOf(Ctl id) {
  for (const auto& c : kForm1Layout) {
    if (c.id == id) return c;
  }
  return kForm1Layout[0];  // not reached for a real control
}

// The hint "Turn On (Press Ctrl + Shift + T ...)" reaches down under "Turn On"
// and "Help"; the buttons are drawn whole over it, so its text keeps to the
// strip above them.
inline constexpr int kHintStripTwips = layoutOf(Ctl::PushButton2).top - layoutOf(Ctl::Label4).top;
static_assert(layoutOf(Ctl::PushButton10).top == layoutOf(Ctl::PushButton2).top);

}  // namespace tarnavel
