// The command line of a second start.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/Commands.h"

namespace tarnavel {
namespace {

TEST(CommandLine, ReadsEveryCommandWithEitherPrefixInAnyCaseAndRefusesBadForms) {
  using V = std::vector<std::string>;
  const struct {
    V args;
    std::optional<CommandRequest> wanted;
  } cases[] = {
      {{}, CommandRequest{}},
      {{"--on"}, CommandRequest{Command::On, {}}},
      {{"/ON"}, CommandRequest{Command::On, {}}},
      {{"--Off"}, CommandRequest{Command::Off, {}}},
      {{"/toggle"}, CommandRequest{Command::Toggle, {}}},
      {{"--NEXT"}, CommandRequest{Command::Next, {}}},
      {{"/Previous"}, CommandRequest{Command::Previous, {}}},
      {{"--show"}, CommandRequest{Command::Show, {}}},
      {{"/status"}, CommandRequest{Command::Status, {}}},
      {{"--quit"}, CommandRequest{Command::Quit, {}}},
      {{"/help"}, CommandRequest{Command::Help, {}}},
      {{"--switch-to", "Überwachung – 監視"},
       CommandRequest{Command::SwitchTo, "Überwachung – 監視"}},
      {{"/SWITCH-TO", "Board --on"}, CommandRequest{Command::SwitchTo, "Board --on"}},
      // Not understood: unknown, no prefix, a missing, empty or extra
      // argument, two commands, a title no request can carry.
      {{"--start"}, std::nullopt},
      {{"on"}, std::nullopt},
      {{"-on"}, std::nullopt},
      {{"--"}, std::nullopt},
      {{"/"}, std::nullopt},
      {{"--switch-to"}, std::nullopt},
      {{"--switch-to", ""}, std::nullopt},
      {{"--switch-to", "a", "b"}, std::nullopt},
      {{"--on", "--off"}, std::nullopt},
      {{"--status", "now"}, std::nullopt},
      {{"--switch-to", "two\nlines"}, std::nullopt},
      {{"--switch-to", std::string("\xC3\x28")}, std::nullopt},
      {{"--switch-to", std::string(3000, 'x')}, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.empty() ? std::string("(none)") : c.args[0]);
    EXPECT_EQ(parseCommandLine(c.args), c.wanted);
  }
}

}  // namespace
}  // namespace tarnavel
