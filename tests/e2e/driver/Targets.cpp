#include "Targets.h"

#include <algorithm>
#include <utility>

namespace e2e {

namespace {

constexpr UINT kCreate = WM_APP + 1;
constexpr UINT kDestroy = WM_APP + 2;
constexpr UINT kRaise = WM_APP + 3;
constexpr UINT kQuit = WM_APP + 4;
constexpr UINT kHang = WM_APP + 5;
constexpr wchar_t kControlClass[] = L"TarnavelE2eTargetHost";
constexpr wchar_t kTargetClass[] = L"TarnavelE2eTarget";

std::mutex g_bandMutex;
std::vector<BandEntry> g_bandEntries;
std::vector<StateChange> g_stateChanges;  // under g_bandMutex too
std::vector<KeyEvent> g_keyEvents;        // under g_bandMutex too
std::vector<Activation> g_activations;    // under g_bandMutex too

struct CreateRequest {
  const std::wstring* title;
  TargetKind kind;
  int x, y;
  HWND result;
};

}  // namespace

TargetHost::TargetHost() {
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread_ = std::thread([this, ready] { threadMain(ready); });
  WaitForSingleObject(ready, 10000);
  CloseHandle(ready);
}

TargetHost::~TargetHost() {
  SetEvent(release_);
  if (control_) {
    for (HWND w : windows())
      destroy(w);
    SendMessageW(control_, kQuit, 0, 0);
  }
  if (thread_.joinable()) thread_.join();
  CloseHandle(release_);
}

void TargetHost::threadMain(HANDLE ready) {
  HINSTANCE inst = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = controlProc;
  wc.hInstance = inst;
  wc.lpszClassName = kControlClass;
  RegisterClassExW(&wc);  // a second host finds the class registered already

  WNDCLASSEXW tc{};
  tc.cbSize = sizeof tc;
  tc.lpfnWndProc = targetProc;
  tc.hInstance = inst;
  tc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  tc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  tc.lpszClassName = kTargetClass;
  RegisterClassExW(&tc);

  // A message-only window: never part of the desktop's top-level windows.
  HWND control =
      CreateWindowExW(0, kControlClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, inst, nullptr);
  if (control) SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  control_ = control;
  SetEvent(ready);
  if (!control) return;

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

LRESULT CALLBACK TargetHost::controlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case kCreate: {
      auto* req = reinterpret_cast<CreateRequest*>(lp);
      DWORD style = WS_OVERLAPPEDWINDOW;
      int width = 360, height = 200;
      if (req->kind == TargetKind::NoMaximize) style &= ~static_cast<DWORD>(WS_MAXIMIZEBOX);
      if (req->kind == TargetKind::Bare) {
        style = WS_POPUP | WS_MAXIMIZEBOX;
        width = height = 8;
      }
      if (req->kind == TargetKind::Banner) {
        width = 620;
        height = 380;
      }
      HWND w = CreateWindowExW(0, kTargetClass, req->title->c_str(), style, req->x, req->y, width,
                               height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
      if (w && req->kind == TargetKind::Banner) {
        static const COLORREF kColours[] = {RGB(0, 110, 120), RGB(200, 90, 20), RGB(100, 50, 160)};
        static int banners = 0;
        SetWindowLongPtrW(w, GWLP_USERDATA, static_cast<LONG_PTR>(kColours[banners++ % 3]) + 1);
      }
      if (w) {
        switch (req->kind) {
          case TargetKind::Hidden: break;
          case TargetKind::Minimized: ShowWindow(w, SW_SHOWMINNOACTIVE); break;
          default: ShowWindow(w, SW_SHOWNOACTIVATE); break;
        }
        UpdateWindow(w);
      }
      req->result = w;
      return 0;
    }
    case kDestroy: return DestroyWindow(reinterpret_cast<HWND>(lp)) ? 1 : 0;
    case kRaise:
      return SetWindowPos(reinterpret_cast<HWND>(lp), HWND_TOP, 0, 0, 0, 0,
                          SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE)
                 ? 1
                 : 0;
    case kHang: {
      auto* host = reinterpret_cast<TargetHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
      WaitForSingleObject(host->release_, INFINITE);
      return 0;
    }
    case kQuit:
      DestroyWindow(hwnd);
      PostQuitMessage(0);
      return 0;
    default: return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

LRESULT CALLBACK TargetHost::targetProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_WINDOWPOSCHANGING) {
    const auto* pos = reinterpret_cast<const WINDOWPOS*>(lp);
    if ((pos->flags & SWP_NOZORDER) == 0 && pos->hwndInsertAfter == HWND_TOPMOST) {
      std::lock_guard<std::mutex> lock(g_bandMutex);
      g_bandEntries.push_back({hwnd, GetTickCount64()});
    }
  }
  if (msg == WM_SIZE && wp <= SIZE_MAXIMIZED) {
    const ShowState state = wp == SIZE_MAXIMIZED   ? ShowState::Maximized
                            : wp == SIZE_MINIMIZED ? ShowState::Minimized
                                                   : ShowState::Normal;
    std::lock_guard<std::mutex> lock(g_bandMutex);
    g_stateChanges.push_back({hwnd, state, GetTickCount64()});
  }
  if (msg == WM_ACTIVATE && LOWORD(wp) != WA_INACTIVE) {
    std::lock_guard<std::mutex> lock(g_bandMutex);
    g_activations.push_back({hwnd, GetTickCount64()});
  }
  if (msg == WM_KEYDOWN || msg == WM_KEYUP) {
    std::lock_guard<std::mutex> lock(g_bandMutex);
    g_keyEvents.push_back({hwnd, static_cast<UINT>(wp), msg == WM_KEYDOWN});
  }
  // A banner's colour is kept one above its value, so that 0 is no banner.
  const auto banner = GetWindowLongPtrW(hwnd, GWLP_USERDATA);
  if (msg == WM_PAINT && banner != 0) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(banner - 1));
    FillRect(dc, &r, brush);
    DeleteObject(brush);
    HFONT font =
        CreateFontW(-52, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH | FF_SWISS, L"Arial");
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    const std::wstring title = windowTitle(hwnd);
    DrawTextW(dc, title.c_str(), static_cast<int>(title.size()), &r,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    DeleteObject(font);
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

std::vector<BandEntry> takeBandEntries() {
  std::lock_guard<std::mutex> lock(g_bandMutex);
  return std::exchange(g_bandEntries, {});
}

std::vector<StateChange> takeStateChanges() {
  std::lock_guard<std::mutex> lock(g_bandMutex);
  return std::exchange(g_stateChanges, {});
}

std::vector<Activation> takeActivations() {
  std::lock_guard<std::mutex> lock(g_bandMutex);
  return std::exchange(g_activations, {});
}

std::vector<KeyEvent> takeKeyEvents() {
  std::lock_guard<std::mutex> lock(g_bandMutex);
  return std::exchange(g_keyEvents, {});
}

HWND TargetHost::create(const std::wstring& title, TargetKind kind) {
  if (!control_) return nullptr;
  CreateRequest req{&title, kind, 0, 0, nullptr};
  {
    std::lock_guard<std::mutex> lock(mutex_);
    int slot = placed_++ % 12;
    // Banners overlap less, so that each shows when it comes forward.
    const int spread = kind == TargetKind::Banner ? 4 : 1;
    req.x = 30 + 40 * spread * slot;
    req.y = 30 + 30 * spread * slot;
  }
  SendMessageW(control_, kCreate, 0, reinterpret_cast<LPARAM>(&req));
  if (req.result) {
    std::lock_guard<std::mutex> lock(mutex_);
    windows_.push_back(req.result);
  }
  return req.result;
}

bool TargetHost::destroy(HWND window) {
  if (!control_) return false;
  SendMessageW(control_, kDestroy, 0, reinterpret_cast<LPARAM>(window));
  {
    std::lock_guard<std::mutex> lock(mutex_);
    windows_.erase(std::remove(windows_.begin(), windows_.end(), window), windows_.end());
  }
  return !IsWindow(window);
}

bool TargetHost::raise(HWND window) {
  return control_ && SendMessageW(control_, kRaise, 0, reinterpret_cast<LPARAM>(window)) != 0;
}

void TargetHost::hang() {
  if (control_) PostMessageW(control_, kHang, 0, 0);
}

std::vector<HWND> TargetHost::windows() {
  std::lock_guard<std::mutex> lock(mutex_);
  return windows_;
}

std::vector<HWND> topLevelWindowsInZOrder() {
  std::vector<HWND> out;
  HWND w = GetTopWindow(nullptr);
  for (int guard = 0; w && guard < 100000; ++guard) {
    out.push_back(w);
    w = GetWindow(w, GW_HWNDNEXT);
  }
  return out;
}

bool qualifiesForList(HWND window, HWND programMain) {
  if (window == programMain) return false;
  LONG style = GetWindowLongW(window, GWL_STYLE);
  if ((style & (WS_VISIBLE | WS_MAXIMIZEBOX)) != (WS_VISIBLE | WS_MAXIMIZEBOX)) return false;
  return GetWindowTextLengthW(window) > 0;
}

std::wstring windowTitle(HWND window) {
  int n = GetWindowTextLengthW(window);
  if (n <= 0) return {};
  std::wstring s(static_cast<size_t>(n) + 1, L'\0');
  int got = GetWindowTextW(window, s.data(), n + 1);
  s.resize(static_cast<size_t>(std::max(got, 0)));
  return s;
}

}  // namespace e2e
