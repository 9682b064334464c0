// The program's help: why some applications never show up in the list, and
// where to ask.
#pragma once

#include <string_view>

namespace tarnavel {

inline constexpr std::string_view kContactPage = "http://www.kestrine.example/contact/";

// The two breaks before the last sentence are bare carriage returns.
inline constexpr std::string_view kHelpMessage =
    "This software sometimes cannot find non-traditional apps and therefore they will not appear "
    "in the 'Available Applications' list.\r\n\r\n"
    "These unfindable apps usually look different and do not have a traditional window title "
    "bar, minimize, maximize and close buttons.\r\n\r\n"
    "Some apps such as games, video players can not be found.\r\r"
    "Questions? Please contact Team Kestrine at http://www.kestrine.example/contact/";

static_assert(kHelpMessage.ends_with(kContactPage));

}  // namespace tarnavel
