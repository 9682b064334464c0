#include "Registry.h"

#include "Text.h"

namespace e2e {

namespace {

std::string describe(const RegValue& v) {
  if (v.type == REG_SZ || v.type == REG_EXPAND_SZ) {
    std::wstring text(reinterpret_cast<const wchar_t*>(v.data.data()), v.data.size() / 2);
    while (!text.empty() && text.back() == L'\0')
      text.pop_back();
    return "REG_SZ " + quoted(text);
  }
  return "type " + std::to_string(v.type) + ", " + std::to_string(v.data.size()) + " bytes";
}

}  // namespace

std::map<std::wstring, RegValue> settingsSnapshot() {
  std::map<std::wstring, RegValue> values;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return values;
  }
  for (DWORD i = 0;; ++i) {
    wchar_t name[512];
    DWORD nameLen = 512;
    DWORD type = 0;
    DWORD size = 0;
    LONG rc = RegEnumValueW(key, i, name, &nameLen, nullptr, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS) break;
    RegValue v;
    v.type = type;
    v.data.resize(size);
    nameLen = 512;
    rc = RegEnumValueW(key, i, name, &nameLen, nullptr, &type, v.data.data(), &size);
    if (rc != ERROR_SUCCESS) break;
    v.data.resize(size);
    values[std::wstring(name, nameLen)] = std::move(v);
  }
  RegCloseKey(key);
  return values;
}

std::string snapshotDiff(const std::map<std::wstring, RegValue>& before,
                         const std::map<std::wstring, RegValue>& after) {
  std::string out;
  for (const auto& [name, v] : before) {
    auto it = after.find(name);
    if (it == after.end()) {
      out += "value " + quoted(name) + " deleted; ";
    } else if (!(it->second == v)) {
      out += "value " + quoted(name) + " changed from " + describe(v) + " to " +
             describe(it->second) + "; ";
    }
  }
  for (const auto& [name, v] : after) {
    if (!before.count(name)) out += "value " + quoted(name) + " added: " + describe(v) + "; ";
  }
  return out;
}

bool deleteSettings() {
  LONG rc = RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
  if (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) {
    RegDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
  }
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    RegCloseKey(key);
    return false;
  }
  return true;
}

std::optional<RegValue> readUserValueRaw(const std::wstring& keyPath, const std::wstring& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  RegValue v;
  DWORD size = 0;
  LONG rc = RegQueryValueExW(key, name.c_str(), nullptr, &v.type, nullptr, &size);
  if (rc == ERROR_SUCCESS) {
    v.data.resize(size);
    rc = RegQueryValueExW(key, name.c_str(), nullptr, &v.type, v.data.data(), &size);
    v.data.resize(size);
  }
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) return std::nullopt;
  return v;
}

std::optional<std::wstring> readUserValue(const std::wstring& keyPath, const std::wstring& name,
                                          DWORD* typeOut) {
  auto raw = readUserValueRaw(keyPath, name);
  if (typeOut) *typeOut = raw ? raw->type : REG_NONE;
  if (!raw || raw->type != REG_SZ) return std::nullopt;
  std::wstring text(reinterpret_cast<const wchar_t*>(raw->data.data()), raw->data.size() / 2);
  // A REG_SZ value ends with one terminator; anything after it is not text.
  auto end = text.find(L'\0');
  if (end != std::wstring::npos) text.resize(end);
  return text;
}

bool deleteUserValue(const std::wstring& keyPath, const std::wstring& name) {
  HKEY key = nullptr;
  LONG rc = RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_SET_VALUE, &key);
  if (rc == ERROR_FILE_NOT_FOUND) return true;
  if (rc != ERROR_SUCCESS) return false;
  rc = RegDeleteValueW(key, name.c_str());
  RegCloseKey(key);
  return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

std::optional<RegValue> readSettingRaw(const std::wstring& name) {
  return readUserValueRaw(kSettingsKey, name);
}

std::optional<std::wstring> readSetting(const std::wstring& name, DWORD* typeOut) {
  return readUserValue(kSettingsKey, name, typeOut);
}

bool writeSetting(const std::wstring& name, const std::wstring& value) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  LONG rc =
      RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

bool writeSettingRaw(const std::wstring& name, const RegValue& value) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  LONG rc = RegSetValueExW(key, name.c_str(), 0, value.type, value.data.data(),
                           static_cast<DWORD>(value.data.size()));
  RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

SettingsWatch::SettingsWatch() {
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_NOTIFY | KEY_READ,
                      nullptr, &key_, nullptr) != ERROR_SUCCESS) {
    key_ = nullptr;
    return;
  }
  event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (RegNotifyChangeKeyValue(key_, TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                              event_, TRUE) != ERROR_SUCCESS) {
    CloseHandle(event_);
    event_ = nullptr;
  }
}

SettingsWatch::~SettingsWatch() {
  if (key_) RegCloseKey(key_);
  if (event_) CloseHandle(event_);
}

bool SettingsWatch::changed() const {
  return event_ && WaitForSingleObject(event_, 0) == WAIT_OBJECT_0;
}

SettingsTripwire::SettingsTripwire() : original_(settingsSnapshot()) {
  bool ok = true;
  for (const auto& [name, v] : original_) {
    if (v.type != REG_SZ) continue;
    std::wstring text(reinterpret_cast<const wchar_t*>(v.data.data()), v.data.size() / 2);
    auto end = text.find(L'\0');
    if (end != std::wstring::npos) text.resize(end);
    ok = writeSetting(name, text + L" [marked by the e2e driver]") && ok;
  }
  marked_ = settingsSnapshot();
  watch_ = std::make_unique<SettingsWatch>();
  armed_ = ok && watch_->armed();
}

std::string SettingsTripwire::writes() const {
  std::string diff = snapshotDiff(marked_, settingsSnapshot());
  if (diff.empty() && watch_ && watch_->changed()) diff = "a write that left the same data";
  return diff;
}

void SettingsTripwire::restore() {
  if (restored_) return;
  restored_ = true;
  watch_.reset();
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return;
  }
  for (const auto& [name, v] : original_) {
    RegSetValueExW(key, name.c_str(), 0, v.type, v.data.data(), static_cast<DWORD>(v.data.size()));
  }
  RegCloseKey(key);
}

std::wstring storedQueue(const std::vector<QueueRow>& rows) {
  std::wstring s;
  for (const auto& r : rows) {
    s += r.handle;
    s += L"||||||||123|||";
    s += r.title;
    s += L"||||||||123|||";
    s += r.time;
    s += L"||||||||234|||";
  }
  return s;
}

}  // namespace e2e
