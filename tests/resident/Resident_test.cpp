#include "resident/Resident.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "common/TempFolder.h"
#include "resident/FileChanges.h"
#include "resident/HookKeys.h"
#include "store/ShortCut.h"

namespace {

constexpr unsigned kKeyT = 'T';
constexpr unsigned kKeyQ = 'Q';
constexpr std::uint16_t kCtrlAltT = kCtrlBit | kAltBit | 'T';

TMacro Macro(const std::string& title, std::uint16_t shortCut) {
  TMacro macro = NewMacro();
  SetTitle(macro, title);
  macro.ShortCut = shortCut;
  return macro;
}

// Records what the core asks of the system; answers as told.
class TRecordingPorts : public TResidentPorts {
 public:
  void ShowEnabled(bool enabled) override { Shown.push_back(enabled); }
  bool StartWindowThread(TThreadDoneCode kind) override {
    Started.push_back(kind);
    return ThreadsStart;
  }
  bool ForegroundExeName(std::string& exeName) override {
    ++ForegroundLookups;
    exeName = Foreground;
    return !Foreground.empty();
  }
  bool PostRunMacro(int catagory, int macro) override {
    if (!PostsArrive) return false;
    Posted.push_back({catagory, macro});
    return true;
  }
  bool StartRunMacro(const TMacro& macro, bool utf8Texts) override {
    Runs.push_back(GetTitle(macro));
    RunsInUtf8.push_back(utf8Texts);
    return RunsStart;
  }
  // The system's key state: every modifier down unless listed as up.
  bool ModifierDown(unsigned keyCode) override {
    ++KeyStateLookups;
    return SystemUp.count(keyCode) == 0;
  }
  void MaskAltRelease() override { ++Masks; }
  void BringMacroEditorToFront() override { ++EditorRaises; }
  void RefreshStore() override {
    ++StoreRefreshes;
    if (Store) Store->Refresh();
  }
  void ReloadIncludeList() override { ++IncludeReloads; }
  void TellMacroEditorFilesChanged() override { ++EditorTold; }
  void TellSettingsWindowFilesChanged(unsigned files) override { SettingsTold.push_back(files); }
  bool StartPicker(const std::shared_ptr<const TMacroIndex>& index, bool fromTray) override {
    PickerIndex = index;
    PickerFromTray.push_back(fromTray);
    return PickersStart;
  }
  bool PreviousProgramExeName(std::string& exeName) override {
    exeName = Previous;
    return !Previous.empty();
  }

  std::vector<bool> Shown;
  std::vector<TThreadDoneCode> Started;
  std::vector<std::pair<int, int>> Posted;
  std::vector<std::string> Runs;
  std::vector<bool> RunsInUtf8;
  std::string Foreground = "notepad.exe";
  int ForegroundLookups = 0;
  std::set<unsigned> SystemUp;
  int KeyStateLookups = 0;
  int Masks = 0;
  int EditorRaises = 0;
  bool ThreadsStart = true;
  bool RunsStart = true;
  bool PostsArrive = true;
  TCatagories* Store = nullptr;
  int StoreRefreshes = 0;
  int IncludeReloads = 0;
  int EditorTold = 0;
  std::vector<unsigned> SettingsTold;
  std::shared_ptr<const TMacroIndex> PickerIndex;
  std::vector<bool> PickerFromTray;
  bool PickersStart = true;
  std::string Previous = "editor.exe";
};

class ResidentCore : public ::testing::Test {
 protected:
  ResidentCore() : Store(Folder.File("Macros")), Core(Ports, Store, Includes, false) {}

  int AddCatagory(const std::string& name) { return Store.AddCatagory(name); }
  void AddMacro(int catagory, const std::string& title, std::uint16_t shortCut) {
    Store.AddMacro(catagory, Macro(title, shortCut));
  }
  // Presses the keys in order and releases them in reverse; the answer to
  // the last press.
  std::intptr_t Chord(const std::vector<unsigned>& keys) {
    std::intptr_t answer = 0;
    for (unsigned key : keys) answer = Core.HookKeyDown(key);
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) Core.HookKeyUp(*key);
    return answer;
  }
  // Hands the posted WM_RUNMACRO back, as the message loop would.
  void DeliverPosted() {
    auto posted = Ports.Posted;
    Ports.Posted.clear();
    for (auto& request : posted) Core.RunMacro(request.first, request.second);
  }

  TTempFolder Folder;
  TCatagories Store;
  TIncludeSnapshot Includes;
  TRecordingPorts Ports;
  TResident Core;
};

}  // namespace

// --- modifier flags and the hook's answers ---

