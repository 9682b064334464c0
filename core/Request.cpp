#include "core/Request.h"

#include <algorithm>
#include <array>

namespace tarnavel {
namespace {

bool isControl(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < 0x20 || u == 0x7F;
}

}  // namespace

std::string encodeRequest(const CommandRequest& request) {
  std::string bytes(commandName(request.command));
  if (request.command == Command::SwitchTo) {
    bytes += '\n';
    bytes += request.title;
  }
  return bytes;
}

bool isUtf8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    std::size_t length = 0;
    std::uint32_t code = 0;
    std::uint32_t least = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    }
    if ((lead & 0xE0) == 0xC0) {
      length = 2, code = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3, code = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4, code = lead & 0x07, least = 0x10000;
    } else {
      return false;
    }
    if (bytes.size() - i < length) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

std::optional<CommandRequest> decodeRequest(std::uint64_t kind, std::string_view bytes) {
  if (kind != kRequestKind) return std::nullopt;
  if (bytes.empty() || bytes.size() > kRequestMaxBytes || !isUtf8(bytes)) return std::nullopt;
  const auto feed = bytes.find('\n');
  const std::string_view name = bytes.substr(0, feed);
  const std::string_view title =
      feed == std::string_view::npos ? std::string_view() : bytes.substr(feed + 1);
  if (std::any_of(name.begin(), name.end(), isControl) ||
      std::any_of(title.begin(), title.end(), isControl)) {
    return std::nullopt;
  }
  const auto command = commandOfName(name);
  // None and --help are not sent.
  if (!command || *command == Command::None || *command == Command::Help) return std::nullopt;
  // A title comes with --switch-to, and only with it.
  if ((*command == Command::SwitchTo) != (feed != std::string_view::npos)) return std::nullopt;
  if (*command == Command::SwitchTo && title.empty()) return std::nullopt;
  return CommandRequest{*command, std::string(title)};
}

std::string encodeAnswer(const CommandAnswer& answer) {
  std::string bytes(1, static_cast<char>('0' + std::clamp(answer.status, 0, 9)));
  bytes += '\n';
  bytes += answer.text;
  return bytes;
}

std::optional<CommandAnswer> decodeAnswer(std::uint64_t kind, std::string_view bytes) {
  if (kind != kAnswerKind || bytes.size() < 2 || bytes.size() > kAnswerMaxBytes || bytes[0] < '0' ||
      bytes[0] > '9' || bytes[1] != '\n' || !isUtf8(bytes)) {
    return std::nullopt;
  }
  return CommandAnswer{bytes[0] - '0', std::string(bytes.substr(2))};
}

}  // namespace tarnavel
