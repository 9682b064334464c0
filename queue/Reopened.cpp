#include "queue/Reopened.h"

#include <unordered_map>
#include <unordered_set>

#include "core/Numbers.h"
#include "platform/Errors.h"
#include "queue/WindowList.h"

namespace tarnavel {

std::string storedRecord(const std::vector<ProgramRecord>& entries) {
  std::vector<StoredRow> rows;
  rows.reserve(entries.size());
  for (const auto& e : entries)
    rows.push_back({e.handle, e.program, e.windowClass});
  return storedForm(rows);
}

std::vector<ProgramRecord> parseRecord(std::string_view text) {
  std::vector<ProgramRecord> entries;
  for (auto& row : parseStoredForm(text))
    entries.push_back({std::move(row.handle), std::move(row.title), std::move(row.time)});
  return entries;
}

std::optional<Hwnd32> ReopenedWindows::handleOf(const std::string& text) const {
  const auto value = readNumber(text, cx_.sys.locale.numberFormat());
  if (!value || !fitsLong(*value)) return std::nullopt;
  return roundToLong(*value);
}

ProgramRecord ReopenedWindows::recordOf(const std::string& handleText) {
  auto& windows = cx_.sys.windows;
  const auto h = handleOf(handleText);
  if (!h || !windows.exists(*h)) return {handleText, "", ""};
  return {handleText, windows.programPath(*h), windows.windowClass(*h)};
}

void ReopenedWindows::store() {
  cx_.settings.write(kQueuedProgramsKey, storedRecord(entries_));
}

void ReopenedWindows::load() {
  entries_ = parseRecord(cx_.settings.read(kQueuedProgramsKey, ""));
  sync();
}

void ReopenedWindows::sync() {
  auto& list = cx_.ui.ListView2;
  const int count = list.count();
  // The entries not yet given to a row, by handle text, first ones first.
  std::unordered_map<std::string, std::vector<std::size_t>> free;
  for (std::size_t j = entries_.size(); j-- > 0;)
    free[entries_[j].handle].push_back(j);
  std::vector<ProgramRecord> next;
  next.reserve(static_cast<std::size_t>(count));
  for (int i = 1; i <= count; ++i) {
    std::string text = list.text(i, kHandleText);
    const auto it = free.find(text);
    if (it != free.end() && !it->second.empty()) {
      next.push_back(entries_[it->second.back()]);
      it->second.pop_back();
    } else {
      next.push_back(recordOf(text));
    }
  }
  const bool changed = next != entries_;
  entries_ = std::move(next);
  if (changed) store();
}

bool ReopenedWindows::present(int row) {
  auto& windows = cx_.sys.windows;
  const std::string text = cx_.ui.ListView2.text(row, kHandleText);
  const auto h = handleOf(text);
  if (!h || !IsShownWindow(windows, *h)) return false;
  const auto index = static_cast<std::size_t>(row - 1);
  if (index >= entries_.size() || entries_[index].program.empty()) return true;
  const std::string program = windows.programPath(*h);
  return program.empty() || program == entries_[index].program;
}

int ReopenedWindows::listNotQueued(std::unordered_set<Hwnd32>& queued) {
  auto& list = cx_.ui.ListView2;
  const int listed = ListTopWindows(table_, cx_.sys.windows, cx_.ui.Form.handle());
  for (int i = 1; i <= list.count(); ++i) {
    if (const auto h = handleOf(list.text(i, kHandleText))) queued.insert(*h);
  }
  return listed;
}

bool ReopenedWindows::findAgain(int row) {
  auto& windows = cx_.sys.windows;
  auto& list = cx_.ui.ListView2;
  std::unordered_set<Hwnd32> queued;
  const int listed = listNotQueued(queued);
  const std::string title = list.text(row, kTitle);
  const auto index = static_cast<std::size_t>(row - 1);
  const ProgramRecord known = index < entries_.size() ? entries_[index] : ProgramRecord{};

  // With the row's program known, only its windows are the row's: another
  // program's window of the same title (a browser tab named like the mail
  // program's window) is not.
  const auto ofProgram = [&](Hwnd32 h) {
    return known.program.empty() || windows.programPath(h) == known.program;
  };
  Hwnd32 match = 0;
  for (int k = 0; k < listed && match == 0; ++k) {
    const auto& w = table_[k];
    if (w.title == title && !queued.contains(w.handle) && ofProgram(w.handle)) match = w.handle;
  }
  for (int k = 0; k < listed && match == 0 && !known.program.empty(); ++k) {
    const Hwnd32 h = table_[k].handle;
    if (queued.contains(h)) continue;
    if (windows.programPath(h) == known.program && windows.windowClass(h) == known.windowClass) {
      match = h;
    }
  }
  if (match == 0) return false;
  bind(row, match);
  return true;
}

void ReopenedWindows::bind(int row, Hwnd32 window) {
  auto& windows = cx_.sys.windows;
  auto& list = cx_.ui.ListView2;
  const auto index = static_cast<std::size_t>(row - 1);
  const std::string text = std::to_string(window);
  list.setText(row, kHandleText, text);
  list.setText(row, kStatus, kValid);
  queue_.save();
  if (index < entries_.size()) {
    entries_[index] = {text, windows.programPath(window), windows.windowClass(window)};
    store();
  }
}

bool ReopenedWindows::takeWindowOf(int row, std::uint32_t process) {
  auto& windows = cx_.sys.windows;
  auto& list = cx_.ui.ListView2;
  std::unordered_set<Hwnd32> queued;
  const int listed = listNotQueued(queued);
  // Of its windows, the one with the row's title first.
  const std::string title = list.text(row, kTitle);
  for (const bool sameTitle : {true, false}) {
    for (int k = 0; k < listed; ++k) {
      const Hwnd32 h = table_[k].handle;
      if (sameTitle && table_[k].title != title) continue;
      if (!queued.contains(h) && windows.processOf(h) == process) {
        bind(row, h);
        return true;
      }
    }
  }
  return false;
}

}  // namespace tarnavel
