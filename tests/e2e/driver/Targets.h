// Target windows: top-level windows of the driver's own process that the
// program under test may list, queue and activate. They live on a thread of
// their own that does nothing but pump messages, so the program can always
// talk to them while the driver's main thread waits.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace e2e {

enum class TargetKind {
  Normal,      // WS_OVERLAPPEDWINDOW, visible
  Hidden,      // WS_OVERLAPPEDWINDOW, never shown
  NoMaximize,  // visible, without WS_MAXIMIZEBOX
  Minimized,   // WS_OVERLAPPEDWINDOW, shown minimized
  // A small visible popup with WS_MAXIMIZEBOX and no caption or frame: it
  // qualifies for the list, and Wine leaves it to no window manager, so many
  // of them are made quickly and nothing restacks or focuses them.
  Bare,
  // A large window that paints its title in big letters on a colour of its
  // own, the next of three: the dashboards of the demo.
  Banner,
};

class TargetHost {
 public:
  TargetHost();
  ~TargetHost();  // destroys every window still open, then ends the thread
  TargetHost(const TargetHost&) = delete;
  TargetHost& operator=(const TargetHost&) = delete;

  bool ok() const { return control_ != nullptr; }

  // A new window with this title (may be empty) and kind; null on failure.
  HWND create(const std::wstring& title, TargetKind kind = TargetKind::Normal);
  // Destroys one of the windows made here; true when it is gone.
  bool destroy(HWND window);
  // Moves the window to the top of the Z order without activating it.
  bool raise(HWND window);
  // Stops the host's thread from taking messages until the host ends: its
  // windows hang, as those of a program stuck in a long computation.
  void hang();

  // The windows made here and still open, in the order of creation.
  std::vector<HWND> windows();

 private:
  void threadMain(HANDLE ready);
  static LRESULT CALLBACK controlProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK targetProc(HWND, UINT, WPARAM, LPARAM);

  std::thread thread_;
  HWND control_ = nullptr;
  std::mutex mutex_;
  std::vector<HWND> windows_;
  int placed_ = 0;
  HANDLE release_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);  // ends a hang
};

// A target entering the topmost band: the first step of every switch that
// reaches it, whatever the window manager does with the foreground.
struct BandEntry {
  HWND window;
  ULONGLONG atMs;  // GetTickCount64 when it happened
};

// The band entries of all targets since the last call, in order.
std::vector<BandEntry> takeBandEntries();

// A target told of its show state (WM_SIZE): what a switch's ShowWindow made
// of it at once, before any window manager has had its say.
enum class ShowState { Normal, Maximized, Minimized };
struct StateChange {
  HWND window;
  ShowState state;
  ULONGLONG atMs;  // GetTickCount64 when it happened
};

// The state changes of all targets since the last call, in order.
std::vector<StateChange> takeStateChanges();

// A target made the active window (WM_ACTIVATE): it came to the foreground.
struct Activation {
  HWND window;
  ULONGLONG atMs;  // GetTickCount64 when it happened
};

// The activations of all targets since the last call, in order.
std::vector<Activation> takeActivations();

// A key a target was told of (WM_KEYDOWN or WM_KEYUP): by then the key has
// passed every low-level keyboard hook of the desktop.
struct KeyEvent {
  HWND window;
  UINT key;  // the virtual key
  bool down;
  friend bool operator==(const KeyEvent&, const KeyEvent&) = default;
};

// The key events of all targets since the last call, in order.
std::vector<KeyEvent> takeKeyEvents();

// The top-level windows of the desktop in Z order, topmost first, as
// GetWindow(GW_HWNDFIRST / GW_HWNDNEXT) walks them.
std::vector<HWND> topLevelWindowsInZOrder();

// What the program is meant to list: visible, with a maximize box and a
// non-empty title, and not the program's own main window.
bool qualifiesForList(HWND window, HWND programMain);

std::wstring windowTitle(HWND window);

}  // namespace e2e
