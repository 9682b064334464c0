#include "win32/Controls.h"

#include <uxtheme.h>
#include <vssym32.h>

#include <algorithm>

#include "core/Calendar.h"
#include "platform/Errors.h"
#include "win32/Layout.h"
#include "win32/Messages.h"

namespace tarnavel::win32 {

void focusOrRemember(HWND control) {
  SendMessageW(GetAncestor(control, GA_ROOT), kFocusFromCodeMessage,
               reinterpret_cast<WPARAM>(control), 0);
}
namespace {

// Swallows the notifications that setting a value from code causes.
class Quiet {
 public:
  explicit Quiet(int& depth) : depth_(depth) { ++depth_; }
  ~Quiet() { --depth_; }
  Quiet(const Quiet&) = delete;
  Quiet& operator=(const Quiet&) = delete;

 private:
  int& depth_;
};

LRESULT send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return SendMessageW(window, message, wParam, lParam);
}

template <class T>
LPARAM address(T* p) {
  return reinterpret_cast<LPARAM>(p);
}

TimeOfDay timeOf(const SYSTEMTIME& st) {
  return {st.wHour, st.wMinute, st.wSecond};
}

}  // namespace

// --- buttons, labels, frames -------------------------------------------------

std::optional<ControlEvent> PushButton::command(WORD code) {
  if (code == BN_CLICKED) return ControlEvent{ControlEvent::Kind::Click, id()};
  return std::nullopt;
}

namespace {

constexpr UINT_PTR kFrameSubclass = 1;

void paintFrame(HWND frame, HDC dc) {
  RECT client{};
  GetClientRect(frame, &client);
  const auto font = reinterpret_cast<HFONT>(SendMessageW(frame, WM_GETFONT, 0, 0));
  const HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
  // The parent chooses the colours, as it does for the system's group box.
  auto brush = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(frame), WM_CTLCOLORSTATIC,
                                                     reinterpret_cast<WPARAM>(dc), address(frame)));
  if (brush == nullptr) brush = GetSysColorBrush(COLOR_WINDOW);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);

  RECT box = client;
  box.top += metrics.tmHeight / 2;
  const bool enabled = IsWindowEnabled(frame) != FALSE;
  if (const HTHEME theme = GetWindowTheme(frame)) {
    DrawThemeBackground(theme, dc, BP_GROUPBOX, enabled ? GBS_NORMAL : GBS_DISABLED, &box, nullptr);
  } else {
    DrawEdge(dc, &box, EDGE_ETCHED, BF_RECT);
  }

  const std::wstring text = widen(windowText(frame));
  if (!text.empty()) {
    const int indent = metrics.tmAveCharWidth + 1;
    RECT room{client.left + indent, client.top, client.right - indent,
              client.top + metrics.tmHeight};
    RECT extent = room;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &extent,
              DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    // A small gap on either side of the caption, where the line stops.
    const int gapWidth = std::max<int>(2, metrics.tmAveCharWidth / 2);
    RECT gap{extent.left - gapWidth, room.top,
             std::min<LONG>(room.right, extent.right + gapWidth + metrics.tmOverhang), room.bottom};
    FillRect(dc, &gap, brush);
    SetBkMode(dc, TRANSPARENT);
    if (!enabled) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &room,
              DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_TOP | DT_END_ELLIPSIS);
  }
  if (previous != nullptr) SelectObject(dc, previous);
}

// A text asked for as the system answers WM_GETTEXT and WM_GETTEXTLENGTH.
LRESULT answerText(const std::wstring& text, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_GETTEXTLENGTH) return static_cast<LRESULT>(text.size());
  auto* buffer = reinterpret_cast<wchar_t*>(lParam);
  if (wParam == 0 || buffer == nullptr) return 0;
  const std::size_t copied = std::min<std::size_t>(text.size(), wParam - 1);
  std::copy_n(text.data(), copied, buffer);
  buffer[copied] = L'\0';
  return static_cast<LRESULT>(copied);
}

