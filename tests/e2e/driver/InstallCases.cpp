// The installer and the uninstaller (--setup names the installer): what they
// put where, the installed program running, and what uninstalling leaves.
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cwchar>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>

#include "CaseSupport.h"
#include "Cases.h"
#include "resources/version.h"

namespace e2e {
namespace {

constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tarnavel";
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"tarnavel.exe";
constexpr wchar_t kStartUpBox[] = L"Load this software on Windows startup";
constexpr wchar_t kRemoveSettingsBox[] = L"&Also remove my Tarnavel settings and queue";
constexpr int kSetupTimeoutMs = 60000;

// --- the registry and the files ---------------------------------------------

std::optional<std::wstring> regText(const wchar_t* key, const wchar_t* name) {
  wchar_t buffer[2048] = {};
  DWORD bytes = sizeof buffer;
  if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, buffer, &bytes) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::wstring(buffer);
}

std::optional<DWORD> regNumber(const wchar_t* key, const wchar_t* name) {
  DWORD value = 0;
  DWORD bytes = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &value, &bytes) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

bool keyExists(const wchar_t* key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  RegCloseKey(opened);
  return true;
}

bool setRunValue(const std::wstring& data) {
  const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
  return RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, kRunValue, REG_SZ, data.c_str(), bytes) ==
         ERROR_SUCCESS;
}

void deleteRunValue() {
  RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, kRunValue);
}

bool exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string contents(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The repository this driver was built from, as it sees it: under Wine a
// Linux path reaches Windows through drive Z:.
std::wstring sourceFolder() {
  std::wstring path = wide(TARNAVEL_SOURCE_DIR);
  if (!path.empty() && path.front() == L'/') path = L"Z:" + path;
  for (auto& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

std::wstring knownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  std::wstring out;
  if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path))) out = path;
  CoTaskMemFree(path);
  return out;
}

// Where a shortcut points; empty when it cannot be read.
std::wstring shortcutTarget(const std::wstring& link) {
  std::wstring target;
  const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  IShellLinkW* shell = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&shell)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      wchar_t path[MAX_PATH] = {};
      if (SUCCEEDED(file->Load(link.c_str(), STGM_READ)) &&
          SUCCEEDED(shell->GetPath(path, MAX_PATH, nullptr, 0))) {
        target = path;
      }
      file->Release();
    }
    shell->Release();
  }
  if (com) CoUninitialize();
  return target;
}

// --- running the installer and the uninstaller -------------------------------

// The installers and uninstallers a case starts, and what they start, run in
// one job that ends them with the case. Their standard handles are NUL: one
// left running with the driver's would keep the runner's output open.
class Processes {
 public:
  Processes() {
    job_ = CreateJobObjectW(nullptr, nullptr);
    if (job_) {
      JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
      limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
      SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    null_ = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        &inherited, OPEN_EXISTING, 0, nullptr);
  }
  ~Processes() { endAll(); }
  Processes(const Processes&) = delete;
  Processes& operator=(const Processes&) = delete;

  // Starts a command line; the process, or null.
  HANDLE launch(const std::wstring& commandLine) {
    std::wstring cmd = commandLine;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = si.hStdOutput = si.hStdError = null_;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                        nullptr, &si, &pi)) {
      return nullptr;
    }
    if (job_) AssignProcessToJobObject(job_, pi.hProcess);
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);
    return pi.hProcess;
  }

  void endAll() {
    if (job_) CloseHandle(job_);
    job_ = nullptr;
    if (null_ != INVALID_HANDLE_VALUE) CloseHandle(null_);
    null_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE job_ = nullptr;
  HANDLE null_ = INVALID_HANDLE_VALUE;
};

struct Installed {
  std::wstring folder;  // ...\Programs\Tarnavel, no closing backslash
  std::wstring exe;
  std::wstring link;
  std::shared_ptr<Processes> processes;
};

