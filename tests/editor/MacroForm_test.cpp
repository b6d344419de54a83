#include "editor/MacroForm.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "common/TempFolder.h"
#include "store/Catagories.h"
#include "store/ShortCut.h"
#include "store/StoreText.h"

namespace {

// Every record text distinct, so that a wrong link shows.
TMacro FullMacro(std::uint8_t type) {
  TMacro macro = NewMacro();
  SetTitle(macro, "Full");
  macro.MacroType = type;
  macro.ShortCut = 0x4054;
  for (int text = 0; text < kMacroTextCount; ++text)
    SetMacroText(macro, static_cast<TMacroText>(text), std::string("rec-") + MacroTextName(static_cast<TMacroText>(text)));
  return macro;
}

// Every form text distinct, named after its field number.
TMacroForm FullForm(int typeIndex) {
  TMacroForm form;
  form.Title = "Form";
  form.ShortCutValue = 0xC041;
  form.ShortCutText = "Ctrl+Alt+A";
  for (int field = 0; field < kFormTextCount; ++field) form.Texts[field] = "f" + std::to_string(field);
  form.TypeIndex = typeIndex;
  return form;
}

std::string Text(const TMacro& macro, TMacroText field) { return GetMacroText(macro, field); }

std::string F(TFormText field) { return "f" + std::to_string(field); }

struct TStoredKind {
  std::uint8_t Type;
  // FirstLine, LastLine, Line1, Line2, Line3, Replace1, With1, Replace2, With2, Replace3, With3
  std::vector<std::string> Texts;
};

const std::vector<TStoredKind>& StoredKinds() {
  static const std::vector<TStoredKind> kinds = {
      {mtBlockMode,
       {F(ftBlockFirst), F(ftBlockLast), F(ftLineLine), "", "", F(ftLineReplace1), F(ftLineWith1),
        F(ftLineReplace2), F(ftLineWith2), F(ftLineReplace3), F(ftLineWith3)}},
      {mtLineMode,
       {F(ftLineFirst), F(ftLineLast), F(ftBlockLine1), F(ftBlockLine2), F(ftBlockLine3),
        F(ftBlockReplace1), F(ftBlockWith1), F(ftBlockReplace2), F(ftBlockWith2),
        F(ftBlockReplace3), F(ftBlockWith3)}},
      {mtRunProgram, {"", "", F(ftRunFile), F(ftRunPath), F(ftRunParameters), "", "", "", "", "", ""}},
      {mtStripTags, {"", "", F(ftStripExpr), "", "", "", "", "", "", "", ""}},
      {mtChangeCase, std::vector<std::string>(kMacroTextCount)},
      {mtTidyHTML, std::vector<std::string>(kMacroTextCount)},
      {mtEmail, std::vector<std::string>(kMacroTextCount)},
  };
  return kinds;
}

}  // namespace

TEST(MacroFormFields, ANewFormShowsBlockModeNoShortCutAndTheProposedExpression) {
  TMacroForm form;
  EXPECT_EQ(form.TypeIndex, 0);
  EXPECT_EQ(form.PrevTypeIndex, 0);
  EXPECT_EQ(form.ShortCutText, "none");
  EXPECT_EQ(form.Texts[ftStripExpr], "<(.*?)>");
  EXPECT_EQ(form.CatagoryIndex, -1);
  EXPECT_EQ(form.MacroIndex, -1);
  EXPECT_EQ(std::string(kMacroTypeItems[2]), "Run Program...");
}

TEST(MacroFormFields, StoringWritesTheSelectedKindsFieldsAndEmptiesTheRest) {
  for (const TStoredKind& kind : StoredKinds()) {
    SCOPED_TRACE(MacroTypeName(kind.Type));
    TMacro macro = FullMacro(mtEmail);
    StoreMacroForm(FullForm(kind.Type), macro, kUtf8CodePage);
    EXPECT_EQ(macro.MacroType, kind.Type);
    EXPECT_EQ(GetTitle(macro), "Form");
    EXPECT_EQ(macro.ShortCut, 0xC041);
    for (int text = 0; text < kMacroTextCount; ++text)
      EXPECT_EQ(Text(macro, static_cast<TMacroText>(text)), kind.Texts[text])
          << MacroTextName(static_cast<TMacroText>(text));
  }
}

