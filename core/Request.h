// What a second start of the program in the same session asks of the copy
// already running there, and the answer it gets back. The system carries both
// as WM_COPYDATA: a kind (the record's dwData) and bytes. The kind is our
// magic with the form's version in its low byte; a request's bytes are a
// command's name in UTF-8 ("status"; "switch-to", a line feed and the title),
// an answer's its exit status as one digit, a line feed and its text.
// Whatever else arrives is refused here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/Commands.h"

namespace tarnavel {

// "TRN" and the version of the form.
inline constexpr std::uint64_t kRequestMagic = 0x54524E00;
inline constexpr std::uint64_t kRequestVersion = 1;
inline constexpr std::uint64_t kRequestKind = kRequestMagic | kRequestVersion;
// The answer travels the other way under a kind of its own, so that neither
// side can take one for the other.
inline constexpr std::uint64_t kAnswerKind = kRequestMagic | 0x80 | kRequestVersion;
// The longest request and answer read; anything longer is refused unread.
inline constexpr std::size_t kRequestMaxBytes = 4096;
inline constexpr std::size_t kAnswerMaxBytes = 1 << 20;

// The bytes that carry a command (none, --help: not sent).
std::string encodeRequest(const CommandRequest& request);

// The command of a request, or nothing for a wrong kind or version, no bytes
// or too many, bytes that are not UTF-8 or hold a control character (but the
// one line feed before a title), or a name that is no command to send.
std::optional<CommandRequest> decodeRequest(std::uint64_t kind, std::string_view bytes);

// The bytes of an answer, and the answer of bytes: nothing for a wrong kind,
// too many bytes, bytes that are not UTF-8, or no status digit and line feed.
std::string encodeAnswer(const CommandAnswer& answer);
std::optional<CommandAnswer> decodeAnswer(std::uint64_t kind, std::string_view bytes);

// Well-formed UTF-8: no stray or missing continuation byte, no overlong form,
// no surrogate, nothing above U+10FFFF.
bool isUtf8(std::string_view bytes);

}  // namespace tarnavel
