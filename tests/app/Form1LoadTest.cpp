// The first half of start-up and the close handling, through fakes.
#include <set>

#include "FormFixture.h"
#include "switching/ScheduleSettings.h"

namespace tarnavel::testing {
namespace {

using Load = FormTest;

TEST_F(Load, NamesTheWindowRecordsItsHandleAndBuildsBothListsColumns) {
  f.Form.handleValue = 0x5A0B2;
  load();
  EXPECT_EQ(f.Form.caption, "Tarnavel");
  EXPECT_GE(f.Form.iconSetCount, 1);
  EXPECT_EQ(form->appTitle(), "Tarnavel");
  EXPECT_EQ(form->mainWindowHandle(), 0x5A0B2);
  EXPECT_FALSE(form->loading());

  ASSERT_EQ(f.ListView1.columns.size(), 1u);
  EXPECT_EQ(f.ListView1.columns[0].header,
            "Available Applications (Double-click item to add to Queue below)");
  EXPECT_EQ(f.ListView1.columns[0].width, 7000);

  ASSERT_EQ(f.ListView2.columns.size(), 4u);
  const char* headers[] = {"Handle", "Queue (Double-click item to remove it)", "Status",
                           "Time Before Switch"};
  const int widths[] = {1, 5000, 2000, 0};
  for (int c = 0; c < 4; ++c) {
    EXPECT_EQ(f.ListView2.columns[c].header, headers[c]);
    EXPECT_EQ(f.ListView2.columns[c].width, widths[c]) << headers[c];
  }
  EXPECT_TRUE(f.dialogs.boxes.empty());
}

TEST_F(Load, WithoutTheSkinFileKeepsTheDesignColoursWithItTakesButtonFace) {
  load();
  EXPECT_FALSE(f.Form.buttonFace);

  fake::FakeForm skinned;
  skinned.files.files.insert("C:\\Tools\\x\\o.cjs");
  Form1 withSkin(skinned.controls, skinned.services);
  withSkin.Form_Load();
  EXPECT_TRUE(skinned.Form.buttonFace);
  EXPECT_TRUE(skinned.dialogs.boxes.empty());
}

TEST_F(Load, TheHandCursorIsLoadedWhenPresentAndItsAbsenceIsNoFailure) {
  load();
  EXPECT_EQ(f.Form.customPointer, "");
  EXPECT_TRUE(f.dialogs.boxes.empty());

  fake::FakeForm atRoot;
  atRoot.files.folder = "D:\\";  // a drive root already ends in a backslash
  atRoot.files.files.insert("D:\\HAND-M.CUR");
  Form1 rooted(atRoot.controls, atRoot.services);
  rooted.Form_Load();
  EXPECT_EQ(atRoot.Form.customPointer, "D:\\HAND-M.CUR");
}

TEST_F(Load, AFailingStepIsReportedWithItsLabelAndStartUpGoesOn) {
  f.files.files.insert("C:\\Tools\\HAND-M.CUR");
  f.Form.failCustomPointer = true;
  // The first queue column cannot be made (line 138); the later steps run on
  // as if it had done nothing, so two of them fail in turn.
  bool failed = false;
  f.ListView2.onChange = [&failed](std::string_view op, int) {
    if (op == "addColumn" && !failed) {
      failed = true;
      throw AppError::invalidCall();
    }
  };
  load();
  EXPECT_EQ(errorLines(),
            (std::vector<std::string>{"in Orvendel2021/08/31.Form1.Form_Load at line 110",
                                      "in Orvendel2021/08/31.Form1.Form_Load at line 138",
                                      "in Orvendel2021/08/31.Form1.Form_Load at line 148",
                                      "in Orvendel2021/08/31.Form1.Form_Load at line 152",
                                      // restoring "Switch every:" sizes the missing fourth column
                                      "in Orvendel2021/08/31.Form1.Form_Load at line 166",
                                      "in Orvendel2021/08/31.Form1.Form_Load at line 178"}));
  EXPECT_EQ(f.dialogs.boxes[1].text.substr(0, 36), "Invalid procedure call or argument\r\n");
  // The step after each failed one ran.
  EXPECT_EQ(form->mainWindowHandle(), f.Form.handleValue);
  EXPECT_EQ(f.ListView2.columns.size(), 3u);
  EXPECT_EQ(f.ListView1.columns.size(), 1u);
  EXPECT_FALSE(form->loading());
}

TEST_F(Load, TheStoredQueueComesBackAndIsMarked) {
  const Hwnd32 open = f.windows.open("Report.txt - Editor");
  f.settings.values["Queued Windows"] =
      storedRow(std::to_string(open), "Report.txt - Editor", "60") + storedRow("980", "Calculator");
  load();
  ASSERT_EQ(f.ListView2.count(), 2);
  EXPECT_EQ(queueRow(1),
            (std::vector<std::string>{std::to_string(open), "Report.txt - Editor", "Valid", "60"}));
  EXPECT_EQ(queueRow(2), (std::vector<std::string>{"980", "Calculator", "Invalid", ""}));
}

class Close : public FormTest {};
TEST_F(Load, ValuesOfAnotherKindAreNoticedOnceTakeTheirDefaultsAndStayUntilTheUserChangesThem) {
  // Option1 "True" stores its group again before Option3 is read: Option3
  // reads what was written back, as if it had been absent.
  const Hwnd32 w = f.windows.open("Board");
  f.settings.otherKinds = {"Queued Windows", "Option3", "Text1", "Text2"};
  f.settings.values["Option1"] = "True";
  load();
  EXPECT_EQ(errorLines(),
            (std::vector<std::string>{"in Orvendel2021/08/31.Form1.LoadQueuedWindows at line 102",
                                      "in Orvendel2021/08/31.Form1.Form_Load at line 166",
                                      "in Orvendel2021/08/31.Form1.Form_Load at line 184",
                                      "in Orvendel2021/08/31.Form1.Form_Load at line 186"}));
  EXPECT_EQ(f.dialogs.boxes[0].text.substr(0, f.dialogs.boxes[0].text.find('\r')),
            otherKindNotice("Queued Windows"));
  EXPECT_EQ(f.ListView2.count(), 0);
  EXPECT_TRUE(f.Option1.value());
  EXPECT_FALSE(f.Option3.value());
  EXPECT_EQ(f.Text1.caption(), "0");
  form->PushButton2_Click();  // the empty queue's refusal
  f.dialogs.boxes.clear();
  form->onClick(Ctl::Option3);  // the user's choice replaces the number
  f.Timer1.setEnabled(true);
  f.Timer1.setInterval(1000);
  for (int i = 0; i < 3; ++i)
    form->Timer1_Timer();
  form->Form_QueryUnload();
  EXPECT_TRUE(f.dialogs.boxes.empty());
  EXPECT_EQ(f.settings.otherKinds,
            (std::set<std::string, std::less<>>{"Queued Windows", "Text1", "Text2"}));
  EXPECT_EQ(f.settings.values["Option3"], "True");

  // Typing and adding are changes of those very settings.
  load();
  f.dialogs.boxes.clear();
  textBox(f.controls, Ctl::Text1).setCaption("2");
  form->onChange(Ctl::Text1);
  addToQueue("Board");
  EXPECT_EQ(f.settings.otherKinds, (std::set<std::string, std::less<>>{"Text2"}));
  EXPECT_EQ(f.settings.values["Text1"], "2");
  EXPECT_EQ(stored(), storedRow(std::to_string(w), "Board"));
}

TEST_F(Close, SavesTheQueueStopsTheTimerLetsMessagesRunTwiceAndEnds) {
  const Hwnd32 a = f.windows.open("Alpha");
  const Hwnd32 b = f.windows.open("Beta | with || bars");
  load();
  addToQueue("Alpha");
  addToQueue("Beta | with || bars");
  f.settings.values.erase("Queued Windows");
  f.Timer1.setEnabled(true);
  f.Timer1.setInterval(1000);

  form->Form_QueryUnload();
  EXPECT_EQ(stored(), storedRow(std::to_string(a), "Alpha") +
                          storedRow(std::to_string(b), "Beta | with || bars"));
  EXPECT_FALSE(f.Timer1.enabled());
  EXPECT_EQ(f.loop.doEventsCount, 2);
  EXPECT_TRUE(f.loop.ended);
}

TEST_F(Close, AnEmptyQueueIsStoredAsTheEmptyText) {
  f.settings.values["Queued Windows"] = storedRow("77", "Gone");
  load();
  form->onClick(Ctl::PushButton5);
  f.settings.values["Queued Windows"] = "stale";  // only the close can put it right
  form->Form_QueryUnload();
  EXPECT_EQ(stored(), "");
}

TEST_F(Close, WhileStartUpStillRestoresTheStoredQueueIsKept) {
  // A piece without a field separator stops the restore with a box; the
  // session ends (or the installer asks) while it is open.
  const std::string whole =
      storedRow("11", "Alpha") + "12||||||||234|||" + storedRow("13", "Gamma");
  f.settings.values["Queued Windows"] = whole;
  f.dialogs.whileShown = [&] {
    f.dialogs.whileShown = nullptr;
    form->Form_QueryUnload();
  };
  load();
  EXPECT_TRUE(f.loop.ended);
  EXPECT_EQ(f.settings.values["Queued Windows"], whole);
}

TEST_F(Close, AFailedWriteIsReportedAndTheProgramStillEnds) {
  load();
  f.settings.refuseWrites = true;
  form->Form_QueryUnload();
  EXPECT_EQ(errorLines(),
            (std::vector<std::string>{"in Orvendel2021/08/31.Form1.Form_QueryUnload at line 110"}));
  EXPECT_TRUE(f.loop.ended);
}

TEST_F(Close, ARowThatCannotBeReadIsReportedThereAndNoPartOfTheQueueIsStored) {
  f.windows.open("Alpha");
  f.windows.open("Beta");
  load();
  addToQueue("Alpha");
  addToQueue("Beta");
  const std::string complete = stored();
  f.ListView2.onRead = [](int row, int) {
    if (row == 2) throw AppError::indexOutOfBounds();
  };
  form->Form_QueryUnload();
  EXPECT_EQ(errorLines(),
            (std::vector<std::string>{"in Orvendel2021/08/31.Form1.Form_QueryUnload at line 106"}));
  EXPECT_EQ(stored(), complete);
  EXPECT_TRUE(f.loop.ended);
}

}  // namespace
}  // namespace tarnavel::testing
