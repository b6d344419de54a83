#include "store/Settings.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "base/OsFile.h"
#include "store/ShortCut.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsQuote(char c) { return c == '"' || c == '\''; }

// Digits only, in the given base, no sign; false on anything else or on
// overflow past what a long long holds.
bool ParseDigits(const std::string& digits, int base, long long& value) {
  if (digits.empty()) return false;
  value = 0;
  for (char c : digits) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return false;
    if (value > (LLONG_MAX - digit) / base) return false;
    value = value * base + digit;
  }
  return true;
}

}  // namespace

std::string SettingsFilePath(const std::string& exeDir) {
  if (!exeDir.empty() && (exeDir.back() == '/' || exeDir.back() == '\\'))
    return exeDir + kSettingsFileName;
  return exeDir + "/" + kSettingsFileName;
}

int ParseSettingInt(const std::string& text, int def) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  std::string s = text.substr(begin, end - begin);

  bool negative = false;
  std::size_t pos = 0;
  if (pos < s.size() && (s[pos] == '-' || s[pos] == '+')) negative = s[pos++] == '-';
  int base = 10;
  if (pos < s.size() && s[pos] == '$') {
    base = 16;
    pos += 1;
  } else if (pos + 1 < s.size() && s[pos] == '0' && (s[pos + 1] == 'x' || s[pos + 1] == 'X')) {
    base = 16;
    pos += 2;
  }
  long long magnitude;
  if (!ParseDigits(s.substr(pos), base, magnitude)) return def;
  long long value = negative ? -magnitude : magnitude;
  if (value < INT_MIN || value > INT_MAX) return def;
  return static_cast<int>(value);
}

std::string EncodeSettingValue(const std::string& value) {
  std::string line = value.substr(0, value.find_first_of("\r\n"));
  bool trimmedOnRead = !line.empty() && (IsBlank(line.front()) || IsBlank(line.back()));
  bool unquotedOnRead = line.size() >= 2 && IsQuote(line.front()) && line.front() == line.back();
  if (trimmedOnRead || unquotedOnRead) return '"' + line + '"';
  return line;
}

int ReadSettingInt(const std::string& exeDir, const char* section, const char* key, int def) {
  return ParseSettingInt(ReadSettingString(exeDir, section, key, ""), def);
}

bool WriteSettingInt(const std::string& exeDir, const char* section, const char* key, int value) {
  return WriteSettingString(exeDir, section, key, std::to_string(value));
}

int ReadImageCopyRule(const std::string& exeDir) {
  return ReadSettingInt(exeDir, kSectionImage, kKeyImageCopy, kImageCopyDefault);
}

bool WriteImageCopyRule(const std::string& exeDir, int rule) {
  return WriteSettingInt(exeDir, kSectionImage, kKeyImageCopy, rule);
}

std::string ReadImageWorkDir(const std::string& exeDir) {
  return ReadSettingString(exeDir, kSectionImage, kKeyImageWorkDir, "");
}

bool WriteImageWorkDir(const std::string& exeDir, const std::string& workDir) {
  return WriteSettingString(exeDir, kSectionImage, kKeyImageWorkDir, workDir);
}

TEditorBounds ReadEditorBounds(const std::string& exeDir) {
  TEditorBounds bounds;
  bounds.Left = ReadSettingInt(exeDir, kSectionMacroEditor, kKeyLeft, -1);
  bounds.Top = ReadSettingInt(exeDir, kSectionMacroEditor, kKeyTop, -1);
  bounds.Width = ReadSettingInt(exeDir, kSectionMacroEditor, kKeyWidth, -1);
  bounds.Height = ReadSettingInt(exeDir, kSectionMacroEditor, kKeyHeight, -1);
  return bounds;
}

bool WriteEditorBounds(const std::string& exeDir, const TEditorBounds& bounds) {
  // All four, even after one fails: each is a value of its own.
  bool ok = WriteSettingInt(exeDir, kSectionMacroEditor, kKeyLeft, bounds.Left);
  ok = WriteSettingInt(exeDir, kSectionMacroEditor, kKeyTop, bounds.Top) && ok;
  ok = WriteSettingInt(exeDir, kSectionMacroEditor, kKeyWidth, bounds.Width) && ok;
  ok = WriteSettingInt(exeDir, kSectionMacroEditor, kKeyHeight, bounds.Height) && ok;
  return ok;
}

const char* TransferMethodName(TTransferMethod method) {
  switch (method) {
    case tmMessages: return "messages";
    case tmKeystrokes: return "keystrokes";
    default: return "automatic";
  }
}

