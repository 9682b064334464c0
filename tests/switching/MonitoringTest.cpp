// "Turn On" / "Turn Off" and the monitoring state that start-up restores.
#include "SwitchFixture.h"

namespace tarnavel::testing {
namespace {

using Monitor = SwitchTest;

TEST_F(Monitor, TurningOnAnEmptyQueueIsRefusedAndChangesNothing) {
  queueTargets(0);
  const auto writes = f.settings.writes.size();
  form->onClick(Ctl::PushButton2);
  ASSERT_EQ(f.dialogs.boxes.size(), 1u);
  EXPECT_EQ(f.dialogs.boxes[0].text,
            "Please add items to the 'Queue' list below before turning on.");
  EXPECT_EQ(f.dialogs.boxes[0].title, "Tarnavel");
  EXPECT_EQ(f.dialogs.boxes[0].style, 0);
  EXPECT_EQ(f.PushButton2.caption(), "Turn On");
  EXPECT_EQ(status(), "Off.");
  EXPECT_FALSE(f.Timer1.enabled());
  EXPECT_EQ(f.Form.state(), WindowState::Normal);
  EXPECT_EQ(f.settings.writes.size(), writes);
}

TEST_F(Monitor, TurningOnMinimisesStartsAtRowOneAndStoresOn) {
  queueTargets(2);
  form->countdown().QueueIndex = 2;
  form->onClick(Ctl::PushButton2);
  EXPECT_EQ(f.PushButton2.caption(), "Turn Off");
  EXPECT_EQ(form->savedOnCaption(), "Turn On");
  EXPECT_TRUE(form->hiddenInTray());  // minimised, so into the tray
  EXPECT_EQ(form->countdown().QueueIndex, 1);
  EXPECT_TRUE(f.Timer1.running());
  EXPECT_EQ(f.Timer1.interval(), 1000);
  EXPECT_EQ(f.settings.values["StartStopState"], "On");
  EXPECT_EQ(status(), "Off.");  // the first tick writes the countdown
  tick();
  EXPECT_EQ(status(), "On. Next switch will occur in: 00:00:04");
}

TEST_F(Monitor, TurningOffRestoresTheOffLookAndStoresOffButKeepsTheWindowAndCount) {
  queueTargets(2);
  turnOn();
  tick(2);
  f.Form.setState(WindowState::Normal);
  f.Form.setPointer(MousePointer::Custom);
  form->onClick(Ctl::PushButton2);
  EXPECT_EQ(f.PushButton2.caption(), "Turn On");
  EXPECT_EQ(status(), "Off.");
  EXPECT_EQ(f.ProgressBar1.value(), 0);
  EXPECT_EQ(f.ProgressBar1.caption(), "Progress Bar");
  EXPECT_EQ(f.Form.pointer(), MousePointer::Default);
  EXPECT_FALSE(f.Timer1.enabled());
  EXPECT_EQ(f.Timer1.interval(), 0);
  EXPECT_EQ(f.Form.state(), WindowState::Normal);
  EXPECT_EQ(f.settings.values["StartStopState"], "Off");
  EXPECT_EQ(form->countdown().ElapsedSeconds, 2);
}

TEST_F(Monitor, AnInterruptedCountGoesOnWhereItStoppedAndStartsAtRowOne) {
  queueTargets(3);
  turnOn();
  tick(3);
  form->onClick(Ctl::PushButton2);  // off after three of five seconds
  form->onClick(Ctl::PushButton2);  // and on again
  tick();
  EXPECT_TRUE(switched().empty());
  tick();
  EXPECT_EQ(switched(), (std::vector<Hwnd32>{targets[0]}));
}

TEST_F(Monitor, TurningOnReBasesTheDailyCountdown) {
  queueTargets(1);
  f.clock.setTime({8, 0, 0});
  f.dtpWeekly.setValue({9, 0, 0});
  form->onClick(Ctl::Option2);
  f.clock.setTime({8, 30, 0});
  turnOn();
  EXPECT_EQ(form->countdown().SwitchSeconds, 1800);
}

class Restart : public SwitchTest {};

TEST_F(Restart, OnWithRowsRunsAtOnceWithoutMinimisingOrWriting) {
  const Hwnd32 w = f.windows.open("Board");
  f.settings.values["Queued Windows"] = storedRow(std::to_string(w), "Board");
  load();
  EXPECT_EQ(f.PushButton2.caption(), "Turn Off");
  EXPECT_EQ(form->savedOnCaption(), "Turn On");
  EXPECT_TRUE(f.Timer1.running());
  EXPECT_EQ(form->countdown().QueueIndex, 1);
  EXPECT_EQ(f.Form.state(), WindowState::Normal);
  EXPECT_EQ(f.settings.values.count("StartStopState"), 0u);
  EXPECT_TRUE(f.dialogs.boxes.empty());
  tick(5);
  EXPECT_EQ(switched(), (std::vector<Hwnd32>{w}));
}

TEST_F(Restart, OnWithAnEmptyQueueLooksOffAndKeepsTheSetting) {
  f.settings.values["StartStopState"] = "On";
  load();
  EXPECT_EQ(f.PushButton2.caption(), "Turn On");
  EXPECT_EQ(status(), "Off.");
  EXPECT_FALSE(f.Timer1.enabled());
  EXPECT_EQ(f.settings.values["StartStopState"], "On");
  EXPECT_TRUE(f.dialogs.boxes.empty());
}

TEST_F(Restart, AnyOtherStoredStateRestoresNeither) {
  const Hwnd32 w = f.windows.open("Board");
  f.settings.values["Queued Windows"] = storedRow(std::to_string(w), "Board");
  f.settings.values["StartStopState"] = "on";
  load();
  EXPECT_EQ(f.PushButton2.caption(), "Turn On");
  EXPECT_FALSE(f.Timer1.enabled());
  EXPECT_EQ(status(), "Off.");
}

TEST_F(Restart, OnRebasesTheDailyCountdownFromTheStoredTime) {
  const Hwnd32 w = f.windows.open("Board");
  f.settings.values["Queued Windows"] = storedRow(std::to_string(w), "Board");
  f.settings.values["Option2"] = "True";
  f.settings.values["Weekly Time"] = "11:00:00";
  f.clock.setTime({10, 0, 0});
  load();
  EXPECT_TRUE(f.Option2.value());
  EXPECT_EQ(form->countdown().SwitchSeconds, 3600);
  EXPECT_TRUE(f.dtpWeekly.enabled());
  EXPECT_FALSE(f.cboWeekly.enabled());
}

}  // namespace
}  // namespace tarnavel::testing