TEST(MacroFormFields, LoadingFillsOnlyTheRecordKindsFields) {
  for (const TStoredKind& kind : StoredKinds()) {
    SCOPED_TRACE(MacroTypeName(kind.Type));
    TMacroForm form;
    LoadMacroForm(form, FullMacro(kind.Type), 2, 5, kUtf8CodePage);
    EXPECT_EQ(form.TypeIndex, kind.Type);
    EXPECT_EQ(form.Title, "Full");
    EXPECT_EQ(form.ShortCutValue, 0x4054);
    EXPECT_EQ(form.ShortCutText, "Ctrl+T");
    EXPECT_EQ(form.CatagoryIndex, 2);
    EXPECT_EQ(form.MacroIndex, 5);
    // A load followed by a store gives back what the kind uses.
    TMacro stored = NewMacro();
    StoreMacroForm(form, stored, kUtf8CodePage);
    for (int text = 0; text < kMacroTextCount; ++text) {
      std::string expected = kind.Texts[text].empty()
                                 ? ""
                                 : std::string("rec-") + MacroTextName(static_cast<TMacroText>(text));
      EXPECT_EQ(Text(stored, static_cast<TMacroText>(text)), expected);
    }
    // Fields of other kinds stay as they were (empty, the expression proposed).
    int filled = 0;
    for (int field = 0; field < kFormTextCount; ++field)
      if (!form.Texts[field].empty() && form.Texts[field] != "<(.*?)>") ++filled;
    int used = 0;
    for (const std::string& text : kind.Texts) used += text.empty() ? 0 : 1;
    EXPECT_EQ(filled, used);
  }
}

TEST(MacroFormFields, UnknownTypeSelectsNothingAndStoresAsBlockModeWithALineTemplate) {
  TMacroForm form;
  LoadMacroForm(form, FullMacro(7), 0, 0, kUtf8CodePage);
  EXPECT_EQ(form.TypeIndex, -1);
  for (int field = 0; field < ftStripExpr; ++field) EXPECT_EQ(form.Texts[field], "");
  TMacro macro = FullMacro(7);
  StoreMacroForm(form, macro, kUtf8CodePage);
  EXPECT_EQ(macro.MacroType, mtBlockMode);
  EXPECT_EQ(Text(macro, mxLine1), "{line}");
  EXPECT_EQ(Text(macro, mxFirstLine), "");
}

TEST(MacroFormFields, EmptyLineTemplateOfBlockAndLineModeIsStoredAsLineTag) {
  TMacroForm form;
  TMacro macro = NewMacro();
  StoreMacroForm(form, macro, kUtf8CodePage);
  EXPECT_EQ(Text(macro, mxLine1), "{line}");

  ChangeKind(form, mtLineMode);
  StoreMacroForm(form, macro, kUtf8CodePage);
  EXPECT_EQ(Text(macro, mxLine1), "{line}");
  EXPECT_EQ(Text(macro, mxLine2), "") << "only the first line template gets the tag";

  ChangeKind(form, mtRunProgram);
  StoreMacroForm(form, macro, kUtf8CodePage);
  EXPECT_EQ(Text(macro, mxLine1), "") << "a program file is never invented";
}

TEST(MacroFormFields, TitleAndReplaceTextsAreRefusedNotCut) {
  TMacroForm form = FullForm(mtBlockMode);
  form.Title = std::string(26, 't');
  TMacro macro = FullMacro(mtEmail);
  const TMacro before = macro;
  EXPECT_THROW(StoreMacroForm(form, macro, kUtf8CodePage), EStoreText);
  form.Title = std::string(25, 't');
  form.Texts[ftLineReplace2] = std::string(76, 'r');
  EXPECT_THROW(StoreMacroForm(form, macro, kUtf8CodePage), EStoreText);
  EXPECT_EQ(std::memcmp(&macro, &before, sizeof macro), 0) << "a refused form leaves the record alone";
  form.Texts[ftLineReplace2] = std::string(75, 'r');
  StoreMacroForm(form, macro, kUtf8CodePage);
  EXPECT_EQ(GetTitle(macro), std::string(25, 't'));
  EXPECT_EQ(Text(macro, mxReplace2), std::string(75, 'r'));
}

TEST(MacroFormFields, CaptionCarriesTheRecordsTitle) {
  TMacro macro = NewMacro();
  EXPECT_EQ(MacroFormCaption(macro, kUtf8CodePage), "Edit Macro 'untitled'");
  SetTitle(macro, "100% 'bold'");
  EXPECT_EQ(MacroFormCaption(macro, kUtf8CodePage), "Edit Macro '100% 'bold''");
}

// Templates over 1023 characters: refused with the field's label, never cut.
class MacroFormTooLong : public ::testing::Test {
 protected:
  TTempFolder Folder;
  TCatagories Store{Folder.File("Macros")};
};

