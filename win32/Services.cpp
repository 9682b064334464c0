#include "win32/Services.h"

#include <dwmapi.h>
#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/Errors.h"
#include "win32/Handles.h"
#include "win32/Text.h"

namespace tarnavel::win32 {

// --- windows -----------------------------------------------------------------

Hwnd32 WindowSystem::firstSibling(Hwnd32 window) {
  return toHwnd32(GetWindow(toHwnd(window), GW_HWNDFIRST));
}

Hwnd32 WindowSystem::nextSibling(Hwnd32 window) {
  return toHwnd32(GetWindow(toHwnd(window), GW_HWNDNEXT));
}

std::uint32_t WindowSystem::style(Hwnd32 window) {
  return static_cast<std::uint32_t>(GetWindowLongPtrW(toHwnd(window), GWL_STYLE));
}

namespace {

// A window's title as the system keeps it, read without asking the window's
// thread (GetWindowTextLength sends WM_GETTEXTLENGTH to it and waits: one
// thread switch per window, most of a walk over a thousand windows). Read
// into room to spare, and again with more room when it filled what there was.
std::wstring storedTitle(HWND window) {
  constexpr std::size_t kMost = std::size_t{1} << 20;
  std::wstring buffer(256, L'\0');
  for (;;) {
    const int copied =
        InternalGetWindowText(window, buffer.data(), static_cast<int>(buffer.size()));
    if (copied <= 0) return {};
    const auto got = static_cast<std::size_t>(copied);
    if (got + 1 < buffer.size() || buffer.size() >= kMost) {
      buffer.resize(got);
      return buffer;
    }
    buffer.assign(buffer.size() * 4, L'\0');
  }
}

// A window that keeps its title elsewhere than the system (a control used as
// a top-level window) is asked for it as before.
std::wstring askedTitle(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, buffer.data(), length + 1);
  buffer.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return buffer;
}

std::wstring titleOf(HWND window) {
  std::wstring title = storedTitle(window);
  return title.empty() ? askedTitle(window) : title;
}

}  // namespace

int WindowSystem::textLength(Hwnd32 window) {
  titleOf_ = toHwnd(window);
  title_ = titleOf(titleOf_);
  return static_cast<int>(title_.size());
}

std::string WindowSystem::text(Hwnd32 window, int bufferUnits) {
  if (bufferUnits <= 0) return {};
  std::wstring title = toHwnd(window) == titleOf_ ? std::move(title_) : titleOf(toHwnd(window));
  titleOf_ = nullptr;
  title_.clear();
  // As GetWindowText does: what fits the buffer with its terminating null.
  if (title.size() >= static_cast<std::size_t>(bufferUnits)) {
    title.resize(static_cast<std::size_t>(bufferUnits) - 1);
  }
  return narrow(title);
}

void WindowSystem::allowAnyForeground() {
  AllowSetForegroundWindow(ASFW_ANY);
}

bool WindowSystem::setForeground(Hwnd32 window) {
  return SetForegroundWindow(toHwnd(window)) != FALSE;
}

Hwnd32 WindowSystem::foregroundWindow() {
  return toHwnd32(GetForegroundWindow());
}

std::uint32_t WindowSystem::threadOf(Hwnd32 window) {
  return GetWindowThreadProcessId(toHwnd(window), nullptr);
}

std::uint32_t WindowSystem::processOf(Hwnd32 window) {
  DWORD process = 0;
  if (GetWindowThreadProcessId(toHwnd(window), &process) == 0) return 0;
  return process;
}

std::uint32_t WindowSystem::ownThread() {
  return GetCurrentThreadId();
}

// SMTO_BLOCK: nothing else of ours runs while we wait, so no tick or box can
// start under the switch.
bool WindowSystem::answers(Hwnd32 window, int milliseconds) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(toHwnd(window), WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                             static_cast<UINT>(milliseconds), &result) != 0;
}

bool WindowSystem::attachInput(std::uint32_t thread, std::uint32_t to, bool attach) {
  return AttachThreadInput(thread, to, attach ? TRUE : FALSE) != FALSE;
}

// Both go to another program's window, whose thread carries them out: the
// asynchronous forms queue them there in order and return, where the plain
// ones would wait for ever on a thread that has stopped taking messages.
void WindowSystem::setBand(Hwnd32 window, ZBand band) {
  SetWindowPos(toHwnd(window), band == ZBand::Topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_ASYNCWINDOWPOS);
}

void WindowSystem::show(Hwnd32 window, ShowCommand command) {
  ShowWindowAsync(toHwnd(window), static_cast<int>(command));
}

bool WindowSystem::exists(Hwnd32 window) {
  return IsWindow(toHwnd(window)) != FALSE;
}

