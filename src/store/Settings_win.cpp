// zarvel.ini through the private-profile services, and the Run value
// through the registry, both through their wide calls: the file's path and
// its values are UTF-8 in the program.

#include <windows.h>

#include <vector>

#include "base/OsFile.h"
#include "base/SafeFile.h"
#include "base/WideText_win.h"
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
  const std::wstring path = WideFromUtf8(kRunKeyPath);
  if (create)
    return RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           access, nullptr, key.Out(), nullptr) == ERROR_SUCCESS;
  return RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, access, key.Out()) == ERROR_SUCCESS;
}

std::wstring Wide(const char* text) { return text ? WideFromUtf8(text) : std::wstring(); }
// Null stays null: the services read a null section or key as "all".
const wchar_t* OrNull(const char* text, const std::wstring& wide) { return text ? wide.c_str() : nullptr; }

bool FitsAnsi(const std::string& text) {
  std::string ansi;
  return AnsiFromPathName(text, ansi);
}

const char kUtf16Mark[] = "\xFF\xFE";

// The services keep a file in the form they find it: ANSI, or UTF-16 when
// it starts with the byte-order mark. A file written so far holds only
// ANSI texts and stays ANSI, as older copies of the program wrote it; the
// first key or value the ANSI code page cannot hold turns it into UTF-16
// whole, so that nothing in it becomes "?".
void HoldUnicode(const std::string& path) {
  std::string bytes;
  if (FileExists(path)) {
    bytes = ReadWholeFile(path);
    if (bytes.compare(0, 2, kUtf16Mark) == 0) return;
  }
  const std::wstring wide = WideFromAnsi(bytes);
  std::string unicode(kUtf16Mark, 2);
  unicode.append(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
  WriteWholeFileSafely(path, unicode);
}

bool WriteProfile(const std::string& path, const char* section, const char* key, const std::string* value) {
  try {
    if (!FitsAnsi(section) || (key && !FitsAnsi(key)) || (value && !FitsAnsi(*value))) HoldUnicode(path);
  } catch (const EFileError&) {
    return false;
  }
  const std::wstring wideSection = Wide(section), wideKey = Wide(key);
  const std::wstring wideValue = value ? WideFromUtf8(*value) : std::wstring();
  return WritePrivateProfileStringW(wideSection.c_str(), OrNull(key, wideKey), value ? wideValue.c_str() : nullptr,
                                    WideFromUtf8(path).c_str()) != 0;
}

}  // namespace

std::string ReadSettingString(const std::string& exeDir, const char* section, const char* key,
                              const std::string& def) {
  const std::wstring path = WideFromUtf8(SettingsFilePath(exeDir));
  const std::wstring wideSection = Wide(section), wideKey = Wide(key), wideDef = WideFromUtf8(def);
  // The service fills the buffer up to size - 1 when the value is longer;
  // grow until it fits.
  std::vector<wchar_t> buffer(1024);
  for (;;) {
    DWORD got = GetPrivateProfileStringW(wideSection.c_str(), OrNull(key, wideKey), wideDef.c_str(), buffer.data(),
                                         static_cast<DWORD>(buffer.size()), path.c_str());
    if (got + 1 < buffer.size() || buffer.size() >= (1u << 20))
      return Utf8FromWide(std::wstring(buffer.data(), got));
    buffer.resize(buffer.size() * 4);
  }
}

bool WriteSettingString(const std::string& exeDir, const char* section, const char* key,
                        const std::string& value) {
  const std::string encoded = EncodeSettingValue(value);
  return WriteProfile(SettingsFilePath(exeDir), section, key, &encoded);
}

std::vector<std::string> ReadSettingKeys(const std::string& exeDir, const char* section) {
  const std::wstring path = WideFromUtf8(SettingsFilePath(exeDir));
  const std::wstring wideSection = Wide(section);
  // With no key the service lists every key, each ending in a zero, the
  // list in a second zero; it cuts the list when the buffer is too small.
  std::vector<wchar_t> buffer(4096);
  DWORD got = 0;
  for (;;) {
    got = GetPrivateProfileStringW(wideSection.c_str(), nullptr, L"", buffer.data(),
                                   static_cast<DWORD>(buffer.size()), path.c_str());
    if (got + 2 < buffer.size() || buffer.size() >= (1u << 20)) break;
    buffer.resize(buffer.size() * 4);
  }
  std::vector<std::string> keys;
  for (DWORD at = 0; at < got && buffer[at] != L'\0';) {
    std::wstring key(buffer.data() + at);
    at += static_cast<DWORD>(key.size()) + 1;
    keys.push_back(Utf8FromWide(key));
  }
  return keys;
}

bool DeleteSetting(const std::string& exeDir, const char* section, const char* key) {
  const std::string path = SettingsFilePath(exeDir);
  if (!FileExists(path)) return true;
  return WriteProfile(path, section, key, nullptr);
}

TStartWithWindows ReadStartWithWindows() {
  TRegKey key;
  if (!OpenRunKey(KEY_QUERY_VALUE, false, key)) return swUnavailable;
  LONG status = RegQueryValueExW(key.Get(), Wide(kRunValueName).c_str(), nullptr, nullptr, nullptr, nullptr);
  return status == ERROR_SUCCESS ? swOn : swOff;
}

std::string ReadStartWithWindowsPath() {
  TRegKey key;
  if (!OpenRunKey(KEY_QUERY_VALUE, false, key)) return "";
  const std::wstring name = Wide(kRunValueName);
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0)
    return "";
  // Room for a terminating zero the stored value may lack.
  std::vector<wchar_t> data(size / sizeof(wchar_t) + 2, L'\0');
  if (RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
      ERROR_SUCCESS)
    return "";
  return Utf8FromWide(data.data());
}

bool WriteStartWithWindows(bool on, const std::string& exePath) {
  TRegKey key;
  if (!OpenRunKey(KEY_SET_VALUE | KEY_QUERY_VALUE, true, key)) return false;
  const std::wstring name = Wide(kRunValueName);
  if (on) {
    const std::wstring path = WideFromUtf8(exePath);
    return RegSetValueExW(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                          static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  }
  LONG status = RegDeleteValueW(key.Get(), name.c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}
