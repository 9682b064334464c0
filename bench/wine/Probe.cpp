#include "Probe.h"

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace bench {

double nowMs() {
  static const double perMs = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / perMs;
}

namespace {

double ms(const FILETIME& t) {
  ULARGE_INTEGER u;
  u.LowPart = t.dwLowDateTime;
  u.HighPart = t.dwHighDateTime;
  return static_cast<double>(u.QuadPart) / 10000.0;
}

// A whole file of /proc, read through drive Z: (its size reads as 0).
std::optional<std::string> readProc(const std::wstring& path) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string text;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(f, buffer, sizeof buffer, &got, nullptr) && got > 0)
    text.append(buffer, got);
  CloseHandle(f);
  return text;
}

std::wstring ownPrefix() {
  wchar_t buffer[1024];
  const DWORD n = GetEnvironmentVariableW(L"WINEPREFIX", buffer, 1024);
  return n > 0 && n < 1024 ? std::wstring(buffer, n) : std::wstring();
}

std::string narrow(const std::wstring& w) {
  std::string s;
  for (wchar_t c : w)
    s += c < 128 ? static_cast<char>(c) : '?';
  return s;
}

}  // namespace

std::optional<WindowsFigures> windowsFigures(DWORD pid) {
  HANDLE p = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (p == nullptr) return std::nullopt;
  WindowsFigures f;
  PROCESS_MEMORY_COUNTERS_EX m{};
  if (GetProcessMemoryInfo(p, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m)) {
    f.workingSetMb = static_cast<double>(m.WorkingSetSize) / 1048576.0;
    f.privateMb = static_cast<double>(m.PrivateUsage) / 1048576.0;
  }
  FILETIME created, exited, kernel, user;
  if (GetProcessTimes(p, &created, &exited, &kernel, &user)) f.cpuMs = ms(kernel) + ms(user);
  GetProcessHandleCount(p, &f.handles);
  f.gdiObjects = GetGuiResources(p, GR_GDIOBJECTS);
  f.userObjects = GetGuiResources(p, GR_USEROBJECTS);
  CloseHandle(p);
  return f;
}

std::optional<int> unixPidOf(const std::wstring& exeFileName) {
  const std::string prefix = "WINEPREFIX=" + narrow(ownPrefix());
  std::string name = narrow(exeFileName);
  for (auto& c : name)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW(L"Z:\\proc\\*", &found);
  if (find == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<int> pid;
  do {
    const std::wstring entry = found.cFileName;
    if (entry.empty() || entry.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
    const std::wstring dir = L"Z:\\proc\\" + entry + L"\\";
    auto cmdline = readProc(dir + L"cmdline");
    if (!cmdline) continue;
    // The first argument is the program's own path, Windows or Unix style.
    std::string program = cmdline->substr(0, cmdline->find('\0'));
    program = program.substr(program.find_last_of("\\/") + 1);
    for (auto& c : program)
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (program != name) continue;
    auto variables = readProc(dir + L"environ");
    if (!variables) continue;
    std::istringstream vars(*variables);
    std::string var;
    bool mine = false;
    while (std::getline(vars, var, '\0'))
      mine = mine || var == prefix;
    if (!mine) continue;
    pid = std::stoi(narrow(entry));
    break;
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return pid;
}

std::optional<UnixFigures> unixFigures(int pid) {
  const std::wstring dir = L"Z:\\proc\\" + std::to_wstring(pid) + L"\\";
  auto stat = readProc(dir + L"stat");
  auto status = readProc(dir + L"status");
  if (!stat || !status) return std::nullopt;
  UnixFigures f;
  f.pid = pid;
  // Fields after the command's closing parenthesis: state is field 3, utime
  // and stime fields 14 and 15, in clock ticks of 10 ms.
  const auto close = stat->rfind(')');
  if (close == std::string::npos) return std::nullopt;
  std::istringstream fields(stat->substr(close + 2));
  std::string field;
  std::vector<std::string> rest;
  while (fields >> field)
    rest.push_back(field);
  if (rest.size() < 13) return std::nullopt;
  f.cpuMs = (std::stod(rest[11]) + std::stod(rest[12])) * 10.0;
  const auto rss = status->find("VmRSS:");
  if (rss != std::string::npos) f.rssMb = std::stod(status->substr(rss + 6)) / 1024.0;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((dir + L"fd\\*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    f.fds = 0;
    do {
      if (found.cFileName[0] != L'.') ++f.fds;
    } while (FindNextFileW(find, &found));
    FindClose(find);
  }
  return f;
}

Launched::Launched(const std::wstring& exe, const std::wstring& title, int timeoutMs,
                   const std::wstring& args) {
  std::wstring cmd = L"\"" + exe + L"\"";
  if (!args.empty()) cmd += L" " + args;
  const std::wstring dir = exe.substr(0, exe.find_last_of(L"\\/"));
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const double t0 = nowMs();
  if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(),
                      &si, &pi))
    return;
  CloseHandle(pi.hThread);
  process_ = pi.hProcess;
  pid_ = pi.dwProcessId;
  struct Search {
    DWORD pid;
    const std::wstring* title;
    HWND found;
  } search{pid_, &title, nullptr};
  while (nowMs() - t0 < timeoutMs && search.found == nullptr) {
    EnumWindows(
        [](HWND w, LPARAM l) -> BOOL {
          auto* s = reinterpret_cast<Search*>(l);
          DWORD pid = 0;
          GetWindowThreadProcessId(w, &pid);
          if (pid != s->pid || !IsWindowVisible(w)) return TRUE;
          wchar_t text[64];
          // The title is the window's own: no message to the busy program.
          const int n = InternalGetWindowText(w, text, 64);
          if (std::wstring(text, static_cast<size_t>(n)) != *s->title) return TRUE;
          s->found = w;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) Sleep(1);
  }
  startMs_ = nowMs() - t0;
  main_ = search.found;
}

void Launched::close() {
  if (process_ == nullptr) return;
  if (main_) PostMessageW(main_, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process_, 10000) != WAIT_OBJECT_0) TerminateProcess(process_, 1);
  CloseHandle(process_);
  process_ = nullptr;
}

Launched::~Launched() {
  close();
}

std::wstring besideThisProgram(const std::wstring& fileName) {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return path.substr(0, path.find_last_of(L"\\/") + 1) + fileName;
}

}  // namespace bench
