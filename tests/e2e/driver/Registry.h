// The program's settings in the registry of the current user:
// HKEY_CURRENT_USER\Software\Kestrine\Tarnavel, one REG_SZ value per setting.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

inline constexpr wchar_t kSettingsKey[] = L"Software\\Kestrine\\Tarnavel";
// The per-user key of the programs Windows starts at log-on.
inline constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

struct RegValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
  friend bool operator==(const RegValue&, const RegValue&) = default;
};

// Every value of the settings key, by name; empty when the key is absent.
std::map<std::wstring, RegValue> settingsSnapshot();
// A readable account of how two snapshots differ ("" when they are equal).
std::string snapshotDiff(const std::map<std::wstring, RegValue>& before,
                         const std::map<std::wstring, RegValue>& after);

// Deletes the settings key with everything in it; true when it is gone.
bool deleteSettings();
// The raw value, or nothing when the key or the value is absent.
std::optional<RegValue> readSettingRaw(const std::wstring& name);
// The text of a REG_SZ value without its terminator; nothing when absent or
// not REG_SZ (typeOut tells which type was found, REG_NONE when absent).
std::optional<std::wstring> readSetting(const std::wstring& name, DWORD* typeOut = nullptr);
bool writeSetting(const std::wstring& name, const std::wstring& value);
// A value of any type, as a hand edit or another program may leave it.
bool writeSettingRaw(const std::wstring& name, const RegValue& value);

// The same for a value of any key below HKEY_CURRENT_USER.
std::optional<RegValue> readUserValueRaw(const std::wstring& keyPath, const std::wstring& name);
std::optional<std::wstring> readUserValue(const std::wstring& keyPath, const std::wstring& name,
                                          DWORD* typeOut = nullptr);
// Deletes the value; true when it is gone (or was never there).
bool deleteUserValue(const std::wstring& keyPath, const std::wstring& name);

// Watches the settings key for any change of its values (a write of the same
// data counts too) from the moment of construction.
class SettingsWatch {
 public:
  SettingsWatch();
  ~SettingsWatch();
  SettingsWatch(const SettingsWatch&) = delete;
  SettingsWatch& operator=(const SettingsWatch&) = delete;
  bool armed() const { return event_ != nullptr; }
  bool changed() const;

 private:
  HKEY key_ = nullptr;
  HANDLE event_ = nullptr;
};

// Catches any write to the settings key, including a write of the data that
// is already there (which Wine's registry drops without telling watchers):
// every value is first given a marked text the program cannot hold, so that
// whatever the program writes differs from it. restore() puts the values back.
class SettingsTripwire {
 public:
  SettingsTripwire();
  ~SettingsTripwire() { restore(); }
  SettingsTripwire(const SettingsTripwire&) = delete;
  SettingsTripwire& operator=(const SettingsTripwire&) = delete;

  bool armed() const { return armed_; }
  // What was written since arming; "" when nothing was.
  std::string writes() const;
  void restore();

 private:
  std::map<std::wstring, RegValue> original_;
  std::map<std::wstring, RegValue> marked_;
  std::unique_ptr<SettingsWatch> watch_;
  bool armed_ = false;
  bool restored_ = false;
};

// The stored form of the switch queue: for each row handle, separator,
// title, separator, time and row terminator.
struct QueueRow {
  std::wstring handle;
  std::wstring title;
  std::wstring time;
};
std::wstring storedQueue(const std::vector<QueueRow>& rows);

}  // namespace e2e
