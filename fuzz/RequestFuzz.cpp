// A second start's request and the running copy's answer, as any process in
// the session could send them: any kind and bytes decode without a fault; a
// request taken is exactly a command's word under the current kind; an
// answer is taken exactly when it is short enough and UTF-8, and unchanged.
// Well-formed UTF-8 splits into two well-formed halves exactly at a
// character's start, and two well-formed texts joined stay well-formed.
#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "core/Request.h"

namespace {

bool continuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnavel;
  const fuzz::Input in(data, size);
  const std::uint64_t kinds[] = {kRequestKind, kAnswerKind, kRequestMagic | 2, in.pick};
  const std::uint64_t kind = kinds[in.pick % 4];

  if (const auto command = decodeRequest(kind, in.text)) {
    if (kind != kRequestKind || in.text != requestText(*command))
      fuzz::fail("a request taken that is no command's word", in.text, requestText(*command));
  }

  const bool utf8 = isUtf8(in.text);
  const auto answer = decodeAnswer(kAnswerKind, in.text);
  if (answer.has_value() != (utf8 && in.text.size() <= kAnswerMaxBytes))
    fuzz::fail("an answer taken or refused against its rule", in.text, "");
  if (answer && *answer != in.text) fuzz::fail("an answer changed", in.text, *answer);
  if (decodeAnswer(kRequestKind, in.text)) fuzz::fail("a request taken as an answer", in.text, "");

  const std::size_t at = in.text.empty() ? 0 : in.pick % (in.text.size() + 1);
  const auto head = in.text.substr(0, at), tail = in.text.substr(at);
  const bool halves = isUtf8(head) && isUtf8(tail);
  if (halves && !utf8) fuzz::fail("two well-formed halves joined are not", head, tail);
  if (utf8 && halves != (tail.empty() || !continuation(tail.front())))
    fuzz::fail("well-formed text split off a character's start", head, tail);
  return 0;
}
