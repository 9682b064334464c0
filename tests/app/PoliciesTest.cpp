#include "app/Policies.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "FormFixture.h"

namespace tarnavel::testing {
namespace {

using platform::PolicyScope;
using platform::PolicyValue;
using Kind = PolicyValue::Kind;

PolicyValue text(std::string value) {
  return {Kind::Text, std::move(value), 0};
}
PolicyValue number(std::uint32_t value) {
  return {Kind::Number, {}, value};
}

TEST(PolicyText, EachFormTakesWhatItsSettingReadsAndNothingElse) {
  const TimeFormat twelveHour{"h:mm:ss tt", "AM", "PM"};
  const struct {
    PolicyForm form;
    PolicyValue value;
    std::optional<std::string> expected;
  } cases[] = {
      {PolicyForm::Boolean, text("true"), "True"},
      {PolicyForm::Boolean, number(0), "False"},
      {PolicyForm::Boolean, number(2), std::nullopt},
      {PolicyForm::Boolean, text("yes"), std::nullopt},
      {PolicyForm::Boolean, text(" 1 "), "True"},
      {PolicyForm::OnOff, text("0"), "Off"},
      {PolicyForm::OnOff, text("On"), "On"},
      {PolicyForm::OnOff, number(1), "On"},
      {PolicyForm::OnOff, text("Enabled"), std::nullopt},
      {PolicyForm::Number, text("15"), "15"},
      {PolicyForm::Number, number(0), "0"},
      {PolicyForm::Number, text("1.5"), std::nullopt},
      {PolicyForm::Number, number(100000), std::nullopt},
      {PolicyForm::Seconds, number(3600), "3600"},
      {PolicyForm::Seconds, text("0"), std::nullopt},
      {PolicyForm::TimeOfDay, text("18:30"), "6:30:00 PM"},  // in the user's own format
      {PolicyForm::TimeOfDay, number(1830), std::nullopt},
      {PolicyForm::Weekday, text("friday"), "Friday"},
      {PolicyForm::Weekday, text("Fri"), std::nullopt},
      {PolicyForm::Span, text("22:00-06:00"), "22:00-06:00"},
      {PolicyForm::Span, text(""), ""},
      {PolicyForm::Span, text("22:00"), std::nullopt},
      {PolicyForm::Days, text("Monday,Friday"), "Monday,Friday"},
      {PolicyForm::Days, text("Funday"), std::nullopt},
      {PolicyForm::Boolean, PolicyValue{Kind::Other, {}, 0}, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(policyText(c.form, c.value, twelveHour), c.expected)
        << static_cast<int>(c.form) << " " << c.value.text << c.value.number;
  }
}

TEST(Policies, TheMachineWinsAndAValueThatCannotBeUsedLeavesTheSettingTheUsers) {
  fake::FakePolicyStore store;
  store.text(PolicyScope::Machine, "Text1", "7");
  store.text(PolicyScope::User, "Text1", "9");
  store.text(PolicyScope::User, "Text2", "3");
  store.text(PolicyScope::Machine, "Text3", "abc");
  store.text(PolicyScope::User, "Text3", "4");
  store.values[{PolicyScope::User, "Option1"}] = number(1);
  store.queues[PolicyScope::User] = {text("Board A"), number(3), text("Board B")};
  Policies policies;
  policies.load(store, TimeFormat{});
  EXPECT_EQ(*policies.text("Text1"), "7");
  EXPECT_EQ(*policies.text("Text2"), "3");
  EXPECT_FALSE(policies.sets("Text3"));
  EXPECT_EQ(*policies.text("Option1"), "True");
  EXPECT_EQ(policies.queue(), (std::vector<std::string>{"Board A", "Board B"}));
  EXPECT_EQ(policies.names(),
            (std::vector<std::string>{"Option1", "Option2", "Option3", "Option7", "Text1", "Text2",
                                      std::string(kPolicyQueueName)}));
  ASSERT_EQ(policies.problems().size(), 2u);
  EXPECT_NE(policies.problems()[0].find("\"Text3\" holds \"abc\""), std::string::npos);
  EXPECT_NE(policies.problems()[1].find("\"Queue\\2\" holds the number 3"), std::string::npos);

  store.refuses = true;
  policies.load(store, TimeFormat{});
  EXPECT_TRUE(policies.names().empty());
  EXPECT_EQ(policies.problems().size(), 1u);
}

// A Form1 whose settings store lies under policies.
class ManagedForm : public FormTest {
 protected:
  fake::FakePolicyStore store;
  Policies policies;
  std::optional<ManagedSettings> managed;
  std::optional<Services> services;

  void loadManaged() {
    policies.load(store, f.locale.timeFormat());
    managed.emplace(f.settings, policies);
    const Services& s = f.services;
    services.emplace(Services{s.dialogs, s.windows, *managed, s.files, s.clock, s.locale, s.loop,
                              s.hook, s.run, s.tray, s.input, s.processes, s.logFiles, s.power});
    form = std::make_unique<Form1>(f.controls, *services, policies);
    form->Form_Load();
  }
  void machine(std::string name, std::string value) {
    store.text(PolicyScope::Machine, std::move(name), std::move(value));
  }
};

TEST_F(ManagedForm, SettingsSetByPolicyAreUsedShownLockedAndNeverStored) {
  f.settings.values = {{"Option3", "True"}, {"Text3", "5"}, {"Windows Startup", "Off"}};
  machine("Option2", "True");
  machine("Text3", "7");
  machine("Windows Startup", "On");
  machine("Keep Display On", "True");
  machine("Switch Days", "Monday");
  machine("Resume After Idle", "soon");  // cannot be used
  f.run.path = "C:\\Kiosk\\tarnavel.exe";
  loadManaged();

  EXPECT_TRUE(f.Option2.value());
  EXPECT_FALSE(f.Option3.value());
  EXPECT_EQ(f.Text3.caption(), "7");
  EXPECT_TRUE(f.Check4.checked());
  for (const auto* locked : {&f.Option1, &f.Option2, &f.Option3, &f.Option7}) {
    EXPECT_FALSE(locked->enabled());
    EXPECT_EQ(locked->tip, kSetByOrganization);
  }
  EXPECT_TRUE(f.Option4.enabled());  // the other group is the user's
  EXPECT_FALSE(f.Text3.enabled());
  EXPECT_TRUE(f.Text1.tip.empty());
  EXPECT_FALSE(f.Check4.enabled());
  // The Run entry names this copy, although the user's own setting was off.
  EXPECT_EQ(f.run.entries.at("tarnavel.exe"), "\"C:\\Kiosk\\tarnavel.exe\"");
  for (const auto& key : f.settings.writes) {
    EXPECT_TRUE(key != "Option2" && key != "Option3" && key != "Text3" && key != "Windows Startup")
        << key;
  }
  EXPECT_EQ(f.settings.values["Text3"], "5");
  EXPECT_EQ(errorLines(),
            (std::vector<std::string>{"in Orvendel2021/08/31.Form1.Form_Load at line 100"}));

  form->onClick(Ctl::Text3);  // the user's change, were the box not locked
  f.dialogs.boxes.clear();
  form->mnuOptions_Click();
  const ChoiceLocks& locks = f.dialogs.optionsLocks;
  EXPECT_TRUE(locks.keepDisplayOn && locks.hours);
  EXPECT_FALSE(locks.pauseWhenInUse || locks.resumeAfter || locks.logSwitches);
  EXPECT_TRUE(form->unattended().choices().keepDisplayOn);
  form->mnuAbout_Click();
  ASSERT_FALSE(f.dialogs.boxes.empty());
  EXPECT_NE(f.dialogs.boxes.back().text.find(
                "Set by your "
                "organization:\r\nOption1\r\nOption2\r\nOption3\r\nOption7\r\nText3\r\nWindows "
                "Startup\r\nKeep Display "
                "On\r\nSwitch Days"),
            std::string::npos)
      << f.dialogs.boxes.back().text;
}

TEST_F(ManagedForm, EverySettingSetByPolicyIsLeftOutOfTheUsersStoreWhateverTheUserDoes) {
  const auto sample = [](PolicyForm form) -> std::string {
    switch (form) {
      case PolicyForm::Boolean: return "False";
      case PolicyForm::OnOff: return "Off";
      case PolicyForm::Number: return "3";
      case PolicyForm::Seconds: return "30";
      case PolicyForm::TimeOfDay: return "07:15:00";
      case PolicyForm::Weekday: return "Friday";
      case PolicyForm::Span: return "06:00-22:00";
      case PolicyForm::Days: return "Monday,Friday";
    }
    return {};
  };
  for (const auto& setting : policySettings())
    machine(std::string(setting.name), sample(setting.form));
  f.dialogs.optionsEdits.push_back(
      [](UnattendedChoices& c) { c.pauseWhenInUse = c.keepDisplayOn = c.logSwitches = true; });
  loadManaged();
  for (const Ctl c : {Ctl::Option1, Ctl::Option3, Ctl::Option4, Ctl::Check4, Ctl::Check8,
                      Ctl::Text1, Ctl::Text2, Ctl::Text3, Ctl::PushButton2})
    form->onClick(c);
  form->mnuOptions_Click();
  form->Form_QueryUnload();
  for (const auto& setting : policySettings()) {
    EXPECT_EQ(std::count(f.settings.writes.begin(), f.settings.writes.end(), setting.name), 0)
        << setting.name;
  }
  const ChoiceLocks& locks = f.dialogs.optionsLocks;
  EXPECT_TRUE(locks.pauseWhenInUse && locks.resumeAfter && locks.findReopened &&
              locks.skipMissing && locks.keepDisplayOn && locks.hours && locks.logInsteadOfBoxes &&
              locks.logSwitches && locks.eachDisplay);
  EXPECT_EQ(f.dtpWeekly.tip, kSetByOrganization);
  EXPECT_EQ(f.cboWeekly.caption(), "Friday");
  EXPECT_TRUE(errorLines().empty());
}

TEST_F(ManagedForm, AQueueByPolicyHoldsExactlyItsTitlesFoundAsARestoredQueueIs) {
  f.settings.values["Queued Windows"] = storedRow("1", "Own row");
  const Hwnd32 a = f.windows.open("Board A");
  store.queues[PolicyScope::Machine] = {text("Board A"), text("Board B")};
  loadManaged();
  ASSERT_EQ(f.ListView2.count(), 2);
  EXPECT_EQ(queueRow(1), (std::vector<std::string>{std::to_string(a), "Board A", "Valid", ""}));
  EXPECT_EQ(queueRow(2)[2], "Invalid");
  for (const auto* button : {&f.PushButton3, &f.PushButton4, &f.PushButton5, &f.PushButton8})
    EXPECT_FALSE(button->enabled());

  // Neither a click that slipped through nor a double-click changes the rows.
  f.ListView1.select(availableRowOf("Board A"));
  f.ListView2.select(1);
  for (const Ctl c : {Ctl::PushButton3, Ctl::PushButton4, Ctl::PushButton5, Ctl::PushButton8})
    form->onClick(c);
  form->onDoubleClick(Ctl::ListView1);
  form->onDoubleClick(Ctl::ListView2);
  EXPECT_EQ(f.ListView2.count(), 2);

  const Hwnd32 b = f.windows.open("Board B");
  form->onClick(Ctl::PushButton1);
  EXPECT_EQ(queueRow(2), (std::vector<std::string>{std::to_string(b), "Board B", "Valid", ""}));
  form->Form_QueryUnload();
  EXPECT_EQ(stored(), storedRow("1", "Own row"));
}

}  // namespace
}  // namespace tarnavel::testing
