#include "switching/EachDisplay.h"

#include <algorithm>
#include <string>

#include "queue/SwitchQueue.h"
#include "queue/WindowList.h"
#include "switching/Activation.h"

namespace tarnavel {

bool EachDisplay::active() {
  return unattended != nullptr && unattended->choices().switchEachDisplay &&
         cx_.sys.windows.displayCount() > 1;
}

void EachDisplay::showColumn() {
  const bool on = unattended != nullptr && unattended->choices().switchEachDisplay;
  auto& list = cx_.ui.ListView2;
  if (list.columnCount() > kDisplay) {
    list.setColumnWidth(kDisplay + 1, on ? kDisplayColumnTwips : 0);
  } else if (on) {
    list.addColumn(kDisplayHeader, kDisplayColumnTwips);
  }
}

void EachDisplay::place(bool atSwitch) {
  auto& list = cx_.ui.ListView2;
  auto& windows = cx_.sys.windows;
  const int count = list.count();
  if (atSwitch) {
    for (int row = 1; row <= count && restarts != nullptr; ++row)
      restarts->atTurn(row);
    if (unattended != nullptr && unattended->choices().findReopened) {
      unattended->queueChanged();
      for (int row = 1; row <= count; ++row)
        unattended->there(row);
    }
  }
  const NumberFormat format = cx_.sys.locale.numberFormat();
  const bool column = list.columnCount() > kDisplay;
  rows_.assign(static_cast<std::size_t>(count), {});
  std::vector<Countdown::DisplayTurn> turns;
  for (int row = 1; row <= count; ++row) {
    auto& entry = rows_[static_cast<std::size_t>(row - 1)];
    entry.first = ShownWindowOf(windows, list.text(row, kHandleText), format);
    if (entry.first != 0) entry.second = windows.displayOf(entry.first);
    const Display display = entry.second;
    const std::string number = display.number != 0 ? std::to_string(display.number) : "";
    if (column && list.text(row, kDisplay) != number) list.setText(row, kDisplay, number);
    if (display.number == 0) continue;
    const auto same = [&](const Countdown::DisplayTurn& t) {
      return t.display.number == display.number;
    };
    if (std::ranges::any_of(turns, same)) continue;
    // A display that had a turn goes on from where it was; a new one starts
    // at its first row.
    const auto it = std::ranges::find_if(c_.displays, same);
    turns.push_back(it != c_.displays.end() ? *it : Countdown::DisplayTurn{});
    turns.back().display = display;
  }
  std::ranges::sort(turns, {}, [](const auto& t) { return t.display.number; });
  for (auto& turn : turns) {
    if (turn.from < 1 || turn.from > count) turn.from = 1;
    turn.due = 0;
    for (int k = 0; k < count && turn.due == 0; ++k) {
      const int row = (turn.from - 1 + k) % count + 1;
      if (displayOfRow(row) == turn.display.number) turn.due = row;
    }
  }
  c_.displays = std::move(turns);
}

int EachDisplay::displayOfRow(int row) const {
  if (row < 1 || row > static_cast<int>(rows_.size())) return 0;
  return rows_[static_cast<std::size_t>(row - 1)].second.number;
}

// A box of a failed step lets other events run meanwhile, and a tick may
// read the displays again: the turn is looked up afresh after the switch.
void EachDisplay::bringForward(Display display, int row, ShowCommand command) {
  const Hwnd32 window = rows_[static_cast<std::size_t>(row - 1)].first;
  if (display.primary) {
    const bool taken = SwitchTo(cx_.report, cx_.sys.windows, window, command);
    if (unattended != nullptr) unattended->switched(row, taken);
  } else {
    RaiseWithoutForeground(cx_.report, cx_.sys.windows, window, command);
    if (unattended != nullptr) unattended->raised(row, display.number);
  }
  const int count = cx_.ui.ListView2.count();
  const int from = count > 0 ? row % count + 1 : 1;
  // The queue goes on from the primary display's row, also when the
  // displays become one.
  if (display.primary) {
    c_.FrontRow = row;
    c_.QueueIndex = from;
  }
  for (auto& turn : c_.displays) {
    if (turn.display.number != display.number) continue;
    turn.front = row;
    turn.from = from;
    turn.elapsed = 0;
  }
}

void EachDisplay::switchWhere(ShowCommand command, const std::function<bool(int)>& which) {
  place(true);
  // The primary display first: the others' windows are raised while its
  // window has the foreground, which their raise leaves where it is.
  std::vector<std::pair<Display, int>> due;
  for (const bool primary : {true, false}) {
    for (const auto& turn : c_.displays) {
      if (turn.display.primary == primary && turn.due != 0 && which(turn.display.number)) {
        due.emplace_back(turn.display, turn.due);
      }
    }
  }
  for (const auto& [display, row] : due)
    bringForward(display, row, command);
  // The next turns, from the rows that came forward on.
  place(false);
}

void EachDisplay::switchAll(ShowCommand command) {
  switchWhere(command, [](int) { return true; });
}

void EachDisplay::switchDue(ShowCommand command, const std::vector<int>& displays) {
  switchWhere(command,
              [&](int number) { return std::ranges::find(displays, number) != displays.end(); });
}

void EachDisplay::switchRow(int row, ShowCommand command) {
  place(false);
  if (displayOfRow(row) == 0) return;
  bringForward(rows_[static_cast<std::size_t>(row - 1)].second, row, command);
  place(false);
}

}  // namespace tarnavel