// Runs a command line to its end and checks that it ended with 0.
void runToEnd(Ctx& ctx, const Installed& at, const std::wstring& commandLine,
              const std::string& what) {
  HANDLE process = at.processes->launch(commandLine);
  ctx.require(process != nullptr, what + ": could not start " + quoted(commandLine));
  const DWORD waited = WaitForSingleObject(process, kSetupTimeoutMs);
  DWORD code = 1;
  GetExitCodeProcess(process, &code);
  if (waited != WAIT_OBJECT_0) TerminateProcess(process, 1);
  CloseHandle(process);
  ctx.require(waited == WAIT_OBJECT_0,
              what + ": did not end within " + std::to_string(kSetupTimeoutMs / 1000) + " s");
  ctx.require(code == 0, what + ": ended with " + std::to_string(code));
}

// Wine reports to a program the Windows version its prefix names for the
// program's file under AppDefaults; unnamed, this prefix says Windows 7.
std::wstring wineVersionKey(const std::wstring& exe) {
  return L"Software\\Wine\\AppDefaults\\" + exe.substr(exe.find_last_of(L"\\/") + 1);
}

bool setWineVersion(const std::wstring& exe, const wchar_t* version) {
  const auto bytes = static_cast<DWORD>((std::wcslen(version) + 1) * sizeof(wchar_t));
  return RegSetKeyValueW(HKEY_CURRENT_USER, wineVersionKey(exe).c_str(), L"Version", REG_SZ,
                         version, bytes) == ERROR_SUCCESS;
}

Installed where() {
  Installed at;
  at.folder = knownFolder(FOLDERID_LocalAppData) + L"\\Programs\\Tarnavel";
  at.exe = at.folder + L"\\tarnavel.exe";
  at.link = knownFolder(FOLDERID_Programs) + L"\\Tarnavel.lnk";
  return at;
}

// A clean machine for the installer: no installation, no entries, no Start
// menu entries made for the Linux desktop.
Installed prepare(Ctx& ctx) {
  const std::wstring& setup = ctx.options().setupPath;
  ctx.require(!setup.empty(), "no installer given: pass --setup PATH");
  ctx.require(exists(setup), "no installer at " + utf8(setup));
  wchar_t old[4096] = {};
  GetEnvironmentVariableW(L"WINEDLLOVERRIDES", old, 4096);
  const std::wstring before = old;
  const std::wstring overrides = (before.empty() ? L"" : before + L";") + L"winemenubuilder.exe=d";
  SetEnvironmentVariableW(L"WINEDLLOVERRIDES", overrides.c_str());
  ctx.atEnd([before] {
    SetEnvironmentVariableW(L"WINEDLLOVERRIDES", before.empty() ? nullptr : before.c_str());
  });
  // The installer refuses anything older than Windows 10 version 1607.
  ctx.require(setWineVersion(setup, L"win10"), "could not set Wine's version for the installer");
  ctx.atEnd([setup] { RegDeleteTreeW(HKEY_CURRENT_USER, wineVersionKey(setup).c_str()); });
  freshSettings(ctx);
  RegDeleteTreeW(HKEY_CURRENT_USER, kUninstallKey);
  deleteRunValue();
  Installed at = where();
  ctx.require(!exists(at.folder), utf8(at.folder) + " is there before the installer ran");
  at.processes = std::make_shared<Processes>();
  // What a case that failed left: the installation (uninstalled in place, so
  // that the uninstaller's end is the end), then every process.
  ctx.atEnd([at] {
    const std::wstring uninstaller = at.folder + L"\\Uninstall.exe";
    if (exists(uninstaller)) {
      if (HANDLE p = at.processes->launch(L"\"" + uninstaller + L"\" /S _?=" + at.folder)) {
        WaitForSingleObject(p, kSetupTimeoutMs);
        CloseHandle(p);
      }
      DeleteFileW(uninstaller.c_str());
      RemoveDirectoryW(at.folder.c_str());
    }
    at.processes->endAll();
  });
  return at;
}

void installSilently(Ctx& ctx, const Installed& at, const std::string& when) {
  runToEnd(ctx, at, L"\"" + ctx.options().setupPath + L"\" /S", "the installer " + when);
  ctx.require(exists(at.exe), "the installer " + when + " put no " + utf8(at.exe));
}

