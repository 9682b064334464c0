// The end-to-end cases of tarnavel.exe.
#pragma once

#include <vector>

#include "Harness.h"

namespace e2e {

std::vector<Case> tarnavelCases();

}  // namespace e2e
