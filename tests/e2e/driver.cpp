// zarvel-e2e-driver: drives the real program under Wine.
//   zarvel-e2e-driver scenario NAME APPDIR   runs one scenario; exit 0 = pass
//   zarvel-e2e-driver wait-ready SECONDS     waits for the application window
//   zarvel-e2e-driver list                   names the scenarios
//   zarvel-e2e-driver --list                 the same for tools/e2e: NAME, group, folder
//                                            (tab-separated, in the order of running)
//   zarvel-e2e-driver show WHAT SECONDS      for tools/demo (DemoCommands.h)
//   zarvel-e2e-driver run-shortcut           for tools/demo
//   zarvel-e2e-driver exit-program           for tools/demo
//   zarvel-e2e-driver press-shortcut KEY TEXT PART EXPECTED   for tools/release --check
//   zarvel-e2e-driver update-without-updater APPDIR           for tools/release --check
// A failure prints one line, "FAIL NAME: reason", and exits with 1.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "DemoCommands.h"
#include "E2eSupport.h"
#include "ReleaseCheck.h"
#include "Scenarios.h"

const std::vector<TScenario>& AllScenarios() {
  constexpr auto kBeforeStart = TScenarioGroup::BeforeStart;
  // The first four start copies of their own, each from its folder; the rest
  // share one copy started from "app", and exit ends it.
  static const std::vector<TScenario> scenarios = {
      {"missing-dll", "no zarvel.dll: its message, then exit 0", MissingLibraryScenario, kBeforeStart, "nodll"},
      {"no-keyhookdestroy", "a zarvel.dll without KeyHookDestroy: its message, then exit 0",
       LibraryWithoutDestroyScenario, kBeforeStart, "nodestroy"},
      {"dispatch-filtered", "an include list without the driver: the shortcut is not dispatched",
       DispatchFilteredScenario, kBeforeStart, "filtered"},
      {"unicode-folder", "installed below a Cyrillic and CJK folder name: macros run, a setting survives a restart",
       UnicodeFolderScenario, kBeforeStart, "unicode"},
      {"editor-add", "an empty Macros folder: a category and a macro added in the editor, the record byte for byte",
       MacroEditorAddScenario, kBeforeStart, "editor"},
      {"editor-keys", "the macro editor by keys alone: add, search, rename, move, delete and undo, export and import",
       MacroEditorKeysScenario, kBeforeStart, "editor-keys"},
      {"unicode-template", "a UTF-8 folder: a template of any character typed in the properties dialog, "
       "stored as UTF-8 and pasted whole by its shortcut", UnicodeTemplateScenario, kBeforeStart, "unicode-store"},
      {"ansi-template-refused", "an ANSI folder: the same template refused at OK naming its character, the file "
       "unchanged", AnsiTemplateRefusedScenario, kBeforeStart, "ansi-store"},
      {"editor-utf8", "a UTF-8 Macros folder: the editor shows names and titles beyond ANSI whole, and a CJK "
       "category name typed in the input box becomes its file", MacroEditorUtf8Scenario, kBeforeStart, "editor-utf8"},
      {"picker-speed", "10,000 macros: the picker's shortcut to a visible list, printed as a figure",
       PickerSpeedScenario, kBeforeStart, "many"},
      {"settings-unicode", "an ANSI folder made Unicode from Settings: mark, UTF-8 records, backup; its macros "
       "and a new one paste every character", SettingsUnicodeScenario, kBeforeStart, "settings-unicode"},
      {"tray-menu", "the tray menu's items, default item and check mark", TrayMenuScenario},
      {"tray-keyboard", "the menu key on the icon opens the menu at the icon; Escape closes it, the program stays",
       TrayKeyboardScenario},
      {"dispatch", "an empty include list: the shortcut reaches dispatch", DispatchScenario},
      {"altgr", "AltGr+K, sent as a layout with AltGr sends it, types its key; Ctrl+Alt+K still runs",
       AltGrScenario},
      {"hook-lost", "the keyboard hook taken away as the system drops one: the program installs it again",
       HookLostScenario},
      {"alt-menu", "an Alt shortcut runs its macro and leaves no lone Alt tap to open the menu bar",
       AltMenuScenario},
      {"toggle", "Ctrl+Alt+Shift+Q switches shortcuts off and on", ToggleScenario},
      // Scenarios run only when named go here, after toggle.
      {"macro-run", "Ctrl+Alt+K runs its macro on the selection and keeps the clipboard", MacroRunScenario},
      {"run-line-mode", "a line-mode macro over two selected lines", RunLineModeScenario},
      {"run-unicode", "change case and strip tags keep every character outside ASCII", RunUnicodeScenario},
      {"run-prompt", "the prompt takes a value on OK; Esc pastes nothing; the next shortcut runs",
       RunPromptScenario},
      {"run-clipboard-bitmap", "a bitmap on the clipboard is the same after a run", RunClipboardBitmapScenario},
      {"run-program", "Run Program starts the program with {line} as it is", RunProgramScenario},
      {"run-tidy", "Tidy HTML shows the report of a stand-in tidy.exe and leaves no file", RunTidyScenario},
      {"run-keys", "a control that takes only Ctrl+C and Ctrl+V gets its selection transformed", KeysRunScenario},
      {"run-no-keys", "a classic edit control goes the message way: no key is pressed into it",
       KeysNotForClassicEditScenario},
      {"picker-run", "Ctrl+Alt+Space, a title's letters and Enter run the macro; the clipboard comes back",
       PickerRunScenario},
      {"picker-no-shortcut", "a macro without a shortcut runs from the picker", PickerNoShortCutScenario},
      {"picker-escape", "Escape closes the picker, changes nothing and gives the selection back",
       PickerEscapeScenario},
      {"picker-prompt", "the picker does not open while a run waits in its prompt", PickerDuringPromptScenario},
      {"picker-tray", "Run a macro... in the tray menu runs in the program used before", PickerTrayScenario},
      {"run-latency", "hotkey to paste over 20 runs each way, printed as figures", RunLatencyScenario},
      {"macro-editor", "the macro editor switches shortcuts off while it is open", MacroEditorScenario},
      {"about", "the about box shows the version", AboutScenario},
      {"settings-include", "the settings dialog adds and removes include entries", SettingsIncludeScenario},
      {"settings-copy", "the settings dialog switches the copy rule", SettingsCopyScenario},
      {"settings-startup", "the settings dialog ticks and clears start with Windows", SettingsStartupScenario},
      {"update-declined", "No to Check for update... keeps the program running", UpdateDeclinedScenario},
      {"update-no-updater", "Yes to Check for update... without the updater: a message, and the program stays",
       UpdateWithoutUpdaterScenario},
      {"second-start", "a second start opens nothing and exits 0", SecondStartScenario},
      {"second-start-front", "a second start brings the open editor in front of another window",
       SecondStartFrontScenario},
      {"exit-unsaved", "Exit and the session's end ask in a properties dialog holding changes; No keeps all",
       ExitWithUnsavedScenario},
      {"watch-import", "zarvel-cli import while the program runs: the new shortcuts work, the editor shows them "
       "and adds behind them", WatchImportScenario},
      {"watch-latency", "a change on disk to the open editor's list over 20 changes, printed as a figure",
       WatchLatencyScenario},
      {"watch-conflict", "a category another program wrote while the properties dialog was open: not written over, "
       "the message, then the macro goes in behind", WatchConflictScenario},
      {"watch-bulk", "100 categories of 100 macros arrive while a run waits in its prompt: the run pastes, the new "
       "shortcut works", WatchBulkScenario},
      {"exit", "Exit removes the icon and ends the program", ExitScenario},
  };
  return scenarios;
}

