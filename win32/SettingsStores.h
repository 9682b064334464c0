// Where the settings come from besides the user's registry key: the
// policies an organisation set, and the settings file of a portable copy.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "platform/System.h"

namespace tarnavel::win32 {

// The policy values under HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER. Group
// Policy writes them; the program only reads them.
class RegistryPolicies final : public platform::IPolicyStore {
 public:
  static constexpr const wchar_t* kPolicyKey = L"Software\\Policies\\Kestrine\\Tarnavel";

  // The key path below both roots; another one only for tests.
  explicit RegistryPolicies(std::wstring keyPath = kPolicyKey) : keyPath_(std::move(keyPath)) {}
  platform::PolicyValue read(platform::PolicyScope scope, std::string_view name) override;
  std::vector<platform::PolicyValue> queue(platform::PolicyScope scope) override;

 private:
  platform::PolicyValue value(platform::PolicyScope scope, const std::wstring& subkey,
                              const std::wstring& name);
  std::wstring keyPath_;
};

// A settings file, replaced through a new file beside it.
class SettingsFile final : public platform::ISettingsFile {
 public:
  explicit SettingsFile(std::wstring path) : path_(std::move(path)) {}
  std::optional<std::string> read() override;
  void replace(std::string_view bytes) override;

 private:
  std::wstring path_;
};

// "Tarnavel.ini" beside the running program, when there is such a file.
std::optional<std::wstring> portableSettingsPath();

}  // namespace tarnavel::win32