LRESULT CALLBACK frameProcedure(HWND frame, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR self) noexcept {
  try {
    switch (message) {
      case WM_GETTEXT:
      case WM_GETTEXTLENGTH:
        if (const std::wstring* held = reinterpret_cast<const Frame*>(self)->held()) {
          return answerText(*held, message, wParam, lParam);
        }
        break;
      case WM_PAINT: {
        PAINTSTRUCT ps{};
        if (const HDC dc = BeginPaint(frame, &ps)) {
          paintFrame(frame, dc);
          EndPaint(frame, &ps);
        }
        return 0;
      }
      case WM_PRINTCLIENT: paintFrame(frame, reinterpret_cast<HDC>(wParam)); return 0;
      case WM_ERASEBKGND: return 1;  // the inside belongs to the window beneath
      case WM_SETTEXT: {
        // Stored as the system stores it, then drawn by us alone.
        const LRESULT result = DefWindowProcW(frame, message, wParam, lParam);
        InvalidateRect(frame, nullptr, FALSE);
        return result;
      }
      case WM_ENABLE:
      case WM_SETFONT: {
        const LRESULT result = DefSubclassProc(frame, message, wParam, lParam);
        InvalidateRect(frame, nullptr, FALSE);
        return result;
      }
      case WM_NCDESTROY: RemoveWindowSubclass(frame, &frameProcedure, kFrameSubclass); break;
      default: break;
    }
  } catch (...) {
  }
  return DefSubclassProc(frame, message, wParam, lParam);
}

}  // namespace

Frame::Frame(HWND window, const CtlLayout& layout) : ControlBase(window, layout) {
  SetWindowSubclass(window, &frameProcedure, kFrameSubclass, reinterpret_cast<DWORD_PTR>(this));
}

