#pragma once
// The values of the macro properties dialog apart from its windows: what
// each field holds, how a record fills them and how they go back into a
// record, the kind change, the shortcut capture and the checks of OK. The
// dialog only moves texts between these values and its controls. The form's
// texts are UTF-8 in every kind of folder; a record holds them in its
// store's code page (StoreText.h), which loading and storing are given.

#include <cstdint>
#include <string>

#include "store/Macro.h"

class TCatagories;

// The text fields of every kind's options. The block group's line and
// replace fields carry "Line" names and the line group's carry "Block"
// names; the names follow the controls.
enum TFormText : int {
  // Block mode options
  ftBlockFirst, ftLineLine, ftBlockLast,
  ftLineReplace1, ftLineWith1, ftLineReplace2, ftLineWith2, ftLineReplace3, ftLineWith3,
  // Line mode options
  ftLineFirst, ftBlockLine1, ftBlockLine2, ftBlockLine3, ftLineLast,
  ftBlockReplace1, ftBlockWith1, ftBlockReplace2, ftBlockWith2, ftBlockReplace3, ftBlockWith3,
  // Run program options
  ftRunFile, ftRunPath, ftRunParameters,
  // Strip tags options
  ftStripExpr,
};
constexpr int kFormTextCount = ftStripExpr + 1;

constexpr const char* kNoShortCutText = "none";
constexpr const char* kDefaultStripExpression = "<(.*?)>";
constexpr const char* kDefaultLineTemplate = "{line}";
constexpr const char* kMacroTypeItems[kMacroTypeCount] = {
    "Text processing: Block mode",       "Text processing: Line mode",
    "Run Program...",                    "Pre-defined function: Strip tags",
    "Pre-defined function: Change case", "Pre-defined function: Tidy HTML",
    "Pre-defined function: Email"};

struct TMacroForm {
  std::string Title;
  int TypeIndex = 0;      // the selected entry of the type list; -1 for none
  int PrevTypeIndex = 0;  // the entry shown before the last kind change
  std::uint16_t ShortCutValue = 0;
  std::string ShortCutText = kNoShortCutText;  // what the shortcut field shows
  int CatagoryIndex = -1;  // the record being edited; -1, -1 for a new one
  int MacroIndex = -1;
  std::string Texts[kFormTextCount];

  TMacroForm() { Texts[ftStripExpr] = kDefaultStripExpression; }
};

// The label of a field as the dialog shows it, without the colon ("Line 1").
std::string FormTextLabel(TFormText field);
// 1023 for the template, program and expression fields, 75 for replace and with
// (bytes of the stored form).
std::size_t FormTextCapacity(TFormText field);
// How messages name a field: "template 'Line 1'", "text 'With 2'", "field 'File'".
std::string FormTextNoun(TFormText field);

// Shows another kind's options: block to line and line to block carry the
// first line, the (first) line template and the last line over; no other
// change copies anything.
void ChangeKind(TMacroForm& form, int typeIndex);

// Fills the form from a record: its kind (through the kind change), title,
// shortcut and the fields of its kind only, each text made UTF-8 from the
// store's code page.
void LoadMacroForm(TMacroForm& form, const TMacro& macro, int catagoryIndex, int macroIndex,
                   unsigned codePage);
// "Edit Macro 'title'", in UTF-8.
std::string MacroFormCaption(const TMacro& macro, unsigned codePage);

// Where the dialog puts the focus for a refused form: the title, the
// shortcut, or (any value from 0) the TFormText field.
enum TFormFocus : int { ffNone = -1, ffTitle = -2, ffShortCut = -3 };

// Why OK cannot close the dialog, and the control to correct; an empty
// message when it can.
struct TFormProblem {
  std::string Message;
  int Focus = ffNone;
};

// The checks of OK, in order: title given, the title's stored form (a
// character the store's code page cannot hold, more than 25 bytes), shortcut
// given, shortcut reserved, the macro picker's shortcut (pickerShortCut; 0
// when the picker has none), a key that is no shortcut (Shift, Ctrl or Alt
// alone; a key that types or edits text without Ctrl or Alt; Ctrl+A, C, V,
// X, Y or Z), shortcut used by another macro (named with its category), each
// text of the chosen kind in its stored form (a character the code page
// cannot hold, more bytes than its field holds; named by its label), then a
// Strip tags expression that does not compile as the run gets it. The store's
// code page comes from the catagories' encoding.
TFormProblem CheckMacroForm(const TMacroForm& form, const TCatagories& catagories,
                            std::uint16_t pickerShortCut = 0);
// Only the message of CheckMacroForm.
std::string ValidateMacroForm(const TMacroForm& form, const TCatagories& catagories,
                              std::uint16_t pickerShortCut = 0);
constexpr const char* kPickerShortCutTaken =
    "This shortcut opens the macro picker: please choose another one, or change the picker's shortcut in "
    "Settings.";

// Why a captured shortcut cannot serve any macro, or "" when it can: Shift,
// Ctrl or Alt alone, a key that types or edits text without Ctrl or Alt, or
// Ctrl+A, C, V, X, Y or Z.
std::string ShortCutProblem(std::uint16_t shortCut);
// Why a shortcut cannot open the macro picker, or "" when it can: the same
// as a macro's, the switch's own, or one that the macro titled `holder`
// already has ("" for none).
std::string PickerShortCutProblem(std::uint16_t shortCut, const std::string& holder);

// Why a Strip tags expression cannot run, or "": it is compiled as a run
// compiles it, {n} and {tab} put in. An expression holding a variable or an
// optional section gets its text only when it runs, and is not judged here.
std::string StripExpressionProblem(const std::string& expression);

// Whether the dialog's values differ from the ones it was opened with (the
// texts of every kind's options count, shown or not).
bool MacroFormChanged(const TMacroForm& opened, const TMacroForm& now);

// Why a new category cannot have this name, or "": empty, taken by a
// category of the store (names compare as file names do), or a name no
// category file can have.
std::string NewCatagoryNameProblem(const TCatagories& catagories, const std::string& name);
// The message for a name another category (or its file) has already.
std::string CatagoryNameTakenMessage(const std::string& name);

// Writes every record field from the form: the selected kind's texts in the
// store's code page, all others empty; an empty block or line template
// becomes "{line}". Raises EStoreText, as CheckMacroForm refuses, for a text
// the code page cannot hold or one over its field's bytes (nothing is cut),
// leaving the record unchanged.
void StoreMacroForm(const TMacroForm& form, TMacro& macro, unsigned codePage);

// A key pressed in the shortcut field: key code plus the modifiers held.
void CaptureShortCut(TMacroForm& form, unsigned keyCode, bool shift, bool ctrl, bool alt);

// Whether the shortcut holds Ctrl and Alt, which keyboard layouts with AltGr
// may give a character.
bool ShortCutMayTypeWithAltGr(std::uint16_t shortCut);
// The note shown for a Ctrl+Alt shortcut whose key, on the current layout, types
// the character (a Unicode code point) with AltGr; the note names it in UTF-8
// and by its code. "" for a shortcut without Ctrl and Alt, and for no
// character (0) or a control character.
std::string AltGrNote(std::uint16_t shortCut, std::uint32_t character);

// A field's text for the template editor: "{tab}" to TAB, then "{n}" to CR LF.
std::string FieldToEditorText(std::string text);
// Back from the editor: TAB to "{tab}", then CR LF to "{n}"; a lone CR or LF stays.
std::string EditorTextToField(std::string text);
