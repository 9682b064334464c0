#include <gtest/gtest.h>

#include "switching/Activation.h"
#include "tests/fakes/FakeSystem.h"

namespace tarnavel {
namespace {

class SwitchToTest : public ::testing::Test {
 protected:
  fake::FakeDialogs dialogs;
  ErrorReport report{dialogs};
  fake::FakeWindowSystem windows;

  std::vector<std::string> calls(Hwnd32 w, ShowCommand command) {
    windows.calls.clear();
    SwitchTo(report, windows, w, command);
    return windows.calls;
  }
};

TEST_F(SwitchToTest, GoesThroughTheTopmostBandInItsExactOrder) {
  const Hwnd32 w = windows.open("Board");
  const std::string h = std::to_string(w);
  EXPECT_EQ(
      calls(w, ShowCommand::Maximized),
      (std::vector<std::string>{"allow", "foreground " + h, "band " + h + " -1", "show " + h + " 5",
                                "show " + h + " 3", "band " + h + " -2"}));
  EXPECT_FALSE(windows.find(w)->topmost);
  EXPECT_EQ(windows.foreground, w);
}

TEST_F(SwitchToTest, ShowOnlyAppliesNothingMore) {
  const Hwnd32 w = windows.open("Board");
  const std::string h = std::to_string(w);
  EXPECT_EQ(calls(w, ShowCommand::Show),
            (std::vector<std::string>{"allow", "foreground " + h, "band " + h + " -1",
                                      "show " + h + " 5", "band " + h + " -2"}));
  for (const auto command : {ShowCommand::Normal, ShowCommand::Restore, ShowCommand::Minimize}) {
    const auto seen = calls(w, command);
    ASSERT_EQ(seen.size(), 6u);
    EXPECT_EQ(seen[4], "show " + h + " " + std::to_string(static_cast<int>(command)));
  }
}

TEST_F(SwitchToTest, AWindowThatWasTopmostIsNoLongerAfterwards) {
  const Hwnd32 w = windows.open("Always on top");
  windows.find(w)->topmost = true;
  SwitchTo(report, windows, w, ShowCommand::Show);
  EXPECT_FALSE(windows.find(w)->topmost);
}

TEST_F(SwitchToTest, AClosedWindowChangesNothingAndShowsNoMessage) {
  const Hwnd32 other = windows.open("Other");
  windows.foreground = other;
  SwitchTo(report, windows, 0x4242, ShowCommand::Maximized);
  EXPECT_EQ(windows.foreground, other);
  EXPECT_TRUE(dialogs.boxes.empty());
}

}  // namespace
}  // namespace tarnavel