TEST(ModifierTracking, OnlyTheGenericCodesChangeTheFlags) {
  TModifierState state;
  EXPECT_TRUE(TrackModifier(state, kKeyCtrl, true));
  EXPECT_TRUE(TrackModifier(state, kKeyAlt, true));
  EXPECT_FALSE(TrackModifier(state, 162, true));  // VK_LCONTROL is not a modifier here
  EXPECT_FALSE(TrackModifier(state, 'A', true));
  EXPECT_TRUE(state.Ctrl);
  EXPECT_TRUE(state.Alt);
  EXPECT_FALSE(state.Shift);
  EXPECT_TRUE(TrackModifier(state, kKeyCtrl, false));
  EXPECT_FALSE(state.Ctrl);
  EXPECT_TRUE(state.Alt);
}

TEST_F(ResidentCore, ModifiersAnswerZeroAndOtherUnmatchedKeysMinusOne) {
  EXPECT_EQ(Core.HookKeyDown(kKeyShift), kKeyUsed);
  EXPECT_EQ(Core.HookKeyDown(kKeyCtrl), kKeyUsed);
  EXPECT_EQ(Core.HookKeyDown(kKeyAlt), kKeyUsed);
  EXPECT_EQ(Core.HookKeyDown('A'), kKeyPassed);
  EXPECT_EQ(Core.HookKeyUp('A'), 0);
  EXPECT_EQ(Core.HookKeyUp(kKeyCtrl), 0);
  EXPECT_TRUE(Ports.Posted.empty());
}

TEST_F(ResidentCore, HoldingCtrlGivesTwoShortCutsReleasingItMakesThePlainKey) {
  int c = AddCatagory("Web");
  AddMacro(c, "ctrl t", kCtrlBit | 'T');
  AddMacro(c, "plain t", 'T');
  Ports.RunsStart = false;  // no run thread, so each press can start one
  Core.HookKeyDown(kKeyCtrl);
  EXPECT_EQ(Core.HookKeyDown(kKeyT), kKeyUsed);
  DeliverPosted();
  EXPECT_EQ(Core.HookKeyDown(kKeyT), kKeyUsed);
  DeliverPosted();
  Core.HookKeyUp(kKeyCtrl);
  EXPECT_EQ(Core.HookKeyDown(kKeyT), kKeyUsed);
  DeliverPosted();
  EXPECT_EQ(Ports.Runs, (std::vector<std::string>{"ctrl t", "ctrl t", "plain t"}));
}

TEST_F(ResidentCore, CtrlPressedAndReleasedBeforeTheKeyGivesNoModifier) {
  int c = AddCatagory("Web");
  AddMacro(c, "ctrl t", kCtrlBit | 'T');
  Core.HookKeyDown(kKeyCtrl);
  Core.HookKeyUp(kKeyCtrl);
  EXPECT_EQ(Core.HookKeyDown(kKeyT), kKeyPassed);
}

TEST_F(ResidentCore, RunsOfAUtf8FolderWorkInUtf8FromTheStart) {
  int c = AddCatagory("Web");
  AddMacro(c, "ctrl t", kCtrlBit | 'T');
  Ports.RunsStart = false;
  Chord({kKeyCtrl, kKeyT});
  DeliverPosted();
  WriteStoreEncoding(Store.Directory(), TStoreEncoding::Utf8);
  Store.Refresh();
  Chord({kKeyCtrl, kKeyT});
  DeliverPosted();
  EXPECT_EQ(Ports.RunsInUtf8, (std::vector<bool>{false, true}));
}

// --- finding the macro ---

TEST_F(ResidentCore, MatchPostsCatagoryAndMacroIndexes) {
  int first = AddCatagory("First");
  AddMacro(first, "a", kCtrlBit | 'A');
  int second = AddCatagory("Second");
  AddMacro(second, "b", kCtrlBit | 'B');
  AddMacro(second, "t", kCtrlAltT);
  EXPECT_EQ(Chord({kKeyCtrl, kKeyAlt, kKeyT}), kKeyUsed);
  ASSERT_EQ(Ports.Posted.size(), 1u);
  EXPECT_EQ(Ports.Posted[0], std::make_pair(second, 1));
}

TEST_F(ResidentCore, SameShortCutTwiceTheFirstCatagoryAndMacroWin) {
  int first = AddCatagory("First");
  AddMacro(first, "other", kCtrlBit | 'X');
  AddMacro(first, "first", kCtrlAltT);
  AddMacro(first, "later in file", kCtrlAltT);
  int second = AddCatagory("Second");
  AddMacro(second, "second", kCtrlAltT);
  Chord({kKeyCtrl, kKeyAlt, kKeyT});
  DeliverPosted();
  EXPECT_EQ(Ports.Runs, (std::vector<std::string>{"first"}));
}

TEST_F(ResidentCore, ShiftAltAndCtrlEachCountInTheWord) {
  int c = AddCatagory("Web");
  AddMacro(c, "shift t", kShiftBit | 'T');
  AddMacro(c, "alt t", kAltBit | 'T');
  Ports.RunsStart = false;
  Chord({kKeyShift, kKeyT});
  DeliverPosted();
  Chord({kKeyAlt, kKeyT});
  DeliverPosted();
  EXPECT_EQ(Chord({kKeyCtrl, kKeyT}), kKeyPassed);
  EXPECT_EQ(Ports.Runs, (std::vector<std::string>{"shift t", "alt t"}));
}

