// The switch timer's tick under each schedule, driven one second at a time.
#include <algorithm>

#include "SwitchFixture.h"

namespace tarnavel::testing {
namespace {

using Interval = SwitchTest;

TEST_F(Interval, ThreeRowsEveryFiveSecondsCountDownAndSwitchInTurn) {
  queueTargets(3);
  chooseInterval("0", "0", "5");
  turnOn();
  EXPECT_EQ(status(), "Off.");  // until the first tick

  std::vector<std::string> seen;
  for (int i = 0; i < 5; ++i) {
    tick();
    seen.push_back(status());
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"On. Next switch will occur in: 00:00:04",
                                            "On. Next switch will occur in: 00:00:03",
                                            "On. Next switch will occur in: 00:00:02",
                                            "On. Next switch will occur in: 00:00:01",
                                            "On. Next switch will occur in: 00:00:00"}));
  EXPECT_EQ(switched(), (std::vector<Hwnd32>{targets[0]}));
  EXPECT_EQ(f.ListView2.selected(), 2);
  tick(5);
  EXPECT_EQ(switched(), (std::vector<Hwnd32>{targets[1]}));
  EXPECT_EQ(f.ListView2.selected(), 3);
  tick(5);
  EXPECT_EQ(switched(), (std::vector<Hwnd32>{targets[2]}));
  EXPECT_EQ(f.ListView2.selected(), 1);
  EXPECT_EQ(f.ProgressBar1.max(), 5);
  EXPECT_TRUE(f.Timer1.running());
  EXPECT_EQ(f.Timer1.interval(), 1000);
  EXPECT_GE(f.ListView2.focusCount, 3);
}

TEST_F(Interval, AllBoxesZeroSwitchesAtEveryTick) {
  queueTargets(3);
  chooseInterval("0", "0", "0");
  turnOn();
  tick(4);
  EXPECT_EQ(switched(), (std::vector<Hwnd32>{targets[0], targets[1], targets[2], targets[0]}));
}

TEST_F(Interval, AnHourCountsDownFrom59Minutes59AndSwitchesAtTheLastSecond) {
  queueTargets(2);
  chooseInterval("1", "0", "0");
  turnOn();
  tick();
  EXPECT_EQ(status(), "On. Next switch will occur in: 00:59:59");
  EXPECT_EQ(f.ProgressBar1.max(), 3600);
  EXPECT_EQ(f.ProgressBar1.value(), 1);
  tick(3598);
  EXPECT_TRUE(switched().empty());
  tick();
  EXPECT_EQ(switched(), (std::vector<Hwnd32>{targets[0]}));
}

TEST_F(Interval, FractionsCountAndHalvesRoundToEven) {
  queueTargets(1);
  chooseInterval("0", "0.5", "0.25");  // 30.25 s
  turnOn();
  tick();
  EXPECT_EQ(form->countdown().SwitchSeconds, 30);
  chooseInterval("0.001", "0", "0");  // 3.6 s
  tick();
  EXPECT_EQ(form->countdown().SwitchSeconds, 4);
  const struct {
    const char* seconds;
    int rounded;
  } halves[] = {{"2.5", 2}, {"3.5", 4}, {"1,000.5", 1000}};
  for (const auto& h : halves) {
    chooseInterval("0", "0", h.seconds);
    tick();
    EXPECT_EQ(form->countdown().SwitchSeconds, h.rounded) << h.seconds;
  }
}

TEST_F(Interval, ABoxThatIsNoNumberIsRepairedAndStored) {
  queueTargets(2);
  chooseInterval("x", "", "abc");
  turnOn();
  tick();
  EXPECT_EQ(f.Text1.caption(), "0");
  EXPECT_EQ(f.Text2.caption(), "0");
  EXPECT_EQ(f.Text3.caption(), "5");
  EXPECT_EQ(f.settings.values["Text1"], "0");
  EXPECT_EQ(f.settings.values["Text2"], "0");
  EXPECT_EQ(f.settings.values["Text3"], "5");
  EXPECT_EQ(status(), "On. Next switch will occur in: 00:00:04");
}

