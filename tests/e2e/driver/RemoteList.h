// Reading and driving a list view (SysListView32) that belongs to another
// process: the structures its messages point to are placed in that process's
// memory, filled and read back across the process boundary.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

namespace e2e {

// A block of memory in another process.
class RemoteBlock {
 public:
  RemoteBlock(DWORD pid, size_t size);
  ~RemoteBlock();
  RemoteBlock(const RemoteBlock&) = delete;
  RemoteBlock& operator=(const RemoteBlock&) = delete;

  bool ok() const { return base_ != nullptr; }
  // The address of offset inside the block, as the other process sees it.
  void* at(size_t offset) const { return static_cast<char*>(base_) + offset; }
  bool write(size_t offset, const void* data, size_t size);
  bool read(size_t offset, void* data, size_t size) const;

 private:
  HANDLE process_ = nullptr;
  void* base_ = nullptr;
  size_t size_ = 0;
};

// Sends a message and waits at most timeoutMs for the answer; nothing when
// the window does not answer in time.
std::optional<LRESULT> sendWithTimeout(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                                       UINT timeoutMs = 5000);

class RemoteListView {
 public:
  explicit RemoteListView(HWND list);
  RemoteListView(const RemoteListView&) = delete;
  RemoteListView& operator=(const RemoteListView&) = delete;

  HWND hwnd() const { return list_; }
  bool ok() const { return list_ && block_.ok(); }

  // -1 when the list does not answer.
  int count();
  // The text of item's column sub (0 = the item text).
  std::optional<std::wstring> text(int item, int sub = 0);
  // All rows, each with the first columns texts.
  std::optional<std::vector<std::vector<std::wstring>>> rows(int columns);
  // The item texts (column 0) of all rows.
  std::optional<std::vector<std::wstring>> column(int sub = 0);
  // The selected rows, in order.
  std::vector<int> selection();

  // The texts of the column headers, from the list's header control.
  std::optional<std::vector<std::wstring>> headers();

  // Makes item the only selected and the focused row and scrolls it into view.
  bool select(int item);
  // The item's rectangle (LVIR_BOUNDS, LVIR_LABEL, ...) in the list's client coordinates.
  std::optional<RECT> itemRect(int item, int code = LVIR_BOUNDS);
  // The row under a point of the list's client area, -1 for none.
  std::optional<int> hitTest(POINT pt);
  // A point of the row's visible part that the list itself takes for the
  // row; nothing when there is none (the row cannot be clicked).
  std::optional<POINT> clickPoint(int item);
  // Waits until the list's thread has taken every message posted to it
  // before this call (a click the driver posted has then been handled, or
  // waits in a box it opened). The thread takes sent messages before posted
  // ones, so without this a message the driver sends next (a new selection)
  // can reach the program before the click posted earlier. A question is
  // posted behind them, and its answer lands in the block. False when none
  // came within timeoutMs.
  bool drainPosted(int timeoutMs);
  // A double-click with the left button on the row, as the mouse would do it:
  // button down, up, double-click, up are posted at the row's click point
  // (the row is selected first, as the first press would). False when the
  // row has no click point.
  bool doubleClick(int item);

 private:
  HWND list_;
  DWORD pid_ = 0;
  RemoteBlock block_;
};

}  // namespace e2e
