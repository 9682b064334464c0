#include "CaseSupport.h"

#include <shellscalingapi.h>

#include <algorithm>

#include "Xdotool.h"
#include "form/Form1Layout.h"

namespace e2e {

// --- formatting --------------------------------------------------------------

std::string show(const std::vector<std::wstring>& items) {
  std::string s = "[";
  for (size_t i = 0; i < items.size(); ++i)
    s += (i ? ", " : "") + quoted(items[i]);
  return s + "]";
}

std::string show(const Rows& rows) {
  std::string s = "{";
  for (size_t i = 0; i < rows.size(); ++i)
    s += (i ? ", " : "") + show(rows[i]);
  return s + "}";
}

// Where two lists of titles part: their sizes and the first difference.
std::string difference(const std::vector<std::wstring>& got,
                       const std::vector<std::wstring>& want) {
  size_t i = 0;
  while (i < got.size() && i < want.size() && got[i] == want[i])
    ++i;
  std::string s = std::to_string(got.size()) + " rows against " + std::to_string(want.size());
  if (i < got.size() || i < want.size()) {
    s += ", first difference at row " + std::to_string(i) + ": " +
         (i < got.size() ? quoted(got[i]) : std::string("(none)")) + " against " +
         (i < want.size() ? quoted(want[i]) : std::string("(none)"));
  }
  return s;
}

std::string show(const std::optional<std::wstring>& v) {
  return v ? quoted(*v) : std::string("(absent)");
}

// A queue row as the program should show it: handle text, title, status, time.
std::vector<std::wstring> row(HWND window, const std::wstring& title, const wchar_t* status) {
  return {handleText(window), title, status, L""};
}

// --- one running program -----------------------------------------------------

// Starts the program and finds its two lists; ends the case when it cannot.
// The boxes shown during start-up are answered with OK; they are failures
// unless the caller takes them (startupBoxes).
std::unique_ptr<Session> startProgram(Ctx& ctx, std::vector<MessageBoxInfo>* startupBoxes,
                                      int timeoutMs, bool mayBeHidden, const std::wstring& args) {
  auto s = std::make_unique<Session>();
  std::string error;
  s->app = AppUnderTest::start(ctx.options().appPath, args, kTitle, timeoutMs, error, mayBeHidden);
  ctx.require(s->app != nullptr, "start: " + error);
  std::vector<MessageBoxInfo> boxes = s->app->startupBoxes();
  for (auto& box : s->app->dismissAllBoxes())
    boxes.push_back(box);
  if (startupBoxes) {
    *startupBoxes = boxes;
  } else {
    for (const auto& box : boxes)
      ctx.fail("start-up showed an unexpected " + box.describe());
  }
  HWND available = s->app->listViewWithHeader(kAvailableHeader);
  HWND queue = s->app->listViewWithHeader(kQueueHeaders[0]);
  ctx.require(available != nullptr,
              "no list view with the header " + quoted(kAvailableHeader) + " on the main window");
  ctx.require(queue != nullptr, "no list view with the first header \"Handle\" on the main window");
  s->available = std::make_unique<RemoteListView>(available);
  s->queue = std::make_unique<RemoteListView>(queue);
  ctx.require(s->available->ok() && s->queue->ok(), "cannot reach the lists' process memory");
  return s;
}

// Fails for every message box the program shows now and answers it.
void expectNoBox(Ctx& ctx, Session& s, const std::string& when) {
  for (const auto& box : s.app->dismissAllBoxes()) {
    ctx.fail(when + ": unexpected " + box.describe());
  }
}

// Asks the program to close, as its close box would, and checks that it ends.
void closeProgram(Ctx& ctx, Session& s, const std::string& when) {
  expectNoBox(ctx, s, "before closing " + when);
  std::string error;
  bool closed = s.app->close(kCloseTimeoutMs, error);
  ctx.check(closed, "closing " + when + ": " + error);
}

HWND requireButton(Ctx& ctx, Session& s, const wchar_t* caption) {
  HWND b = s.app->button(caption);
  ctx.require(b != nullptr, "no single button captioned " + quoted(caption));
  return b;
}

void click(Ctx& ctx, Session& s, HWND button) {
  ctx.require(s.app->press(button), "could not post the click of " + quoted(remoteText(button)));
  ctx.require(s.available->drainPosted(kClickTimeoutMs),
              "the program did not take the click of " + quoted(remoteText(button)) + " within " +
                  std::to_string(kClickTimeoutMs) + " ms");
}

void press(Ctx& ctx, Session& s, const wchar_t* caption) {
  click(ctx, s, requireButton(ctx, s, caption));
}

// The two "?" buttons: the upper one belongs to the available list, the
// lower one to the queue.
std::pair<HWND, HWND> helpButtons(Ctx& ctx, Session& s) {
  auto found = s.app->buttons(kListHelp);
  ctx.require(found.size() == 2,
              "expected two buttons captioned \"?\", found " + std::to_string(found.size()));
  RECT a{}, b{};
  GetWindowRect(found[0], &a);
  GetWindowRect(found[1], &b);
  return a.top <= b.top ? std::pair{found[0], found[1]} : std::pair{found[1], found[0]};
}

Rows queueRows(Ctx& ctx, Session& s) {
  auto rows = s.queue->rows(4);
  ctx.require(rows.has_value(), "the queue list does not answer");
  return *rows;
}

std::vector<std::wstring> availableTitles(Ctx& ctx, Session& s) {
  auto titles = s.available->column(0);
  ctx.require(titles.has_value(), "the available list does not answer");
  return *titles;
}

// Waits until the queue shows exactly expected; records a failure otherwise.
bool expectQueue(Ctx& ctx, Session& s, const Rows& expected, const std::string& when) {
  Rows last;
  bool ok = waitUntil(
      [&] {
        auto rows = s.queue->rows(4);
        if (rows) last = *rows;
        return rows && *rows == expected;
      },
      kChangeTimeoutMs);
  return ctx.check(ok, when + ": the queue shows " + show(last) + ", expected " + show(expected));
}

// Waits until "Queued Windows" holds exactly the stored form of rows.
bool expectStored(Ctx& ctx, const std::vector<QueueRow>& rows, const std::string& when) {
  std::wstring expected = storedQueue(rows);
  std::optional<std::wstring> last;
  DWORD type = REG_NONE;
  bool ok = waitUntil(
      [&] {
        last = readSetting(kQueuedWindows, &type);
        return last && *last == expected;
      },
      kChangeTimeoutMs);
  std::string what = when + ": \"Queued Windows\" is " + show(last);
  if (type != REG_SZ && type != REG_NONE) what += " (of type " + std::to_string(type) + ")";
  return ctx.check(ok, what + ", expected " + quoted(expected));
}

QueueRow stored(HWND window, const std::wstring& title) {
  return {handleText(window), title, L""};
}

// The row of the available list that shows title; ends the case when there
// is none or more than one.
int availableRow(Ctx& ctx, Session& s, const std::wstring& title) {
  auto titles = availableTitles(ctx, s);
  int found = -1;
  int count = 0;
  for (size_t i = 0; i < titles.size(); ++i) {
    if (titles[i] == title) {
      found = static_cast<int>(i);
      ++count;
    }
  }
  ctx.require(count == 1, "the available list shows " + quoted(title) + " " +
                              std::to_string(count) + " times: " + show(titles));
  return found;
}

// Selects a row of the available list and presses "Add Selected To Queue".
void addByButton(Ctx& ctx, Session& s, int availableIndex) {
  ctx.require(s.available->select(availableIndex),
              "could not select row " + std::to_string(availableIndex) + " of the available list");
  press(ctx, s, kAdd);
}

void addByButton(Ctx& ctx, Session& s, const std::wstring& title) {
  addByButton(ctx, s, availableRow(ctx, s, title));
}

// Waits for a message box of the program and checks the common form of its
// boxes: caption, owner, a lone OK button, no icon.
std::optional<MessageBoxInfo> expectBox(Ctx& ctx, Session& s, const std::wstring& text,
                                        const std::string& when) {
  auto box = s.app->waitMessageBox(kBoxTimeoutMs);
  if (!ctx.check(box.has_value(), when + ": no message box appeared")) return box;
  ctx.check(box->caption == kTitle,
            when + ": caption " + quoted(box->caption) + ", expected " + quoted(kTitle));
  ctx.check(box->owner == s.main(),
            when + ": the box is not owned by the main window (owner " + hex(box->owner) + ")");
  ctx.check(box->visibleButtons == std::vector<int>{IDOK},
            when + ": the box should have an OK button only");
  ctx.check(!box->hasIcon, when + ": the box shows an icon");
  ctx.check(box->text == text,
            when + ": the box says " + quoted(box->text) + ", expected " + quoted(text));
  ctx.check(s.app->answerOk(*box), when + ": OK did not close the box");
  return box;
}

// The titles of the driver's own windows that qualify for the list, in Z order.
std::vector<std::wstring> qualifyingInZOrder(const std::vector<HWND>& mine, HWND programMain) {
  std::vector<std::wstring> out;
  for (HWND w : topLevelWindowsInZOrder()) {
    if (std::find(mine.begin(), mine.end(), w) != mine.end() && qualifiesForList(w, programMain)) {
      out.push_back(windowTitle(w));
    }
  }
  return out;
}

// Every window on the desktop that qualifies, in Z order.
std::vector<std::wstring> allQualifyingInZOrder(HWND programMain) {
  std::vector<std::wstring> out;
  for (HWND w : topLevelWindowsInZOrder()) {
    if (qualifiesForList(w, programMain)) out.push_back(windowTitle(w));
  }
  return out;
}

// Waits until the Z order of the desktop has settled (the window manager may
// still be placing and focusing new windows).
void settle() {
  auto last = topLevelWindowsInZOrder();
  waitUntil(
      [&] {
        Sleep(150);
        auto now = topLevelWindowsInZOrder();
        bool same = now == last;
        last = now;
        return same;
      },
      3000, 0);
}

std::unique_ptr<TargetHost> targetHost(Ctx& ctx) {
  auto host = std::make_unique<TargetHost>();
  ctx.require(host->ok(), "the driver's target-window thread did not start");
  return host;
}

std::vector<BandEntry> collectSwitches(size_t count, int timeoutMs,
                                       const std::function<void()>& watch) {
  std::vector<BandEntry> seen;
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
  while (seen.size() < count && GetTickCount64() < end) {
    for (const auto& e : takeBandEntries())
      seen.push_back(e);
    if (watch) watch();
    Sleep(20);
  }
  for (const auto& e : takeBandEntries())
    seen.push_back(e);
  return seen;
}

std::string names(const std::vector<BandEntry>& seen, const std::vector<HWND>& targets) {
  std::string s = "[";
  for (size_t i = 0; i < seen.size(); ++i) {
    auto it = std::find(targets.begin(), targets.end(), seen[i].window);
    s += (i ? ", " : "") + (it == targets.end()
                                ? hex(seen[i].window)
                                : "target " + std::to_string(it - targets.begin() + 1));
  }
  return s + "]";
}

std::vector<HWND> windowsOf(const std::vector<BandEntry>& seen) {
  std::vector<HWND> out;
  for (const auto& e : seen)
    out.push_back(e.window);
  return out;
}

HWND target(Ctx& ctx, TargetHost& host, const std::wstring& title, TargetKind kind) {
  HWND w = host.create(title, kind);
  ctx.require(w != nullptr, "could not create the target window " + quoted(title));
  return w;
}

void freshSettings(Ctx& ctx) {
  ctx.require(deleteSettings(), "could not delete the settings key");
}

// The program's active window and focus, as its thread sees them.
GUITHREADINFO threadInfo(Session& s) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(s.main(), nullptr), &info);
  return info;
}

