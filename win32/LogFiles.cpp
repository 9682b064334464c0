#include "win32/LogFiles.h"

#include <shellapi.h>
#include <shlobj.h>

#include "platform/Errors.h"
#include "win32/Text.h"

namespace tarnavel::win32 {
namespace {

[[noreturn]] void refused(DWORD code) {
  throw AppError::system(systemMessage(code));
}

struct FileHandle {
  HANDLE handle;
  ~FileHandle() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};

std::wstring localAppData() {
  PWSTR path = nullptr;
  const HRESULT result = SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &path);
  std::wstring folder;
  if (SUCCEEDED(result) && path != nullptr) folder = path;
  CoTaskMemFree(path);
  if (!folder.empty()) return folder;
  // The environment's value, as a last resort.
  wchar_t buffer[MAX_PATH];
  const DWORD units = GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, MAX_PATH);
  if (units == 0 || units >= MAX_PATH) refused(ERROR_PATH_NOT_FOUND);
  return std::wstring(buffer, units);
}

}  // namespace

std::string LogFiles::folder() {
  std::wstring folder = localAppData();
  if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  folder += L"\\Tarnavel";
  if (!CreateDirectoryW(folder.c_str(), nullptr)) {
    const DWORD code = GetLastError();
    if (code != ERROR_ALREADY_EXISTS) refused(code);
  }
  return narrow(folder);
}

std::optional<std::uint64_t> LogFiles::size(std::string_view path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(widen(path).c_str(), GetFileExInfoStandard, &data)) {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return std::nullopt;
    refused(code);
  }
  return (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

void LogFiles::replace(std::string_view from, std::string_view to) {
  if (!MoveFileExW(widen(from).c_str(), widen(to).c_str(), MOVEFILE_REPLACE_EXISTING)) {
    refused(GetLastError());
  }
}

void LogFiles::append(std::string_view path, std::string_view bytes) {
  // Others may read the log while it is open, and rename it.
  FileHandle file{CreateFileW(widen(path).c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)};
  if (file.handle == INVALID_HANDLE_VALUE) refused(GetLastError());
  DWORD written = 0;
  if (!WriteFile(file.handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
    refused(GetLastError());
  }
  if (written != bytes.size()) refused(ERROR_DISK_FULL);
}

void LogFiles::openFolder(std::string_view path) {
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, L"open", widen(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  // Above 32 is success; below, an error code of the old kind.
  if (result <= 32) refused(result == SE_ERR_NOASSOC ? ERROR_NO_ASSOCIATION : GetLastError());
}

PowerRequest::~PowerRequest() {
  if (requested_) SetThreadExecutionState(ES_CONTINUOUS);
}

void PowerRequest::request() {
  // The state stays until the next call with ES_CONTINUOUS; it is the
  // thread's own, and the UI thread is the one that lives as long as we do.
  if (SetThreadExecutionState(ES_CONTINUOUS | ES_DISPLAY_REQUIRED | ES_SYSTEM_REQUIRED) == 0) {
    refused(ERROR_INVALID_PARAMETER);
  }
  requested_ = true;
}

void PowerRequest::clear() {
  if (!requested_) refused(ERROR_INVALID_PARAMETER);
  requested_ = false;
  if (SetThreadExecutionState(ES_CONTINUOUS) == 0) refused(ERROR_INVALID_PARAMETER);
}

}  // namespace tarnavel::win32
