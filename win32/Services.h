// The system services the logic uses, over the Windows API.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/System.h"

namespace tarnavel::win32 {

// Other programs' top-level windows. Every result of the system is passed on
// as it comes; nothing here fails.
class WindowSystem final : public platform::IWindowSystem {
 public:
  Hwnd32 firstSibling(Hwnd32 window) override;
  Hwnd32 nextSibling(Hwnd32 window) override;
  std::uint32_t style(Hwnd32 window) override;
  int textLength(Hwnd32 window) override;
  std::string text(Hwnd32 window, int bufferUnits) override;
  void allowAnyForeground() override;
  bool setForeground(Hwnd32 window) override;
  Hwnd32 foregroundWindow() override;
  std::uint32_t threadOf(Hwnd32 window) override;
  std::uint32_t processOf(Hwnd32 window) override;
  std::uint32_t ownThread() override;
  bool answers(Hwnd32 window, int milliseconds) override;
  bool attachInput(std::uint32_t thread, std::uint32_t to, bool attach) override;
  void setBand(Hwnd32 window, ZBand band) override;
  void show(Hwnd32 window, ShowCommand command) override;
  bool exists(Hwnd32 window) override;
  std::string programPath(Hwnd32 window) override;
  std::string windowClass(Hwnd32 window) override;
  bool cloaked(Hwnd32 window) override;
  bool runsAbove(Hwnd32 window) override;
  Display displayOf(Hwnd32 window) override;
  int displayCount() override;
  void raise(Hwnd32 window) override;

 private:
  // The title last read for its length, handed out again by text(): the walk
  // asks both of each window in turn.
  HWND titleOf_ = nullptr;
  std::wstring title_;
};

// The mandatory integrity level of a process (the last part of its label,
// SECURITY_MANDATORY_MEDIUM_RID and so on); nothing when its token cannot be
// read. The handle needs PROCESS_QUERY_LIMITED_INFORMATION.
std::optional<DWORD> integrityOf(HANDLE process);

// The last input of the session, any program's.
class UserInput final : public platform::IUserInput {
 public:
  std::uint32_t lastInputTick() override;
  std::uint32_t tickCount() override;
};

// CreateProcessW with the command line as the user wrote it: no shell, no
// console window, the program's own folder as the working folder.
class Processes final : public platform::IProcesses {
 public:
  std::uint32_t start(std::string_view commandLine) override;
};

// The settings in the registry: one REG_SZ value per key under
// HKEY_CURRENT_USER\Software\Kestrine\Tarnavel.
class RegistrySettings final : public platform::ISettingsBackend {
 public:
  static constexpr const wchar_t* kDefaultKey = L"Software\\Kestrine\\Tarnavel";

  // The key path below HKEY_CURRENT_USER; another one only for tests.
  explicit RegistrySettings(std::wstring keyPath = kDefaultKey) : keyPath_(std::move(keyPath)) {}

  // No text when the key or the value is not there, or when the value is of
  // another type than REG_SZ (or REG_EXPAND_SZ, read expanded), which is said
  // so; any other refusal throws AppError with the system's words.
  platform::StoredValue read(std::string_view key) override;
  // Creates the key path when it is missing.
  void write(std::string_view key, std::string_view value) override;
  bool writeOverText(std::string_view key, std::string_view value) override;
  // A value that is not there is no failure.
  void remove(std::string_view key);

 private:
  // Stores the text; with overTextOnly, not over a value of another type.
  bool store(std::string_view key, std::string_view value, bool overTextOnly);

  std::wstring keyPath_;
};

// The per-user Run entry: starting at log-on needs no administrator rights.
class RunEntry final : public platform::IRunEntry {
 public:
  static constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

  // The key path below HKEY_CURRENT_USER; another one only for tests.
  explicit RunEntry(std::wstring keyPath = kRunKey) : key_(std::move(keyPath)) {}
  std::string programPath() override;
  void add(std::string_view name, std::string_view command) override { key_.write(name, command); }
  void remove(std::string_view name) override { key_.remove(name); }

 private:
  RegistrySettings key_;
};

class FileSystem final : public platform::IFileSystem {
 public:
  std::string programFolder() override;
  bool hasModificationTime(std::string_view path) override;
  bool isListedFile(std::string_view path) override;
};

class SystemClock final : public platform::IClock {
 public:
  LocalDateTime now() override;
};

// A clock that only goes forward, in milliseconds: what the switch timer
// paces its ticks on.
std::int64_t monotonicMs();

// The user's locale, read fresh at every call (the user may change it while
// the program runs).
class Locale final : public platform::ILocale {
 public:
  NumberFormat numberFormat() override;
  TimeFormat timeFormat() override;
};

}  // namespace tarnavel::win32