void toFront(Ctx& ctx, Session& s) {
  SetForegroundWindow(s.main());
  ctx.require(waitUntil([&] { return threadInfo(s).hwndActive == s.main(); }, kChangeTimeoutMs),
              "the main window did not become active");
}

void clickInto(Ctx& ctx, Session& s, HWND control) {
  RECT r{};
  GetClientRect(control, &r);
  const LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
  PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(control, WM_LBUTTONUP, 0, at);
  ctx.require(s.available->drainPosted(kClickTimeoutMs) &&
                  waitUntil([&] { return threadInfo(s).hwndFocus == control; }, kChangeTimeoutMs),
              "a click did not give the focus to " + utf8(className(control)));
}

void pressKey(Ctx& ctx, Session& s, HWND control, WORD key) {
  const UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
  PostMessageW(control, WM_KEYDOWN, key, static_cast<LPARAM>(1 | (scan << 16)));
  PostMessageW(control, WM_KEYUP, key, static_cast<LPARAM>(1 | (scan << 16) | (3u << 30)));
  ctx.require(s.available->drainPosted(kClickTimeoutMs), "the program did not take a key");
}

// The screenshot is taken by the runner: the driver asks with a file and
// waits for the answer file.
void screenshot(Ctx& ctx, Session& s) {
  const std::wstring& signal = ctx.options().screenshotSignal;
  if (signal.empty()) return;
  SetForegroundWindow(s.main());
  settle();
  std::wstring request = signal + L".req";
  std::wstring done = signal + L".done";
  DeleteFileW(done.c_str());  // the answer to an earlier request
  HANDLE f = CreateFileW(request.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) {
    ctx.note("screenshot: cannot write " + utf8(request));
    return;
  }
  CloseHandle(f);
  bool taken = waitUntil(
      [&] { return GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES; }, 15000, 100);
  ctx.note(taken ? "screenshot taken" : "screenshot: the runner did not answer");
}

