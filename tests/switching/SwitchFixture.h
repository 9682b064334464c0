// A loaded main window with target windows queued, a running switch timer
// and a clock the test moves one tick at a time.
#pragma once

#include "FormFixture.h"
#include "core/Calendar.h"

namespace tarnavel::testing {

class SwitchTest : public FormTest {
 protected:
  std::vector<Hwnd32> targets;

  // Opens n target windows and queues them in order, with monitoring off.
  void queueTargets(int n) {
    f.settings.values["StartStopState"] = "Off";
    for (int i = 1; i <= n; ++i)
      targets.push_back(f.windows.open("Target " + std::to_string(i)));
    load();
    for (int i = 1; i <= n; ++i)
      addToQueue("Target " + std::to_string(i));
  }

  void typeInto(Ctl box, std::string_view text) {
    textBox(f.controls, box).setCaption(text);
    form->onChange(box);
  }

  void chooseInterval(std::string_view h, std::string_view m, std::string_view s) {
    form->onClick(Ctl::Option3);
    typeInto(Ctl::Text1, h);
    typeInto(Ctl::Text2, m);
    typeInto(Ctl::Text3, s);
  }

  void turnOn() {
    ASSERT_EQ(f.PushButton2.caption(), "Turn On");
    form->onClick(Ctl::PushButton2);
    ASSERT_EQ(f.PushButton2.caption(), "Turn Off");
  }

  // One second passes and the timer ticks, if it runs.
  void tick(int times = 1) {
    for (int i = 0; i < times; ++i) {
      f.clock.advance(1);
      if (f.Timer1.running()) form->onTimer();
    }
  }

  // The windows brought forward so far, in order, and forgets them.
  std::vector<Hwnd32> switched() {
    std::vector<Hwnd32> order;
    for (const auto& call : f.windows.calls) {
      if (call.starts_with("foreground ")) order.push_back(std::stoi(call.substr(11)));
    }
    f.windows.calls.clear();
    return order;
  }

  // The show command of each switch since the last look.
  std::vector<int> showCommands() {
    std::vector<int> commands;
    for (std::size_t i = 0; i < f.windows.calls.size(); ++i) {
      const auto& call = f.windows.calls[i];
      // The fixed "show" step is always 5; a second show carries the command.
      if (call.starts_with("foreground ")) commands.push_back(5);
      if (call.starts_with("show ") && i > 0 && f.windows.calls[i - 1].starts_with("show ")) {
        commands.back() = std::stoi(call.substr(call.rfind(' ') + 1));
      }
    }
    f.windows.calls.clear();
    return commands;
  }

  std::string status() const { return f.Frame4.caption(); }
};

}  // namespace tarnavel::testing