// Runs the uninstaller as "Apps & features" does it silently, and waits for
// its copy (which it runs from the temporary folder, so that it can delete
// itself) to have removed the folder, its last step.
void uninstallSilently(Ctx& ctx, const Installed& at, const std::string& when) {
  const auto quiet = regText(kUninstallKey, L"QuietUninstallString");
  ctx.require(quiet.has_value(), when + ": no QuietUninstallString");
  runToEnd(ctx, at, *quiet, "the uninstaller " + when);
  ctx.require(waitUntil([&] { return !exists(at.folder); }, kSetupTimeoutMs, 100),
              "the uninstaller " + when + " left " + utf8(at.folder));
}

// --- the cases -----------------------------------------------------------------

void installCase(Ctx& ctx) {
  const Installed at = prepare(ctx);
  installSilently(ctx, at, "(/S)");

  // The files, the same as the build's, and the shortcut.
  const std::wstring& built = ctx.options().appPath;
  const std::wstring builtFolder = built.substr(0, built.find_last_of(L"\\/") + 1);
  ctx.check(contents(at.exe) == contents(built), "the installed tarnavel.exe is not the build's");
  ctx.check(contents(at.folder + L"\\HAND-M.CUR") == contents(builtFolder + L"HAND-M.CUR"),
            "the installed HAND-M.CUR is not the build's");
  ctx.check(exists(at.folder + L"\\Uninstall.exe"), "no Uninstall.exe");
  // The administrative templates, the same as the source's (which the unit
  // tests check); no settings file, so that the installed copy uses the
  // registry.
  for (const std::wstring file : {L"Tarnavel.admx", L"en-US\\Tarnavel.adml"}) {
    const std::wstring installed = at.folder + L"\\policy\\" + file;
    const std::string source = contents(sourceFolder() + L"\\policy\\" + file);
    ctx.check(!source.empty() && contents(installed) == source,
              "the installed " + utf8(installed) + " is not the source's policy\\" + utf8(file));
  }
  ctx.check(!exists(at.folder + L"\\Tarnavel.ini"), "the installer put a Tarnavel.ini there");
  const std::wstring target = shortcutTarget(at.link);
  ctx.check(CompareStringOrdinal(target.c_str(), -1, at.exe.c_str(), -1, TRUE) == CSTR_EQUAL,
            "the Start menu shortcut " + utf8(at.link) + " points to " + quoted(target));

  // The entry of "Apps & features".
  const std::wstring uninstaller = L"\"" + at.folder + L"\\Uninstall.exe\"";
  const struct {
    const wchar_t* name;
    std::wstring want;
  } texts[] = {
      {L"DisplayName", L"Tarnavel"},     {L"DisplayVersion", wide(TARNAVEL_VERSION_SHORT_STRING)},
      {L"Publisher", L"Kestrine"},       {L"DisplayIcon", at.exe + L",0"},
      {L"UninstallString", uninstaller}, {L"QuietUninstallString", uninstaller + L" /S"},
      {L"InstallLocation", at.folder}};
  for (const auto& t : texts) {
    const auto got = regText(kUninstallKey, t.name);
    ctx.check(got == t.want, utf8(t.name) + " is " + (got ? quoted(*got) : "absent") +
                                 ", expected " + quoted(t.want));
  }
  ctx.check(regNumber(kUninstallKey, L"NoModify") == 1u, "NoModify is not 1");
  ctx.check(regNumber(kUninstallKey, L"NoRepair") == 1u, "NoRepair is not 1");
  const DWORD kilobytes = regNumber(kUninstallKey, L"EstimatedSize").value_or(0);
  const auto files = contents(at.exe).size() + contents(at.folder + L"\\HAND-M.CUR").size();
  ctx.check(kilobytes * 1024 >= files && kilobytes < 4096,
            "EstimatedSize is " + std::to_string(kilobytes) + " KB");

  // The installed program runs, and starts with Windows when asked.
  {
    Session s;
    std::string error;
    s.app = AppUnderTest::start(at.exe, L"", kTitle, kStartTimeoutMs, error);
    ctx.require(s.app != nullptr, "the installed program: " + error);
    expectNoBox(ctx, s, "the installed program, after start-up");
    ctx.require(s.app->press(requireButton(ctx, s, kStartUpBox)),
                "could not click " + quoted(kStartUpBox));
    const std::wstring run = L"\"" + at.exe + L"\"";
    ctx.check(waitUntil([&] { return regText(kRunKey, kRunValue) == run; }, kChangeTimeoutMs),
              "the installed program wrote no Run entry " + quoted(run));
    closeProgram(ctx, s, "the installed program");
  }
  const auto settings = settingsSnapshot();
  ctx.require(!settings.empty(), "the installed program stored no settings");

  uninstallSilently(ctx, at, "(/S)");
  ctx.check(!exists(at.link), "the Start menu shortcut is left");
  ctx.check(!keyExists(kUninstallKey), "the entry of \"Apps & features\" is left");
  ctx.check(!regText(kRunKey, kRunValue), "the Run entry is left");
  ctx.check(
      snapshotDiff(settings, settingsSnapshot()).empty(),
      "a silent uninstall changed the settings: " + snapshotDiff(settings, settingsSnapshot()));

  // A Run entry of another copy of the program is not this installation's;
  // a running program is asked to close, so that its file can go.
  installSilently(ctx, at, "again");
  const std::wstring other = L"\"C:\\Tools\\tarnavel.exe\"";
  ctx.require(setRunValue(other), "could not write the Run entry");
  std::string error;
  auto running = AppUnderTest::start(at.exe, L"", kTitle, kStartTimeoutMs, error);
  ctx.require(running != nullptr, "the installed program, again: " + error);
  uninstallSilently(ctx, at, "with the program running");
  ctx.check(!running->running(), "the uninstaller left the program running");
  ctx.check(regText(kRunKey, kRunValue) == other, "the Run entry of another copy was removed");
  deleteRunValue();
}