void Frame::setCaption(std::string_view text) {
  // A hidden frame (the window in the tray) is not touched: nobody sees it.
  if (!IsWindowVisible(window_)) {
    held_ = widen(text);
    return;
  }
  held_.reset();
  // The text is set without the button's own handling of WM_SETTEXT: a
  // group box invalidates the whole of itself, background and all, for a
  // new caption, and the status frame's caption changes every second. Only
  // its strip is painted, below.
  const std::wstring wide = widen(text);
  DefWindowProcW(window_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  // The window beneath repaints the caption's strip: where a longer caption
  // stood, its background shows again.
  const HWND parent = GetParent(window_);
  RECT strip{};
  GetWindowRect(window_, &strip);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&strip), 2);
  if (const int height = captionHeight(); height > 0) strip.bottom = strip.top + height;
  RedrawWindow(parent, &strip, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void Frame::windowShown() {
  if (!held_) return;
  const std::wstring text = std::move(*held_);
  held_.reset();
  // The whole window is being painted anew: the text is all it needs.
  SetWindowTextW(window_, text.c_str());
}

int Frame::captionHeight() {
  const auto font = reinterpret_cast<HFONT>(SendMessageW(window_, WM_GETFONT, 0, 0));
  if (font == measuredFont_ && captionHeight_ > 0) return captionHeight_;
  if (const HDC dc = GetDC(window_)) {
    const HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
    TEXTMETRICW metrics{};
    captionHeight_ = GetTextMetricsW(dc, &metrics) ? metrics.tmHeight + 1 : 0;
    measuredFont_ = font;
    if (previous != nullptr) SelectObject(dc, previous);
    ReleaseDC(window_, dc);
  }
  return captionHeight_;
}

bool OptionButton::value() const {
  return send(window_, BM_GETCHECK) == BST_CHECKED;
}

void OptionButton::setValue(bool chosen) {
  send(window_, BM_SETCHECK, chosen ? BST_CHECKED : BST_UNCHECKED);
}

std::optional<ControlEvent> OptionButton::command(WORD code) {
  if (code == BN_CLICKED) return ControlEvent{ControlEvent::Kind::Click, id()};
  return std::nullopt;
}

bool CheckBox::checked() const {
  return send(window_, BM_GETCHECK) == BST_CHECKED;
}

void CheckBox::setChecked(bool on) {
  send(window_, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED);
}

std::optional<ControlEvent> CheckBox::command(WORD code) {
  if (code == BN_CLICKED) return ControlEvent{ControlEvent::Kind::Click, id()};
  return std::nullopt;
}

// --- text box ----------------------------------------------------------------

std::string TextBox::caption() const {
  return whole_ ? *whole_ : windowText(window_);
}

void TextBox::setCaption(std::string_view text) {
  Quiet quiet(settingText_);
  std::wstring shown = widen(text);
  whole_.reset();
  if (shown.size() > kShownUnits) {
    // Never half of a surrogate pair.
    shown.resize(IS_HIGH_SURROGATE(shown[kShownUnits - 1]) ? kShownUnits - 1 : kShownUnits);
    whole_.emplace(text);
  }
  SetWindowTextW(window_, shown.c_str());
}

void TextBox::selectAll() {
  send(window_, EM_SETSEL, 0, -1);
}

std::optional<ControlEvent> TextBox::command(WORD code) {
  switch (code) {
    case EN_CHANGE:
      if (settingText_ > 0) return std::nullopt;
      // The user's edit of a cut text: what the box shows is the text now.
      whole_.reset();
      return ControlEvent{ControlEvent::Kind::Change, id()};
    case EN_SETFOCUS: return ControlEvent{ControlEvent::Kind::FocusGained, id()};
    case EN_KILLFOCUS: return ControlEvent{ControlEvent::Kind::FocusLost, id()};
    default: return std::nullopt;
  }
}

// --- time picker -------------------------------------------------------------

TimePicker::TimePicker(HWND window, const CtlLayout& layout) : ControlBase(window, layout) {
  last_ = value();
}

TimeOfDay TimePicker::value() const {
  SYSTEMTIME st{};
  if (send(window_, DTM_GETSYSTEMTIME, 0, address(&st)) != GDT_VALID) return {};
  return timeOf(st);
}

void TimePicker::setValue(TimeOfDay time) {
  if (time.hour < 0 || time.hour > 23 || time.minute < 0 || time.minute > 59 || time.second < 0 ||
      time.second > 59) {
    throw AppError::invalidPropertyValue();
  }
  // The date part means nothing here; today keeps the control content.
  SYSTEMTIME st{};
  GetLocalTime(&st);
  st.wHour = static_cast<WORD>(time.hour);
  st.wMinute = static_cast<WORD>(time.minute);
  st.wSecond = static_cast<WORD>(time.second);
  st.wMilliseconds = 0;
  Quiet quiet(settingValue_);
  send(window_, DTM_SETSYSTEMTIME, GDT_VALID, address(&st));
  last_ = value();
}

std::optional<ControlEvent> TimePicker::notify(const NMHDR& header) {
  if (header.code != DTN_DATETIMECHANGE || settingValue_ > 0) return std::nullopt;
  const auto& change = reinterpret_cast<const NMDATETIMECHANGE&>(header);
  if (change.dwFlags != GDT_VALID) return std::nullopt;
  // Some versions of the control report one change twice; only a new time
  // is a change.
  const TimeOfDay now = timeOf(change.st);
  if (now == last_) return std::nullopt;
  last_ = now;
  return ControlEvent{ControlEvent::Kind::Change, id()};
}

// --- combo box ---------------------------------------------------------------

std::string ComboBox::itemText(int index) const {
  const LRESULT length = send(window_, CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
  if (length == CB_ERR || length <= 0) return {};
  std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
  const LRESULT copied =
      send(window_, CB_GETLBTEXT, static_cast<WPARAM>(index), address(buffer.data()));
  if (copied == CB_ERR) return {};
  buffer.resize(static_cast<std::size_t>(copied));
  return narrow(buffer);
}

std::string ComboBox::caption() const {
  const LRESULT chosen = send(window_, CB_GETCURSEL);
  if (chosen == CB_ERR) return {};
  return itemText(static_cast<int>(chosen));
}

void ComboBox::setCaption(std::string_view text) {
  // CB_FINDSTRINGEXACT ignores letter case; the list's text must match
  // exactly.
  const int items = static_cast<int>(send(window_, CB_GETCOUNT));
  for (int i = 0; i < items; ++i) {
    if (itemText(i) == text) {
      send(window_, CB_SETCURSEL, static_cast<WPARAM>(i));
      return;
    }
  }
  throw AppError::textReadOnly();
}

void ComboBox::addItem(std::string_view text) {
  const std::wstring item = widen(text);
  const LRESULT index = send(window_, CB_ADDSTRING, 0, address(item.c_str()));
  if (index == CB_ERR || index == CB_ERRSPACE) throw AppError::outOfMemory();
}

std::optional<ControlEvent> ComboBox::command(WORD code) {
  if (code == CBN_SELCHANGE) return ControlEvent{ControlEvent::Kind::Click, id()};
  return std::nullopt;
}

// --- progress bar ------------------------------------------------------------

namespace {

constexpr UINT_PTR kBarSubclass = 1;

LRESULT CALLBACK barProcedure(HWND bar, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR self) noexcept {
  const auto& owner = *reinterpret_cast<const ProgressBar*>(self);
  switch (message) {
    case PBM_GETPOS:
      if (owner.held()) return owner.shownPosition();
      break;
    case PBM_GETRANGE:
      if (owner.held()) {
        if (auto* range = reinterpret_cast<PBRANGE*>(lParam)) *range = {0, owner.shownTop()};
        return wParam ? 0 : owner.shownTop();
      }
      break;
    case WM_NCDESTROY: RemoveWindowSubclass(bar, &barProcedure, kBarSubclass); break;
    default: break;
  }
  return DefSubclassProc(bar, message, wParam, lParam);
}

}  // namespace

ProgressBar::ProgressBar(HWND window, const CtlLayout& layout) : ControlBase(window, layout) {
  SetWindowSubclass(window, &barProcedure, kBarSubclass, reinterpret_cast<DWORD_PTR>(this));
  show();
}

void ProgressBar::setMax(int maximum) {
  max_ = maximum;
  show();
}

void ProgressBar::setValue(int shown) {
  value_ = shown;
  show();
}

// A maximum of 0 or below leaves no room: the bar shows empty.
int ProgressBar::shownPosition() const {
  return max_ > 0 ? std::clamp(value_, 0, max_) : 0;
}

void ProgressBar::show() {
  if (!IsWindowVisible(window_) && sentTop_ >= 0) {
    held_ = true;
    return;
  }
  held_ = false;
  const int top = shownTop();
  const int position = shownPosition();
  if (top != sentTop_) send(window_, PBM_SETRANGE32, 0, top);
  if (position != sentPosition_ || top != sentTop_) {
    send(window_, PBM_SETPOS, static_cast<WPARAM>(position));
  }
  sentTop_ = top;
  sentPosition_ = position;
}

void ProgressBar::windowShown() {
  if (held_) show();
}

// --- list view ---------------------------------------------------------------

ListView::ListView(HWND window, const CtlLayout& layout, unsigned dpi)
    : ControlBase(window, layout), dpi_(dpi) {}

int ListView::pixels(int twips) const {
  return std::max(0, twipsToPixels(twips, dpi_));
}

void ListView::checkRow(int row) const {
  if (row < 1 || row > count()) throw AppError::indexOutOfBounds();
}

std::size_t ListView::checkColumn(int column) const {
  if (column < 1 || column > columnCount()) throw AppError::indexOutOfBounds();
  return static_cast<std::size_t>(column - 1);
}

void ListView::addColumn(std::string_view header, int widthTwips) {
  std::wstring text = widen(header);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.cx = pixels(widthTwips);
  column.pszText = text.data();
  column.iSubItem = columnCount();
  if (send(window_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(columnCount()), address(&column)) < 0) {
    throw AppError::outOfMemory();
  }
  widths_.push_back(widthTwips);
}

int ListView::columnWidth(int column) const {
  return widths_[checkColumn(column)];
}

void ListView::setColumnWidth(int column, int widthTwips) {
  const std::size_t index = checkColumn(column);
  widths_[index] = widthTwips;
  send(window_, LVM_SETCOLUMNWIDTH, index, pixels(widthTwips));
}

int ListView::count() const {
  return static_cast<int>(send(window_, LVM_GETITEMCOUNT));
}

int ListView::add(std::string_view rowText) {
  std::wstring row = widen(rowText);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = count();
  item.pszText = row.data();
  const LRESULT index = send(window_, LVM_INSERTITEMW, 0, address(&item));
  if (index < 0) throw AppError::outOfMemory();
  return static_cast<int>(index) + 1;
}

void ListView::remove(int row) {
  checkRow(row);
  send(window_, LVM_DELETEITEM, static_cast<WPARAM>(row - 1));
}

void ListView::clear() {
  send(window_, LVM_DELETEALLITEMS);
}

std::string ListView::text(int row, int subItem) const {
  checkRow(row);
  if (subItem < 0) throw AppError::invalidPropertyValue();
  // The control says only how much it copied: grow the buffer until the text
  // fits with room to spare.
  std::wstring buffer(256, L'\0');
  for (;;) {
    LVITEMW item{};
    item.iSubItem = subItem;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    const int copied = static_cast<int>(
        send(window_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row - 1), address(&item)));
    if (copied < item.cchTextMax - 1 || buffer.size() >= (1u << 22)) {
      return narrow(std::wstring_view(item.pszText, static_cast<std::size_t>(std::max(0, copied))));
    }
    buffer.assign(buffer.size() * 2, L'\0');
  }
}

void ListView::setText(int row, int subItem, std::string_view value) {
  checkRow(row);
  if (subItem < 0) throw AppError::invalidPropertyValue();
  std::wstring wide = widen(value);
  LVITEMW item{};
  item.iSubItem = subItem;
  item.pszText = wide.data();
  send(window_, LVM_SETITEMTEXTW, static_cast<WPARAM>(row - 1), address(&item));
}

int ListView::selected() const {
  return static_cast<int>(send(window_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)) +
         1;
}

void ListView::select(int row) {
  checkRow(row);
  LVITEMW none{};
  none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  none.state = 0;
  send(window_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), address(&none));
  LVITEMW chosen{};
  chosen.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  chosen.state = LVIS_SELECTED | LVIS_FOCUSED;
  send(window_, LVM_SETITEMSTATE, static_cast<WPARAM>(row - 1), address(&chosen));
  send(window_, LVM_SETSELECTIONMARK, 0, row - 1);
  send(window_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row - 1), FALSE);
}

