// Window discovery: which top-level windows may be queued, the fixed window
// table they are collected into, and the available applications list with
// the handle list that runs beside it.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/ErrorReport.h"
#include "platform/System.h"
#include "platform/Ui.h"

namespace tarnavel {

struct WindowRecord {
  std::string title;  // empty: a free slot
  Hwnd32 handle = 0;
};

// A fixed table of 1001 records, indexes 0 to 1000. Storing past the last
// slot throws AppError::subscript().
class WindowTable {
 public:
  static constexpr int kSlots = 1001;
  void reset();
  void store(int index, std::string title, Hwnd32 handle);
  const WindowRecord& operator[](int index) const;

 private:
  std::array<WindowRecord, kSlots> records_;
};

// A window that may be queued: visible and with a maximize box.
bool IsAppWindow(platform::IWindowSystem& windows, Hwnd32 window);

// The handle names a window that a person can see now: visible, and not
// kept out of sight by the window manager (another virtual desktop, a
// suspended Store app).
bool IsShownWindow(platform::IWindowSystem& windows, Hwnd32 window);

// The window a queue row's handle text names, when it reads as a handle and
// that window is shown; 0 otherwise.
Hwnd32 ShownWindowOf(platform::IWindowSystem& windows, std::string_view handleText,
                     const NumberFormat& format);

// Walks the top-level windows in Z order from the top into the table, leaving
// out ownWindow and the windows kept out of sight, and returns how many were
// stored. A failure (such as the 1002nd window) ends the walk and reaches the
// caller.
int ListTopWindows(WindowTable& table, platform::IWindowSystem& windows, Hwnd32 ownWindow);

class WindowList {
 public:
  // Rebuilds the list and the handle list from a fresh walk (loadWindows).
  void load(ErrorReport& report, platform::IWindowSystem& windows, platform::IListView& list,
            Hwnd32 ownWindow);
  // Entry k (1-based) is the handle of row k of the list.
  const std::vector<Hwnd32>& handles() const { return handles_; }
  const WindowTable& table() const { return table_; }

 private:
  WindowTable table_;
  std::vector<Hwnd32> handles_;
};

}  // namespace tarnavel
