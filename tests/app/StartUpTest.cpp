#include <gtest/gtest.h>

#include "FormFixture.h"

namespace tarnavel::testing {
namespace {

class StartUpBoxes : public FormTest {
 protected:
  void click(Ctl box) { form->onClick(box); }
};

TEST_F(StartUpBoxes, Check4AddsAndRemovesTheRunEntryOfThisProgramAndGovernsCheck8) {
  f.run.path = "C:\\Users\\A B\\Programs\\tarnavel.exe";
  load();
  EXPECT_FALSE(f.Check8.visible());
  click(Ctl::Check4);
  EXPECT_TRUE(f.Check4.checked());
  EXPECT_TRUE(f.Check8.visible());
  EXPECT_EQ(f.settings.values["Windows Startup"], "On");
  EXPECT_EQ(f.run.entries, (std::map<std::string, std::string, std::less<>>{
                               {"tarnavel.exe", "\"C:\\Users\\A B\\Programs\\tarnavel.exe\""}}));

  click(Ctl::Check8);
  EXPECT_EQ(f.settings.values["Minimized"], "On");
  f.settings.writes.clear();
  click(Ctl::Check4);  // unchecking also unchecks and hides Check8, which stores "Off"
  EXPECT_FALSE(f.Check8.checked());
  EXPECT_FALSE(f.Check8.visible());
  EXPECT_EQ(f.settings.writes, (std::vector<std::string>{"Minimized", "Windows Startup"}));
  EXPECT_EQ(f.settings.values["Minimized"], "Off");
  EXPECT_EQ(f.settings.values["Windows Startup"], "Off");
  EXPECT_TRUE(f.run.entries.empty());
}

TEST_F(StartUpBoxes, ARefusedRunEntryIsShownAndTheBoxSaysWhatWindowsWillDo) {
  load();
  f.run.refuses = true;
  click(Ctl::Check4);
  EXPECT_FALSE(f.Check4.checked());
  EXPECT_FALSE(f.Check8.visible());
  EXPECT_FALSE(f.settings.values.contains("Windows Startup"));  // as it was
  ASSERT_EQ(f.dialogs.boxes.size(), 1u);
  EXPECT_NE(f.dialogs.boxes[0].text.find("Access is denied."), std::string::npos);

  f.run.refuses = false;
  click(Ctl::Check4);
  click(Ctl::Check8);
  f.run.refuses = true;
  click(Ctl::Check4);  // the entry cannot go: both boxes and both settings stay
  EXPECT_TRUE(f.Check4.checked());
  EXPECT_TRUE(f.Check8.visible());
  EXPECT_TRUE(f.Check8.checked());
  EXPECT_EQ(f.settings.values["Windows Startup"], "On");
  EXPECT_EQ(f.settings.values["Minimized"], "On");
  EXPECT_EQ(f.run.entries.size(), 1u);
  EXPECT_EQ(f.dialogs.boxes.size(), 2u);
}

// Each row: the two stored settings, and what start-up makes of them.
TEST_F(StartUpBoxes, StartUpRestoresThemWithoutTouchingTheRunEntry) {
  const struct {
    const char* startup;
    const char* minimized;
    bool check8Visible, minimised;
  } cases[] = {
      {nullptr, nullptr, false, false}, {"On", "Off", true, false},
      {"On", "On", true, true},         {"Off", "On", false, false},  // kept checked, out of sight
      {"on", "On", false, false},                                     // only the exact "On" counts
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.startup ? c.startup : "-") + "/" +
                 (c.minimized ? c.minimized : "-"));
    fake::FakeForm g;
    if (c.startup) g.settings.values["Windows Startup"] = c.startup;
    if (c.minimized) g.settings.values["Minimized"] = c.minimized;
    Form1 form(g.controls, g.services);
    form.Form_Load();
    EXPECT_EQ(g.Check4.checked(), std::string_view(c.startup ? c.startup : "") == "On");
    EXPECT_EQ(g.Check8.checked(), std::string_view(c.minimized ? c.minimized : "") == "On");
    EXPECT_EQ(g.Check8.visible(), c.check8Visible);
    EXPECT_EQ(g.Form.state() == WindowState::Minimized, c.minimised);
    EXPECT_TRUE(g.run.entries.empty());
    EXPECT_EQ(g.settings.values.count("Windows Startup"), c.startup ? 1u : 0u);
  }
}

}  // namespace
}  // namespace tarnavel::testing