TEST_F(MacroFormTooLong, ExactlyTheBufferCapacityIsStored) {
  TMacroForm form = FullForm(mtLineMode);
  form.Texts[ftBlockLine3] = std::string(1023, 'x');
  EXPECT_EQ(ValidateMacroForm(form, Store), "");
  TMacro macro = NewMacro();
  StoreMacroForm(form, macro, kUtf8CodePage);
  EXPECT_EQ(Text(macro, mxLine3), std::string(1023, 'x'));
}

TEST_F(MacroFormTooLong, OneMoreIsRefusedNamingTheFieldAndTheRecordIsUntouched) {
  struct TCase {
    int Type;
    TFormText Field;
    const char* Label;
  };
  const TCase cases[] = {{mtBlockMode, ftBlockFirst, "template 'First line'"},
                         {mtBlockMode, ftLineLine, "template 'Line'"},
                         {mtLineMode, ftLineLast, "template 'Last line'"},
                         {mtLineMode, ftBlockLine2, "template 'Line 2'"},
                         {mtRunProgram, ftRunParameters, "field 'Parameters'"},
                         {mtStripTags, ftStripExpr, "field 'Expression'"}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Label);
    TMacroForm form = FullForm(c.Type);
    form.Texts[c.Field] = std::string(1024, 'x');
    std::string message = ValidateMacroForm(form, Store);
    EXPECT_NE(message.find(c.Label), std::string::npos) << message;
    EXPECT_NE(message.find("1024"), std::string::npos) << message;
    EXPECT_NE(message.find("1023"), std::string::npos) << message;

    TMacro macro = FullMacro(mtEmail);
    TMacro before = macro;
    try {
      StoreMacroForm(form, macro, kUtf8CodePage);
      ADD_FAILURE() << "a 1024-character template was stored";
    } catch (const EStoreText& error) {
      EXPECT_NE(std::string(error.what()).find(c.Label), std::string::npos);
    }
    EXPECT_EQ(std::memcmp(&macro, &before, sizeof macro), 0);
  }
}

TEST_F(MacroFormTooLong, LongTextsOfAnotherKindDoNotStopOk) {
  TMacroForm form = FullForm(mtStripTags);
  form.Texts[ftBlockFirst] = std::string(5000, 'x');
  form.Texts[ftRunFile] = std::string(5000, 'x');
  EXPECT_EQ(ValidateMacroForm(form, Store), "");
  TMacro macro = NewMacro();
  StoreMacroForm(form, macro, kUtf8CodePage);
  EXPECT_EQ(Text(macro, mxFirstLine), "");
}

TEST_F(MacroFormTooLong, ComesAfterTheShortCutChecks) {
  TMacroForm form = FullForm(mtBlockMode);
  form.Texts[ftBlockFirst] = std::string(2000, 'x');
  form.ShortCutText = "none";
  EXPECT_EQ(ValidateMacroForm(form, Store), "Please specify a shortcut for this macro!");
}

class MacroFormChecks : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Store.AddCatagory("First"), 0);
    ASSERT_EQ(Store.AddCatagory("Second"), 1);
    Store.AddMacro(0, Macro("Bold", 0x4042));
    Store.AddMacro(0, Macro("Italic", 0x4049));
    Store.AddMacro(1, Macro("Plain", 0x4050));
    Store.AddMacro(1, Macro("Also italic", 0x4049));
  }
  static TMacro Macro(const std::string& title, std::uint16_t shortCut) {
    TMacro macro = NewMacro();
    SetTitle(macro, title);
    macro.ShortCut = shortCut;
    return macro;
  }
  TMacroForm Form(std::uint16_t shortCut, int catagory = -1, int macro = -1) const {
    TMacroForm form;
    form.Title = "New";
    form.ShortCutValue = shortCut;
    form.ShortCutText = "something";
    form.CatagoryIndex = catagory;
    form.MacroIndex = macro;
    return form;
  }

  TTempFolder Folder;
  TCatagories Store{Folder.File("Macros")};
};

TEST_F(MacroFormChecks, EachCheckInItsOrder) {
  TMacroForm form = Form(kToggleShortCut);
  form.Title = "";
  form.ShortCutText = "none";
  EXPECT_EQ(ValidateMacroForm(form, Store), "Please enter a title for this macro!");
  form.Title = "   ";  // blanks are a title
  EXPECT_EQ(ValidateMacroForm(form, Store), "Please specify a shortcut for this macro!");
  form.ShortCutText = "";
  EXPECT_EQ(ValidateMacroForm(form, Store), "Please specify a shortcut for this macro!");
  form.ShortCutText = "Shift+Ctrl+Alt+Q";
  EXPECT_EQ(ValidateMacroForm(form, Store),
            "This shortcut is reserved for enabling / disabling Zarvel!");
  form.ShortCutValue = 0x4042;
  EXPECT_EQ(ValidateMacroForm(form, Store), "The specified shortcut is already in use by macro 'Bold' in catagory 'First'");
  form.ShortCutValue = 0x4044;
  EXPECT_EQ(ValidateMacroForm(form, Store), "");
}