UINT dpiOf(HWND window) {
  // Wine answers GetDpiForWindow for another process's window with 96
  // whatever the scaling; the monitor's DPI is the one the program took.
  UINT dpi = 0, unused = 0;
  if (GetDpiForMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), MDT_EFFECTIVE_DPI, &dpi,
                       &unused) != S_OK ||
      dpi == 0) {
    dpi = 96;
  }
  return dpi;
}

// The buttons and lists sit where the layout table puts them, converted from
// twips at the window's DPI; the columns have their widths.
void checkLayout(Ctx& ctx, Session& s) {
  const UINT dpi = dpiOf(s.main());
  auto px = [&](int twips) { return MulDiv(twips, static_cast<int>(dpi), 1440); };
  auto within1 = [](LONG a, int b) { return a - b <= 1 && b - a <= 1; };
  RECT client{};
  GetClientRect(s.main(), &client);
  ctx.check(within1(client.right, px(tarnavel::kFormWidthTwips)) &&
                within1(client.bottom, px(tarnavel::kFormHeightTwips)),
            "client area " + std::to_string(client.right) + "x" + std::to_string(client.bottom) +
                " px, expected " + std::to_string(px(tarnavel::kFormWidthTwips)) + "x" +
                std::to_string(px(tarnavel::kFormHeightTwips)) + " at " + std::to_string(dpi) +
                " DPI");
  auto helps = s.app->buttons(kListHelp);
  std::sort(helps.begin(), helps.end(), [](HWND a, HWND b) {
    RECT ra{}, rb{};
    GetWindowRect(a, &ra);
    GetWindowRect(b, &rb);
    return ra.top < rb.top;
  });
  for (const auto& c : tarnavel::kForm1Layout) {
    if (c.container != tarnavel::Ctl::None) continue;
    HWND w = nullptr;
    if (c.id == tarnavel::Ctl::ListView1) {
      w = s.available->hwnd();
    } else if (c.id == tarnavel::Ctl::ListView2) {
      w = s.queue->hwnd();
    } else if (c.id == tarnavel::Ctl::PushButton7) {
      w = helps.size() == 2 ? helps[0] : nullptr;  // the upper "?"
    } else if (c.id == tarnavel::Ctl::PushButton6) {
      w = helps.size() == 2 ? helps[1] : nullptr;  // the lower "?"
    } else if (c.kind == tarnavel::CtlKind::Button) {
      w = s.app->button(wide(c.text));
    } else {
      continue;
    }
    std::string name(c.name);
    if (!ctx.check(w != nullptr, name + " not found for the layout check")) continue;
    RECT r{};
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, s.main(), reinterpret_cast<POINT*>(&r), 2);
    int left = px(c.left), top = px(c.top), right = px(c.left + c.width),
        bottom = px(c.top + c.height);
    ctx.check(within1(r.left, left) && within1(r.top, top) && within1(r.right, right) &&
                  within1(r.bottom, bottom),
              name + " is at (" + std::to_string(r.left) + ", " + std::to_string(r.top) + ")-(" +
                  std::to_string(r.right) + ", " + std::to_string(r.bottom) + "), expected (" +
                  std::to_string(left) + ", " + std::to_string(top) + ")-(" +
                  std::to_string(right) + ", " + std::to_string(bottom) + ")");
  }
  auto widths = [&](RemoteListView& list, int n) {
    std::vector<int> out;
    for (int i = 0; i < n; ++i) {
      auto w = sendWithTimeout(list.hwnd(), LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0);
      out.push_back(w ? static_cast<int>(*w) : -1);
    }
    return out;
  };
  auto both = [&](const std::vector<int>& got, const std::vector<int>& want) {
    bool ok = got.size() == want.size();
    for (size_t i = 0; ok && i < got.size(); ++i)
      ok = within1(got[i], want[i]);
    std::string text;
    for (size_t i = 0; i < got.size(); ++i) {
      text +=
          (i ? ", " : "") + std::to_string(got[i]) + " (expected " + std::to_string(want[i]) + ")";
    }
    return std::pair{ok, text};
  };
  auto [availableOk, availableText] = both(widths(*s.available, 1), {px(7000)});
  ctx.check(availableOk, "available list column width " + availableText);
  auto [queueOk, queueText] = both(widths(*s.queue, 4), {px(1), px(5000), px(2000), 0});
  ctx.check(queueOk, "queue column widths " + queueText);
}

