// What the program needs from the system beyond its own window: one small
// interface per concern, with only the members the program uses.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Types.h"

namespace tarnavel::platform {

// Modal boxes. Both keep dispatching the thread's messages while they wait,
// so timer ticks and other events can run under them.
class IDialogs {
 public:
  virtual ~IDialogs() = default;
  virtual int messageBox(std::string_view text, int style, std::string_view title) = 0;
  // The typed answer, or nothing when the user cancelled.
  virtual std::optional<std::string> inputBox(std::string_view prompt, std::string_view title,
                                              std::string_view preset) = 0;
  // A shortcut menu of these items at the pointer: the chosen item's
  // number from 1, or 0 when none was chosen.
  virtual int popupMenu(const std::vector<std::string>& items) = 0;
  // The Options box, showing the choices as given. Every change the user
  // makes reaches changed at once, with all the choices as they now stand;
  // the box returns when it is closed.
  // openLogFolder runs when the user asks for the log's folder. The locked
  // choices are shown disabled, with their tip.
  virtual void optionsBox(std::string_view title, const UnattendedChoices& current,
                          const ChoiceLocks& locked,
                          const std::function<void(const UnattendedChoices&)>& changed,
                          const std::function<void()>& openLogFolder) = 0;
};

// Other applications' top-level windows.
class IWindowSystem {
 public:
  virtual ~IWindowSystem() = default;
  // GetWindow with GW_HWNDFIRST / GW_HWNDNEXT; 0 when there is none.
  virtual Hwnd32 firstSibling(Hwnd32 window) = 0;
  virtual Hwnd32 nextSibling(Hwnd32 window) = 0;
  virtual std::uint32_t style(Hwnd32 window) = 0;
  // Length of the window text in UTF-16 units, and the text itself as read
  // into a buffer of bufferUnits units (terminator included); empty when the
  // window has no text or is gone.
  virtual int textLength(Hwnd32 window) = 0;
  virtual std::string text(Hwnd32 window, int bufferUnits) = 0;

  virtual void allowAnyForeground() = 0;
  // SetForegroundWindow: false when the system refused the change (it then
  // flashes the window's taskbar button instead).
  virtual bool setForeground(Hwnd32 window) = 0;
  // GetForegroundWindow; 0 when there is none (while one loses activation).
  virtual Hwnd32 foregroundWindow() = 0;
  // The thread that created the window; 0 when it is gone.
  virtual std::uint32_t threadOf(Hwnd32 window) = 0;
  // The process that created the window; 0 when it is gone.
  virtual std::uint32_t processOf(Hwnd32 window) = 0;
  // The calling thread: the program's UI thread.
  virtual std::uint32_t ownThread() = 0;
  // The window's thread takes a message within the time: SendMessageTimeout
  // of WM_NULL that gives up at once on a thread the system sees as hung.
  virtual bool answers(Hwnd32 window, int milliseconds) = 0;
  // AttachThreadInput(thread, to, attach); false when the system refused.
  virtual bool attachInput(std::uint32_t thread, std::uint32_t to, bool attach) = 0;
  // SetWindowPos with SWP_NOMOVE | SWP_NOSIZE: joins or leaves the topmost band.
  virtual void setBand(Hwnd32 window, ZBand band) = 0;
  virtual void show(Hwnd32 window, ShowCommand command) = 0;

  // IsWindow: the handle names a window now.
  virtual bool exists(Hwnd32 window) = 0;
  // The full path of the executable whose process owns the window; for a
  // Store app's frame, the app's inside it (the frame host's own is every
  // such app's). Empty when it cannot be read (gone, a process the user may
  // not query, or a frame without its app).
  virtual std::string programPath(Hwnd32 window) = 0;
  // The window's class name; empty when it is gone.
  virtual std::string windowClass(Hwnd32 window) = 0;
  // The window manager keeps the window out of sight although it is visible
  // (DWMWA_CLOAKED): on another virtual desktop, or a suspended Store app's.
  // False when the system cannot tell.
  virtual bool cloaked(Hwnd32 window) = 0;
  // The window's process runs at a higher integrity level than ours (a
  // program run as administrator while we are not), so that the system keeps
  // us from moving it. False when that cannot be read.
  virtual bool runsAbove(Hwnd32 window) = 0;

