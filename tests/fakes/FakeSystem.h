// In-memory system services for the tests: a window system whose windows a
// test creates and closes, dialogs that answer from a script and record what
// they showed, a settings map, a clock the test advances. Each joins a
// FaultPlan once watched.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Errors.h"
#include "platform/System.h"
#include "tests/fakes/FaultPlan.h"

namespace tarnavel::fake {

// UTF-16 units of a UTF-8 text, as the window system counts title lengths.
int utf16Length(std::string_view utf8);
// The first units-1 UTF-16 units of a UTF-8 text, as a buffer of that size
// would hold them.
std::string utf16Prefix(std::string_view utf8, int bufferUnits);

class FakeDialogs : public platform::IDialogs, public Watched {
 public:
  struct Shown {
    std::string text;
    int style;
    std::string title;
  };
  struct Asked {
    std::string prompt;
    std::string title;
    std::string preset;
  };

  int messageBox(std::string_view text, int style, std::string_view title) override;
  std::optional<std::string> inputBox(std::string_view prompt, std::string_view title,
                                      std::string_view preset) override;
  int popupMenu(const std::vector<std::string>& items) override {
    acts("popupMenu");
    menus.push_back(items);
    if (whileShown) whileShown();
    return menuChoice;
  }
  // Shows the box: records what it showed, then makes the edits in order,
  // each a change of the user's on the choices as they stand.
  void optionsBox(std::string_view title, const UnattendedChoices& current,
                  const ChoiceLocks& locked,
                  const std::function<void(const UnattendedChoices&)>& changed,
                  const std::function<void()>& openLogFolder) override;

  std::vector<Shown> boxes;
  ChoiceLocks optionsLocks;  // as the last Options box showed them
  std::vector<Asked> prompts;
  // The shortcut menus shown, and the item the user chooses (0: none).
  std::vector<std::vector<std::string>> menus;
  int menuChoice = 0;
  // Answers for the input boxes, in order; nothing left means Cancel.
  std::deque<std::optional<std::string>> answers;
  // Runs while a box is up, as the messages dispatched under it would.
  std::function<void()> whileShown;
  // What the Options box showed, and the edits the user makes in it.
  std::vector<std::pair<std::string, UnattendedChoices>> optionsShown;
  std::vector<std::function<void(UnattendedChoices&)>> optionsEdits;
  // Clicks on the button that opens the log's folder, after the edits.
  int openLogFolderClicks = 0;
};

// The log's folder as a map of file names to contents. The folder exists
// once asked for. With refuse set, every member fails as a full disk or a
// folder the user may not write would.
class FakeLogFiles : public platform::ILogFiles {
 public:
  std::string folder() override {
    if (refuse) throw AppError::system("Access is denied.");
    created = true;
    return path;
  }
  std::optional<std::uint64_t> size(std::string_view file) override {
    if (refuse) throw AppError::system("Access is denied.");
    const auto it = files.find(std::string(file));
    if (it == files.end()) return std::nullopt;
    return it->second.size();
  }
  // As MoveFileEx: the source must be there; the target is replaced.
  void replace(std::string_view from, std::string_view to) override {
    if (refuse) throw AppError::system("Access is denied.");
    const auto it = files.find(std::string(from));
    if (it == files.end()) throw AppError::system("The system cannot find the file specified.");
    std::string text = std::move(it->second);
    files.erase(it);
    files[std::string(to)] = std::move(text);
  }
  void append(std::string_view file, std::string_view bytes) override {
    if (refuse) throw AppError::system("Access is denied.");
    files[std::string(file)] += bytes;
  }
  void openFolder(std::string_view folder) override {
    if (refuse) throw AppError::system("Access is denied.");
    opened.emplace_back(folder);
  }
  // The log's lines, without their date and time.
  std::vector<std::string> entries(std::string_view name = "Tarnavel.log") const;

  std::string path = "C:\\Users\\Wall\\AppData\\Local\\Tarnavel";
  std::map<std::string, std::string> files;
  std::vector<std::string> opened;
  bool created = false;
  bool refuse = false;
};

// The power plan's requests, counted: a clear without a request before it
// fails, and a count above one is a request made twice.
class FakePowerRequest : public platform::IPowerRequest {
 public:
  void request() override {
    if (refuse) throw AppError::system("Access is denied.");
    ++count;
  }
  void clear() override {
    if (count == 0) throw AppError::system("The parameter is incorrect.");
    --count;
  }
  int count = 0;
  bool refuse = false;
};

// The last input time and the tick count, as the test sets them.
class FakeUserInput : public platform::IUserInput {
 public:
  std::uint32_t lastInputTick() override { return lastInput; }
  std::uint32_t tickCount() override { return now; }
  // Input from the user, as of now.
  void touch() { lastInput = now; }
  void advance(std::uint32_t milliseconds) { now += milliseconds; }