TEST_F(ResidentCore, KeyCodesAbove255AndMacrosWithoutShortCutNeverMatch) {
  int c = AddCatagory("Web");
  AddMacro(c, "none", 0);
  AddMacro(c, "odd bits", 0x1041);  // no key press forms this word
  EXPECT_EQ(Core.HookKeyDown(256), kKeyPassed);
  EXPECT_EQ(Core.HookKeyDown(0x141), kKeyPassed);
  EXPECT_TRUE(Ports.Posted.empty());
}

TEST_F(ResidentCore, MacrosAddedOrRemovedAfterStartAreFound) {
  int c = AddCatagory("Web");
  EXPECT_EQ(Chord({kKeyCtrl, kKeyAlt, kKeyT}), kKeyPassed);
  AddMacro(c, "new", kCtrlAltT);
  EXPECT_EQ(Chord({kKeyCtrl, kKeyAlt, kKeyT}), kKeyUsed);
  DeliverPosted();
  Core.ThreadDone(tdRunMacro);
  Store.RemoveMacro(c, 0);
  EXPECT_EQ(Chord({kKeyCtrl, kKeyAlt, kKeyT}), kKeyPassed);
}

TEST_F(ResidentCore, ShortCutChangedInMemoryByTheEditorIsSeenAfterItCloses) {
  int c = AddCatagory("Web");
  AddMacro(c, "m", kCtrlBit | 'A');
  Chord({kKeyCtrl, 'B'});  // builds the index
  Core.MacroEditorCommand();
  // The editor's write failed: memory changed, the generation did not.
  Store.Items[c].Macros[0].ShortCut = kCtrlBit | 'B';
  Core.ThreadDone(tdOptions);
  EXPECT_EQ(Chord({kKeyCtrl, 'B'}), kKeyUsed);
}

// --- the reserved toggle and Enabled ---

TEST_F(ResidentCore, CtrlAltShiftQTogglesAndNeverRunsAMacro) {
  int c = AddCatagory("Web");
  AddMacro(c, "reserved", kToggleShortCut);
  EXPECT_EQ(Chord({kKeyCtrl, kKeyAlt, kKeyShift, kKeyQ}), kKeyPassed);
  EXPECT_FALSE(Core.Enabled());
  EXPECT_EQ(Chord({kKeyCtrl, kKeyAlt, kKeyShift, kKeyQ}), kKeyPassed);
  EXPECT_TRUE(Core.Enabled());
  EXPECT_TRUE(Ports.Posted.empty());
  EXPECT_EQ(Ports.Shown, (std::vector<bool>{false, true}));
}

TEST_F(ResidentCore, DisabledShortCutsDoNothingButTheToggleStillWorks) {
  int c = AddCatagory("Web");
  AddMacro(c, "t", kCtrlAltT);
  Core.EnabledCommand();
  EXPECT_EQ(Chord({kKeyCtrl, kKeyAlt, kKeyT}), kKeyPassed);
  Chord({kKeyCtrl, kKeyAlt, kKeyShift, kKeyQ});
  EXPECT_EQ(Chord({kKeyCtrl, kKeyAlt, kKeyT}), kKeyUsed);
}

TEST_F(ResidentCore, ToggleWorksWhileAMacroRuns) {
  int c = AddCatagory("Web");
  AddMacro(c, "t", kCtrlAltT);
  Chord({kKeyCtrl, kKeyAlt, kKeyT});
  DeliverPosted();
  ASSERT_TRUE(Core.RunMacroThread());
  Chord({kKeyCtrl, kKeyAlt, kKeyShift, kKeyQ});
  EXPECT_FALSE(Core.Enabled());
}

// --- one run at a time ---

TEST_F(ResidentCore, ShortCutDuringARunIsDroppedNotQueued) {
  int c = AddCatagory("Web");
  AddMacro(c, "t", kCtrlAltT);
  Chord({kKeyCtrl, kKeyAlt, kKeyT});
  DeliverPosted();
  EXPECT_EQ(Chord({kKeyCtrl, kKeyAlt, kKeyT}), kKeyPassed);
  Core.ThreadDone(tdRunMacro);
  EXPECT_TRUE(Ports.Posted.empty());
  EXPECT_EQ(Chord({kKeyCtrl, kKeyAlt, kKeyT}), kKeyUsed);
}

TEST_F(ResidentCore, SecondPressBeforeTheFirstRequestIsHandledStartsNothing) {
  int c = AddCatagory("Web");
  AddMacro(c, "t", kCtrlAltT);
  Chord({kKeyCtrl, kKeyAlt, kKeyT});
  EXPECT_EQ(Chord({kKeyCtrl, kKeyAlt, kKeyT}), kKeyPassed);
  DeliverPosted();
  EXPECT_EQ(Ports.Runs.size(), 1u);
}

