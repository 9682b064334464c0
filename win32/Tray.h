// The notification area through Shell_NotifyIconW, for the main window's one
// icon (id 0). Its callback and the taskbar's "TaskbarCreated" broadcast,
// which reaches top-level windows only, come to the main window and go on to
// the logic as onTrayMessage and onTaskbarCreated.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include "platform/System.h"
#include "win32/Handles.h"
#include "win32/MainWindow.h"

namespace tarnavel::win32 {

// The shell's record for one call: the logic's fields, each text cut at its
// field (never between the two halves of a surrogate pair).
NOTIFYICONDATAW trayRecord(HWND window, const TrayRecord& record);

class NotifyArea final : public platform::INotifyArea {
 public:
  // The icon itself belongs to the logic's tray control, which takes it out.
  NotifyArea(HINSTANCE instance, MainWindow& window);
  NotifyArea(const NotifyArea&) = delete;
  NotifyArea& operator=(const NotifyArea&) = delete;

  bool notify(TrayCommand command, const TrayRecord& record) override;
  IconHandle appIcon() override;

 private:
  HWND window_;
  Icon icon_;
};

}  // namespace tarnavel::win32
