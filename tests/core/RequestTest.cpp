#include <gtest/gtest.h>

#include <string>

#include "core/Request.h"

namespace tarnavel {
namespace {

using namespace std::string_literals;

TEST(Request, OnlyACommandOfTheCurrentFormIsTaken) {
  const struct {
    std::uint64_t kind;
    std::string bytes;
    std::optional<CommandRequest> wanted;
  } cases[] = {
      {kRequestKind, "show", CommandRequest{Command::Show, {}}},
      {kRequestKind, "on", CommandRequest{Command::On, {}}},
      {kRequestKind, "status", CommandRequest{Command::Status, {}}},
      {kRequestKind, "switch-to\nBoard \xE2\x80\x93 1",
       CommandRequest{Command::SwitchTo, "Board – 1"}},
      {kRequestMagic | 2, "show", std::nullopt},            // a later form
      {kRequestMagic, "show", std::nullopt},                // version 0
      {kAnswerKind, "show", std::nullopt},                  // an answer is no request
      {0x4A, "show", std::nullopt},                         // someone else's kind
      {kRequestKind | (1ull << 32), "show", std::nullopt},  // only the low bits match
      {kRequestKind, "", std::nullopt},                     // nothing
      {kRequestKind, "Show", std::nullopt},                 // names are lower case
      {kRequestKind, "--show", std::nullopt},               // names, not options
      {kRequestKind, "show ", std::nullopt},                // nothing around the name
      {kRequestKind, "show\0"s, std::nullopt},              // a C string's terminator
      {kRequestKind, "sh\now", std::nullopt},               // a control character
      {kRequestKind, "help", std::nullopt},                 // answered where asked
      {kRequestKind, "quit\n", std::nullopt},               // a title only with switch-to
      {kRequestKind, "switch-to", std::nullopt},            // and there always
      {kRequestKind, "switch-to\n", std::nullopt},
      {kRequestKind, "switch-to\na\nb", std::nullopt},
      {kRequestKind, "switch-to\na\tb", std::nullopt},
      {kRequestKind, "\xC3\xA9show", std::nullopt},  // UTF-8, but no name
      {kRequestKind, "show\xFF", std::nullopt},      // not UTF-8
      {kRequestKind, std::string(kRequestMaxBytes + 1, 's'), std::nullopt},
      {kRequestKind, std::string(1 << 20, 's'), std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(decodeRequest(c.kind, c.bytes), c.wanted)
        << std::hex << c.kind << " " << c.bytes.size();
  }
  for (const CommandRequest& r :
       {CommandRequest{Command::Quit, {}}, CommandRequest{Command::Previous, {}},
        CommandRequest{Command::SwitchTo, std::string(kMaxTitleBytes, 'x')}}) {
    EXPECT_EQ(decodeRequest(kRequestKind, encodeRequest(r)), r);
  }
}

TEST(Request, AnAnswerIsAStatusAndBoundedUtf8UnderItsOwnKind) {
  const CommandAnswer refused{kExitRefused, "Please add items.\n"};
  EXPECT_EQ(decodeAnswer(kAnswerKind, encodeAnswer(refused)), refused);
  EXPECT_EQ(decodeAnswer(kAnswerKind, "0\n"), CommandAnswer{});
  EXPECT_EQ(decodeAnswer(kAnswerKind, "0\n" + std::string(kAnswerMaxBytes - 2, 'a'))->text.size(),
            kAnswerMaxBytes - 2);
  EXPECT_FALSE(decodeAnswer(kAnswerKind, "0\n" + std::string(kAnswerMaxBytes, 'a')));
  EXPECT_FALSE(decodeAnswer(kRequestKind, "0\n"));
  EXPECT_FALSE(decodeAnswer(kAnswerKind, "0\n\xC0\xAF"));
  EXPECT_FALSE(decodeAnswer(kAnswerKind, "3"));
  EXPECT_FALSE(decodeAnswer(kAnswerKind, "x\nfine"));
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
