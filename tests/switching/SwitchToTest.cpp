#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

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

// --- the foreground lock ----------------------------------------------------------

// Someone used the mail program a moment ago: it has the foreground, and the
// system keeps it there against us unless we borrow its thread's input.
struct LockedDesktop {
  fake::FakeWindowSystem windows;
  fake::FakeUserInput input;
  Hwnd32 mail = windows.open("Inbox - Mail");
  Hwnd32 target = windows.open("Board");
  LockedDesktop() {
    windows.lockInput = &input;
    windows.foreground = mail;
    input.touch();
    input.advance(3000);
  }
};

TEST(ForegroundLockTest, EachWayToTheForegroundAndWhatIsLeftAfterIt) {
  using Desk = LockedDesktop;
  const struct {
    const char* name;
    std::function<void(Desk&)> arrange;
    // The calls between the first try and the topmost band: "attach",
    // "foreground", "detach" (of the mail program's thread, of the target).
    std::vector<std::string> retry;
    bool taken;
  } cases[] = {
      {"nobody touched the computer within the lock time-out",
       [](Desk& d) { d.input.advance(d.windows.lockTimeoutMs); },
       {},
       true},
      {"we are the foreground process",
       [](Desk& d) { d.windows.foreground = d.windows.openOwn("Tarnavel"); },
       {},
       true},
      {"there is no foreground window", [](Desk& d) { d.windows.foreground = 0; }, {}, true},
      {"refused, then taken with the foreground thread's input",
       [](Desk&) {},
       {"attach", "foreground", "detach"},
       true},
      {"refused for good: the foreground thread does not answer",
       [](Desk& d) { d.windows.find(d.mail)->hung = true; },
       {},
       false},
      {"refused for good: the system refuses the attach",
       [](Desk& d) { d.windows.refuseAttach = true; },
       {"attach"},
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Desk d;
    c.arrange(d);
    const Hwnd32 before = d.windows.foreground;
    const std::uint32_t lastInput = d.input.lastInput;
    fake::FakeDialogs dialogs;
    ErrorReport report(dialogs);
    SwitchTo(report, d.windows, d.target, ShowCommand::Maximized);

    const std::string h = std::to_string(d.target);
    const std::string thread = std::to_string(d.windows.threadOf(d.mail));
    std::vector<std::string> expected = {"allow", "foreground " + h};
    for (const auto& call : c.retry)
      expected.push_back(call == "foreground" ? "foreground " + h : call + " " + thread);
    for (const auto& call :
         {"band " + h + " -1", "show " + h + " 5", "show " + h + " 3", "band " + h + " -2"}) {
      expected.push_back(call);
    }
    EXPECT_EQ(d.windows.calls, expected);
    EXPECT_EQ(d.windows.foreground, c.taken ? d.target : before);
    // Raised all the same, and never left in the band or joined to another
    // thread's input; no box for anything, and the person's idle time is
    // the system's own.
    EXPECT_FALSE(d.windows.find(d.target)->topmost);
    EXPECT_EQ(d.windows.attachedTo, 0u);
    EXPECT_FALSE(d.windows.froze);
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_EQ(d.input.lastInput, lastInput);
  }
}

TEST(ForegroundLockTest, NoFailureLeavesTheTargetInTheBandOrOurInputJoined) {
  // Numbers the calls of the refused-then-taken switch, then fails each.
  const auto run = [](std::size_t failAt) {
    auto d = std::make_unique<LockedDesktop>();
    fake::FaultPlan plan;
    d->windows.watch(plan, "windows");
    plan.recording = true;
    plan.failAt = failAt;
    fake::FakeDialogs dialogs;
    ErrorReport report(dialogs);
    SwitchTo(report, d->windows, d->target, ShowCommand::Normal);
    return std::pair{std::move(d), plan.calls};
  };
  const auto clean = run(0).second;
  ASSERT_TRUE(std::ranges::count(clean, "windows.attachInput on", &fake::FaultPlan::Call::name));
  for (std::size_t k = 1; k <= clean.size(); ++k) {
    const std::string& failing = clean[k - 1].name;
    SCOPED_TRACE(failing);
    const auto [d, calls] = run(k);
    if (failing != "windows.setBand -2") {
      EXPECT_FALSE(d->windows.find(d->target)->topmost);
    }
    if (failing != "windows.attachInput off") {
      EXPECT_EQ(d->windows.attachedTo, 0u);
    }
  }
}

}  // namespace
}  // namespace tarnavel
