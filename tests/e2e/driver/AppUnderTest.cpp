#include "AppUnderTest.h"

#include <commctrl.h>

#include "Text.h"

namespace e2e {

namespace {

constexpr int kMessageBoxTextId = 0xFFFF;
constexpr int kMessageBoxIconId = 0x0440;

BOOL CALLBACK collectTopLevel(HWND hwnd, LPARAM lp) {
  auto* state = reinterpret_cast<std::pair<DWORD, std::vector<HWND>*>*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == state->first) state->second->push_back(hwnd);
  return TRUE;
}

}  // namespace

bool waitUntil(const std::function<bool()>& done, int timeoutMs, int pollMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    Sleep(static_cast<DWORD>(pollMs));
  }
}

std::string MessageBoxInfo::describe() const {
  std::string s = "box " + quoted(caption) + ": " + quoted(text);
  return s;
}

std::vector<HWND> topLevelWindowsOf(DWORD pid) {
  std::vector<HWND> out;
  std::pair<DWORD, std::vector<HWND>*> state{pid, &out};
  EnumWindows(collectTopLevel, reinterpret_cast<LPARAM>(&state));
  return out;
}

std::wstring className(HWND hwnd) {
  wchar_t buf[256] = {};
  int n = GetClassNameW(hwnd, buf, 256);
  return std::wstring(buf, static_cast<size_t>(n > 0 ? n : 0));
}

std::wstring remoteText(HWND hwnd) {
  // The text may change between asking for its length and for the text (the
  // status line does, every second): read into room to spare, and again with
  // more room when it filled what there was.
  for (;;) {
    auto len = sendWithTimeout(hwnd, WM_GETTEXTLENGTH, 0, 0);
    if (!len || *len < 0) return {};
    std::wstring s(static_cast<size_t>(*len) + 256, L'\0');
    auto got = sendWithTimeout(hwnd, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data()));
    if (!got) return {};
    if (static_cast<size_t>(*got) + 1 < s.size()) {
      s.resize(static_cast<size_t>(*got));
      return s;
    }
  }
}

std::unique_ptr<AppUnderTest> AppUnderTest::start(const std::wstring& exe, const std::wstring& args,
                                                  const std::wstring& mainTitle, int timeoutMs,
                                                  std::string& error, bool mayBeHidden) {
  std::unique_ptr<AppUnderTest> app(new AppUnderTest());
  std::wstring cmd = L"\"" + exe + L"\"";
  if (!args.empty()) cmd += L" " + args;
  std::wstring dir = exe;
  auto slash = dir.find_last_of(L"\\/");
  dir = slash == std::wstring::npos ? std::wstring() : dir.substr(0, slash);

  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                      dir.empty() ? nullptr : dir.c_str(), &si, &pi)) {
    error =
        "CreateProcess failed for " + utf8(exe) + " (error " + std::to_string(GetLastError()) + ")";
    return nullptr;
  }
  // A job that ends the program with the driver, should the driver itself fail.
  app->job_ = CreateJobObjectW(nullptr, nullptr);
  if (app->job_) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(app->job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    AssignProcessToJobObject(app->job_, pi.hProcess);
  }
  ResumeThread(pi.hThread);
  CloseHandle(pi.hThread);
  app->process_ = pi.hProcess;
  app->pid_ = pi.dwProcessId;

  bool found = waitUntil(
      [&] {
        for (const auto& box : app->messageBoxes()) {
          if (box.visibleButtons.empty()) continue;  // still being built
          app->startupBoxes_.push_back(box);
          app->answerOk(box, 3000);
        }
        for (HWND w : topLevelWindowsOf(app->pid_)) {
          if ((mayBeHidden || IsWindowVisible(w)) && GetWindow(w, GW_OWNER) == nullptr &&
              className(w) != L"#32770" && remoteText(w) == mainTitle) {
            app->main_ = w;
            return true;
          }
        }
        return !app->running();
      },
      timeoutMs, 50);
  if (!found || !app->main_) {
    if (!app->running()) {
      DWORD code = 0;
      GetExitCodeProcess(app->process_, &code);
      error = "the program ended before showing its main window (exit code " +
              std::to_string(code) + ")";
    } else {
      error = "no visible main window titled " + quoted(mainTitle) + " within " +
              std::to_string(timeoutMs) + " ms";
      for (const auto& box : app->messageBoxes())
        error += "; open " + box.describe();
    }
    return nullptr;
  }
  app->sync();
  return app;
}

AppUnderTest::~AppUnderTest() {
  if (running()) {
    std::string ignored;
    dismissAllBoxes();
    close(10000, ignored);
  }
  if (process_) CloseHandle(process_);
  if (job_) CloseHandle(job_);
}

