#include "core/Request.h"

#include <algorithm>
#include <array>

namespace tarnavel {
namespace {

struct Word {
  std::string_view text;
  Command command;
};
constexpr std::array kWords{Word{"show", Command::Show}};

bool isControl(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < 0x20 || u == 0x7F;
}

}  // namespace

std::string_view requestText(Command command) {
  for (const Word& w : kWords) {
    if (w.command == command) return w.text;
  }
  return {};
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

std::optional<Command> decodeRequest(std::uint64_t kind, std::string_view bytes) {
  if (kind != kRequestKind) return std::nullopt;
  if (bytes.empty() || bytes.size() > kRequestMaxBytes) return std::nullopt;
  if (!isUtf8(bytes) || std::any_of(bytes.begin(), bytes.end(), isControl)) return std::nullopt;
  for (const Word& w : kWords) {
    if (w.text == bytes) return w.command;
  }
  return std::nullopt;
}

std::optional<std::string> decodeAnswer(std::uint64_t kind, std::string_view bytes) {
  if (kind != kAnswerKind || bytes.size() > kAnswerMaxBytes || !isUtf8(bytes)) {
    return std::nullopt;
  }
  return std::string(bytes);
}

}  // namespace tarnavel
