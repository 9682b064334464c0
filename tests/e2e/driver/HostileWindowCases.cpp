// The end-to-end cases of hostile windows: titles of no, one and 60,000
// characters or holding the queue's separators, a window that closes between
// the list and its switch, and one whose thread has stopped taking messages.
// The program never stops answering, never fails, and switches on to the
// next row.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "CaseSupport.h"
#include "Cases.h"

namespace e2e {
namespace {

// Longer than a probe of the program may wait for its answer.
constexpr UINT kAnswerMs = 1000;

void writeOrEnd(Ctx& ctx, const std::wstring& name, const std::wstring& value) {
  ctx.require(writeSetting(name, value), "could not write " + quoted(name));
}

// Monitoring on, switching every second through the rows.
void onEverySecond(Ctx& ctx, const std::vector<QueueRow>& rows) {
  writeOrEnd(ctx, kQueuedWindows, storedQueue(rows));
  writeOrEnd(ctx, L"Text1", L"0");
  writeOrEnd(ctx, L"Text2", L"0");
  writeOrEnd(ctx, L"Text3", L"1");
  writeOrEnd(ctx, kStartStop, L"On");
}

// Probes the program's window with WM_NULL while the switches come: every
// probe must be answered within a second.
struct Responsiveness {
  int probes = 0, unanswered = 0;
  ULONGLONG slowestMs = 0;
  void probe(HWND main) {
    const ULONGLONG from = GetTickCount64();
    DWORD_PTR result = 0;
    const bool answered =
        SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &result) != 0;
    ++probes;
    if (!answered) ++unanswered;
    slowestMs = std::max(slowestMs, GetTickCount64() - from);
  }
  std::string describe() const {
    return std::to_string(probes) + " probes, " + std::to_string(unanswered) +
           " unanswered, slowest " + std::to_string(slowestMs) + " ms";
  }
};

// The switches of the next milliseconds with the program probed meanwhile;
// no box may come up.
std::vector<BandEntry> switchesWhileProbed(Ctx& ctx, Session& s, size_t count, int timeoutMs,
                                           Responsiveness& r) {
  ULONGLONG lastProbe = 0;
  takeBandEntries();
  auto seen = collectSwitches(count, timeoutMs, [&] {
    if (GetTickCount64() - lastProbe < 100) return;
    r.probe(s.main());
    lastProbe = GetTickCount64();
  });
  ctx.check(r.unanswered == 0, "the program did not answer: " + r.describe());
  expectNoBox(ctx, s, "while switching");
  return seen;
}

// Whether the switches go through the windows in turn, starting anywhere.
bool inTurn(const std::vector<BandEntry>& seen, const std::vector<HWND>& order) {
  if (seen.empty()) return false;
  auto at = std::find(order.begin(), order.end(), seen[0].window);
  if (at == order.end()) return false;
  std::size_t k = static_cast<std::size_t>(at - order.begin());
  for (const auto& e : seen) {
    if (e.window != order[k]) return false;
    k = (k + 1) % order.size();
  }
  return true;
}

// A target whose thread hangs once the program has listed it: the program
// comes up, answers every probe, and the switches pass it by.
void hungTargetCase(Ctx& ctx) {
  freshSettings(ctx);
  auto host = targetHost(ctx);
  auto stuck = targetHost(ctx);
  HWND a = target(ctx, *host, L"E2E hostile before the hung one");
  HWND h = target(ctx, *stuck, L"E2E hostile hung");
  HWND c = target(ctx, *host, L"E2E hostile after the hung one");
  settle();
  onEverySecond(ctx, {stored(a, L"E2E hostile before the hung one"), stored(h, L"E2E hostile hung"),
                      stored(c, L"E2E hostile after the hung one")});
  stuck->hang();

  const ULONGLONG launched = GetTickCount64();
  auto s = startProgram(ctx);
  const ULONGLONG shown = GetTickCount64() - launched;
  Responsiveness r;
  const auto seen = switchesWhileProbed(ctx, *s, 4, 12000, r);
  ctx.check(seen.size() >= 4 && inTurn(seen, {a, c}),
            "the switches were " + names(seen, {a, h, c}) + ", expected targets 1 and 3 in turn");
  printLine("  hung target: main window " + std::to_string(shown) + " ms after launch, " +
            std::to_string(seen.size()) + " switches " + names(seen, {a, h, c}) + ", " +
            r.describe());
  closeProgram(ctx, *s, "with the hung target");
}

// A queued window closes after start-up listed it: its turn passes quietly
// and the next row follows.
void closedTargetCase(Ctx& ctx) {
  freshSettings(ctx);
  auto host = targetHost(ctx);
  const std::wstring ta = L"E2E hostile first", tb = L"E2E hostile closing",
                     tc = L"E2E hostile third";
  HWND a = target(ctx, *host, ta);
  HWND b = target(ctx, *host, tb);
  HWND c = target(ctx, *host, tc);
  settle();
  onEverySecond(ctx, {stored(a, ta), stored(b, tb), stored(c, tc)});

  auto s = startProgram(ctx);
  Responsiveness r;
  const auto first = switchesWhileProbed(ctx, *s, 1, 5000, r);
  ctx.require(!first.empty() && first[0].window == a,
              "the first switch was " + names(first, {a, b, c}) + ", expected target 1");
  ctx.require(host->destroy(b), "could not close target 2");
  const auto seen = switchesWhileProbed(ctx, *s, 4, 12000, r);
  ctx.check(seen.size() >= 4 && inTurn(seen, {a, c}) && seen[0].window == c,
            "after target 2 closed the switches were " + names(seen, {a, b, c}) +
                ", expected targets 3 and 1 in turn");
  printLine("  closed target: " + std::to_string(seen.size()) + " switches after it closed " +
            names(seen, {a, b, c}) + ", " + r.describe());
  closeProgram(ctx, *s, "after the target closed");
}

// Titles of 0, 1 and 60,000 characters and titles holding the separators of
// the stored queue: listed (but the empty one), queued, stored whole at
// closing, and a start on what they left.
void oddTitlesCase(Ctx& ctx) {
  freshSettings(ctx);
  auto host = targetHost(ctx);
  const std::wstring one = L"x";
  const std::wstring longTitle = L"E2E long " + std::wstring(60000 - 9, L'W');
  const std::wstring field = L"E2E field ||||||||123||| inside";
  const std::wstring rowTitle = L"E2E row ||||||||234||| inside";
  target(ctx, *host, L"");
  HWND w1 = target(ctx, *host, one);
  HWND wl = target(ctx, *host, longTitle);
  HWND wf = target(ctx, *host, field);
  HWND wr = target(ctx, *host, rowTitle);
  settle();
  const std::vector<QueueRow> restored = {stored(w1, one), stored(wl, longTitle)};
  writeOrEnd(ctx, kQueuedWindows, storedQueue(restored));
  writeOrEnd(ctx, kStartStop, L"Off");

  const ULONGLONG launched = GetTickCount64();
  auto s = startProgram(ctx);
  const ULONGLONG shown = GetTickCount64() - launched;
  const auto listed = availableTitles(ctx, *s);
  ctx.check(std::count(listed.begin(), listed.end(), L"") == 0, "an empty title is listed");
  ctx.check(std::count_if(listed.begin(), listed.end(),
                          [](const std::wstring& t) { return t.starts_with(L"E2E long W"); }) == 1,
            "the 60,000-character title is not listed once");
  const auto rows = queueRows(ctx, *s);
  ctx.check(rows.size() == 2 && rows[0] == row(w1, one, kValid) && rows[1].size() > 2 &&
                rows[1][2] == kValid,
            "the restored queue shows " + std::to_string(rows.size()) +
                " rows, expected the two titles Valid");
  addByButton(ctx, *s, field);
  addByButton(ctx, *s, rowTitle);
  closeProgram(ctx, *s, "with the odd titles queued");
  // The queue is stored as it was shown, the long title whole.
  const std::vector<QueueRow> all = {stored(w1, one), stored(wl, longTitle), stored(wf, field),
                                     stored(wr, rowTitle)};
  expectStored(ctx, all, "after closing");

  // The separators split those two titles at the next start (the form has
  // no escaping); the program starts, and the two rows before them stay.
  std::vector<MessageBoxInfo> boxes;
  auto again = startProgram(ctx, &boxes);
  for (const auto& box : boxes)
    ctx.note("start-up on the separators showed " + box.describe());
  const auto back = queueRows(ctx, *again);
  ctx.check(back.size() >= 2 && back[0] == row(w1, one, kValid),
            "the rows before the separators did not come back");
  closeProgram(ctx, *again, "after the start on the separators");
  const auto kept = readSetting(kQueuedWindows);
  ctx.check(kept && kept->starts_with(storedQueue(restored)),
            "the 60,000-character title was not stored whole again");
  printLine("  odd titles: main window " + std::to_string(shown) + " ms after launch, " +
            std::to_string(back.size()) + " rows from the separators' queue, " +
            std::to_string(boxes.size()) + " boxes at its start");
}

}  // namespace

std::vector<Case> hostileWindowCases() {
  return {
      {"hung_target", "a queued window that stops taking messages: responsive, switched past",
       hungTargetCase},
      {"closed_target", "a queued window closed after the list: the next row follows",
       closedTargetCase},
      {"odd_titles", "titles of 0, 1 and 60,000 characters and with the queue's separators",
       oddTitlesCase},
  };
}

}  // namespace e2e
