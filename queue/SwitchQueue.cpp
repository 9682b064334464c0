#include "queue/SwitchQueue.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <numeric>
#include <unordered_map>
#include <unordered_set>

#include "core/Numbers.h"
#include "form/TimerPause.h"
#include "platform/Errors.h"

namespace tarnavel {
namespace {

// A separator of the stored form, found by the skip of its last character:
// the form's runs of '|' are short and the fields between them have none, so
// most of a text is passed at the stride of the separator's length.
class Separator {
 public:
  explicit Separator(std::string_view text)
      : size_(text.size()), search_(text.begin(), text.end()) {}
  // The text before the first separator; the rest of the text is left after
  // the separator, or empty when there is none.
  std::string_view takeUntil(std::string_view& text, bool& found) const {
    const auto at = search_(text.begin(), text.end()).first;
    found = at != text.end();
    const auto head = static_cast<std::size_t>(at - text.begin());
    const std::string_view before = text.substr(0, head);
    text.remove_prefix(found ? head + size_ : text.size());
    return before;
  }

 private:
  std::size_t size_;
  std::boyer_moore_horspool_searcher<std::string_view::const_iterator> search_;
};

const Separator& fieldSeparator() {
  static const Separator separator(kFieldSeparator);
  return separator;
}

const Separator& rowTerminator() {
  static const Separator terminator(kRowTerminator);
  return terminator;
}

// The user's rules for numbers, read once per procedure and only by the
// guarded statement that first needs them, so that a refusal is reported
// there.
class NumberRules {
 public:
  explicit NumberRules(platform::ILocale& locale) : locale_(locale) {}
  const NumberFormat& get() {
    if (!format_) format_ = locale_.numberFormat();
    return *format_;
  }

 private:
  platform::ILocale& locale_;
  std::optional<NumberFormat> format_;
};

}  // namespace

void appendRecord(std::string& text, const StoredRow& row) {
  text += row.handle;
  text += kFieldSeparator;
  text += row.title;
  text += kFieldSeparator;
  text += row.time;
  text += kRowTerminator;
}

std::string storedForm(const std::vector<StoredRow>& rows) {
  std::size_t size = 0;
  for (const auto& row : rows) {
    size += row.handle.size() + row.title.size() + row.time.size() + 2 * kFieldSeparator.size() +
            kRowTerminator.size();
  }
  std::string text;
  text.reserve(size);
  for (const auto& row : rows)
    appendRecord(text, row);
  return text;
}

// The text is cut at every terminator, the leftmost first, and each piece at
// its field separators: handle, title, time, and whatever follows a third
// separator is not read.
std::vector<StoredRow> parseStoredForm(std::string_view text) {
  std::vector<StoredRow> rows;
  const Separator& fields = fieldSeparator();
  const Separator& terminator = rowTerminator();
  bool more = !text.empty();
  while (more) {
    std::string_view piece = terminator.takeUntil(text, more);
    if (piece.empty()) continue;
    StoredRow& row = rows.emplace_back();
    bool next = false;
    row.handle = fields.takeUntil(piece, row.hasTitle);
    if (!row.hasTitle) continue;
    row.title = fields.takeUntil(piece, next);
    if (next) row.time = fields.takeUntil(piece, next);
  }
  return rows;
}

std::optional<Hwnd32> SwitchQueue::handleOf(int row, const NumberFormat& format) const {
  const auto value = readNumber(list_.text(row, kHandleText), format);
  if (!value) return std::nullopt;
  try {
    return roundToLong(*value);
  } catch (const AppError&) {
    return std::nullopt;
  }
}

std::vector<StoredRow> SwitchQueue::rows() const {
  std::vector<StoredRow> rows;
  const int count = list_.count();
  rows.reserve(static_cast<std::size_t>(count));
  for (int i = 1; i <= count; ++i) {
    rows.push_back({list_.text(i, kHandleText), list_.text(i, kTitle), list_.text(i, kTime)});
  }
  return rows;
}

void SwitchQueue::save() {
  settings_.write(kQueuedWindowsKey, storedForm(rows()));
}

void SwitchQueue::saveAtClose(Guard& g) {
  std::string text;
  bool complete = false;
  g.step(102, [&] { text.clear(); });
  int count = 0;
  g.step(104, [&] {
    count = list_.count();
    complete = true;
  });
  for (int i = 1; i <= count; ++i) {
    bool appended = false;
    g.step(106, [&] {
      appendRecord(text, {list_.text(i, kHandleText), list_.text(i, kTitle), list_.text(i, kTime)});
      appended = true;
    });
    complete = complete && appended;
  }
  // Every change of the queue has stored it already; this stores it again,
  // so a stored value of another kind than text stays.
  if (complete) g.step(110, [&] { settings_.writeBack(kQueuedWindowsKey, text); });
}

void SwitchQueue::load() {
  Guard g(report_, "Form1.LoadQueuedWindows");
  const platform::HeldRedraw held(list_);
  g.step(100, [&] { list_.clear(); });
  std::string stored;
  g.step(102, [&] { stored = settings_.read(kQueuedWindowsKey, ""); });
  if (g.test(104, [&] { return stored.empty(); })) return;
  std::vector<StoredRow> pieces;
  g.step(106, [&] { pieces = parseStoredForm(stored); });
  NumberRules numbers(locale_);
  for (const auto& piece : pieces) {
    int row = 0;
    g.step(114, [&] { row = list_.add(piece.handle); });
    g.step(116, [&] {
      // A piece without a field separator has no title field.
      if (!piece.hasTitle) throw AppError::subscript();
      list_.setText(row, kTitle, piece.title);
    });
    // A stored time that does not read as a number is dropped.
    if (g.test(120, [&] { return readsAsNumber(piece.time, numbers.get()); })) {
      g.step(122, [&] { list_.setText(row, kTime, piece.time); });
    }
  }
}

namespace {

// The listed windows by title, read once for all rows: the rows of each
// title in list order. A title that could not be read matches every row, as
// its failed comparison would.
struct ListedTitles {
  std::unordered_map<std::string, std::vector<int>> rows;
  std::vector<int> unreadable;
  int count = 0;