TEST_F(ResidentCore, WithoutARunThreadTheNextShortCutCanRunAtOnce) {
  int c = AddCatagory("Web");
  AddMacro(c, "t", kCtrlAltT);
  Ports.RunsStart = false;
  Chord({kKeyCtrl, kKeyAlt, kKeyT});
  DeliverPosted();
  EXPECT_FALSE(Core.RunMacroThread());
  EXPECT_FALSE(Core.RunRequested());
  EXPECT_EQ(Chord({kKeyCtrl, kKeyAlt, kKeyT}), kKeyUsed);
}

// --- WM_RUNMACRO that no longer names its macro ---

TEST_F(ResidentCore, RunRequestForAMacroRemovedMeanwhileIsIgnored) {
  int c = AddCatagory("Web");
  AddMacro(c, "t", kCtrlAltT);
  Chord({kKeyCtrl, kKeyAlt, kKeyT});
  Store.RemoveMacro(c, 0);
  DeliverPosted();
  EXPECT_TRUE(Ports.Runs.empty());
  EXPECT_FALSE(Core.RunMacroThread());
  EXPECT_EQ(Chord({kKeyCtrl, kKeyAlt, kKeyT}), kKeyPassed);
}

TEST_F(ResidentCore, RunRequestWhoseIndexesNowNameAnotherMacroIsIgnored) {
  int c = AddCatagory("Web");
  AddMacro(c, "t", kCtrlAltT);
  AddMacro(c, "other", kCtrlBit | 'O');
  Chord({kKeyCtrl, kKeyAlt, kKeyT});
  Store.RemoveMacro(c, 0);  // "other" moves to index 0
  DeliverPosted();
  EXPECT_TRUE(Ports.Runs.empty());
}

TEST_F(ResidentCore, RequestThatCouldNotBePostedBlocksNothing) {
  int c = AddCatagory("Web");
  AddMacro(c, "t", kCtrlAltT);
  Ports.PostsArrive = false;
  EXPECT_EQ(Chord({kKeyCtrl, kKeyAlt, kKeyT}), kKeyPassed);
  EXPECT_FALSE(Core.RunRequested());
  Ports.PostsArrive = true;
  EXPECT_EQ(Chord({kKeyCtrl, kKeyAlt, kKeyT}), kKeyUsed);
}

TEST_F(ResidentCore, RunRequestsNotPostedByTheDispatcherAreIgnored) {
  int c = AddCatagory("Web");
  AddMacro(c, "t", kCtrlAltT);
  Core.RunMacro(0, 0);
  Core.RunMacro(-1, 5);
  Core.RunMacro(7, 0);
  EXPECT_TRUE(Ports.Runs.empty());
}

TEST_F(ResidentCore, RunRequestArrivingWhileTheEditorIsOpenIsIgnored) {
  int c = AddCatagory("Web");
  AddMacro(c, "t", kCtrlAltT);
  Chord({kKeyCtrl, kKeyAlt, kKeyT});
  Core.MacroEditorCommand();
  DeliverPosted();
  EXPECT_TRUE(Ports.Runs.empty());
  Core.ThreadDone(tdOptions);
  EXPECT_EQ(Chord({kKeyCtrl, kKeyAlt, kKeyT}), kKeyUsed);
}

// --- include list ---

TEST_F(ResidentCore, EmptyIncludeListLetsEveryProgramAndTakesNoSnapshot) {
  int c = AddCatagory("Web");
  AddMacro(c, "t", kCtrlAltT);
  Ports.Foreground = "";
  EXPECT_EQ(Chord({kKeyCtrl, kKeyAlt, kKeyT}), kKeyUsed);
  EXPECT_EQ(Ports.ForegroundLookups, 0);
}

TEST_F(ResidentCore, IncludeListAdmitsItsProgramsInAnyLetterCase) {
  int c = AddCatagory("Web");
  AddMacro(c, "t", kCtrlAltT);
  Includes.Publish({"write.exe", "EDIT.EXE"});
  Ports.RunsStart = false;
  Ports.Foreground = "edit.exe";
  EXPECT_EQ(Chord({kKeyCtrl, kKeyAlt, kKeyT}), kKeyUsed);
  DeliverPosted();
  Ports.Foreground = "notepad.exe";
  EXPECT_EQ(Chord({kKeyCtrl, kKeyAlt, kKeyT}), kKeyPassed);
  Ports.Foreground = "";  // the snapshot found nothing
  EXPECT_EQ(Chord({kKeyCtrl, kKeyAlt, kKeyT}), kKeyPassed);
}

TEST_F(ResidentCore, KeysThatAreNoShortCutCostNoProcessSnapshot) {
  int c = AddCatagory("Web");
  AddMacro(c, "t", kCtrlAltT);
  Includes.Publish({"edit.exe"});
  for (unsigned key = 'A'; key <= 'Z'; ++key) Core.HookKeyDown(key);
  EXPECT_EQ(Ports.ForegroundLookups, 0);
}

