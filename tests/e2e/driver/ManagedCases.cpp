// Displays configured centrally: settings and a queue set by policy (values
// under the machine's policy key, as Group Policy writes them) are used and
// shown locked; a portable copy keeps its settings in the file beside it and
// leaves the registry alone.
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include "CaseSupport.h"
#include "Cases.h"

namespace e2e {
namespace {

constexpr wchar_t kPolicyKey[] = L"Software\\Policies\\Kestrine\\Tarnavel";
constexpr wchar_t kSwitchEvery[] = L"Switch every:";
constexpr wchar_t kDaily[] = L"Daily:";

bool setPolicy(const std::wstring& subkey, const std::wstring& name, DWORD type, const void* data,
               DWORD bytes) {
  const std::wstring path = subkey.empty() ? kPolicyKey : std::wstring(kPolicyKey) + L"\\" + subkey;
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const bool ok = RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data),
                                 bytes) == ERROR_SUCCESS;
  RegCloseKey(key);
  return ok;
}

bool policyText(const std::wstring& subkey, const std::wstring& name, const std::wstring& text) {
  return setPolicy(subkey, name, REG_SZ, text.c_str(),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

bool policyNumber(const std::wstring& name, DWORD number) {
  return setPolicy({}, name, REG_DWORD, &number, sizeof number);
}

void clearPolicies() {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kPolicyKey);
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, kPolicyKey);
}

// The Edit children of the main window: Text1, Text2, Text3 first.
HWND textBox(Session& s, size_t n) {
  const auto edits = s.app->childrenOfClass(L"Edit");
  return n < edits.size() ? edits[n] : nullptr;
}

void policyCase(Ctx& ctx) {
  freshSettings(ctx);
  clearPolicies();
  // The user's own choices, which the policies override and must not touch.
  ctx.require(writeSetting(L"Option2", L"True") && writeSetting(L"Text3", L"30"),
              "could not write the user's own settings");
  auto host = targetHost(ctx);
  const std::vector<HWND> targets = {target(ctx, *host, L"Policy target 1"),
                                     target(ctx, *host, L"Policy target 2")};
  ctx.require(policyText({}, L"Option3", L"True") && policyNumber(L"Text1", 0) &&
                  policyText({}, L"Text2", L"0") && policyNumber(L"Text3", 2) &&
                  policyText({}, kStartStop, L"On") &&
                  policyText(L"Queue", L"1", L"Policy target 1") &&
                  policyText(L"Queue", L"2", L"Policy target 2"),
              "could not write the policies");
  takeBandEntries();
  auto s = startProgram(ctx);

  const HWND every = s->app->button(kSwitchEvery);
  const HWND daily = s->app->button(kDaily);
  ctx.require(every != nullptr && daily != nullptr, "the schedule options are not there");
  ctx.check(SendMessageW(every, BM_GETCHECK, 0, 0) == BST_CHECKED,
            "\"Switch every:\" is not chosen, as the policy says");
  ctx.check(!IsWindowEnabled(every) && !IsWindowEnabled(daily),
            "the schedule set by policy can be changed");
  const HWND seconds = textBox(*s, 2);
  ctx.check(seconds != nullptr && remoteText(seconds) == L"2" && !IsWindowEnabled(seconds),
            "the seconds set by policy are not shown locked: " + utf8(remoteText(seconds)));
  for (const wchar_t* caption : {kAdd, kDelete, kClearAll, kClearInvalid}) {
    ctx.check(!IsWindowEnabled(requireButton(ctx, *s, caption)),
              utf8(caption) + " is enabled under a queue set by policy");
  }
  expectQueue(ctx, *s,
              {row(targets[0], L"Policy target 1", L"Valid"),
               row(targets[1], L"Policy target 2", L"Valid")},
              "a queue set by policy");
  // Switching on at start by policy, every 2 s through the policy's queue.
  const auto seen = collectSwitches(3, 9000);
  ctx.check(windowsOf(seen) == std::vector<HWND>{targets[1], targets[0], targets[1]} ||
                windowsOf(seen) == std::vector<HWND>{targets[0], targets[1], targets[0]},
            "the switches went " + names(seen, targets) + ", expected the two targets in turn");
  expectNoBox(ctx, *s, "under policies");
  closeProgram(ctx, *s, "under policies");
  ctx.check(readSetting(L"Text3") == L"30" && readSetting(L"Option2") == L"True",
            "the user's own settings changed under policies");
  ctx.check(!readSetting(kQueuedWindows), "the queue set by policy was stored as the user's");
  clearPolicies();
}

std::string fileText(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void portableCase(Ctx& ctx) {
  freshSettings(ctx);
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"Tarnavel portable\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring exe = folder + L"tarnavel.exe";
  const std::wstring ini = folder + L"Tarnavel.ini";
  ctx.require(CopyFileW(ctx.options().appPath.c_str(), exe.c_str(), FALSE) != FALSE,
              "could not copy the program");
  const std::string comment = "; Settings of this portable copy.\r\n";
  std::ofstream(ini.c_str(), std::ios::binary) << comment;

  for (int run = 0; run < 2; ++run) {
    std::string error;
    auto app = AppUnderTest::start(exe, L"", kTitle, 15000, error);
    ctx.require(app != nullptr, "the portable copy did not start: " + error);
    for (const auto& box : app->dismissAllBoxes())
      ctx.fail("the portable copy showed " + box.describe());
    const HWND daily = app->button(kDaily);
    ctx.require(daily != nullptr, "no \"Daily:\" option");
    if (run == 0) {
      app->press(daily);
      app->sync();
    } else {
      ctx.check(SendMessageW(daily, BM_GETCHECK, 0, 0) == BST_CHECKED,
                "the portable copy did not restore \"Daily:\" from its file");
    }
    ctx.check(app->close(10000, error), "the portable copy did not close: " + error);
  }
  const std::string text = fileText(ini);
  ctx.check(text.starts_with(comment + "[Tarnavel]\r\n") &&
                text.find("\r\nOption2=True\r\n") != std::string::npos &&
                text.find("\r\nQueued Windows=\r\n") != std::string::npos,
            "the settings file reads:\n" + text);
  HKEY key = nullptr;
  const bool registryUsed = RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Kestrine\\Tarnavel", 0,
                                          KEY_READ, &key) == ERROR_SUCCESS;
  if (registryUsed) RegCloseKey(key);
  ctx.check(!registryUsed, "the portable copy made the registry's settings key");
  DeleteFileW(ini.c_str());
  DeleteFileW(exe.c_str());
  RemoveDirectoryW(folder.c_str());
}

}  // namespace

std::vector<Case> managedCases() {
  return {
      {"policy", "an interval, a schedule and a queue set by policy are used and shown locked",
       policyCase},
      {"portable",
       "a copy with Tarnavel.ini beside it keeps its settings there, not in the registry",
       portableCase},
  };
}

}  // namespace e2e
