// The time before switch under the custom schedule.
#include "../switching/SwitchFixture.h"

namespace tarnavel::testing {
namespace {

using Times = SwitchTest;

TEST_F(Times, ChoosingCustomShowsTheColumnAndAsksOnlyForMissingTimes) {
  queueTargets(3);
  f.ListView2.setText(1, 3, "30");
  f.ListView2.setText(3, 3, "45");
  f.dialogs.answers = {"90"};
  form->onClick(Ctl::Option7);
  ASSERT_EQ(f.dialogs.prompts.size(), 1u);
  EXPECT_EQ(f.dialogs.prompts[0].prompt, "Please set Time Before Switch in seconds for Target 2");
  EXPECT_EQ(f.dialogs.prompts[0].title, "Tarnavel");
  EXPECT_EQ(f.dialogs.prompts[0].preset, "60");
  EXPECT_EQ(queueRow(2)[3], "90");
  EXPECT_EQ(f.ListView2.columnWidth(2), 3800);
  EXPECT_EQ(f.ListView2.columnWidth(3), 1500);
  EXPECT_EQ(f.ListView2.columnWidth(4), 2000);
  EXPECT_EQ(f.ListView2.columnWidth(1), 1);
  // The answer is part of the stored queue at once.
  EXPECT_NE(stored().find("Target 2||||||||123|||90||||||||234|||"), std::string::npos);

  form->onClick(Ctl::Option3);
  EXPECT_EQ(f.ListView2.columnWidth(2), 5000);
  EXPECT_EQ(f.ListView2.columnWidth(3), 2000);
  EXPECT_EQ(f.ListView2.columnWidth(4), 0);
  EXPECT_EQ(queueRow(2)[3], "90");  // hidden, not cleared
  EXPECT_EQ(f.dialogs.prompts.size(), 1u);
}

TEST_F(Times, AnswersAreStoredAsTypedWhenTheyReadAsNumbers) {
  queueTargets(1);
  const struct {
    std::optional<std::string> answer;
    std::string kept;
  } cases[] = {{"90", "90"},
               {"soon", "90"},
               {"12..5", "90"},
               {" 12.5 ", " 12.5 "},
               {std::nullopt, " 12.5 "},
               {"", " 12.5 "},
               {"-3", "-3"},
               {"0", "0"}};
  f.ListView2.select(1);
  form->onClick(Ctl::Option7);  // asks row 1: cancelled
  for (const auto& c : cases) {
    f.dialogs.answers = {c.answer};
    form->onClick(Ctl::PushButton9);
    EXPECT_EQ(queueRow(1)[3], c.kept) << c.answer.value_or("<cancel>");
  }
  // Asking again offers the row's own time.
  EXPECT_EQ(f.dialogs.prompts.back().preset, "-3");
}

TEST_F(Times, AddingUnderCustomAsksWithoutPausingTheTimer) {
  queueTargets(1);
  form->onClick(Ctl::Option7);
  f.dialogs.answers = {"20"};
  f.windows.open("Late");
  form->onClick(Ctl::PushButton1);
  f.Timer1.setEnabled(true);
  f.Timer1.setInterval(1000);
  bool pausedDuringPrompt = true;
  f.dialogs.whileShown = [&] { pausedDuringPrompt = !f.Timer1.running(); };
  addToQueue("Late");
  EXPECT_FALSE(pausedDuringPrompt);
  EXPECT_EQ(f.dialogs.prompts.back().prompt, "Please set Time Before Switch in seconds for Late");
  EXPECT_EQ(queueRow(2)[3], "20");
  EXPECT_EQ(queueRow(2)[2], "Valid");
}

TEST_F(Times, TheTimerIsPausedAroundTheCheckAndTheEditAndResumedAfter) {
  queueTargets(2);
  f.Timer1.setEnabled(true);
  f.Timer1.setInterval(1000);
  f.PushButton2.setCaption("Turn Off");  // monitoring on
  std::vector<bool> runningDuringPrompts;
  f.dialogs.whileShown = [&] { runningDuringPrompts.push_back(f.Timer1.running()); };
  f.dialogs.answers = {"5", "6", "7"};
  form->onClick(Ctl::Option7);
  f.ListView2.select(2);
  form->onClick(Ctl::PushButton9);
  EXPECT_EQ(runningDuringPrompts, (std::vector<bool>{false, false, false}));
  EXPECT_TRUE(f.Timer1.running());
  EXPECT_EQ(f.Timer1.interval(), 1000);
  EXPECT_EQ(queueRow(2)[3], "7");
}

TEST_F(Times, TheEditButtonOutsideCustomExplainsItselfAndChangesNothing) {
  queueTargets(1);
  f.ListView2.select(1);
  form->onClick(Ctl::PushButton9);
  ASSERT_EQ(f.dialogs.boxes.size(), 1u);
  EXPECT_EQ(f.dialogs.boxes[0].text,
            "This button is only used with the 'Custom (set switch time for each app)' feature.");
  EXPECT_EQ(f.dialogs.boxes[0].title, "Tarnavel");
  EXPECT_TRUE(f.dialogs.prompts.empty());
}

TEST_F(Times, StartUpUnderCustomAsksNothing) {
  f.windows.open("Board");
  f.settings.values["Queued Windows"] = storedRow("1", "Board");
  // The four schedule options are always stored together.
  for (const char* key : {"Option1", "Option2", "Option3"})
    f.settings.values[key] = "False";
  f.settings.values["Option7"] = "True";
  load();
  EXPECT_TRUE(f.dialogs.prompts.empty());
  EXPECT_EQ(f.ListView2.columnWidth(4), 2000);
  // Turning on later asks for the missing time.
  form->onClick(Ctl::PushButton2);  // stored "On": this turns it off
  f.dialogs.answers = {"15"};
  form->onClick(Ctl::PushButton2);
  EXPECT_EQ(f.dialogs.prompts.size(), 1u);
  EXPECT_EQ(queueRow(1)[3], "15");
}

}  // namespace
}  // namespace tarnavel::testing
