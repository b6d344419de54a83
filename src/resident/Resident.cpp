#include "resident/Resident.h"

#include "resident/FileChanges.h"
#include "resident/HookKeys.h"
#include "search/MacroRank.h"
#include "store/ShortCut.h"
#include "store/StoreText.h"

bool TrackModifier(TModifierState& state, unsigned keyCode, bool down) {
  switch (keyCode) {
    case kKeyShift: state.Shift = down; return true;
    case kKeyCtrl: state.Ctrl = down; return true;
    case kKeyAlt: state.Alt = down; return true;
    default: return false;
  }
}

TResident::TResident(TResidentPorts& ports, const TCatagories& catagories,
                     const TIncludeSnapshot& includeList, bool skipIncludeFilter)
    : FPorts(ports), FCatagories(catagories), FIncludeList(includeList),
      FSkipIncludeFilter(skipIncludeFilter) {}

void TResident::EnabledCommand() {
  if (FOptionsThread) return;
  FEnabled = !FEnabled;
  FPorts.ShowEnabled(FEnabled);
}

void TResident::MacroEditorCommand() {
  if (FOptionsThread) return;
  FEnabledBeforeEditor = FEnabled;
  if (FEnabled) EnabledCommand();
  if (FPorts.StartWindowThread(tdOptions)) {
    FOptionsThread = true;
  } else if (FEnabledBeforeEditor) {
    // No editor came up, so nothing will post its end: give the shortcuts
    // back now rather than leave them off until the user notices.
    EnabledCommand();
  }
}

void TResident::SecondStartCommand() {
  if (FOptionsThread)
    FPorts.BringMacroEditorToFront();
  else
    MacroEditorCommand();
}

bool TResident::StartWindowThread(bool& reference, TThreadDoneCode kind) {
  if (reference) return false;
  reference = FPorts.StartWindowThread(kind);
  return reference;
}

void TResident::SettingsCommand() { StartWindowThread(FIncludeThread, tdInclude); }

void TResident::AboutCommand() { StartWindowThread(FAboutThread, tdAbout); }

void TResident::PickerCommand() { OpenPicker(true); }

bool TResident::OpenPicker(bool fromTray) {
  // While the editor is open its thread may be changing the store.
  if (FPickerThread || FOptionsThread || FRunMacroThread || FPendingRun.Set) return false;
  if (fromTray) {
    TIncludeEntries entries = FIncludeList.Current();
    std::string exeName;
    if (!FSkipIncludeFilter && !entries->empty() &&
        !(FPorts.PreviousProgramExeName(exeName) && IncludeEntriesAllow(*entries, exeName)))
      return false;
  } else if (!IncludeFilterPasses()) {
    return false;
  }
  FPickerThread = FPorts.StartPicker(MacroSnapshot(), fromTray);
  return FPickerThread;
}

std::shared_ptr<const TMacroIndex> TResident::MacroSnapshot() {
  if (!FOptionsThread && (!FPickerIndex || FPickerIndex->Generation() != FCatagories.Generation()))
    FPickerIndex = std::make_shared<const TMacroIndex>(FCatagories);
  return FPickerIndex;
}

std::intptr_t TResident::PickerRun(std::intptr_t entry) {
  if (!FPickerThread || FOptionsThread || FRunMacroThread || FPendingRun.Set || !FPickerIndex) return 0;
  const std::vector<TMacroEntry>& entries = FPickerIndex->Entries();
  if (entry < 0 || static_cast<std::size_t>(entry) >= entries.size()) return 0;
  // The store may have changed while the picker was open: the macro is
  // found by its name, at its old place first.
  const TMacroKey key = MacroKeyOf(entries[entry]);
  const unsigned codePage = StoreTextCodePage(FCatagories.Encoding());
  auto same = [&key, codePage](const TCatagory& catagory, const TMacro& macro) {
    return IsMacroOfKey(catagory, macro, key, codePage);
  };
  const std::size_t c = static_cast<std::size_t>(entries[entry].Catagory);
  const std::size_t m = static_cast<std::size_t>(entries[entry].Macro);
  if (c < FCatagories.Items.size() && m < FCatagories.Items[c].Macros.size() &&
      same(FCatagories.Items[c], FCatagories.Items[c].Macros[m])) {
    FRunMacroThread = FPorts.StartRunMacro(FCatagories.Items[c].Macros[m], TextsAreUtf8());
    return 0;
  }
  for (const TCatagory& catagory : FCatagories.Items)
    for (const TMacro& macro : catagory.Macros)
      if (same(catagory, macro)) {
        FRunMacroThread = FPorts.StartRunMacro(macro, TextsAreUtf8());
        return 0;
      }
  return 0;
}

std::intptr_t TResident::HookKeyDown(unsigned keyCode) {
  if (TrackModifier(FModifiers, keyCode, true)) return kKeyUsed;
  if (!DispatchShortcut(keyCode)) return kKeyPassed;
  // The focused program sees Alt go down and up with nothing between, and
  // many open their menu bar on that.
  if (FModifiers.Alt) FPorts.MaskAltRelease();
  return kKeyUsed;
}

std::intptr_t TResident::HookKeyUp(unsigned keyCode) {
  TrackModifier(FModifiers, keyCode, false);
  return 0;
}

