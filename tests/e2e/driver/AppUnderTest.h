// The program under test, seen from outside: its process, its main window,
// the controls on it, the message boxes it opens, and its end.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "RemoteList.h"

namespace e2e {

// Polls until done() is true or timeoutMs have passed; true when done.
bool waitUntil(const std::function<bool()>& done, int timeoutMs, int pollMs = 25);

struct MessageBoxInfo {
  HWND hwnd = nullptr;
  HWND owner = nullptr;
  std::wstring caption;
  std::wstring text;
  std::vector<int> visibleButtons;  // control ids of the visible push buttons
  bool hasIcon = false;
  std::string describe() const;
};

class AppUnderTest {
 public:
  // Starts exe with arguments and waits up to timeoutMs for a visible
  // top-level window titled mainTitle that belongs to the new process.
  // Message boxes shown before that window appears are answered with OK and
  // kept (startupBoxes). On failure returns null and says why in error.
  // With mayBeHidden, a main window that is not visible (started in the
  // tray) is taken too.
  static std::unique_ptr<AppUnderTest> start(const std::wstring& exe, const std::wstring& args,
                                             const std::wstring& mainTitle, int timeoutMs,
                                             std::string& error, bool mayBeHidden = false);
  ~AppUnderTest();  // closes the program if it still runs, killing it if it must
  AppUnderTest(const AppUnderTest&) = delete;
  AppUnderTest& operator=(const AppUnderTest&) = delete;

  HWND main() const { return main_; }
  const std::vector<MessageBoxInfo>& startupBoxes() const { return startupBoxes_; }
  DWORD pid() const { return pid_; }
  bool running() const;

  // The direct child windows of the main window.
  std::vector<HWND> children() const;
  // The children of a window class, in creation order.
  std::vector<HWND> childrenOfClass(const std::wstring& cls) const;
  // The "Button" children captioned exactly caption, in creation order.
  std::vector<HWND> buttons(const std::wstring& caption) const;
  // The one button with this caption; null when there is none or several.
  HWND button(const std::wstring& caption) const;
  // The list view whose first column header is exactly header.
  HWND listViewWithHeader(const std::wstring& header) const;

  // Clicks a button the way its parent learns of a click: WM_COMMAND with
  // BN_CLICKED, posted, so that a modal box it opens never blocks the driver.
  bool press(HWND button) const;

  // The visible message boxes (#32770) of the program.
  std::vector<MessageBoxInfo> messageBoxes() const;
  // Waits for a message box of the program; nothing on timeout.
  std::optional<MessageBoxInfo> waitMessageBox(int timeoutMs) const;
  // Presses OK (IDOK) of a box and waits until it is gone.
  bool answerOk(const MessageBoxInfo& box, int timeoutMs = 5000) const;
  // Answers every open box with OK; returns what they said.
  std::vector<MessageBoxInfo> dismissAllBoxes() const;

  // Waits until the program has handled everything sent to it so far.
  bool sync(int timeoutMs = 5000) const;

  // Asks the main window to close (WM_CLOSE) and waits for the process to
  // end; true when it ended by itself within timeoutMs. Kills it otherwise.
  bool close(int timeoutMs, std::string& error);
  void kill();

 private:
  AppUnderTest() = default;

  HANDLE process_ = nullptr;
  HANDLE job_ = nullptr;
  DWORD pid_ = 0;
  HWND main_ = nullptr;
  std::vector<MessageBoxInfo> startupBoxes_;
};

// The top-level windows of a process, visible or not.
std::vector<HWND> topLevelWindowsOf(DWORD pid);

std::wstring className(HWND hwnd);

// The text of a window of another process (WM_GETTEXT, with a timeout).
std::wstring remoteText(HWND hwnd);

}  // namespace e2e
