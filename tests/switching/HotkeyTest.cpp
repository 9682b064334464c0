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

}  // namespace
}  // namespace tarnavel::testing
