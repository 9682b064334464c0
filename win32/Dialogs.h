// The message box and the input box. Both are modal to the main window while
// it is on screen, and both run the thread's messages while they wait (the
// system's modal loops do), so timer ticks go on under them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/System.h"

namespace tarnavel::win32 {

class MainWindow;

class Dialogs final : public platform::IDialogs {
 public:
  Dialogs(HINSTANCE instance, const MainWindow& owner) : instance_(instance), owner_(owner) {}

  // MessageBoxW with the style bits as given; the pressed button's id, or 0
  // when the box could not be shown.
  int messageBox(std::string_view text, int style, std::string_view title) override;
  // A box with the prompt, OK and Cancel, and an edit holding the preset,
  // selected. The typed text on OK; nothing on Cancel, Escape or close.
  int popupMenu(const std::vector<std::string>& items) override;
  std::optional<std::string> inputBox(std::string_view prompt, std::string_view title,
                                      std::string_view preset) override;
  // A small box of the Options' choices with a Close button (Enter and
  // Escape close it too); each change reaches changed as it is made.
  void optionsBox(std::string_view title, const UnattendedChoices& current,
                  const ChoiceLocks& locked,
                  const std::function<void(const UnattendedChoices&)>& changed,
                  const std::function<void()>& openLogFolder) override;
  // The box without the log's folder to open: its button does nothing.
  void optionsBox(std::string_view title, const UnattendedChoices& current,
                  const std::function<void(const UnattendedChoices&)>& changed) {
    optionsBox(title, current, ChoiceLocks{}, changed, [] {});
  }

 private:
  // The main window while it can be seen; with none, the box stands alone
  // and is modal to the whole thread.
  HWND owner() const;

  HINSTANCE instance_;
  const MainWindow& owner_;
};

}  // namespace tarnavel::win32
