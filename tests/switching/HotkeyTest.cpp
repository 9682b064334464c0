#include <gtest/gtest.h>

#include "SwitchFixture.h"

namespace tarnavel::testing {
namespace {

using Hotkey = SwitchTest;

// Each row: the T key's events as the hook sees them (down, Ctrl, Shift) and
// how many toggles they make.
TEST_F(Hotkey, OnlyAFreshTKeyDownWithCtrlAndShiftHeldTogglesOnce) {
  const struct {
    const char* what;
    std::vector<KeyTEvent> events;
    int toggles;
  } cases[] = {
      {"the chord", {{true, true, true}, {false, true, true}}, 1},
      {"held: auto-repeat", {{true, true, true}, {true, true, true}, {true, true, true}}, 1},
      {"Ctrl+T", {{true, true, false}, {false, true, false}}, 0},
      {"Shift+T", {{true, false, true}, {false, false, true}}, 0},
      {"T typed earlier, then the modifiers with no new T",
       {{true, false, false}, {false, false, false}, {false, true, true}},
       0},
      {"T held before the modifiers, repeating under them",
       {{true, false, false}, {true, true, true}},
       0},
      {"twice",
       {{true, true, true}, {false, true, true}, {true, true, true}, {false, true, true}},
       2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    // With an empty queue every toggle shows the refusal, once.
    fake::FakeForm fresh;
    Form1 form(fresh.controls, fresh.services);
    form.Form_Load();
    for (const auto& e : c.events)
      form.onKeyT(e);
    EXPECT_EQ(fresh.dialogs.boxes.size(), static_cast<std::size_t>(c.toggles));
  }
}

TEST_F(Hotkey, TheChordRunsTheButtonsProcedure) {
  queueTargets(2);
  form->onKeyT({true, true, true});
  EXPECT_EQ(f.PushButton2.caption(), "Turn Off");
  EXPECT_TRUE(form->hiddenInTray());
  EXPECT_EQ(f.settings.values["StartStopState"], "On");
  form->onKeyT({false, true, true});
  form->onKeyT({true, true, true});
  EXPECT_EQ(f.PushButton2.caption(), "Turn On");
}

TEST_F(Hotkey, IsInstalledLastAtStartUpAndRemovedFirstAtClosing) {
  bool loadingAtInstall = true;
  f.hook.whenInstalled = [&] { loadingAtInstall = form->loading(); };
  load();
  EXPECT_TRUE(f.hook.installed);
  EXPECT_FALSE(loadingAtInstall);
  std::vector<std::string> writesAtRemoval{"not removed"};
  f.hook.whenRemoved = [&] { writesAtRemoval = f.settings.writes; };
  f.settings.writes.clear();
  form->Form_QueryUnload();
  EXPECT_FALSE(f.hook.installed);
  EXPECT_TRUE(writesAtRemoval.empty());  // before the queue is saved
  EXPECT_TRUE(f.loop.ended);
}

// Windows takes the hook out without a word; the check, an unlock or a
// resume puts it in anew, the old one out first, and the chord is back,
// toggling once. A T seen going down before the removal is not held against
// the next chord.
TEST_F(Hotkey, ASilentlyRemovedHookIsPutInAnewAndTheChordTogglesOnceAgain) {
  const std::pair<const char*, void (Form1::*)()> moments[] = {
      {"check", &Form1::onHookTimer}, {"unlock or resume", &Form1::onSessionResumed}};
  for (const auto& [name, moment] : moments) {
    SCOPED_TRACE(name);
    // With an empty queue every toggle shows the refusal, once.
    fake::FakeForm fresh;
    Form1 form(fresh.controls, fresh.services);
    form.Form_Load();
    fresh.hook.key(form, {true, true, true});  // toggles
    fresh.hook.dropSilently();                 // its release is never heard
    fresh.hook.chord(form);
    EXPECT_EQ(fresh.dialogs.boxes.size(), 1u);
    fresh.faults.recording = true;
    (form.*moment)();
    EXPECT_EQ(fresh.faults.calls.size(), 2u);
    EXPECT_EQ(fresh.faults.calls[0].name, "hook.remove");
    EXPECT_EQ(fresh.faults.calls[1].name, "hook.install");
    fresh.faults.recording = false;
    fresh.hook.chord(form);
    EXPECT_EQ(fresh.dialogs.boxes.size(), 2u);
  }
}

TEST_F(Hotkey, IsCheckedEveryFiveMinutesFromStartUpToClosing) {
  load();
  EXPECT_TRUE(f.HookTimer.running());
  EXPECT_EQ(f.HookTimer.interval(), 5 * 60 * 1000);
  form->Form_QueryUnload();
  EXPECT_FALSE(f.HookTimer.running());
  // A check or a resume that comes in after closing puts nothing in.
  form->onHookTimer();
  form->onSessionResumed();
  EXPECT_FALSE(f.hook.installed);
}

// A refusal shows the box once (the one at start-up counts), not at every
// check, until the hook goes in again.
TEST_F(Hotkey, ARefusedHookIsReportedOnceUntilItGoesInAgain) {
  f.hook.refuses = true;
  load();
  EXPECT_EQ(errorLines(),
            std::vector<std::string>{"in Orvendel2021/08/31.Form1.Form_Load at line 254"});
  form->onHookTimer();
  form->onSessionResumed();
  EXPECT_EQ(errorLines().size(), 1u);
  f.hook.refuses = false;
  form->onHookTimer();
  EXPECT_TRUE(f.hook.installed);
  f.hook.refuses = true;
  form->onHookTimer();
  form->onHookTimer();
  EXPECT_EQ(errorLines().size(), 2u);
  EXPECT_EQ(errorLines().back(), "in Orvendel2021/08/31.Form1.HookTimer_Timer at line 0");
}

}  // namespace
}  // namespace tarnavel::testing