HWND statusFrame(Ctx& ctx, Session& s) {
  for (HWND w : s.app->childrenOfClass(L"Button")) {
    if ((GetWindowLongW(w, GWL_STYLE) & BS_TYPEMASK) != BS_GROUPBOX) continue;
    const std::wstring text = remoteText(w);
    if (text.rfind(L"O", 0) == 0) return w;
  }
  ctx.abort("no frame with the status line");
}

std::vector<HWND> queueTargets(Ctx& ctx, Session& s, TargetHost& host, int n,
                               const std::wstring& name, TargetKind kind) {
  std::vector<HWND> targets;
  for (int i = 1; i <= n; ++i)
    targets.push_back(target(ctx, host, std::wstring(name).append(std::to_wstring(i)), kind));
  settle();
  press(ctx, s, kRefresh);
  for (int i = 1; i <= n; ++i) {
    const std::wstring title = std::wstring(name).append(std::to_wstring(i));
    ctx.require(waitUntil(
                    [&] {
                      auto titles = s.available->column(0);
                      return titles && std::count(titles->begin(), titles->end(), title) == 1;
                    },
                    kChangeTimeoutMs),
                "the available list does not show " + quoted(title));
    addByButton(ctx, s, title);
    ctx.require(waitUntil([&] { return s.queue->count() == i; }, kChangeTimeoutMs),
                "the queue did not take " + quoted(title));
  }
  return targets;
}

void runXdotool(Ctx& ctx, const std::vector<std::string>& args) {
  std::string error;
  ctx.require(xdotool(ctx.options(), args, kXdotoolTimeoutMs, error), error);
}

}  // namespace e2e
