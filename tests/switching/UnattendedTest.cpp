// The Options box's choices through the fakes: how they are stored and read,
// holding the switching while the computer is in use, finding a reopened
// window again, and going straight on past a missing one.
#include <algorithm>
#include <functional>

#include "SwitchFixture.h"
#include "queue/Reopened.h"
#include "switching/Unattended.h"

namespace tarnavel::testing {
namespace {

class UnattendedTest : public SwitchTest {
 protected:
  // The Options box, with these edits made in it.
  void options(std::function<void(UnattendedChoices&)> edit) {
    f.dialogs.optionsEdits = {std::move(edit)};
    form->onMenu(MenuItem::Options);
    f.dialogs.optionsEdits.clear();
  }
  void choose(UnattendedChoices wanted) {
    options([=](UnattendedChoices& c) { c = wanted; });
  }
  std::string value(std::string_view key) const {
    const auto it = f.settings.values.find(key);
    return it == f.settings.values.end() ? "<absent>" : it->second;
  }
  // The user touches the mouse, seconds before now.
  void inputAgo(int seconds) {
    f.input.lastInput = f.input.now - static_cast<std::uint32_t>(seconds) * 1000;
  }
  // One second for the clock, the tick count and the timer.
  void second(int times = 1) {
    for (int i = 0; i < times; ++i) {
      f.input.advance(1000);
      tick();
    }
  }
  int selected() const { return f.ListView2.selected(); }
};

TEST_F(UnattendedTest, StoredChoicesReadBackAndUnreadableOnesAreTheDefault) {
  const struct {
    const char* pause;  // nullptr: absent
    const char* resume;
    const char* find;
    UnattendedChoices expected;
  } cases[] = {
      {nullptr, nullptr, nullptr, {}},
      {"True", "30", "1", {true, 30, true, false}},
      {"false", "3600", "0", {false, 3600, false, false}},
      {"banana", "0", "yes", {}},
      {"TRUE", "3601", "", {true, 60, false, false}},
      {"-1", "12.5", "False", {true, 60, false, false}},
      {"0", " 1 ", "true", {false, 1, true, false}},
  };
  for (const auto& c : cases) {
    fake::FakeForm fresh;
    auto set = [&](std::string_view key, const char* text) {
      if (text) fresh.settings.values[std::string(key)] = text;
    };
    set(kPauseWhenInUseKey, c.pause);
    set(kResumeAfterIdleKey, c.resume);
    set(kFindReopenedKey, c.find);
    fresh.settings.otherKinds.insert(std::string(kSkipMissingKey));
    Form1 loaded(fresh.controls, fresh.services);
    loaded.Form_Load();
    EXPECT_EQ(loaded.unattended().choices(), c.expected)
        << (c.pause ? c.pause : "-") << " " << (c.resume ? c.resume : "-");
    // No box for any of them, not even for the value of another kind.
    EXPECT_TRUE(fresh.dialogs.boxes.empty());
  }
}

TEST_F(UnattendedTest, OptionsBoxStoresEachChangeAtOnceWithTheTimerPaused) {
  queueTargets(1);
  chooseInterval("0", "0", "5");
  turnOn();
  bool pausedWhileShown = false;
  f.dialogs.whileShown = [&] { pausedWhileShown = !f.Timer1.enabled(); };
  f.settings.writes.clear();
  f.dialogs.optionsEdits = {[](UnattendedChoices& c) { c.pauseWhenInUse = true; },
                            [](UnattendedChoices& c) { c.resumeAfterSeconds = 0; },  // refused
                            [](UnattendedChoices& c) { c.resumeAfterSeconds = 90; },
                            [](UnattendedChoices& c) { c.skipMissing = true; },
                            [](UnattendedChoices& c) { c.pauseWhenInUse = false; }};
  form->onMenu(MenuItem::Options);
  EXPECT_TRUE(pausedWhileShown);
  EXPECT_TRUE(f.Timer1.running());
  ASSERT_EQ(f.dialogs.optionsShown.size(), 1u);
  EXPECT_EQ(f.dialogs.optionsShown[0].first, "Tarnavel");
  EXPECT_EQ(f.dialogs.optionsShown[0].second, UnattendedChoices{});
  EXPECT_EQ(f.settings.writes,
            (std::vector<std::string>{"Pause When In Use", "Resume After Idle",
                                      "Skip Missing Windows", "Pause When In Use"}));
  EXPECT_EQ(value(kPauseWhenInUseKey), "False");
  EXPECT_EQ(value(kResumeAfterIdleKey), "90");
  EXPECT_EQ(value(kSkipMissingKey), "True");
  EXPECT_EQ(form->unattended().choices(), (UnattendedChoices{false, 90, false, true}));

  // The next start shows them as stored.
  Form1 again(f.controls, f.services);
  again.Form_Load();
  EXPECT_EQ(again.unattended().choices(), form->unattended().choices());
}

TEST_F(UnattendedTest, AboutShowsTheVersionSupportAddressAndContactPage) {
  load();
  form->onMenu(MenuItem::About);
  ASSERT_EQ(f.dialogs.boxes.size(), 1u);
  EXPECT_EQ(f.dialogs.boxes[0].title, "Tarnavel");
  EXPECT_EQ(f.dialogs.boxes[0].text,
            "Tarnavel\r\nVersion 1.0.0.0\r\n\r\nSupport: support@kestrine.example\r\n"
            "Contact: http://www.kestrine.example/contact/");
}

// --- holding while in use -----------------------------------------------------

TEST_F(UnattendedTest, InputHoldsTheCountdownAndItResumesWhereItStopped) {
  queueTargets(2);
  chooseInterval("0", "0", "5");
  choose({true, 10, false, false});
  turnOn();
  second(2);
  EXPECT_EQ(status(), "On. Next switch will occur in: 00:00:03");
  inputAgo(0);
  second();
  EXPECT_EQ(status(), "On. Paused while the computer is in use.");
  EXPECT_EQ(form->cSysTray1.TrayTip(), "On. Paused while the computer is in use.");
  // Nine seconds without input: still held, nothing counted or switched.
  second(8);
  EXPECT_EQ(form->countdown().ElapsedSeconds, 2);
  EXPECT_TRUE(switched().empty());
  // Ten: the countdown goes on from where it stopped.
  second();
  EXPECT_EQ(status(), "On. Next switch will occur in: 00:00:02");
  EXPECT_EQ(form->cSysTray1.TrayTip(), "Tarnavel");
  second(2);
  EXPECT_EQ(switched(), (std::vector<Hwnd32>{targets[0]}));

  // Input again, well after that switch, then turning off ends the hold
  // and its tip.
  f.input.advance(2000);
  inputAgo(0);
  second();
  EXPECT_EQ(form->cSysTray1.TrayTip(), "On. Paused while the computer is in use.");
  form->onClick(Ctl::PushButton2);
  EXPECT_EQ(form->cSysTray1.TrayTip(), "Tarnavel");
  EXPECT_EQ(status(), "Off.");
}

TEST_F(UnattendedTest, AnEmptyQueueEndsTheHold) {
  queueTargets(2);
  chooseInterval("0", "0", "5");
  choose({true, 10, false, false});
  turnOn();
  second(2);
  inputAgo(0);
  second();
  EXPECT_EQ(status(), "On. Paused while the computer is in use.");
  form->onClick(Ctl::PushButton5);  // "Clear All" while held
  second();
  EXPECT_EQ(status(), "On. Next switch will occur in: 00:00:03");
  EXPECT_EQ(form->cSysTray1.TrayTip(), "Tarnavel");
}

TEST_F(UnattendedTest, OurOwnSwitchAndTheHotkeyAreNotInput) {
  queueTargets(2);
  chooseInterval("0", "0", "2");
  choose({true, 60, false, false});
  inputAgo(120);
  // The chord, and its T let go a while after it.
  form->onKeyT({true, true, true});
  ASSERT_EQ(f.PushButton2.caption(), "Turn Off");
  f.input.advance(700);
  f.input.touch();
  form->onKeyT({false, true, true});
  second(2);
  // A switch whose window comes up under the pointer, which reports a move.
  EXPECT_EQ(switched(), (std::vector<Hwnd32>{targets[0]}));
  f.input.advance(200);
  f.input.touch();
  second(2);
  EXPECT_EQ(switched(), (std::vector<Hwnd32>{targets[1]}));
  // Input of the user's, well after ours, holds.
  f.input.advance(1500);
  f.input.touch();
  second(2);
  EXPECT_TRUE(switched().empty());
  EXPECT_EQ(status(), "On. Paused while the computer is in use.");
}

TEST_F(UnattendedTest, DailyMomentInsideAHoldSwitchesOnceWhenItEnds) {
  queueTargets(2);
  f.dtpWeekly.setValue({9, 0, 10});
  form->onChange(Ctl::dtpWeekly);
  form->onClick(Ctl::Option2);
  choose({true, 20, false, false});
  turnOn();
  second(5);  // 09:00:05
  inputAgo(0);
  second(19);  // 09:00:24: the moment came and went in the hold
  EXPECT_TRUE(switched().empty());
  second();
  EXPECT_EQ(switched(), (std::vector<Hwnd32>{targets[0]}));
  second(60);
  EXPECT_TRUE(switched().empty());
}

TEST_F(UnattendedTest, HoldOverMidnightDoesNotBringBackTheDayBefore) {
  queueTargets(1);
  f.clock.setTime({23, 59, 0});
  f.dtpWeekly.setValue({23, 59, 30});
  form->onChange(Ctl::dtpWeekly);
  form->onClick(Ctl::Option2);
  choose({true, 120, false, false});
  turnOn();
  second();
  inputAgo(0);
  second(150);  // into the next day, past yesterday's moment
  EXPECT_TRUE(switched().empty());
  EXPECT_NE(status(), "On. Paused while the computer is in use.");
}

// --- finding again --------------------------------------------------------------

TEST_F(UnattendedTest, ReopenedWindowIsFoundAgainByTitleThenByProgramAndClass) {
  const std::string viewer = "C:\\Apps\\viewer.exe";
  const struct {
    const char* name;
    // Closes target 2 (or hands its handle over) and opens what comes back.
    std::function<Hwnd32(fake::FakeWindowSystem&, Hwnd32 old)> reopen;
    bool found;
  } cases[] = {
      {"same title",
       [](auto& w, Hwnd32 old) {
         w.close(old);
         return w.open("Target 2");
       },
       true},
      {"new title, same program and class",
       [](auto& w, Hwnd32 old) {
         w.close(old);
         return w.open("Target 2 - reloaded");
       },
       true},
      {"same program, another class",
       [](auto& w, Hwnd32 old) {
         w.close(old);
         const Hwnd32 h = w.open("Settings");
         w.find(h)->windowClass = "SettingsDialog";
         return h;
       },
       false},
      {"same class, another program",
       [](auto& w, Hwnd32 old) {
         w.close(old);
         const Hwnd32 h = w.open("Other");
         w.find(h)->program = "C:\\Apps\\other.exe";
         return h;
       },
       false},
      {"the handle given to another program's window",
       [&](auto& w, Hwnd32 old) {
         w.close(old);
         w.openAs(old, "Calculator", "C:\\Windows\\calc.exe", "ViewerFrame");
         return w.open("Target 2");
       },
       true},
      {"only the title of a window queued under its own handle",
       [](auto& w, Hwnd32 old) {
         w.close(old);
         w.find(w.windows.back().handle)->title = "Target 2";  // Target 1, queued
         return Hwnd32{0};
       },
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    targets.clear();
    f.settings.values.clear();
    f.windows.windows.clear();
    f.dialogs.boxes.clear();
    queueTargets(3);
    chooseInterval("0", "0", "0");
    choose({false, 60, true, false});
    turnOn();
    second();
    EXPECT_EQ(switched(), (std::vector<Hwnd32>{targets[0]}));
    const Hwnd32 back = c.reopen(f.windows, targets[1]);
    second();
    if (c.found) {
      EXPECT_EQ(switched(), (std::vector<Hwnd32>{back}));
      EXPECT_EQ(queueRow(2)[0], std::to_string(back));
      EXPECT_EQ(queueRow(2)[1], "Target 2");
      EXPECT_EQ(queueRow(2)[2], "Valid");
      EXPECT_EQ(stored(), storedRow(std::to_string(targets[0]), "Target 1") +
                              storedRow(std::to_string(back), "Target 2") +
                              storedRow(std::to_string(targets[2]), "Target 3"));
      EXPECT_EQ(parseRecord(value(kQueuedProgramsKey))[1],
                (ProgramRecord{std::to_string(back), viewer, "ViewerFrame"}));
    } else {
      // The turn passes on the old handle, as it always has.
      EXPECT_EQ(switched(), (std::vector<Hwnd32>{targets[1]}));
      EXPECT_EQ(queueRow(2)[0], std::to_string(targets[1]));
    }
    EXPECT_EQ(selected(), 3);
    EXPECT_TRUE(errorLines().empty());
  }
}

// Target 2 is the mail program's window. With its program recorded, a window
// of another program is never taken for it by its title alone.
TEST_F(UnattendedTest, FindingAgainByTitleKeepsToTheRecordedProgram) {
  const std::string mail = "C:\\Apps\\mail.exe";
  const std::string storeMail = "C:\\Program Files\\WindowsApps\\Mail\\mail.exe";
  const struct {
    const char* name;
    std::string program, windowClass;  // of target 2
    // Closes target 2 and opens other windows; the one that is target 2's
    // program's (0: none).
    std::function<Hwnd32(fake::FakeWindowSystem&, Hwnd32 old)> reopen;
  } cases[] = {
      {"a browser tab of the same title", mail, "MailFrame",
       [](auto& w, Hwnd32 old) {
         w.close(old);
         const Hwnd32 tab = w.open("Target 2");
         w.find(tab)->program = "C:\\Apps\\browser.exe";
         return Hwnd32{0};
       }},
      {"the mail program's window under a browser tab of the same title", mail, "MailFrame",
       [&](auto& w, Hwnd32 old) {
         w.close(old);
         const Hwnd32 back = w.open("Target 2");
         w.find(back)->program = mail;
         const Hwnd32 tab = w.open("Target 2");
         w.find(tab)->program = "C:\\Apps\\browser.exe";
         return back;
       }},
      {"another Store app's frame", storeMail, "ApplicationFrameWindow",
       [](auto& w, Hwnd32 old) {
         w.close(old);
         const Hwnd32 photos = w.open("Photos");
         w.find(photos)->program = "C:\\Program Files\\WindowsApps\\Photos\\photos.exe";
         w.find(photos)->windowClass = "ApplicationFrameWindow";
         return Hwnd32{0};
       }},
      {"a Store frame of the same title whose app cannot be told", storeMail,
       "ApplicationFrameWindow",
       [](auto& w, Hwnd32 old) {
         w.close(old);
         const Hwnd32 frame = w.open("Target 2");
         w.find(frame)->program = "";
         w.find(frame)->windowClass = "ApplicationFrameWindow";
         return Hwnd32{0};
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    targets.clear();
    f.settings.values.clear();
    f.windows.windows.clear();
    queueTargets(3);
    f.windows.find(targets[1])->program = c.program;
    f.windows.find(targets[1])->windowClass = c.windowClass;
    chooseInterval("0", "0", "0");
    choose({false, 60, true, false});
    const std::string recorded = value(kQueuedProgramsKey);
    turnOn();
    second();
    const Hwnd32 back = c.reopen(f.windows, targets[1]);
    switched();
    second();
    const Hwnd32 bound = back != 0 ? back : targets[1];
    EXPECT_EQ(switched(), (std::vector<Hwnd32>{bound}));
    EXPECT_EQ(queueRow(2)[0], std::to_string(bound));
    if (back == 0) {
      EXPECT_EQ(value(kQueuedProgramsKey), recorded);
    }
    EXPECT_TRUE(errorLines().empty());
  }
}

TEST_F(UnattendedTest, RecordFollowsTheQueueAndIsRebuiltWhenItDoesNotMatch) {
  f.settings.values["StartStopState"] = "Off";
  const Hwnd32 a = f.windows.open("A");
  const Hwnd32 b = f.windows.open("B");
  f.windows.find(b)->program = "C:\\Apps\\b.exe";
  f.windows.find(b)->windowClass = "BFrame";
  f.settings.values[std::string(kFindReopenedKey)] = "True";
  f.settings.values["Queued Windows"] = storedRow(std::to_string(a), "A");
  // A record of some other queue: its entry matches no row.
  f.settings.values[std::string(kQueuedProgramsKey)] = storedRow("12345", "C:\\x.exe", "X");
  load();
  const std::string sa = std::to_string(a), sb = std::to_string(b);
  EXPECT_EQ(value(kQueuedProgramsKey), storedRow(sa, "C:\\Apps\\viewer.exe", "ViewerFrame"));
  addToQueue("B");
  EXPECT_EQ(value(kQueuedProgramsKey), storedRow(sa, "C:\\Apps\\viewer.exe", "ViewerFrame") +
                                           storedRow(sb, "C:\\Apps\\b.exe", "BFrame"));
  // "Queued Windows" keeps its own form.
  EXPECT_EQ(stored(), storedRow(sa, "A") + storedRow(sb, "B"));
  // A row's entry stays with its row while the window is closed, and the
  // removed row's entry goes.
  f.windows.close(b);
  f.ListView2.select(1);
  form->onDoubleClick(Ctl::ListView2);
  form->onClick(Ctl::PushButton1);
  EXPECT_EQ(value(kQueuedProgramsKey), storedRow(sb, "C:\\Apps\\b.exe", "BFrame"));
}

// --- skipping ---------------------------------------------------------------------

TEST_F(UnattendedTest, MissingWindowsAreSkippedAtOnce) {
  const struct {
    UnattendedChoices choices;
    std::vector<int> closed;    // target numbers
    std::vector<int> expected;  // targets switched by three turns; 0: the turn did nothing
    int selectedAfter;
  } cases[] = {
      {{}, {2}, {1, 2, 3}, 1},  // all off: as always, the dead handle takes its turn
      {{false, 60, false, true}, {2}, {1, 3, 1}, 2},
      {{false, 60, true, true}, {2, 3}, {1, 1, 1}, 2},
      {{false, 60, false, true}, {1, 2, 3}, {0, 0, 0}, 0},
  };
  for (const auto& c : cases) {
    targets.clear();
    f.settings.values.clear();
    f.windows.windows.clear();
    queueTargets(3);
    chooseInterval("0", "0", "1");
    choose(c.choices);
    turnOn();
    for (const int t : c.closed)
      f.windows.close(targets[static_cast<std::size_t>(t - 1)]);
    std::vector<int> seen;
    for (int turn = 0; turn < 3; ++turn) {
      second();
      const auto order = switched();
      seen.push_back(order.empty()
                         ? 0
                         : static_cast<int>(std::find(targets.begin(), targets.end(), order[0]) -
                                            targets.begin()) +
                               1);
    }
    EXPECT_EQ(seen, c.expected);
    if (c.selectedAfter != 0) {
      EXPECT_EQ(selected(), c.selectedAfter);
    }
    EXPECT_TRUE(f.Timer1.running());
    EXPECT_TRUE(errorLines().empty());
  }
}

// A row's window is there only when a person can see it and, with its
// program recorded, it is one of that program's; else the turn goes on.
TEST_F(UnattendedTest, AWindowIsThereOnlyWhenShownAndOfItsProgram) {
  const struct {
    const char* name;
    UnattendedChoices choices;
    std::function<void(fake::FakeWindowSystem&, Hwnd32 target2)> change;
  } cases[] = {
      {"its handle given to another program's hidden window",
       {false, 60, false, true},
       [](auto& w, Hwnd32 old) {
         w.close(old);
         w.openAs(old, "", "C:\\Apps\\other.exe", "TipWindow");
         w.find(old)->style = 0;
       }},
      {"its handle given to a hidden window of its program",
       {false, 60, true, true},
       [](auto& w, Hwnd32 old) {
         w.close(old);
         w.openAs(old, "", "C:\\Apps\\viewer.exe", "ViewerFrame");
         w.find(old)->style = 0;
       }},
      {"hidden", {false, 60, true, true}, [](auto& w, Hwnd32 old) { w.find(old)->style = 0; }},
      {"on another virtual desktop",
       {false, 60, false, true},
       [](auto& w, Hwnd32 old) { w.find(old)->cloaked = true; }},
      {"on another virtual desktop, with finding again",
       {false, 60, true, true},
       [](auto& w, Hwnd32 old) { w.find(old)->cloaked = true; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    targets.clear();
    f.settings.values.clear();
    f.windows.windows.clear();
    queueTargets(3);
    chooseInterval("0", "0", "1");
    choose(c.choices);
    turnOn();
    c.change(f.windows, targets[1]);
    second(2);
    EXPECT_EQ(switched(), (std::vector<Hwnd32>{targets[0], targets[2]}));
    EXPECT_EQ(selected(), 1);
    EXPECT_TRUE(errorLines().empty());
  }
}

}  // namespace
}  // namespace tarnavel::testing
