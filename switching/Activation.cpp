#include "switching/Activation.h"

#include "core/Main.h"

namespace tarnavel {

bool TakeForeground(platform::IWindowSystem& windows, Hwnd32 handle) {
  const Hwnd32 front = windows.foregroundWindow();
  if (front == 0) return false;
  const std::uint32_t theirs = windows.threadOf(front);
  const std::uint32_t ours = windows.ownThread();
  if (theirs == 0 || theirs == ours) return false;
  // Joined to a thread that has stopped taking messages, ours would wait
  // with it: the input of joined threads is handled in turn.
  if (!windows.answers(front, kAnswerMilliseconds)) return false;
  if (!windows.attachInput(ours, theirs, true)) return false;
  bool taken = false;
  try {
    taken = windows.setForeground(handle);
  } catch (...) {
    windows.attachInput(ours, theirs, false);
    throw;
  }
  windows.attachInput(ours, theirs, false);
  return taken;
}

bool SwitchTo(ErrorReport& report, platform::IWindowSystem& windows, Hwnd32 handle,
              ShowCommand command) {
  Guard g(report, "Enum.SwitchTo");
  g.step(100, [&] { windows.allowAnyForeground(); });
  // Refused only when the call came back and the window is not in front; a
  // call that failed is reported, not tried again.
  bool refused = false;
  bool taken = false;
  g.step(102, [&] {
    taken = windows.setForeground(handle);
    if (taken) return;
    const bool there = windows.exists(handle);
    taken = there && windows.foregroundWindow() == handle;
    refused = there && !taken;
  });
  if (refused) g.step(103, [&] { taken = TakeForeground(windows, handle); });
  // Entering the topmost band raises the window above every ordinary one,
  // even where the system refused the foreground change; leaving it again at
  // the end keeps it in front without pinning it there. Every step runs
  // whatever the ones before it did, so the window never stays in the band.
  g.step(104, [&] { SetTopmost(windows, handle, true); });
  g.step(106, [&] { windows.show(handle, ShowCommand::Show); });
  if (g.test(108, [&] { return command != ShowCommand::Show; })) {
    g.step(110, [&] { windows.show(handle, command); });
  }
  g.step(112, [&] { SetTopmost(windows, handle, false); });
  return taken;
}

void RaiseWithoutForeground(ErrorReport& report, platform::IWindowSystem& windows, Hwnd32 handle,
                            ShowCommand command) {
  Guard g(report, "Enum.RaiseWithoutForeground");
  g.step(100, [&] { windows.raise(handle); });
  g.step(102, [&] {
    switch (command) {
      case ShowCommand::Normal:
      case ShowCommand::Restore: return windows.show(handle, ShowCommand::ShowNoActivate);
      case ShowCommand::Minimize: return windows.show(handle, ShowCommand::MinimizeNoActive);
      case ShowCommand::Maximized: return windows.show(handle, ShowCommand::Maximized);
      default: return windows.show(handle, ShowCommand::ShowNoActivation);
    }
  });
}

}  // namespace tarnavel
