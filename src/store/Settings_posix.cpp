// zarvel.ini on Linux: the same file format and reading rules as the
// Windows private-profile services, for the command-line tool and the tests.

#include <cstdio>
#include <fstream>
#include <iterator>
#include <mutex>
#include <vector>

#include "store/Settings.h"
#include "base/OsFile.h"

namespace {

// The private-profile services serialise their accesses; so does this.
std::mutex& ProfileLock() {
  static std::mutex lock;
  return lock;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string Trim(const std::string& s) {
  std::size_t begin = 0;
  std::size_t end = s.size();
  while (begin < end && IsBlank(s[begin])) ++begin;
  while (end > begin && IsBlank(s[end - 1])) --end;
  return s.substr(begin, end - begin);
}

std::string Unquote(const std::string& value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.front() == value.back())
    return value.substr(1, value.size() - 2);
  return value;
}

// The file's lines without their line ends; none for a missing file.
std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path, std::ios::binary);
  if (!in) return lines;
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

bool SectionName(const std::string& line, std::string& name) {
  std::string t = Trim(line);
  if (t.empty() || t.front() != '[') return false;
  std::size_t close = t.find(']');
  name = Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
  return true;
}

bool KeyAndValue(const std::string& line, std::string& key, std::string& value) {
  std::string t = Trim(line);
  if (t.empty() || t.front() == ';') return false;
  std::size_t eq = t.find('=');
  if (eq == std::string::npos) return false;
  key = Trim(t.substr(0, eq));
  value = Trim(t.substr(eq + 1));
  return true;
}

// Where a section and a key lie in the lines: the first section of that
// name and its first key of that name count, as in the Windows services.
struct TPlace {
  int Section = -1;    // line of the section header
  int Key = -1;        // line of the key
  int LastEntry = -1;  // last non-blank line of the section
};

TPlace Find(const std::vector<std::string>& lines, const char* section, const char* key) {
  TPlace place;
  for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
    std::string name;
    if (SectionName(lines[i], name)) {
      if (place.Section >= 0) break;
      if (SameFileName(name, section)) place.Section = place.LastEntry = i;
      continue;
    }
    if (place.Section < 0) continue;
    if (!Trim(lines[i]).empty()) place.LastEntry = i;
    std::string k, v;
    if (place.Key < 0 && KeyAndValue(lines[i], k, v) && SameFileName(k, key)) place.Key = i;
  }
  return place;
}

bool WriteLines(const std::string& path, const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  // A whole new file renamed over the old one: a reader never sees half.
  std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    if (!out) {
      std::remove(temp.c_str());
      return false;
    }
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace

std::string ReadSettingString(const std::string& exeDir, const char* section, const char* key,
                              const std::string& def) {
  std::lock_guard<std::mutex> hold(ProfileLock());
  std::vector<std::string> lines = ReadLines(SettingsFilePath(exeDir));
  TPlace place = Find(lines, section, key);
  if (place.Key < 0) return def;
  std::string k, value;
  KeyAndValue(lines[place.Key], k, value);
  return Unquote(value);
}

bool WriteSettingString(const std::string& exeDir, const char* section, const char* key,
                        const std::string& value) {
  std::lock_guard<std::mutex> hold(ProfileLock());
  std::string path = SettingsFilePath(exeDir);
  std::vector<std::string> lines = ReadLines(path);
  TPlace place = Find(lines, section, key);
  std::string entry = std::string(key) + "=" + EncodeSettingValue(value);
  if (place.Key >= 0) {
    std::string k, v;
    KeyAndValue(lines[place.Key], k, v);
    lines[place.Key] = k + "=" + EncodeSettingValue(value);
  } else if (place.Section >= 0) {
    lines.insert(lines.begin() + place.LastEntry + 1, entry);
  } else {
    if (!lines.empty() && !Trim(lines.back()).empty()) lines.push_back("");
    lines.push_back("[" + std::string(section) + "]");
    lines.push_back(entry);
  }
  return WriteLines(path, lines);
}

std::vector<std::string> ReadSettingKeys(const std::string& exeDir, const char* section) {
  std::lock_guard<std::mutex> hold(ProfileLock());
  std::vector<std::string> lines = ReadLines(SettingsFilePath(exeDir));
  std::vector<std::string> keys;
  bool inside = false;
  for (const std::string& line : lines) {
    std::string name;
    if (SectionName(line, name)) {
      if (inside) break;
      inside = SameFileName(name, section);
      continue;
    }
    std::string key, value;
    if (inside && KeyAndValue(line, key, value)) keys.push_back(key);
  }
  return keys;
}

bool DeleteSetting(const std::string& exeDir, const char* section, const char* key) {
  std::lock_guard<std::mutex> hold(ProfileLock());
  std::string path = SettingsFilePath(exeDir);
  std::vector<std::string> lines = ReadLines(path);
  TPlace place = Find(lines, section, key);
  if (place.Key < 0) return true;
  lines.erase(lines.begin() + place.Key);
  return WriteLines(path, lines);
}

TStartWithWindows ReadStartWithWindows() { return swUnavailable; }

std::string ReadStartWithWindowsPath() { return ""; }

bool WriteStartWithWindows(bool, const std::string&) { return false; }
