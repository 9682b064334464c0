// The thread's message loop, the logic's "let pending messages run", and the
// end of the program.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>

#include "platform/System.h"
#include "win32/MainWindow.h"

namespace tarnavel::win32 {

class MessageLoop final : public platform::IMessageLoop {
 public:
  explicit MessageLoop(MainWindow& window);

  // Runs every message waiting for this thread, then returns. A WM_QUIT met
  // on the way is put back for the main loop.
  void doEvents() override;
  bool runUntil(const std::function<bool()>& done, int milliseconds) override;
  void post(std::function<void()> task) override;
  // No event reaches the logic from here on; the window goes and the main
  // loop ends.
  void endProgram() override;
  bool ended() const { return ended_; }

  // The main loop, until WM_QUIT; returns its exit code.
  int run();

 private:
  void dispatch(MSG& message);
  void runPosted();

  MainWindow& window_;
  bool ended_ = false;
  std::deque<std::function<void()>> posted_;
};

}  // namespace tarnavel::win32