// Keys that would take a key from every program, or never fire, are refused
// with the reason; keys that type nothing may stand alone.
TEST_F(MacroFormChecks, KeysThatAreNoShortCutAreRefusedWithTheirReason) {
  auto problem = [&](int shortCut) { return ValidateMacroForm(Form(static_cast<std::uint16_t>(shortCut)), Store); };
  for (int modifierOnly : {0x4011, 0x8012, 0x2010, 0xC011, 0x40A2, 0x80A5})
    EXPECT_EQ(problem(modifierOnly), "Shift, Ctrl and Alt alone never run a macro: please add another key.")
        << modifierOnly;
  EXPECT_EQ(problem('A'), "\"A\" would take that key from every program: please hold Ctrl or Alt with it.");
  for (int bare : {int('Z'), int('0'), int('9'), 96, 105, 32, 13, 9, 8, 46, 37, 40, kShiftBit | 'A', kShiftBit | 13})
    EXPECT_NE(problem(bare).find("would take that key from every program"), std::string::npos) << bare;
  EXPECT_EQ(problem(kCtrlBit | 'V'),
            "\"Ctrl+V\" selects, copies, pastes, cuts, undoes or redoes in every program: please choose another "
            "shortcut.");
  for (char key : {'A', 'C', 'X', 'Y', 'Z'})
    EXPECT_NE(problem(kCtrlBit | key).find("copies, pastes"), std::string::npos) << key;
  // Allowed: keys that type nothing alone, and the same letters with Alt or Shift added.
  for (int fine : {112, 123, 135, 27, 45, 36, 33, 19, kShiftBit | 112, kCtrlBit | 'D', kAltBit | 'A',
                             kAltBit | 32, kCtrlBit | 13, kCtrlBit | kAltBit | 'C', kShiftBit | kCtrlBit | 'Z'})
    EXPECT_EQ(problem(fine), "") << fine;
  // The toggle's own message stays first.
  EXPECT_EQ(problem(kToggleShortCut), "This shortcut is reserved for enabling / disabling Zarvel!");
}

TEST_F(MacroFormChecks, AnUnnamedKeyWithAValueStillCountsAsNoShortCut) {
  TMacroForm form = Form(0x00FF);
  form.ShortCutText = "";
  EXPECT_EQ(ValidateMacroForm(form, Store), "Please specify a shortcut for this macro!");
}

TEST_F(MacroFormChecks, TheMacroItselfIsSkippedOnlyAtItsOwnIndexes) {
  EXPECT_EQ(ValidateMacroForm(Form(0x4042, 0, 0), Store), "") << "Bold keeps its own shortcut";
  // The same macro index in another category is another macro.
  EXPECT_EQ(ValidateMacroForm(Form(0x4042, 1, 0), Store),
            "The specified shortcut is already in use by macro 'Bold' in catagory 'First'");
  EXPECT_EQ(ValidateMacroForm(Form(0x4042, 0, 1), Store),
            "The specified shortcut is already in use by macro 'Bold' in catagory 'First'");
}

TEST_F(MacroFormChecks, TheFirstOtherUserInStoreOrderIsNamedWithItsCatagory) {
  EXPECT_EQ(ValidateMacroForm(Form(0x4049), Store),
            "The specified shortcut is already in use by macro 'Italic' in catagory 'First'");
  EXPECT_EQ(ValidateMacroForm(Form(0x4049, 0, 1), Store),
            "The specified shortcut is already in use by macro 'Also italic' in catagory 'Second'");
  EXPECT_EQ(ValidateMacroForm(Form(0x4050), Store),
            "The specified shortcut is already in use by macro 'Plain' in catagory 'Second'");
}

TEST_F(MacroFormChecks, EachRefusalNamesTheControlToCorrect) {
  TMacroForm form = Form(0x4042);
  form.Title = "";
  EXPECT_EQ(CheckMacroForm(form, Store).Focus, ffTitle);
  form.Title = "New";
  EXPECT_EQ(CheckMacroForm(form, Store).Focus, ffShortCut) << "a shortcut in use";
  form.ShortCutValue = 0x4044;
  form.TypeIndex = mtLineMode;
  form.Texts[ftBlockLine2] = std::string(1024, 'x');
  EXPECT_EQ(CheckMacroForm(form, Store).Focus, ftBlockLine2);
  form.Texts[ftBlockLine2].clear();
  TFormProblem none = CheckMacroForm(form, Store);
  EXPECT_EQ(none.Message, "");
  EXPECT_EQ(none.Focus, ffNone);
}

