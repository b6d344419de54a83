// zarvel.ini through the private-profile services, and the Run value
// through the registry.

#include <windows.h>

#include <vector>

#include "store/Settings.h"

namespace {

// Closes a registry key on every path out.
class TRegKey {
 public:
  TRegKey() = default;
  TRegKey(const TRegKey&) = delete;
  TRegKey& operator=(const TRegKey&) = delete;
  ~TRegKey() {
    if (FKey) RegCloseKey(FKey);
  }
  HKEY* Out() { return &FKey; }
  HKEY Get() const { return FKey; }

 private:
  HKEY FKey = nullptr;
};

bool OpenRunKey(REGSAM access, bool create, TRegKey& key) {
  if (create)
    return RegCreateKeyExA(HKEY_CURRENT_USER, kRunKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                           access, nullptr, key.Out(), nullptr) == ERROR_SUCCESS;
  return RegOpenKeyExA(HKEY_CURRENT_USER, kRunKeyPath, 0, access, key.Out()) == ERROR_SUCCESS;
}

}  // namespace

std::string ReadSettingString(const std::string& exeDir, const char* section, const char* key,
                              const std::string& def) {
  std::string path = SettingsFilePath(exeDir);
  // The service fills the buffer up to size - 1 when the value is longer;
  // grow until it fits.
  std::vector<char> buffer(1024);
  for (;;) {
    DWORD got = GetPrivateProfileStringA(section, key, def.c_str(), buffer.data(),
                                         static_cast<DWORD>(buffer.size()), path.c_str());
    if (got + 1 < buffer.size() || buffer.size() >= (1u << 20)) return std::string(buffer.data(), got);
    buffer.resize(buffer.size() * 4);
  }
}

bool WriteSettingString(const std::string& exeDir, const char* section, const char* key,
                        const std::string& value) {
  std::string path = SettingsFilePath(exeDir);
  return WritePrivateProfileStringA(section, key, EncodeSettingValue(value).c_str(),
                                    path.c_str()) != 0;
}

std::vector<std::string> ReadSettingKeys(const std::string& exeDir, const char* section) {
  std::string path = SettingsFilePath(exeDir);
  // With no key the service lists every key, each ending in a zero, the
  // list in a second zero; it cuts the list when the buffer is too small.
  std::vector<char> buffer(4096);
  DWORD got = 0;
  for (;;) {
    got = GetPrivateProfileStringA(section, nullptr, "", buffer.data(), static_cast<DWORD>(buffer.size()),
                                   path.c_str());
    if (got + 2 < buffer.size() || buffer.size() >= (1u << 20)) break;
    buffer.resize(buffer.size() * 4);
  }
  std::vector<std::string> keys;
  for (DWORD at = 0; at < got && buffer[at] != '\0';) {
    std::string key(buffer.data() + at);
    at += static_cast<DWORD>(key.size()) + 1;
    keys.push_back(key);
  }
  return keys;
}

bool DeleteSetting(const std::string& exeDir, const char* section, const char* key) {
  std::string path = SettingsFilePath(exeDir);
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
  return WritePrivateProfileStringA(section, key, nullptr, path.c_str()) != 0;
}

TStartWithWindows ReadStartWithWindows() {
  TRegKey key;
  if (!OpenRunKey(KEY_QUERY_VALUE, false, key)) return swUnavailable;
  LONG status = RegQueryValueExA(key.Get(), kRunValueName, nullptr, nullptr, nullptr, nullptr);
  return status == ERROR_SUCCESS ? swOn : swOff;
}

std::string ReadStartWithWindowsPath() {
  TRegKey key;
  if (!OpenRunKey(KEY_QUERY_VALUE, false, key)) return "";
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key.Get(), kRunValueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0)
    return "";
  std::vector<char> data(size + 1, '\0');
  if (RegQueryValueExA(key.Get(), kRunValueName, nullptr, &type,
                       reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
    return "";
  return std::string(data.data());
}

bool WriteStartWithWindows(bool on, const std::string& exePath) {
  TRegKey key;
  if (!OpenRunKey(KEY_SET_VALUE | KEY_QUERY_VALUE, true, key)) return false;
  if (on)
    return RegSetValueExA(key.Get(), kRunValueName, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(exePath.c_str()),
                          static_cast<DWORD>(exePath.size() + 1)) == ERROR_SUCCESS;
  LONG status = RegDeleteValueA(key.Get(), kRunValueName);
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}
