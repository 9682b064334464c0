#include "switching/Restarts.h"

#include <algorithm>

#include "core/Numbers.h"
#include "platform/Errors.h"
#include "queue/SwitchQueue.h"
#include "queue/WindowList.h"
#include "switching/Unattended.h"

namespace tarnavel {

bool Restarts::windowThere(int row) {
  reopened_.sync();
  if (reopened_.present(row)) return true;
  return unattended_.choices().findReopened && reopened_.findAgain(row);
}

int Restarts::rowOf(const std::string& handleText, const std::string& title) const {
  auto& list = cx_.ui.ListView2;
  for (int r = 1; r <= list.count(); ++r) {
    if (list.text(r, kHandleText) == handleText && list.text(r, kTitle) == title) return r;
  }
  return 0;
}

void Restarts::atTurn(int row) {
  if (!commands_.any()) return;
  const std::string command = commands_.commandOf(row);
  if (command.empty() || windowThere(row)) return;
  auto& list = cx_.ui.ListView2;
  const std::string title = list.text(row, kTitle);
  const std::uint32_t now = cx_.sys.input.tickCount();
  // Once every five minutes a row, whether it started or not.
  std::erase_if(tried_, [&](const Tried& t) { return now - t.at >= kRetryMs; });
  if (std::ranges::any_of(tried_, [&](const Tried& t) { return t.title == title; })) return;
  tried_.push_back({title, now});
  try {
    const std::uint32_t process = cx_.sys.processes.start(command);
    started_.push_back({list.text(row, kHandleText), title, process, now});
  } catch (const AppError& e) {
    if (problem) problem("Could not start \"" + command + "\" for \"" + title + "\": " + e.what());
  }
}

void Restarts::tick() {
  if (started_.empty()) return;
  const std::uint32_t now = cx_.sys.input.tickCount();
  try {
    std::erase_if(started_, [&](const Started& s) {
      if (now - s.at >= kBindMs) return true;
      const int row = rowOf(s.handle, s.title);
      if (row == 0) return true;  // the row is gone
      reopened_.sync();
      return reopened_.takeWindowOf(row, s.process) || reopened_.findAgain(row);
    });
  } catch (const std::exception& e) {
    // Looked for again at the next tick; told, never boxed.
    if (problem) problem(std::string("Could not look for a started program's window: ") + e.what());
  }
}

}  // namespace tarnavel
