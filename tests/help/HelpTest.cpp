// The three help buttons: each shows its text under the application title
// and changes nothing.
#include "FormFixture.h"

namespace tarnavel::testing {
namespace {

using Help = FormTest;

TEST_F(Help, EachButtonShowsItsExactTextAndChangesNothing) {
  f.windows.open("Console");
  f.settings.values["Queued Windows"] = storedRow("1", "Console");
  load();
  const auto writes = f.settings.writes.size();
  const auto rows = f.ListView2.rows;
  const bool running = f.Timer1.running();

  form->onClick(Ctl::PushButton7);
  form->onClick(Ctl::PushButton6);
  form->onClick(Ctl::PushButton10);
  ASSERT_EQ(f.dialogs.boxes.size(), 3u);
  EXPECT_EQ(f.dialogs.boxes[0].text,
            "This is the list of windows to potentially switch between. Add them to the Queue "
            "below to actually switch between them.");
  EXPECT_EQ(f.dialogs.boxes[1].text,
            "This is the list of windows that will actually be switched between.\r\n\r\n"
            "The selected / highlighted item indicates which window has been switched to "
            "last.\r\n\r\nThe Status column displays Valid if the window is still open and "
            "Invalid if the window has been closed (and can no longer be switched to).");
  EXPECT_EQ(f.dialogs.boxes[2].text,
            "This software sometimes cannot find non-traditional apps and therefore they will "
            "not appear in the 'Available Applications' list.\r\n\r\nThese unfindable apps "
            "usually look different and do not have a traditional window title bar, minimize, "
            "maximize and close buttons.\r\n\r\nSome apps such as games, video players can not "
            "be found.\r\rQuestions? Please contact Team Kestrine at "
            "http://www.kestrine.example/contact/");
  for (const auto& box : f.dialogs.boxes) {
    EXPECT_EQ(box.title, "Tarnavel");
    EXPECT_EQ(box.style, 0);
  }
  EXPECT_EQ(f.settings.writes.size(), writes);
  EXPECT_EQ(f.ListView2.rows, rows);
  EXPECT_EQ(f.Timer1.running(), running);
}

}  // namespace
}  // namespace tarnavel::testing