// The Strip tags expression is compiled at OK as a run compiles it.
TEST_F(MacroFormChecks, AStripExpressionThatDoesNotCompileIsRefusedWithTheEnginesPosition) {
  TMacroForm form = Form(0x4044);
  ChangeKind(form, mtStripTags);
  EXPECT_EQ(CheckMacroForm(form, Store).Message, "") << "the default expression compiles";
  form.Texts[ftStripExpr] = "<(b";
  TFormProblem problem = CheckMacroForm(form, Store);
  EXPECT_EQ(problem.Focus, ftStripExpr);
  EXPECT_EQ(problem.Message.rfind("The expression does not compile: ", 0), 0u) << problem.Message;
  EXPECT_NE(problem.Message.find("(pos 3)"), std::string::npos) << problem.Message;
  form.Texts[ftStripExpr] = "";
  EXPECT_NE(CheckMacroForm(form, Store).Message, "") << "an empty expression cannot run either";
  // The same expression in the field of a kind not chosen stops nothing.
  form.Texts[ftStripExpr] = "<(b";
  ChangeKind(form, mtChangeCase);
  EXPECT_EQ(CheckMacroForm(form, Store).Message, "");
  // The shortcut is judged first.
  ChangeKind(form, mtStripTags);
  form.ShortCutValue = 0x4042;
  EXPECT_EQ(CheckMacroForm(form, Store).Focus, ffShortCut);
}

TEST(StripExpression, LineTokensGoInAndVariablesWaitForTheRun) {
  EXPECT_EQ(StripExpressionProblem("<(.*?)>"), "");
  EXPECT_EQ(StripExpressionProblem("a{n}b{tab}c"), "");
  EXPECT_NE(StripExpressionProblem("[a{n}"), "") << "tokens do not hide an error";
  // Their texts come from the prompt: not judged before.
  for (const char* later : {"(</?{$tag=b}", "({file:f}", "{!(!}", "({image:p}", "({width:p}"})
    EXPECT_EQ(StripExpressionProblem(later), "") << later;
}

TEST(MacroFormChanges, AnyFieldTheKindOrTheShortCutCounts) {
  const TMacroForm opened = FullForm(mtBlockMode);
  EXPECT_FALSE(MacroFormChanged(opened, opened));
  TMacroForm now = opened;
  now.Texts[ftRunPath] += "x";  // a kind not shown
  EXPECT_TRUE(MacroFormChanged(opened, now));
  now = opened;
  ChangeKind(now, mtEmail);
  EXPECT_TRUE(MacroFormChanged(opened, now));
  now = opened;
  CaptureShortCut(now, 'K', false, true, false);
  EXPECT_TRUE(MacroFormChanged(opened, now));
  now = opened;
  now.Title = "Other";
  EXPECT_TRUE(MacroFormChanged(opened, now));
}

TEST_F(MacroFormChecks, ANewCatagoryNameIsRefusedWithTheReason) {
  EXPECT_EQ(NewCatagoryNameProblem(Store, "Third"), "");
  EXPECT_EQ(NewCatagoryNameProblem(Store, ""), "Please enter a name for the catagory.");
  EXPECT_EQ(NewCatagoryNameProblem(Store, "second"),
            "A catagory named 'second' already exists. Please choose another name.")
      << "names compare as file names do";
  EXPECT_NE(NewCatagoryNameProblem(Store, "LPT1").find("devices"), std::string::npos);
  EXPECT_NE(NewCatagoryNameProblem(Store, "a/b"), "");
  EXPECT_NE(NewCatagoryNameProblem(Store, std::string(256, 'n')).find("255"), std::string::npos);
}

TEST(MacroFormKindChange, BlockAndLineCarryTheirTemplatesOverButNotTheReplacePairs) {
  TMacroForm form = FullForm(0);
  ChangeKind(form, mtLineMode);
  EXPECT_EQ(form.Texts[ftLineFirst], F(ftBlockFirst));
  EXPECT_EQ(form.Texts[ftBlockLine1], F(ftLineLine));
  EXPECT_EQ(form.Texts[ftLineLast], F(ftBlockLast));
  EXPECT_EQ(form.Texts[ftBlockLine2], F(ftBlockLine2));
  EXPECT_EQ(form.Texts[ftBlockReplace1], F(ftBlockReplace1));
  EXPECT_EQ(form.PrevTypeIndex, mtLineMode);

  form.Texts[ftLineFirst] = "first";
  form.Texts[ftBlockLine1] = "one";
  form.Texts[ftLineLast] = "last";
  ChangeKind(form, mtBlockMode);
  EXPECT_EQ(form.Texts[ftBlockFirst], "first");
  EXPECT_EQ(form.Texts[ftLineLine], "one");
  EXPECT_EQ(form.Texts[ftBlockLast], "last");
  EXPECT_EQ(form.Texts[ftLineWith1], F(ftLineWith1));
}

