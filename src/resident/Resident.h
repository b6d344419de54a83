#pragma once
// The resident core's state and decisions, free of windows: the modifier
// flags, Enabled and EnabledBeforeEditor, which window threads run, and
// DispatchShortcut. The application window's procedure turns its messages
// into these calls; what needs the system (the check mark and the icon,
// starting a thread, the foreground program, posting) goes through
// TResidentPorts, which tests replace with a recorder.

#include <cstdint>
#include <memory>
#include <string>

#include "resident/IncludeSnapshot.h"
#include "resident/Messages.h"
#include "resident/ShortCutIndex.h"
#include "search/MacroIndex.h"
#include "store/Catagories.h"

class TResidentPorts {
 public:
  virtual ~TResidentPorts() = default;
  // The Enabled check mark and the tray icon's picture follow the flag.
  virtual void ShowEnabled(bool enabled) = 0;
  // Starts the window thread of that kind (tdOptions, tdAbout or tdInclude);
  // false when the system could not start it.
  virtual bool StartWindowThread(TThreadDoneCode kind) = 0;
  // The executable file name (no folder) of the program that owns the
  // foreground window; false when it cannot be found.
  virtual bool ForegroundExeName(std::string& exeName) = 0;
  // Posts WM_RUNMACRO to the application window; false when the system
  // refused (a full message queue).
  virtual bool PostRunMacro(int catagory, int macro) = 0;
  // Starts a run of a copy of the macro; false when no run started.
  // utf8Texts: the macro's texts are UTF-8 (a UTF-8 folder's), not ANSI.
  virtual bool StartRunMacro(const TMacro& macro, bool utf8Texts) = 0;
  // Whether the system holds the modifier (16, 17 or 18) down now. Asked
  // only when a key completes a shortcut.
  virtual bool ModifierDown(unsigned keyCode) = 0;
  // Presses and releases the masking key (kAltMaskKey), so that the Alt
  // release after a withheld key is not a lone Alt tap.
  virtual void MaskAltRelease() = 0;
  // Brings the open macro editor (or the dialog it shows) to the front.
  virtual void BringMacroEditorToFront() = 0;
  // Files changed on disk. The first two run on this thread while no window
  // thread owns what they reload: the store reads its folder again, the
  // include list its file (and the dispatcher's copy follows).
  virtual void RefreshStore() {}
  virtual void ReloadIncludeList() {}
  // The open macro editor, or the settings window, reloads on its own
  // thread, which owns the store (or the include list) while it is open.
  virtual void TellMacroEditorFilesChanged() {}
  virtual void TellSettingsWindowFilesChanged(unsigned /*files*/) {}
  // Opens the macro picker over the program in front (or, from the tray
  // menu, the program used last) with this index; false when it did not
  // open. The picker posts WM_PICKERRUN with the chosen entry, then ends.
  virtual bool StartPicker(const std::shared_ptr<const TMacroIndex>& /*index*/, bool /*fromTray*/) { return false; }
  // The executable file name of the program the tray menu's picker would
  // run its macro in; false when there is none.
  virtual bool PreviousProgramExeName(std::string& /*exeName*/) { return false; }
};

struct TModifierState {
  bool Shift = false;
  bool Ctrl = false;
  bool Alt = false;
};

// Sets or clears the flag of 16, 17 or 18; false for any other key.
bool TrackModifier(TModifierState& state, unsigned keyCode, bool down);

class TResident {
 public:
  TResident(TResidentPorts& ports, const TCatagories& catagories, const TIncludeSnapshot& includeList,
            bool skipIncludeFilter);
  TResident(const TResident&) = delete;
  TResident& operator=(const TResident&) = delete;

  // The tray menu's commands that touch the state.
  void MacroEditorCommand();
  // A second start of the program: the macro editor opens, or the open one
  // comes to the front.
  void SecondStartCommand();
  void EnabledCommand();
  void SettingsCommand();
  void AboutCommand();
  // "Run a macro...": the picker over the program used before the menu.
  void PickerCommand();
  // The word that opens the picker (from the settings); 0: none. When a
  // macro holds the same word, the picker wins.
  void SetPickerShortCut(std::uint16_t word) { FPickerShortCut = word; }
  // Every macro as the picker sees it: brought up to date unless the editor
  // is open (its thread may be changing the store), then the last one
  // built, or none. Safe to read on any thread.
  std::shared_ptr<const TMacroIndex> MacroSnapshot();
  // WM_PICKERRUN: runs the chosen macro as its own shortcut would.
  std::intptr_t PickerRun(std::intptr_t entry);

  // The application window's messages; each returns the window procedure's result.
  std::intptr_t HookKeyDown(unsigned keyCode);
  std::intptr_t HookKeyUp(unsigned keyCode);
  // Forgets every modifier held: key releases the hook never saw (on the
  // secure desktop, or before the hook was installed again) leave no key
  // stuck down.
  void ResetModifiers() { FModifiers = TModifierState(); }
  std::intptr_t ThreadDone(std::intptr_t code);
  // WM_FILESCHANGED: each changed file is reloaded by whoever owns it now.
  void FilesChanged(unsigned files);
  std::intptr_t RunMacro(std::intptr_t catagory, std::intptr_t macro);

  // True when it acted on the key: asked for a run (posted WM_RUNMACRO) or
  // opened the picker.
  bool DispatchShortcut(unsigned keyCode);

  bool Enabled() const { return FEnabled; }
  bool EnabledBeforeEditor() const { return FEnabledBeforeEditor; }
  bool OptionsThread() const { return FOptionsThread; }
  bool AboutThread() const { return FAboutThread; }
  bool IncludeThread() const { return FIncludeThread; }
  bool RunMacroThread() const { return FRunMacroThread; }
  bool PickerThread() const { return FPickerThread; }
  // A WM_RUNMACRO has been posted and not yet handled.
  bool RunRequested() const { return FPendingRun.Set; }
  const TModifierState& Modifiers() const { return FModifiers; }

 private:
  bool IncludeFilterPasses();
  // The toggle, or the macro the word runs now (its indexes set).
  bool FindShortCut(std::uint16_t word, int& catagory, int& macro);
  // Drops the modifier flags that the system holds up; true when one went.
  bool ConfirmModifiers();
  // Whether the store's texts are UTF-8, which its runs then work in.
  bool TextsAreUtf8() const { return FCatagories.Encoding() == TStoreEncoding::Utf8; }
  bool StartWindowThread(bool& reference, TThreadDoneCode kind);
  bool OpenPicker(bool fromTray);

  struct TPendingRun {
    bool Set = false;
    int Catagory = 0;
    int Macro = 0;
    std::uint16_t ShortCut = 0;
  };

  TResidentPorts& FPorts;
  const TCatagories& FCatagories;
  const TIncludeSnapshot& FIncludeList;
  const bool FSkipIncludeFilter;
  TShortCutIndex FIndex;
  TModifierState FModifiers;
  bool FEnabled = true;
  bool FEnabledBeforeEditor = false;
  bool FOptionsThread = false;
  bool FAboutThread = false;
  bool FIncludeThread = false;
  bool FRunMacroThread = false;
  TPendingRun FPendingRun;
  std::uint16_t FPickerShortCut = 0;
  bool FPickerThread = false;
  // Built when the picker opens and the store changed since; the open
  // picker holds the one it was given.
  std::shared_ptr<const TMacroIndex> FPickerIndex;
};