namespace {

// The full path of a process's executable; empty when it cannot be read.
std::string processPath(DWORD process) {
  // The limited right is enough for the image name, also of most processes
  // of other users and of higher integrity.
  const KernelHandle opened(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
  if (!opened) return {};
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD units = static_cast<DWORD>(path.size());
    if (QueryFullProcessImageNameW(opened.get(), 0, path.data(), &units) != FALSE) {
      path.resize(units);
      return narrow(path);
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
}

DWORD processOfWindow(HWND window) {
  DWORD process = 0;
  if (GetWindowThreadProcessId(window, &process) == 0) return 0;
  return process;
}

// A Store app's window is a frame of the frame host process; the app's own
// window inside it, of this class, belongs to the app's process. A
// suspended or minimised app may have left the frame.
constexpr const wchar_t* kStoreFrameClass = L"ApplicationFrameWindow";
constexpr const wchar_t* kStoreAppClass = L"Windows.UI.Core.CoreWindow";

}  // namespace

std::string WindowSystem::programPath(Hwnd32 window) {
  const HWND hwnd = toHwnd(window);
  const DWORD process = processOfWindow(hwnd);
  if (process == 0) return {};
  wchar_t name[32] = {};
  if (GetClassNameW(hwnd, name, 32) > 0 && std::wstring_view(name) == kStoreFrameClass) {
    for (HWND child = FindWindowExW(hwnd, nullptr, kStoreAppClass, nullptr); child != nullptr;
         child = FindWindowExW(hwnd, child, kStoreAppClass, nullptr)) {
      const DWORD app = processOfWindow(child);
      if (app != 0 && app != process) return processPath(app);
    }
    return {};
  }
  return processPath(process);
}

std::string WindowSystem::windowClass(Hwnd32 window) {
  // A class name has at most 256 characters.
  wchar_t name[257] = {};
  const int units = GetClassNameW(toHwnd(window), name, 257);
  if (units <= 0) return {};
  return narrow(std::wstring_view(name, static_cast<std::size_t>(units)));
}

// Under Wine, and on a system without the window manager, the attribute
// cannot be read: such a window is taken as seen.
bool WindowSystem::cloaked(Hwnd32 window) {
  DWORD reason = 0;
  const HRESULT result =
      DwmGetWindowAttribute(toHwnd(window), DWMWA_CLOAKED, &reason, sizeof(reason));
  return SUCCEEDED(result) && reason != 0;
}

std::optional<DWORD> integrityOf(HANDLE process) {
  HANDLE raw = nullptr;
  if (OpenProcessToken(process, TOKEN_QUERY, &raw) == FALSE) return std::nullopt;
  const KernelHandle token(raw);
  DWORD bytes = 0;
  GetTokenInformation(token.get(), TokenIntegrityLevel, nullptr, 0, &bytes);
  if (bytes < sizeof(TOKEN_MANDATORY_LABEL)) return std::nullopt;
  // Aligned for the label and the SID that follows it.
  std::vector<std::uint64_t> buffer((bytes + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t));
  if (GetTokenInformation(token.get(), TokenIntegrityLevel, buffer.data(), bytes, &bytes) ==
      FALSE) {
    return std::nullopt;
  }
  const PSID sid = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer.data())->Label.Sid;
  if (sid == nullptr || IsValidSid(sid) == FALSE) return std::nullopt;
  const UCHAR parts = *GetSidSubAuthorityCount(sid);
  if (parts == 0) return std::nullopt;
  return *GetSidSubAuthority(sid, parts - 1u);
}

// A process we may not open at all is not reported: its level is unknown.
bool WindowSystem::runsAbove(Hwnd32 window) {
  const DWORD process = processOfWindow(toHwnd(window));
  if (process == 0) return false;
  const KernelHandle opened(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
  if (!opened) return false;
  const auto theirs = integrityOf(opened.get());
  const auto ours = integrityOf(GetCurrentProcess());
  return theirs && ours && *theirs > *ours;
}

namespace {

BOOL CALLBACK collectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  reinterpret_cast<std::vector<HMONITOR>*>(list)->push_back(monitor);
  return TRUE;
}

}  // namespace

// MonitorFromWindow takes the largest part of the window, of its restored
// place while it is minimised. The number is the one in the device's name
// (\\.\DISPLAY2), as the display settings show it; a name without one
// takes the display's place in EnumDisplayMonitors' order.
Display WindowSystem::displayOf(Hwnd32 window) {
  const HWND hwnd = toHwnd(window);
  if (IsWindow(hwnd) == FALSE) return {};
  const HMONITOR monitor = MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST);
  MONITORINFOEXW info{};
  info.cbSize = sizeof info;
  if (monitor == nullptr || GetMonitorInfoW(monitor, &info) == FALSE) return {};
  Display display{0, (info.dwFlags & MONITORINFOF_PRIMARY) != 0};
  const std::wstring_view name = info.szDevice;
  const auto digits = name.find_last_not_of(L"0123456789") + 1;
  if (digits < name.size() && name.size() - digits <= 4) {
    for (const wchar_t c : name.substr(digits))
      display.number = display.number * 10 + (c - L'0');
  }
  if (display.number == 0) {
    std::vector<HMONITOR> monitors;
    EnumDisplayMonitors(nullptr, nullptr, collectMonitor, reinterpret_cast<LPARAM>(&monitors));
    const auto at = std::find(monitors.begin(), monitors.end(), monitor);
    if (at == monitors.end()) return {};
    display.number = static_cast<int>(at - monitors.begin()) + 1;
  }
  return display;
}