TEST(MacroFormKindChange, EveryOtherChangeCopiesNothing) {
  const TMacroForm original = FullForm(0);
  // The kind shown first, then the kinds chosen: only a direct step between
  // block and line copies, so a detour through another kind copies nothing.
  const std::vector<std::vector<int>> roads = {
      {mtBlockMode, mtRunProgram, mtBlockMode}, {mtBlockMode, mtRunProgram, mtLineMode},
      {mtLineMode, mtStripTags, mtBlockMode},   {mtEmail, mtLineMode},
      {-1, mtLineMode},                         {mtBlockMode, mtBlockMode},
      {mtLineMode, mtLineMode}};
  for (const std::vector<int>& road : roads) {
    TMacroForm form = original;
    form.TypeIndex = form.PrevTypeIndex = road.front();
    for (std::size_t step = 1; step < road.size(); ++step) ChangeKind(form, road[step]);
    for (int field = 0; field < kFormTextCount; ++field)
      EXPECT_EQ(form.Texts[field], original.Texts[field]) << "field " << field << " from " << road.front();
    EXPECT_EQ(form.TypeIndex, road.back());
  }
}

TEST(MacroFormShortCut, CaptureTakesKeyAndModifiers) {
  TMacroForm form;
  CaptureShortCut(form, 'T', false, true, true);
  EXPECT_EQ(form.ShortCutValue, 0xC054);
  EXPECT_EQ(form.ShortCutText, "Ctrl+Alt+T");
  CaptureShortCut(form, 9, true, true, false);
  EXPECT_EQ(form.ShortCutValue, 0x6009);
  EXPECT_EQ(form.ShortCutText, "Shift+Ctrl+Tab");
  CaptureShortCut(form, 'Q', true, true, true);
  EXPECT_EQ(form.ShortCutValue, kToggleShortCut);
}

TEST(MacroFormShortCut, KeyCodeAbove255GivesNoShortCut) {
  TMacroForm form;
  CaptureShortCut(form, 255, false, false, false);
  EXPECT_EQ(form.ShortCutValue, 255);
  CaptureShortCut(form, 256, true, true, true);
  EXPECT_EQ(form.ShortCutValue, 0);
  EXPECT_EQ(form.ShortCutText, "");
}

TEST(MacroFormShortCut, ModifierAloneIsNamedTwice) {
  SetSystemKeyNameLookup([](std::uint8_t key) { return key == 17 ? std::string("Ctrl") : std::string(); });
  TMacroForm form;
  CaptureShortCut(form, 17, false, true, false);
  SetSystemKeyNameLookup(nullptr);
  EXPECT_EQ(form.ShortCutText, "Ctrl+Ctrl");
  EXPECT_EQ(form.ShortCutValue, 0x4011);
}

TEST(MacroFormEditText, TagsBecomeTabsAndLineBreaksAndComeBackUnchanged) {
  const std::string field = "a{tab}b{n}c";
  std::string editor = FieldToEditorText(field);
  EXPECT_EQ(editor, "a\tb\r\nc");
  EXPECT_EQ(EditorTextToField(editor), field);
}

TEST(MacroFormEditText, OnlyExactTagsAndWholeLineBreaksAreConverted) {
  EXPECT_EQ(FieldToEditorText("{N}{Tab}{n{tab}}"), "{N}{Tab}{n\t}");
  EXPECT_EQ(EditorTextToField("a\rb\nc\n\r\r\r\nd"), "a\rb\nc\n\r\r{n}d");
  EXPECT_EQ(EditorTextToField("\t\t"), "{tab}{tab}");
  // Text the user typed that looks like a tag stays a tag.
  EXPECT_EQ(EditorTextToField("{n}"), "{n}");
}