const char* ScenarioGroupName(TScenarioGroup group) {
  switch (group) {
    case TScenarioGroup::BeforeStart: return "before-start";
    case TScenarioGroup::WithProgram: return "with-program";
    case TScenarioGroup::ByNameOnly: return "by-name-only";
  }
  return "?";
}

namespace {

int RunScenario(const std::string& name, const std::string& appDir) {
  for (const TScenario& scenario : AllScenarios()) {
    if (name != scenario.Name) continue;
    try {
      scenario.Run(TScenarioContext{appDir});
      std::printf("PASS %s\n", scenario.Name);
      return 0;
    } catch (const std::exception& error) {
      std::printf("FAIL %s: %s\n", scenario.Name, error.what());
      return 1;
    }
  }
  std::printf("FAIL %s: no such scenario\n", name.c_str());
  return 2;
}

int WaitReady(int seconds) {
  HWND app = WaitForAppWindow(std::chrono::seconds(seconds));
  if (!app) {
    std::printf("FAIL wait-ready: no application window after %d s\n", seconds);
    return 1;
  }
  return 0;
}

int Usage() {
  std::printf("Usage: zarvel-e2e-driver scenario NAME APPDIR | wait-ready SECONDS | list | --list\n"
              "       zarvel-e2e-driver show tray-menu|settings|about SECONDS | run-shortcut | exit-program\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  if (argc < 2) return Usage();
  std::string command = argv[1];
  if (command == "scenario" && argc == 4) return RunScenario(argv[2], argv[3]);
  if (command == "wait-ready" && argc == 3) return WaitReady(std::atoi(argv[2]));
  if (command == "show" && argc == 4) return ShowCommand(argv[2], std::atoi(argv[3]));
  if (command == "run-shortcut" && argc == 2) return RunShortCutCommand();
  if (command == "exit-program" && argc == 2) return ExitProgramCommand();
  if (command == "press-shortcut" && argc == 6) return PressShortCutCommand(argv[2], argv[3], argv[4], argv[5]);
  if (command == "update-without-updater" && argc == 3) return UpdateWithoutUpdaterCommand(argv[2]);
  if (command == "list" && argc == 2) {
    for (const TScenario& scenario : AllScenarios()) std::printf("%-20s %s\n", scenario.Name, scenario.Summary);
    return 0;
  }
  if (command == "--list" && argc == 2) {
    for (const TScenario& scenario : AllScenarios())
      std::printf("%s\t%s\t%s\n", scenario.Name, ScenarioGroupName(scenario.Group), scenario.Folder);
    return 0;
  }
  return Usage();
}
