// A second start's request and the running copy's answer, as any process in
// the session could send them: any kind and bytes decode without a fault; a
// request taken came under the current kind and is written back exactly as
// it came; an answer is taken exactly when it is short enough, UTF-8 and
// starts with a status digit and a line feed, and reads back unchanged.
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

  if (const auto request = decodeRequest(kind, in.text)) {
    if (kind != kRequestKind || in.text != encodeRequest(*request))
      fuzz::fail("a request taken that is not written so", in.text, encodeRequest(*request));
  }

  const bool utf8 = isUtf8(in.text);
  const auto answer = decodeAnswer(kAnswerKind, in.text);
  const bool formed =
      in.text.size() >= 2 && in.text[0] >= '0' && in.text[0] <= '9' && in.text[1] == '\n';
  if (answer.has_value() != (utf8 && formed && in.text.size() <= kAnswerMaxBytes))
    fuzz::fail("an answer taken or refused against its rule", in.text, "");
  if (answer && encodeAnswer(*answer) != in.text)
    fuzz::fail("an answer changed", in.text, encodeAnswer(*answer));
  if (decodeAnswer(kRequestKind, in.text)) fuzz::fail("a request taken as an answer", in.text, "");

  const std::size_t at = in.text.empty() ? 0 : in.pick % (in.text.size() + 1);
  const auto head = in.text.substr(0, at), tail = in.text.substr(at);
  const bool halves = isUtf8(head) && isUtf8(tail);
  if (halves && !utf8) fuzz::fail("two well-formed halves joined are not", head, tail);
  if (utf8 && halves != (tail.empty() || !continuation(tail.front())))
    fuzz::fail("well-formed text split off a character's start", head, tail);
  return 0;
}
