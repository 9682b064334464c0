// xdotool on the X display beside Wine, run by the runner for the driver:
// keys typed this way reach Wine the way a user's do, through the X server,
// the low-level keyboard hooks and the window that has the focus.
#pragma once

#include <string>
#include <vector>

#include "Harness.h"

namespace e2e {

// Runs xdotool with these arguments and waits for it to end; false, with
// the reason in error, when the runner offers no xdotool, the call does not
// end within timeoutMs or xdotool fails. With output, what xdotool printed.
bool xdotool(const Options& options, const std::vector<std::string>& args, int timeoutMs,
             std::string& error, std::string* output = nullptr);

}  // namespace e2e