TEST(MacroFormShortCut, AltGrNoteNamesTheCharacterOfACtrlAltShortCut) {
  EXPECT_EQ(AltGrNote(kCtrlBit | kAltBit | 'C', 0x107),
            "On this keyboard layout AltGr+C types \"\xC4\x87\" (U+0107). AltGr keeps typing it; this shortcut "
            "needs Ctrl with the left Alt.");
  EXPECT_NE(AltGrNote(kShiftBit | kCtrlBit | kAltBit | 'E', 0x20AC).find("AltGr+Shift+E types \"\xE2\x82\xAC\" (U+20AC)"),
            std::string::npos);
  EXPECT_NE(AltGrNote(kCtrlBit | kAltBit | 'Q', 0x1F600).find("\xF0\x9F\x98\x80\" (U+1F600)"), std::string::npos);
  EXPECT_NE(AltGrNote(kCtrlBit | kAltBit | '2', '@').find("\"@\" (U+0040)"), std::string::npos);
  // No note without both modifiers, or for nothing typed or a control character.
  EXPECT_EQ(AltGrNote(kCtrlBit | 'C', 0x107), "");
  EXPECT_EQ(AltGrNote(kAltBit | 'C', 0x107), "");
  for (std::uint32_t none : {0u, 0x03u, 0x1Bu, 0x7Fu, 0x85u, 0xD800u})
    EXPECT_EQ(AltGrNote(kCtrlBit | kAltBit | 'C', none), "") << none;
}

TEST_F(MacroFormChecks, ThePickersShortCutIsRefusedForAMacroAndAMacrosForThePicker) {
  constexpr std::uint16_t kCtrlAltSpace = 0xC020;
  EXPECT_EQ(ValidateMacroForm(Form(kCtrlAltSpace), Store, kCtrlAltSpace), kPickerShortCutTaken);
  EXPECT_EQ(ValidateMacroForm(Form(kCtrlAltSpace), Store, 0), "") << "the picker's shortcut switched off";
  EXPECT_EQ(ValidateMacroForm(Form(0x4042, 0, 0), Store, kCtrlAltSpace), "") << "other keys as before";

  EXPECT_EQ(PickerShortCutProblem(kCtrlAltSpace, ""), "");
  EXPECT_EQ(PickerShortCutProblem(0x4042, "Bold"), "The specified shortcut is already in use by macro 'Bold'");
  EXPECT_EQ(PickerShortCutProblem(0x4043, ""), ShortCutProblem(0x4043)) << "Ctrl+C copies everywhere";
  EXPECT_NE(PickerShortCutProblem(0x0020, ""), "") << "Space alone types";
  EXPECT_NE(PickerShortCutProblem(0x4011, ""), "") << "Ctrl alone";
  EXPECT_EQ(PickerShortCutProblem(kToggleShortCut, ""), "This shortcut is reserved for enabling / disabling Zarvel!");
}

// The form speaks UTF-8; an ANSI store (Windows-1252 here) holds bytes of its
// code page, a marked store UTF-8. Limits count the stored bytes.
class MacroFormStoreText : public ::testing::Test {
 protected:
  static constexpr unsigned kAnsi = 1252;
  static std::string Marked(const std::string& folder) {
    std::filesystem::create_directories(folder);
    WriteStoreEncoding(folder, TStoreEncoding::Utf8);
    return folder;
  }
  TMacroForm Form(const std::string& title) const {
    TMacroForm form = FullForm(mtLineMode);
    form.Title = title;
    return form;
  }
  TTempFolder Folder;
  TCatagories Ansi{Folder.File("Ansi")};
  TCatagories Utf8{Marked(Folder.File("Utf8"))};
};

const std::string kArrow = "\xE2\x86\x92";       // →
const std::string kResume = "R\xC3\xA9sum\xC3\xA9";  // Résumé
const std::string kJapan = "\xE6\x97\xA5";        // 日

TEST_F(MacroFormStoreText, RecordsLoadAsUtf8AndStoreBackByteForByte) {
  TMacro ansi = FullMacro(mtLineMode);
  SetTitle(ansi, "R\xE9sum\xE9");
  SetMacroText(ansi, mxLine2, "<\xE9>");
  TMacroForm form;
  LoadMacroForm(form, ansi, 0, 0, kAnsi);
  EXPECT_EQ(form.Title, kResume);
  EXPECT_EQ(form.Texts[ftBlockLine2], "<\xC3\xA9>");
  EXPECT_EQ(MacroFormCaption(ansi, kAnsi), "Edit Macro '" + kResume + "'");
  TMacro stored = NewMacro();
  StoreMacroForm(form, stored, kAnsi);
  EXPECT_EQ(GetTitle(stored), GetTitle(ansi));
  for (int text = 0; text < kMacroTextCount; ++text)
    EXPECT_EQ(Text(stored, TMacroText(text)), Text(ansi, TMacroText(text))) << MacroTextName(TMacroText(text));

  TMacro utf8 = FullMacro(mtLineMode);
  SetMacroText(utf8, mxLine2, kArrow);
  LoadMacroForm(form, utf8, 0, 0, kUtf8CodePage);
  EXPECT_EQ(form.Texts[ftBlockLine2], kArrow);
  LoadMacroForm(form, utf8, 0, 0, kAnsi);
  EXPECT_EQ(form.Texts[ftBlockLine2], "\xC3\xA2\xE2\x80\xA0\xE2\x80\x99") << "the bytes as 1252 reads them";
}