int WindowSystem::displayCount() {
  return std::max(1, GetSystemMetrics(SM_CMONITORS));
}

void WindowSystem::raise(Hwnd32 window) {
  SetWindowPos(toHwnd(window), HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
}

// --- input -------------------------------------------------------------------

std::uint32_t UserInput::lastInputTick() {
  LASTINPUTINFO info{};
  info.cbSize = sizeof(info);
  if (GetLastInputInfo(&info) == FALSE) return GetTickCount();
  return info.dwTime;
}

std::uint32_t UserInput::tickCount() {
  return GetTickCount();
}

// --- settings ----------------------------------------------------------------

platform::StoredValue RegistrySettings::read(std::string_view key) {
  const std::wstring name = widen(key);
  const platform::StoredValue absent;
  const platform::StoredValue otherKind{std::nullopt, true};
  // The value may change size between the two calls: ask again then.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD bytes = 0;
    LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, keyPath_.c_str(), name.c_str(), RRF_RT_REG_SZ,
                                  nullptr, nullptr, &bytes);
    if (status == ERROR_FILE_NOT_FOUND) return absent;
    if (status == ERROR_UNSUPPORTED_TYPE) return otherKind;
    if (status != ERROR_SUCCESS) throw AppError::system(systemMessage(static_cast<DWORD>(status)));
    // Only what the system writes is read: the buffer is not cleared first
    // (a stored queue can be megabytes).
    const std::size_t capacity = bytes / sizeof(wchar_t) + 1;
    const auto buffer = std::make_unique_for_overwrite<wchar_t[]>(capacity);
    bytes = static_cast<DWORD>(capacity * sizeof(wchar_t));
    status = RegGetValueW(HKEY_CURRENT_USER, keyPath_.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr,
                          buffer.get(), &bytes);
    if (status == ERROR_MORE_DATA) continue;
    if (status == ERROR_FILE_NOT_FOUND) return absent;
    if (status == ERROR_UNSUPPORTED_TYPE) return otherKind;
    if (status != ERROR_SUCCESS) throw AppError::system(systemMessage(static_cast<DWORD>(status)));
    // A text ends at its first terminator, as every reader of the registry
    // sees it; what a hand edit left after one is not part of it.
    const std::wstring_view data(buffer.get(), std::min(capacity, bytes / sizeof(wchar_t)));
    return {narrow(data.substr(0, data.find(L'\0'))), false};
  }
  throw AppError::system(systemMessage(ERROR_MORE_DATA));
}

void RegistrySettings::write(std::string_view key, std::string_view value) {
  store(key, value, false);
}

bool RegistrySettings::writeOverText(std::string_view key, std::string_view value) {
  return store(key, value, true);
}

bool RegistrySettings::store(std::string_view key, std::string_view value, bool overTextOnly) {
  HKEY raw = nullptr;
  LSTATUS status =
      RegCreateKeyExW(HKEY_CURRENT_USER, keyPath_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, &raw, nullptr);
  if (status != ERROR_SUCCESS) throw AppError::system(systemMessage(static_cast<DWORD>(status)));
  const RegKey opened(raw);
  const std::wstring name = widen(key);
  if (overTextOnly) {
    // The types read as text: any other stays.
    DWORD type = REG_NONE;
    status = RegQueryValueExW(opened.get(), name.c_str(), nullptr, &type, nullptr, nullptr);
    if (status == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ) return false;
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
      throw AppError::system(systemMessage(static_cast<DWORD>(status)));
    }
  }
  const std::wstring data = widen(value);
  const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
  status = RegSetValueExW(opened.get(), name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()), bytes);
  if (status != ERROR_SUCCESS) throw AppError::system(systemMessage(static_cast<DWORD>(status)));
  return true;
}