std::intptr_t TResident::ThreadDone(std::intptr_t code) {
  switch (code) {
    case tdOptions:
      // Only the editor's own end restores the shortcuts: a stray code 0
      // while no editor runs would otherwise flip Enabled.
      if (!FOptionsThread) break;
      FOptionsThread = false;
      FIndex.Invalidate();  // the editor changed the store on its thread
      // A change on disk that came as the editor was closing reached no one.
      FPorts.RefreshStore();
      FPickerIndex.reset();
      if (FEnabledBeforeEditor) EnabledCommand();
      break;
    case tdAbout: FAboutThread = false; break;
    case tdInclude:
      if (!FIncludeThread) break;
      FIncludeThread = false;
      FPorts.ReloadIncludeList();
      break;
    case tdRunMacro: FRunMacroThread = false; break;
    case tdPicker: FPickerThread = false; break;
    default: break;
  }
  return 0;
}

void TResident::FilesChanged(unsigned files) {
  // A run has a copy of its macro, so the store may change under it.
  if (files & wfMacros) {
    if (FOptionsThread)
      FPorts.TellMacroEditorFilesChanged();
    else
      FPorts.RefreshStore();
  }
  // zarvel.ini is read afresh wherever it is used; only the open settings
  // window shows values from it.
  if (FIncludeThread && (files & (wfInclude | wfSettings)))
    FPorts.TellSettingsWindowFilesChanged(files & (wfInclude | wfSettings));
  else if (files & wfInclude)
    FPorts.ReloadIncludeList();
}

std::intptr_t TResident::RunMacro(std::intptr_t catagory, std::intptr_t macro) {
  // Only the request this dispatcher posted is honoured; anything else (a
  // stale or foreign message) is dropped.
  TPendingRun pending = FPendingRun;
  if (!pending.Set || pending.Catagory != catagory || pending.Macro != macro) return 0;
  FPendingRun = TPendingRun();
  // With the editor open its thread may be changing the store: not read now.
  if (FOptionsThread || FRunMacroThread) return 0;
  if (catagory < 0 || static_cast<std::size_t>(catagory) >= FCatagories.Items.size()) return 0;
  const TMacroList& macros = FCatagories.Items[catagory].Macros;
  if (macro < 0 || static_cast<std::size_t>(macro) >= macros.size()) return 0;
  // The editor came and went between the post and now, and the indexes name
  // another macro: the key press meant the one that is gone.
  if (macros[macro].ShortCut != pending.ShortCut) return 0;
  FRunMacroThread = FPorts.StartRunMacro(macros[macro], TextsAreUtf8());
  return 0;
}

bool TResident::IncludeFilterPasses() {
  if (FSkipIncludeFilter) return true;
  TIncludeEntries entries = FIncludeList.Current();
  if (entries->empty()) return true;
  std::string exeName;
  if (!FPorts.ForegroundExeName(exeName)) return false;
  return IncludeEntriesAllow(*entries, exeName);
}

bool TResident::FindShortCut(std::uint16_t word, int& catagory, int& macro) {
  if (word == kToggleShortCut) return true;
  // While shortcuts are off, or a run is asked for or going, or the picker
  // is open, no macro key acts: nothing to look up.
  if (!FEnabled || FRunMacroThread || FPendingRun.Set || FPickerThread) return false;
  if (FPickerShortCut != 0 && word == FPickerShortCut) return true;
  FIndex.Sync(FCatagories);
  return FIndex.Find(word, catagory, macro);
}

bool TResident::ConfirmModifiers() {
  // The flags come from the hook's messages alone, and releases on the
  // secure desktop never arrive. The system's word clears a flag, never sets
  // one: the Ctrl of AltGr is down for the system and rightly not here.
  bool changed = false;
  for (unsigned key : {kKeyShift, kKeyCtrl, kKeyAlt}) {
    bool& held = key == kKeyShift ? FModifiers.Shift : key == kKeyCtrl ? FModifiers.Ctrl : FModifiers.Alt;
    if (held && !FPorts.ModifierDown(key)) {
      held = false;
      changed = true;
    }
  }
  return changed;
}

bool TResident::DispatchShortcut(unsigned keyCode) {
  std::uint16_t word = MakeShortCut(keyCode, FModifiers.Shift, FModifiers.Ctrl, FModifiers.Alt);
  // The look-up comes first: keys that are no shortcut (nearly all) then
  // cost neither the system's key state nor a process snapshot.
  int catagory = 0, macro = 0;
  if (!FindShortCut(word, catagory, macro)) return false;
  // Only a key that would act has its modifiers confirmed; the word of what
  // is really held may name another macro, or none.
  if ((FModifiers.Shift || FModifiers.Ctrl || FModifiers.Alt) && ConfirmModifiers()) {
    word = MakeShortCut(keyCode, FModifiers.Shift, FModifiers.Ctrl, FModifiers.Alt);
    if (!FindShortCut(word, catagory, macro)) return false;
  }
  if (word == kToggleShortCut) {
    EnabledCommand();
    return false;
  }
  if (FPickerShortCut != 0 && word == FPickerShortCut) return OpenPicker(false);
  if (!IncludeFilterPasses()) return false;
  // A request that never arrives must not block every later shortcut.
  if (!FPorts.PostRunMacro(catagory, macro)) return false;
  FPendingRun = TPendingRun{true, catagory, macro, word};
  return true;
}
