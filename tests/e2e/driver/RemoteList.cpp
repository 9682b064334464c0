#include "RemoteList.h"

#include <commctrl.h>

#include <algorithm>

namespace e2e {

namespace {

constexpr size_t kBlockSize = 64 * 1024;
constexpr size_t kStructOffset = 0;   // LVITEMW, HDITEMW or RECT
constexpr size_t kFenceOffset = 512;  // LVCOLUMNW of drainPosted, answered late
constexpr size_t kTextOffset = 1024;  // text buffer
constexpr int kTextChars = 8192;      // 16 KB of text

DWORD pidOf(HWND hwnd) {
  DWORD pid = 0;
  if (hwnd) GetWindowThreadProcessId(hwnd, &pid);
  return pid;
}

}  // namespace

RemoteBlock::RemoteBlock(DWORD pid, size_t size) : size_(size) {
  if (!pid) return;
  process_ = OpenProcess(
      PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION, FALSE,
      pid);
  if (!process_) return;
  base_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

RemoteBlock::~RemoteBlock() {
  // The other process may have ended already; then there is nothing to free.
  if (base_) VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
  if (process_) CloseHandle(process_);
}

bool RemoteBlock::write(size_t offset, const void* data, size_t size) {
  if (!base_ || offset + size > size_) return false;
  SIZE_T done = 0;
  return WriteProcessMemory(process_, at(offset), data, size, &done) && done == size;
}

bool RemoteBlock::read(size_t offset, void* data, size_t size) const {
  if (!base_ || offset + size > size_) return false;
  SIZE_T done = 0;
  return ReadProcessMemory(process_, at(offset), data, size, &done) && done == size;
}

std::optional<LRESULT> sendWithTimeout(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT timeoutMs) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_BLOCK, timeoutMs, &result)) {
    return std::nullopt;
  }
  return static_cast<LRESULT>(result);
}

RemoteListView::RemoteListView(HWND list)
    : list_(list), pid_(pidOf(list)), block_(pid_, kBlockSize) {}

int RemoteListView::count() {
  auto r = sendWithTimeout(list_, LVM_GETITEMCOUNT, 0, 0);
  return r ? static_cast<int>(*r) : -1;
}

std::optional<std::wstring> RemoteListView::text(int item, int sub) {
  LVITEMW it{};
  it.iSubItem = sub;
  it.pszText = static_cast<LPWSTR>(block_.at(kTextOffset));
  it.cchTextMax = kTextChars;
  wchar_t zero = 0;
  if (!block_.write(kStructOffset, &it, sizeof it) ||
      !block_.write(kTextOffset, &zero, sizeof zero)) {
    return std::nullopt;
  }
  auto n = sendWithTimeout(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(item),
                           reinterpret_cast<LPARAM>(block_.at(kStructOffset)));
  if (!n) return std::nullopt;
  size_t len = static_cast<size_t>(std::clamp<LRESULT>(*n, 0, kTextChars - 1));
  std::wstring s(len, L'\0');
  if (len && !block_.read(kTextOffset, s.data(), len * sizeof(wchar_t))) return std::nullopt;
  return s;
}

std::optional<std::vector<std::vector<std::wstring>>> RemoteListView::rows(int columns) {
  int n = count();
  if (n < 0) return std::nullopt;
  std::vector<std::vector<std::wstring>> out;
  for (int i = 0; i < n; ++i) {
    std::vector<std::wstring> row;
    for (int c = 0; c < columns; ++c) {
      auto t = text(i, c);
      if (!t) return std::nullopt;
      row.push_back(*t);
    }
    out.push_back(std::move(row));
  }
  return out;
}

std::optional<std::vector<std::wstring>> RemoteListView::column(int sub) {
  int n = count();
  if (n < 0) return std::nullopt;
  std::vector<std::wstring> out;
  for (int i = 0; i < n; ++i) {
    auto t = text(i, sub);
    if (!t) return std::nullopt;
    out.push_back(*t);
  }
  return out;
}

std::vector<int> RemoteListView::selection() {
  std::vector<int> out;
  int from = -1;
  for (int guard = 0; guard < 10000; ++guard) {
    auto r = sendWithTimeout(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(from),
                             MAKELPARAM(LVNI_SELECTED, 0));
    if (!r || *r < 0) break;
    int next = static_cast<int>(*r);
    if (next <= from) break;
    out.push_back(next);
    from = next;
  }
  return out;
}

