// Bringing one window of another application to the front.
#pragma once

#include "core/ErrorReport.h"
#include "platform/System.h"

namespace tarnavel {

// How long the foreground window's thread may take to answer before we
// borrow its input: a thread that does not answer is never attached to.
inline constexpr int kAnswerMilliseconds = 100;

// Brings the window forward through the topmost band and then applies the
// show command; SW_SHOW (5) means nothing more. When the system refuses the
// foreground (someone used another program within its lock time-out), the
// right is borrowed once from the foreground window's thread; refused again,
// the window is still raised. A handle that no longer names a window makes
// every step do nothing, without a message. True when the window took the
// foreground.
bool SwitchTo(ErrorReport& report, platform::IWindowSystem& windows, Hwnd32 handle,
              ShowCommand command);

// Brings the window forward on its own display while another display's
// window keeps the foreground: raised above the other ordinary windows and
// shown with the command's counterpart that does not activate (SW_SHOWNA,
// SW_SHOWNOACTIVATE, SW_SHOWMINNOACTIVE). Windows has no maximising without
// activation: SW_SHOWMAXIMIZED is asked for, which activates the window
// where the system lets its thread.
void RaiseWithoutForeground(ErrorReport& report, platform::IWindowSystem& windows, Hwnd32 handle,
                            ShowCommand command);

// The one more try at the foreground: our thread joins the input of the
// foreground window's thread for the call and leaves it again, whatever
// happens. Not tried without a foreground window, when it is ours, or when
// its thread does not answer. True when the window took the foreground.
bool TakeForeground(platform::IWindowSystem& windows, Hwnd32 handle);

}  // namespace tarnavel
