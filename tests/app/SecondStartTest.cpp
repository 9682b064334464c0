// A second start of the program in the same session: it hands the running
// copy a request and ends. The running copy comes up as from its tray icon
// and changes nothing else.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FormFixture.h"
#include "core/Request.h"

namespace tarnavel::testing {
namespace {

using fake::FakeForm;

class SecondStart : public FormTest {
 protected:
  void SetUp() override {
    f.windows.open("Alpha");
    load();
    form->showAfterLoad();
    addToQueue("Alpha");
    form->onClick(Ctl::PushButton2);  // monitoring on: the window goes to the tray
    f.loop.runPosted();
    ASSERT_TRUE(form->hiddenInTray());
    ASSERT_EQ(f.PushButton2.caption(), "Turn Off");
  }

  // What the request changed, by the fakes' record of every call.
  std::vector<std::string> changesOf(std::uint64_t kind, std::string_view bytes,
                                     std::optional<std::string>* answer = nullptr) {
    f.faults.calls.clear();
    f.faults.recording = true;
    const auto got = FakeForm::secondStart(*form, kind, bytes);
    f.faults.recording = false;
    if (answer) *answer = got;
    std::vector<std::string> changes;
    for (const auto& call : f.faults.calls) {
      if (call.changes) changes.push_back(call.name);
    }
    return changes;
  }
};

TEST_F(SecondStart, ShowBringsTheWindowOutOfTheTrayAndTouchesNothingElse) {
  const std::string queueBefore = stored();
  const auto timeBefore = form->countdown().ElapsedSeconds;
  const auto settingsBefore = f.settings.values;
  std::optional<std::string> answer;
  EXPECT_EQ(changesOf(kRequestKind, encodeRequest({Command::Show, {}}), &answer),
            (std::vector<std::string>{"Form.setVisible", "Form.activate"}));
  EXPECT_EQ(answer, "0\n");
  EXPECT_TRUE(f.Form.visible());
  EXPECT_FALSE(form->hiddenInTray());
  EXPECT_EQ(f.Form.activateCount, 1);
  // Monitoring, the queue, the tray icon and the settings as they were.
  EXPECT_EQ(f.PushButton2.caption(), "Turn Off");
  EXPECT_TRUE(f.Timer1.enabled());
  EXPECT_EQ(form->countdown().ElapsedSeconds, timeBefore);
  EXPECT_EQ(stored(), queueBefore);
  EXPECT_EQ(f.settings.values, settingsBefore);
  EXPECT_TRUE(form->cSysTray1.InTray() && form->cSysTray1.iconShown());
  EXPECT_TRUE(f.hook.installed);

  // Started again while it is up: brought to the front once more.
  EXPECT_EQ(changesOf(kRequestKind, "show"),
            (std::vector<std::string>{"Form.setVisible", "Form.activate"}));
  EXPECT_EQ(f.Form.activateCount, 2);
}

TEST_F(SecondStart, MinimisedOutOfSightItComesBackNormal) {
  // Turned off and on by the hotkey while hidden: minimised as well.
  for (const bool down : {true, false, true, false})
    form->onKeyT({down, true, true});
  ASSERT_EQ(f.Form.state(), WindowState::Minimized);
  EXPECT_EQ(changesOf(kRequestKind, "show"),
            (std::vector<std::string>{"Form.setState", "Form.setVisible", "Form.activate"}));
  EXPECT_EQ(f.Form.state(), WindowState::Normal);
  EXPECT_TRUE(f.Form.visible());
}

TEST_F(SecondStart, AMalformedRequestIsAnsweredNotUnderstoodAndChangesNothing) {
  const struct {
    std::uint64_t kind;
    std::string bytes;
    bool ours;  // answered (2), or someone else's message, ignored
  } cases[] = {
      {kRequestMagic | 2, "show", false},
      {kAnswerKind, "show", false},
      {0x4A, "on", false},
      {kRequestKind, "", true},
      {kRequestKind, "show please", true},
      {kRequestKind, "ON", true},
      {kRequestKind, "--on", true},
      {kRequestKind, "help", true},
      {kRequestKind, "switch-to", true},
      {kRequestKind, "switch-to\n", true},
      {kRequestKind, "quit\nnow", true},
      {kRequestKind, "sh\xC3", true},
      {kRequestKind, std::string("off\0", 4), true},
      {kRequestKind, std::string(kRequestMaxBytes + 1, 'x'), true},
      {kRequestKind, "switch-to\n" + std::string(kRequestMaxBytes, 'x'), true},
  };
  const auto settingsBefore = f.settings.values;
  for (const auto& c : cases) {
    std::optional<std::string> answer{"unset"};
    EXPECT_TRUE(changesOf(c.kind, c.bytes, &answer).empty()) << c.bytes.substr(0, 20);
    f.loop.runPosted();
    if (c.ours) {
      EXPECT_EQ(answer, "2\nNot understood.\n") << c.bytes.substr(0, 20);
    } else {
      EXPECT_EQ(answer, std::nullopt) << c.bytes.substr(0, 20);
    }
  }
  EXPECT_FALSE(f.Form.visible());
  EXPECT_TRUE(form->hiddenInTray());
  EXPECT_EQ(f.Form.activateCount, 0);
  EXPECT_EQ(f.PushButton2.caption(), "Turn Off");
  EXPECT_EQ(f.settings.values, settingsBefore);
}

}  // namespace
}  // namespace tarnavel::testing
