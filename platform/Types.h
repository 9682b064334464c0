// Plain value types shared by the logic and both platform layers. Nothing here
// knows about Windows; the win32 layer converts at its edge.
#pragma once

#include <cstdint>
#include <string>

namespace tarnavel {

// A window handle as the program keeps it: 32 significant bits, signed. The
// queue stores it as decimal text; the win32 layer sign-extends it back to a
// pointer-sized handle.
using Hwnd32 = std::int32_t;

// Window style bits the discovery test looks at.
inline constexpr std::uint32_t kStyleVisible = 0x10000000;      // WS_VISIBLE
inline constexpr std::uint32_t kStyleMaximizeBox = 0x00010000;  // WS_MAXIMIZEBOX

// ShowWindow commands that reach the activation code.
enum class ShowCommand : int {
  Normal = 1,     // SW_SHOWNORMAL
  Maximized = 3,  // SW_SHOWMAXIMIZED
  Show = 5,       // SW_SHOW, also "do nothing more"
  Minimize = 6,   // SW_MINIMIZE
  Restore = 9,    // SW_RESTORE
  // Without activating the window, for the displays other than the primary.
  ShowNoActivate = 4,    // SW_SHOWNOACTIVATE: as Normal
  MinimizeNoActive = 7,  // SW_SHOWMINNOACTIVE
  ShowNoActivation = 8,  // SW_SHOWNA: as Show
};

// A display as the window system numbers it: \\.\DISPLAY2 is 2. Number 0
// is no display.
struct Display {
  int number = 0;
  bool primary = false;
  friend bool operator==(const Display&, const Display&) = default;
};

// Insert-after values of SetWindowPos used for the topmost band.
enum class ZBand : int { Topmost = -1, NotTopmost = -2 };

enum class WindowState { Normal, Minimized, Maximized };

// The main window's pointer setting: one value for the whole window.
enum class MousePointer : int { Default = 0, Hourglass = 11, Custom = 99 };

// Message box styles and results (the subset the program uses).
inline constexpr int kMbOk = 0;
inline constexpr int kMbIconExclamation = 48;
inline constexpr int kIdOk = 1;

// One event of the T key as the keyboard hook saw it, with the state of Ctrl
// and Shift at that moment.
struct KeyTEvent {
  bool down = false;
  bool ctrl = false;
  bool shift = false;
  friend bool operator==(const KeyTEvent&, const KeyTEvent&) = default;
};

// The shell's record for the program's one notification-area icon, as the
// logic fills it. The platform adds the window, the icon's id (0) and the
// record's size, and cuts each text at its field (tip 128 units, balloon
// text 256, balloon title 64, the terminator included).
inline constexpr std::uint32_t kNifMessage = 1;
inline constexpr std::uint32_t kNifIcon = 2;
inline constexpr std::uint32_t kNifTip = 4;
inline constexpr std::uint32_t kNifInfo = 16;
enum class TrayCommand : int { Add = 0, Modify = 1, Delete = 2 };  // NIM_*
// An icon the platform can put in the record; 0 is no icon.
using IconHandle = std::uintptr_t;
struct TrayRecord {
  std::uint32_t flags = 0;
  std::uint32_t callbackMessage = 0;
  IconHandle icon = 0;
  std::string tip;
  std::string info;
  std::uint32_t timeoutMs = 0;
  std::string infoTitle;
  friend bool operator==(const TrayRecord&, const TrayRecord&) = default;
};

struct TimeOfDay {
  int hour = 0;    // 0..23
  int minute = 0;  // 0..59
  int second = 0;  // 0..59
  int seconds() const { return hour * 3600 + minute * 60 + second; }
  friend bool operator==(const TimeOfDay&, const TimeOfDay&) = default;
};

// The local clock's reading, as a calendar date and a time of day.
struct LocalDateTime {
  int year = 2000;
  int month = 1;    // 1..12
  int day = 1;      // 1..31
  int weekday = 6;  // 0 = Sunday .. 6 = Saturday
  TimeOfDay time;
  friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

// The user's rules for numeric text. Separators are UTF-8 and may be longer
// than one byte (a French group separator is a narrow no-break space).
struct NumberFormat {
  std::string decimal = ".";
  std::string group = ",";
  std::string minus = "-";
  std::string plus = "+";
};

// The user's rules for writing a time of day. The pattern uses the letters of
// the Windows time-format pictures: h/hh (12-hour), H/HH (24-hour), m/mm,
// s/ss, t/tt (day-half marker), text in single quotes taken literally.
struct TimeFormat {
  std::string pattern = "HH:mm:ss";
  std::string am = "AM";
  std::string pm = "PM";
};

// The choices of the Options box. Every one is off by default, and with all
// of them off the program behaves as it always has.
inline constexpr int kResumeAfterDefault = 60;
inline constexpr int kResumeAfterMin = 1;
inline constexpr int kResumeAfterMax = 3600;
// The hours and weekdays in which the switching runs. A span whose end is
// earlier than its start runs past midnight; a day is the day a span begins.
struct SwitchHours {
  bool on = false;
  int from = 8 * 60;  // minutes after midnight, 0..1439
  int to = 18 * 60;
  std::uint8_t days = 0x7F;  // bit d for weekday d, 0 = Sunday
  friend bool operator==(const SwitchHours&, const SwitchHours&) = default;
};

struct UnattendedChoices {
  // No switch while the last input of any program is more recent than
  // resumeAfterSeconds.
  bool pauseWhenInUse = false;
  int resumeAfterSeconds = kResumeAfterDefault;
  // A queued window whose program reopened it is found again.
  bool findReopened = false;
  // A turn whose window is gone goes straight on to the next row with one.
  bool skipMissing = false;
  // An error is written to the log without its box.
  bool logInsteadOfBoxes = false;
  // Every switch is written to the log.
  bool logSwitches = false;
  // While monitoring is on, the power plan turns neither the display off nor
  // the computer to sleep.
  bool keepDisplayOn = false;
  SwitchHours hours{};
  // Every display brings forward the rows whose windows are on it, on its
  // own.
  bool switchEachDisplay = false;
  friend bool operator==(const UnattendedChoices&, const UnattendedChoices&) = default;
};

// The Options box's choices that an organisation set: shown, not changeable.
struct ChoiceLocks {
  bool pauseWhenInUse = false;
  bool resumeAfter = false;
  bool findReopened = false;
  bool skipMissing = false;
  bool keepDisplayOn = false;
  bool hours = false;  // the span, its days, or both
  bool logInsteadOfBoxes = false;
  bool logSwitches = false;
  bool eachDisplay = false;
  // The tip over a locked choice, saying why.
  std::string tip;
};

}  // namespace tarnavel
