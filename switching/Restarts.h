// Starting a queued window's program again when its window is gone. At the
// row's turn, with the window neither shown nor found again, the row's own
// command (queue/RowCommands) is started, at most once every five minutes a
// row, and the turn goes on as it would without it. For a minute after each
// start, every tick looks for a window of the new process (or one finding
// again would take) and binds it to the row, so that the row's next turn
// shows it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "form/Context.h"
#include "queue/Reopened.h"
#include "queue/RowCommands.h"

namespace tarnavel {

class Unattended;

inline constexpr std::string_view kStartCommandItem = "Start Command...";
inline constexpr std::string_view kStartCommandPrompt =
    "Command that starts this window's program when its window is gone (empty for none):";

class Restarts {
 public:
  static constexpr std::uint32_t kRetryMs = 5 * 60 * 1000;
  static constexpr std::uint32_t kBindMs = 60 * 1000;

  Restarts(Context& cx, ReopenedWindows& reopened, const Unattended& unattended)
      : cx_(cx), reopened_(reopened), unattended_(unattended), commands_(cx) {}

  void load() { commands_.load(); }
  RowCommands& commands() { return commands_; }

  // The row's turn has come: starts its command when its window is gone.
  void atTurn(int row);
  // Each tick: binds the windows of the programs started in the last minute.
  void tick();

  // Where a command that cannot start is told, with its reason (the log);
  // never a box: monitoring runs.
  std::function<void(std::string_view)> problem;

 private:
  bool windowThere(int row);
  int rowOf(const std::string& handleText, const std::string& title) const;

  struct Started {
    std::string handle;  // the row's handle text and title at the start
    std::string title;
    std::uint32_t process;
    std::uint32_t at;  // tick count
  };
  struct Tried {
    std::string title;
    std::uint32_t at;
  };

  Context& cx_;
  ReopenedWindows& reopened_;
  const Unattended& unattended_;
  RowCommands commands_;
  std::vector<Started> started_;
  std::vector<Tried> tried_;
};

}  // namespace tarnavel
