// The hover pointer: which surfaces show the hand, which bring the arrow
// back, and that a busy hourglass stays.
#include <map>

#include "FormFixture.h"

namespace tarnavel::testing {
namespace {

using Hover = FormTest;

TEST_F(Hover, EverySurfaceSetsItsPointerOrLeavesItAndTheHourglassStays) {
  constexpr auto hand = MousePointer::Custom;
  constexpr auto arrow = MousePointer::Default;
  // Every surface with a say; any other control leaves the pointer alone.
  const std::map<Ctl, MousePointer> table = {
      {Ctl::PushButton1, hand},  {Ctl::PushButton2, hand}, {Ctl::PushButton3, hand},
      {Ctl::PushButton4, hand},  {Ctl::PushButton5, hand}, {Ctl::PushButton6, hand},
      {Ctl::PushButton7, hand},  {Ctl::PushButton8, hand}, {Ctl::PushButton9, hand},
      {Ctl::PushButton10, hand}, {Ctl::None, arrow},       {Ctl::Frame1, arrow},
      {Ctl::Frame2, arrow},      {Ctl::Frame3, arrow},     {Ctl::Frame4, arrow},
      {Ctl::Label1, arrow},      {Ctl::Text2, arrow},      {Ctl::ListView1, arrow},
      {Ctl::ListView2, arrow}};
  load();  // no cursor file beside the program: the hand is the arrow, and no failure
  for (int i = 0; i <= static_cast<int>(Ctl::None); ++i) {
    const auto over = static_cast<Ctl>(i);
    const auto row = table.find(over);
    for (auto before : {arrow, hand, MousePointer::Hourglass}) {
      f.Form.setPointer(before);
      form->onMouseMove(over);
      const auto want =
          before == MousePointer::Hourglass || row == table.end() ? before : row->second;
      EXPECT_EQ(f.Form.pointer(), want) << "over control " << i << " from " << int(before);
    }
  }
  EXPECT_TRUE(f.dialogs.boxes.empty());
}

}  // namespace
}  // namespace tarnavel::testing
