// What a second start of the program in the same session asks of the copy
// already running there, and the answer it gets back. The system carries both
// as WM_COPYDATA: a kind (the record's dwData) and a few bytes. The kind is
// our magic with the form's version in its low byte; the bytes are a command
// word in UTF-8. Whatever else arrives is refused here and ignored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnavel {

// "TRN" and the version of the form.
inline constexpr std::uint64_t kRequestMagic = 0x54524E00;
inline constexpr std::uint64_t kRequestVersion = 1;
inline constexpr std::uint64_t kRequestKind = kRequestMagic | kRequestVersion;
// The answer travels the other way under a kind of its own, so that neither
// side can take one for the other.
inline constexpr std::uint64_t kAnswerKind = kRequestMagic | 0x80 | kRequestVersion;
// The longest request and answer read; anything longer is refused unread.
inline constexpr std::size_t kRequestMaxBytes = 64;
inline constexpr std::size_t kAnswerMaxBytes = 4096;

enum class Command {
  // Bring the window up, out of the tray if it is there, in front.
  Show,
};

// The bytes that carry a command.
std::string_view requestText(Command command);

// The command of a request, or nothing for a wrong kind or version, no bytes
// or too many, bytes that are not UTF-8 or hold a control character, or a
// word that is no command.
std::optional<Command> decodeRequest(std::uint64_t kind, std::string_view bytes);

// The text of an answer, or nothing for a wrong kind, too many bytes or bytes
// that are not UTF-8. An empty answer is one.
std::optional<std::string> decodeAnswer(std::uint64_t kind, std::string_view bytes);

// Well-formed UTF-8: no stray or missing continuation byte, no overlong form,
// no surrogate, nothing above U+10FFFF.
bool isUtf8(std::string_view bytes);

}  // namespace tarnavel
