// Bringing one window of another application to the front.
#pragma once

#include "core/ErrorReport.h"
#include "platform/System.h"

namespace tarnavel {

// Brings the window forward through the topmost band and then applies the
// show command; SW_SHOW (5) means nothing more. A handle that no longer names
// a window makes every step do nothing, without a message.
void SwitchTo(ErrorReport& report, platform::IWindowSystem& windows, Hwnd32 handle,
              ShowCommand command);

}  // namespace tarnavel
