#include "queue/RowCommands.h"

#include "queue/SwitchQueue.h"

namespace tarnavel {

void RowCommands::load() {
  entries_.clear();
  // Read from the store itself, as the Options box's choices are: a key that
  // cannot be read, or holds another kind, is no command at all.
  std::optional<std::string> stored;
  try {
    stored = cx_.sys.settings.read(kQueuedCommandsKey).text;
  } catch (const std::exception&) {
    return;
  }
  if (!stored) return;
  for (auto& row : parseStoredForm(*stored)) {
    if (!row.time.empty())
      entries_.push_back({std::move(row.handle), std::move(row.title), std::move(row.time)});
  }
}

bool RowCommands::sync() {
  auto& list = cx_.ui.ListView2;
  const int count = list.count();
  std::vector<Entry> mine(static_cast<std::size_t>(count));
  std::vector<bool> taken(entries_.size(), false);
  std::vector<std::string> handles, titles;
  for (int i = 1; i <= count; ++i) {
    handles.push_back(list.text(i, kHandleText));
    titles.push_back(list.text(i, kTitle));
  }
  // By handle text first, then the rows still without one by title.
  for (const bool byTitle : {false, true}) {
    for (std::size_t i = 0; i < mine.size(); ++i) {
      if (!mine[i].command.empty()) continue;
      for (std::size_t j = 0; j < entries_.size(); ++j) {
        if (taken[j]) continue;
        if (byTitle ? entries_[j].title != titles[i] : entries_[j].handle != handles[i]) continue;
        taken[j] = true;
        mine[i].command = entries_[j].command;
        break;
      }
    }
  }
  std::vector<Entry> next;
  for (std::size_t i = 0; i < mine.size(); ++i) {
    if (!mine[i].command.empty())
      next.push_back({handles[i], titles[i], std::move(mine[i].command)});
  }
  const bool changed = next != entries_;
  entries_ = std::move(next);
  return changed;
}

void RowCommands::store() {
  std::vector<StoredRow> rows;
  for (const auto& e : entries_)
    rows.push_back({e.handle, e.title, e.command});
  cx_.settings.write(kQueuedCommandsKey, storedForm(rows));
}

std::string RowCommands::commandOf(int row) {
  if (entries_.empty()) return {};
  // A row gone, or rebound to another handle: the stored entries follow.
  if (sync()) store();
  const std::string handle = cx_.ui.ListView2.text(row, kHandleText);
  for (const auto& e : entries_) {
    if (e.handle == handle) return e.command;
  }
  return {};
}

bool RowCommands::any() {
  return !entries_.empty();
}

void RowCommands::setCommand(int row, std::string_view command) {
  sync();
  auto& list = cx_.ui.ListView2;
  const std::string handle = list.text(row, kHandleText);
  std::erase_if(entries_, [&](const Entry& e) { return e.handle == handle; });
  if (!command.empty()) {
    entries_.push_back({handle, list.text(row, kTitle), std::string(command)});
    sync();  // back into row order
  }
  store();
}

}  // namespace tarnavel