TEST_F(ResidentCore, ChangedIncludeListActsOnTheNextKeyPress) {
  int c = AddCatagory("Web");
  AddMacro(c, "t", kCtrlAltT);
  Ports.RunsStart = false;
  Includes.Publish({"edit.exe"});
  EXPECT_EQ(Chord({kKeyCtrl, kKeyAlt, kKeyT}), kKeyPassed);
  Includes.Publish({"edit.exe", "notepad.exe"});
  EXPECT_EQ(Chord({kKeyCtrl, kKeyAlt, kKeyT}), kKeyUsed);
}

TEST(ResidentOnOldNt, IncludeListIsNotApplied) {
  TTempFolder folder;
  TCatagories store(folder.File("Macros"));
  int c = store.AddCatagory("Web");
  store.AddMacro(c, Macro("t", kCtrlAltT));
  TIncludeSnapshot includes({"edit.exe"});
  TRecordingPorts ports;
  TResident core(ports, store, includes, true);
  core.HookKeyDown(kKeyCtrl);
  core.HookKeyDown(kKeyAlt);
  EXPECT_EQ(core.HookKeyDown(kKeyT), kKeyUsed);
  EXPECT_EQ(ports.ForegroundLookups, 0);
}

// --- window threads and the editor's protocol ---

TEST_F(ResidentCore, EditorOpenedWhileEnabledSwitchesOffAndBackOnWhenItCloses) {
  Core.MacroEditorCommand();
  EXPECT_TRUE(Core.OptionsThread());
  EXPECT_FALSE(Core.Enabled());
  EXPECT_TRUE(Core.EnabledBeforeEditor());
  Core.ThreadDone(tdOptions);
  EXPECT_FALSE(Core.OptionsThread());
  EXPECT_TRUE(Core.Enabled());
  EXPECT_EQ(Ports.Shown, (std::vector<bool>{false, true}));
}

TEST_F(ResidentCore, EditorOpenedWhileDisabledLeavesShortCutsOff) {
  Core.EnabledCommand();
  Core.MacroEditorCommand();
  Core.ThreadDone(tdOptions);
  EXPECT_FALSE(Core.Enabled());
  EXPECT_EQ(Ports.Shown, (std::vector<bool>{false}));
}

TEST_F(ResidentCore, WhileTheEditorIsOpenEnabledAndASecondEditorDoNothing) {
  Core.MacroEditorCommand();
  Core.EnabledCommand();
  Chord({kKeyCtrl, kKeyAlt, kKeyShift, kKeyQ});
  Core.MacroEditorCommand();
  EXPECT_FALSE(Core.Enabled());
  EXPECT_TRUE(Core.EnabledBeforeEditor());
  EXPECT_EQ(Ports.Started, (std::vector<TThreadDoneCode>{tdOptions}));
}

TEST_F(ResidentCore, SecondStartOpensTheEditorOnceThenBringsItToTheFront) {
  Core.SecondStartCommand();
  EXPECT_EQ(Ports.EditorRaises, 0);
  Core.SecondStartCommand();
  EXPECT_EQ(Ports.Started, (std::vector<TThreadDoneCode>{tdOptions}));
  EXPECT_EQ(Ports.EditorRaises, 1);
  EXPECT_FALSE(Core.Enabled());  // the shortcuts stay off for the editor
  Core.ThreadDone(tdOptions);
  Core.SecondStartCommand();  // closed: a new one opens
  EXPECT_EQ(Ports.Started, (std::vector<TThreadDoneCode>{tdOptions, tdOptions}));
  EXPECT_EQ(Ports.EditorRaises, 1);
}

TEST_F(ResidentCore, EditorThatCannotStartGivesTheShortCutsBack) {
  Ports.ThreadsStart = false;
  Core.MacroEditorCommand();
  EXPECT_FALSE(Core.OptionsThread());
  EXPECT_TRUE(Core.Enabled());
  Ports.ThreadsStart = true;
  Core.MacroEditorCommand();
  EXPECT_TRUE(Core.OptionsThread());
}

TEST_F(ResidentCore, StrayEditorEndChangesNothing) {
  Core.MacroEditorCommand();
  Core.ThreadDone(tdOptions);
  ASSERT_TRUE(Core.Enabled());
  Core.ThreadDone(tdOptions);
  EXPECT_TRUE(Core.Enabled());
  EXPECT_EQ(Ports.Shown, (std::vector<bool>{false, true}));
}

TEST_F(ResidentCore, EachWindowKindOpensOnceUntilItsThreadEnds) {
  Core.SettingsCommand();
  Core.SettingsCommand();
  Core.AboutCommand();
  Core.AboutCommand();
  EXPECT_EQ(Ports.Started, (std::vector<TThreadDoneCode>{tdInclude, tdAbout}));
  Core.ThreadDone(tdInclude);
  Core.SettingsCommand();
  EXPECT_EQ(Ports.Started.back(), tdInclude);
  EXPECT_TRUE(Core.AboutThread());
  Core.ThreadDone(tdAbout);
  EXPECT_FALSE(Core.AboutThread());
}

