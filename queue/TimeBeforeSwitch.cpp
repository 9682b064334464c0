#include "queue/TimeBeforeSwitch.h"

#include "core/Numbers.h"
#include "form/TimerPause.h"

namespace tarnavel {

// A time the timer could not count ("1e10" seconds) is asked for again like
// one that is no number, rather than overflowing at every turn of its row.
bool TimeBeforeSwitch::readsAsNumber(std::string_view text) const {
  return readsAsSeconds(text, cx_.sys.locale.numberFormat());
}

void TimeBeforeSwitch::ShowListColumn() {
  auto& list = cx_.ui.ListView2;
  if (cx_.ui.Option7.value()) {
    list.setColumnWidth(2, 3800);
    list.setColumnWidth(3, 1500);
    list.setColumnWidth(4, 2000);
    CheckTimeBeforeCwitch();
  } else {
    // Hiding the column keeps the times: they stay in the rows and are
    // stored with the queue.
    list.setColumnWidth(2, 5000);
    list.setColumnWidth(3, 2000);
    list.setColumnWidth(4, 0);
  }
}

void TimeBeforeSwitch::SetTimeBeforeCwitch(int row) {
  Guard g(cx_.report, "Form1.SetTimeBeforeCwitch");
  auto& list = cx_.ui.ListView2;
  if (g.test(100, [&] { return !cx_.ui.Option7.value(); })) return;
  std::string offer = "60";
  std::string title;
  if (g.test(104, [&] { return list.count() >= row; })) {
    if (g.test(106, [&] { return readsAsNumber(list.text(row, kTime)); })) {
      g.step(108, [&] { offer = list.text(row, kTime); });
    }
    g.step(110, [&] { title = list.text(row, kTitle); });
  }
  std::optional<std::string> answer;
  g.step(112, [&] {
    answer = cx_.sys.dialogs.inputBox(std::string(kTimePrompt) + title, cx_.appTitle, offer);
  });
  // Cancel and an empty answer come here too.
  if (g.test(114, [&] { return !answer || !readsAsNumber(*answer); })) return;
  // The rows may have changed while the box was up.
  if (g.test(116, [&] { return list.count() >= row; })) {
    g.step(118, [&] { list.setText(row, kTime, *answer); });
    g.step(120, [&] { queue_.save(); });
  }
}

void TimeBeforeSwitch::CheckTimeBeforeCwitch() {
  Guard g(cx_.report, "Form1.CheckTimeBeforeCwitch");
  auto& list = cx_.ui.ListView2;
  if (g.test(100, [&] { return cx_.loading; })) return;
  // A script's command asks nothing: a row left without a time is passed
  // over, as one the user left without.
  if (cx_.quiet) return;
  if (g.test(102, [&] { return !cx_.ui.Option7.value(); })) return;
  if (g.test(104, [&] { return list.count() == 0; })) return;
  TimerPause pause(cx_.ui);
  pause.pause(g, 106, 108, 110, 112);
  const int rows = g.value(114, 0, [&] { return list.count(); });
  for (int row = 1; row <= rows; ++row) {
    // A cancelled prompt leaves the row as it was; it is not asked again now.
    if (g.test(116, [&] { return !readsAsNumber(list.text(row, kTime)); })) {
      g.step(118, [&] { SetTimeBeforeCwitch(row); });
    }
  }
  pause.resume(g, 122, 124, 126);
}

void TimeBeforeSwitch::PushButton9_Click() {
  Guard g(cx_.report, "Form1.PushButton9_Click");
  auto& list = cx_.ui.ListView2;
  if (g.test(100, [&] { return cx_.ui.Option7.value(); })) {
    if (g.test(102, [&] { return list.count() >= 1; })) {
      // Nothing selected: there is no row to ask for, and nothing is paused.
      const int row = g.value(112, 0, [&] { return list.selected(); });
      if (row == 0) return;
      TimerPause pause(cx_.ui);
      pause.pause(g, 104, 106, 108, 110);
      g.step(112, [&] { SetTimeBeforeCwitch(row); });
      pause.resume(g, 114, 116, 118);
    }
  } else {
    g.step(120, [&] { cx_.sys.dialogs.messageBox(kCustomOnly, kMbOk, cx_.appTitle); });
  }
}

}  // namespace tarnavel