// The top-level window of the uninstaller, and within it the window whose
// text is text (any depth); null when there is none.
struct Found {
  std::wstring text;
  HWND hwnd = nullptr;
};

BOOL CALLBACK findText(HWND hwnd, LPARAM lp) {
  auto* found = reinterpret_cast<Found*>(lp);
  if (IsWindowVisible(hwnd) && remoteText(hwnd) == found->text) {
    found->hwnd = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND findWindow(HWND parent, const std::wstring& text) {
  Found found{text};
  if (parent == nullptr) {
    EnumWindows(findText, reinterpret_cast<LPARAM>(&found));
  } else {
    EnumChildWindows(parent, findText, reinterpret_cast<LPARAM>(&found));
  }
  return found.hwnd;
}

// Presses a button of the uninstaller's dialog the way the dialog hears it,
// once it shows text and can be pressed: the dialog ignores a press of a
// disabled button, and "Close" shows while the uninstaller is still at work.
bool pressWhenReady(HWND dialog, int id, const std::wstring& text) {
  const HWND button = GetDlgItem(dialog, id);
  if (!waitUntil([&] { return IsWindowEnabled(button) && remoteText(button) == text; },
                 kSetupTimeoutMs, 50)) {
    return false;
  }
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  return true;
}

void uninstallBoxCase(Ctx& ctx) {
  const Installed at = prepare(ctx);
  ctx.require(writeSetting(L"Text3", L"7"), "could not write a setting");
  installSilently(ctx, at, "(/S)");

  // The uninstaller with its pages, as "Apps & features" starts it.
  const auto uninstall = regText(kUninstallKey, L"UninstallString");
  ctx.require(uninstall.has_value(), "no UninstallString");
  HANDLE first = at.processes->launch(*uninstall);
  ctx.require(first != nullptr, "could not start " + quoted(*uninstall));
  CloseHandle(first);
  HWND dialog = nullptr;
  ctx.require(waitUntil([&] { return (dialog = findWindow(nullptr, L"Tarnavel Uninstall")); },
                        kSetupTimeoutMs, 100),
              "no window \"Tarnavel Uninstall\"");
  HWND box = nullptr;
  ctx.require(
      waitUntil([&] { return (box = findWindow(dialog, kRemoveSettingsBox)); }, kChangeTimeoutMs),
      "no box " + quoted(kRemoveSettingsBox));
  ctx.check(SendMessageW(box, BM_GETCHECK, 0, 0) == BST_UNCHECKED, "the box is ticked at first");
  SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
  ctx.require(pressWhenReady(dialog, IDOK, L"&Uninstall"), "\"Uninstall\" cannot be pressed");
  ctx.require(waitUntil([&] { return !exists(at.exe); }, kSetupTimeoutMs, 100),
              "the uninstaller did not remove tarnavel.exe");
  // The last page: "Close" ends it.
  ctx.require(pressWhenReady(dialog, IDOK, L"&Close"), "the uninstaller did not come to its end");
  ctx.check(waitUntil([&] { return !IsWindow(dialog); }, kChangeTimeoutMs),
            "the uninstaller did not close");
  ctx.check(!keyExists(kSettingsKey), "with the box ticked, the settings are left");
  ctx.check(!keyExists(L"Software\\Kestrine"), "the empty Kestrine key is left");
  ctx.check(waitUntil([&] { return !exists(at.folder); }, kSetupTimeoutMs, 100),
            "the uninstaller left " + utf8(at.folder));
}

// The installer on a Windows older than the program needs.
void oldWindowsCase(Ctx& ctx) {
  const Installed at = prepare(ctx);
  const std::wstring& setup = ctx.options().setupPath;
  constexpr DWORD kOldWindows = 1150;  // ERROR_OLD_WIN_VERSION
  const auto nothingInstalled = [&](const std::string& when) {
    ctx.check(!exists(at.folder), when + ": " + utf8(at.folder) + " was made");
    ctx.check(!keyExists(kUninstallKey), when + ": the entry of \"Apps & features\" was made");
  };
  const auto ended = [&](HANDLE process, const std::string& when) {
    ctx.require(WaitForSingleObject(process, kSetupTimeoutMs) == WAIT_OBJECT_0,
                when + ": the installer did not end");
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    ctx.check(code == kOldWindows, when + ": the installer ended with " + std::to_string(code) +
                                       ", expected " + std::to_string(kOldWindows));
  };
  for (const wchar_t* version : {L"win7", L"win81"}) {
    const std::string when = "on " + utf8(version) + " (/S)";
    ctx.require(setWineVersion(setup, version), "could not set Wine's version for the installer");
    HANDLE silent = at.processes->launch(L"\"" + setup + L"\" /S");
    ctx.require(silent != nullptr, when + ": could not start the installer");
    ended(silent, when);
    nothingInstalled(when);
  }
  // With its pages, it says why and ends when the box is answered.
  HANDLE shown = at.processes->launch(L"\"" + setup + L"\"");
  ctx.require(shown != nullptr, "could not start the installer");
  HWND box = nullptr, text = nullptr;
  const bool found = waitUntil(
      [&] {
        box = findWindow(nullptr, L"Tarnavel Setup");
        text = box ? findWindow(box, L"Tarnavel needs Windows 10 version 1607 or later.") : nullptr;
        return text != nullptr;
      },
      kSetupTimeoutMs, 100);
  if (!ctx.check(found, "on win81 the installer showed no box saying what it needs")) {
    TerminateProcess(shown, 1);
    CloseHandle(shown);
    return;
  }
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  ended(shown, "on win81, with its pages");
  nothingInstalled("on win81, with its pages");
}

}  // namespace

std::vector<Case> installCases() {
  return {{"install",
           "silent install: files (policy templates, no Tarnavel.ini), shortcut, \"Apps & "
           "features\"; the program runs; silent uninstall removes all but the settings",
           installCase},
          {"uninstall_box", "the uninstaller's box removes the settings too", uninstallBoxCase},
          {"install_old_windows",
           "on Windows 7 and 8.1 the installer refuses, silently with /S, with a box without",
           oldWindowsCase}};
}

}  // namespace e2e