TEST_F(ResidentCore, ThreadDoneCodesOneFourAndUnknownChangeNothing) {
  Core.SettingsCommand();
  Core.AboutCommand();
  Core.MacroEditorCommand();
  for (std::intptr_t code : {1, 4, 6, -1, 100}) EXPECT_EQ(Core.ThreadDone(code), 0);
  EXPECT_TRUE(Core.IncludeThread());
  EXPECT_TRUE(Core.AboutThread());
  EXPECT_TRUE(Core.OptionsThread());
  EXPECT_FALSE(Core.Enabled());
}

TEST_F(ResidentCore, WindowThatCannotStartCanBeOpenedLater) {
  Ports.ThreadsStart = false;
  Core.AboutCommand();
  EXPECT_FALSE(Core.AboutThread());
  Ports.ThreadsStart = true;
  Core.AboutCommand();
  EXPECT_TRUE(Core.AboutThread());
}

// Modifier releases the hook never saw: the system's key state, asked only
// when a key completes a shortcut, corrects them.
TEST_F(ResidentCore, LostReleasesAreCorrectedByTheSystemsKeyStateOnAMatch) {
  int c = AddCatagory("C");
  AddMacro(c, "Bold", kCtrlAltT);
  AddMacro(c, "Alt T", kAltBit | 'T');
  // Ctrl+Alt+Del: the secure desktop takes the releases.
  Core.HookKeyDown(kKeyCtrl);
  Core.HookKeyDown(kKeyAlt);
  Ports.SystemUp = {kKeyCtrl, kKeyAlt};
  EXPECT_EQ(Core.HookKeyDown('E'), kKeyPassed) << "plain typing";
  EXPECT_EQ(Ports.KeyStateLookups, 0) << "a key that completes no shortcut costs nothing";
  EXPECT_EQ(Core.HookKeyDown(kKeyT), kKeyPassed) << "a stuck Ctrl+Alt must not run Bold";
  EXPECT_TRUE(Ports.Posted.empty());
  EXPECT_FALSE(Core.Modifiers().Ctrl || Core.Modifiers().Alt);
  // Only Ctrl was lost: the key is dispatched as what is really held.
  Core.HookKeyDown(kKeyCtrl);
  Core.HookKeyDown(kKeyAlt);
  Ports.SystemUp = {kKeyCtrl};
  EXPECT_EQ(Core.HookKeyDown(kKeyT), kKeyUsed);
  ASSERT_EQ(Ports.Posted.size(), 1u);
  EXPECT_EQ(Ports.Posted[0], std::make_pair(0, 1)) << "Alt+T, not Bold";
}

TEST_F(ResidentCore, AStuckModifierCannotToggleAndTheSystemNeverAddsOne) {
  Core.HookKeyDown(kKeyCtrl);
  Core.HookKeyDown(kKeyAlt);
  Core.HookKeyDown(kKeyShift);
  Ports.SystemUp = {kKeyCtrl, kKeyAlt};
  Core.HookKeyDown(kKeyQ);  // a capital Q typed after the lock screen
  EXPECT_TRUE(Core.Enabled());
  // AltGr: Ctrl and Alt are down for the system, not for dispatch.
  int c = AddCatagory("C");
  AddMacro(c, "Bold", kCtrlAltT);
  Core.ResetModifiers();
  Ports.SystemUp.clear();
  EXPECT_EQ(Core.HookKeyDown(kKeyT), kKeyPassed);
  EXPECT_TRUE(Ports.Posted.empty());
}

TEST_F(ResidentCore, ResetForgetsHeldModifiers) {
  int c = AddCatagory("C");
  AddMacro(c, "Bold", kCtrlAltT);
  Core.HookKeyDown(kKeyCtrl);
  Core.HookKeyDown(kKeyAlt);
  Core.ResetModifiers();  // the session was locked
  EXPECT_EQ(Core.HookKeyDown(kKeyT), kKeyPassed);
  EXPECT_EQ(Ports.KeyStateLookups, 0);
}

