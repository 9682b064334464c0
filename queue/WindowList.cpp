#include "queue/WindowList.h"

#include "core/Numbers.h"
#include "platform/Errors.h"

namespace tarnavel {

void WindowTable::reset() {
  for (auto& record : records_)
    record = WindowRecord{};
}

void WindowTable::store(int index, std::string title, Hwnd32 handle) {
  if (index < 0 || index >= kSlots) throw AppError::subscript();
  records_[static_cast<std::size_t>(index)] = WindowRecord{std::move(title), handle};
}

const WindowRecord& WindowTable::operator[](int index) const {
  if (index < 0 || index >= kSlots) throw AppError::subscript();
  return records_[static_cast<std::size_t>(index)];
}

bool IsAppWindow(platform::IWindowSystem& windows, Hwnd32 window) {
  constexpr std::uint32_t kWanted = kStyleVisible | kStyleMaximizeBox;
  return (windows.style(window) & kWanted) == kWanted;
}

bool IsShownWindow(platform::IWindowSystem& windows, Hwnd32 window) {
  return windows.exists(window) && (windows.style(window) & kStyleVisible) != 0 &&
         !windows.cloaked(window);
}

Hwnd32 ShownWindowOf(platform::IWindowSystem& windows, std::string_view handleText,
                     const NumberFormat& format) {
  const auto value = readNumber(handleText, format);
  if (!value || !fitsLong(*value)) return 0;
  const Hwnd32 window = roundToLong(*value);
  return window != 0 && IsShownWindow(windows, window) ? window : 0;
}

int ListTopWindows(WindowTable& table, platform::IWindowSystem& windows, Hwnd32 ownWindow) {
  table.reset();
  int count = 0;
  for (Hwnd32 w = windows.firstSibling(ownWindow); w != 0; w = windows.nextSibling(w)) {
    if (w == ownWindow || !IsAppWindow(windows, w) || windows.cloaked(w)) continue;
    const int length = windows.textLength(w);
    if (length < 0) continue;
    std::string title = windows.text(w, length + 1);
    // A window that closed between the two queries reads as empty.
    if (title.empty()) continue;
    table.store(count, std::move(title), w);
    ++count;
  }
  return count;
}

void WindowList::load(ErrorReport& report, platform::IWindowSystem& windows,
                      platform::IListView& list, Hwnd32 ownWindow) {
  Guard g(report, "Form1.loadWindows");
  // Emptied and filled without a repaint in between (a shown list repaints
  // for each row otherwise: 10 s for 1001 windows under Wine).
  const platform::HeldRedraw held(list);
  g.step(100, [&] { ListTopWindows(table_, windows, ownWindow); });
  g.step(102, [&] { list.clear(); });
  g.step(104, [&] { handles_.clear(); });
  // Every slot is looked at, not only the first count: a free slot has an
  // empty title.
  for (int i = 0; i < WindowTable::kSlots; ++i) {
    if (g.test(108, [&] { return !table_[i].title.empty(); })) {
      g.step(110, [&] { handles_.push_back(table_[i].handle); });
      g.step(112, [&] { list.add(table_[i].title); });
    }
  }
}

}  // namespace tarnavel
