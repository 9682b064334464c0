// The settings of a portable copy: a file "Tarnavel.ini" beside the program,
// section [Tarnavel], one line "Name=text" per setting, UTF-8. A text that
// would not read back as it is (a line break, blanks at an end, a leading
// quote) is written in double quotes with \" \\ \r \n escapes.
//
// Lines the store does not understand (comments, other sections, a line cut
// short) are kept as they are, so that rewriting the file never loses what
// it held. A file that cannot be read at all is never written over: changes
// are then kept in memory for the run.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/System.h"

namespace tarnavel {

inline constexpr std::string_view kIniFileName = "Tarnavel.ini";
inline constexpr std::string_view kIniSection = "Tarnavel";

class IniSettings final : public platform::ISettingsBackend {
 public:
  // Reads the file at once.
  explicit IniSettings(platform::ISettingsFile& file);

  platform::StoredValue read(std::string_view key) override;
  void write(std::string_view key, std::string_view value) override;
  bool writeOverText(std::string_view key, std::string_view value) override;

  // What was wrong with the file as read, to report once; nothing when fine.
  const std::optional<std::string>& problem() const { return problem_; }
  // The file's text as it would be written now.
  std::string text() const;

 private:
  struct Line {
    std::string raw;    // as read, for every line that is not one of ours
    std::string key;    // set for a setting's line of our section
    std::string value;  // its text
  };
  Line* find(std::string_view key);

  platform::ISettingsFile& file_;
  std::vector<Line> lines_;
  std::optional<std::string> problem_;
  bool writable_ = true;
};

// A setting's text as the file holds it, and back: nothing when a quoted
// text is cut short.
std::string iniValue(std::string_view text);
std::optional<std::string> iniText(std::string_view value);

}  // namespace tarnavel