// The system's key state is asked only for a key that would act: not for a
// key that matches nothing, nor for a macro's key while shortcuts are off or
// a run is already asked for.
TEST_F(ResidentCore, KeyStateIsAskedOnlyWhenAShortCutWouldAct) {
  int c = AddCatagory("C");
  AddMacro(c, "Bold", kCtrlAltT);
  Core.HookKeyDown(kKeyCtrl);
  Core.HookKeyDown(kKeyAlt);
  for (unsigned key : {unsigned('E'), unsigned('Z'), 0x70u /* F1 */}) EXPECT_EQ(Core.HookKeyDown(key), kKeyPassed);
  EXPECT_EQ(Ports.KeyStateLookups, 0);
  Core.EnabledCommand();
  EXPECT_EQ(Core.HookKeyDown(kKeyT), kKeyPassed);
  EXPECT_EQ(Ports.KeyStateLookups, 0) << "shortcuts are off";
  Core.EnabledCommand();
  EXPECT_EQ(Core.HookKeyDown(kKeyT), kKeyUsed);
  EXPECT_EQ(Ports.KeyStateLookups, 2) << "Shift is not held: only Ctrl and Alt are asked";
  EXPECT_EQ(Core.HookKeyDown(kKeyT), kKeyPassed);
  EXPECT_EQ(Ports.KeyStateLookups, 2) << "a run is asked for already";
}

// A withheld key while Alt is held is followed by the masking key.
TEST_F(ResidentCore, AltShortCutsAreMaskedOthersAndPassedKeysAreNot) {
  int c = AddCatagory("C");
  AddMacro(c, "Bold", kCtrlAltT);
  AddMacro(c, "Ctrl T", kCtrlBit | 'T');
  AddMacro(c, "Alt K", kAltBit | 'K');
  EXPECT_EQ(Chord({kKeyAlt, 'K'}), kKeyUsed);
  EXPECT_EQ(Ports.Masks, 1);
  DeliverPosted();
  Core.ThreadDone(tdRunMacro);
  EXPECT_EQ(Chord({kKeyCtrl, kKeyT}), kKeyUsed);
  EXPECT_EQ(Ports.Masks, 1) << "no Alt, no mask";
  DeliverPosted();
  Core.ThreadDone(tdRunMacro);
  EXPECT_EQ(Chord({kKeyAlt, 'J'}), kKeyPassed);
  EXPECT_EQ(Ports.Masks, 1) << "a key that passes breaks the Alt tap itself";
  EXPECT_EQ(Chord({kKeyCtrl, kKeyAlt, kKeyT}), kKeyUsed);
  EXPECT_EQ(Ports.Masks, 2);
  // The toggle passes its key: nothing to mask.
  Chord({kKeyCtrl, kKeyAlt, kKeyShift, kKeyQ});
  EXPECT_EQ(Ports.Masks, 2);
}

// --- files changed on disk ---

TEST_F(ResidentCore, ChangedFilesAreReloadedByWhoeverOwnsThemNow) {
  Core.FilesChanged(wfMacros | wfInclude | wfSettings);
  EXPECT_EQ(Ports.StoreRefreshes, 1);
  EXPECT_EQ(Ports.IncludeReloads, 1);
  Core.FilesChanged(wfSettings);  // read afresh where it is used
  EXPECT_EQ(Ports.IncludeReloads, 1);

  // Open windows own what they show: they are told, the main thread keeps off.
  Core.MacroEditorCommand();
  Core.SettingsCommand();
  Core.FilesChanged(wfMacros | wfInclude | wfSettings);
  Core.FilesChanged(wfSettings);
  EXPECT_EQ(Ports.StoreRefreshes, 1);
  EXPECT_EQ(Ports.IncludeReloads, 1);
  EXPECT_EQ(Ports.EditorTold, 1);
  EXPECT_EQ(Ports.SettingsTold, (std::vector<unsigned>{wfInclude | wfSettings, wfSettings}));
  // Each window's end reloads once more: a change as it closed reached no one.
  Core.ThreadDone(tdOptions);
  Core.ThreadDone(tdInclude);
  Core.ThreadDone(tdInclude);
  EXPECT_EQ(Ports.StoreRefreshes, 2);
  EXPECT_EQ(Ports.IncludeReloads, 2);
}

TEST_F(ResidentCore, AMacroAnotherProgramAddedRunsOnItsShortCut) {
  Ports.Store = &Store;
  int c = AddCatagory("Web");
  AddMacro(c, "old", kCtrlAltT);
  TCatagories other(Folder.File("Macros"));
  other.UpdateMacro(0, 0, Macro("renamed", kCtrlBit | kAltBit | 'Q'));
  other.AddMacro(other.AddCatagory("Mail"), Macro("new", kCtrlAltT));
  Core.FilesChanged(wfMacros);
  EXPECT_EQ(Chord({kKeyCtrl, kKeyAlt, kKeyT}), kKeyUsed);
  DeliverPosted();
  EXPECT_EQ(Ports.Runs, std::vector<std::string>{"new"});
}

// --- the macro picker ---

namespace {
constexpr std::uint16_t kCtrlAltSpace = kCtrlBit | kAltBit | ' ';

// The position in the picker's index of the macro with this title.
std::intptr_t EntryOf(const TMacroIndex& index, const std::string& title) {
  for (std::size_t i = 0; i < index.Entries().size(); ++i)
    if (index.Entries()[i].Title == title) return static_cast<std::intptr_t>(i);
  return -1;
}
}  // namespace