TTransferMethod ParseTransferMethod(const std::string& text) {
  for (TTransferMethod method : {tmMessages, tmKeystrokes})
    if (SameFileName(text, TransferMethodName(method))) return method;
  return tmAutomatic;
}

TTransferMethod ReadTransferMethod(const std::string& exeDir, const std::string& exeName) {
  if (exeName.empty()) return tmAutomatic;
  return ParseTransferMethod(ReadSettingString(exeDir, kSectionMethods, exeName.c_str(), ""));
}

bool WriteTransferMethod(const std::string& exeDir, const std::string& exeName, TTransferMethod method) {
  if (exeName.empty()) return false;
  if (method == tmAutomatic) return DeleteSetting(exeDir, kSectionMethods, exeName.c_str());
  return WriteSettingString(exeDir, kSectionMethods, exeName.c_str(), TransferMethodName(method));
}

TPickerSettings ReadPickerSettings(const std::string& exeDir) {
  TPickerSettings settings;
  settings.Enabled = ReadSettingInt(exeDir, kSectionPicker, kKeyPickerEnabled, 1) != 0;
  std::uint16_t word = 0;
  std::string text = ReadSettingString(exeDir, kSectionPicker, kKeyPickerShortCut, "");
  // A key without a fixed name may be spelt differently on another layout:
  // the word as a number is read too.
  int number = ParseSettingInt(text, 0);
  if (ParseShortCutText(text, word) && word != 0) settings.ShortCut = word;
  else if (number > 0 && number <= 0xFFFF) settings.ShortCut = static_cast<std::uint16_t>(number);
  return settings;
}

bool WritePickerSettings(const std::string& exeDir, const TPickerSettings& settings) {
  bool ok = WriteSettingString(exeDir, kSectionPicker, kKeyPickerShortCut, ShortCutText(settings.ShortCut));
  return WriteSettingInt(exeDir, kSectionPicker, kKeyPickerEnabled, settings.Enabled ? 1 : 0) && ok;
}

bool operator==(const TMacroKey& a, const TMacroKey& b) {
  return a.ShortCut == b.ShortCut && a.Catagory == b.Catagory && a.Title == b.Title;
}

std::string EncodeMacroKey(const TMacroKey& key) {
  return std::to_string(key.ShortCut) + "|" + key.Catagory + "|" + key.Title;
}

bool DecodeMacroKey(const std::string& text, TMacroKey& key) {
  // The category is a file name and holds no "|"; the title may.
  std::size_t first = text.find('|');
  if (first == std::string::npos) return false;
  std::size_t second = text.find('|', first + 1);
  if (second == std::string::npos || second == first + 1) return false;
  int word = ParseSettingInt(text.substr(0, first), -1);
  if (word < 0 || word > 0xFFFF) return false;
  key.ShortCut = static_cast<std::uint16_t>(word);
  key.Catagory = text.substr(first + 1, second - first - 1);
  key.Title = text.substr(second + 1);
  return !key.Title.empty();
}

namespace {
std::string RecentKeyName(std::size_t position) { return "Recent" + std::to_string(position + 1); }
}  // namespace

std::vector<TMacroKey> ReadRecentMacros(const std::string& exeDir) {
  std::vector<TMacroKey> recent;
  for (std::size_t at = 0; at < kRecentMacroLimit; ++at) {
    std::string text = ReadSettingString(exeDir, kSectionPicker, RecentKeyName(at).c_str(), "");
    if (text.empty()) break;
    TMacroKey key;
    if (DecodeMacroKey(text, key)) recent.push_back(key);
  }
  return recent;
}

std::vector<TMacroKey> WithRecentUse(std::vector<TMacroKey> recent, const TMacroKey& used) {
  for (std::size_t at = 0; at < recent.size(); ++at)
    if (recent[at] == used) {
      recent.erase(recent.begin() + static_cast<std::ptrdiff_t>(at));
      break;
    }
  recent.insert(recent.begin(), used);
  if (recent.size() > kRecentMacroLimit) recent.resize(kRecentMacroLimit);
  return recent;
}

bool WriteRecentMacros(const std::string& exeDir, const std::vector<TMacroKey>& recent) {
  bool ok = true;
  for (std::size_t at = 0; at < kRecentMacroLimit; ++at) {
    std::string name = RecentKeyName(at);
    if (at < recent.size())
      ok = WriteSettingString(exeDir, kSectionPicker, name.c_str(), EncodeMacroKey(recent[at])) && ok;
    else
      ok = DeleteSetting(exeDir, kSectionPicker, name.c_str()) && ok;
  }
  return ok;
}
