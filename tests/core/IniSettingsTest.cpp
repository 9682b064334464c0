#include "core/IniSettings.h"

#include <gtest/gtest.h>

#include "platform/Errors.h"
#include "tests/fakes/FakeSystem.h"

namespace tarnavel {
namespace {

constexpr std::string_view kComment = "; Settings of this portable copy.";

TEST(IniSettings, EveryTextReadsBackAsItWasWrittenAndPlainOnesStayReadable) {
  fake::FakeSettingsFile file;
  file.bytes = std::string("\xEF\xBB\xBF") + std::string(kComment) + "\r\n";
  const std::pair<std::string, std::string> values[] = {
      {"Text1", "5"},
      {"Weekly Time", "08:30:00"},
      {"Queued Windows", "132||||||||123|||Zürich – Übersicht 東京||||||||123|||||||||||234|||"},
      {"Queued Window Commands", "\"C:\\Program Files\\Board\\board.exe\" --wall"},
      {"Two lines", "first\r\nsecond\\n"},
      {"Blanks", "  padded  "},
      {"Empty", ""},
  };
  {
    IniSettings ini(file);
    for (const auto& [key, value] : values)
      ini.write(key, value);
  }
  EXPECT_EQ(file.replaced, 7);
  const std::string& text = *file.bytes;
  EXPECT_TRUE(text.starts_with(std::string(kComment) + "\r\n[Tarnavel]\r\nText1=5\r\n")) << text;
  EXPECT_NE(text.find("\"\\\"C:\\\\Program Files"), std::string::npos) << text;

  IniSettings again(file);
  EXPECT_FALSE(again.problem());
  for (const auto& [key, value] : values)
    EXPECT_EQ(again.read(key).text, value) << key;
  EXPECT_EQ(again.read("text1").text, "5");  // names are read as the registry reads them
  EXPECT_FALSE(again.read("Absent").text);
}

TEST(IniSettings, LinesThatDoNotReadAreReportedOnceAndNeverWrittenAway) {
  fake::FakeSettingsFile file;
  file.bytes =
      "[Other]\nText1=9\n"
      "[Tarnavel]\nText1=5\nno equals sign\nText1=7\nWeekly Time=\"08:3";  // cut mid-write
  IniSettings ini(file);
  ASSERT_TRUE(ini.problem());
  EXPECT_NE(ini.problem()->find("3 lines"), std::string::npos) << *ini.problem();
  EXPECT_EQ(ini.read("Text1").text, "5");
  EXPECT_FALSE(ini.read("Weekly Time").text);

  ini.write("Text2", "1");
  EXPECT_EQ(*file.bytes,
            "[Other]\r\nText1=9\r\n[Tarnavel]\r\nText1=5\r\nno equals sign\r\nText1=7\r\n"
            "Weekly Time=\"08:3\r\nText2=1\r\n");
}

TEST(IniSettings, AFileThatCannotBeReadIsNeverWrittenOver) {
  fake::FakeSettingsFile file;
  file.bytes = "[Tarnavel]\nText1=5\n";
  file.refusesReads = true;
  IniSettings ini(file);
  ASSERT_TRUE(ini.problem());
  ini.write("Text1", "9");
  EXPECT_EQ(ini.read("Text1").text, "9");  // for this run
  EXPECT_EQ(file.replaced, 0);
  EXPECT_EQ(*file.bytes, "[Tarnavel]\nText1=5\n");
}

TEST(IniSettings, ARefusedWriteIsAFailureOfTheWrite) {
  fake::FakeSettingsFile file;
  file.refusesWrites = true;
  IniSettings ini(file);  // no file yet: an empty store, nothing to report
  EXPECT_FALSE(ini.problem());
  EXPECT_THROW(ini.write("Text1", "9"), AppError);
  EXPECT_EQ(ini.text(), "[Tarnavel]\r\nText1=9\r\n");
}

}  // namespace
}  // namespace tarnavel
