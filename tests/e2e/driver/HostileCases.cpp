// The end-to-end cases of hostile settings: values that a hand edit, another
// program or a damaged store may leave under the program's key. Each starts
// the program on them and checks that it stays responsive, repairs what it
// must once, and leaves alone what it cannot read.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "CaseSupport.h"
#include "Cases.h"

namespace e2e {
namespace {

constexpr wchar_t kStartStop[] = L"StartStopState";
constexpr wchar_t kSwitchEvery[] = L"Switch every:";
constexpr wchar_t kWeekly[] = L" Weekly:";
// Long enough to see how slow a slow start-up or close is.
constexpr int kSlowStartMs = 120000;

std::string ms(ULONGLONG from) {
  return std::to_string(GetTickCount64() - from) + " ms";
}

void writeOrEnd(Ctx& ctx, const std::wstring& name, const std::wstring& value) {
  ctx.require(writeSetting(name, value), "could not write " + quoted(name));
}

// Waits for the setting to hold text; false when it did not in time.
bool waitForSetting(const std::wstring& name, const std::wstring& text, int timeoutMs) {
  return waitUntil([&] { return readSetting(name) == text; }, timeoutMs);
}

// Every box the program shows within the next milliseconds, answered.
std::vector<MessageBoxInfo> boxesWithin(Session& s, int milliseconds) {
  std::vector<MessageBoxInfo> shown;
  const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
  while (GetTickCount64() < until) {
    for (auto& box : s.app->dismissAllBoxes())
      shown.push_back(std::move(box));
    Sleep(50);
  }
  return shown;
}

// Monitoring on with one queued window, in the interval schedule.
HWND onWithOneRow(Ctx& ctx, TargetHost& host, const std::wstring& title) {
  HWND t = target(ctx, host, title);
  settle();
  writeOrEnd(ctx, kQueuedWindows, storedQueue({stored(t, title)}));
  writeOrEnd(ctx, kStartStop, L"On");
  return t;
}

// A seconds box of a million digits: the window comes up, the first tick
// repairs the box to "5" and stores it, and closing ends the program.
void longNumberCase(Ctx& ctx) {
  freshSettings(ctx);
  auto host = targetHost(ctx);
  onWithOneRow(ctx, *host, L"E2E hostile long number");
  writeOrEnd(ctx, L"Text1", L"0");
  writeOrEnd(ctx, L"Text2", L"0");
  writeOrEnd(ctx, L"Text3", std::wstring(1048576, L'9'));

  const ULONGLONG launched = GetTickCount64();
  auto s = startProgram(ctx);
  const std::string shown = ms(launched);
  const ULONGLONG up = GetTickCount64();
  ctx.check(waitForSetting(L"Text3", L"5", 5000), "\"Text3\" was not repaired to \"5\" within 5 s");
  const std::string repaired = ms(up);
  const auto boxes = boxesWithin(*s, 1500);
  ctx.check(boxes.empty(), "the repair showed " + std::to_string(boxes.size()) + " boxes");
  const ULONGLONG closing = GetTickCount64();
  closeProgram(ctx, *s, "after the repair");
  printLine("  long number: main window " + shown + " after launch, \"Text3\" repaired " +
            repaired + " after that, closed in " + ms(closing));
}

// An hours box whose value does not fit the interval: repaired to "0" and
// stored at the first tick, with no error box then or later.
void overflowCase(Ctx& ctx) {
  freshSettings(ctx);
  auto host = targetHost(ctx);
  onWithOneRow(ctx, *host, L"E2E hostile overflow");
  writeOrEnd(ctx, L"Text1", L"1e308");

  auto s = startProgram(ctx);
  const ULONGLONG up = GetTickCount64();
  ctx.check(waitForSetting(L"Text1", L"0", 5000),
            "\"Text1\" = \"1e308\" was not repaired to \"0\"");
  const std::string repaired = ms(up);
  // Three more ticks.
  const auto boxes = boxesWithin(*s, 3500);
  ctx.check(boxes.empty(),
            std::to_string(boxes.size()) + " boxes in 3.5 s" +
                (boxes.empty() ? std::string() : ", the first " + boxes[0].describe()));
  printLine("  overflow: \"Text1\" repaired " + repaired + " after start-up, " +
            std::to_string(boxes.size()) + " boxes in the 3.5 s after");
  closeProgram(ctx, *s, "after the repair");
}

RegValue textValue(DWORD type, const std::wstring& text) {
  RegValue v{type, {}};
  const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
  v.data.assign(bytes, bytes + (text.size() + 1) * sizeof(wchar_t));
  return v;
}

// Values of another type than text: each is reported once at start-up by the
// step that reads it, its default applies, and it is still there, unchanged,
// after closing; only the user's own change of that setting replaces it.
void otherTypesCase(Ctx& ctx) {
  freshSettings(ctx);
  auto host = targetHost(ctx);
  const std::wstring title = L"E2E hostile types";
  HWND t = target(ctx, *host, title);
  settle();
  const DWORD one = 1;
  const struct {
    const wchar_t* name;
    RegValue value;
    const wchar_t* where;
  } foreign[] = {
      {kQueuedWindows, textValue(REG_BINARY, storedQueue({stored(t, title)})),
       L"in Orvendel2021/08/31.Form1.LoadQueuedWindows at line 102\r\r"},
      {L"Option3",
       {REG_DWORD, {reinterpret_cast<const BYTE*>(&one), reinterpret_cast<const BYTE*>(&one) + 4}},
       L"in Orvendel2021/08/31.Form1.Form_Load at line 166\r\r"},
      {L"Text1", textValue(REG_MULTI_SZ, std::wstring(L"7\0", 2)),
       L"in Orvendel2021/08/31.Form1.Form_Load at line 184\r\r"},
  };
  for (const auto& f : foreign) {
    ctx.require(writeSettingRaw(f.name, f.value), "could not write " + quoted(f.name));
  }
  // Each value but the one named is still there, byte for byte.
  auto unchanged = [&](const std::string& when, const std::wstring& except) {
    for (const auto& f : foreign) {
      if (f.name == except) continue;
      const auto now = readSettingRaw(f.name);
      ctx.check(now && *now == f.value,
                quoted(f.name) + " is no longer as it was " + when +
                    (now ? " (type " + std::to_string(now->type) + ")" : " (gone)"));
    }
  };

  for (const int run : {1, 2}) {
    const std::string which = "run " + std::to_string(run);
    std::vector<MessageBoxInfo> boxes;
    auto s = startProgram(ctx, &boxes);
    ctx.check(boxes.size() == std::size(foreign), which + ": start-up showed " +
                                                      std::to_string(boxes.size()) +
                                                      " boxes, expected one for each value");
    for (std::size_t i = 0; i < boxes.size() && i < std::size(foreign); ++i) {
      ctx.check(boxes[i].caption == L"Application Error" &&
                    boxes[i].text.find(foreign[i].name) != std::wstring::npos &&
                    boxes[i].text.find(foreign[i].where) != std::wstring::npos,
                which + ", box " + std::to_string(i + 1) + ": " + boxes[i].describe());
    }
    // The defaults: an empty queue, "Switch every:" chosen, 0 hours.
    ctx.check(s->queue->count() == 0, which + ": the queue is not empty");
    const auto check = sendWithTimeout(requireButton(ctx, *s, kSwitchEvery), BM_GETCHECK, 0, 0);
    ctx.check(check == BST_CHECKED, which + ": \"Switch every:\" is not chosen");
    const auto edits = s->app->childrenOfClass(L"Edit");
    ctx.check(!edits.empty() && remoteText(edits[0]) == L"0",
              which + ": Text1 does not show \"0\"");
    // No tick reports them again.
    const auto later = boxesWithin(*s, 1500);
    ctx.check(later.empty(), which + ": " + std::to_string(later.size()) + " boxes after start-up");
    std::wstring changed;
    if (run == 2) {
      // The user's own choice of the schedule replaces the stored number.
      press(ctx, *s, kWeekly);
      changed = L"Option3";
      ctx.check(waitForSetting(changed, L"False", kChangeTimeoutMs),
                "choosing \" Weekly:\" did not store \"Option3\" as \"False\"");
    }
    closeProgram(ctx, *s, which);
    unchanged("after " + which, changed);
  }
}

// A stored queue of 5,000 rows against an empty one: how long the window
// takes to come up and the program to close.
void longQueueCase(Ctx& ctx) {
  freshSettings(ctx);
  auto host = targetHost(ctx);
  const std::wstring ta = L"E2E long queue A", tb = L"E2E long queue B";
  HWND a = target(ctx, *host, ta);
  HWND b = target(ctx, *host, tb);
  target(ctx, *host, L"E2E long queue bystander");
  settle();

  auto timed = [&](const std::string& what) {
    const ULONGLONG launched = GetTickCount64();
    auto s = startProgram(ctx, nullptr, kSlowStartMs);
    const ULONGLONG shown = GetTickCount64() - launched;
    const int rows = s->queue->count();
    const ULONGLONG closing = GetTickCount64();
    std::string error;
    ctx.check(s->app->close(kSlowStartMs, error), "closing with " + what + ": " + error);
    const ULONGLONG closed = GetTickCount64() - closing;
    printLine("  " + what + ": main window " + std::to_string(shown) + " ms after launch, " +
              std::to_string(rows) + " rows, closed in " + std::to_string(closed) + " ms");
    return rows;
  };
  ctx.check(timed("empty queue") == 0, "the empty queue shows rows");

  // Stale handles under titles of nothing, every 50th under the title of A
  // or B; A queued under its own handle last, so that every stale row of
  // A's title finds A already queued.
  std::vector<QueueRow> rows;
  for (int k = 1; k < 5000; ++k) {
    const std::wstring handle = std::to_wstring(7000001 + 2 * k);
    std::wstring title = L"E2E long queue row " + std::to_wstring(k);
    if (k % 50 == 0) title = k % 100 == 0 ? ta : tb;
    rows.push_back({handle, title, k % 3 == 0 ? L"30" : L""});
  }
  rows.push_back(stored(a, ta));
  writeOrEnd(ctx, kQueuedWindows, storedQueue(rows));
  writeOrEnd(ctx, kStartStop, L"Off");
  ctx.check(timed("5,000 rows") == 5000, "the queue does not show 5,000 rows");
  // The first stale row of B's title was rebound to B; the rest is as stored.
  rows[49].handle = handleText(b);
  ctx.check(readSetting(kQueuedWindows) == storedQueue(rows),
            "closing did not store the 5,000 rows as shown");
}

// Every setting the program keeps, all of them hostile at once in one of
// four ways: start-up reports what it cannot read and goes on, the window
// answers, no box comes later, and closing leaves every value as it was but
// the queue, stored again as the rows it shows.
void everyKeyCase(Ctx& ctx) {
  auto host = targetHost(ctx);
  target(ctx, *host, L"E2E hostile every key");
  settle();
  const wchar_t* const keys[] = {kQueuedWindows,
                                 L"Queued Window Programs",
                                 L"Option1",
                                 L"Option2",
                                 L"Option3",
                                 L"Option4",
                                 L"Option5",
                                 L"Option6",
                                 L"Option7",
                                 L"Option8",
                                 L"Weekly Time",
                                 L"Weekly",
                                 L"Text1",
                                 L"Text2",
                                 L"Text3",
                                 kStartStop,
                                 L"Windows Startup",
                                 L"Minimized",
                                 L"Pause When In Use",
                                 L"Resume After Idle",
                                 L"Find Reopened Windows",
                                 L"Skip Missing Windows"};
  // Control characters, a lone surrogate, a non-character, a NUL inside and
  // an odd byte count with no terminator.
  const wchar_t odd[] = {1, 0x1F, 0xD800, L'7', 0xFFFF, 0, L'|', 0x7F};
  RegValue binaryLooking = textValue(REG_SZ, std::wstring(odd, std::size(odd)));
  binaryLooking.data.resize(binaryLooking.data.size() - 3);
  const DWORD one = 1;
  RegValue number{REG_DWORD, {}};
  number.data.assign(reinterpret_cast<const BYTE*>(&one),
                     reinterpret_cast<const BYTE*>(&one) + sizeof(one));
  // A queue text without separators is one row with no title, which the
  // program shows and stores at closing as such: the text up to its first
  // terminator, a lone surrogate made U+FFFD.
  const std::wstring nines(1 << 20, L'9');
  const struct {
    const char* name;
    RegValue value;
    std::wstring queueAfter;  // empty: as stored
  } forms[] = {
      {"empty", textValue(REG_SZ, L""), L""},
      {"1 MB", textValue(REG_SZ, nines), storedQueue({{nines, L"", L""}})},
      {"binary-looking", binaryLooking,
       storedQueue({{L"\x01\x1f\xFFFD"
                     L"7\xFFFF",
                     L"", L""}})},
      {"a number", number, L""},
  };
  for (const auto& form : forms) {
    const std::string which = std::string("every key ") + form.name;
    freshSettings(ctx);
    for (const wchar_t* key : keys) {
      ctx.require(writeSettingRaw(key, form.value), "could not write " + quoted(key));
    }
    auto expected = settingsSnapshot();
    if (!form.queueAfter.empty()) expected[kQueuedWindows] = textValue(REG_SZ, form.queueAfter);
    const ULONGLONG launched = GetTickCount64();
    std::vector<MessageBoxInfo> boxes;
    auto s = startProgram(ctx, &boxes, kSlowStartMs);
    const std::string shown = ms(launched);
    for (const auto& box : boxes) {
      ctx.check(box.caption == L"Application Error", which + ": " + box.describe());
    }
    ctx.check(sendWithTimeout(s->main(), WM_NULL, 0, 0, 1000).has_value(),
              which + ": the window did not answer within 1 s");
    const auto later = boxesWithin(*s, 1500);
    ctx.check(later.empty(), which + ": " + std::to_string(later.size()) + " boxes after start-up");
    closeProgram(ctx, *s, which);
    const std::string diff = snapshotDiff(expected, settingsSnapshot());
    ctx.check(diff.empty(), which + ": " + diff.substr(0, 600));
    printLine("  " + which + ": main window " + shown + " after launch, " +
              std::to_string(boxes.size()) + " boxes at start-up");
  }
}

}  // namespace

std::vector<Case> hostileCases() {
  return {
      {"long_number", "a million digits in \"Text3\": repaired once, the window responsive",
       longNumberCase},
      {"overflow", "\"Text1\" = \"1e308\": repaired once, no error box every tick", overflowCase},
      {"other_types", "values of another type: reported once, defaults used, left as stored",
       otherTypesCase},
      {"long_queue", "5,000 stored rows: start-up and closing against an empty queue",
       longQueueCase},
      {"every_key", "every setting empty, 1 MB, binary-looking or a number: nothing lost",
       everyKeyCase},
  };
}

}  // namespace e2e
