#include "win32/SettingsStores.h"

#include <memory>

#include "core/IniSettings.h"
#include "platform/Errors.h"
#include "win32/Handles.h"
#include "win32/Services.h"
#include "win32/Text.h"

namespace tarnavel::win32 {
namespace {

[[noreturn]] void refused(DWORD code) {
  throw AppError::system(systemMessage(code));
}

HKEY rootOf(platform::PolicyScope scope) {
  return scope == platform::PolicyScope::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

}  // namespace

platform::PolicyValue RegistryPolicies::value(platform::PolicyScope scope,
                                              const std::wstring& subkey,
                                              const std::wstring& name) {
  using Kind = platform::PolicyValue::Kind;
  HKEY raw = nullptr;
  const std::wstring path = subkey.empty() ? keyPath_ : keyPath_ + L"\\" + subkey;
  // The 64-bit view, where Group Policy writes for a 64-bit program.
  LSTATUS status =
      RegOpenKeyExW(rootOf(scope), path.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &raw);
  if (status == ERROR_FILE_NOT_FOUND) return {};
  if (status != ERROR_SUCCESS) refused(static_cast<DWORD>(status));
  const RegKey key(raw);
  // The value may change size between the two calls: ask again then.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD type = REG_NONE;
    DWORD bytes = 0;
    status = RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &bytes);
    if (status == ERROR_FILE_NOT_FOUND) return {};
    if (status != ERROR_SUCCESS) refused(static_cast<DWORD>(status));
    if (type == REG_DWORD) {
      DWORD number = 0;
      bytes = sizeof(number);
      status = RegQueryValueExW(key.get(), name.c_str(), nullptr, &type,
                                reinterpret_cast<BYTE*>(&number), &bytes);
      if (status == ERROR_MORE_DATA) continue;
      if (status != ERROR_SUCCESS) refused(static_cast<DWORD>(status));
      return {Kind::Number, {}, number};
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) return {Kind::Other, {}, 0};
    const std::size_t units = bytes / sizeof(wchar_t) + 1;
    auto buffer = std::make_unique<wchar_t[]>(units);
    bytes = static_cast<DWORD>(units * sizeof(wchar_t));
    status = RegQueryValueExW(key.get(), name.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(buffer.get()), &bytes);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) refused(static_cast<DWORD>(status));
    // The text ends at its first terminator; one is not always stored.
    const std::wstring_view data(buffer.get(), std::min(units, bytes / sizeof(wchar_t)));
    return {Kind::Text, narrow(data.substr(0, data.find(L'\0'))), 0};
  }
  refused(ERROR_MORE_DATA);
}

platform::PolicyValue RegistryPolicies::read(platform::PolicyScope scope, std::string_view name) {
  return value(scope, {}, widen(name));
}

std::vector<platform::PolicyValue> RegistryPolicies::queue(platform::PolicyScope scope) {
  std::vector<platform::PolicyValue> values;
  for (int n = 1;; ++n) {
    auto next = value(scope, L"Queue", std::to_wstring(n));
    if (next.kind == platform::PolicyValue::Kind::Absent) return values;
    values.push_back(std::move(next));
  }
}

std::optional<std::string> SettingsFile::read() {
  const File file{CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
  if (!file) {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND) return std::nullopt;
    refused(code);
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) refused(GetLastError());
  // A settings file is small; a huge one is not ours to load.
  if (size.QuadPart > 64 * 1024 * 1024) refused(ERROR_FILE_TOO_LARGE);
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!bytes.empty() &&
      !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
    refused(GetLastError());
  }
  bytes.resize(read);
  return bytes;
}

void SettingsFile::replace(std::string_view bytes) {
  const std::wstring fresh = path_ + L".new";
  // Written and on the disk before it takes the old file's place; a new
  // file that did not get there is not left behind.
  DWORD failure = ERROR_SUCCESS;
  {
    const File file{CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (!file) refused(GetLastError());
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
      failure = GetLastError();
    } else if (written != bytes.size()) {
      failure = ERROR_DISK_FULL;
    } else if (!FlushFileBuffers(file.get())) {
      failure = GetLastError();
    }
  }
  if (failure == ERROR_SUCCESS &&
      !MoveFileExW(fresh.c_str(), path_.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    failure = GetLastError();
  }
  if (failure != ERROR_SUCCESS) {
    DeleteFileW(fresh.c_str());
    refused(failure);
  }
}

std::optional<std::wstring> portableSettingsPath() {
  std::wstring path;
  try {
    path = widen(FileSystem().programFolder());
  } catch (const AppError&) {
    return std::nullopt;
  }
  if (!path.empty() && path.back() != L'\\') path += L'\\';
  path += widen(kIniFileName);
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    // A file there that cannot even be looked at is still the copy's
    // settings file: reading it reports why it cannot be used.
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return std::nullopt;
    return path;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return std::nullopt;
  return path;
}

}  // namespace tarnavel::win32