void ListView::holdRedraw(bool hold) noexcept {
  if (hold) {
    if (held_++ > 0) return;
    visibleWhenHeld_ = ControlBase::visible();
    send(window_, WM_SETREDRAW, FALSE);
  } else if (held_ > 0 && --held_ == 0) {
    send(window_, WM_SETREDRAW, TRUE);
    InvalidateRect(window_, nullptr, TRUE);
  }
}

// Holding the redraw may take the visible style away for the time being.
bool ListView::visible() const {
  return held_ > 0 ? visibleWhenHeld_ : ControlBase::visible();
}

std::optional<ControlEvent> ListView::notify(const NMHDR& header) {
  if (header.code == NM_DBLCLK) return ControlEvent{ControlEvent::Kind::DoubleClick, id()};
  if (header.code == NM_RCLICK) return ControlEvent{ControlEvent::Kind::RightClick, id()};
  return std::nullopt;
}

void ListView::dpiChanged(unsigned dpi) {
  dpi_ = dpi;
  for (std::size_t i = 0; i < widths_.size(); ++i) {
    send(window_, LVM_SETCOLUMNWIDTH, i, pixels(widths_[i]));
  }
}

// --- creation ----------------------------------------------------------------

namespace {

struct WindowKind {
  const wchar_t* className;
  DWORD style;
  DWORD exStyle;
};

WindowKind kindOf(CtlKind kind) {
  // Every control that takes the focus is a tab stop and a group of its own:
  // Tab walks them in the table's order, and the dialog manager's arrow keys
  // never wander into a neighbour (the option groups are not contiguous in
  // that order; the main window moves between a frame's options itself, and
  // keeps only the chosen one a tab stop).
  constexpr DWORD tab = WS_TABSTOP | WS_GROUP;
  switch (kind) {
    case CtlKind::Button: return {WC_BUTTONW, BS_PUSHBUTTON | tab, 0};
    case CtlKind::Label: return {WC_STATICW, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0};
    case CtlKind::Frame: return {WC_BUTTONW, BS_GROUPBOX, 0};
    case CtlKind::ProgressBar: return {PROGRESS_CLASSW, 0, 0};
    case CtlKind::Option: return {WC_BUTTONW, BS_RADIOBUTTON | tab, 0};
    case CtlKind::TextBox: return {WC_EDITW, ES_LEFT | ES_AUTOHSCROLL | tab, WS_EX_CLIENTEDGE};
    case CtlKind::TimePicker: return {DATETIMEPICK_CLASSW, DTS_TIMEFORMAT | tab, 0};
    case CtlKind::ComboBox: return {WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | tab, 0};
    case CtlKind::Check: return {WC_BUTTONW, BS_CHECKBOX | tab, 0};
    case CtlKind::ListView:
      return {WC_LISTVIEWW, LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | tab,
              WS_EX_CLIENTEDGE};
  }
  return {WC_STATICW, 0, 0};
}

}  // namespace

