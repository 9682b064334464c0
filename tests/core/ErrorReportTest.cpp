#include "core/ErrorReport.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "platform/Errors.h"
#include "tests/fakes/FakeSystem.h"

namespace tarnavel {
namespace {

TEST(ErrorMessage, IsBuiltPieceByPieceWithNothingBetween) {
  EXPECT_EQ(errorMessage("Type mismatch", "Form1.Form_Load", 180),
            "Type mismatch\r\nin Orvendel2021/08/31.Form1.Form_Load at line 180\r\r"
            "Please email screenshot of this message to support@kestrine.example");
  // An empty description leaves the message beginning with the line break.
  EXPECT_EQ(errorMessage("", "Enum.SwitchTo", 104).substr(0, 6), "\r\nin O");
}

TEST(ErrorMessage, NamesWhatWasThrown) {
  auto describe = [](auto thrown) {
    try {
      throw thrown;
    } catch (...) {
      return describeFailure(std::current_exception());
    }
  };
  EXPECT_EQ(describe(AppError::overflow()), "Overflow");
  EXPECT_EQ(describe(AppError::subscript()), "Subscript out of range");
  EXPECT_EQ(describe(std::out_of_range("vector")), "Subscript out of range");
  EXPECT_EQ(describe(std::bad_alloc()), "Out of memory");
  EXPECT_EQ(describe(std::runtime_error("The device is not ready.")), "The device is not ready.");
}

class GuardTest : public ::testing::Test {
 protected:
  fake::FakeDialogs dialogs;
  ErrorReport report{dialogs};
  Guard g{report, "Form1.Form_Load"};
  std::vector<int> ran;
};

TEST_F(GuardTest, AFailedStepIsReportedOnceAndTheNextStepRuns) {
  g.step(178, [&] { ran.push_back(178); });
  g.step(180, [&] {
    throw AppError::invalidPropertyValue();
    ran.push_back(-1);  // never reached: the rest of the statement is skipped
  });
  g.step(182, [&] { ran.push_back(182); });

  EXPECT_EQ(ran, (std::vector<int>{178, 182}));
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].title, "Application Error");
  EXPECT_EQ(dialogs.boxes[0].style, 48);
  EXPECT_EQ(dialogs.boxes[0].text, errorMessage("Invalid property value", "Form1.Form_Load", 180));
}

TEST_F(GuardTest, AFailedIfTestRunsTheFirstBranch) {
  if (g.test(104, [&]() -> bool { throw AppError::typeMismatch(); })) ran.push_back(106);
  if (g.test(108, [&] { return false; })) ran.push_back(110);
  EXPECT_EQ(ran, (std::vector<int>{106}));
  EXPECT_EQ(dialogs.boxes.size(), 1u);
}

TEST_F(GuardTest, ALoopGoesOnAfterAFailingRowAndEachFailureHasItsOwnBox) {
  for (int row = 1; row <= 4; ++row) {
    g.step(106, [&] {
      if (row % 2 == 0) throw AppError::indexOutOfBounds();
      ran.push_back(row);
    });
  }
  EXPECT_EQ(ran, (std::vector<int>{1, 3}));
  EXPECT_EQ(dialogs.boxes.size(), 2u);
}

TEST_F(GuardTest, AFailureInsideAnUnguardedCallSkipsTheRestOfThatCall) {
  auto setAppTitle = [&] {
    ran.push_back(1);
    throw AppError::invalidCall();
    ran.push_back(2);
  };
  g.step(106, setAppTitle);
  g.step(108, [&] { ran.push_back(108); });
  EXPECT_EQ(ran, (std::vector<int>{1, 108}));
  EXPECT_NE(dialogs.boxes.at(0).text.find("at line 106"), std::string::npos);
}

TEST_F(GuardTest, AValueStatementFallsBackWhenItFails) {
  EXPECT_EQ(g.value(100, 7, [&]() -> int { throw AppError::overflow(); }), 7);
  EXPECT_EQ(g.value(102, 7, [&] { return 3; }), 3);
}

TEST_F(GuardTest, AGuardedCalleeReportsItsOwnFailureAndTheCallerGoesOn) {
  auto guardedCallee = [&] {
    Guard inner(report, "Form1.CheckHandle");
    inner.step(134, [&] { throw AppError::indexOutOfBounds(); });
    inner.step(136, [&] { ran.push_back(136); });
  };
  g.step(160, guardedCallee);
  g.step(162, [&] { ran.push_back(162); });
  EXPECT_EQ(ran, (std::vector<int>{136, 162}));
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_NE(dialogs.boxes[0].text.find("Form1.CheckHandle at line 134"), std::string::npos);
}

}  // namespace
}  // namespace tarnavel
