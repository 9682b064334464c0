// The end-to-end cases of the program's life around monitoring: the toggle
// chord typed on the X display while another window has the focus, the
// start-with-Windows boxes and their Run entry, a start that resumes
// monitoring, the end of the Windows session, and a second start while the
// program runs.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <utility>

#include "CaseSupport.h"
#include "Cases.h"
#include "Xdotool.h"

namespace e2e {
namespace {

constexpr wchar_t kStartWithWindows[] = L"Load this software on Windows startup";
constexpr wchar_t kStartInTray[] = L"Minimized to system tray";
constexpr wchar_t kWindowsStartup[] = L"Windows Startup";
constexpr wchar_t kMinimized[] = L"Minimized";

// Gives a target the X input focus, as a click on its frame would, and waits
// until Wine has made it the foreground window. Wine hears only the keys
// typed into its own windows, so every chord is typed into a target.
void focus(Ctx& ctx, HWND target) {
  const std::string title = utf8(windowTitle(target));
  runXdotool(ctx, {"search", "--sync", "--limit", "1", "--name", "^" + title + "$",
                   "windowactivate", "--sync"});
  ctx.require(
      waitUntil([&] { return GetForegroundWindow() == target; }, kChangeTimeoutMs),
      "the target " + quoted(windowTitle(target)) + " did not become the foreground window");
  // Every chord starts with nothing held: a modifier the system still takes
  // for held would make the next chord another one.
  for (const auto& [key, name] : {std::pair{VK_CONTROL, "Ctrl"}, std::pair{VK_SHIFT, "Shift"}}) {
    ctx.check(GetAsyncKeyState(key) >= 0,
              std::string(name) + " is taken for held before the next chord, with no key down");
  }
}

// A chord's keys by their xdotool names, in the order they go down.
struct Chord {
  const char* names;  // "ctrl+shift+t"
  std::vector<UINT> keys;
};

const Chord kToggle = {"ctrl+shift+t", {VK_CONTROL, VK_SHIFT, 'T'}};

std::string showKeys(const std::vector<KeyEvent>& events) {
  std::string s = "[";
  for (size_t i = 0; i < events.size(); ++i) {
    const UINT k = events[i].key;
    const std::string name = k == VK_CONTROL        ? "Ctrl"
                             : k == VK_SHIFT        ? "Shift"
                             : k >= 'A' && k <= 'Z' ? std::string(1, static_cast<char>(k))
                                                    : std::to_string(k);
    s += (i ? ", " : "") + name + (events[i].down ? " down" : " up");
  }
  return s + "]";
}

// Types a chord into the target that has the focus and waits until the
// target has been told of all its keys: by then the program's low-level hook
// has seen every one of them. The program's answer to the hook is posted, so
// once its posted messages are drained it has answered.
void type(Ctx& ctx, Session& s, HWND target, const Chord& chord) {
  // The keys go down in the chord's order. The order they come up in is not
  // the chord's: it differs from chord to chord.
  std::vector<KeyEvent> downs, ups;
  for (UINT k : chord.keys) {
    downs.push_back({target, k, true});
    ups.push_back({target, k, false});
  }
  takeKeyEvents();
  runXdotool(ctx, {"key", "--delay", "20", chord.names});
  std::vector<KeyEvent> seen;
  waitUntil(
      [&] {
        for (const auto& e : takeKeyEvents())
          seen.push_back(e);
        return seen.size() >= downs.size() + ups.size();
      },
      kChangeTimeoutMs);
  const bool ok = seen.size() == downs.size() + ups.size() &&
                  std::equal(downs.begin(), downs.end(), seen.begin()) &&
                  std::is_permutation(ups.begin(), ups.end(), seen.begin() + std::ssize(downs));
  ctx.require(ok, std::string(chord.names) + ": the target was told of " + showKeys(seen) +
                      ", expected " + showKeys(downs) + " and then " + showKeys(ups) +
                      " in any order");
  ctx.note(std::string(chord.names) + ": " + showKeys(seen));
  ctx.require(s.available->drainPosted(kClickTimeoutMs),
              std::string("the program did not take ") + chord.names);
}

bool checked(HWND box) {
  return sendWithTimeout(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// A fresh program with monitoring off and an interval of one hour, so that
// no switch comes to take the focus from a target while it is on.
std::unique_ptr<Session> startHourly(Ctx& ctx) {
  freshSettings(ctx);
  ctx.require(writeSetting(kStartStop, L"Off") && writeSetting(L"Text1", L"1") &&
                  writeSetting(L"Text3", L"0"),
              "could not write the settings");
  return startProgram(ctx);
}

// --- the cases ---------------------------------------------------------------

// Ctrl+Shift+T typed into another program's window toggles monitoring; the
// other chords near it do nothing; with an empty queue it refuses once.
void hotkeyCase(Ctx& ctx) {
  auto host = targetHost(ctx);
  const HWND w = target(ctx, *host, L"Hotkey target");
  settle();
  auto s = startHourly(ctx);
  const HWND button = requireButton(ctx, *s, kTurnOn);

  {
    SettingsTripwire tripwire;
    ctx.require(tripwire.armed(), "could not arm the settings tripwire");
    // The box takes the focus as it opens, so the keys after T go to it and
    // not to the target. The toggle was posted when T went down; a second
    // one would have been posted with it and would open its box once the
    // first is answered.
    focus(ctx, w);
    runXdotool(ctx, {"key", "--delay", "20", kToggle.names});
    expectBox(ctx, *s, kQueueEmpty, "Ctrl+Shift+T with an empty queue");
    // The box took the X focus in the middle of the chord, and Wine can lose
    // a key release sent while its focus moves: Shift then stays held in its
    // key state (about one run in a hundred). Windows never loses a release,
    // so the keys are released again here, as the hand that let go did.
    runXdotool(ctx, {"keyup", "ctrl", "shift", "t"});
    ctx.require(s->available->drainPosted(kClickTimeoutMs), "the program did not answer");
    expectNoBox(ctx, *s, "after the empty-queue refusal");
    ctx.check(remoteText(button) == kTurnOn,
              "the refusal left the button at " + quoted(remoteText(button)));
    ctx.check(tripwire.writes().empty(), "the refusal wrote " + tripwire.writes());
  }

  addByButton(ctx, *s, L"Hotkey target");
  ctx.require(waitUntil([&] { return s->queue->count() == 1; }, kChangeTimeoutMs),
              "the queue did not take the target");

  // A T typed alone and a bare Ctrl+Shift later do not add up to the chord.
  {
    const Chord idle[] = {
        {"ctrl+t", {VK_CONTROL, 'T'}},
        {"shift+t", {VK_SHIFT, 'T'}},
        {"t", {'T'}},
        {"ctrl+shift", {VK_CONTROL, VK_SHIFT}},
    };
    SettingsTripwire tripwire;
    ctx.require(tripwire.armed(), "could not arm the settings tripwire");
    for (const auto& chord : idle) {
      focus(ctx, w);
      type(ctx, *s, w, chord);
      ctx.check(remoteText(button) == kTurnOn,
                std::string(chord.names) + " turned the button to " + quoted(remoteText(button)));
    }
    expectNoBox(ctx, *s, "after the chords that do nothing");
    ctx.check(tripwire.writes().empty(), "the chords that do nothing wrote " + tripwire.writes());
    ctx.check(!IsIconic(s->main()), "the chords that do nothing minimised the window");
  }

  // Each chord toggles exactly once: twice would leave the caption as it was.
  const struct {
    const wchar_t* caption;
    const wchar_t* state;
  } toggles[] = {{kTurnOff, L"On"}, {kTurnOn, L"Off"}};
  for (const auto& t : toggles) {
    const std::string what = "Ctrl+Shift+T turning " + utf8(t.state);
    focus(ctx, w);
    type(ctx, *s, w, kToggle);
    ctx.check(remoteText(button) == t.caption, what + ": the button reads " +
                                                   quoted(remoteText(button)) + ", expected " +
                                                   quoted(t.caption));
    ctx.check(readSetting(kStartStop) == std::wstring(t.state),
              what + ": \"StartStopState\" is " + show(readSetting(kStartStop)));
    // Turning on minimises the window, which hides it into the tray (off
    // the screen and the taskbar); turning off leaves it there.
    ctx.check(waitUntil([&] { return !IsWindowVisible(s->main()); }, kChangeTimeoutMs),
              what + ": the main window is still on screen");
    expectNoBox(ctx, *s, what);
  }
  closeProgram(ctx, *s, "after the chords");
}

// "Load this software on Windows startup" adds and removes the program's Run
// entry and shows "Minimized to system tray"; start-up only restores them.
void runEntryCase(Ctx& ctx) {
  freshSettings(ctx);
  ctx.require(writeSetting(kWindowsStartup, L"Off"), "could not write \"Windows Startup\"");
  auto s = startProgram(ctx);

  // The entry names the running program and holds its path in quotes.
  std::wstring image(MAX_PATH * 4, L'\0');
  {
    HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, s->app->pid());
    DWORD size = static_cast<DWORD>(image.size());
    ctx.require(p && QueryFullProcessImageNameW(p, 0, image.data(), &size),
                "cannot read the program's image path");
    CloseHandle(p);
    image.resize(size);
  }
  const std::wstring name = image.substr(image.find_last_of(L"\\/") + 1);
  const std::wstring command = L"\"" + image + L"\"";
  ctx.note("the program runs as " + quoted(image));
  ctx.require(deleteUserValue(kRunKey, name), "could not delete the Run entry");
  ctx.atEnd([name] { deleteUserValue(kRunKey, name); });

  struct State {
    const char* when;
    bool startWithWindows, inTray, inTrayShown;
    std::optional<std::wstring> windowsStartup, minimized;
    bool entry;
  };
  const auto expect = [&](const State& st) {
    const std::string when = st.when;
    const HWND check4 = requireButton(ctx, *s, kStartWithWindows);
    const HWND check8 = requireButton(ctx, *s, kStartInTray);
    ctx.check(checked(check4) == st.startWithWindows,
              when + ": \"Load this software on Windows startup\" is " +
                  (checked(check4) ? "checked" : "unchecked"));
    ctx.check(checked(check8) == st.inTray, when + ": \"Minimized to system tray\" is " +
                                                (checked(check8) ? "checked" : "unchecked"));
    ctx.check((IsWindowVisible(check8) != FALSE) == st.inTrayShown,
              when + ": \"Minimized to system tray\" is " +
                  (IsWindowVisible(check8) ? "visible" : "invisible"));
    ctx.check(readSetting(kWindowsStartup) == st.windowsStartup,
              when + ": \"Windows Startup\" is " + show(readSetting(kWindowsStartup)));
    ctx.check(readSetting(kMinimized) == st.minimized,
              when + ": \"Minimized\" is " + show(readSetting(kMinimized)));
    DWORD type = REG_NONE;
    const auto data = readUserValue(kRunKey, name, &type);
    if (st.entry) {
      ctx.check(type == REG_SZ && data == command,
                when + ": the Run entry " + quoted(name) + " is " + show(data) + " of type " +
                    std::to_string(type) + ", expected " + quoted(command));
    } else {
      ctx.check(type == REG_NONE,
                when + ": there is a Run entry " + quoted(name) + ": " + show(data));
    }
  };

  expect({"at start", false, false, false, L"Off", std::nullopt, false});
  const struct {
    const wchar_t* box;
    State after;
  } clicks[] = {
      {kStartWithWindows, {"after checking Check4", true, false, true, L"On", std::nullopt, true}},
      {kStartInTray, {"after checking Check8", true, true, true, L"On", L"On", true}},
      {kStartWithWindows, {"after unchecking Check4", false, false, false, L"Off", L"Off", false}},
  };
  for (const auto& c : clicks) {
    press(ctx, *s, c.box);
    expect(c.after);
  }
  expectNoBox(ctx, *s, "after the start-up boxes");
  closeProgram(ctx, *s, "after the start-up boxes");

  // Restoring a checked box at start-up writes no entry.
  ctx.require(writeSetting(kWindowsStartup, L"On"), "could not write \"Windows Startup\"");
  s = startProgram(ctx);
  expect({"at a start with \"Windows Startup\" on", true, false, true, L"On", L"Off", false});
  closeProgram(ctx, *s, "after the restart");
}

// A start with monitoring stored on resumes switching at once, without
// minimising the window; "Minimized" alone does not start it minimised.
void startOnCase(Ctx& ctx) {
  auto host = targetHost(ctx);
  const std::vector<HWND> targets = {target(ctx, *host, L"Resumed target 1"),
                                     target(ctx, *host, L"Resumed target 2")};
  settle();
  freshSettings(ctx);
  const std::pair<const wchar_t*, std::wstring> stored[] = {
      {kStartStop, L"On"},
      {L"Text1", L"0"},
      {L"Text2", L"0"},
      {L"Text3", L"2"},
      {kWindowsStartup, L"Off"},
      {kMinimized, L"On"},
      {kQueuedWindows, storedQueue({{handleText(targets[0]), L"Resumed target 1", L""},
                                    {handleText(targets[1]), L"Resumed target 2", L""}})},
  };
  for (const auto& [key, value] : stored)
    ctx.require(writeSetting(key, value), "could not write " + quoted(key));
  takeBandEntries();
  takeActivations();
  auto s = startProgram(ctx);
  const ULONGLONG shown = GetTickCount64();
  ctx.check(s->app->button(kTurnOff) != nullptr, "no button reads \"Turn Off\" at start");
  const HWND check8 = requireButton(ctx, *s, kStartInTray);
  ctx.check(checked(check8), "\"Minimized to system tray\" is not checked");
  ctx.check(!IsWindowVisible(check8), "\"Minimized to system tray\" is visible");

  // Three switches, two seconds apart, the first two seconds after the
  // timer started (which is before the window showed), and the main window
  // stays as it is.
  bool minimised = false;
  const auto seen = collectSwitches(3, 8000, [&] {
    minimised = minimised || IsIconic(s->main()) || !IsWindowVisible(s->main());
  });
  ctx.check(windowsOf(seen) == std::vector<HWND>{targets[0], targets[1], targets[0]},
            "the switches went " + names(seen, targets) + ", expected targets 1, 2, 1");
  for (size_t k = 0; k < seen.size(); ++k) {
    const long long at = static_cast<long long>(seen[k].atMs - shown);
    const long long due = 2000LL * static_cast<long long>(k + 1);
    ctx.check(at <= due + 400, "switch " + std::to_string(k + 1) + " came " + std::to_string(at) +
                                   " ms after the window showed, due by " + std::to_string(due));
  }
  ctx.check(!minimised, "the main window was minimised or hidden while switching");
  // Each switch makes its target the active window, in turn. A switch asks
  // for the foreground before it puts the window in the topmost band, so the
  // activation may come a moment before the band entry that marks the switch.
  std::vector<BandEntry> activated;  // in the switches' form, to compare and name alike
  waitUntil(
      [&] {
        for (const auto& a : takeActivations())
          activated.push_back({a.window, a.atMs});
        return activated.size() >= seen.size();
      },
      kChangeTimeoutMs);
  ctx.check(windowsOf(activated) == windowsOf(seen),
            "the targets came to the foreground as " + names(activated, targets) +
                ", the switches went " + names(seen, targets));
  closeProgram(ctx, *s, "while switching");
}

// Windows asks before the session ends, and another program may still cancel
// the end: asked, the program stores the queue and says yes, and switches on;
// it ends only when the session really ends, the queue stored again.
void sessionEndCase(Ctx& ctx) {
  auto host = targetHost(ctx);
  const std::vector<HWND> targets = {target(ctx, *host, L"Session target 1"),
                                     target(ctx, *host, L"Session target 2")};
  settle();
  freshSettings(ctx);
  const std::vector<QueueRow> queue = {{handleText(targets[0]), L"Session target 1", L""},
                                       {handleText(targets[1]), L"Session target 2", L""}};
  const std::pair<const wchar_t*, std::wstring> settings[] = {
      {kStartStop, L"On"}, {L"Text1", L"0"},          {L"Text2", L"0"},
      {L"Text3", L"1"},    {kWindowsStartup, L"Off"}, {kQueuedWindows, storedQueue(queue)},
  };
  for (const auto& [key, value] : settings)
    ctx.require(writeSetting(key, value), "could not write " + quoted(key));
  auto s = startProgram(ctx);
  ctx.require(!collectSwitches(1, 5000).empty(), "no switch at start");

  // Each round: the question, then the end or its cancellation. The stored
  // queue is blanked first, so that only the program's answer stores it.
  for (const bool ending : {false, true}) {
    const std::string when = ending ? "at the session's end" : "at a cancelled end";
    ctx.require(writeSetting(kQueuedWindows, L""), "could not blank \"Queued Windows\"");
    const auto answer =
        sendWithTimeout(s->main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, kCloseTimeoutMs);
    ctx.check(answer == std::optional<LRESULT>(TRUE),
              when + ": WM_QUERYENDSESSION was answered " +
                  (answer ? std::to_string(*answer) : std::string("not at all")));
    expectStored(ctx,
                 {stored(targets[0], L"Session target 1"), stored(targets[1], L"Session target 2")},
                 when + ", once asked");
    ctx.check(s->app->running(), when + ": the program ended when asked");
    sendWithTimeout(s->main(), WM_ENDSESSION, ending ? TRUE : FALSE, ENDSESSION_LOGOFF,
                    kCloseTimeoutMs);
    if (!ending) {
      takeBandEntries();
      ctx.check(!collectSwitches(1, 5000).empty(), when + ": no switch after it");
      ctx.check(s->app->running(), when + ": the program ended");
    }
  }
  ctx.check(waitUntil([&] { return !s->app->running(); }, kCloseTimeoutMs),
            "the program still runs after the session's end");
  expectStored(ctx,
               {stored(targets[0], L"Session target 1"), stored(targets[1], L"Session target 2")},
               "after the session's end");
}

// --- the tray ------------------------------------------------------------------

// Wine docks the tray icon into the display's notification area as a small X
// window of the system tray's process (its balloon is another such window).
const std::vector<std::string> kFindIcon = {"search", "--onlyvisible", "--class", "explorer.exe"};

bool iconPresent(Ctx& ctx) {
  std::string error;
  return xdotool(ctx.options(), kFindIcon, kXdotoolTimeoutMs, error);
}

// A real click on the icon: X button 1 is the left one, 3 the right one. The
// runner's notification area (96 x 24, at the top right) holds our icon
// alone, docked at its right end.
void clickIcon(Ctx& ctx, int xButton) {
  runXdotool(ctx, {"search", "--onlyvisible", "--name", "^panel$", "mousemove", "--window", "%1",
                   "85", "12", "click", std::to_string(xButton)});
}

bool shownNormal(HWND w) {
  return IsWindowVisible(w) && !IsIconic(w);
}

// Minimising hides the window into the tray, out of the taskbar; a release of
// either button on the icon brings it back as it was, monitoring untouched;
// closing while hidden still stores the queue and ends the program.
void trayCase(Ctx& ctx) {
  auto host = targetHost(ctx);
  const HWND w = target(ctx, *host, L"Tray target");
  settle();
  freshSettings(ctx);
  ctx.require(writeSetting(kStartStop, L"Off") && writeSetting(L"Text1", L"1"),
              "could not write the settings");
  auto s = startProgram(ctx);
  ctx.require(waitUntil([&] { return iconPresent(ctx); }, kChangeTimeoutMs),
              "no tray icon in the notification area");
  const auto minimise = [&](const std::string& when) {
    PostMessageW(s->main(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ctx.require(waitUntil([&] { return !IsWindowVisible(s->main()); }, kChangeTimeoutMs),
                when + ": the window is still on screen");
  };
  const auto restore = [&](int xButton, const std::string& when) {
    clickIcon(ctx, xButton);
    ctx.require(waitUntil([&] { return shownNormal(s->main()); }, kChangeTimeoutMs),
                when + ": the click on the icon did not bring the window back");
    ctx.check(waitUntil([&] { return GetForegroundWindow() == s->main(); }, kChangeTimeoutMs),
              when + ": the window came back without the focus");
  };
  minimise("first minimise");
  restore(1, "left button");
  ctx.check(remoteText(requireButton(ctx, *s, kTurnOn)) == kTurnOn, "restoring changed monitoring");
  // Turning monitoring on minimises the window, into the tray.
  addByButton(ctx, *s, L"Tray target");
  press(ctx, *s, kTurnOn);
  ctx.require(waitUntil([&] { return !IsWindowVisible(s->main()); }, kChangeTimeoutMs),
              "turning on left the window on screen");
  ctx.check(readSetting(kStartStop) == std::optional<std::wstring>(L"On"),
            "turning on did not store \"On\"");
  restore(3, "right button");
  ctx.check(s->app->button(kTurnOff) != nullptr, "restoring turned monitoring off");
  minimise("minimise with monitoring on");
  ctx.check(iconPresent(ctx), "the icon went while the window was hidden");
  closeProgram(ctx, *s, "while hidden in the tray");
  ctx.check(!iconPresent(ctx), "the icon stayed after the program ended");
  expectStored(ctx, {stored(w, L"Tray target")}, "after closing from the tray");
}

// Started with both start-up boxes on, the window is never on screen, not
// for a moment; the tray icon is there and brings it back.
void startInTrayCase(Ctx& ctx) {
  freshSettings(ctx);
  ctx.require(writeSetting(kWindowsStartup, L"On") && writeSetting(kMinimized, L"On"),
              "could not write the settings");
  auto s = startProgram(ctx, nullptr, kStartTimeoutMs, true);
  bool everShown = false;
  waitUntil(
      [&] {
        everShown = everShown || IsWindowVisible(s->main());
        return everShown;
      },
      3000, 1);
  ctx.check(!everShown, "the window was on screen at a start in the tray");
  ctx.require(waitUntil([&] { return iconPresent(ctx); }, kChangeTimeoutMs),
              "no tray icon in the notification area");
  clickIcon(ctx, 1);
  ctx.check(waitUntil([&] { return shownNormal(s->main()); }, kChangeTimeoutMs),
            "the click on the icon did not bring the window back");
  closeProgram(ctx, *s, "after a start in the tray");
}

// --- a second start -------------------------------------------------------------

// The visible windows Wine docks into the display's notification area: the
// program's icon, and a balloon while one is up.
int notificationWindows(Ctx& ctx) {
  std::string error, output;
  if (!xdotool(ctx.options(), kFindIcon, kXdotoolTimeoutMs, error, &output)) return 0;
  return static_cast<int>(std::count(output.begin(), output.end(), '\n'));
}

int windowsOfClass(const wchar_t* wanted) {
  struct Count {
    const wchar_t* wanted;
    int n = 0;
  } count{wanted};
  EnumWindows(
      [](HWND w, LPARAM lp) -> BOOL {
        auto* c = reinterpret_cast<Count*>(lp);
        if (className(w) == c->wanted) ++c->n;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count.n;
}

struct Ended {
  bool ended = false;
  DWORD exitCode = 0;
  long long ms = 0;
};

// Starts the program as a user would a second time and waits for it to end.
Ended runToEnd(Ctx& ctx, int timeoutMs) {
  const std::wstring& exe = ctx.options().appPath;
  std::wstring command = L"\"" + exe + L"\"";
  const std::wstring dir = exe.substr(0, exe.find_last_of(L"\\/"));
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const auto started = std::chrono::steady_clock::now();
  ctx.require(
      CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(),
                     &si, &pi) != FALSE,
      "could not start the program a second time (error " + std::to_string(GetLastError()) + ")");
  CloseHandle(pi.hThread);
  Ended result;
  result.ended = WaitForSingleObject(pi.hProcess, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0;
  result.ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now() - started)
                  .count();
  if (!result.ended) TerminateProcess(pi.hProcess, 99);
  GetExitCodeProcess(pi.hProcess, &result.exitCode);
  CloseHandle(pi.hProcess);
  return result;
}

// Started again while it runs hidden in the tray, the program comes up in
// front and the second start ends at once: one window, one icon, one hook,
// and the running copy's monitoring, queue and settings as they were.
void secondStartCase(Ctx& ctx) {
  auto host = targetHost(ctx);
  const HWND w = target(ctx, *host, L"Second start target");
  settle();
  auto s = startHourly(ctx);
  addByButton(ctx, *s, L"Second start target");
  PostMessageW(s->main(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ctx.require(waitUntil([&] { return !IsWindowVisible(s->main()); }, kChangeTimeoutMs),
              "minimising left the window on screen");
  // The icon alone, once the balloon of the first minimise has come (Wine
  // shows it a moment later) and gone again (the program takes it down
  // after 5 s): the balloon is a window of the same kind.
  int inTray = 0;
  ctx.require(waitUntil([&] { return (inTray = notificationWindows(ctx)) == 2; }, 8000, 100),
              "the notification area holds " + std::to_string(inTray) +
                  " windows, expected the icon and its balloon");
  ctx.require(waitUntil([&] { return (inTray = notificationWindows(ctx)) == 1; }, 10000, 100),
              "the notification area holds " + std::to_string(inTray) +
                  " windows, expected the icon alone");
  const Rows queue = queueRows(ctx, *s);

  SettingsTripwire tripwire;
  ctx.require(tripwire.armed(), "could not arm the settings tripwire");
  const Ended second = runToEnd(ctx, 10000);
  ctx.note("the second start ended after " + std::to_string(second.ms) + " ms");
  ctx.require(second.ended, "the second start was still running after 10 s");
  ctx.check(second.exitCode == 0,
            "the second start ended with " + std::to_string(second.exitCode) + ", expected 0");
  ctx.check(second.ms < 3000, "the second start took " + std::to_string(second.ms) + " ms to end");
  ctx.check(waitUntil([&] { return shownNormal(s->main()); }, kChangeTimeoutMs),
            "the running copy's window did not come out of the tray");
  ctx.check(waitUntil([&] { return GetForegroundWindow() == s->main(); }, kChangeTimeoutMs),
            "the running copy's window came up without the focus");
  ctx.check(s->app->running(), "the running copy ended");
  ctx.check(windowsOfClass(L"Tarnavel.Form1") == 1,
            std::to_string(windowsOfClass(L"Tarnavel.Form1")) + " main windows, expected one");
  inTray = notificationWindows(ctx);
  ctx.check(inTray == 1,
            "the notification area holds " + std::to_string(inTray) + " windows after it");
  ctx.check(s->app->button(kTurnOn) != nullptr, "the second start changed monitoring");
  expectQueue(ctx, *s, queue, "after the second start");
  ctx.check(tripwire.writes().empty(), "the second start wrote " + tripwire.writes());
  tripwire.restore();
  expectNoBox(ctx, *s, "after the second start");

  // One hook: one chord toggles monitoring once (twice would leave it off).
  focus(ctx, w);
  type(ctx, *s, w, kToggle);
  const HWND button = requireButton(ctx, *s, kTurnOff);
  ctx.check(readSetting(kStartStop) == std::wstring(L"On"),
            "one Ctrl+Shift+T left \"StartStopState\" at " + show(readSetting(kStartStop)));
  ctx.check(remoteText(button) == kTurnOff, "one Ctrl+Shift+T did not turn monitoring on");
  closeProgram(ctx, *s, "after the second start");
}

}  // namespace

std::vector<Case> lifecycleCases() {
  return {
      {"hotkey", "Ctrl+Shift+T from another window: on, off, the refusal; near chords do nothing",
       hotkeyCase},
      {"run_entry", "\"Load this software on Windows startup\": the Run entry and its tray box",
       runEntryCase},
      {"start_on", "a start with monitoring on switches at once, not minimised", startOnCase},
      {"session_end", "asked before the session ends: queue stored, switching on; ends with it",
       sessionEndCase},
      {"tray", "minimised into the tray, back with either button, closed from there", trayCase},
      {"start_in_tray", "both start-up boxes on: never on screen, back from the icon",
       startInTrayCase},
      {"second_start", "started again from the tray: the running copy comes up, one icon and hook",
       secondStartCase},
  };
}

}  // namespace e2e
