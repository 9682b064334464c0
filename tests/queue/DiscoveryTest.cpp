// Which windows are listed, in which order, and how the table's size limit
// behaves.
#include "FormFixture.h"
#include "queue/WindowList.h"

namespace tarnavel::testing {
namespace {

constexpr std::uint32_t kVisible = kStyleVisible;
constexpr std::uint32_t kMaxBox = kStyleMaximizeBox;

class Discovery : public FormTest {
 protected:
  std::vector<std::string> listed() const {
    std::vector<std::string> titles;
    for (int i = 1; i <= f.ListView1.count(); ++i)
      titles.push_back(f.ListView1.text(i));
    return titles;
  }
  void expectHandlesMatchRows() const {
    ASSERT_EQ(form->availableHandles().size(), static_cast<std::size_t>(f.ListView1.count()));
    for (int i = 1; i <= f.ListView1.count(); ++i) {
      const auto* w = f.windows.find(form->availableHandles()[static_cast<std::size_t>(i - 1)]);
      ASSERT_NE(w, nullptr);
      EXPECT_EQ(w->title, f.ListView1.text(i));
    }
  }
};

TEST(IsAppWindow, NeedsBothVisibleAndAMaximizeBox) {
  fake::FakeWindowSystem ws;
  EXPECT_TRUE(IsAppWindow(ws, ws.open("a", kVisible | kMaxBox)));
  EXPECT_TRUE(IsAppWindow(ws, ws.open("tool window", kVisible | kMaxBox | 0x00C00000)));
  EXPECT_FALSE(IsAppWindow(ws, ws.open("hidden", kMaxBox)));
  EXPECT_FALSE(IsAppWindow(ws, ws.open("dialog", kVisible | 0x00080000)));
  EXPECT_FALSE(IsAppWindow(ws, 0x7777));  // gone: no style at all
}

TEST_F(Discovery, ListsAppWindowsInZOrderAndNothingElse) {
  f.windows.open("Bottom");
  f.windows.open("Hidden", kMaxBox);
  f.windows.open("Message box", kVisible);
  f.windows.open("", kVisible | kMaxBox);
  f.windows.open("Middle");
  f.windows.open("Minimised but visible", kVisible | kMaxBox | 0x20000000);
  f.windows.open("Top");
  // The program's own window sits among them and is never listed.
  f.windows.windows.insert(f.windows.windows.begin() + 2,
                           {f.Form.handleValue, "Tarnavel", kVisible | kMaxBox});
  load();
  EXPECT_EQ(listed(),
            (std::vector<std::string>{"Top", "Minimised but visible", "Middle", "Bottom"}));
  expectHandlesMatchRows();
  EXPECT_TRUE(f.dialogs.boxes.empty());
}

// Windows 10 and 11 report the windows of other virtual desktops and of
// suspended Store apps as visible: the window manager keeps them out of sight.
TEST_F(Discovery, WindowsKeptOutOfSightAreNotListed) {
  f.windows.open("Here");
  const Hwnd32 away = f.windows.open("On another desktop");
  f.windows.find(away)->cloaked = true;
  load();
  EXPECT_EQ(listed(), (std::vector<std::string>{"Here"}));
  expectHandlesMatchRows();
  f.windows.find(away)->cloaked = false;  // its desktop is shown
  form->onClick(Ctl::PushButton1);
  EXPECT_EQ(listed(), (std::vector<std::string>{"On another desktop", "Here"}));
}

TEST_F(Discovery, EqualTitlesAreSeparateRowsWithTheirOwnHandles) {
  const Hwnd32 first = f.windows.openBelow("Console");
  const Hwnd32 second = f.windows.openBelow("Console");
  load();
  EXPECT_EQ(listed(), (std::vector<std::string>{"Console", "Console"}));
  EXPECT_EQ(form->availableHandles(), (std::vector<Hwnd32>{first, second}));
}

TEST_F(Discovery, NoQualifyingWindowGivesEmptyLists) {
  f.windows.open("dialog", kVisible);
  load();
  EXPECT_EQ(f.ListView1.count(), 0);
  EXPECT_TRUE(form->availableHandles().empty());
}

TEST_F(Discovery, TitlesInAnyScriptAreReadWhole) {
  f.windows.open("Überwachung – 監視");
  f.windows.open("Leitstand 🚦 Nord");  // a character outside the basic plane: two units
  load();
  EXPECT_EQ(listed(), (std::vector<std::string>{"Leitstand 🚦 Nord", "Überwachung – 監視"}));
}

TEST_F(Discovery, AWindowThatClosesBetweenItsTwoQueriesIsSkipped) {
  f.windows.openBelow("Stays");
  const Hwnd32 leaving = f.windows.openBelow("Leaves");
  f.windows.openBelow("Also stays");
  f.windows.afterLengthQuery = [&](Hwnd32 w) {
    if (w == leaving) f.windows.find(w)->title.clear();
  };
  load();
  EXPECT_EQ(listed(), (std::vector<std::string>{"Stays", "Also stays"}));
}

TEST_F(Discovery, AThousandAndOneWindowsAreAllListedWithoutAnError) {
  for (int i = 0; i < 1001; ++i)
    f.windows.openBelow("Window " + std::to_string(i));
  load();
  EXPECT_EQ(f.ListView1.count(), 1001);
  EXPECT_EQ(f.ListView1.text(1001), "Window 1000");
  EXPECT_TRUE(f.dialogs.boxes.empty());
  expectHandlesMatchRows();
}

TEST_F(Discovery, OneMoreIsReportedAndTheFirstThousandAndOneAreListed) {
  for (int i = 0; i < 1002; ++i)
    f.windows.openBelow("Window " + std::to_string(i));
  load();
  EXPECT_EQ(errorLines(),
            (std::vector<std::string>{"in Orvendel2021/08/31.Form1.loadWindows at line 100"}));
  EXPECT_EQ(f.dialogs.boxes[0].text.substr(0, 22), "Subscript out of range");
  EXPECT_EQ(f.ListView1.count(), 1001);
  EXPECT_EQ(f.ListView1.text(1001), "Window 1000");
  expectHandlesMatchRows();
}

TEST_F(Discovery, RefreshReplacesTheSnapshotAndRemarksTheQueue) {
  const Hwnd32 editor = f.windows.open("Editor");
  load();
  addToQueue("Editor");
  f.ListView1.select(1);
  EXPECT_EQ(queueRow(1)[2], "Valid");

  f.windows.close(editor);
  f.windows.open("Newcomer");
  // The list is emptied and filled with its repainting held: a shown list
  // that repaints for each of 1001 rows takes seconds under Wine.
  int unheld = 0;
  f.ListView1.onChange = [&](std::string_view, int) { unheld += f.ListView1.holds == 0 ? 1 : 0; };
  form->onClick(Ctl::PushButton1);
  EXPECT_EQ(unheld, 0);
  EXPECT_EQ(f.ListView1.holds, 0);
  EXPECT_EQ(listed(), (std::vector<std::string>{"Newcomer"}));
  expectHandlesMatchRows();
  EXPECT_EQ(f.ListView1.selected(), 0);  // the old selection does not stay
  EXPECT_EQ(queueRow(1)[2], "Invalid");
}

}  // namespace
}  // namespace tarnavel::testing
