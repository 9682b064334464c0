#include <gtest/gtest.h>

#include <string>

#include "core/Request.h"

namespace tarnavel {
namespace {

using namespace std::string_literals;

TEST(Request, OnlyAKnownWordOfTheCurrentFormIsACommand) {
  const struct {
    std::uint64_t kind;
    std::string bytes;
    bool show;
  } cases[] = {
      {kRequestKind, "show", true},
      {kRequestMagic | 2, "show", false},            // a later form
      {kRequestMagic, "show", false},                // version 0
      {kAnswerKind, "show", false},                  // an answer is no request
      {0x4A, "show", false},                         // someone else's kind
      {kRequestKind | (1ull << 32), "show", false},  // only the low bits match
      {kRequestKind, "", false},                     // nothing
      {kRequestKind, "Show", false},                 // words are lower case
      {kRequestKind, "show ", false},                // nothing around the word
      {kRequestKind, "show\0"s, false},              // a C string's terminator
      {kRequestKind, "sh\now", false},               // a control character
      {kRequestKind, "status", false},               // no such command yet
      {kRequestKind, "\xC3\xA9show", false},         // UTF-8, but no word
      {kRequestKind, "show\xFF", false},             // not UTF-8
      {kRequestKind, std::string(kRequestMaxBytes + 1, 's'), false},
      {kRequestKind, std::string(1 << 20, 's'), false},
  };
  for (const auto& c : cases) {
    const auto command = decodeRequest(c.kind, c.bytes);
    EXPECT_EQ(command.has_value(), c.show) << std::hex << c.kind << " " << c.bytes.size();
  }
  EXPECT_EQ(decodeRequest(kRequestKind, requestText(Command::Show)), Command::Show);
}

TEST(Request, AnAnswerIsBoundedUtf8UnderItsOwnKind) {
  EXPECT_EQ(decodeAnswer(kAnswerKind, "Monitoring is on."), "Monitoring is on.");
  EXPECT_EQ(decodeAnswer(kAnswerKind, ""), "");
  EXPECT_EQ(decodeAnswer(kAnswerKind, std::string(kAnswerMaxBytes, 'a')),
            std::string(kAnswerMaxBytes, 'a'));
  EXPECT_FALSE(decodeAnswer(kAnswerKind, std::string(kAnswerMaxBytes + 1, 'a')));
  EXPECT_FALSE(decodeAnswer(kRequestKind, "show"));
  EXPECT_FALSE(decodeAnswer(kAnswerKind, "\xC0\xAF"));
}

TEST(Utf8, WellFormedSequencesOnly) {
  const struct {
    std::string bytes;
    bool ok;
  } cases[] = {
      {"", true},
      {"plain", true},
      {"\xC3\x9C\xE2\x80\x93\xE7\x9B\xA3\xF0\x9F\x98\x80", true},  // Ü – 監 😀
      {"\xF4\x8F\xBF\xBF", true},                                  // U+10FFFF
      {"\x80", false},                                             // a stray continuation
      {"\xC3", false},                                             // cut short
      {"\xE2\x80", false},
      {"\xC3\x41", false},  // no continuation
      {"\xC0\xAF", false},  // overlong '/'
      {"\xE0\x80\xAF", false},
      {"\xF0\x80\x80\xAF", false},
      {"\xED\xA0\x80", false},          // a surrogate
      {"\xF4\x90\x80\x80", false},      // above U+10FFFF
      {"\xF8\x88\x80\x80\x80", false},  // five bytes
      {"\xFE", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(isUtf8(c.bytes), c.ok) << ::testing::PrintToString(c.bytes);
}

}  // namespace
}  // namespace tarnavel