  // The display that holds the largest part of the window (for a minimised
  // window, of the place it is restored to; for one off every display, the
  // nearest). No display when the window is gone or the display cannot be
  // read.
  virtual Display displayOf(Hwnd32 window) = 0;
  // How many displays make up the desktop.
  virtual int displayCount() = 0;
  // SetWindowPos HWND_TOP with SWP_NOACTIVATE: above the other ordinary
  // windows, without taking the foreground.
  virtual void raise(Hwnd32 window) = 0;
};

// The system's last keyboard or mouse input, from any program.
class IUserInput {
 public:
  virtual ~IUserInput() = default;
  // GetLastInputInfo: the tick count of the last input.
  virtual std::uint32_t lastInputTick() = 0;
  // GetTickCount: milliseconds since the system started, wrapping.
  virtual std::uint32_t tickCount() = 0;
};

// What the settings store holds under a key.
struct StoredValue {
  // The stored text; nothing when the key is absent or holds another kind.
  std::optional<std::string> text;
  // The key holds a value of another kind than text (a number or bytes that a
  // hand edit or another program left there).
  bool otherKind = false;
  friend bool operator==(const StoredValue&, const StoredValue&) = default;
};

// The settings store's backend: one text value per key, under the program's
// fixed application name and section. Refusals throw AppError.
class ISettingsBackend {
 public:
  virtual ~ISettingsBackend() = default;
  virtual StoredValue read(std::string_view key) = 0;
  // Stores the text, replacing whatever was there.
  virtual void write(std::string_view key, std::string_view value) = 0;
  // Stores the text unless the key holds a value of another kind, which then
  // stays as it is; false when it did.
  virtual bool writeOverText(std::string_view key, std::string_view value) = 0;
};

// Where a policy was set: for the whole machine or for the user. The
// machine's wins where both set the same value.
enum class PolicyScope { Machine, User };

// A value under the program's policy key, as the store holds it.
struct PolicyValue {
  enum class Kind { Absent, Text, Number, Other };
  Kind kind = Kind::Absent;
  std::string text;          // Kind::Text (REG_SZ and REG_EXPAND_SZ, as stored)
  std::uint32_t number = 0;  // Kind::Number (REG_DWORD)
  friend bool operator==(const PolicyValue&, const PolicyValue&) = default;
};

// The policies an organisation set for the program (Group Policy, Intune):
// values under Software\Policies\Kestrine\Tarnavel of the machine and of
// the user. Only read; a key that cannot be opened reads as absent.
class IPolicyStore {
 public:
  virtual ~IPolicyStore() = default;
  virtual PolicyValue read(PolicyScope scope, std::string_view name) = 0;
  // The values "1", "2", ... of the subkey Queue, in order, up to the first
  // absent one.
  virtual std::vector<PolicyValue> queue(PolicyScope scope) = 0;
};

// The settings file of a portable copy: read whole, and replaced whole so
// that a crash or a power loss mid-write leaves the old file or the new one.
// Refusals throw AppError.
class ISettingsFile {
 public:
  virtual ~ISettingsFile() = default;
  // The file's bytes; nothing when there is no such file.
  virtual std::optional<std::string> read() = 0;
  // Writes the bytes to a new file beside it, flushed, then puts that file
  // in place of the old one.
  virtual void replace(std::string_view bytes) = 0;
};

class IFileSystem {
 public:
  virtual ~IFileSystem() = default;
  // The folder of the running executable, without a closing backslash unless
  // it is a drive root.
  virtual std::string programFolder() = 0;
  // True when the file's modification time can be read.
  virtual bool hasModificationTime(std::string_view path) = 0;
  // True when a directory listing of exactly this path finds a normal file.
  virtual bool isListedFile(std::string_view path) = 0;
};

class IClock {
 public:
  virtual ~IClock() = default;
  virtual LocalDateTime now() = 0;
};

// The user's locale rules for numbers and times of day.
class ILocale {
 public:
  virtual ~ILocale() = default;
  virtual NumberFormat numberFormat() = 0;
  virtual TimeFormat timeFormat() = 0;
};

// The per-user entry that has Windows start the program at log-on: one text
// value under the Run key, named after the program's file. Refusals throw
// AppError.
class IRunEntry {
 public:
  virtual ~IRunEntry() = default;
  // The running program's full path.
  virtual std::string programPath() = 0;
  virtual void add(std::string_view name, std::string_view command) = 0;
  // Removing an entry that is not there is no failure.
  virtual void remove(std::string_view name) = 0;
};

// Starting a program: the user's own command line, split as Windows splits
// it, with no shell and no console window, in the folder of its program.
class IProcesses {
 public:
  virtual ~IProcesses() = default;
  // The new process's id; throws AppError with the system's reason when it
  // cannot start.
  virtual std::uint32_t start(std::string_view commandLine) = 0;
};

// The system-wide keyboard hook that watches the T key for the toggle chord.
// While it is installed, every event of the T key reaches the main window's
// events as onKeyT, posted: the hook itself returns at once.
class IKeyboardHook {
 public:
  virtual ~IKeyboardHook() = default;
  virtual void install() = 0;
  virtual void remove() = 0;
};

// The shell's notification area. The icon's notifications come back to the
// main window's events as onTrayMessage.
class INotifyArea {
 public:
  virtual ~INotifyArea() = default;
  // Shell_NotifyIcon; false when the shell refused (no taskbar, say).
  virtual bool notify(TrayCommand command, const TrayRecord& record) = 0;
  // The program's own small icon, the one the notification area shows.
  virtual IconHandle appIcon() = 0;
};

// The program's log: its folder (%LOCALAPPDATA%\Tarnavel) and the files in
// it. Refusals throw AppError.
class ILogFiles {
 public:
  virtual ~ILogFiles() = default;
  // The folder's path, without a closing backslash; created when absent.
  virtual std::string folder() = 0;
  // The file's size in bytes; nothing when there is no such file.
  virtual std::optional<std::uint64_t> size(std::string_view path) = 0;
  // Renames the file, replacing one of the new name (MoveFileEx with
  // MOVEFILE_REPLACE_EXISTING).
  virtual void replace(std::string_view from, std::string_view to) = 0;
  // Appends the bytes at the file's end, creating it when absent.
  virtual void append(std::string_view path, std::string_view bytes) = 0;
  // Opens the folder in the shell's file browser.
  virtual void openFolder(std::string_view path) = 0;
};

// A request to the power plan that keeps the display on and the computer
// awake, until it is cleared. Each request() is followed by its clear()
// before the next request(); a clear() without one is refused. Refusals
// throw AppError. The program's end clears whatever is left.
class IPowerRequest {
 public:
  virtual ~IPowerRequest() = default;
  virtual void request() = 0;
  virtual void clear() = 0;
};

// For callers that keep no log and make no power request: the log's files
// refuse everything (nothing is ever written), the request does nothing.
class NoLogFiles final : public ILogFiles {
 public:
  std::string folder() override { throw std::runtime_error("No log"); }
  std::optional<std::uint64_t> size(std::string_view) override { return std::nullopt; }
  void replace(std::string_view, std::string_view) override {}
  void append(std::string_view, std::string_view) override {}
  void openFolder(std::string_view) override { throw std::runtime_error("No log"); }
};
class NoPowerRequest final : public IPowerRequest {
 public:
  void request() override {}
  void clear() override {}
};
inline NoLogFiles& noLogFiles() {
  static NoLogFiles none;
  return none;
}
inline NoPowerRequest& noPowerRequest() {
  static NoPowerRequest none;
  return none;
}

// Running the thread's pending window messages, and ending the program.
class IMessageLoop {
 public:
  virtual ~IMessageLoop() = default;
  virtual void doEvents() = 0;
  // Runs the thread's messages as they come, sleeping while there are none,
  // until done() holds or the time is up. False when the program ended
  // meanwhile.
  virtual bool runUntil(const std::function<bool()>& done, int milliseconds) = 0;
  // Runs task on this thread once the message being handled, and those
  // already waiting, are done. Dropped when the program ends first.
  virtual void post(std::function<void()> task) = 0;
  // Ends the program at once: no further event reaches the logic.
  virtual void endProgram() = 0;
};

}  // namespace tarnavel::platform
