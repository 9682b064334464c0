#include <gtest/gtest.h>

#include "core/Main.h"
#include "core/Numbers.h"
#include "core/Settings.h"
#include "platform/Errors.h"
#include "tests/fakes/FakeSystem.h"

namespace tarnavel {
namespace {

TEST(FormatSeconds, WritesHoursMinutesSecondsWrappingAtADay) {
  const struct {
    int seconds;
    const char* text;
  } cases[] = {
      {0, "00:00:00"},          {3661, "01:01:01"},
      {3725, "01:02:05"},       {59, "00:00:59"},
      {86399, "23:59:59"},      {25 * 3600, "01:00:00"},
      {-1, "00:00:01"},         {-3725, "01:02:05"},
      {2147483647, "03:14:07"}, {-2147483647 - 1, "03:14:08"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatSeconds(c.seconds), c.text) << c.seconds;
}

TEST(AppTitle, CutsBeforeTheLastBlankUntilFortyCharactersAtLeastOnce) {
  // Ten five-letter words: 59 characters; six words are left (35).
  EXPECT_EQ(appTitleFor("alpha bravo charl delta echos foxtr golfs hotel india julie"),
            "alpha bravo charl delta echos foxtr");
  // A short name still loses its last word.
  EXPECT_EQ(appTitleFor("Tarnavel Dashboards!"), "Tarnavel");
  // Without a blank there is nothing to cut: the name stays, up to 40.
  EXPECT_EQ(appTitleFor("Tarnavel"), "Tarnavel");
  EXPECT_EQ(appTitleFor(std::string(45, 'x')), std::string(40, 'x'));
  // Characters, not bytes.
  EXPECT_EQ(appTitleFor("Überwachung Überwachung Überwachung Überwachung Ü"),
            "Überwachung Überwachung Überwachung");
  EXPECT_EQ(appTitleFor(kDisplayName), "Tarnavel");
}

TEST(FileExists, IsTrueOnlyForAReadableFileAndNeverFails) {
  fake::FakeFiles files;
  files.files.insert("C:\\Tools\\HAND-M.CUR");
  EXPECT_TRUE(FileExists(files, "C:\\Tools\\HAND-M.CUR"));
  EXPECT_FALSE(FileExists(files, "C:\\Tools\\hand.cur"));
}

TEST(SetTopmost, JoinsOrLeavesTheTopmostBand) {
  fake::FakeWindowSystem windows;
  const Hwnd32 w = windows.open("Report");
  SetTopmost(windows, w, true);
  EXPECT_TRUE(windows.find(w)->topmost);
  SetTopmost(windows, w, false);
  EXPECT_FALSE(windows.find(w)->topmost);
  EXPECT_EQ(windows.calls, (std::vector<std::string>{"band " + std::to_string(w) + " -1",
                                                     "band " + std::to_string(w) + " -2"}));
}

NumberFormat german() {
  return {",", ".", "-", "+"};
}
NumberFormat french() {
  return {",", "\xE2\x80\xAF", "-", "+"};
}

TEST(ReadsAsNumber, FollowsTheLocaleSeparatorsSignsAndExponent) {
  const NumberFormat us;
  const struct {
    const char* text;
    std::optional<double> value;
  } english[] = {
      {"90", 90},
      {" 90 ", 90},
      {"-5", -5},
      {"+5", 5},
      {"1.5", 1.5},
      {".5", 0.5},
      {"5.", 5},
      {"1,000", 1000},
      {"1,000.25", 1000.25},
      {"1e3", 1000},
      {"2.5E-1", 0.25},
      {"1D2", 100},
      {"", std::nullopt},
      {"  ", std::nullopt},
      {"abc", std::nullopt},
      {"1a", std::nullopt},
      {".", std::nullopt},
      {"-", std::nullopt},
      {"1e", std::nullopt},
      {",5", std::nullopt},
      {"5,", std::nullopt},
      {"1..2", std::nullopt},
      {"1e999", std::nullopt},
      {"1 000", std::nullopt},
      {"\t7\t", 7},
  };
  for (const auto& c : english)
    EXPECT_EQ(readNumber(c.text, us), c.value) << '"' << c.text << '"';

  EXPECT_EQ(readNumber("1,5", german()), 1.5);
  EXPECT_EQ(readNumber("1.500,5", german()), 1500.5);
  EXPECT_EQ(readNumber("1.5", german()), 15);  // a group separator, as the locale reads it
  EXPECT_EQ(readNumber("1\xE2\x80\xAF"
                       "000,5",
                       french()),
            1000.5);
  EXPECT_EQ(readNumber("1 000,5", french()), 1000.5);  // a typed blank for the no-break space
}

TEST(RoundToLong, RoundsHalvesToEvenAndRefusesWhatDoesNotFit) {
  EXPECT_EQ(roundToLong(0.5), 0);
  EXPECT_EQ(roundToLong(1.5), 2);
  EXPECT_EQ(roundToLong(2.5), 2);
  EXPECT_EQ(roundToLong(-2.5), -2);
  EXPECT_EQ(roundToLong(2.6), 3);
  EXPECT_EQ(roundToLong(2147483647.0), 2147483647);
  EXPECT_EQ(roundToLong(-2147483648.0), -2147483647 - 1);
  EXPECT_THROW(roundToLong(2147483647.5), AppError);
  EXPECT_THROW(roundToLong(-2147483649.0), AppError);
  EXPECT_EQ(textToLong("-65538", NumberFormat{}), -65538);
  try {
    textToLong("12ab", NumberFormat{});
    FAIL();
  } catch (const AppError& e) {
    EXPECT_EQ(e.description(), "Type mismatch");
  }
}

class SettingsTest : public ::testing::Test {
 protected:
  fake::FakeSettings backend;
  fake::FakeLocale locale;
  fake::FakeDialogs dialogs;
  ErrorReport report{dialogs};
  Settings settings{backend, locale, report};
};

TEST_F(SettingsTest, BooleansReadTrueFalseInAnyCaseAndNumbers) {
  const struct {
    const char* stored;
    bool value;
  } cases[] = {{"True", true},   {"true", true}, {"TRUE", true},  {"False", false},
               {"fAlSe", false}, {"0", false},   {"-1", true},    {"1", true},
               {"2.5", true},    {"0.0", false}, {" True ", true}};
  for (const auto& c : cases) {
    backend.values["Option1"] = c.stored;
    EXPECT_EQ(settings.readBoolean("Option1", !c.value), c.value) << c.stored;
  }
}

TEST_F(SettingsTest, AnAbsentBooleanTakesTheReadersDefaultAndGarbageIsATypeMismatch) {
  EXPECT_TRUE(settings.readBoolean("Option3", true));
  EXPECT_FALSE(settings.readBoolean("Option1", false));
  backend.values["Option4"] = "abc";
  EXPECT_THROW(settings.readBoolean("Option4", false), AppError);
  backend.values["Option4"] = "";
  EXPECT_THROW(settings.readBoolean("Option4", false), AppError);
}

TEST_F(SettingsTest, OnIsOnlyTheExactWord) {
  backend.values["Minimized"] = "On";
  EXPECT_TRUE(settings.readOn("Minimized", "Off"));
  backend.values["Minimized"] = "on";
  EXPECT_FALSE(settings.readOn("Minimized", "Off"));
  backend.values["Minimized"] = "True";
  EXPECT_FALSE(settings.readOn("Minimized", "Off"));
  EXPECT_TRUE(settings.readOn("Windows Startup", "On"));
  EXPECT_FALSE(settings.readOn("Windows Startup", "Off"));
}

TEST_F(SettingsTest, TextsAreStoredAsGivenAndAbsentKeysGiveTheDefault) {
  EXPECT_EQ(settings.read("Text1", "0"), "0");
  settings.write("Text1", "abc");
  EXPECT_EQ(settings.read("Text1", "0"), "abc");
  settings.write("Text1", "");
  EXPECT_EQ(settings.read("Text1", "0"), "");  // present but empty is not absent
  backend.refuseWrites = true;
  EXPECT_THROW(settings.write("Text1", "1"), AppError);
}

TEST_F(SettingsTest, AValueOfAnotherKindReadsAsAbsentOnceNoticedAndStaysUntilAChange) {
  backend.otherKinds = {"Option3"};
  EXPECT_EQ(settings.read("Option3", "1"), "1");
  EXPECT_EQ(settings.read("Option3", "1"), "1");
  report.showNotices("Form1.Form_Load", 166);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text,
            errorMessage(otherKindNotice("Option3"), "Form1.Form_Load", 166));
  // Storing again what the program holds keeps the value; later reads see
  // the text written back. So does every write while restoring.
  settings.writeBack("Option3", "False");
  EXPECT_EQ(settings.read("Option3", "1"), "False");
  settings.setRestoring(true);
  settings.write("Option3", "True");
  settings.setRestoring(false);
  EXPECT_EQ(settings.read("Option3", "1"), "True");
  EXPECT_TRUE(backend.otherKinds.contains("Option3"));
  EXPECT_FALSE(backend.values.contains("Option3"));
  // The user's change replaces it.
  settings.write("Option3", "False");
  EXPECT_FALSE(backend.otherKinds.contains("Option3"));
  EXPECT_EQ(backend.values["Option3"], "False");
  settings.writeBack("Text1", "0");  // over text, or nothing, it stores
  EXPECT_EQ(backend.values["Text1"], "0");
  const std::size_t writes = backend.writes.size();
  settings.writeBack("Text1", "0");  // what already reads so is left as it is
  EXPECT_EQ(backend.writes.size(), writes);
  EXPECT_EQ(dialogs.boxes.size(), 1u);
}

}  // namespace
}  // namespace tarnavel
