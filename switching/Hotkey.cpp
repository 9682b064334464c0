#include "switching/Hotkey.h"

#include <exception>

namespace tarnavel {

void HookKeeper::install() {
  wanted_ = true;
  try {
    hook_.install();
  } catch (...) {
    failing_ = true;
    startChecks();
    throw;
  }
  failing_ = false;
  startChecks();
}

void HookKeeper::startChecks() {
  check_.setInterval(kCheckMs);
  check_.setEnabled(true);
}

void HookKeeper::reinstall(std::string_view location) {
  if (!wanted_) return;
  try {
    hook_.remove();
    hook_.install();
    failing_ = false;
  } catch (...) {
    if (failing_) return;
    // Set before the box: the checks that run under it add no other box.
    failing_ = true;
    report_.show(describeFailure(std::current_exception()), location, 0);
  }
}

void HookKeeper::remove() {
  wanted_ = false;
  hook_.remove();
  check_.setEnabled(false);
}

}  // namespace tarnavel
