#include "core/Commands.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "core/Chars.h"
#include "core/Request.h"

namespace tarnavel {
namespace {

struct Named {
  Command command;
  std::string_view name;
};
constexpr std::array<Named, 10> kNames = {{{Command::On, "on"},
                                           {Command::Off, "off"},
                                           {Command::Toggle, "toggle"},
                                           {Command::Next, "next"},
                                           {Command::Previous, "previous"},
                                           {Command::SwitchTo, "switch-to"},
                                           {Command::Show, "show"},
                                           {Command::Status, "status"},
                                           {Command::Quit, "quit"},
                                           {Command::Help, "help"}}};

std::optional<Command> commandNamed(std::string_view name) {
  for (const auto& n : kNames) {
    if (equalsNoCase(n.name, name)) return n.command;
  }
  return std::nullopt;
}

bool hasControlCharacter(std::string_view text) {
  return std::ranges::any_of(text, [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7f;
  });
}

}  // namespace

std::string_view commandName(Command command) {
  for (const auto& n : kNames) {
    if (n.command == command) return n.name;
  }
  return {};
}

std::optional<Command> commandOfName(std::string_view name) {
  for (const auto& n : kNames) {
    if (n.name == name) return n.command;
  }
  return std::nullopt;
}

std::optional<CommandRequest> parseCommandLine(std::span<const std::string> args) {
  if (args.empty()) return CommandRequest{};
  std::string_view first = args[0];
  if (first.starts_with("--")) {
    first.remove_prefix(2);
  } else if (first.starts_with("/")) {
    first.remove_prefix(1);
  } else {
    return std::nullopt;
  }
  const auto command = commandNamed(first);
  if (!command) return std::nullopt;
  if (*command == Command::SwitchTo) {
    if (args.size() != 2 || args[1].empty() || !isUtf8(args[1]) || hasControlCharacter(args[1]) ||
        args[1].size() > kMaxTitleBytes) {
      return std::nullopt;
    }
    return CommandRequest{*command, args[1]};
  }
  if (args.size() != 1) return std::nullopt;
  return CommandRequest{*command, {}};
}

bool needsRunningCopy(Command command) {
  return command != Command::None && command != Command::On && command != Command::Show &&
         command != Command::Help;
}

std::string_view usageText() {
  return "Usage: tarnavel.exe [command]   (/command works too, in any letter case)\n"
         "\n"
         "  (none)               start Tarnavel; if it runs already, its window comes up\n"
         "  --on                 switching on, as \"Turn On\" (starts Tarnavel if needed)\n"
         "  --off                switching off, as \"Turn Off\"\n"
         "  --toggle             as Ctrl+Shift+T\n"
         "  --next               the next queued window that is open comes forward now\n"
         "  --previous           the previous queued window that is open comes forward now\n"
         "  --switch-to \"TITLE\"  the queued window with exactly this title comes forward now\n"
         "  --show               the window comes up, as a click on the tray icon\n"
         "  --status             On or Off, the queue with each row's Status, the row in\n"
         "                       front and the seconds to the next switch\n"
         "  --quit               Tarnavel closes the normal way (its queue is stored)\n"
         "  --help               this text\n"
         "\n"
         "Exit status: 0 done; 1 Tarnavel is not running; 2 not understood (this text);\n"
         "3 refused by Tarnavel (the reason is printed).\n";
}

}  // namespace tarnavel