  std::uint32_t now = 0xFFFF0000;  // near the wrap, which must not matter
  std::uint32_t lastInput = 0xFFFF0000 - 3600000;
};

class FakeWindowSystem : public platform::IWindowSystem, public Watched {
 public:
  struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
  };
  // A display and its place on the desktop.
  struct Monitor {
    Display display;
    Rect area;
  };
  struct Window {
    Hwnd32 handle;
    std::string title;
    std::uint32_t style;
    bool topmost = false;
    ShowCommand lastShow = ShowCommand::Show;
    std::string program = "C:\\Apps\\viewer.exe";
    std::string windowClass = "ViewerFrame";
    // The thread that created it: a thread of its own unless a test says.
    std::uint32_t thread = 0;
    // Its thread has stopped taking messages.
    bool hung = false;
    // On another virtual desktop, or a suspended Store app's.
    bool cloaked = false;
    // Its program runs as administrator while we do not.
    bool above = false;
    // The process that made it: one of its own unless a test says.
    std::uint32_t process = 0;
    // Where it is, or, minimised, where it is restored to.
    Rect place{0, 0, 800, 600};
    // Raised without activation, in order.
    int raised = 0;
  };

  // A new window on top of the Z order; its handle.
  Hwnd32 open(std::string title, std::uint32_t style = kAppStyle);
  // A new window at the bottom of the Z order.
  Hwnd32 openBelow(std::string title, std::uint32_t style = kAppStyle);
  // A new window on top under a handle given, as the system reuses the
  // handle of a window that closed.
  Hwnd32 openAs(Hwnd32 handle, std::string title, std::string program, std::string windowClass);
  void close(Hwnd32 window);
  Window* find(Hwnd32 window);
  const Window* find(Hwnd32 window) const;

  Hwnd32 firstSibling(Hwnd32 window) override;
  Hwnd32 nextSibling(Hwnd32 window) override;
  std::uint32_t style(Hwnd32 window) override;
  int textLength(Hwnd32 window) override;
  std::string text(Hwnd32 window, int bufferUnits) override;
  void allowAnyForeground() override;
  bool setForeground(Hwnd32 window) override;
  Hwnd32 foregroundWindow() override;
  std::uint32_t threadOf(Hwnd32 window) override;
  std::uint32_t processOf(Hwnd32 window) override;
  std::uint32_t ownThread() override;
  bool answers(Hwnd32 window, int milliseconds) override;
  bool attachInput(std::uint32_t thread, std::uint32_t to, bool attach) override;
  void setBand(Hwnd32 window, ZBand band) override;
  void show(Hwnd32 window, ShowCommand command) override;
  bool exists(Hwnd32 window) override;
  std::string programPath(Hwnd32 window) override;
  std::string windowClass(Hwnd32 window) override;
  bool cloaked(Hwnd32 window) override;
  bool runsAbove(Hwnd32 window) override;
  // As MonitorFromWindow with MONITOR_DEFAULTTONEAREST: the display holding
  // the largest part of the window's place, else the nearest one.
  Display displayOf(Hwnd32 window) override;
  int displayCount() override;
  void raise(Hwnd32 window) override;
  // Puts the window on the display, at its top left corner.
  void placeOn(Hwnd32 window, int display);

  // The foreground lock, as Windows keeps it: a change of the foreground
  // from us is refused while the person's last input (lockInput's) is more
  // recent than the lock time-out, unless there is no foreground window, it
  // is one of our thread's, or our thread shares the input of its thread.
  // Without lockInput there is no lock.
  bool locked() const;
  // A window of our own thread, on top.
  Hwnd32 openOwn(std::string title);

  static constexpr std::uint32_t kAppStyle = kStyleVisible | kStyleMaximizeBox;
  // Top of the Z order first.
  std::vector<Window> windows;
  // Every activation call, in order, e.g. "foreground 42", "band 42 -1".
  std::vector<std::string> calls;
  Hwnd32 foreground = 0;
  const FakeUserInput* lockInput = nullptr;
  std::uint32_t lockTimeoutMs = 200000;
  static constexpr std::uint32_t kOwnThread = 7;
  // The thread whose input ours shares; 0 for none.
  std::uint32_t attachedTo = 0;
  // The system refuses every attach (as it does to a thread of higher
  // integrity).
  bool refuseAttach = false;
  // Our thread joined one that does not answer: on Windows it would now wait
  // with it.
  bool froze = false;
  // Refused foreground changes: each flashes the window's taskbar button.
  int flashes = 0;
  // The displays; none is one primary display 1 holding every window.
  std::vector<Monitor> monitors;
  // Called between the length and the text query of a window.
  std::function<void(Hwnd32)> afterLengthQuery;

