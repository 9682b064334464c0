// A script's commands, as the running copy carries them out: each answered at
// once, then done as the matching click, chord or menu, asking nothing.
#include "SwitchFixture.h"
#include "core/Commands.h"

namespace tarnavel::testing {
namespace {

class ScriptCommand : public SwitchTest {
 protected:
  CommandAnswer run(Command command, std::string title = {}) {
    const auto answer = form->onCommand({command, std::move(title)});
    f.loop.runPosted();
    return answer;
  }
  bool on() const { return f.PushButton2.caption() == "Turn Off"; }
};

TEST_F(ScriptCommand, OnOffAndToggleAsTheButtonWithoutABox) {
  queueTargets(2);
  EXPECT_EQ(run(Command::Off), CommandAnswer{});
  EXPECT_FALSE(on());
  EXPECT_EQ(run(Command::On), CommandAnswer{});
  EXPECT_TRUE(on());
  EXPECT_TRUE(f.Timer1.running());
  EXPECT_EQ(f.settings.values["StartStopState"], "On");
  EXPECT_EQ(run(Command::On), CommandAnswer{});  // already on: stays on
  EXPECT_TRUE(on());
  EXPECT_EQ(run(Command::Toggle), CommandAnswer{});
  EXPECT_FALSE(on());
  EXPECT_EQ(f.settings.values["StartStopState"], "Off");
  EXPECT_EQ(run(Command::Toggle), CommandAnswer{});
  EXPECT_TRUE(on());
  // Refused: an empty queue, with the button's reason and no box.
  form->onClick(Ctl::PushButton5);  // Clear All
  run(Command::Off);
  for (const Command c : {Command::On, Command::Toggle}) {
    EXPECT_EQ(run(c), (CommandAnswer{kExitRefused,
                                     "Please add items to the 'Queue' list below before "
                                     "turning on.\n"}));
    EXPECT_FALSE(on());
  }
  EXPECT_TRUE(f.dialogs.boxes.empty());
}

TEST_F(ScriptCommand, OnUnderCustomAsksForNoTime) {
  queueTargets(2);
  f.dialogs.answers = {"3", std::nullopt};  // the second row left without a time
  form->onClick(Ctl::Option7);
  const auto prompts = f.dialogs.prompts.size();
  EXPECT_EQ(run(Command::On), CommandAnswer{});
  EXPECT_TRUE(on());
  EXPECT_EQ(f.dialogs.prompts.size(), prompts);
  // The button still asks.
  run(Command::Off);
  f.dialogs.answers = {"4"};
  form->onClick(Ctl::PushButton2);
  EXPECT_EQ(f.dialogs.prompts.size(), prompts + 1);
}

TEST_F(ScriptCommand, NextPreviousAndSwitchToBringARowForwardAndGoOnFromThere) {
  queueTargets(3);
  chooseInterval("0", "0", "10");
  turnOn();
  tick(4);
  switched();
  const auto& c = form->countdown();
  const struct {
    Command command;
    std::string title;
    Hwnd32 forward;  // 0: refused
    int dueNext;
  } steps[] = {
      {Command::Next, {}, targets[0], 2},     {Command::Next, {}, targets[1], 3},
      {Command::Previous, {}, targets[0], 2}, {Command::SwitchTo, "Target 3", targets[2], 1},
      {Command::Previous, {}, targets[1], 3}, {Command::SwitchTo, "Nowhere", 0, 3},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(std::string(commandName(s.command)) + " " + s.title);
    const auto answer = run(s.command, s.title);
    if (s.forward == 0) {
      EXPECT_EQ(answer,
                (CommandAnswer{kExitRefused, "No queued window has the title \"Nowhere\".\n"}));
      EXPECT_TRUE(switched().empty());
    } else {
      EXPECT_EQ(answer, CommandAnswer{});
      EXPECT_EQ(switched(), std::vector<Hwnd32>{s.forward});
      EXPECT_EQ(c.ElapsedSeconds, 0);  // the count starts again
    }
    EXPECT_EQ(c.QueueIndex, s.dueNext);
    EXPECT_EQ(f.ListView2.selected(), s.dueNext);
  }
  // Switching goes on from there: ten seconds later, row 3.
  tick(10);
  EXPECT_EQ(switched(), std::vector<Hwnd32>{targets[2]});
  // A row whose window is gone is passed over; none left: refused.
  f.windows.close(targets[0]);
  EXPECT_EQ(run(Command::Next), CommandAnswer{});
  EXPECT_EQ(switched(), std::vector<Hwnd32>{targets[1]});
  f.windows.close(targets[1]);
  f.windows.close(targets[2]);
  EXPECT_EQ(run(Command::Next), (CommandAnswer{kExitRefused, "No queued window is open.\n"}));
  EXPECT_EQ(run(Command::SwitchTo, "Target 2"),
            (CommandAnswer{kExitRefused, "The window \"Target 2\" is not open.\n"}));
  EXPECT_TRUE(f.dialogs.boxes.empty());
}

TEST_F(ScriptCommand, StatusTellsTheStateTheRowsTheFrontAndTheTimeLeft) {
  queueTargets(2);
  chooseInterval("0", "0", "10");
  EXPECT_EQ(run(Command::Status).text,
            "Off\nRow 1: Valid: Target 1\nRow 2: Valid: Target 2\nIn front: none\n"
            "Next switch in seconds: none\n");
  turnOn();
  tick(13);
  EXPECT_EQ(run(Command::Status),
            (CommandAnswer{kExitDone,
                           "On\nRow 1: Valid: Target 1\nRow 2: Valid: Target 2\n"
                           "In front: Row 1: Target 1\nNext switch in seconds: 7\n"}));
}

TEST_F(ScriptCommand, QuitClosesTheNormalWayAfterTheAnswer) {
  queueTargets(1);
  f.settings.values["Queued Windows"] = "stale";
  const auto answer = form->onCommand({Command::Quit, {}});
  EXPECT_EQ(answer, CommandAnswer{});
  EXPECT_FALSE(f.loop.ended);  // not before the answer has gone back
  f.loop.runPosted();
  EXPECT_TRUE(f.loop.ended);
  EXPECT_NE(stored(), "stale");
}

}  // namespace
}  // namespace tarnavel::testing