std::unique_ptr<ChildControl> createControl(const CtlLayout& layout, HWND parent,
                                            HINSTANCE instance, int id, unsigned dpi) {
  const WindowKind kind = kindOf(layout.kind);
  const PixelRect place = controlRect(layout, dpi);
  int height = place.height();
  // A drop-down list's window height is the height of its opened list; the
  // closed box takes its height from the font.
  if (layout.kind == CtlKind::ComboBox) height = place.height() * 9;
  const HWND window = CreateWindowExW(
      kind.exStyle, kind.className, widen(layout.text).c_str(),
      WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | kind.style, place.left, place.top, place.width(),
      height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  if (window == nullptr) throw AppError::system(systemMessage(GetLastError()));

  switch (layout.kind) {
    case CtlKind::Button: return std::make_unique<PushButton>(window, layout);
    case CtlKind::Label: return std::make_unique<Label>(window, layout);
    case CtlKind::Frame: return std::make_unique<Frame>(window, layout);
    case CtlKind::ProgressBar: return std::make_unique<ProgressBar>(window, layout);
    case CtlKind::Option: return std::make_unique<OptionButton>(window, layout);
    case CtlKind::TextBox: return std::make_unique<TextBox>(window, layout);
    case CtlKind::TimePicker: return std::make_unique<TimePicker>(window, layout);
    case CtlKind::ComboBox: {
      auto combo = std::make_unique<ComboBox>(window, layout);
      for (std::string_view day : kWeekdayNames)
        combo->addItem(day);
      return combo;
    }
    case CtlKind::Check: return std::make_unique<CheckBox>(window, layout);
    case CtlKind::ListView: {
      send(window, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER,
           LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
      SetWindowTheme(window, L"Explorer", nullptr);
      return std::make_unique<ListView>(window, layout, dpi);
    }
  }
  DestroyWindow(window);
  throw AppError::invalidCall();
}

}  // namespace tarnavel::win32
