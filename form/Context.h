// What the main window's subsystems share: its controls, the system
// services, the error report, the settings store and the few program-wide
// values every part may read.
#pragma once

#include <string>

#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "form/Form1Controls.h"

namespace tarnavel {

struct Context {
  Form1Controls& ui;
  Services& sys;
  ErrorReport& report;
  Settings& settings;
  // Set once at start-up.
  const std::string& appTitle;
  // True while the load step restores the saved state.
  const bool& loading;
  // True while a command of a second start runs: it is carried out as the
  // matching click, but nothing asks the user (nobody may be at the screen).
  bool quiet = false;
};

}  // namespace tarnavel
