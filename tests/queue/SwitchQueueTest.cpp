// The switch queue: adding and removing rows, marking them, and the stored
// form that carries them across runs.
#include <algorithm>
#include <optional>
#include <random>

#include "FormFixture.h"
#include "core/Numbers.h"
#include "queue/SwitchQueue.h"

namespace tarnavel::testing {
namespace {

TEST(StoredForm, JoinsRowsWithTheSeparatorsAndNothingBetween) {
  EXPECT_EQ(storedForm({}), "");
  EXPECT_EQ(storedForm({{"655", "Report.txt - Editor", "60"}, {"980", "Calculator", ""}}),
            "655||||||||123|||Report.txt - Editor||||||||123|||60||||||||234|||"
            "980||||||||123|||Calculator||||||||123|||||||||||234|||");
}

TEST(StoredForm, ParsesBackWhatItWrote) {
  const std::vector<StoredRow> rows = {
      {"655", "Report.txt - Editor", "60"},    {"-980", "Calculator", ""},
      {"12", "|Bars| at both ends|||", "1.5"}, {"13", "", ""},
      {"14", "Überwachung – 監視", "x"},
  };
  EXPECT_EQ(parseStoredForm(storedForm(rows)), rows);
  EXPECT_TRUE(parseStoredForm("").empty());
}

TEST(StoredForm, APieceWithoutSeparatorHasNoTitleAndATerminatorInATitleSplitsTheRow) {
  const auto rows = parseStoredForm("77||||||||234|||" + storedRow("5", "a||||||||234|||b"));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_FALSE(rows[0].hasTitle);
  EXPECT_EQ(rows[0].handle, "77");
  EXPECT_EQ(rows[1].handle, "5");
  EXPECT_EQ(rows[1].title, "a");
  EXPECT_EQ(rows[1].time, "");
  EXPECT_EQ(rows[2].handle, "b");
  EXPECT_EQ(rows[2].title, "");
}

class Restore : public FormTest {};

TEST_F(Restore, KeepsNumericTimesDropsOthersAndReportsAPieceWithoutTitle) {
  f.settings.values["Queued Windows"] =
      storedRow("101", "With time", "45") + storedRow("102", "Blank time") +
      storedRow("103", "Words", "soon") + storedRow("104", "Spaced", " 1,5 ") +
      "105||||||||234|||" + storedRow("106", "Last", "90");
  f.locale.numbers = {",", ".", "-", "+"};
  load();
  ASSERT_EQ(f.ListView2.count(), 6);
  EXPECT_EQ(queueRow(1)[3], "45");
  EXPECT_EQ(queueRow(2)[3], "");
  EXPECT_EQ(queueRow(3)[3], "");
  EXPECT_EQ(queueRow(4)[3], " 1,5 ");  // kept exactly as stored
  EXPECT_EQ(queueRow(5)[0], "105");
  EXPECT_EQ(queueRow(5)[1], "");
  EXPECT_EQ(queueRow(6)[1], "Last");
  EXPECT_EQ(queueRow(6)[3], "90");
  EXPECT_EQ(
      errorLines(),
      (std::vector<std::string>{"in Orvendel2021/08/31.Form1.LoadQueuedWindows at line 116"}));
}

TEST_F(Restore, AnAbsentOrEmptySettingGivesAnEmptyQueue) {
  load();
  EXPECT_EQ(f.ListView2.count(), 0);
  f.settings.values["Queued Windows"] = "";
  form->LoadQueuedWindows();
  EXPECT_EQ(f.ListView2.count(), 0);
  EXPECT_TRUE(f.dialogs.boxes.empty());
}

TEST_F(Restore, ATitleHoldingTheTerminatorComesBackAsTwoRows) {
  f.settings.values["Queued Windows"] = storedRow("5", "a||||||||234|||b");
  load();
  EXPECT_EQ(f.ListView2.count(), 2);
}

TEST_F(Restore, RestoringAndMarkingChangeTheRowsWithTheirRepaintingHeld) {
  f.windows.open("Board");
  f.settings.values["Queued Windows"] = storedRow("101", "Board", "45") + storedRow("102", "Gone");
  int unheld = 0;
  f.ListView2.onChange = [&](std::string_view op, int) {
    if (op != "addColumn" && f.ListView2.holds == 0) ++unheld;
  };
  load();
  EXPECT_EQ(f.ListView2.count(), 2);
  EXPECT_EQ(queueRow(1)[2], "Valid");
  EXPECT_EQ(unheld, 0);
  EXPECT_EQ(f.ListView2.holds, 0);
}

class Check : public FormTest {};

TEST_F(Check, ARowIsValidByItsOwnHandle) {
  const Hwnd32 w = f.windows.open("Renamed since");
  f.settings.values["Queued Windows"] = storedRow(std::to_string(w), "Old title");
  load();
  EXPECT_EQ(queueRow(1), (std::vector<std::string>{std::to_string(w), "Old title", "Valid", ""}));
}

TEST_F(Check, AStaleRowMatchingAnOpenWindowsTitleIsValidAndRebound) {
  const Hwnd32 board = f.windows.open("Wall board");
  f.settings.values["Queued Windows"] =
      storedRow("12345", "Wall board", "30") + storedRow("23456", "Closed for good");
  load();
  EXPECT_EQ(queueRow(1),
            (std::vector<std::string>{std::to_string(board), "Wall board", "Valid", "30"}));
  EXPECT_EQ(queueRow(2), (std::vector<std::string>{"23456", "Closed for good", "Invalid", ""}));
  // The rebinding is stored at once.
  EXPECT_EQ(stored(), storedRow(std::to_string(board), "Wall board", "30") +
                          storedRow("23456", "Closed for good"));
}

TEST_F(Check, ATitleMatchAlreadyQueuedUnderItsOwnHandleDoesNotCount) {
  const Hwnd32 live = f.windows.open("Console");
  f.settings.values["Queued Windows"] =
      storedRow("999", "Console") + storedRow(std::to_string(live), "Console");
  load();
  EXPECT_EQ(queueRow(1)[2], "Invalid");
  EXPECT_EQ(queueRow(1)[0], "999");
  EXPECT_EQ(queueRow(2)[2], "Valid");
}

TEST_F(Check, TwoStaleRowsForOneWindowBindOnlyTheFirst) {
  const Hwnd32 live = f.windows.open("Console");
  f.settings.values["Queued Windows"] = storedRow("998", "Console") + storedRow("999", "Console");
  load();
  EXPECT_EQ(queueRow(1)[0], std::to_string(live));
  EXPECT_EQ(queueRow(1)[2], "Valid");
  // The one window is taken: the second row has nothing left to switch to.
  EXPECT_EQ(queueRow(2)[0], "999");
  EXPECT_EQ(queueRow(2)[2], "Invalid");
}

TEST_F(Check, TwoStaleRowsFindTwoWindowsOfTheSameTitle) {
  const Hwnd32 lower = f.windows.open("Console");
  const Hwnd32 upper = f.windows.open("Console");
  f.settings.values["Queued Windows"] = storedRow("998", "Console") + storedRow("999", "Console");
  load();
  EXPECT_EQ(queueRow(1)[0], std::to_string(upper));
  EXPECT_EQ(queueRow(2)[0], std::to_string(lower));
  EXPECT_EQ(queueRow(2)[2], "Valid");
}

TEST_F(Check, TitlesCompareExactly) {
  f.windows.open("wall board");
  f.settings.values["Queued Windows"] = storedRow("1", "Wall board");
  load();
  EXPECT_EQ(queueRow(1)[2], "Invalid");
}

TEST_F(Check, AHandleTextThatIsNoNumberIsReportedOnceAndCanStillBeFoundByTitle) {
  const Hwnd32 w = f.windows.open("Wall board");
  f.settings.values["Queued Windows"] =
      storedRow("junk", "Wall board") + storedRow("more junk", "Nowhere");
  load();
  EXPECT_EQ(errorLines(),
            (std::vector<std::string>{"in Orvendel2021/08/31.Form1.CheckHandle at line 106",
                                      "in Orvendel2021/08/31.Form1.CheckHandle at line 106"}));
  EXPECT_EQ(queueRow(1)[0], std::to_string(w));
  EXPECT_EQ(queueRow(1)[2], "Valid");
  EXPECT_EQ(queueRow(2)[2], "Invalid");
}

// The marking as first written, for comparison: every row against every
// listed window and, for each title match, against every row again.
std::vector<std::pair<std::string, std::string>> markedRowByRow(
    std::vector<std::pair<std::string, std::string>> rows,  // handle text, title
    const std::vector<std::pair<Hwnd32, std::string>>& listed) {
  const auto handleOf = [](const std::string& text) -> std::optional<Hwnd32> {
    const auto v = readNumber(text, NumberFormat{});
    if (!v || *v < -2147483648.0 || *v > 2147483647.0) return std::nullopt;
    return roundToLong(*v);
  };
  std::vector<std::pair<std::string, std::string>> marked;  // handle text, status
  for (auto& row : rows) {
    const auto own = handleOf(row.first);
    bool found = std::ranges::any_of(listed, [&](const auto& w) { return own == w.first; });
    for (std::size_t j = 0; !found && j < listed.size(); ++j) {
      if (row.second != listed[j].second) continue;
      found = std::ranges::none_of(
          rows, [&](const auto& m) { return handleOf(m.first) == listed[j].first; });
      if (found) row.first = std::to_string(listed[j].first);
    }
    marked.emplace_back(row.first, found ? "Valid" : "Invalid");
  }
  return marked;
}

TEST(CheckAgainstRowByRow, RandomQueuesAreMarkedAndReboundAlike) {
  std::mt19937 random(20260101);
  const std::vector<std::string> titles = {"Board", "Console", "Mail", "Clock", ""};
  for (int round = 0; round <= 400; ++round) {
    // The last round is the largest queue: 1001 listed windows and 1000 rows
    // under their titles.
    const bool large = round == 400;
    fake::FakeForm f;
    f.settings.values["StartStopState"] = "Off";
    const auto pick = [&](std::size_t n) { return random() % n; };
    const auto title = [&](std::size_t of) {
      return large ? "Window " + std::to_string(pick(1001)) : titles[pick(of)];
    };
    for (std::size_t w = large ? 1001 : pick(6); w > 0; --w)
      f.windows.open(large ? "Window " + std::to_string(w - 1) : title(titles.size() - 1));
    std::vector<Hwnd32> live;
    for (const auto& w : f.windows.windows)
      live.push_back(w.handle);
    std::string stored;
    std::vector<std::pair<std::string, std::string>> rows;
    for (std::size_t r = large ? 1000 : pick(10); r > 0; --r) {
      std::string handle = std::to_string(900 + pick(4));  // stale, sometimes twice
      if (!live.empty() && pick(3) == 0) handle = std::to_string(live[pick(live.size())]);
      if (pick(12) == 0) handle = "junk";
      rows.emplace_back(handle, title(titles.size()));
      stored += storedRow(rows.back().first, rows.back().second);
    }
    f.settings.values["Queued Windows"] = stored;
    Form1 form(f.controls, f.services);
    form.Form_Load();
    std::vector<std::pair<Hwnd32, std::string>> listed;
    for (int j = 1; j <= f.ListView1.count(); ++j)
      listed.emplace_back(form.availableHandles().at(static_cast<std::size_t>(j - 1)),
                          f.ListView1.text(j));
    std::vector<std::pair<std::string, std::string>> shown;
    for (int i = 1; i <= f.ListView2.count(); ++i)
      shown.emplace_back(f.ListView2.text(i, 0), f.ListView2.text(i, 2));
    ASSERT_EQ(shown, markedRowByRow(rows, listed)) << "round " << round << ": " << stored;
  }
}

TEST_F(Check, ReadsEachRowAFewTimesNotOnceForEveryOtherRow) {
  // Stale rows under the title of a window that the last row queues under
  // its own handle: each of them finds that window taken.
  const Hwnd32 live = f.windows.open("Console");
  f.windows.open("Mail");
  std::string rows;
  for (int k = 0; k < 300; ++k)
    rows += storedRow(std::to_string(1000 + k), k % 2 ? "Console" : "Nowhere");
  f.settings.values["Queued Windows"] = rows + storedRow(std::to_string(live), "Console");
  load();
  int reads = 0;
  f.ListView2.onRead = [&](int, int) { ++reads; };
  form->CheckHandle();
  EXPECT_EQ(queueRow(2)[2], "Invalid");
  EXPECT_EQ(queueRow(301)[2], "Valid");
  EXPECT_LE(reads, 3 * 301);
}

class Edit : public FormTest {};

TEST_F(Edit, AddingAppendsTheSelectedWindowMarkedValidAndStoresTheQueue) {
  const Hwnd32 w = f.windows.open("Überwachung – 監視");
  load();
  addToQueue("Überwachung – 監視");
  EXPECT_EQ(queueRow(1),
            (std::vector<std::string>{std::to_string(w), "Überwachung – 監視", "Valid", ""}));
  EXPECT_EQ(stored(), storedRow(std::to_string(w), "Überwachung – 監視"));
  EXPECT_TRUE(f.dialogs.boxes.empty());
}

TEST_F(Edit, ADuplicateIsRefusedWithItsMessageButAnEqualTitleIsNot) {
  f.windows.open("Console");
  f.windows.open("Console");
  load();
  f.ListView1.select(1);
  form->onClick(Ctl::PushButton3);
  form->onDoubleClick(Ctl::ListView1);  // the same row again
  ASSERT_EQ(f.dialogs.boxes.size(), 1u);
  EXPECT_EQ(f.dialogs.boxes[0].text, "This window is already in the queue.");
  EXPECT_EQ(f.dialogs.boxes[0].title, "Tarnavel");
  EXPECT_EQ(f.dialogs.boxes[0].style, 0);
  EXPECT_EQ(f.ListView2.count(), 1);

  f.ListView1.select(2);
  form->onDoubleClick(Ctl::ListView1);
  EXPECT_EQ(f.ListView2.count(), 2);
  EXPECT_EQ(queueRow(2)[2], "Valid");
}

TEST_F(Edit, AddingWithAnEmptyListOrNoSelectionDoesNothing) {
  load();
  form->onClick(Ctl::PushButton3);
  f.windows.open("Console");
  form->onClick(Ctl::PushButton1);
  form->onClick(Ctl::PushButton3);
  EXPECT_EQ(f.ListView2.count(), 0);
  EXPECT_TRUE(f.dialogs.boxes.empty());
}

TEST_F(Edit, AGarbageRowDoesNotBlockAdding) {
  f.windows.open("Console");
  f.settings.values["Queued Windows"] = storedRow("junk", "Elsewhere");
  load();
  f.dialogs.boxes.clear();
  addToQueue("Console");
  EXPECT_EQ(f.ListView2.count(), 2);
}

TEST_F(Edit, ADoubleClickRemovesTheSelectedRowUnlessTheWindowIsBusy) {
  f.windows.open("A");
  f.windows.open("B");
  load();
  addToQueue("A");
  addToQueue("B");
  f.ListView2.select(1);
  f.Form.setPointer(MousePointer::Hourglass);
  form->onDoubleClick(Ctl::ListView2);
  EXPECT_EQ(f.ListView2.count(), 2);

  f.Form.setPointer(MousePointer::Default);
  form->onDoubleClick(Ctl::ListView2);
  ASSERT_EQ(f.ListView2.count(), 1);
  EXPECT_EQ(queueRow(1)[1], "B");
  EXPECT_EQ(stored(), storedRow(queueRow(1)[0], "B"));
  form->onDoubleClick(Ctl::ListView2);  // nothing selected now
  EXPECT_EQ(f.ListView2.count(), 1);
}

TEST_F(Edit, DeletingPausesARunningTimerAndRearmsItEvenWhenTheRemovalFails) {
  f.windows.open("A");
  f.windows.open("B");
  load();
  addToQueue("A");
  addToQueue("B");
  f.Timer1.setEnabled(true);
  f.Timer1.setInterval(1000);
  f.PushButton2.setCaption("Turn Off");  // monitoring on
  bool pausedDuringRemoval = false;
  f.ListView2.onChange = [&](std::string_view op, int) {
    if (op == "remove") pausedDuringRemoval = !f.Timer1.enabled() && f.Timer1.interval() == 0;
  };
  f.ListView2.select(2);
  form->onClick(Ctl::PushButton4);
  EXPECT_TRUE(pausedDuringRemoval);
  EXPECT_TRUE(f.Timer1.running());
  EXPECT_EQ(f.Timer1.interval(), 1000);
  EXPECT_EQ(f.ListView2.count(), 1);
  EXPECT_EQ(stored(), storedRow(queueRow(1)[0], "A"));

  f.ListView2.onChange = [](std::string_view op, int) {
    if (op == "remove") throw AppError::indexOutOfBounds();
  };
  f.ListView2.select(1);
  form->onClick(Ctl::PushButton4);
  EXPECT_EQ(
      errorLines(),
      (std::vector<std::string>{"in Orvendel2021/08/31.Form1.PushButton4_Click at line 110"}));
  EXPECT_TRUE(f.Timer1.running());
}

TEST_F(Edit, DeletingLeavesAStoppedTimerStopped) {
  f.windows.open("A");
  load();
  addToQueue("A");
  f.ListView2.select(1);
  form->onClick(Ctl::PushButton4);
  EXPECT_EQ(f.ListView2.count(), 0);
  EXPECT_FALSE(f.Timer1.enabled());
  EXPECT_EQ(stored(), "");
}

TEST_F(Edit, ClearAllEmptiesTheQueueEvenWhileTheTimerRuns) {
  f.settings.values["Queued Windows"] = storedRow("1", "a") + storedRow("2", "b");
  load();
  f.Timer1.setEnabled(true);
  f.Timer1.setInterval(1000);
  form->onClick(Ctl::PushButton5);
  EXPECT_EQ(f.ListView2.count(), 0);
  EXPECT_TRUE(f.Timer1.running());
  EXPECT_EQ(stored(), "");
}

TEST_F(Edit, ClearInvalidRemovesEveryInvalidRowWithoutSkippingAny) {
  const Hwnd32 live = f.windows.open("Live");
  f.settings.values["Queued Windows"] = storedRow("1", "Gone 1") +
                                        storedRow(std::to_string(live), "Live") +
                                        storedRow("2", "Gone 2") + storedRow("3", "Gone 3");
  load();
  // A row added by hand and not yet checked has an empty status and stays.
  f.ListView2.add("4");
  form->onClick(Ctl::PushButton8);
  ASSERT_EQ(f.ListView2.count(), 2);
  EXPECT_EQ(queueRow(1)[1], "Live");
  EXPECT_EQ(queueRow(2)[0], "4");
  EXPECT_EQ(stored(), storedRow(std::to_string(live), "Live") + storedRow("4", ""));
}

TEST_F(Edit, ClearInvalidUsesTheStatusAsLastWritten) {
  const Hwnd32 w = f.windows.open("Closes later");
  load();
  addToQueue("Closes later");
  f.windows.close(w);
  form->onClick(Ctl::PushButton8);
  EXPECT_EQ(f.ListView2.count(), 1);  // still "Valid" until the next check
}

}  // namespace
}  // namespace tarnavel::testing
