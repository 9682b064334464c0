// A queued window whose program is gone: its row's command starts the
// program again at the row's turn, and the new window becomes the row's.
#include "SwitchFixture.h"
#include "queue/RowCommands.h"
#include "switching/Restarts.h"

namespace tarnavel::testing {
namespace {

class StartAgain : public SwitchTest {
 protected:
  // The queue's shortcut menu on row, "Start Command..." chosen, answered so.
  void setCommand(int row, std::optional<std::string> answer) {
    f.ListView2.select(row);
    f.dialogs.menuChoice = 1;
    f.dialogs.answers = {std::move(answer)};
    form->onRightClick(Ctl::ListView2);
  }
  // One second for the clock, the tick count and the timer.
  void second(int times = 1) {
    for (int i = 0; i < times; ++i) {
      f.input.advance(1000);
      tick();
    }
  }
};

TEST_F(StartAgain, TheMenuAsksForTheCommandOfferingTheRowsProgramAndStoresItBesideTheQueue) {
  queueTargets(2);
  f.ListView2.select(2);
  f.dialogs.menuChoice = 0;  // the menu closed without a choice
  form->onRightClick(Ctl::ListView2);
  EXPECT_EQ(f.dialogs.menus, (std::vector<std::vector<std::string>>{{"Start Command..."}}));
  EXPECT_TRUE(f.dialogs.prompts.empty());

  setCommand(2, "\"C:\\Apps\\viewer.exe\" --board 2");
  ASSERT_EQ(f.dialogs.prompts.size(), 1u);
  EXPECT_EQ(f.dialogs.prompts[0].prompt,
            "Command that starts this window's program when its window is gone (empty for none):");
  EXPECT_EQ(f.dialogs.prompts[0].preset, "\"C:\\Apps\\viewer.exe\"");
  const std::string queued = f.settings.values["Queued Windows"];
  EXPECT_EQ(
      f.settings.values["Queued Window Commands"],
      storedRow(std::to_string(targets[1]), "Target 2", "\"C:\\Apps\\viewer.exe\" --board 2"));
  // Asked again, it offers the command; cancelled, nothing changes; empty,
  // the command goes.
  setCommand(2, std::nullopt);
  EXPECT_EQ(f.dialogs.prompts[1].preset, "\"C:\\Apps\\viewer.exe\" --board 2");
  setCommand(2, "");
  EXPECT_EQ(f.settings.values["Queued Window Commands"], "");
  EXPECT_EQ(f.settings.values["Queued Windows"], queued);  // its stored form untouched
  EXPECT_TRUE(errorLines().empty());
}

TEST_F(StartAgain, AGoneWindowsCommandStartsOnceEveryFiveMinutesAndItsNewWindowIsSwitchedTo) {
  queueTargets(2);
  chooseInterval("0", "0", "1");
  setCommand(1, "C:\\Apps\\viewer.exe --board 1");
  turnOn();
  f.windows.close(targets[0]);
  second(2);  // row 1's turn, then row 2's
  EXPECT_EQ(f.processes.started, std::vector<std::string>{"C:\\Apps\\viewer.exe --board 1"});
  // The turn went on as without the command: to the gone handle, which
  // does nothing, then to row 2.
  EXPECT_EQ(switched(), (std::vector<Hwnd32>{targets[0], targets[1]}));
  // Not yet open at row 1's next turn: not started again so soon.
  second(2);
  EXPECT_EQ(f.processes.started.size(), 1u);
  // The program opens its window: bound to the row at the next tick, and
  // switched to at the row's turn.
  const Hwnd32 reopened = f.windows.open("Board 1 (starting)");
  f.windows.find(reopened)->process = 7000;
  switched();
  second(2);
  EXPECT_EQ(f.ListView2.text(1, 0), std::to_string(reopened));
  EXPECT_EQ(f.ListView2.text(1, 2), "Valid");
  EXPECT_EQ(switched(), (std::vector<Hwnd32>{reopened, targets[1]}));
  // Its command followed the row to its new handle.
  EXPECT_NE(f.settings.values["Queued Window Commands"].find(std::to_string(reopened)),
            std::string::npos);
  EXPECT_TRUE(errorLines().empty());
}

TEST_F(StartAgain, ACommandThatCannotStartIsLoggedNeverBoxedAndTriedAgainAfterFiveMinutes) {
  queueTargets(2);
  chooseInterval("0", "0", "1");
  setCommand(1, "C:\\Gone\\viewer.exe");
  turnOn();
  f.processes.refusal = "The system cannot find the file specified.";
  f.windows.close(targets[0]);
  second(2 * 150);  // five minutes of turns
  EXPECT_EQ(f.processes.started.size(), 1u);
  second(2);
  EXPECT_EQ(f.processes.started.size(), 2u);
  EXPECT_TRUE(f.dialogs.boxes.empty());
  // Each failed start is a line of the log, with its reason.
  std::string log;
  for (const auto& [name, text] : f.logFiles.files)
    log += text;
  EXPECT_NE(log.find("Could not start \"C:\\Gone\\viewer.exe\" for \"Target 1\": The system "
                     "cannot find the file specified."),
            std::string::npos)
      << log;
  EXPECT_TRUE(errorLines().empty());
}

TEST_F(StartAgain, CommandsComeBackWithTheQueueWhoseWindowsAreFoundAgainByTitle) {
  f.settings.values["StartStopState"] = "Off";
  const Hwnd32 board = f.windows.open("Board");
  f.settings.values["Queued Windows"] = storedRow("4242", "Board");
  f.settings.values["Queued Window Commands"] = storedRow("4242", "Board", "board.exe");
  load();
  ASSERT_EQ(f.ListView2.text(1, 0), std::to_string(board));  // rebound by title
  f.ListView2.select(1);
  f.dialogs.menuChoice = 1;
  f.dialogs.answers = {std::nullopt};
  form->onRightClick(Ctl::ListView2);
  EXPECT_EQ(f.dialogs.prompts.back().preset, "board.exe");
}

}  // namespace
}  // namespace tarnavel::testing
