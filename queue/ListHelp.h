// The explanations behind the two "?" buttons beside the lists.
#pragma once

#include <string_view>

namespace tarnavel {

inline constexpr std::string_view kAvailableListHelp =
    "This is the list of windows to potentially switch between. Add them to the Queue below to "
    "actually switch between them.";

inline constexpr std::string_view kQueueHelp =
    "This is the list of windows that will actually be switched between.\r\n\r\n"
    "The selected / highlighted item indicates which window has been switched to last.\r\n\r\n"
    "The Status column displays Valid if the window is still open and Invalid if the window has "
    "been closed (and can no longer be switched to).";

}  // namespace tarnavel