bool AppUnderTest::running() const {
  return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

std::vector<HWND> AppUnderTest::children() const {
  std::vector<HWND> out;
  for (HWND c = GetWindow(main_, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    out.push_back(c);
  return out;
}

std::vector<HWND> AppUnderTest::childrenOfClass(const std::wstring& cls) const {
  std::vector<HWND> out;
  for (HWND c : children()) {
    if (_wcsicmp(className(c).c_str(), cls.c_str()) == 0) out.push_back(c);
  }
  return out;
}

std::vector<HWND> AppUnderTest::buttons(const std::wstring& caption) const {
  std::vector<HWND> out;
  for (HWND c : childrenOfClass(L"Button")) {
    if (remoteText(c) == caption) out.push_back(c);
  }
  return out;
}

HWND AppUnderTest::button(const std::wstring& caption) const {
  auto found = buttons(caption);
  return found.size() == 1 ? found[0] : nullptr;
}

HWND AppUnderTest::listViewWithHeader(const std::wstring& header) const {
  for (HWND c : childrenOfClass(WC_LISTVIEWW)) {
    RemoteListView list(c);
    auto h = list.headers();
    if (h && !h->empty() && (*h)[0] == header) return c;
  }
  return nullptr;
}

bool AppUnderTest::press(HWND button) const {
  if (!button) return false;
  HWND parent = GetParent(button);
  int id = GetDlgCtrlID(button);
  return PostMessageW(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                      reinterpret_cast<LPARAM>(button)) != 0;
}

std::vector<MessageBoxInfo> AppUnderTest::messageBoxes() const {
  std::vector<MessageBoxInfo> out;
  for (HWND w : topLevelWindowsOf(pid_)) {
    if (!IsWindowVisible(w) || className(w) != L"#32770") continue;
    MessageBoxInfo box;
    box.hwnd = w;
    box.owner = GetWindow(w, GW_OWNER);
    box.caption = remoteText(w);
    if (HWND text = GetDlgItem(w, kMessageBoxTextId)) box.text = remoteText(text);
    for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      if (!IsWindowVisible(c)) continue;
      std::wstring cls = className(c);
      if (_wcsicmp(cls.c_str(), L"Button") == 0) {
        box.visibleButtons.push_back(GetDlgCtrlID(c));
      } else if (_wcsicmp(cls.c_str(), L"Static") == 0) {
        LONG style = GetWindowLongW(c, GWL_STYLE);
        bool iconControl = GetDlgCtrlID(c) == kMessageBoxIconId || (style & SS_TYPEMASK) == SS_ICON;
        if (iconControl) {
          auto icon = sendWithTimeout(c, STM_GETICON, 0, 0);
          if (icon && *icon) box.hasIcon = true;
        }
      }
    }
    out.push_back(std::move(box));
  }
  return out;
}

std::optional<MessageBoxInfo> AppUnderTest::waitMessageBox(int timeoutMs) const {
  std::optional<MessageBoxInfo> found;
  waitUntil(
      [&] {
        auto boxes = messageBoxes();
        // A box is ready once its text has been put in.
        for (auto& b : boxes) {
          if (!b.visibleButtons.empty()) {
            found = b;
            return true;
          }
        }
        return !running();
      },
      timeoutMs);
  return found;
}

bool AppUnderTest::answerOk(const MessageBoxInfo& box, int timeoutMs) const {
  HWND ok = GetDlgItem(box.hwnd, IDOK);
  if (!ok) return false;
  PostMessageW(box.hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
  return waitUntil([&] { return !IsWindow(box.hwnd) || !IsWindowVisible(box.hwnd); }, timeoutMs);
}

std::vector<MessageBoxInfo> AppUnderTest::dismissAllBoxes() const {
  std::vector<MessageBoxInfo> seen;
  for (int round = 0; round < 10; ++round) {
    auto boxes = messageBoxes();
    if (boxes.empty()) break;
    for (const auto& b : boxes) {
      seen.push_back(b);
      if (!answerOk(b, 3000)) {
        // Not an OK box: close it as the close box would.
        PostMessageW(b.hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        waitUntil([&] { return !IsWindow(b.hwnd); }, 2000);
      }
    }
  }
  return seen;
}

bool AppUnderTest::sync(int timeoutMs) const {
  return sendWithTimeout(main_, WM_NULL, 0, 0, static_cast<UINT>(timeoutMs)).has_value();
}

bool AppUnderTest::close(int timeoutMs, std::string& error) {
  if (!running()) {
    error = "the program had already ended before it was asked to close";
    return false;
  }
  PostMessageW(main_, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process_, static_cast<DWORD>(timeoutMs)) == WAIT_OBJECT_0) return true;
  error = "the program did not end within " + std::to_string(timeoutMs) + " ms of WM_CLOSE";
  for (const auto& box : messageBoxes())
    error += "; open " + box.describe();
  kill();
  return false;
}

void AppUnderTest::kill() {
  if (running()) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 5000);
  }
}

}  // namespace e2e
