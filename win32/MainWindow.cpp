#include "win32/MainWindow.h"

#include <commctrl.h>
#include <windowsx.h>

#include <utility>

#include "platform/Errors.h"
#include "resources/resource.h"
#include "win32/KeyboardHook.h"
#include "win32/Layout.h"
#include "win32/Messages.h"
#include "win32/SingleInstance.h"
#include "win32/Text.h"

namespace tarnavel::win32 {
namespace {

// A normal window that can be minimised but neither resized nor maximised.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
constexpr UINT_PTR kTimerId = 1;
constexpr UINT_PTR kTrayTimerId = 2;
constexpr UINT_PTR kHookTimerId = 3;
// Control ids start above IDOK and IDCANCEL, which the dialog manager sends
// for Enter and Escape.
constexpr int kFirstControlId = 100;

std::size_t slot(Ctl id) {
  return static_cast<std::size_t>(id);
}

MainWindow* objectOf(HWND window) {
  return reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace

// --- creation ----------------------------------------------------------------

MainWindow::MainWindow(HINSTANCE instance) : instance_(instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &MainWindow::procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kMainWindowClass;
  const ATOM atom = RegisterClassExW(&wc);
  if (atom == 0) throw AppError::system(systemMessage(GetLastError()));
  class_ = WindowClass(atom, instance);

  // First made at the system DPI; the monitor the window lands on decides
  // its real DPI, and the layout below follows that.
  dpi_ = GetDpiForSystem();
  const SIZE size = frameSize(dpi_);
  CreateWindowExW(kExStyle, class_.name(), L"", kStyle, CW_USEDEFAULT, CW_USEDEFAULT, size.cx,
                  size.cy, nullptr, nullptr, instance, this);
  if (!window_) throw AppError::system(systemMessage(GetLastError()));
  try {
    dpi_ = GetDpiForWindow(window_.get());
    fonts_.emplace(dpi_);
    createControls();
    createTooltip();
    extendSystemMenu();
    // No message filter is opened for WM_COPYDATA: requests change what the
    // program does, so a program of lower integrity (a sandboxed process of
    // the same user) cannot send them to a Tarnavel run as administrator.
    applyFonts(*fonts_);
    layout(nullptr);
    timer_.emplace(window_.get(), kTimerId);
    trayTimer_.emplace(window_.get(), kTrayTimerId);
    hookTimer_.emplace(window_.get(), kHookTimerId);
    watchSession();
  } catch (...) {
    teardown();
    throw;
  }
}

MainWindow::~MainWindow() {
  teardown();
}

void MainWindow::destroy() noexcept {
  events_ = nullptr;
  session_.reset();
  if (window_) SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
  window_.reset();
}

void MainWindow::teardown() noexcept {
  events_ = nullptr;
  session_.reset();
  timer_.reset();
  trayTimer_.reset();
  hookTimer_.reset();
  // The window is destroyed without its object: nothing it does on the way
  // out reaches members that are about to go. The control windows go with
  // it; their objects only borrow them.
  if (window_) SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
  window_.reset();
  controls_.clear();
}

SIZE MainWindow::frameSize(unsigned dpi) const {
  const PixelSize client = clientSize(dpi);
  RECT r{0, 0, client.width, client.height};
  AdjustWindowRectExForDpi(&r, kStyle, FALSE, kExStyle, dpi);
  return {r.right - r.left, r.bottom - r.top};
}

void MainWindow::createControls() {
  controls_.resize(kForm1Layout.size());
  for (std::size_t i = 0; i < kForm1Layout.size(); ++i) {
    const CtlLayout& entry = kForm1Layout[i];
    controls_[slot(entry.id)] =
        createControl(entry, window_.get(), instance_, kFirstControlId + static_cast<int>(i), dpi_);
    controls_[slot(entry.id)]->onLock = [this](ChildControl& control, std::string_view tip) {
      addLockTip(control, tip);
    };
  }
  // The hint above "Turn On" reaches down under the two top buttons: it goes
  // beneath them, so that they are drawn whole, and its font keeps its text
  // to the strip above them. Frames go to the bottom of the sibling order:
  // the controls they hold are drawn over them. The order of everything else
  // stays the table's (it is also the Tab order; the hint is no tab stop).
  SetWindowPos(controls_[slot(Ctl::Label4)]->window(), HWND_BOTTOM, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  for (const CtlLayout& entry : kForm1Layout) {
    if (entry.kind == CtlKind::Frame) {
      SetWindowPos(controls_[slot(entry.id)]->window(), HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
}

void MainWindow::createTooltip() {
  tooltip_ =
      CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                      WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, window_.get(), nullptr, instance_, nullptr);
  if (tooltip_ == nullptr) return;  // the lists work without their hint
  std::wstring text = widen(kListTooltip);
  for (Ctl list : {Ctl::ListView1, Ctl::ListView2}) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = window_.get();
    tool.uId = reinterpret_cast<UINT_PTR>(controls_[slot(list)]->window());
    tool.lpszText = text.data();
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void MainWindow::addLockTip(const ChildControl& control, std::string_view tip) {
  if (tooltip_ == nullptr) return;  // locked all the same, without the tip
  std::wstring text = widen(tip);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.hwnd = window_.get();
  tool.uId = reinterpret_cast<UINT_PTR>(control.window());
  tool.lpszText = text.data();  // the tooltip keeps its own copy
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  lockTips_.push_back(control.id());
  placeLockTips();
}

void MainWindow::placeLockTips() {
  for (const Ctl id : lockTips_) {
    const PixelRect place = controlRect(layoutOf(id), dpi_);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = window_.get();
    tool.uId = reinterpret_cast<UINT_PTR>(controls_[slot(id)]->window());
    tool.rect = {place.left, place.top, place.right, place.bottom};
    SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void MainWindow::relayToTooltip(const MSG& message) const {
  if (tooltip_ == nullptr || message.message < WM_MOUSEFIRST || message.message > WM_MOUSELAST) {
    return;
  }
  for (Ctl list : {Ctl::ListView1, Ctl::ListView2}) {
    if (message.hwnd == controls_[slot(list)]->window()) {
      SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
      return;
    }
  }
  // A locked control gets no mouse message: the window beneath it does (the
  // frame around it, or the main window). The lock tips cover places in the
  // main window, so they hear of it as the main window's.
  if (lockTips_.empty() ||
      (message.hwnd != window_.get() && GetParent(message.hwnd) != window_.get())) {
    return;
  }
  MSG relayed = message;
  if (message.hwnd != window_.get() && message.message != WM_MOUSEWHEEL &&
      message.message != WM_MOUSEHWHEEL) {
    POINT at{GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)};
    MapWindowPoints(message.hwnd, window_.get(), &at, 1);
    relayed.lParam = MAKELPARAM(at.x, at.y);
  }
  relayed.hwnd = window_.get();
  SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

bool MainWindow::preTranslate(const MSG& message) {
  if (message.message != WM_KEYDOWN || !window_ || !IsChild(window_.get(), message.hwnd)) {
    return false;
  }
  switch (message.wParam) {
    case VK_TAB: setOptionTabStops(); return false;
    case VK_DOWN:
    case VK_RIGHT: return moveInOptionGroup(message.hwnd, true);
    case VK_UP:
    case VK_LEFT: return moveInOptionGroup(message.hwnd, false);
    default: return false;
  }
}

bool MainWindow::moveInOptionGroup(HWND from, bool forward) {
  const ChildControl* current = controlFromWindow(from);
  if (current == nullptr || current->layout().kind != CtlKind::Option) return false;
  // The frame's options in the table's order, which is their reading order.
  std::vector<HWND> group;
  std::size_t at = 0;
  for (const CtlLayout& entry : kForm1Layout) {
    if (entry.kind != CtlKind::Option || entry.container != current->layout().container) continue;
    const HWND option = controls_[slot(entry.id)]->window();
    if (option == from) at = group.size();
    if (option == from || (IsWindowVisible(option) && IsWindowEnabled(option))) {
      group.push_back(option);
    }
  }
  const std::size_t n = group.size();
  const HWND next = group[forward ? (at + 1) % n : (at + n - 1) % n];
  if (next == from) return true;
  SetFocus(next);
  // Windows' own radio buttons may report a click when they take the focus;
  // one that is chosen by then needs no second click.
  if (SendMessageW(next, BM_GETCHECK, 0, 0) != BST_CHECKED) {
    if (const ChildControl* target = controlFromWindow(next)) {
      raise({ControlEvent::Kind::Click, target->id()});
    }
  }
  return true;
}

void MainWindow::setOptionTabStops() {
  // Tab reaches a frame's options at the chosen one; with none chosen, at
  // the first that can take the focus.
  for (const CtlLayout& frame : kForm1Layout) {
    if (frame.kind != CtlKind::Frame) continue;
    HWND stop = nullptr;
    HWND first = nullptr;
    std::vector<HWND> options;
    for (const CtlLayout& entry : kForm1Layout) {
      if (entry.kind != CtlKind::Option || entry.container != frame.id) continue;
      const HWND option = controls_[slot(entry.id)]->window();
      options.push_back(option);
      if (first == nullptr && IsWindowVisible(option) && IsWindowEnabled(option)) first = option;
      if (stop == nullptr && SendMessageW(option, BM_GETCHECK, 0, 0) == BST_CHECKED) stop = option;
    }
    if (stop == nullptr) stop = first;
    for (HWND option : options) {
      const LONG_PTR style = GetWindowLongPtrW(option, GWL_STYLE);
      const LONG_PTR wanted = option == stop ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
      if (wanted != style) SetWindowLongPtrW(option, GWL_STYLE, wanted);
    }
  }
}

void MainWindow::applyFonts(const FontSet& fonts) {
  for (const auto& control : controls_) {
    SendMessageW(control->window(), WM_SETFONT,
                 reinterpret_cast<WPARAM>(fonts.font(control->layout().font)), TRUE);
  }
}

void MainWindow::layout(const POINT* topLeft) {
  const SIZE size = frameSize(dpi_);
  UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
  if (topLeft == nullptr) flags |= SWP_NOMOVE;
  SetWindowPos(window_.get(), nullptr, topLeft ? topLeft->x : 0, topLeft ? topLeft->y : 0, size.cx,
               size.cy, flags);
  // The frame the system really drew may differ from the computed one (its
  // metrics for a DPI it has not moved to yet, a window manager's own): the
  // client area is what must come out right.
  const PixelSize wanted = clientSize(dpi_);
  RECT client{};
  GetClientRect(window_.get(), &client);
  const int dx = wanted.width - client.right;
  const int dy = wanted.height - client.bottom;
  if (dx != 0 || dy != 0) {
    SetWindowPos(window_.get(), nullptr, 0, 0, size.cx + dx, size.cy + dy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  for (const auto& control : controls_) {
    const PixelRect place = controlRect(control->layout(), dpi_);
    int height = place.height();
    if (control->layout().kind == CtlKind::ComboBox) height *= 9;  // the opened list
    SetWindowPos(control->window(), nullptr, place.left, place.top, place.width(), height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  placeLockTips();
}

void MainWindow::loadIcons() {
  // A size between the icon's own sizes is best made by shrinking the next
  // larger image, which LoadIconWithScaleDown does. The mingw import library
  // lacks it, so it is looked up; LoadImageW stands in where it is missing.
  using ScaleDown = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
  ScaleDown scaleDown = nullptr;
  if (const HMODULE comctl = GetModuleHandleW(L"comctl32.dll")) {
    if (const FARPROC found = GetProcAddress(comctl, "LoadIconWithScaleDown")) {
      // Through void(*)(), the one function type that converts to any other.
      scaleDown = reinterpret_cast<ScaleDown>(reinterpret_cast<void (*)()>(found));
    }
  }
  const auto load = [&](int metricX, int metricY) {
    const int cx = GetSystemMetricsForDpi(metricX, dpi_);
    const int cy = GetSystemMetricsForDpi(metricY, dpi_);
    HICON icon = nullptr;
    if (scaleDown == nullptr ||
        FAILED(scaleDown(instance_, MAKEINTRESOURCEW(IDI_TARNAVEL), cx, cy, &icon))) {
      icon = static_cast<HICON>(
          LoadImageW(instance_, MAKEINTRESOURCEW(IDI_TARNAVEL), IMAGE_ICON, cx, cy, 0));
    }
    if (icon == nullptr) throw AppError::system(systemMessage(GetLastError()));
    return Icon(icon);
  };
  Icon big = load(SM_CXICON, SM_CYICON);
  Icon small = load(SM_CXSMICON, SM_CYSMICON);
  SendMessageW(window_.get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
  SendMessageW(window_.get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
  // The old icons are freed only now that the window no longer shows them.
  bigIcon_ = std::move(big);
  smallIcon_ = std::move(small);
}

Form1Controls MainWindow::controls() {
  // By name: a control bound to the wrong member would not be seen by the
  // logic's tests, which bind the fakes the same way.
  return {
      .Form = *this,
      .PushButton1 = control<PushButton>(Ctl::PushButton1),
      .PushButton2 = control<PushButton>(Ctl::PushButton2),
      .PushButton3 = control<PushButton>(Ctl::PushButton3),
      .PushButton4 = control<PushButton>(Ctl::PushButton4),
      .PushButton5 = control<PushButton>(Ctl::PushButton5),
      .PushButton6 = control<PushButton>(Ctl::PushButton6),
      .PushButton7 = control<PushButton>(Ctl::PushButton7),
      .PushButton8 = control<PushButton>(Ctl::PushButton8),
      .PushButton9 = control<PushButton>(Ctl::PushButton9),
      .PushButton10 = control<PushButton>(Ctl::PushButton10),
      .Label1 = control<Label>(Ctl::Label1),
      .Label2 = control<Label>(Ctl::Label2),
      .Label3 = control<Label>(Ctl::Label3),
      .Label4 = control<Label>(Ctl::Label4),
      .Frame1 = control<Frame>(Ctl::Frame1),
      .Frame2 = control<Frame>(Ctl::Frame2),
      .Frame3 = control<Frame>(Ctl::Frame3),
      .Frame4 = control<Frame>(Ctl::Frame4),
      .ProgressBar1 = control<ProgressBar>(Ctl::ProgressBar1),
      .Option1 = control<OptionButton>(Ctl::Option1),
      .Option2 = control<OptionButton>(Ctl::Option2),
      .Option3 = control<OptionButton>(Ctl::Option3),
      .Option4 = control<OptionButton>(Ctl::Option4),
      .Option5 = control<OptionButton>(Ctl::Option5),
      .Option6 = control<OptionButton>(Ctl::Option6),
      .Option7 = control<OptionButton>(Ctl::Option7),
      .Option8 = control<OptionButton>(Ctl::Option8),
      .Text1 = control<TextBox>(Ctl::Text1),
      .Text2 = control<TextBox>(Ctl::Text2),
      .Text3 = control<TextBox>(Ctl::Text3),
      .dtpWeekly = control<TimePicker>(Ctl::dtpWeekly),
      .cboWeekly = control<ComboBox>(Ctl::cboWeekly),
      .Check4 = control<CheckBox>(Ctl::Check4),
      .Check8 = control<CheckBox>(Ctl::Check8),
      .ListView1 = control<ListView>(Ctl::ListView1),
      .ListView2 = control<ListView>(Ctl::ListView2),
      .Timer1 = *timer_,
      .TrayTimer = *trayTimer_,
      .HookTimer = *hookTimer_,
  };
}

// --- IMainWindow -------------------------------------------------------------

Hwnd32 MainWindow::handle() const {
  return toHwnd32(window_.get());
}

void MainWindow::setCaption(std::string_view text) {
  setWindowText(window_.get(), text);
}

void MainWindow::setAppIcon() {
  iconWanted_ = true;
  loadIcons();
}

WindowState MainWindow::state() const {
  if (!IsWindowVisible(window_.get()) && pendingState_) return *pendingState_;
  if (IsIconic(window_.get())) return WindowState::Minimized;
  if (IsZoomed(window_.get())) return WindowState::Maximized;
  return WindowState::Normal;
}

void MainWindow::setState(WindowState wanted) {
  if (!IsWindowVisible(window_.get())) {
    // Any ShowWindow but SW_HIDE would show the window: keep the state until
    // it is shown.
    pendingState_ = wanted;
    return;
  }
  if (wanted == state()) return;
  switch (wanted) {
    case WindowState::Minimized: ShowWindow(window_.get(), SW_MINIMIZE); break;
    case WindowState::Maximized: ShowWindow(window_.get(), SW_SHOWMAXIMIZED); break;
    case WindowState::Normal: ShowWindow(window_.get(), SW_SHOWNORMAL); break;
  }
}

bool MainWindow::visible() const {
  return IsWindowVisible(window_.get()) != FALSE;
}

void MainWindow::setVisible(bool on) {
  if (on == visible()) return;
  if (!on) {
    ShowWindow(window_.get(), SW_HIDE);
    return;
  }
  int command = SW_SHOW;
  if (pendingState_) {
    switch (*pendingState_) {
      case WindowState::Minimized: command = SW_SHOWMINIMIZED; break;
      case WindowState::Maximized: command = SW_SHOWMAXIMIZED; break;
      case WindowState::Normal: command = SW_SHOWNORMAL; break;
    }
    pendingState_.reset();
  }
  ShowWindow(window_.get(), command);
  UpdateWindow(window_.get());
}

void MainWindow::activate() {
  // While a box of ours holds the window disabled, the box is what comes to
  // the front.
  HWND target = GetLastActivePopup(window_.get());
  if (target == nullptr || !IsWindowVisible(target)) target = window_.get();
  SetForegroundWindow(target);
  if (target == window_.get()) SetActiveWindow(target);
}

void MainWindow::setPointer(MousePointer setting) {
  pointer_ = setting;
  refreshCursor();
}

void MainWindow::loadCustomPointer(std::string_view path) {
  Cursor loaded(LoadCursorFromFileW(widen(path).c_str()));
  if (!loaded) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      throw AppError::fileNotFound();
    }
    // A file that is there but is no cursor leaves no error code.
    if (error == ERROR_SUCCESS) throw AppError::system("Invalid picture");
    throw AppError::system(systemMessage(error));
  }
  Cursor old = std::exchange(customCursor_, std::move(loaded));
  // Off the screen before the old image is freed.
  refreshCursor();
}

void MainWindow::useButtonFaceColours() {
  buttonFace_ = true;
  RedrawWindow(window_.get(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

// --- pointer -----------------------------------------------------------------

HCURSOR MainWindow::pointerCursor() const {
  switch (pointer_) {
    case MousePointer::Hourglass: return LoadCursorW(nullptr, IDC_WAIT);
    case MousePointer::Custom:
      return customCursor_ ? customCursor_.get() : LoadCursorW(nullptr, IDC_ARROW);
    case MousePointer::Default: break;
  }
  return nullptr;  // each control shows its own
}

void MainWindow::refreshCursor() {
  if (!window_ || GetCapture() != nullptr) return;
  POINT at{};
  if (!GetCursorPos(&at)) return;
  const HWND under = WindowFromPoint(at);
  if (under != window_.get() && !IsChild(window_.get(), under)) return;
  // As if the pointer had just arrived, without the mouse moving: no
  // mouse-move event is raised for this.
  const auto hit = static_cast<WORD>(SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y)));
  SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(hit, 0));
}

Ctl MainWindow::controlUnderPointer(HWND target) const {
  // From a part of a control (a list's header, a picker's arrows) up to the
  // control itself.
  while (target != nullptr && target != window_.get() && GetParent(target) != window_.get()) {
    target = GetParent(target);
  }
  if (target != nullptr && target != window_.get()) {
    if (const ChildControl* control = controlFromWindow(target)) return control->id();
    return Ctl::None;
  }
  // Labels and frames let the mouse through to the window: find the one
  // under the pointer, a label before the frame around it.
  const DWORD pos = GetMessagePos();
  POINT at{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
  ScreenToClient(window_.get(), &at);
  for (CtlKind kind : {CtlKind::Label, CtlKind::Frame}) {
    for (const auto& control : controls_) {
      if (control->layout().kind != kind) continue;
      if ((GetWindowLongPtrW(control->window(), GWL_STYLE) & WS_VISIBLE) == 0) continue;
      RECT r{};
      GetWindowRect(control->window(), &r);
      MapWindowPoints(nullptr, window_.get(), reinterpret_cast<POINT*>(&r), 2);
      if (PtInRect(&r, at)) return control->id();
    }
  }
  return Ctl::None;
}

bool MainWindow::setCursorFor(HWND target, WORD hitTest, WORD mouseMessage) {
  // The title bar and the border keep the system's pointers.
  if (target == window_.get() && hitTest != HTCLIENT) return false;
  if (mouseMessage == WM_MOUSEMOVE && IsWindowEnabled(window_.get())) {
    const Ctl under = controlUnderPointer(target);
    deliver([&](FormEvents& e) { e.onMouseMove(under); });
    if (!window_) return true;
  }
  if (const HCURSOR cursor = pointerCursor()) {
    SetCursor(cursor);
    return true;
  }
  if (target == window_.get()) {
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    return true;
  }
  return false;  // the control sets its own (an I-beam over a text box)
}

// --- colours -----------------------------------------------------------------

int MainWindow::backgroundColour() const {
  return buttonFace_ ? COLOR_BTNFACE : COLOR_WINDOW;
}

LRESULT MainWindow::controlColour(HDC dc, HWND control, bool button) {
  const ChildControl* child = controlFromWindow(control);
  if (child == nullptr) return 0;
  const CtlKind kind = child->layout().kind;
  const bool painted = kind == CtlKind::Option || kind == CtlKind::Check ||
                       kind == CtlKind::Frame || kind == CtlKind::Label;
  // Push buttons draw their own face; the brush fills the corners around it.
  if (!painted && !(button && kind == CtlKind::Button)) return 0;
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(backgroundColour()));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(backgroundColour()));
}

// --- events ------------------------------------------------------------------

void MainWindow::raise(const ControlEvent& event) {
  using Kind = ControlEvent::Kind;
  switch (event.kind) {
    case Kind::Click: deliver([&](FormEvents& e) { e.onClick(event.control); }); break;
    case Kind::DoubleClick: deliver([&](FormEvents& e) { e.onDoubleClick(event.control); }); break;
    case Kind::RightClick: deliver([&](FormEvents& e) { e.onRightClick(event.control); }); break;
    case Kind::Change: deliver([&](FormEvents& e) { e.onChange(event.control); }); break;
    case Kind::FocusGained:
    case Kind::FocusLost:
      // Focus comes and goes with the window's activation too (another
      // program, a message box of ours); only moves between our own controls
      // count. They are delivered once the move is complete, so that the
      // logic may show a box or move the focus itself.
      if (!active_ || quietFocus_) break;
      PostMessageW(window_.get(), kFocusMessage, static_cast<WPARAM>(event.control),
                   event.kind == Kind::FocusGained ? 1 : 0);
      break;
  }
}

void MainWindow::requestClose() {
  // A second request while the first is being handled (the close handling
  // lets pending messages run) adds nothing.
  if (closing_) return;
  closing_ = true;
  deliver([](FormEvents& e) { e.onCloseRequest(); });
  closing_ = false;
}

ChildControl* MainWindow::controlFromWindow(HWND window) const {
  if (window == nullptr) return nullptr;
  for (const auto& control : controls_) {
    if (control && control->window() == window) return control.get();
  }
  return nullptr;
}

ChildControl* MainWindow::controlFromId(int id) const {
  const int index = id - kFirstControlId;
  if (index < 0 || index >= static_cast<int>(kForm1Layout.size())) return nullptr;
  if (controls_.empty()) return nullptr;
  return controls_[slot(kForm1Layout[static_cast<std::size_t>(index)].id)].get();
}

// --- the window procedure ----------------------------------------------------

LRESULT CALLBACK MainWindow::procedure(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept {
  try {
    if (message == WM_NCCREATE) {
      auto* self =
          static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      self->window_.reset(window);
    }
    MainWindow* self = objectOf(window);
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      self->window_.release();
      return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->handle(message, wParam, lParam);
  } catch (...) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
}

// --- routing -----------------------------------------------------------------
//
// One table says which member handles each of the window's own messages;
// messages owned by other objects (the tray icon, the keyboard hook) reach
// them through route(). A handler that returns nothing lets the system's
// default handling run.

const MainWindow::Route MainWindow::kRoutes[] = {
    {WM_COMMAND, &MainWindow::onCommand},
    {WM_NOTIFY, &MainWindow::onNotify},
    {kFocusMessage, &MainWindow::onFocusMessage},
    {kFocusFromCodeMessage, &MainWindow::onFocusFromCode},
    {DM_GETDEFID, &MainWindow::onGetDefaultId},
    {WM_TIMER, &MainWindow::onTimer},
    {WM_SETCURSOR, &MainWindow::onSetCursor},
    {WM_CTLCOLORSTATIC, &MainWindow::onControlColour},
    {WM_CTLCOLORBTN, &MainWindow::onControlColour},
    {WM_ERASEBKGND, &MainWindow::onEraseBackground},
    {WM_PRINTCLIENT, &MainWindow::onEraseBackground},
    {WM_ACTIVATE, &MainWindow::onActivate},
    {WM_SETFOCUS, &MainWindow::onSetFocus},
    {WM_SIZE, &MainWindow::onSize},
    {WM_WINDOWPOSCHANGED, &MainWindow::onPositionChanged},
    {WM_GETDPISCALEDSIZE, &MainWindow::onGetDpiScaledSize},
    {WM_DPICHANGED, &MainWindow::onDpiChanged},
    {kToggleMessage, &MainWindow::onToggleMessage},
    {WM_CLOSE, &MainWindow::onClose},
    {WM_QUERYENDSESSION, &MainWindow::onQueryEndSession},
    {WM_ENDSESSION, &MainWindow::onEndSession},
    {WM_WTSSESSION_CHANGE, &MainWindow::onSessionChange},
    {WM_POWERBROADCAST, &MainWindow::onPowerBroadcast},
    {WM_SYSCOMMAND, &MainWindow::onSystemCommand},
    {WM_COPYDATA, &MainWindow::onCopyData},
};

void MainWindow::route(UINT message, Handler handler) {
  for (auto& [number, existing] : routes_) {
    if (number == message) {
      existing = std::move(handler);
      return;
    }
  }
  routes_.emplace_back(message, std::move(handler));
}

UINT MainWindow::routeRegistered(const wchar_t* name, Handler handler) {
  const UINT message = RegisterWindowMessageW(name);
  if (message != 0) route(message, std::move(handler));
  return message;
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  std::optional<LRESULT> result;
  bool routed = false;
  for (const Route& r : kRoutes) {
    if (r.message == message) {
      result = (this->*r.handler)(message, wParam, lParam);
      routed = true;
      break;
    }
  }
  if (!routed) {
    for (const auto& [number, handler] : routes_) {
      if (number == message) {
        result = handler(wParam, lParam);
        break;
      }
    }
  }
  if (result) return *result;
  return DefWindowProcW(window_.get(), message, wParam, lParam);
}

std::optional<LRESULT> MainWindow::onCommand(UINT, WPARAM wParam, LPARAM lParam) {
  // Enter and Escape reach us as IDOK and IDCANCEL without a control:
  // nothing to do.
  const auto from = reinterpret_cast<HWND>(lParam);
  ChildControl* control = controlFromId(LOWORD(wParam));
  if (from != nullptr && control != nullptr && control->window() == from) {
    if (const auto event = control->command(HIWORD(wParam))) raise(*event);
  }
  return 0;
}

std::optional<LRESULT> MainWindow::onNotify(UINT, WPARAM, LPARAM lParam) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (ChildControl* control = controlFromWindow(header->hwndFrom)) {
    if (const auto event = control->notify(*header)) raise(*event);
  }
  return 0;
}

std::optional<LRESULT> MainWindow::onFocusMessage(UINT, WPARAM wParam, LPARAM lParam) {
  deliver([&](FormEvents& e) { e.onFocus(static_cast<Ctl>(wParam), lParam != 0); });
  return 0;
}

std::optional<LRESULT> MainWindow::onFocusFromCode(UINT, WPARAM wParam, LPARAM) {
  const auto target = reinterpret_cast<HWND>(wParam);
  if (!IsChild(window_.get(), target)) return 0;
  // Taking the focus now would activate the window and take the foreground
  // from the window that was just switched to: it waits for the window's
  // next activation then.
  if (GetForegroundWindow() != window_.get()) {
    lastFocus_ = target;
    return 0;
  }
  // A focus move made by the program is not one the user made: like a value
  // set from code, it raises no focus events.
  quietFocus_ = true;
  SetFocus(target);
  quietFocus_ = false;
  return 0;
}

std::optional<LRESULT> MainWindow::onGetDefaultId(UINT, WPARAM, LPARAM) {
  // The dialog manager asks which button Enter presses: the push button
  // that has the focus, if any.
  const ChildControl* focused = controlFromWindow(GetFocus());
  if (focused != nullptr && focused->layout().kind == CtlKind::Button) {
    return MAKELRESULT(GetDlgCtrlID(focused->window()), DC_HASDEFID);
  }
  return 0;
}

std::optional<LRESULT> MainWindow::onTimer(UINT, WPARAM wParam, LPARAM) {
  if (timer_) timer_->onWmTimer(wParam, [&] { deliver([](FormEvents& e) { e.onTimer(); }); });
  if (trayTimer_) {
    trayTimer_->onWmTimer(wParam, [&] { deliver([](FormEvents& e) { e.onTrayTimer(); }); });
  }
  if (hookTimer_) {
    hookTimer_->onWmTimer(wParam, [&] {
      if (!session_) watchSession();
      deliver([](FormEvents& e) { e.onHookTimer(); });
    });
  }
  return 0;
}

std::optional<LRESULT> MainWindow::onSetCursor(UINT, WPARAM wParam, LPARAM lParam) {
  const auto target = reinterpret_cast<HWND>(wParam);
  if (setCursorFor(target, LOWORD(lParam), HIWORD(lParam))) return TRUE;
  if (target != window_.get()) return FALSE;
  return std::nullopt;
}

std::optional<LRESULT> MainWindow::onControlColour(UINT message, WPARAM wParam, LPARAM lParam) {
  if (const LRESULT brush =
          controlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam),
                        message == WM_CTLCOLORBTN)) {
    return brush;
  }
  return std::nullopt;
}

std::optional<LRESULT> MainWindow::onEraseBackground(UINT message, WPARAM wParam, LPARAM) {
  RECT client{};
  GetClientRect(window_.get(), &client);
  FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(backgroundColour()));
  return message == WM_ERASEBKGND ? 1 : 0;
}

std::optional<LRESULT> MainWindow::onActivate(UINT, WPARAM wParam, LPARAM) {
  if (LOWORD(wParam) == WA_INACTIVE) {
    const HWND focus = GetFocus();
    if (focus != nullptr && IsChild(window_.get(), focus)) lastFocus_ = focus;
    active_ = false;
  } else {
    active_ = true;
  }
  return std::nullopt;
}

std::optional<LRESULT> MainWindow::onSetFocus(UINT, WPARAM, LPARAM) {
  // Coming back to the window: the control that had the focus gets it
  // again, without the logic hearing of a focus change.
  const HWND self = window_.get();
  HWND target = lastFocus_;
  if (target == nullptr || !IsWindow(target) || !IsChild(self, target) ||
      !IsWindowVisible(target) || !IsWindowEnabled(target)) {
    target = GetNextDlgTabItem(self, nullptr, FALSE);
  }
  if (target != nullptr) {
    quietFocus_ = true;
    SetFocus(target);
    quietFocus_ = false;
  }
  return 0;
}

std::optional<LRESULT> MainWindow::onSize(UINT, WPARAM wParam, LPARAM) {
  if (wParam == SIZE_RESTORED || wParam == SIZE_MINIMIZED || wParam == SIZE_MAXIMIZED) {
    deliver([](FormEvents& e) { e.onResize(); });
  }
  return 0;
}

// However the window comes back (the tray, a command, the hot key), the
// controls that waited while it was hidden catch up before it is painted.
std::optional<LRESULT> MainWindow::onPositionChanged(UINT, WPARAM, LPARAM lParam) {
  if ((reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW) != 0) {
    for (const auto& control : controls_)
      control->windowShown();
  }
  return std::nullopt;
}

std::optional<LRESULT> MainWindow::onGetDpiScaledSize(UINT, WPARAM wParam, LPARAM lParam) {
  *reinterpret_cast<SIZE*>(lParam) = frameSize(static_cast<unsigned>(wParam));
  return TRUE;
}

std::optional<LRESULT> MainWindow::onDpiChanged(UINT, WPARAM wParam, LPARAM lParam) {
  dpi_ = HIWORD(wParam);
  // The new fonts are in place before the old ones are freed.
  std::optional<FontSet> fonts(std::in_place, dpi_);
  applyFonts(*fonts);
  fonts_.swap(fonts);
  const auto* suggested = reinterpret_cast<const RECT*>(lParam);
  const POINT topLeft{suggested->left, suggested->top};
  layout(&topLeft);
  for (const auto& control : controls_)
    control->dpiChanged(dpi_);
  if (iconWanted_) loadIcons();
  if (pointer_ != MousePointer::Default) refreshCursor();
  return 0;
}

std::optional<LRESULT> MainWindow::onToggleMessage(UINT, WPARAM wParam, LPARAM lParam) {
  deliver([&](FormEvents& e) { e.onKeyT(KeyboardHook::decode(wParam, lParam)); });
  return 0;
}

// The close box, the system menu and Alt+F4. Closing is the logic's
// decision; the window is never destroyed here.
std::optional<LRESULT> MainWindow::onClose(UINT, WPARAM, LPARAM) {
  requestClose();
  return 0;
}

// Windows asks every program before the session ends, and any of them may
// still cancel it after that: the answer comes at once, and the program goes
// on until WM_ENDSESSION says the end is real.
std::optional<LRESULT> MainWindow::onQueryEndSession(UINT, WPARAM, LPARAM) {
  bool yes = true;
  deliver([&](FormEvents& e) { yes = e.onQueryEndSession(); });
  return yes ? TRUE : FALSE;
}

// The session may end as soon as this returns: what closing stores is stored
// before that. A cancelled end leaves everything running.
std::optional<LRESULT> MainWindow::onEndSession(UINT, WPARAM wParam, LPARAM) {
  const bool ending = wParam != FALSE;
  if (ending && closing_) return 0;
  if (ending) closing_ = true;
  deliver([&](FormEvents& e) { e.onEndSession(ending); });
  if (ending) closing_ = false;
  return 0;
}

void MainWindow::watchSession() noexcept {
  if (WTSRegisterSessionNotification(window_.get(), NOTIFY_FOR_THIS_SESSION)) {
    session_.reset(window_.get());
  }
}

// Windows may have taken the keyboard hook out while the session was locked
// or the system slept.
std::optional<LRESULT> MainWindow::onSessionChange(UINT, WPARAM wParam, LPARAM) {
  if (wParam == WTS_SESSION_UNLOCK) deliver([](FormEvents& e) { e.onSessionResumed(); });
  return 0;
}

std::optional<LRESULT> MainWindow::onPowerBroadcast(UINT, WPARAM wParam, LPARAM) {
  if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) {
    deliver([](FormEvents& e) { e.onSessionResumed(); });
  }
  return TRUE;
}

// --- the system menu ----------------------------------------------------------

void MainWindow::extendSystemMenu() {
  const HMENU menu = GetSystemMenu(window_.get(), FALSE);
  if (menu == nullptr) return;
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kMenuOptions, L"Options...");
  AppendMenuW(menu, MF_STRING, kMenuAbout, L"About Tarnavel");
}

std::optional<LRESULT> MainWindow::onSystemCommand(UINT, WPARAM wParam, LPARAM) {
  switch (static_cast<UINT>(wParam & 0xFFF0)) {
    case kMenuOptions: deliver([](FormEvents& e) { e.onMenu(MenuItem::Options); }); return 0;
    case kMenuAbout: deliver([](FormEvents& e) { e.onMenu(MenuItem::About); }); return 0;
    default: return std::nullopt;  // the system's own commands
  }
}

// --- a second start ----------------------------------------------------------

std::optional<LRESULT> MainWindow::onCopyData(UINT, WPARAM wParam, LPARAM lParam) {
  // The record and its bytes are ours to read only until this returns.
  const auto* record = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
  if (record == nullptr || (record->cbData > 0 && record->lpData == nullptr)) return FALSE;
  const std::string_view bytes(static_cast<const char*>(record->lpData), record->cbData);
  std::optional<std::string> answer;
  deliver([&](FormEvents& e) { answer = e.onRequest(record->dwData, bytes); });
  if (!answer) return FALSE;
  if (!answer->empty()) sendAnswer(window_.get(), reinterpret_cast<HWND>(wParam), *answer);
  return TRUE;
}

}  // namespace tarnavel::win32
