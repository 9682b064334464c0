// The program's icon in the notification area: its tip and picture, a balloon
// on it, and the shell's mouse notifications for it turned into events.
//
// What the program wants (InTray) is kept apart from what the shell shows
// (iconShown): a shell that refused the icon, or a taskbar that restarted
// and forgot it, is given the icon again on the next "TaskbarCreated". At
// log-on the shell often refuses the icon while it is still starting, and
// no "TaskbarCreated" follows: a refused icon is asked for again every few
// seconds for the first minutes after the refusal.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/System.h"
#include "platform/Ui.h"

namespace tarnavel {

// The shell's notification numbers that reach the icon's callback.
inline constexpr std::uint32_t kTrayCallback = 1125;  // WM_USER + 101
inline constexpr std::uint32_t kNinBalloonHide = 1027;
inline constexpr std::uint32_t kNinBalloonTimeout = 1028;
inline constexpr std::uint32_t kNinBalloonUserClick = 1029;

// The icon's events. The button is 1 for the left one, 2 for the right one;
// the id is the icon's. An event nobody set is not raised.
struct TrayEvents {
  std::function<void(std::int32_t id)> MouseMove;
  std::function<void(int button, std::int32_t id)> MouseDown;
  std::function<void(int button, std::int32_t id)> MouseUp;
  std::function<void(int button, std::int32_t id)> MouseDblClick;
  // What the shell shows changed without the program asking: a retry got
  // the icon up (true), or a restarted taskbar refused it (false).
  std::function<void(bool shown)> IconChanged;
};

class cSysTray {
 public:
  static constexpr std::string_view kDefaultTip = "Vudedi Redivu";

  // How often, and how many times, a refused icon is asked for again.
  static constexpr int kRetryMs = 5000;
  static constexpr int kRetries = 60;

  // Without a retry timer a refused icon waits for the next "TaskbarCreated".
  cSysTray(platform::INotifyArea& shell, platform::IMessageLoop& loop, TrayEvents events,
           platform::ITimer* retry = nullptr);
  // An icon still in the tray leaves it with the control.
  ~cSysTray();
  cSysTray(const cSysTray&) = delete;
  cSysTray& operator=(const cSysTray&) = delete;

  bool InTray() const { return inTray_; }
  void setInTray(bool on);
  const std::string& TrayTip() const { return tip_; }
  void setTrayTip(std::string_view tip);
  IconHandle TrayIcon() const { return icon_; }
  // No icon (0) changes nothing.
  void setTrayIcon(IconHandle icon);

  // Shows a balloon on the icon and holds the caller, while messages go on
  // being handled, until the shell reports it closed or `seconds` are up.
  // With `once`, only the first such balloon of this control is shown.
  void ShowBalloon(std::string_view text, std::string_view title, int seconds, bool once);

  // The icon's callback: raises the event of a mouse notification, or notes
  // that the balloon has gone.
  void DispatchTrayMessage(std::uint32_t notification, std::int32_t id);
  // The taskbar restarted without the icon: put it back if it is wanted,
  // with minutes of retries of its own when it is refused.
  void TaskbarCreated();
  // The retry timer's tick: asks the shell again for a refused icon.
  void RetryTimer();

  bool iconShown() const { return shown_; }

 private:
  void AddTrayIcon();
  void RemoveTrayIcon();
  // A change of tip or icon reaches the shell only while it shows the icon.
  void modifyShown(const TrayRecord& record);
  void startRetries();
  void stopRetries();

  platform::INotifyArea& shell_;
  platform::IMessageLoop& loop_;
  TrayEvents events_;
  platform::ITimer* retry_;
  bool retrying_ = false;
  int retries_ = 0;
  bool inTray_ = false;
  bool shown_ = false;
  std::int32_t id_ = 0;
  std::string tip_{kDefaultTip};
  IconHandle icon_ = 0;
  bool balloonVisible_ = false;
  int balloonCount_ = 0;
};

}  // namespace tarnavel
