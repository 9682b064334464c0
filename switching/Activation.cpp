#include "switching/Activation.h"

#include "core/Main.h"

namespace tarnavel {

void SwitchTo(ErrorReport& report, platform::IWindowSystem& windows, Hwnd32 handle,
              ShowCommand command) {
  Guard g(report, "Enum.SwitchTo");
  g.step(100, [&] { windows.allowAnyForeground(); });
  g.step(102, [&] { windows.setForeground(handle); });
  // Entering the topmost band raises the window above every ordinary one,
  // even where the system refused the foreground change; leaving it again at
  // the end keeps it in front without pinning it there.
  g.step(104, [&] { SetTopmost(windows, handle, true); });
  g.step(106, [&] { windows.show(handle, ShowCommand::Show); });
  if (g.test(108, [&] { return command != ShowCommand::Show; })) {
    g.step(110, [&] { windows.show(handle, command); });
  }
  g.step(112, [&] { SetTopmost(windows, handle, false); });
}

}  // namespace tarnavel