TEST_F(Interval, TheBoxThatMakesTheIntervalTooLongIsRepairedOnceAndStored) {
  const std::string digits(20000, '9');
  const struct {
    std::string h, m, s;  // typed
    std::string wantH, wantM, wantS;
  } cases[] = {
      {"1e308", "0", "5", "0", "0", "5"},
      {"0", "1e308", "5", "0", "0", "5"},
      {"0", "0", "1e308", "0", "0", "5"},
      {"0", "0", digits, "0", "0", "5"},
      {"1e308", "-1e308", "5", "0", "0", "5"},
      {"3000000", "x", "1", "0", "0", "1"},
      // 2147482800 + 840 + 8 is one past the largest count: the seconds go.
      {"596523", "14", "8", "596523", "14", "5"},
      // Each alone too long, together in range: kept.
      {"596524", "0", "-5000", "596524", "0", "-5000"},
  };
  queueTargets(1);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.h + " " + c.m + " " + c.s.substr(0, 20));
    chooseInterval(c.h, c.m, c.s);
    if (f.PushButton2.caption() == "Turn On") turnOn();
    f.dialogs.boxes.clear();
    tick(3);
    EXPECT_TRUE(f.dialogs.boxes.empty()) << f.dialogs.boxes.front().text;
    EXPECT_EQ(f.Text1.caption(), c.wantH);
    EXPECT_EQ(f.Text2.caption(), c.wantM);
    EXPECT_EQ(f.Text3.caption(), c.wantS);
    EXPECT_EQ(f.settings.values["Text1"], c.wantH);
    EXPECT_EQ(f.settings.values["Text3"], c.wantS);
  }
}

TEST_F(Interval, RemovingRowsClampsThePositionToTheLastRow) {
  queueTargets(3);
  chooseInterval("0", "0", "2");
  turnOn();
  tick(4);
  EXPECT_EQ(switched(), (std::vector<Hwnd32>{targets[0], targets[1]}));
  EXPECT_EQ(form->countdown().QueueIndex, 3);
  f.ListView2.select(3);
  form->onClick(Ctl::PushButton4);
  f.ListView2.select(2);
  form->onClick(Ctl::PushButton4);
  tick(2);
  EXPECT_EQ(switched(), (std::vector<Hwnd32>{targets[0]}));  // row 1 is the last row now
  EXPECT_TRUE(f.dialogs.boxes.empty());
}

TEST_F(Interval, AnEmptyQueueTicksWithoutDoingAnything) {
  queueTargets(1);
  chooseInterval("0", "0", "3");
  turnOn();
  tick();
  const std::string before = status();
  form->onClick(Ctl::PushButton5);  // Clear All while on
  tick(5);
  EXPECT_EQ(status(), before);
  EXPECT_TRUE(switched().empty());
  EXPECT_TRUE(f.Timer1.running());
}

TEST_F(Interval, TurningOffWhileTheTickYieldsIsNotUndone) {
  queueTargets(2);
  chooseInterval("0", "0", "1");
  turnOn();
  // The user turns monitoring off just as the tick lets messages run.
  f.loop.pending = [&] {
    f.loop.pending = nullptr;
    form->onClick(Ctl::PushButton2);
  };
  tick();
  EXPECT_TRUE(switched().empty());
  EXPECT_FALSE(f.Timer1.enabled());
  EXPECT_EQ(f.PushButton2.caption(), "Turn On");
  EXPECT_EQ(status(), "Off.");
}

TEST_F(Interval, ARowThatVanishedDuringTheYieldIsReportedAndTheTimerGoesOn) {
  queueTargets(2);
  chooseInterval("0", "0", "1");
  turnOn();
  f.loop.pending = [&] {
    f.loop.pending = nullptr;
    form->onClick(Ctl::PushButton5);
  };
  tick();
  EXPECT_EQ(errorLines(),
            (std::vector<std::string>{"in Orvendel2021/08/31.Form1.Timer1_Timer at line 292",
                                      "in Orvendel2021/08/31.Form1.Timer1_Timer at line 300"}));
  EXPECT_TRUE(f.Timer1.running());
}

TEST_F(Interval, AClosedWindowTakesItsTurnWithoutAMessage) {
  queueTargets(3);
  chooseInterval("0", "0", "1");
  f.windows.close(targets[1]);
  turnOn();
  tick(3);
  EXPECT_EQ(f.windows.foreground, targets[2]);
  EXPECT_TRUE(f.dialogs.boxes.empty());
  EXPECT_EQ(f.ListView2.selected(), 1);
}

