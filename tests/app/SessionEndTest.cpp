#include <gtest/gtest.h>

#include <algorithm>

#include "FormFixture.h"

namespace tarnavel::testing {
namespace {

// Asked whether the session may end, the program stores the queue, says yes
// and keeps switching: another program may still cancel the end. It closes
// only when the session really ends.
TEST(SessionEnd, TheQueueIsStoredWhenAskedAndTheProgramEndsOnlyWithTheSession) {
  for (const bool cancelled : {true, false}) {
    SCOPED_TRACE(cancelled ? "cancelled" : "ended");
    fake::FakeForm f;
    const Hwnd32 alpha = f.windows.open("Alpha");
    f.settings.values["StartStopState"] = "Off";
    Form1 form(f.controls, f.services);
    form.Form_Load();
    f.ListView1.select(1);
    form.onClick(Ctl::PushButton3);
    form.onClick(Ctl::PushButton2);
    ASSERT_EQ(f.PushButton2.caption(), "Turn Off");
    const std::string queue = f.settings.values["Queued Windows"];
    f.settings.values.erase("Queued Windows");
    const bool ended = fake::endSession(form, cancelled, [&] {
      EXPECT_EQ(f.settings.values["Queued Windows"], queue);
      EXPECT_FALSE(f.loop.ended);
      EXPECT_TRUE(f.Timer1.running());
    });
    EXPECT_EQ(ended, !cancelled);
    EXPECT_EQ(f.loop.ended, !cancelled);
    EXPECT_EQ(f.hook.installed, cancelled);
    EXPECT_EQ(f.tray.shown, cancelled);
    if (!cancelled) continue;
    // Still switching: the next ticks bring the queued window forward.
    f.windows.calls.clear();
    for (int i = 0; i < 5 && f.Timer1.running(); ++i) {
      f.clock.advance(1);
      form.onTimer();
    }
    EXPECT_NE(std::ranges::find(f.windows.calls, "foreground " + std::to_string(alpha)),
              f.windows.calls.end());
  }
}

}  // namespace
}  // namespace tarnavel::testing
