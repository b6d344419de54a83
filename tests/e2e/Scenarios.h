#pragma once
// The end-to-end scenarios. Each runs against a program folder (the Windows
// path of the folder that holds zarvel.exe) and throws TFail with one line
// when the program does not behave.

#include <string>
#include <vector>

struct TScenarioContext {
  std::string AppDir;
  std::string ExePath() const { return AppDir + "\\zarvel.exe"; }
};

// How tools/e2e runs a scenario; it runs them in the table's order.
enum class TScenarioGroup {
  BeforeStart,  // starts copies of its own from its folder, with no other copy running
  WithProgram,  // against the one copy started from "app" after the first group
  ByNameOnly,   // as WithProgram, in its place in the table, only when named
};

struct TScenario {
  const char* Name;
  const char* Summary;
  void (*Run)(const TScenarioContext&);
  TScenarioGroup Group = TScenarioGroup::WithProgram;
  const char* Folder = "app";  // below tools/e2e's apps folder, which lays it out
};

// In the order tools/e2e runs them.
const std::vector<TScenario>& AllScenarios();
const char* ScenarioGroupName(TScenarioGroup group);

class TDriverWindow;
// The driver's text with a part selected, its window in front.
void PrepareText(TDriverWindow& driver);
// The fixture's shortcut, Ctrl+Alt+K, pressed into the driver's edit control:
// dispatched when the program withholds the key, which it does for the key
// that completes a shortcut it acts on.
bool ShortCutDispatched(TDriverWindow& driver);
bool ShortCutPassesThrough(TDriverWindow& driver);

// Start and end of the program (ScenariosStart.cpp).
void SecondStartScenario(const TScenarioContext& context);
void SecondStartFrontScenario(const TScenarioContext& context);
void MissingLibraryScenario(const TScenarioContext& context);
void LibraryWithoutDestroyScenario(const TScenarioContext& context);
void TrayMenuScenario(const TScenarioContext& context);
void TrayKeyboardScenario(const TScenarioContext& context);
void UpdateDeclinedScenario(const TScenarioContext& context);
void UpdateWithoutUpdaterScenario(const TScenarioContext& context);
void ExitScenario(const TScenarioContext& context);
// Keys (ScenariosKeys.cpp).
void DispatchScenario(const TScenarioContext& context);
void DispatchFilteredScenario(const TScenarioContext& context);
void ToggleScenario(const TScenarioContext& context);
void AltGrScenario(const TScenarioContext& context);
void AltMenuScenario(const TScenarioContext& context);
void HookLostScenario(const TScenarioContext& context);
void MacroEditorScenario(const TScenarioContext& context);
// The macro editor from an empty Macros folder (ScenariosEditor.cpp).
void MacroEditorAddScenario(const TScenarioContext& context);
// Exit and the session's end while a properties dialog holds changes.
void ExitWithUnsavedScenario(const TScenarioContext& context);
// Templates of any character in the properties dialog (ScenariosUnicodeTemplate.cpp):
// kept and run in a UTF-8 folder, refused at OK in an ANSI one.
void UnicodeTemplateScenario(const TScenarioContext& context);
void AnsiTemplateRefusedScenario(const TScenarioContext& context);
// The macro editor over a UTF-8 macros folder (ScenariosEditorUnicode.cpp).
void MacroEditorUtf8Scenario(const TScenarioContext& context);
// The macro editor by keys alone (ScenariosEditorKeys.cpp).
void MacroEditorKeysScenario(const TScenarioContext& context);
// Macro runs (ScenariosRun.cpp).
void MacroRunScenario(const TScenarioContext& context);
void RunLineModeScenario(const TScenarioContext& context);
void RunUnicodeScenario(const TScenarioContext& context);
// The program's folder below tools/e2e's "unicode" folder: Cyrillic and CJK.
constexpr const char* kUnicodeFolderName = "Zarvel \xD0\xA1\xD0\xB0\xD0\xB9\xD1\x82 \xE6\x97\xA5\xE6\x9C\xAC";
void UnicodeFolderScenario(const TScenarioContext& context);
void RunPromptScenario(const TScenarioContext& context);
void RunClipboardBitmapScenario(const TScenarioContext& context);
void RunProgramScenario(const TScenarioContext& context);
void RunTidyScenario(const TScenarioContext& context);
void RunLatencyScenario(const TScenarioContext& context);
void KeysRunScenario(const TScenarioContext& context);
void KeysNotForClassicEditScenario(const TScenarioContext& context);
// Files changed by other programs (ScenariosWatch.cpp).
void WatchImportScenario(const TScenarioContext& context);
void WatchLatencyScenario(const TScenarioContext& context);
void WatchBulkScenario(const TScenarioContext& context);
void WatchConflictScenario(const TScenarioContext& context);
// The macro picker (ScenariosPicker.cpp).
void PickerRunScenario(const TScenarioContext& context);
void PickerNoShortCutScenario(const TScenarioContext& context);
void PickerEscapeScenario(const TScenarioContext& context);
void PickerDuringPromptScenario(const TScenarioContext& context);
void PickerTrayScenario(const TScenarioContext& context);
void PickerSpeedScenario(const TScenarioContext& context);
// The program's windows (ScenariosWindows.cpp).
void AboutScenario(const TScenarioContext& context);
void SettingsIncludeScenario(const TScenarioContext& context);
void SettingsCopyScenario(const TScenarioContext& context);
void SettingsStartupScenario(const TScenarioContext& context);
// An ANSI folder made Unicode from the settings window (ScenariosUnicodeStore.cpp).
void SettingsUnicodeScenario(const TScenarioContext& context);
