#include "gui/settings_registry_win.h"

#include <windows.h>

#include <vector>

#include "base/os_error_text.h"
#include "base/wide_text.h"

namespace mirune {
namespace {

std::string KeyName() { return Narrow(L"HKEY_CURRENT_USER\\" + SettingsRegistryKey()); }

Status RegistryError(std::string_view what, std::string_view value, LONG error) {
  return Status(ErrorCode::kIoError, "設定（レジストリ " + KeyName() + " の値 " +
                                         std::string(value) + "）を" + std::string(what) +
                                         "ません: " + WindowsErrorCause(error));
}

}  // namespace

std::wstring SettingsRegistryKey() {
  return L"Software\\VB and VBA Program Settings\\" + Wide(kSettingsAppName) + L"\\" +
         Wide(kSettingsSection);
}

Result<std::string> RegistrySettingsStore::Get(std::string_view key) {
  const std::wstring name = Wide(key);
  DWORD bytes = 0;
  LONG error = RegGetValueW(HKEY_CURRENT_USER, SettingsRegistryKey().c_str(), name.c_str(),
                            RRF_RT_REG_SZ, nullptr, nullptr, &bytes);
  if (error == ERROR_FILE_NOT_FOUND) return std::string();  // absent: the empty string
  if (error != ERROR_SUCCESS) return RegistryError("読め", key, error);
  std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1);
  bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
  error = RegGetValueW(HKEY_CURRENT_USER, SettingsRegistryKey().c_str(), name.c_str(),
                       RRF_RT_REG_SZ, nullptr, buffer.data(), &bytes);
  if (error == ERROR_FILE_NOT_FOUND) return std::string();
  if (error != ERROR_SUCCESS) return RegistryError("読め", key, error);
  return Narrow(buffer.data());
}

Status RegistrySettingsStore::Set(std::string_view key, std::string_view value) {
  HKEY handle = nullptr;
  LONG error = RegCreateKeyExW(HKEY_CURRENT_USER, SettingsRegistryKey().c_str(), 0, nullptr, 0,
                               KEY_SET_VALUE, nullptr, &handle, nullptr);
  if (error != ERROR_SUCCESS) return RegistryError("書け", key, error);
  const std::wstring name = Wide(key);
  const std::wstring data = Wide(value);
  error =
      RegSetValueExW(handle, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                     static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
  if (error != ERROR_SUCCESS) return RegistryError("書け", key, error);
  return Status::Ok();
}

Result<bool> RegistrySettingsStore::HasAnyValue() {
  HKEY handle = nullptr;
  LONG error =
      RegOpenKeyExW(HKEY_CURRENT_USER, SettingsRegistryKey().c_str(), 0, KEY_QUERY_VALUE, &handle);
  if (error == ERROR_FILE_NOT_FOUND) return false;
  if (error != ERROR_SUCCESS) return RegistryError("読め", "（すべて）", error);
  DWORD values = 0;
  error = RegQueryInfoKeyW(handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                           nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(handle);
  if (error != ERROR_SUCCESS) return RegistryError("読め", "（すべて）", error);
  return values > 0;
}

}  // namespace mirune