TEST_F(ResidentCore, PickerShortCutOpensThePickerUnderAShortCutsConditionsAndWinsOverAMacro) {
  int c = AddCatagory("Web");
  AddMacro(c, "same keys", kCtrlAltSpace);
  Core.SetPickerShortCut(kCtrlAltSpace);
  EXPECT_EQ(Chord({kKeyCtrl, kKeyAlt, ' '}), kKeyUsed);
  EXPECT_EQ(Ports.PickerFromTray, std::vector<bool>{false});
  EXPECT_EQ(Ports.Masks, 1) << "the withheld key's Alt is masked like a shortcut's";
  EXPECT_TRUE(Ports.Posted.empty()) << "the picker wins over the macro holding its keys";
  ASSERT_TRUE(Ports.PickerIndex);
  EXPECT_EQ(Ports.PickerIndex->Entries().size(), 1u);

  // While it is open neither it nor a macro's shortcut acts.
  EXPECT_EQ(Chord({kKeyCtrl, kKeyAlt, ' '}), kKeyPassed);
  Core.ThreadDone(tdPicker);

  // Not during a run, not while disabled, not in a program the list leaves out.
  Core.ThreadDone(tdRunMacro);
  AddMacro(c, "bold", kCtrlAltT);
  Chord({kKeyCtrl, kKeyAlt, kKeyT});
  DeliverPosted();
  ASSERT_TRUE(Core.RunMacroThread());
  EXPECT_EQ(Chord({kKeyCtrl, kKeyAlt, ' '}), kKeyPassed);
  Core.ThreadDone(tdRunMacro);
  Includes.Publish({"other.exe"});
  EXPECT_EQ(Chord({kKeyCtrl, kKeyAlt, ' '}), kKeyPassed);
  Includes.Publish({});
  Core.EnabledCommand();
  EXPECT_EQ(Chord({kKeyCtrl, kKeyAlt, ' '}), kKeyPassed);
  Core.EnabledCommand();
  Core.SetPickerShortCut(0);
  EXPECT_EQ(Chord({kKeyCtrl, kKeyAlt, ' '}), kKeyUsed);
  ASSERT_EQ(Ports.Posted.size(), 1u) << "switched off: the keys run the macro that holds them";
  EXPECT_EQ(Ports.Posted[0], std::make_pair(c, 0));
  EXPECT_EQ(Ports.PickerFromTray.size(), 1u);
}

TEST_F(ResidentCore, TrayPickerAsksTheIncludeListAboutThePreviousProgramAndNotDuringTheEditor) {
  AddMacro(AddCatagory("Web"), "bold", kCtrlAltT);
  Includes.Publish({"editor.exe"});
  Ports.Foreground = "other.exe";  // the menu's owner is in front, not the program
  Core.PickerCommand();
  EXPECT_EQ(Ports.PickerFromTray, std::vector<bool>{true});
  Core.ThreadDone(tdPicker);
  Ports.Previous = "other.exe";
  Core.PickerCommand();
  EXPECT_EQ(Ports.PickerFromTray.size(), 1u);
  Includes.Publish({});
  Core.MacroEditorCommand();
  Core.PickerCommand();
  EXPECT_EQ(Ports.PickerFromTray.size(), 1u) << "the editor's thread may be changing the store";
}

TEST_F(ResidentCore, PickedMacroRunsByItsNameWhereverTheStoreMovedIt) {
  int c = AddCatagory("Web");
  AddMacro(c, "first", 0);
  AddMacro(c, "no shortcut", 0);
  Core.PickerCommand();
  std::shared_ptr<const TMacroIndex> shown = Ports.PickerIndex;
  ASSERT_TRUE(shown);
  Core.PickerRun(EntryOf(*shown, "no shortcut"));
  EXPECT_EQ(Ports.Runs, std::vector<std::string>{"no shortcut"});
  Core.PickerRun(EntryOf(*shown, "first"));
  EXPECT_EQ(Ports.Runs.size(), 1u) << "one run at a time";
  Core.ThreadDone(tdRunMacro);
  Core.ThreadDone(tdPicker);
  Core.PickerRun(EntryOf(*shown, "first"));
  EXPECT_EQ(Ports.Runs.size(), 1u) << "a closed picker's late choice is dropped";

  // The store changes while the picker is open: the macro is found where it went.
  Core.PickerCommand();
  shown = Ports.PickerIndex;
  Store.RemoveMacro(c, 0);
  Core.PickerRun(EntryOf(*shown, "no shortcut"));
  EXPECT_EQ(Ports.Runs.back(), "no shortcut");
  Core.ThreadDone(tdRunMacro);
  Core.PickerRun(EntryOf(*shown, "first"));  // gone
  Core.PickerRun(-1);
  Core.PickerRun(99);
  EXPECT_EQ(Ports.Runs.size(), 2u);
  Core.ThreadDone(tdPicker);
  Core.PickerCommand();
  EXPECT_EQ(Ports.PickerIndex->Entries().size(), 1u) << "a new index for the changed store";
}
