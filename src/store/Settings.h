#pragma once
// The settings that are not macros: zarvel.ini beside the program, and the
// value in the current user's Run key that starts the program with Windows.
// Nothing is cached: every call opens the file (or the key), reads or writes
// one value and closes it again, so a value written by one window is seen by
// the next reader on any thread.
//
// Two implementations: Settings_win.cpp (private-profile services and the
// registry) and Settings_posix.cpp (a small INI reader/writer that behaves
// the same; the Run value does not exist there).

#include <cstdint>
#include <string>
#include <vector>

constexpr const char* kSettingsFileName = "zarvel.ini";

// Sections and keys as stored; the file may spell them in any case.
constexpr const char* kSectionMacroEditor = "MacroEditor";
constexpr const char* kSectionImage = "Image";
constexpr const char* kKeyLeft = "Left";
constexpr const char* kKeyTop = "Top";
constexpr const char* kKeyWidth = "Width";
constexpr const char* kKeyHeight = "Height";
constexpr const char* kKeyImageCopy = "Copy";
constexpr const char* kKeyImageWorkDir = "Workdir";
// One key per program (its executable's file name): how a run takes the
// selection from it and puts the result back.
constexpr const char* kSectionMethods = "Methods";

// The "Copy" value: 1 always, 2 ask, 3 never. Any other stored number is
// kept as it is; readers decide what it means.
constexpr int kImageCopyAlways = 1;
constexpr int kImageCopyConfirm = 2;
constexpr int kImageCopyNever = 3;
constexpr int kImageCopyDefault = kImageCopyConfirm;

// The macro editor's position and size; -1 (any negative value) means
// "leave the designed value in place".
struct TEditorBounds {
  int Left = -1;
  int Top = -1;
  int Width = -1;
  int Height = -1;
};

// ExeDir + "/zarvel.ini"; the separator is not doubled when exeDir ends
// with one.
std::string SettingsFilePath(const std::string& exeDir);

// The integer forms the file may hold: decimal with an optional sign, or
// hexadecimal after "$" or "0x"; blanks around the number are allowed.
// Anything else, or a number outside int, gives def.
int ParseSettingInt(const std::string& text, int def);

// What the writer puts into the file for a value: cut at the first line
// break (a value is one line; the rest would become lines of their own), and
// quoted when the reader would otherwise change it (blanks at either end are
// trimmed on reading, and one pair of enclosing quotes is removed).
std::string EncodeSettingValue(const std::string& value);

// One value of the file. A missing file, section or key gives def. Writes
// create the file, the section and the key as needed; a failed write is not
// reported to the user, but the result says whether it worked.
int ReadSettingInt(const std::string& exeDir, const char* section, const char* key, int def);
std::string ReadSettingString(const std::string& exeDir, const char* section, const char* key,
                              const std::string& def);
bool WriteSettingInt(const std::string& exeDir, const char* section, const char* key, int value);
bool WriteSettingString(const std::string& exeDir, const char* section, const char* key,
                        const std::string& value);

// Every key of a section, in the file's order; empty without the section.
std::vector<std::string> ReadSettingKeys(const std::string& exeDir, const char* section);
// Removes one key; true also when there was none to remove.
bool DeleteSetting(const std::string& exeDir, const char* section, const char* key);

// How a run reaches a program's selection. Automatic sends the copy and
// paste messages and, where the program's control does not answer them,
// presses Ctrl+C and Ctrl+V; the other two use one way only.
enum TTransferMethod { tmAutomatic, tmMessages, tmKeystrokes };
// "automatic", "messages", "keystrokes"; an unknown text reads as automatic.
const char* TransferMethodName(TTransferMethod method);
TTransferMethod ParseTransferMethod(const std::string& text);
// [Methods] <exeName>; automatic when the program has no entry. Writing
// automatic removes the entry.
TTransferMethod ReadTransferMethod(const std::string& exeDir, const std::string& exeName);
bool WriteTransferMethod(const std::string& exeDir, const std::string& exeName, TTransferMethod method);

// [Image] Copy, default 2.
int ReadImageCopyRule(const std::string& exeDir);
bool WriteImageCopyRule(const std::string& exeDir, int rule);

// [Image] Workdir, default empty.
std::string ReadImageWorkDir(const std::string& exeDir);
bool WriteImageWorkDir(const std::string& exeDir, const std::string& workDir);

// [MacroEditor] Left, Top, Width, Height, each -1 by default. All four are
// written together.
TEditorBounds ReadEditorBounds(const std::string& exeDir);
bool WriteEditorBounds(const std::string& exeDir, const TEditorBounds& bounds);

// [Picker]: the shortcut that opens the macro picker, as its text
// ("Ctrl+Alt+Space"), and whether it is on (Enabled=1 or 0). A missing or
// unreadable shortcut reads as the default; off reads as 0 everywhere.
constexpr const char* kSectionPicker = "Picker";
constexpr const char* kKeyPickerShortCut = "ShortCut";
constexpr const char* kKeyPickerEnabled = "Enabled";
constexpr std::uint16_t kDefaultPickerShortCut = 0xC020;  // Ctrl+Alt+Space
struct TPickerSettings {
  bool Enabled = true;
  std::uint16_t ShortCut = kDefaultPickerShortCut;
  // The word dispatch listens for: 0 while the picker's shortcut is off.
  std::uint16_t ActiveShortCut() const { return Enabled ? ShortCut : 0; }
};
TPickerSettings ReadPickerSettings(const std::string& exeDir);
bool WritePickerSettings(const std::string& exeDir, const TPickerSettings& settings);

// A macro as the picker remembers it across reloads and reordering: by its
// category's name, its title and its shortcut, never by its place.
struct TMacroKey {
  std::string Catagory;
  std::string Title;
  std::uint16_t ShortCut = 0;
};
bool operator==(const TMacroKey& a, const TMacroKey& b);
// The macros last run from the picker, most recent first, as [Picker]
// Recent1, Recent2, ...: "<shortcut word>|<category>|<title>". Lines that do
// not read so are skipped.
constexpr std::size_t kRecentMacroLimit = 20;
std::string EncodeMacroKey(const TMacroKey& key);
bool DecodeMacroKey(const std::string& text, TMacroKey& key);
std::vector<TMacroKey> ReadRecentMacros(const std::string& exeDir);
// The list with `used` moved (or added) to the front, at most kRecentMacroLimit long.
std::vector<TMacroKey> WithRecentUse(std::vector<TMacroKey> recent, const TMacroKey& used);
// Writes the list in full; keys beyond its end are removed.
bool WriteRecentMacros(const std::string& exeDir, const std::vector<TMacroKey>& recent);

// The Run value: HKEY_CURRENT_USER, this key, a string value of this name
// holding the program file's full path.
constexpr const char* kRunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunValueName = "Zarvel";

enum TStartWithWindows {
  swUnavailable,  // the key cannot be opened (or there is no such key here)
  swOff,          // the key opens and has no "Zarvel" value
  swOn,           // the value exists, whatever its data
};

// Opens the key for reading without creating it.
TStartWithWindows ReadStartWithWindows();
// The value's data; "" when it is absent or cannot be read.
std::string ReadStartWithWindowsPath();
// On: writes the value with exePath (creating the key when missing). Off:
// deletes the value when it exists. False when the key cannot be opened or
// the change cannot be made; the settings window does not report that.
bool WriteStartWithWindows(bool on, const std::string& exePath);
