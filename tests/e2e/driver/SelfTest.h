// The driver's checks of its own tools, run against a fixture: a second
// instance of the driver that shows a window with buttons, two list views and
// message boxes much like the program's. Run with --selftest.
#pragma once

#include <vector>

#include "Harness.h"

namespace e2e {

inline constexpr wchar_t kFixtureTitle[] = L"E2E Fixture";

// The fixture process's whole life: shows its window and pumps until closed.
int runFixture();

std::vector<Case> selfTestCases();

}  // namespace e2e
