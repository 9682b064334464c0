// Modal boxes keep the thread's messages running: ticks, clicks and the
// hotkey can all arrive while a handler waits in one.
#include "SwitchFixture.h"

namespace tarnavel::testing {
namespace {

using Reentry = SwitchTest;

TEST_F(Reentry, TicksUnderTheAddsTimePromptSeeTheNewRowWithoutItsTime) {
  queueTargets(1);
  f.dialogs.answers = {"1"};
  form->onClick(Ctl::Option7);
  turnOn();
  const Hwnd32 late = f.windows.open("Late");
  form->onClick(Ctl::PushButton1);
  switched();

  // The prompt of the add does not pause the timer: two ticks run under it.
  f.dialogs.answers = {"5"};
  f.dialogs.whileShown = [&] {
    f.dialogs.whileShown = nullptr;
    tick(2);
  };
  addToQueue("Late");
  EXPECT_EQ(switched(), (std::vector<Hwnd32>{targets[0]}));  // row 1 after its second
  EXPECT_EQ(form->countdown().QueueIndex, 1);  // row 2, still without a time, was passed over
  EXPECT_EQ(queueRow(2), (std::vector<std::string>{std::to_string(late), "Late", "Valid", "5"}));
  EXPECT_TRUE(errorLines().empty());
}

TEST_F(Reentry, ATurnOffUnderTheDuplicateMessageStopsTheTimerForGood) {
  queueTargets(2);
  chooseInterval("0", "0", "1");
  turnOn();
  f.dialogs.whileShown = [&] {
    f.dialogs.whileShown = nullptr;
    tick();                           // a switch under the box
    form->onClick(Ctl::PushButton2);  // and the user turns monitoring off
  };
  addToQueue("Target 1");  // already queued: the message box
  EXPECT_EQ(f.dialogs.boxes.back().text, "This window is already in the queue.");
  EXPECT_EQ(switched(), (std::vector<Hwnd32>{targets[0]}));
  EXPECT_EQ(f.ListView2.count(), 2);
  EXPECT_FALSE(f.Timer1.enabled());
  tick(3);
  EXPECT_TRUE(switched().empty());
}

// A box that pauses the timer may stay open for long; the chord that turns
// monitoring off or on under it decides whether the timer runs afterwards.
struct PausingBox {
  bool options;   // the Options box, or the edit of a row's time
  bool onBefore;  // monitoring when the box opens
};
class BoxPause : public SwitchTest, public ::testing::WithParamInterface<PausingBox> {};

TEST_P(BoxPause, AfterwardsTheTimerRunsExactlyWhenMonitoringIsOn) {
  queueTargets(2);
  f.dialogs.answers = {"5", "5"};
  form->onClick(Ctl::Option7);
  if (GetParam().onBefore) turnOn();
  f.dialogs.answers = {"9"};
  f.dialogs.whileShown = [&] {
    f.dialogs.whileShown = nullptr;
    form->onKeyT({true, true, true});  // Ctrl+Shift+T under the box
  };
  if (GetParam().options) {
    form->onMenu(MenuItem::Options);
  } else {
    f.ListView2.select(1);
    form->onClick(Ctl::PushButton9);
  }
  const bool on = f.PushButton2.caption() == "Turn Off";
  EXPECT_EQ(on, !GetParam().onBefore);
  EXPECT_EQ(f.Timer1.running(), on);
  EXPECT_TRUE(errorLines().empty());
}

INSTANTIATE_TEST_SUITE_P(Reentry, BoxPause,
                         ::testing::Values(PausingBox{true, true}, PausingBox{true, false},
                                           PausingBox{false, true}, PausingBox{false, false}));

TEST_F(Reentry, AnEditUnderTheTicksYieldIsSeenByTheSameTick) {
  queueTargets(3);
  chooseInterval("0", "0", "1");
  turnOn();
  // While the tick lets messages run, the user deletes row 1, the row due.
  f.loop.pending = [&] {
    f.loop.pending = nullptr;
    f.ListView2.select(1);
    form->onClick(Ctl::PushButton4);
  };
  tick();
  // The tick reads the rows again after its yield: row 1 is now target 2.
  EXPECT_EQ(switched(), (std::vector<Hwnd32>{targets[1]}));
  EXPECT_TRUE(f.Timer1.running());
  EXPECT_TRUE(errorLines().empty());
}

}  // namespace
}  // namespace tarnavel::testing
