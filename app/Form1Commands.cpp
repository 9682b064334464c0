// The commands a script sends through a second start ("--on", "--status",
// ...). Each is decided and answered at once; what it does runs right after
// the answer has gone back, on this thread, as the matching click, chord or
// menu would, and asks the user nothing.
#include <algorithm>
#include <functional>
#include <string>

#include "app/Form1.h"
#include "core/Calendar.h"
#include "core/Numbers.h"

namespace tarnavel {
namespace {

constexpr std::string_view kCommandProcedure = "Form1.Remote_Command";

CommandAnswer refused(std::string_view reason) {
  return {kExitRefused, std::string(reason) + "\n"};
}

}  // namespace

Hwnd32 Form1::windowOfRow(int row) {
  return ShownWindowOf(sys_.windows, ui_.ListView2.text(row, kHandleText),
                       sys_.locale.numberFormat());
}

int Form1::rowWithWindow(int from, int step) {
  const int count = ui_.ListView2.count();
  for (int k = 0; k < count; ++k) {
    const int row = ((from - 1 + step * k) % count + count) % count + 1;
    if (windowOfRow(row) != 0) return row;
  }
  return 0;
}

void Form1::turnOnQuietly() {
  cx_.quiet = true;
  monitoring_.PushButton2_Click();
  cx_.quiet = false;
}

std::string Form1::statusText() {
  const bool on = ui_.PushButton2.caption() == kTurnOff;
  std::string text = on ? "On\n" : "Off\n";
  const int count = ui_.ListView2.count();
  for (int row = 1; row <= count; ++row) {
    text += "Row " + std::to_string(row) + ": " + ui_.ListView2.text(row, kStatus) + ": " +
            ui_.ListView2.text(row, kTitle) + "\n";
  }
  const auto& c = timer_.countdown;
  const int front = c.FrontRow >= 1 && c.FrontRow <= count ? c.FrontRow : 0;
  text += front != 0 ? "In front: Row " + std::to_string(front) + ": " +
                           ui_.ListView2.text(front, kTitle) + "\n"
                     : std::string("In front: none\n");
  std::string next = "none";
  if (on && count > 0) {
    if (ui_.Frame4.caption() == kStatusPaused) {
      next = "paused";
    } else if (ui_.Option1.value() || ui_.Option2.value()) {
      // The chosen time of day, today or on a day to come.
      std::int64_t s = SecondsToSwitchTime(sys_.clock, ui_.dtpWeekly);
      if (ui_.Option1.value()) {
        const int today = sys_.clock.now().weekday;
        int chosen = today;
        for (int d = 0; d < 7; ++d) {
          if (kWeekdayNames[static_cast<std::size_t>(d)] == ui_.cboWeekly.caption()) chosen = d;
        }
        int days = (chosen - today + 7) % 7;
        if (days == 0 && s <= 0) days = 7;
        s += std::int64_t{days} * 86400;
      } else if (s <= 0) {
        s += 86400;
      }
      next = std::to_string(s);
    } else {
      next = std::to_string(std::max<std::int64_t>(
          0, std::int64_t{c.SwitchSeconds} - std::int64_t{c.ElapsedSeconds}));
    }
  }
  text += "Next switch in seconds: " + next + "\n";
  // Each display's own turn: the row in front, and its next switch (the
  // custom schedule counts each display's own).
  if (!timer_.eachDisplay.active()) return text;
  timer_.eachDisplay.place(false);
  for (const auto& turn : c.displays) {
    const std::string name = "Display " + std::to_string(turn.display.number) + ": ";
    text += name;
    text += turn.front >= 1 && turn.front <= count
                ? "In front: Row " + std::to_string(turn.front) + ": " +
                      ui_.ListView2.text(turn.front, kTitle) + "\n"
                : std::string("In front: none\n");
    std::string own = next;
    if (ui_.Option7.value() && next != "none" && next != "paused") {
      const auto time = turn.due == 0 ? std::nullopt
                                      : readNumber(ui_.ListView2.text(turn.due, kTime),
                                                   sys_.locale.numberFormat());
      own = time && fitsLong(*time)
                ? std::to_string(std::max<std::int64_t>(0, roundToLong(*time) - turn.elapsed))
                : "none";
    }
    text += name;
    text += "Next switch in seconds: " + own + "\n";
  }
  return text;
}

CommandAnswer Form1::onCommand(const CommandRequest& request) {
  const bool on = ui_.PushButton2.caption() == kTurnOff;
  const int count = ui_.ListView2.count();
  // What runs once the answer has gone back.
  std::function<void()> then;
  CommandAnswer answer;
  switch (request.command) {
    case Command::None:
    case Command::Show:
      // Whoever started the program again wants to see it, now: as a click
      // on the tray icon does.
      cSysTray1_MouseUp();
      break;
    case Command::On:
    case Command::Toggle:
      if (request.command == Command::On && on) break;
      if (on) {
        then = [this] { monitoring_.PushButton2_Click(); };
        break;
      }
      if (count == 0) return refused(kQueueEmpty);
      then = [this] { turnOnQuietly(); };
      break;
    case Command::Off:
      if (on) then = [this] { monitoring_.PushButton2_Click(); };
      break;
    case Command::Next:
    case Command::Previous:
    case Command::SwitchTo: {
      int row = 0;
      if (request.command == Command::SwitchTo) {
        for (int r = 1; r <= count && row == 0; ++r) {
          if (ui_.ListView2.text(r, kTitle) == request.title) row = r;
        }
        if (row == 0) return refused("No queued window has the title \"" + request.title + "\".");
        if (windowOfRow(row) == 0) {
          return refused("The window \"" + request.title + "\" is not open.");
        }
      } else {
        const auto& c = timer_.countdown;
        const int due = c.QueueIndex >= 1 && c.QueueIndex <= count ? c.QueueIndex : 1;
        row = request.command == Command::Next
                  ? rowWithWindow(due, 1)
                  : rowWithWindow((c.FrontRow >= 1 && c.FrontRow <= count ? c.FrontRow : due) - 1,
                                  -1);
        if (row == 0) return refused("No queued window is open.");
      }
      if (!timer_.chosenShowCommand()) return refused("No \"After Switching\" option is chosen.");
      // Every display brings its own next row forward.
      if (request.command == Command::Next && timer_.eachDisplay.active()) {
        then = [this] { timer_.switchEveryDisplay(); };
        break;
      }
      then = [this, row] {
        if (const Hwnd32 window = windowOfRow(row)) timer_.switchNow(row, window);
      };
      break;
    }
    case Command::Status: answer.text = statusText(); break;
    case Command::Quit: then = [this] { Form_QueryUnload(); }; break;
    case Command::Help: answer.text = std::string(usageText()); break;
  }
  if (then) {
    sys_.loop.post([this, then = std::move(then)] {
      try {
        then();
      } catch (...) {
        try {
          report_.show(describeFailure(std::current_exception()), kCommandProcedure, 0);
        } catch (...) {
        }
      }
    });
  }
  return answer;
}

}  // namespace tarnavel