 private:
  static std::uint32_t threadId(const Window& w);
  Hwnd32 next_ = 0x20000;
};

class FakeSettings : public platform::ISettingsBackend, public Watched {
 public:
  platform::StoredValue read(std::string_view key) override;
  void write(std::string_view key, std::string_view value) override;
  bool writeOverText(std::string_view key, std::string_view value) override;

  std::map<std::string, std::string, std::less<>> values;
  // Keys holding a value of another kind than text (not in values).
  std::set<std::string, std::less<>> otherKinds;
  std::vector<std::string> writes;  // keys, in the order written
  bool refuseWrites = false;
  bool refuseReads = false;
};

// Policy values by scope and name, and each scope's queue values.
class FakePolicyStore : public platform::IPolicyStore {
 public:
  platform::PolicyValue read(platform::PolicyScope scope, std::string_view name) override {
    if (refuses) throw AppError::system("Access is denied.");
    const auto it = values.find({scope, std::string(name)});
    return it == values.end() ? platform::PolicyValue{} : it->second;
  }
  std::vector<platform::PolicyValue> queue(platform::PolicyScope scope) override {
    const auto it = queues.find(scope);
    return it == queues.end() ? std::vector<platform::PolicyValue>{} : it->second;
  }
  void text(platform::PolicyScope scope, std::string name, std::string value) {
    values[{scope, std::move(name)}] = {platform::PolicyValue::Kind::Text, std::move(value), 0};
  }

  std::map<std::pair<platform::PolicyScope, std::string>, platform::PolicyValue> values;
  std::map<platform::PolicyScope, std::vector<platform::PolicyValue>> queues;
  bool refuses = false;
};

// A settings file in memory: replaced whole, or refusing.
class FakeSettingsFile : public platform::ISettingsFile {
 public:
  std::optional<std::string> read() override {
    if (refusesReads) throw AppError::system("The process cannot access the file.");
    return bytes;
  }
  void replace(std::string_view with) override {
    if (refusesWrites) throw AppError::system("Access is denied.");
    bytes = std::string(with);
    ++replaced;
  }

  std::optional<std::string> bytes;
  int replaced = 0;
  bool refusesReads = false;
  bool refusesWrites = false;
};

class FakeFiles : public platform::IFileSystem, public Watched {
 public:
  std::string programFolder() override {
    reads("programFolder");
    return folder;
  }
  bool hasModificationTime(std::string_view path) override {
    reads("hasModificationTime");
    return files.contains(std::string(path));
  }
  bool isListedFile(std::string_view path) override {
    reads("isListedFile");
    return files.contains(std::string(path));
  }

  std::string folder = "C:\\Tools";
  std::set<std::string> files;
};

class FakeClock : public platform::IClock, public Watched {
 public:
  LocalDateTime now() override {
    reads("now");
    return current;
  }
  // Moves the clock on, carrying over midnight into the next day.
  void advance(int seconds);
  // Sets the local clock alone, as a clock adjustment does.
  void setLocal(std::int64_t secondsSinceEpoch);
  void setTime(TimeOfDay time) { current.time = time; }

  LocalDateTime current{2026, 12, 7, 1, {9, 0, 0}};  // a Monday
};

class FakeLocale : public platform::ILocale, public Watched {
 public:
  NumberFormat numberFormat() override {
    reads("numberFormat");
    return numbers;
  }
  TimeFormat timeFormat() override {
    reads("timeFormat");
    return times;
  }
  NumberFormat numbers;
  TimeFormat times;
};

class FakeMessageLoop : public platform::IMessageLoop, public Watched {
 public:
  void doEvents() override {
    acts("doEvents");
    ++doEventsCount;
    if (pending) pending();
  }
  void endProgram() override {
    acts("endProgram");
    ended = true;
  }

  // Waits take no time: what comes in meanwhile is whileWaiting, run once,
  // and then the wait is over, early or in full.
  bool runUntil(const std::function<bool()>& done, int milliseconds) override {
    acts("runUntil");
    waits.push_back(milliseconds);
    if (whileWaiting) whileWaiting();
    waitedInFull.push_back(!done());
    return !ended;
  }

