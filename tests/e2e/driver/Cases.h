// The end-to-end cases of tarnavel.exe.
#pragma once

#include <vector>

#include "Harness.h"

namespace e2e {

// Every case of the program: the window, list and queue cases, the
// switching cases, the cases of the program's life around monitoring, then
// the cases of hostile settings.
std::vector<Case> tarnavelCases();
std::vector<Case> switchingCases();
std::vector<Case> lifecycleCases();
std::vector<Case> hostileCases();
// Not a test: the window set up for the README's screenshot (--picture).
std::vector<Case> pictureCases();

}  // namespace e2e
