// "Switch each display on its own", through fake displays side by side.
#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "SwitchFixture.h"
#include "core/Commands.h"
#include "switching/Unattended.h"

namespace tarnavel::testing {
namespace {

class EachDisplayTest : public SwitchTest {
 protected:
  // n displays of 1024x768 side by side, the first the primary; the targets
  // on the displays given, one a target.
  void setUp(int displays, const std::vector<int>& places, bool chosen = true) {
    for (int d = 1; d <= displays; ++d) {
      f.windows.monitors.push_back({{d, d == 1}, {(d - 1) * 1024, 0, d * 1024, 768}});
    }
    queueTargets(static_cast<int>(places.size()));
    for (std::size_t i = 0; i < places.size(); ++i)
      f.windows.placeOn(targets[i], places[i]);
    if (chosen) choose(true);
  }
  void choose(bool on) {
    f.dialogs.optionsEdits = {[=](UnattendedChoices& c) { c.switchEachDisplay = on; }};
    form->onMenu(MenuItem::Options);
    f.dialogs.optionsEdits.clear();
  }
  // What the switches since the last look did: "front T1" for a window
  // that took the foreground, "raise T2" for one raised without it.
  std::string moves() {
    std::string text;
    const auto name = [&](const std::string& call) {
      const Hwnd32 window = std::stoi(call.substr(call.find(' ') + 1));
      for (std::size_t i = 0; i < targets.size(); ++i) {
        if (targets[i] == window) return "T" + std::to_string(i + 1);
      }
      return std::string("?");
    };
    for (const auto& call : f.windows.calls) {
      const bool front = call.starts_with("foreground ");
      if (!front && !call.starts_with("raise ")) continue;
      if (!text.empty()) text += ' ';
      text += (front ? "front " : "raise ") + name(call);
    }
    f.windows.calls.clear();
    return text;
  }
  std::vector<std::string> column() const {
    std::vector<std::string> cells;
    for (int row = 1; row <= f.ListView2.count(); ++row)
      cells.push_back(f.ListView2.text(row, kDisplay));
    return cells;
  }
};

struct Moments {
  const char* what;
  int displays;
  std::vector<int> places;
  bool chosen;
  std::vector<std::string> moments;
  friend void PrintTo(const Moments& m, std::ostream* os) { *os << m.what; }
};

class IntervalMoments : public EachDisplayTest, public ::testing::WithParamInterface<Moments> {};

// Every two seconds, each display with rows brings its next row forward: the
// primary's takes the foreground, then the others are raised without it.
TEST_P(IntervalMoments, SwitchEveryDisplayInItsOwnCycle) {
  const Moments& c = GetParam();
  setUp(c.displays, c.places, c.chosen);
  chooseInterval("0", "0", "2");
  turnOn();
  moves();
  for (const auto& moment : c.moments) {
    tick();
    EXPECT_EQ(moves(), "");
    tick();
    EXPECT_EQ(moves(), moment);
  }
}

INSTANTIATE_TEST_SUITE_P(
    EachDisplay, IntervalMoments,
    ::testing::Values(
        Moments{"TwoDisplays",
                2,
                {1, 2, 1, 2},
                true,
                {"front T1 raise T2", "front T3 raise T4", "front T1 raise T2"}},
        Moments{"ThreeDisplays",
                3,
                {1, 2, 3, 3},
                true,
                {"front T1 raise T2 raise T3", "front T1 raise T2 raise T4"}},
        Moments{
            "ADisplayWithoutRows", 3, {1, 1, 3}, true, {"front T1 raise T3", "front T2 raise T3"}},
        Moments{"RowsOnlyOnTheOtherDisplay", 2, {2, 2}, true, {"raise T1", "raise T2", "raise T1"}},
        Moments{"TheChoiceOff", 2, {1, 2, 2}, false, {"front T1", "front T2", "front T3"}},
        Moments{"OneDisplay", 1, {1, 1, 1}, true, {"front T1", "front T2", "front T3"}}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(EachDisplayTest, TheDailyMomentSwitchesEveryDisplayOnce) {
  setUp(2, {1, 2, 2});
  f.clock.setTime({9, 0, 0});
  f.dtpWeekly.setValue({9, 0, 3});
  form->onChange(Ctl::dtpWeekly);
  form->onClick(Ctl::Option2);
  turnOn();
  tick(2);
  EXPECT_EQ(moves(), "");
  tick();
  EXPECT_EQ(moves(), "front T1 raise T2");
  tick(5);
  EXPECT_EQ(moves(), "");
}

TEST_F(EachDisplayTest, RowsFollowTheirWindowsToAnotherDisplayAndAnUnpluggedOne) {
  setUp(2, {1, 1, 2});
  chooseInterval("0", "0", "1");
  turnOn();
  tick();
  EXPECT_EQ(moves(), "front T1 raise T3");
  EXPECT_EQ(column(), (std::vector<std::string>{"1", "1", "2"}));
  EXPECT_EQ(f.ListView2.selected(), 1);
  f.windows.placeOn(targets[1], 2);  // moved to the other display
  tick();
  EXPECT_EQ(moves(), "front T1 raise T2");
  EXPECT_EQ(column(), (std::vector<std::string>{"1", "2", "2"}));
  // The second display is unplugged: Windows moves its windows to the first.
  f.windows.monitors.pop_back();
  tick();
  EXPECT_EQ(moves(), "front T2");
  tick();
  EXPECT_EQ(moves(), "front T3");
  // Plugged in again, with one window on it: its cycle starts at once.
  f.windows.monitors.push_back({{2, false}, {1024, 0, 2048, 768}});
  tick();
  EXPECT_EQ(moves(), "front T1 raise T2");
}

// The other display's window never passes through the topmost band nor is
// activated: each show command has its counterpart without activation.
TEST_F(EachDisplayTest, TheOtherDisplaysWindowIsShownWithoutActivation) {
  setUp(2, {1, 2});
  f.dialogs.optionsEdits = {[](UnattendedChoices& c) { c.logSwitches = true; }};
  form->onMenu(MenuItem::Options);
  chooseInterval("0", "0", "1");
  turnOn();
  const std::pair<Ctl, ShowCommand> options[] = {{Ctl::Option8, ShowCommand::ShowNoActivation},
                                                 {Ctl::Option4, ShowCommand::ShowNoActivate},
                                                 {Ctl::Option6, ShowCommand::MinimizeNoActive}};
  for (const auto& [option, command] : options) {
    form->onClick(option);
    f.windows.calls.clear();
    tick();
    const auto& calls = f.windows.calls;
    const std::string other = std::to_string(targets[1]);
    EXPECT_EQ(std::ranges::count_if(calls,
                                    [&](const std::string& call) {
                                      return call.ends_with(" " + other) ||
                                             call.find(" " + other + " ") != std::string::npos;
                                    }),
              2);
    EXPECT_EQ(f.windows.find(targets[1])->lastShow, command);
    EXPECT_EQ(f.windows.foreground, targets[0]);
  }
  const auto lines = f.logFiles.entries();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "Switched to \"Target 1\": it took the foreground");
  EXPECT_EQ(lines[1], "Switched to \"Target 2\" on display 2, raised without the foreground");
}

TEST_F(EachDisplayTest, CustomTimesCountOnEachDisplayOnItsOwn) {
  setUp(2, {1, 2, 1});
  f.dialogs.answers = {"3", "5", "2"};
  form->onClick(Ctl::Option7);
  turnOn();
  std::vector<std::string> seen;
  for (int second = 1; second <= 8; ++second) {
    tick();
    seen.push_back(status().substr(status().size() - 2) + " " + moves());
  }
  // Display 1: T1 after 3 s, T3 2 s later; display 2: T2 after 5 s, again 5
  // s later. The status line counts to the soonest.
  EXPECT_EQ(seen, (std::vector<std::string>{"02 ", "01 ", "00 front T1", "01 ",
                                            "00 front T3 raise T2", "02 ", "01 ", "00 front T1"}));
  EXPECT_EQ(f.ListView2.selected(), 1);
}

TEST_F(EachDisplayTest, CommandsNextEveryDisplaySwitchToItsDisplayAndStatusEach) {
  setUp(2, {1, 2, 2});
  f.dialogs.answers = {"10", "10", "20"};
  form->onClick(Ctl::Option7);
  turnOn();
  tick(4);
  const auto run = [&](Command command, std::string title = {}) {
    const auto answer = form->onCommand({command, std::move(title)});
    f.loop.runPosted();
    return answer.text;
  };
  run(Command::Next);
  EXPECT_EQ(moves(), "front T1 raise T2");
  run(Command::SwitchTo, "Target 3");
  EXPECT_EQ(moves(), "raise T3");
  tick(3);
  EXPECT_EQ(run(Command::Status),
            "On\nRow 1: Valid: Target 1\nRow 2: Valid: Target 2\nRow 3: Valid: Target 3\n"
            "In front: Row 1: Target 1\nNext switch in seconds: 7\n"
            "Display 1: In front: Row 1: Target 1\nDisplay 1: Next switch in seconds: 7\n"
            "Display 2: In front: Row 3: Target 3\nDisplay 2: Next switch in seconds: 7\n");
}

TEST_F(EachDisplayTest, TheChoiceIsStoredAndShowsTheDisplayColumnWhileOn) {
  setUp(2, {1, 2}, false);
  ASSERT_EQ(f.ListView2.columnCount(), 4);
  choose(true);
  EXPECT_EQ(f.settings.values[std::string(kSwitchEachDisplayKey)], "True");
  ASSERT_EQ(f.ListView2.columnCount(), 5);
  EXPECT_EQ(f.ListView2.columns[4].header, "Display");
  EXPECT_GT(f.ListView2.columnWidth(5), 0);
  choose(false);
  EXPECT_EQ(f.settings.values[std::string(kSwitchEachDisplayKey)], "False");
  EXPECT_EQ(f.ListView2.columnWidth(5), 0);
}

TEST_F(EachDisplayTest, AStoredChoiceShowsTheDisplayColumnFromTheStart) {
  f.settings.values[std::string(kSwitchEachDisplayKey)] = "True";
  setUp(2, {2, 1}, false);
  EXPECT_TRUE(form->unattended().choices().switchEachDisplay);
  ASSERT_EQ(f.ListView2.columnCount(), 5);
  chooseInterval("0", "0", "1");
  turnOn();
  tick();
  EXPECT_EQ(column(), (std::vector<std::string>{"2", "1"}));
  EXPECT_EQ(moves(), "front T2 raise T1");
}

}  // namespace
}  // namespace tarnavel::testing