  void post(std::function<void()> task) override {
    acts("post");
    posted.push_back(std::move(task));
  }
  // Runs what was posted, as the main loop would next, until none is left.
  void runPosted() {
    while (!posted.empty() && !ended) {
      auto task = std::move(posted.front());
      posted.pop_front();
      task();
    }
  }

  int doEventsCount = 0;
  bool ended = false;
  std::deque<std::function<void()>> posted;
  // What the pending messages do when they run.
  std::function<void()> pending;
  std::function<void()> whileWaiting;
  std::vector<int> waits;
  std::vector<bool> waitedInFull;
};

// The notification area: what the shell was told, and whether it takes it.
// At log-on the shell refuses icons while it is still starting, and says
// nothing ("TaskbarCreated") when it is ready: startingFor counts the adds it
// refuses before it takes one.
class FakeNotifyArea : public platform::INotifyArea, public Watched {
 public:
  static constexpr IconHandle kAppIcon = 0x4B;

  bool notify(TrayCommand command, const TrayRecord& record) override {
    acts(command == TrayCommand::Add      ? "add"
         : command == TrayCommand::Modify ? "modify"
                                          : "delete");
    sent.push_back({command, record});
    if (command == TrayCommand::Add && startingFor > 0) {
      --startingFor;
      return false;
    }
    if (!accepts) return false;
    if (command == TrayCommand::Add) shown = true;
    if (command == TrayCommand::Delete) shown = false;
    return true;
  }
  IconHandle appIcon() override {
    reads("appIcon");
    return kAppIcon;
  }

  struct Sent {
    TrayCommand command;
    TrayRecord record;
    friend bool operator==(const Sent&, const Sent&) = default;
  };
  std::vector<Sent> sent;
  bool accepts = true;
  bool shown = false;
  int startingFor = 0;
};

// Programs started: each command line, the process it became, or the reason
// it could not start.
class FakeProcesses : public platform::IProcesses, public Watched {
 public:
  std::uint32_t start(std::string_view commandLine) override {
    acts("start", commandLine);
    started.emplace_back(commandLine);
    if (!refusal.empty()) throw AppError::system(refusal);
    return nextProcess++;
  }
  std::vector<std::string> started;
  std::string refusal;  // set: no command starts, for this reason
  std::uint32_t nextProcess = 7000;
};

class FakeRunEntry : public platform::IRunEntry, public Watched {
 public:
  std::string programPath() override {
    reads("programPath");
    return path;
  }
  void add(std::string_view name, std::string_view command) override {
    acts("add", name);
    if (refuses) throw AppError::system("Access is denied.");
    entries.insert_or_assign(std::string(name), std::string(command));
  }
  void remove(std::string_view name) override {
    acts("remove", name);
    if (refuses) throw AppError::system("Access is denied.");
    entries.erase(std::string(name));
  }

  std::string path = "C:\\Tools\\tarnavel.exe";
  std::map<std::string, std::string, std::less<>> entries;
  bool refuses = false;
};

// The hook as the program holds it (installed) and as the system calls it
// (inChain). Windows takes a hook out of the chain without a word when one of
// its calls took too long; the program still holds it, and installing while
// holding one changes nothing, as with the real hook. Every hook of ours in
// the chain hears each key.
class FakeKeyboardHook : public platform::IKeyboardHook, public Watched {
 public:
  void install() override {
    acts("install");
    if (whenInstalled) whenInstalled();
    if (installed) return;
    if (refuses) throw AppError::system("Access is denied.");
    installed = true;
    ++inChain;
  }
  void remove() override {
    acts("remove");
    if (whenRemoved) whenRemoved();
    if (installed) inChain = 0;
    installed = false;
  }
  // A call took longer than LowLevelHooksTimeout.
  void dropSilently() { inChain = 0; }
  // A T key event as the system hands it to the hooks in its chain.
  template <class Events>
  void key(Events& to, const KeyTEvent& event) {
    for (int i = 0; i < inChain; ++i)
      to.onKeyT(event);
  }
  // Ctrl+Shift+T pressed and released.
  template <class Events>
  void chord(Events& to) {
    key(to, {true, true, true});
    key(to, {false, true, true});
  }
  bool installed = false;
  int inChain = 0;
  bool refuses = false;
  // Run as the hook goes in and out, to see what was done before.
  std::function<void()> whenInstalled;
  std::function<void()> whenRemoved;
};

}  // namespace tarnavel::fake
