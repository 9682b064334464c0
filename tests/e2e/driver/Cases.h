// The end-to-end cases of tarnavel.exe.
#pragma once

#include <vector>

#include "Harness.h"

namespace e2e {

// Every case of the program: the window, list and queue cases, the
// switching cases, the cases of the program's life around monitoring, then
// the cases of hostile settings and hostile windows.
std::vector<Case> tarnavelCases();
std::vector<Case> switchingCases();
std::vector<Case> lifecycleCases();
std::vector<Case> hostileCases();
std::vector<Case> hostileWindowCases();
// The Options box and its choices for screens left to run on their own.
std::vector<Case> unattendedCases();
// The command line of a second start, run as a script would.
std::vector<Case> commandLineCases();
// Settings and a queue set by policy; a portable copy's settings file.
std::vector<Case> managedCases();
// A queued window's program started again by its command.
std::vector<Case> restartCases();
// Not a test: the window set up for the README's screenshot (--picture).
std::vector<Case> pictureCases();
// The hover pointer, with and without the cursor file beside the program.
std::vector<Case> pointerCases();
// Tab, the arrow keys, Space and Enter in the main window.
std::vector<Case> keyboardCases();
// The installer and the uninstaller; run only when --setup names the installer
// (or when a case of theirs is named).
std::vector<Case> installCases();
// Each display switching on its own; they need two displays (run.sh gives
// them with E2E_DISPLAYS=2) and run only when named.
std::vector<Case> displayCases();

}  // namespace e2e
