// The command line of a second start: what a script asks of the running
// Tarnavel ("--on", "--status", ...), its answer, and the usage text. How
// they travel between the two processes is core/Request's.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tarnavel {

enum class Command { None, On, Off, Toggle, Next, Previous, SwitchTo, Show, Status, Quit, Help };

struct CommandRequest {
  Command command = Command::None;
  std::string title;  // of --switch-to
  friend bool operator==(const CommandRequest&, const CommandRequest&) = default;
};

// The exit statuses of a command, and what they mean to a script.
inline constexpr int kExitDone = 0;
inline constexpr int kExitNotRunning = 1;
inline constexpr int kExitNotUnderstood = 2;
inline constexpr int kExitRefused = 3;

struct CommandAnswer {
  int status = kExitDone;
  std::string text;  // printed as it stands; lines end with "\n"
  friend bool operator==(const CommandAnswer&, const CommandAnswer&) = default;
};

// The arguments after the program's name, as UTF-8: one command at most,
// "--name" or "/name" in any letter case, --switch-to with exactly one title.
// Nothing when they are not understood.
std::optional<CommandRequest> parseCommandLine(std::span<const std::string> args);

// The name a command has on the command line ("switch-to"), and the command
// of a name written so (exactly: no prefix, lower case).
std::string_view commandName(Command command);
std::optional<Command> commandOfName(std::string_view name);

// The longest title --switch-to takes.
inline constexpr std::size_t kMaxTitleBytes = 2048;

// Whether the command needs a running copy (all but none, --on, --show and
// --help, which start one, or need none).
bool needsRunningCopy(Command command);

// The usage text, as --help and a command not understood print it.
std::string_view usageText();

}  // namespace tarnavel
