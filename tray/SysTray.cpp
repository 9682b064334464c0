#include "tray/SysTray.h"

#include <limits>

#include "platform/Errors.h"

namespace tarnavel {
namespace {

constexpr std::uint32_t kMouseMove = 512;
constexpr std::uint32_t kLeftDown = 513, kLeftUp = 514, kLeftDouble = 515;
constexpr std::uint32_t kRightDown = 516, kRightUp = 517, kRightDouble = 518;

}  // namespace

cSysTray::cSysTray(platform::INotifyArea& shell, platform::IMessageLoop& loop, TrayEvents events,
                   platform::ITimer* retry)
    : shell_(shell),
      loop_(loop),
      events_(std::move(events)),
      retry_(retry),
      icon_(shell.appIcon()) {}

cSysTray::~cSysTray() {
  try {
    setInTray(false);
  } catch (...) {
    // The shell drops the icon of a window that is gone in any case.
  }
}

void cSysTray::setInTray(bool on) {
  if (on == inTray_) return;
  inTray_ = on;
  if (on) {
    AddTrayIcon();
    return;
  }
  stopRetries();
  if (shown_) RemoveTrayIcon();
}

void cSysTray::modifyShown(const TrayRecord& record) {
  if (shown_) shell_.notify(TrayCommand::Modify, record);
}

void cSysTray::setTrayTip(std::string_view tip) {
  TrayRecord record;
  record.flags = kNifTip;
  record.tip = tip;
  modifyShown(record);
  tip_ = tip;
}

void cSysTray::setTrayIcon(IconHandle icon) {
  if (icon == 0) return;
  TrayRecord record;
  record.flags = kNifIcon;
  record.icon = icon;
  modifyShown(record);
  icon_ = icon;
}

void cSysTray::AddTrayIcon() {
  TrayRecord record;
  if (icon_ != 0) {
    record.flags |= kNifIcon;
    record.icon = icon_;
  }
  // Without a tip the shell shows none, rather than an empty one.
  if (!tip_.empty()) {
    record.flags |= kNifTip;
    record.tip = tip_;
  }
  record.flags |= kNifMessage;
  record.callbackMessage = kTrayCallback;
  shown_ = shell_.notify(TrayCommand::Add, record);
  if (shown_) {
    stopRetries();
  } else if (!retrying_) {
    startRetries();
  }
}

void cSysTray::startRetries() {
  if (retry_ == nullptr) return;
  retries_ = 0;
  retrying_ = true;
  retry_->setInterval(kRetryMs);
  retry_->setEnabled(true);
}

void cSysTray::stopRetries() {
  if (!retrying_) return;
  retrying_ = false;
  retry_->setEnabled(false);
}

void cSysTray::RetryTimer() {
  // A tick already on its way when the retries stopped asks nothing.
  if (!retrying_) return;
  if (!inTray_ || shown_) return stopRetries();
  ++retries_;
  AddTrayIcon();
  if (shown_) {
    if (events_.IconChanged) events_.IconChanged(true);
  } else if (retries_ >= kRetries) {
    // Given up until the next "TaskbarCreated".
    stopRetries();
  }
}

void cSysTray::RemoveTrayIcon() {
  shell_.notify(TrayCommand::Delete, TrayRecord{});
  shown_ = false;
}

void cSysTray::TaskbarCreated() {
  // A restarted taskbar starts empty, whatever it showed before.
  shown_ = false;
  if (!inTray_) return;
  // A new taskbar: a refusal now has its own minutes of retries.
  stopRetries();
  AddTrayIcon();
  if (events_.IconChanged) events_.IconChanged(shown_);
}

void cSysTray::ShowBalloon(std::string_view text, std::string_view title, int seconds, bool once) {
  if (once && balloonCount_ >= 1) return;
  if (seconds > std::numeric_limits<std::int32_t>::max() / 1000) throw AppError::overflow();
  TrayRecord record;
  record.flags = kNifInfo;
  record.infoTitle = title;
  record.info = text;
  if (seconds > 0) record.timeoutMs = static_cast<std::uint32_t>(seconds) * 1000;
  shell_.notify(TrayCommand::Modify, record);
  balloonVisible_ = true;
  if (once) ++balloonCount_;
  if (seconds <= 0) return;
  // The shell's close notification ends the wait early.
  if (!loop_.runUntil([this] { return !balloonVisible_; }, seconds * 1000)) return;
  if (!balloonVisible_) return;
  // Still up: take it down. The flag stays set until the shell says so.
  TrayRecord hide;
  hide.flags = kNifInfo;
  shell_.notify(TrayCommand::Modify, hide);
}

void cSysTray::DispatchTrayMessage(std::uint32_t notification, std::int32_t id) {
  const auto raise = [id](const auto& event, int button) {
    if (event) event(button, id);
  };
  switch (notification) {
    case kMouseMove:
      if (events_.MouseMove) events_.MouseMove(id);
      break;
    case kLeftDown: raise(events_.MouseDown, 1); break;
    case kRightDown: raise(events_.MouseDown, 2); break;
    case kLeftUp: raise(events_.MouseUp, 1); break;
    case kRightUp: raise(events_.MouseUp, 2); break;
    case kLeftDouble: raise(events_.MouseDblClick, 1); break;
    case kRightDouble: raise(events_.MouseDblClick, 2); break;
    case kNinBalloonHide:
    case kNinBalloonTimeout:
    case kNinBalloonUserClick: balloonVisible_ = false; break;
    default: break;
  }
}

}  // namespace tarnavel