// Someone keeps using another program: every switch is refused the
// foreground. Each switch tries once more at most, the ticks add nothing of
// their own, and no box waits for anybody.
TEST_F(Interval, ARefusedForegroundIsTriedOnceMorePerSwitchAndNeverAgain) {
  const struct {
    const char* name;
    bool hung, refuseAttach;
    int foregroundCalls, attachCalls;  // per switch
  } cases[] = {
      {"taken with the foreground thread's input", false, false, 2, 1},
      {"the foreground thread does not answer", true, false, 1, 0},
      {"the attach is refused", false, true, 1, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    targets.clear();
    f.windows.windows.clear();
    f.settings.values.clear();
    queueTargets(2);
    const Hwnd32 mail = f.windows.open("Inbox - Mail");
    f.windows.find(mail)->hung = c.hung;
    f.windows.refuseAttach = c.refuseAttach;
    f.windows.foreground = mail;
    f.windows.lockInput = &f.input;
    chooseInterval("0", "0", "1");
    turnOn();
    for (int second = 0; second < 3; ++second) {
      f.input.touch();  // the person types on
      const std::uint32_t lastInput = f.input.lastInput;
      f.windows.calls.clear();
      tick();
      const auto count = [&](std::string_view prefix) {
        return std::ranges::count_if(f.windows.calls,
                                     [&](const auto& call) { return call.starts_with(prefix); });
      };
      EXPECT_EQ(count("foreground "), c.foregroundCalls);
      EXPECT_EQ(count("attach "), c.attachCalls);
      EXPECT_EQ(count("attach "), count("detach ") + (c.refuseAttach ? 1 : 0));
      EXPECT_EQ(f.input.lastInput, lastInput);
    }
    EXPECT_EQ(f.windows.attachedTo, 0u);
    EXPECT_FALSE(f.windows.froze);
    EXPECT_TRUE(f.dialogs.boxes.empty());
    EXPECT_TRUE(f.Timer1.running());
    f.windows.lockInput = nullptr;
    f.windows.refuseAttach = false;
  }
}

// The system keeps us from moving a window of a program run as
// administrator: adding it says so once, and its turns come as any other's.
TEST_F(Interval, AWindowOfAProgramRunAsAdministratorIsAddedWithOneBoxAndTakesItsTurns) {
  queueTargets(1);
  ASSERT_TRUE(f.dialogs.boxes.empty());
  const Hwnd32 admin = f.windows.open("Registry Editor");
  f.windows.find(admin)->above = true;
  form->onClick(Ctl::PushButton1);
  f.ListView1.select(availableRowOf("Registry Editor"));
  form->onDoubleClick(Ctl::ListView1);
  ASSERT_EQ(f.dialogs.boxes.size(), 1u);
  EXPECT_EQ(f.dialogs.boxes[0].text,
            "This window belongs to a program running as administrator. Tarnavel can bring it "
            "forward only when it runs as administrator too.");
  EXPECT_EQ(f.dialogs.boxes[0].style, kMbOk);
  EXPECT_EQ(f.dialogs.boxes[0].title, "Tarnavel");
  EXPECT_EQ(queueRow(2),
            (std::vector<std::string>{std::to_string(admin), "Registry Editor", "Valid", ""}));
  // The same window once more is refused as any queued one.
  form->onClick(Ctl::PushButton3);
  ASSERT_EQ(f.dialogs.boxes.size(), 2u);
  EXPECT_EQ(f.dialogs.boxes[1].text, kAlreadyQueued);

  chooseInterval("0", "0", "1");
  turnOn();
  tick(4);
  EXPECT_EQ(switched(), (std::vector<Hwnd32>{targets[0], admin, targets[0], admin}));
  EXPECT_EQ(f.dialogs.boxes.size(), 2u);
}

using Custom = SwitchTest;

TEST_F(Custom, EachRowWaitsItsOwnTimeAndARowWithoutOneIsPassedOver) {
  queueTargets(3);
  f.dialogs.answers = {"60", std::nullopt, "10"};
  form->onClick(Ctl::Option7);  // asks for the three missing times
  ASSERT_EQ(queueRow(1)[3], "60");
  ASSERT_EQ(queueRow(2)[3], "");
  ASSERT_EQ(queueRow(3)[3], "10");
  f.dialogs.answers = {std::nullopt};  // turning on asks again for row 2: cancelled
  turnOn();

  tick(59);
  EXPECT_TRUE(switched().empty());
  EXPECT_EQ(status(), "On. Next switch will occur in: 00:00:01");
  tick();
  EXPECT_EQ(switched(), (std::vector<Hwnd32>{targets[0]}));
  EXPECT_EQ(f.ListView2.selected(), 2);
  tick();  // row 2 is passed over; this tick is the first of row 3's ten
  EXPECT_TRUE(switched().empty());
  EXPECT_EQ(f.ListView2.selected(), 3);
  EXPECT_EQ(status(), "On. Next switch will occur in: 00:00:00");  // untouched by the skip
  tick(8);
  EXPECT_TRUE(switched().empty());
  tick();
  EXPECT_EQ(switched(), (std::vector<Hwnd32>{targets[2]}));
  EXPECT_EQ(f.ListView2.selected(), 1);
}

TEST_F(Custom, ATimeTooLongToCountIsAskedAgainAndPassedOverWithoutABox) {
  queueTargets(2);
  f.dialogs.answers = {"10", "1e10"};  // 1e10 seconds is refused like no number
  form->onClick(Ctl::Option7);
  ASSERT_EQ(queueRow(1)[3], "10");
  ASSERT_EQ(queueRow(2)[3], "");
  f.ListView2.setText(2, kTime, "1e10");  // as a hand-edited stored queue brings it
  f.dialogs.answers = {std::nullopt};
  turnOn();
  tick(10);
  EXPECT_EQ(switched(), (std::vector<Hwnd32>{targets[0]}));
  tick(10);  // row 2 is passed over, row 1 comes again after its ten seconds
  EXPECT_EQ(switched(), (std::vector<Hwnd32>{targets[0]}));
  EXPECT_EQ(f.dialogs.boxes.size(), 0u);
}

class Daily : public SwitchTest {
 protected:
  void chooseDaily(TimeOfDay at) {
    f.dtpWeekly.setValue(at);
    form->onChange(Ctl::dtpWeekly);
    form->onClick(Ctl::Option2);
  }
};

TEST_F(Daily, CountsDownToTheTimeSwitchesAtThatSecondAndOnlyOnce) {
  queueTargets(2);
  f.clock.setTime({9, 0, 0});
  chooseDaily({9, 0, 10});
  turnOn();
  EXPECT_EQ(form->countdown().SwitchSeconds, 10);
  tick();
  EXPECT_EQ(status(), "On. Next switch will occur in: 00:00:09");
  EXPECT_EQ(f.ProgressBar1.max(), 10);
  EXPECT_EQ(f.ProgressBar1.value(), 1);
  tick(8);
  EXPECT_TRUE(switched().empty());
  tick();
  EXPECT_EQ(switched(), (std::vector<Hwnd32>{targets[0]}));
  EXPECT_EQ(f.ListView2.selected(), 2);
  tick();
  EXPECT_EQ(status(), "On. Next switch will occur in: ");
  EXPECT_EQ(f.ProgressBar1.value(), 0);
  tick(600);
  EXPECT_TRUE(switched().empty());
}

TEST_F(Daily, ALateTickStillSwitchesButNeverTwiceTheSameDay) {
  queueTargets(2);
  f.clock.setTime({9, 0, 0});
  chooseDaily({9, 0, 5});
  turnOn();
  tick(4);             // 09:00:04
  f.clock.advance(1);  // the tick at 09:00:05 never came
  tick();              // 09:00:06
  EXPECT_EQ(switched(), (std::vector<Hwnd32>{targets[0]}));
  // The clock is set back a minute: the same moment comes again, the same day.
  f.clock.setLocal(localSeconds(f.clock.now()) - 60);
  tick(120);
  EXPECT_TRUE(switched().empty());
}

TEST_F(Daily, AMomentThatPassedWhileTheQueueWasEmptyIsNotCaughtLater) {
  queueTargets(1);
  f.clock.setTime({11, 0, 0});
  chooseDaily({12, 0, 0});
  turnOn();
  tick();
  form->onClick(Ctl::PushButton5);  // Clear All at 11:00
  tick(4 * 3600);                   // the queue stays empty past noon
  addToQueue("Target 1");           // 15:00
  tick(2);
  EXPECT_TRUE(switched().empty());
}

TEST_F(Daily, TheNextDaySwitchesAgainAlsoAcrossMidnight) {
  queueTargets(2);
  f.clock.setTime({23, 59, 55});
  chooseDaily({0, 0, 0});
  turnOn();
  EXPECT_LT(form->countdown().SwitchSeconds, 0);  // today's midnight is long past
  tick(4);
  EXPECT_EQ(status(), "On. Next switch will occur in: ");
  f.clock.advance(1);  // midnight itself never ticked
  tick();              // 00:00:01 of the next day
  EXPECT_EQ(switched(), (std::vector<Hwnd32>{targets[0]}));
  tick(86400);
  EXPECT_EQ(switched(), (std::vector<Hwnd32>{targets[1]}));
}

TEST_F(Daily, ChangingThePickerReBasesAtOnce) {
  queueTargets(1);
  f.clock.setTime({9, 0, 0});
  chooseDaily({10, 0, 0});
  EXPECT_EQ(form->countdown().SwitchSeconds, 3600);
  f.dtpWeekly.setValue({8, 0, 0});
  form->onChange(Ctl::dtpWeekly);
  EXPECT_EQ(form->countdown().SwitchSeconds, -3600);
  EXPECT_EQ(f.settings.values["Weekly Time"], "08:00:00");
}

using Weekly = Daily;

TEST_F(Weekly, SwitchesOnlyOnTheChosenWeekdayAndShowsItInBrackets) {
  queueTargets(2);
  f.clock.setTime({9, 0, 0});  // a Monday
  f.cboWeekly.setCaption("Tuesday");
  form->onClick(Ctl::cboWeekly);
  f.dtpWeekly.setValue({9, 0, 3});
  form->onClick(Ctl::Option1);
  turnOn();
  tick();
  EXPECT_EQ(status(), "On. Next switch will occur in: 00:00:02 [Tuesday]");
  tick(5);
  EXPECT_TRUE(switched().empty());  // the countdown ran out on the wrong day
  tick(86400);                      // Tuesday, same time
  EXPECT_EQ(switched(), (std::vector<Hwnd32>{targets[0]}));
  EXPECT_EQ(f.settings.values["Weekly"], "Tuesday");
}

TEST_F(Weekly, AReBaseAfterTheMomentLeavesTheBarOutOfRangeWithoutFailing) {
  queueTargets(1);
  f.clock.setTime({18, 0, 0});
  f.dtpWeekly.setValue({9, 0, 0});
  form->onClick(Ctl::Option1);
  turnOn();
  tick(6 * 3600 + 1);  // past midnight, into the next morning
  EXPECT_LT(f.ProgressBar1.max(), 0);
  EXPECT_LT(f.ProgressBar1.value(), 0);
  EXPECT_TRUE(f.dialogs.boxes.empty());
}

class AfterSwitch : public SwitchTest {
 protected:
  std::vector<int> commandsFor(Ctl schedule, Ctl after) {
    form->onClick(after);
    if (schedule == Ctl::Option3) {
      chooseInterval("0", "0", "0");
    } else {
      f.cboWeekly.setCaption(weekdayName(f.clock.now().weekday));
      f.dtpWeekly.setValue(f.clock.now().time);
      form->onClick(schedule);
      f.dtpWeekly.setValue({(f.clock.now().time.hour + 1) % 24, 0, 0});
      form->onChange(Ctl::dtpWeekly);
      f.clock.setTime({f.clock.now().time.hour, 59, 59});
    }
    if (f.PushButton2.caption() == "Turn On") turnOn();
    showCommands();
    tick();
    return showCommands();
  }
};

TEST_F(AfterSwitch, TheShowCommandFollowsTheOptionAndTheWeeklyScheduleRestores) {
  queueTargets(1);
  EXPECT_EQ(commandsFor(Ctl::Option3, Ctl::Option4), (std::vector<int>{1}));
  EXPECT_EQ(commandsFor(Ctl::Option3, Ctl::Option5), (std::vector<int>{3}));
  EXPECT_EQ(commandsFor(Ctl::Option3, Ctl::Option6), (std::vector<int>{6}));
  EXPECT_EQ(commandsFor(Ctl::Option3, Ctl::Option8), (std::vector<int>{5}));
  EXPECT_EQ(commandsFor(Ctl::Option2, Ctl::Option4), (std::vector<int>{1}));
  EXPECT_EQ(commandsFor(Ctl::Option1, Ctl::Option4), (std::vector<int>{9}));
  EXPECT_EQ(commandsFor(Ctl::Option1, Ctl::Option5), (std::vector<int>{3}));
}

TEST_F(AfterSwitch, NoAfterSwitchChoiceMeansNoActivation) {
  queueTargets(2);
  f.Option8.setValue(false);
  chooseInterval("0", "0", "0");
  turnOn();
  tick(2);
  EXPECT_TRUE(switched().empty());
  EXPECT_EQ(f.ListView2.selected(), 1);  // the queue still moves on
}

}  // namespace
}  // namespace tarnavel::testing
