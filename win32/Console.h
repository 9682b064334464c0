// The console a command was started from. The program is a windows program,
// which gets no console of its own: what a command prints goes to the
// handles it was given (a pipe or file of a script) or else to its parent's
// console, attached for the purpose.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarnavel::win32 {

// The program's arguments after its name, as UTF-8.
std::vector<std::string> commandLineArguments();

// Writes UTF-8 text to standard output, or to standard error; nothing when
// there is nowhere to write.
void writeOut(std::string_view text, bool error = false);

}  // namespace tarnavel::win32