  // The listed rows whose title equals this one, in list order.
  std::vector<int> titled(const std::string& title) const {
    std::vector<int> out;
    const auto it = rows.find(title);
    const std::vector<int> none;
    const auto& exact = it == rows.end() ? none : it->second;
    std::merge(exact.begin(), exact.end(), unreadable.begin(), unreadable.end(),
               std::back_inserter(out));
    return out;
  }
  std::vector<int> all() const {
    std::vector<int> out(static_cast<std::size_t>(count));
    std::iota(out.begin(), out.end(), 1);
    return out;
  }
};

// The handles the queue rows name, counted. A row whose handle could not be
// read counts as naming every handle, as its failed test would.
struct QueuedHandles {
  std::unordered_map<Hwnd32, int> counts;
  int unreadable = 0;

  bool holds(Hwnd32 handle) const {
    const auto it = counts.find(handle);
    return unreadable > 0 || (it != counts.end() && it->second > 0);
  }
};

}  // namespace

void SwitchQueue::checkHandle(const platform::IListView& available,
                              const std::vector<Hwnd32>& handles) {
  Guard g(report_, "Form1.CheckHandle");
  const platform::HeldRedraw held(list_);
  NumberRules numbers(locale_);
  bool rebound = false;
  const int count = g.value(100, 0, [&] { return list_.count(); });
  const std::unordered_set<Hwnd32> listed(handles.begin(), handles.end());
  // Both lists are read once, when a row first needs them: comparing every
  // row with every listed window and every queued row again grows with the
  // product of their sizes.
  std::optional<ListedTitles> titles;
  std::optional<QueuedHandles> queued;
  const auto listedTitles = [&]() -> const ListedTitles& {
    if (titles) return *titles;
    titles.emplace();
    titles->count = g.value(114, 0, [&] { return available.count(); });
    for (int j = 1; j <= titles->count; ++j) {
      std::string title;
      // A title that cannot be read matches, as the failed test would.
      if (g.test(116, [&] {
            title = available.text(j);
            return false;
          })) {
        titles->unreadable.push_back(j);
      } else {
        titles->rows[title].push_back(j);
      }
    }
    return *titles;
  };
  const auto queuedHandles = [&]() -> QueuedHandles& {
    if (queued) return *queued;
    queued.emplace();
    const int rows = g.value(120, 0, [&] { return list_.count(); });
    for (int m = 1; m <= rows; ++m) {
      std::optional<Hwnd32> h;
      if (g.test(122, [&] {
            h = handleOf(m, numbers.get());
            return false;
          })) {
        ++queued->unreadable;
      } else if (h) {
        ++queued->counts[*h];
      }
    }
    return *queued;
  };

  for (int i = 1; i <= count; ++i) {
    bool found = false;
    // Handle test: the row's own handle is among the listed windows. A row
    // text that is not a number is reported once and never matches.
    std::optional<Hwnd32> own;
    g.step(106, [&] { own = textToLong(list_.text(i, kHandleText), numbers.get()); });
    if (own && listed.contains(*own)) found = true;
    // Title test: the first listed window with exactly the row's title that
    // is not already queued under its own handle.
    Hwnd32 match = 0;
    if (!found) {
      std::string title;
      const bool unreadable = g.test(116, [&] {
        title = list_.text(i, kTitle);
        return false;
      });
      const ListedTitles& byTitle = listedTitles();
      for (const int j : unreadable ? byTitle.all() : byTitle.titled(title)) {
        Hwnd32 candidate = 0;
        g.step(118, [&] {
          found = true;
          candidate = handles.at(static_cast<std::size_t>(j - 1));
        });
        if (queuedHandles().holds(candidate)) {
          found = false;
          continue;
        }
        match = candidate;
        break;
      }
    }
    if (!found) {
      g.step(134, [&] { list_.setText(i, kStatus, kInvalid); });
      continue;
    }
    g.step(136, [&] {
      list_.setText(i, kStatus, kValid);
      // A row found through its title names that window from now on, so the
      // switch reaches the window its status promises.
      if (match != 0) {
        list_.setText(i, kHandleText, std::to_string(match));
        rebound = true;
        auto& counts = queuedHandles().counts;
        if (own) --counts[*own];
        ++counts[match];
      }
    });
  }
  if (rebound) g.step(140, [&] { save(); });
}

void SwitchQueue::addSelected(const platform::IListView& available,
                              const std::vector<Hwnd32>& handles, platform::IWindowSystem& windows,
                              platform::IDialogs& dialogs, std::string_view appTitle,
                              const std::function<void(int row)>& askTime) {
  Guard g(report_, "Form1.PushButton3_Click");
  NumberRules numbers(locale_);
  if (g.test(100, [&] { return available.count() == 0; })) return;
  // The selected window; nothing selected, nothing to add.
  std::optional<std::pair<Hwnd32, std::string>> picked;
  bool above = false;
  g.step(100, [&] {
    if (const int k = available.selected(); k != 0) {
      const Hwnd32 h = handles.at(static_cast<std::size_t>(k - 1));
      const std::string title = available.text(k);
      above = windows.runsAbove(h);
      picked.emplace(h, title);
    }
  });
  if (!picked) return;
  const Hwnd32 h = picked->first;
  const std::string& title = picked->second;
  const int rows = g.value(102, 0, [&] { return list_.count(); });
  for (int m = 1; m <= rows; ++m) {
    if (g.test(104, [&] { return handleOf(m, numbers.get()) == h; })) {
      g.step(106, [&] { dialogs.messageBox(kAlreadyQueued, kMbOk, appTitle); });
      return;
    }
  }
  int row = 0;
  g.step(110, [&] { row = list_.add(std::to_string(h)); });
  g.step(112, [&] { list_.setText(row, kTitle, title); });
  g.step(114, [&] {
    if (askTime) askTime(list_.count());
  });
  g.step(116, [&] { checkHandle(available, handles); });
  g.step(118, [&] { save(); });
  // The system keeps a program of lower integrity from moving the window:
  // its turns pass as any other's, and the user hears why once, here.
  if (above) g.step(120, [&] { dialogs.messageBox(kRunsAsAdministrator, kMbOk, appTitle); });
}

void SwitchQueue::removeSelected() {
  const int row = list_.selected();
  if (list_.count() == 0 || row == 0) return;
  list_.remove(row);
  save();
}

void SwitchQueue::deleteSelected(const Form1Controls& ui) {
  Guard g(report_, "Form1.PushButton4_Click");
  if (g.test(100, [&] { return list_.count() == 0; })) return;
  TimerPause pause(ui);
  pause.pause(g, 102, 104, 106, 108);
  g.step(110, [&] {
    if (const int row = list_.selected(); row != 0) list_.remove(row);
  });
  pause.resume(g, 112, 114, 116);
  g.step(118, [&] { save(); });
}

void SwitchQueue::clearAll() {
  Guard g(report_, "Form1.PushButton5_Click");
  g.step(100, [&] { list_.clear(); });
  g.step(102, [&] { save(); });
}

void SwitchQueue::clearInvalid() {
  Guard g(report_, "Form1.PushButton8_Click");
  int i = 1;
  while (g.value(102, false, [&] { return i <= list_.count(); })) {
    bool removed = false;
    if (g.test(104, [&] { return list_.text(i, kStatus) == kInvalid; })) {
      g.step(106, [&] {
        list_.remove(i);
        removed = true;
      });
    }
    // A removal that failed must not hold the loop on the same row.
    if (!removed) ++i;
  }
  g.step(110, [&] { save(); });
}

}  // namespace tarnavel
