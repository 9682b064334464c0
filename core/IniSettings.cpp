#include "core/IniSettings.h"

#include "core/Chars.h"
#include "platform/Errors.h"

namespace tarnavel {
namespace {

bool isSpaceOrTab(char c) {
  return c == ' ' || c == '\t';
}

constexpr std::string_view kBom = "\xEF\xBB\xBF";

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && isSpaceOrTab(s.front()))
    s.remove_prefix(1);
  while (!s.empty() && isSpaceOrTab(s.back()))
    s.remove_suffix(1);
  return s;
}

// "[Name]" gives Name; nothing for any other line.
std::optional<std::string_view> sectionOf(std::string_view line) {
  line = trimmed(line);
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') return std::nullopt;
  return trimmed(line.substr(1, line.size() - 2));
}

}  // namespace

std::string iniValue(std::string_view text) {
  const bool plain = text.find_first_of("\r\n") == std::string_view::npos &&
                     (text.empty() || (!isSpaceOrTab(text.front()) && !isSpaceOrTab(text.back()) &&
                                       text.front() != '"'));
  if (plain) return std::string(text);
  std::string value = "\"";
  for (const char c : text) {
    switch (c) {
      case '"': value += "\\\""; break;
      case '\\': value += "\\\\"; break;
      case '\r': value += "\\r"; break;
      case '\n': value += "\\n"; break;
      default: value += c;
    }
  }
  value += '"';
  return value;
}

std::optional<std::string> iniText(std::string_view value) {
  if (value.empty() || value.front() != '"') return std::string(value);
  std::string text;
  for (std::size_t i = 1; i < value.size(); ++i) {
    const char c = value[i];
    if (c == '"') {
      if (i + 1 != value.size()) return std::nullopt;
      return text;
    }
    if (c != '\\') {
      text += c;
      continue;
    }
    if (++i == value.size()) return std::nullopt;
    switch (value[i]) {
      case 'r': text += '\r'; break;
      case 'n': text += '\n'; break;
      case '"':
      case '\\': text += value[i]; break;
      default: return std::nullopt;
    }
  }
  return std::nullopt;  // the closing quote is missing: the line was cut
}

IniSettings::IniSettings(platform::ISettingsFile& file) : file_(file) {
  std::optional<std::string> bytes;
  try {
    bytes = file_.read();
  } catch (const std::exception& e) {
    problem_ = "The settings file " + std::string(kIniFileName) + " could not be read (" +
               e.what() + "): the settings are not stored this time.";
    writable_ = false;
    return;
  }
  if (!bytes) return;
  std::string_view text = *bytes;
  if (text.starts_with(kBom)) text.remove_prefix(kBom.size());
  bool ours = false;
  int unread = 0;
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    Line& entry = lines_.emplace_back();
    entry.raw = line;
    if (const auto section = sectionOf(line)) {
      ours = equalsNoCase(*section, kIniSection);
      continue;
    }
    const std::string_view content = trimmed(line);
    if (!ours || content.empty() || content.front() == ';' || content.front() == '#') continue;
    const auto equals = content.find('=');
    const auto key =
        equals == std::string_view::npos ? std::string_view{} : trimmed(content.substr(0, equals));
    const auto value = key.empty() ? std::nullopt : iniText(trimmed(content.substr(equals + 1)));
    if (!value || find(key) != nullptr) {
      ++unread;  // kept as it stands, and written back so
      continue;
    }
    entry.key = key;
    entry.value = *value;
  }
  if (unread > 0) {
    problem_ = "The settings file " + std::string(kIniFileName) + " has " + std::to_string(unread) +
               (unread == 1 ? " line" : " lines") +
               " that could not be read: the settings on them are not used, and the lines are "
               "kept.";
  }
}

IniSettings::Line* IniSettings::find(std::string_view key) {
  for (Line& line : lines_) {
    if (!line.key.empty() && equalsNoCase(line.key, key)) return &line;
  }
  return nullptr;
}

platform::StoredValue IniSettings::read(std::string_view key) {
  if (const Line* line = find(key)) return {line->value, false};
  return {};
}

void IniSettings::write(std::string_view key, std::string_view value) {
  if (Line* line = find(key)) {
    if (line->value == value) return;
    line->value = value;
  } else {
    // After the last line of our section, or in a new section at the end.
    std::optional<std::size_t> last;
    bool ours = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      const Line& line = lines_[i];
      const auto section = line.key.empty() ? sectionOf(line.raw) : std::nullopt;
      if (section) ours = equalsNoCase(*section, kIniSection);
      if (ours && (section || !line.key.empty() || !trimmed(line.raw).empty())) last = i;
    }
    if (!last) {
      std::string header(1, '[');
      header.append(kIniSection).push_back(']');
      lines_.push_back({std::move(header), {}, {}});
      last = lines_.size() - 1;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(*last + 1),
                  Line{{}, std::string(key), std::string(value)});
  }
  if (writable_) file_.replace(text());
}

bool IniSettings::writeOverText(std::string_view key, std::string_view value) {
  write(key, value);
  return true;
}

std::string IniSettings::text() const {
  std::string out;
  for (const Line& line : lines_) {
    if (line.key.empty()) {
      out += line.raw;
    } else {
      out += line.key;
      out += '=';
      out += iniValue(line.value);
    }
    out += "\r\n";
  }
  return out;
}

}  // namespace tarnavel