void RegistrySettings::remove(std::string_view key) {
  HKEY raw = nullptr;
  LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, keyPath_.c_str(), 0, KEY_SET_VALUE, &raw);
  if (status == ERROR_FILE_NOT_FOUND) return;
  if (status != ERROR_SUCCESS) throw AppError::system(systemMessage(static_cast<DWORD>(status)));
  const RegKey opened(raw);
  status = RegDeleteValueW(opened.get(), widen(key).c_str());
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
    throw AppError::system(systemMessage(static_cast<DWORD>(status)));
  }
}

// --- files -------------------------------------------------------------------

namespace {

// The running program's full path.
std::wstring modulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) throw AppError::system(systemMessage(GetLastError()));
    // A full buffer means the path was cut: try again with more room.
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    if (path.size() >= 32768) throw AppError::system(systemMessage(ERROR_INSUFFICIENT_BUFFER));
    path.resize(path.size() * 2);
  }
  return path;
}

}  // namespace

std::string FileSystem::programFolder() {
  const std::wstring path = modulePath();
  const std::size_t cut = path.find_last_of(L"\\/");
  if (cut == std::wstring::npos) return {};
  std::wstring folder = path.substr(0, cut);
  // A drive root keeps its backslash ("C:\").
  if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
  return narrow(folder);
}

// --- start with Windows ------------------------------------------------------

std::string RunEntry::programPath() {
  return narrow(modulePath());
}

bool FileSystem::hasModificationTime(std::string_view path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  return GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &data) != FALSE;
}

bool FileSystem::isListedFile(std::string_view path) {
  if (path.empty()) return false;
  WIN32_FIND_DATAW found{};
  const FindHandle search(FindFirstFileW(widen(path).c_str(), &found));
  if (!search) return false;
  // A normal file, as a plain directory listing shows it: not a folder, and
  // not hidden or a system file.
  constexpr DWORD kNotNormal =
      FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  do {
    if ((found.dwFileAttributes & kNotNormal) == 0) return true;
  } while (FindNextFileW(search.get(), &found));
  return false;
}

// --- clock -------------------------------------------------------------------

LocalDateTime SystemClock::now() {
  SYSTEMTIME st{};
  GetLocalTime(&st);
  return {st.wYear, st.wMonth, st.wDay, st.wDayOfWeek, {st.wHour, st.wMinute, st.wSecond}};
}

std::int64_t monotonicMs() {
  LARGE_INTEGER frequency{};
  LARGE_INTEGER counter{};
  if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0 ||
      !QueryPerformanceCounter(&counter)) {
    return static_cast<std::int64_t>(GetTickCount64());
  }
  // Whole seconds and the rest apart, so that the product cannot overflow.
  const std::int64_t f = frequency.QuadPart;
  const std::int64_t c = counter.QuadPart;
  return (c / f) * 1000 + (c % f) * 1000 / f;
}

// --- locale ------------------------------------------------------------------

namespace {

std::optional<std::string> localeText(LCTYPE item) {
  wchar_t buffer[128] = {};
  const int length =
      GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, item, buffer, static_cast<int>(std::size(buffer)));
  if (length <= 0) return std::nullopt;
  return narrow(std::wstring_view(buffer, static_cast<std::size_t>(length - 1)));
}

}  // namespace

NumberFormat Locale::numberFormat() {
  NumberFormat format;
  if (auto v = localeText(LOCALE_SDECIMAL)) format.decimal = *v;
  if (auto v = localeText(LOCALE_STHOUSAND)) format.group = *v;
  if (auto v = localeText(LOCALE_SNEGATIVESIGN)) format.minus = *v;
  // Most locales leave the positive sign empty; a plus is still read as one.
  if (auto v = localeText(LOCALE_SPOSITIVESIGN)) format.plus = v->empty() ? "+" : *v;
  return format;
}

TimeFormat Locale::timeFormat() {
  TimeFormat format;
  if (auto v = localeText(LOCALE_STIMEFORMAT)) format.pattern = *v;
  if (auto v = localeText(LOCALE_S1159)) format.am = *v;
  if (auto v = localeText(LOCALE_S2359)) format.pm = *v;
  return format;
}

std::uint32_t Processes::start(std::string_view commandLine) {
  std::wstring line = widen(commandLine);
  // The program is the first of the line's arguments, as Windows splits
  // them; it starts in its own folder (a bare name: in ours).
  std::wstring folder;
  int count = 0;
  if (LPWSTR* argv = CommandLineToArgvW(line.c_str(), &count)) {
    if (count > 0) {
      const std::wstring program = argv[0];
      const auto slash = program.find_last_of(L"\\/");
      if (slash != std::wstring::npos) folder = program.substr(0, slash + 1);
    }
    LocalFree(argv);
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE,
                      CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &started)) {
    throw AppError::system(systemMessage(GetLastError()));
  }
  const KernelHandle process(started.hProcess);
  const KernelHandle thread(started.hThread);
  return started.dwProcessId;
}

}  // namespace tarnavel::win32
