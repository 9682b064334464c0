// The end-to-end cases of the Options box: opened from the system menu, its
// choices stored and restored; the switching held while someone types and
// resumed after the chosen seconds; a queued window found again when it is
// reopened, by title or by program and class; a missing window skipped; a
// bad stored value only logged when the log is chosen; switching hours that
// exclude now hold the switching.
#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "CaseSupport.h"
#include "Cases.h"
#include "Xdotool.h"

namespace e2e {
namespace {

constexpr wchar_t kPauseKey[] = L"Pause When In Use";
constexpr wchar_t kResumeKey[] = L"Resume After Idle";
constexpr wchar_t kFindKey[] = L"Find Reopened Windows";
constexpr wchar_t kSkipKey[] = L"Skip Missing Windows";
constexpr wchar_t kRecordKey[] = L"Queued Window Programs";
constexpr wchar_t kPaused[] = L"On. Paused while the computer is in use.";
constexpr wchar_t kPauseText[] = L"Pause switching while the computer is in use";
constexpr wchar_t kFindText[] = L"Find a queued window again when its program reopens it";
constexpr wchar_t kSkipText[] = L"Go straight on when a queued window cannot be found";
constexpr wchar_t kAboutText[] =
    L"Tarnavel\r\nVersion 1.0.0.0\r\n\r\nSupport: support@kestrine.example\r\n"
    L"Contact: http://www.kestrine.example/contact/";
// The program's system menu items and the Options box's controls.
constexpr UINT kMenuOptions = 0x0110;
constexpr UINT kMenuAbout = 0x0120;
constexpr int kPauseId = 200;
constexpr int kResumeLabelId = 201;
constexpr int kResumeId = 202;
constexpr int kResumeUnitId = 203;
constexpr int kFindId = 204;
constexpr int kSkipId = 205;
constexpr int kKeepDisplayId = 206;
constexpr int kHoursId = 207;
constexpr int kFromId = 208;
constexpr int kToId = 210;
constexpr int kFirstDayId = 212;  // Monday .. Sunday
constexpr int kLogInsteadId = 220;
constexpr int kLogSwitchesId = 221;
constexpr int kLogFolderId = 222;
constexpr int kEachDisplayId = 223;
constexpr wchar_t kKeepDisplayKey[] = L"Keep Display On";
constexpr wchar_t kEachDisplayKey[] = L"Switch Each Display";
constexpr wchar_t kHoursKey[] = L"Switch Hours";
constexpr wchar_t kDaysKey[] = L"Switch Days";
constexpr wchar_t kLogInsteadKey[] = L"Log Instead Of Boxes";
constexpr wchar_t kLogSwitchesKey[] = L"Log Switches";
constexpr wchar_t kOutsideHours[] = L"On. Outside switching hours.";

using Settings = std::vector<std::pair<std::wstring, std::wstring>>;

// A fresh program with monitoring off and these settings.
std::unique_ptr<Session> startWith(Ctx& ctx, const Settings& settings) {
  freshSettings(ctx);
  ctx.require(writeSetting(kStartStop, L"Off"), "could not write \"StartStopState\"");
  for (const auto& [key, value] : settings)
    ctx.require(writeSetting(key, value), "could not write " + quoted(key));
  return startProgram(ctx);
}

void turnOn(Ctx& ctx, Session& s) {
  const HWND button = requireButton(ctx, s, kTurnOn);
  takeBandEntries();
  click(ctx, s, button);
  ctx.require(waitUntil([&] { return remoteText(button) == kTurnOff; }, kChangeTimeoutMs),
              "monitoring did not turn on");
}

void turnOff(Ctx& ctx, Session& s) {
  const HWND button = requireButton(ctx, s, kTurnOff);
  click(ctx, s, button);
  ctx.require(waitUntil([&] { return remoteText(button) == kTurnOn; }, kChangeTimeoutMs),
              "monitoring did not turn off");
}

// The Options box, once it is up.
HWND waitOptions(Session& s, int timeoutMs) {
  HWND found = nullptr;
  waitUntil(
      [&] {
        for (HWND w : topLevelWindowsOf(s.app->pid())) {
          if (className(w) == L"#32770" && IsWindowVisible(w) && GetDlgItem(w, kPauseId)) {
            found = w;
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  return found;
}

// Opens the Options box through the system menu: the menu Alt+Space opens
// (openbox keeps Alt+Space for its own window menu, so the driver sends the
// command the key makes, SC_KEYMENU with a blank), then Up twice (from the
// first item round to the last but one, "Options...") and Enter, typed
// through X into the menu.
HWND openOptionsFromMenu(Ctx& ctx, Session& s) {
  runXdotool(ctx, {"search", "--sync", "--onlyvisible", "--limit", "1", "--name", "^Tarnavel$",
                   "windowactivate", "--sync"});
  ctx.require(waitUntil([&] { return GetForegroundWindow() == s.main(); }, kChangeTimeoutMs),
              "the main window did not become the foreground window");
  PostMessageW(s.main(), WM_SYSCOMMAND, SC_KEYMENU, L' ');
  Sleep(500);
  runXdotool(ctx, {"key", "Up", "Up", "Return"});
  return waitOptions(s, kBoxTimeoutMs);
}

bool checkedIn(HWND dialog, int id) {
  const auto state = sendWithTimeout(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0);
  return state && *state == BST_CHECKED;
}

// Waits until the setting reads as wanted; records a failure otherwise.
void expectSetting(Ctx& ctx, const wchar_t* key, const std::wstring& wanted,
                   const std::string& when) {
  std::optional<std::wstring> stored;
  const bool ok =
      waitUntil([&] { return (stored = readSetting(key)) && *stored == wanted; }, kChangeTimeoutMs);
  ctx.check(ok, when + ": " + quoted(key) + " is " + show(stored) + ", expected " + quoted(wanted));
}

void closeWithKey(Ctx& ctx, HWND dialog, WORD key, const std::string& what) {
  const HWND focus = GetDlgItem(dialog, kPauseId);
  const UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
  PostMessageW(focus, WM_KEYDOWN, key, static_cast<LPARAM>(1 | (scan << 16)));
  PostMessageW(focus, WM_KEYUP, key, static_cast<LPARAM>(1 | (scan << 16) | (3u << 30)));
  ctx.check(waitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, kBoxTimeoutMs),
            what + " did not close the Options box");
}

// --- the cases ---------------------------------------------------------------

void optionsCase(Ctx& ctx) {
  auto s = startWith(ctx, {});
  HWND box = openOptionsFromMenu(ctx, *s);
  if (box == nullptr) {
    // The keys may have reached no menu: Escape whatever opened, and take
    // the menu's own command instead.
    runXdotool(ctx, {"key", "Escape", "Escape"});
    ctx.fail("the system menu's Up, Up, Enter did not open the Options box");
    PostMessageW(s->main(), WM_SYSCOMMAND, kMenuOptions, 0);
    box = waitOptions(*s, kBoxTimeoutMs);
  }
  ctx.require(box != nullptr, "the Options box did not open");
  ctx.check(remoteText(box) == kTitle, "the Options box is captioned " + quoted(remoteText(box)));
  ctx.check(GetWindow(box, GW_OWNER) == s->main(), "the Options box is not owned by the window");
  const std::pair<int, const wchar_t*> texts[] = {
      {kPauseId, kPauseText},
      {kResumeLabelId, L"Resume after"},
      {kResumeId, L"60"},
      {kResumeUnitId, L"seconds without input"},
      {kFindId, kFindText},
      {kSkipId, kSkipText},
      {kKeepDisplayId, L"Keep the display on while switching"},
      {kHoursId, L"Switch only between"},
      {kFromId, L"08:00"},
      {kFromId + 1, L"and"},
      {kToId, L"18:00"},
      {kToId + 1, L"on"},
      {kFirstDayId, L"Mon"},
      {kFirstDayId + 6, L"Sun"},
      {kLogInsteadId, L"Write problems to the log without showing a box"},
      {kLogSwitchesId, L"Also log every switch"},
      {kEachDisplayId, L"Switch each display on its own"},
      {kLogFolderId, L"Open Log Folder"},
      {IDOK, L"Close"}};
  for (const auto& [id, text] : texts) {
    const std::wstring shown = remoteText(GetDlgItem(box, id));
    ctx.check(shown == text, "control " + std::to_string(id) + " reads " + quoted(shown));
  }
  for (const int id : {kPauseId, kFindId, kSkipId, kKeepDisplayId, kHoursId, kLogInsteadId,
                       kLogSwitchesId, kEachDisplayId})
    ctx.check(!checkedIn(box, id), "choice " + std::to_string(id) + " is on by default");
  for (int day = 0; day < 7; ++day)
    ctx.check(checkedIn(box, kFirstDayId + day), "day " + std::to_string(day) + " is off");
  // Tab goes through the choices in order, then the folder and Close, then
  // round again; the times and days wait for their check box.
  const auto tabOrder = [&](int steps) {
    std::vector<int> order;
    HWND at = GetDlgItem(box, kPauseId);
    for (int k = 0; k < steps; ++k) {
      at = GetNextDlgTabItem(box, at, FALSE);
      order.push_back(at ? GetDlgCtrlID(at) : 0);
    }
    return order;
  };
  ctx.check(tabOrder(11) == std::vector<int>{kResumeId, kFindId, kSkipId, kKeepDisplayId, kHoursId,
                                             kLogInsteadId, kLogSwitchesId, kEachDisplayId,
                                             kLogFolderId, IDOK, kPauseId},
            "the tab order of the Options box is off");

  // Each control stores its key as it changes.
  PostMessageW(GetDlgItem(box, kPauseId), BM_CLICK, 0, 0);
  expectSetting(ctx, kPauseKey, L"True", "ticking the pause");
  DWORD_PTR result = 0;
  SendMessageTimeoutW(GetDlgItem(box, kResumeId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"45"),
                      SMTO_ABORTIFHUNG, 5000, &result);
  expectSetting(ctx, kResumeKey, L"45", "typing 45 seconds");
  // Each box ticked stores its key at once.
  const auto tick = [&](int id, const wchar_t* key, const wchar_t* value, const char* what) {
    PostMessageW(GetDlgItem(box, id), BM_CLICK, 0, 0);
    expectSetting(ctx, key, value, what);
  };
  tick(kFindId, kFindKey, L"True", "ticking finding again");
  tick(kSkipId, kSkipKey, L"True", "ticking skipping");
  tick(kKeepDisplayId, kKeepDisplayKey, L"True", "ticking keeping the display on");
  tick(kHoursId, kHoursKey, L"08:00-18:00", "ticking the switching hours");
  ctx.check(tabOrder(7) == std::vector<int>{kResumeId, kFindId, kSkipId, kKeepDisplayId, kHoursId,
                                            kFromId, kToId},
            "the times are not in the tab order once the hours are ticked");
  SendMessageTimeoutW(GetDlgItem(box, kFromId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"07:30"),
                      SMTO_ABORTIFHUNG, 5000, &result);
  expectSetting(ctx, kHoursKey, L"07:30-18:00", "typing 07:30");
  tick(kFirstDayId + 6, kDaysKey, L"Monday,Tuesday,Wednesday,Thursday,Friday,Saturday",
       "unticking Sunday");
  tick(kLogInsteadId, kLogInsteadKey, L"True", "ticking the log instead of boxes");
  tick(kLogSwitchesId, kLogSwitchesKey, L"True", "ticking logging every switch");
  tick(kEachDisplayId, kEachDisplayKey, L"True", "ticking switching each display on its own");
  // With every control in use, for a look at the layout.
  screenshot(ctx, *s);
  closeWithKey(ctx, box, VK_ESCAPE, "Escape");

  PostMessageW(s->main(), WM_SYSCOMMAND, kMenuAbout, 0);
  expectBox(ctx, *s, kAboutText, "About Tarnavel");

  // The next start shows them as stored.
  closeProgram(ctx, *s, "after the Options box");
  s = startProgram(ctx);
  PostMessageW(s->main(), WM_SYSCOMMAND, kMenuOptions, 0);
  box = waitOptions(*s, kBoxTimeoutMs);
  ctx.require(box != nullptr, "the Options box did not open after the restart");
  for (const int id : {kPauseId, kFindId, kSkipId, kKeepDisplayId, kHoursId, kLogInsteadId,
                       kLogSwitchesId, kEachDisplayId, kFirstDayId})
    ctx.check(checkedIn(box, id), "choice " + std::to_string(id) + " is off after the restart");
  ctx.check(!checkedIn(box, kFirstDayId + 6), "Sunday is ticked again after the restart");
  ctx.check(
      remoteText(GetDlgItem(box, kFromId)) == L"07:30",
      "the start reads " + quoted(remoteText(GetDlgItem(box, kFromId))) + " after the restart");
  ctx.check(
      remoteText(GetDlgItem(box, kResumeId)) == L"45",
      "the seconds read " + quoted(remoteText(GetDlgItem(box, kResumeId))) + " after the restart");
  closeWithKey(ctx, box, VK_RETURN, "Enter");
  expectNoBox(ctx, *s, "after the Options box");
  closeProgram(ctx, *s, "after the restart");
}

DWORD lastInput() {
  LASTINPUTINFO info{};
  info.cbSize = sizeof info;
  GetLastInputInfo(&info);
  return info.dwTime;
}

void pauseCase(Ctx& ctx) {
  auto host = targetHost(ctx);
  auto s = startWith(ctx, {{L"Text1", L"0"},
                           {L"Text2", L"0"},
                           {L"Text3", L"2"},
                           {kPauseKey, L"True"},
                           {kResumeKey, L"3"}});
  const auto targets = queueTargets(ctx, *s, *host, 2, L"Pause target ");
  const HWND status = statusFrame(ctx, *s);
  // Keys typed into a target through the X server: does Wine's last input
  // time hear of them?
  runXdotool(ctx, {"search", "--sync", "--limit", "1", "--name", "^Pause target 1$",
                   "windowactivate", "--sync"});
  const DWORD before = lastInput();
  Sleep(50);
  runXdotool(ctx, {"key", "shift"});
  if (!waitUntil([&] { return lastInput() != before; }, 1000)) {
    ctx.note(
        "Wine's GetLastInputInfo does not follow input typed through X; the hold is "
        "proved through the fakes alone");
    closeProgram(ctx, *s, "without a last input time");
    return;
  }
  turnOn(ctx, *s);
  ctx.require(collectSwitches(1, 10000).size() == 1, "no switch before any input");

  // Typing for about three seconds holds the switching.
  std::vector<ULONGLONG> presses;
  std::vector<BandEntry> seen;
  bool pausedShown = false;
  const ULONGLONG start = GetTickCount64();
  while (GetTickCount64() - start < 3000) {
    runXdotool(ctx, {"key", "shift"});
    presses.push_back(GetTickCount64());
    for (const auto& e : takeBandEntries())
      seen.push_back(e);
    pausedShown = pausedShown || remoteText(status) == kPaused;
    Sleep(250);
  }
  const ULONGLONG last = presses.back();
  // Until three seconds after the last key, nothing; then the count goes on.
  const auto after =
      collectSwitches(1, 8000, [&] { pausedShown = pausedShown || remoteText(status) == kPaused; });
  for (const auto& e : seen) {
    ctx.check(e.atMs < presses.front() + 1500,
              "a switch came " + std::to_string(e.atMs - presses.front()) + " ms into the typing");
  }
  ctx.check(pausedShown, "the status line never read " + quoted(kPaused));
  ctx.require(after.size() == 1, "the switching did not resume after the typing");
  const long long resumed = static_cast<long long>(after[0].atMs - last);
  ctx.check(resumed >= 2900 && resumed <= 6500,
            "the first switch after the typing came " + std::to_string(resumed) +
                " ms after the last key, expected three seconds and at most one interval more");
  printLine("  held while typing: resumed " + std::to_string(resumed) +
            " ms after the last key (3 s chosen, 2 s interval)");
  ctx.check(std::find(targets.begin(), targets.end(), after[0].window) != targets.end(),
            "the switch after the hold went to no target");
  turnOff(ctx, *s);
  closeProgram(ctx, *s, "after the hold");
}

void reopenedCase(Ctx& ctx, const std::wstring& newTitle) {
  auto host = targetHost(ctx);
  auto s =
      startWith(ctx, {{L"Text1", L"0"}, {L"Text2", L"0"}, {L"Text3", L"1"}, {kFindKey, L"True"}});
  const auto targets = queueTargets(ctx, *s, *host, 3, L"Reopen target ");
  const auto record = readSetting(kRecordKey);
  ctx.check(record && record->find(handleText(targets[1])) != std::wstring::npos,
            quoted(kRecordKey) + " does not record the queued windows: " + show(record));
  turnOn(ctx, *s);
  ctx.require(collectSwitches(1, 5000).size() == 1, "no switch before the reopening");
  ctx.require(host->destroy(targets[1]), "could not close target 2");
  const HWND back = target(ctx, *host, newTitle);
  const auto seen = collectSwitches(4, 6000);
  const auto went = windowsOf(seen);
  ctx.check(std::count(went.begin(), went.end(), back) >= 1,
            "the reopened " + quoted(newTitle) +
                " was never switched to: " + names(seen, {targets[0], back, targets[2]}));
  ctx.check(std::count(went.begin(), went.end(), targets[1]) == 0,
            "a turn still went to the closed window");
  turnOff(ctx, *s);
  const Rows rows = queueRows(ctx, *s);
  ctx.check(rows.size() == 3 && rows[1][0] == handleText(back) && rows[1][2] == kValid,
            "row 2 does not name the reopened window as Valid: " + show(rows));
  ctx.check(expectStored(ctx,
                         {stored(targets[0], L"Reopen target 1"), stored(back, L"Reopen target 2"),
                          stored(targets[2], L"Reopen target 3")},
                         "after finding the window again"),
            "the queue was not stored with the window found again");
  const auto rebuilt = readSetting(kRecordKey);
  ctx.check(rebuilt && rebuilt->find(handleText(back)) != std::wstring::npos &&
                rebuilt->find(className(back)) != std::wstring::npos,
            quoted(kRecordKey) + " does not record the window found again: " + show(rebuilt));
  expectNoBox(ctx, *s, "after finding the window again");
  closeProgram(ctx, *s, "after finding the window again");
}

void skipCase(Ctx& ctx) {
  auto host = targetHost(ctx);
  auto s =
      startWith(ctx, {{L"Text1", L"0"}, {L"Text2", L"0"}, {L"Text3", L"2"}, {kSkipKey, L"True"}});
  const auto targets = queueTargets(ctx, *s, *host, 3, L"Skip target ");
  ctx.require(host->destroy(targets[1]), "could not close target 2");
  turnOn(ctx, *s);
  const auto seen = collectSwitches(3, 9000);
  ctx.check(windowsOf(seen) == std::vector<HWND>{targets[0], targets[2], targets[0]},
            "the switches went " + names(seen, targets) + ", expected targets 1, 3, 1");
  if (seen.size() >= 2) {
    const long long gap = static_cast<long long>(seen[1].atMs - seen[0].atMs);
    ctx.check(gap > 1600 && gap < 2400, "target 3 came " + std::to_string(gap) +
                                            " ms after target 1, expected one interval: the "
                                            "missing window's turn goes straight on");
  }
  // The selection follows the row that switched: row 2 comes next.
  ctx.check(waitUntil([&] { return s->queue->selection() == std::vector<int>{1}; }, 1500),
            "the selected row is not the one after the last switch");
  expectNoBox(ctx, *s, "after skipping");
  turnOff(ctx, *s);
  closeProgram(ctx, *s, "after skipping");
}

// The log as the program writes it: %LOCALAPPDATA%\Tarnavel\Tarnavel.log of
// the prefix both run in.
std::wstring logPath() {
  wchar_t folder[MAX_PATH];
  const DWORD units = GetEnvironmentVariableW(L"LOCALAPPDATA", folder, MAX_PATH);
  if (units == 0 || units >= MAX_PATH) return {};
  return std::wstring(folder, units) + L"\\Tarnavel\\Tarnavel.log";
}

std::string readLog() {
  const HANDLE file = CreateFileW(logPath().c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string text(1 << 16, '\0');
  DWORD read = 0;
  ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
  CloseHandle(file);
  text.resize(read);
  return text;
}

void logInsteadCase(Ctx& ctx) {
  DeleteFileW(logPath().c_str());
  auto s = startWith(ctx, {{kLogInsteadKey, L"True"}, {L"Weekly Time", L"banana"}});
  expectNoBox(ctx, *s, "after a bad stored time with the log chosen");
  const std::string wanted =
      "Error 13: Type mismatch in Orvendel2021/08/31.Form1.Form_Load at line 180";
  std::string log;
  ctx.check(waitUntil([&] { return (log = readLog()).find(wanted) != std::string::npos; },
                      kChangeTimeoutMs),
            "the log " + utf8(logPath()) + " does not name the bad stored time: " + log);
  // One line, stamped with the date and time.
  const auto at = log.find(wanted);
  ctx.check(at == 20 && log.size() > 19 && log[10] == 'T' && log.ends_with("\r\n"),
            "the log's line is not \"<date>T<time> " + wanted + "...\"");
  closeProgram(ctx, *s, "after logging");
}

// The span two to three hours from now: now is outside it.
std::wstring spanAwayFromNow() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  const auto hhmm = [](int minutes) {
    wchar_t text[8];
    wsprintfW(text, L"%02d:%02d", minutes / 60 % 24, minutes % 60);
    return std::wstring(text);
  };
  const int minute = now.wHour * 60 + now.wMinute;
  return hhmm(minute + 120) + L"-" + hhmm(minute + 180);
}

void switchHoursCase(Ctx& ctx) {
  auto host = targetHost(ctx);
  auto s = startWith(ctx, {{L"Text1", L"0"},
                           {L"Text2", L"0"},
                           {L"Text3", L"2"},
                           {kHoursKey, spanAwayFromNow()},
                           {kKeepDisplayKey, L"True"}});
  queueTargets(ctx, *s, *host, 2, L"Hours target ");
  const HWND status = statusFrame(ctx, *s);
  turnOn(ctx, *s);
  bool outsideShown = false;
  const auto seen = collectSwitches(
      1, 6000, [&] { outsideShown = outsideShown || remoteText(status) == kOutsideHours; });
  ctx.check(seen.empty(), "a switch came outside the switching hours");
  ctx.check(outsideShown, "the status line never read " + quoted(kOutsideHours) + ", but " +
                              quoted(remoteText(status)));
  // The power request of the display kept on is no failure under Wine.
  expectNoBox(ctx, *s, "outside the switching hours");
  turnOff(ctx, *s);
  closeProgram(ctx, *s, "after the switching hours");
}

}  // namespace

std::vector<Case> unattendedCases() {
  return {
      {"options",
       "the Options box from the system menu: its controls store their keys, a "
       "restart keeps them; About Tarnavel",
       optionsCase},
      {"pause_in_use", "keys typed through X hold the switching; it resumes 3 s after the last",
       pauseCase},
      {"reopened_title", "a target closed and reopened with its title is switched to",
       [](Ctx& ctx) { reopenedCase(ctx, L"Reopen target 2"); }},
      {"reopened_program", "a target reopened with a new title is found by program and class",
       [](Ctx& ctx) { reopenedCase(ctx, L"Reopen target 2 - reloaded"); }},
      {"skip_missing", "a missing window's turn goes straight on to the next", skipCase},
      {"log_instead",
       "with the log chosen a bad stored value shows no box and is a line of the log",
       logInsteadCase},
      {"switch_hours",
       "hours that exclude now hold the switching and say so; the display kept on is no failure",
       switchHoursCase},
  };
}

}  // namespace e2e
