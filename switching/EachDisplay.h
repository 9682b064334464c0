// "Switch each display on its own": with more than one display, a queue row
// belongs to the display its window is on at the moment, and each display's
// rows, in queue order, are its own cycle. At a switch moment every display
// with a row due brings it forward; the primary display's window takes the
// foreground, the others are raised without it.
#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "form/Context.h"
#include "switching/Countdown.h"
#include "switching/Restarts.h"
#include "switching/Unattended.h"

namespace tarnavel {

inline constexpr std::string_view kDisplayHeader = "Display";
inline constexpr int kDisplayColumnTwips = 900;

class EachDisplay {
 public:
  EachDisplay(Context& cx, Countdown& countdown) : cx_(cx), c_(countdown) {}

  // The choice is on and the desktop has more than one display.
  bool active();
  // The queue's Display column: there while the choice is on, out of sight
  // while it is off. Added the first time the choice is on.
  void showColumn();
  // Reads the display of each row's window, fills the Display column and
  // finds each display's due row. At a switch moment the gone windows'
  // programs are started and the windows found again first, when chosen.
  void place(bool atSwitch);
  // Every display with a row due brings it forward: the primary's first,
  // taking the foreground, then the others, raised without it.
  void switchAll(ShowCommand command);
  // The displays whose due rows' time is up (custom schedule): each brings
  // its row forward, the primary's first.
  void switchDue(ShowCommand command, const std::vector<int>& displays);
  // The row comes forward on its own display, which goes on from there.
  void switchRow(int row, ShowCommand command);
  // The display of the row's window as place() read it; 0 for none.
  int displayOfRow(int row) const;

  Unattended* unattended = nullptr;
  Restarts* restarts = nullptr;

 private:
  void bringForward(Display display, int row, ShowCommand command);
  void switchWhere(ShowCommand command, const std::function<bool(int display)>& which);

  Context& cx_;
  Countdown& c_;
  // Each row's window and its display, as place() read them.
  std::vector<std::pair<Hwnd32, Display>> rows_;
};

}  // namespace tarnavel