std::optional<std::vector<std::wstring>> RemoteListView::headers() {
  auto header = sendWithTimeout(list_, LVM_GETHEADER, 0, 0);
  if (!header || !*header) return std::nullopt;
  HWND hdr = reinterpret_cast<HWND>(*header);
  auto n = sendWithTimeout(hdr, HDM_GETITEMCOUNT, 0, 0);
  if (!n || *n < 0) return std::nullopt;
  std::vector<std::wstring> out;
  for (int i = 0; i < static_cast<int>(*n); ++i) {
    HDITEMW hi{};
    hi.mask = HDI_TEXT;
    hi.pszText = static_cast<LPWSTR>(block_.at(kTextOffset));
    hi.cchTextMax = kTextChars;
    std::vector<wchar_t> zeros(kTextChars, L'\0');
    if (!block_.write(kStructOffset, &hi, sizeof hi) ||
        !block_.write(kTextOffset, zeros.data(), zeros.size() * sizeof(wchar_t))) {
      return std::nullopt;
    }
    auto ok = sendWithTimeout(hdr, HDM_GETITEMW, static_cast<WPARAM>(i),
                              reinterpret_cast<LPARAM>(block_.at(kStructOffset)));
    if (!ok || !*ok) return std::nullopt;
    // The header may answer with a pointer of its own instead of filling the buffer.
    HDITEMW back{};
    if (!block_.read(kStructOffset, &back, sizeof back)) return std::nullopt;
    std::vector<wchar_t> buf(kTextChars, L'\0');
    if (back.pszText == block_.at(kTextOffset)) {
      if (!block_.read(kTextOffset, buf.data(), buf.size() * sizeof(wchar_t))) return std::nullopt;
    } else {
      return std::nullopt;
    }
    buf.back() = L'\0';
    out.emplace_back(buf.data());
  }
  return out;
}

bool RemoteListView::select(int item) {
  LVITEMW it{};
  it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  it.state = 0;
  if (!block_.write(kStructOffset, &it, sizeof it)) return false;
  auto lp = reinterpret_cast<LPARAM>(block_.at(kStructOffset));
  // Clear every selection first, then select and focus the one row.
  if (!sendWithTimeout(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), lp)) return false;
  it.state = LVIS_SELECTED | LVIS_FOCUSED;
  if (!block_.write(kStructOffset, &it, sizeof it)) return false;
  auto r = sendWithTimeout(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(item), lp);
  if (!r || !*r) return false;
  sendWithTimeout(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), FALSE);
  auto sel = selection();
  return sel.size() == 1 && sel[0] == item;
}

std::optional<RECT> RemoteListView::itemRect(int item, int code) {
  RECT rc{};
  rc.left = code;
  if (!block_.write(kStructOffset, &rc, sizeof rc)) return std::nullopt;
  auto r = sendWithTimeout(list_, LVM_GETITEMRECT, static_cast<WPARAM>(item),
                           reinterpret_cast<LPARAM>(block_.at(kStructOffset)));
  if (!r || !*r) return std::nullopt;
  if (!block_.read(kStructOffset, &rc, sizeof rc)) return std::nullopt;
  return rc;
}

std::optional<int> RemoteListView::hitTest(POINT pt) {
  LVHITTESTINFO info{};
  info.pt = pt;
  if (!block_.write(kStructOffset, &info, sizeof info)) return std::nullopt;
  auto r =
      sendWithTimeout(list_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(block_.at(kStructOffset)));
  if (!r) return std::nullopt;
  if (!block_.read(kStructOffset, &info, sizeof info)) return std::nullopt;
  if (info.iItem < 0 || !(info.flags & LVHT_ONITEM)) return -1;
  return info.iItem;
}

std::optional<POINT> RemoteListView::clickPoint(int item) {
  auto rc = itemRect(item, LVIR_BOUNDS);
  if (!rc) return std::nullopt;
  RECT client{};
  GetClientRect(list_, &client);
  int left = std::max(rc->left, client.left);
  int right = std::min(rc->right, client.right);
  POINT pt{0, (rc->top + rc->bottom) / 2};
  // The first point from the left, a little inside the row, that the list
  // itself takes for this row: where a user would click.
  for (int x = left + 4; x < right; x += 6) {
    pt.x = x;
    auto hit = hitTest(pt);
    if (!hit) return std::nullopt;
    if (*hit == item) return pt;
  }
  return std::nullopt;
}

bool RemoteListView::drainPosted(int timeoutMs) {
  // A question that changes nothing: the width of the first column, which
  // no list can have negative.
  LVCOLUMNW question{};
  question.mask = LVCF_WIDTH;
  question.cx = -1;
  if (!block_.write(kFenceOffset, &question, sizeof question)) return false;
  if (!PostMessageW(list_, LVM_GETCOLUMNW, 0, reinterpret_cast<LPARAM>(block_.at(kFenceOffset)))) {
    return false;
  }
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
  for (;;) {
    LVCOLUMNW answer{};
    if (!block_.read(kFenceOffset, &answer, sizeof answer)) return false;
    if (answer.cx != -1) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(5);
  }
}

bool RemoteListView::doubleClick(int item) {
  auto pt = clickPoint(item);
  if (!pt) return false;
  // What a double-click does to a list: the first press selects the row.
  if (!select(item)) return false;
  LPARAM at = MAKELPARAM(pt->x, pt->y);
  PostMessageW(list_, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(list_, WM_LBUTTONUP, 0, at);
  PostMessageW(list_, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  PostMessageW(list_, WM_LBUTTONUP, 0, at);
  return true;
}

}  // namespace e2e