TEST_F(MacroFormStoreText, AnAnsiStoreRefusesWhatItsCodePageCannotHoldOnTheField) {
  TMacroForm form = Form("Arrow");
  form.Texts[ftBlockLine1] = "{line} " + kArrow + " " + kJapan;
  TFormProblem problem = CheckMacroForm(form, Ansi);
  EXPECT_EQ(problem.Focus, ftBlockLine1);
  EXPECT_NE(problem.Message.find("template 'Line 1'"), std::string::npos) << problem.Message;
  EXPECT_NE(problem.Message.find("'" + kArrow + "' (U+2192)"), std::string::npos) << problem.Message;
  EXPECT_NE(problem.Message.find("\"Store macros as Unicode...\""), std::string::npos) << problem.Message;
  TMacro macro = NewMacro();
  EXPECT_THROW(StoreMacroForm(form, macro, kAnsi), EStoreText);

  EXPECT_EQ(CheckMacroForm(form, Utf8).Message, "") << "a UTF-8 store holds every character";
  StoreMacroForm(form, macro, kUtf8CodePage);
  EXPECT_EQ(Text(macro, mxLine1), form.Texts[ftBlockLine1]);

  form = Form("Caf\xC3\xA9 " + kArrow);
  EXPECT_EQ(CheckMacroForm(form, Ansi).Focus, ffTitle);
  form.Title.clear();
  EXPECT_EQ(CheckMacroForm(form, Ansi).Message, "Please enter a title for this macro!") << "still the first check";
}

TEST_F(MacroFormStoreText, LimitsCountTheStoredBytes) {
  std::string e25;
  for (int i = 0; i < 25; ++i) e25 += "\xC3\xA9";
  EXPECT_EQ(CheckMacroForm(Form(e25), Ansi).Message, "") << "25 characters, 25 bytes of 1252";
  TFormProblem problem = CheckMacroForm(Form(e25), Utf8);
  EXPECT_EQ(problem.Focus, ffTitle);
  EXPECT_NE(problem.Message.find("This title is too long: 25 bytes at most, '"), std::string::npos) << problem.Message;
  EXPECT_NE(problem.Message.find("' takes 50."), std::string::npos) << problem.Message;
  std::string resume = kResume + " " + kArrow + " \xE2\x9C\x93";
  EXPECT_EQ(CheckMacroForm(Form(resume), Utf8).Message, "");

  TMacroForm form = Form("Fine");
  form.Texts[ftBlockWith2] = std::string(72, 'w') + kJapan;  // 75 bytes
  EXPECT_EQ(CheckMacroForm(form, Utf8).Message, "");
  form.Texts[ftBlockWith2] += "w";
  problem = CheckMacroForm(form, Utf8);
  EXPECT_EQ(problem.Focus, ftBlockWith2);
  EXPECT_NE(problem.Message.find("This text 'With 2' is too long: 75 bytes at most"), std::string::npos)
      << problem.Message;
  EXPECT_NE(problem.Message.find("\xE2\x80\xA6' takes 76."), std::string::npos) << "a long text is shown by its start";
}

TEST_F(MacroFormStoreText, TheExpressionIsCompiledInTheStoresForm) {
  TMacroForm form = Form("Strip");
  ChangeKind(form, mtStripTags);
  form.Texts[ftStripExpr] = "[\xC3\xBC-\xC3\xA9]";  // [ü-é]: backwards in 1252, two bytes each in UTF-8
  EXPECT_EQ(CheckMacroForm(form, Ansi).Focus, ftStripExpr);
  EXPECT_EQ(CheckMacroForm(form, Utf8).Message, "");
}

TEST_F(MacroFormStoreText, AnotherMacrosTitleIsNamedInUtf8) {
  TMacro other = NewMacro();
  SetTitle(other, "Caf\xE9");
  other.ShortCut = 0x4042;
  ASSERT_EQ(Ansi.AddCatagory("First"), 0);
  Ansi.AddMacro(0, other);
  TMacroForm form = Form("Mine");
  form.ShortCutValue = 0x4042;
  EXPECT_EQ(CheckMacroForm(form, Ansi).Message,
            "The specified shortcut is already in use by macro 'Caf\xC3\xA9' in catagory 'First'");
}
