#include "editor/MacroForm.h"

#include <exception>

#include "regex/RegExpr.h"
#include "store/Catagories.h"
#include "store/ShortCut.h"
#include "store/StoreText.h"
#include "base/StrUtils.h"

namespace {

struct TFieldLink {
  TMacroText Record;
  TFormText Form;
};

// Which form field fills which record field, kind by kind.
constexpr TFieldLink kBlockLinks[] = {
    {mxFirstLine, ftBlockFirst},     {mxLine1, ftLineLine},        {mxLastLine, ftBlockLast},
    {mxReplace1, ftLineReplace1},    {mxWith1, ftLineWith1},       {mxReplace2, ftLineReplace2},
    {mxWith2, ftLineWith2},          {mxReplace3, ftLineReplace3}, {mxWith3, ftLineWith3}};
constexpr TFieldLink kLineLinks[] = {
    {mxFirstLine, ftLineFirst},      {mxLine1, ftBlockLine1},       {mxLine2, ftBlockLine2},
    {mxLine3, ftBlockLine3},         {mxLastLine, ftLineLast},      {mxReplace1, ftBlockReplace1},
    {mxWith1, ftBlockWith1},         {mxReplace2, ftBlockReplace2}, {mxWith2, ftBlockWith2},
    {mxReplace3, ftBlockReplace3},   {mxWith3, ftBlockWith3}};
constexpr TFieldLink kRunLinks[] = {
    {mxLine1, ftRunFile}, {mxLine2, ftRunPath}, {mxLine3, ftRunParameters}};
constexpr TFieldLink kStripLinks[] = {{mxLine1, ftStripExpr}};

struct TLinks {
  const TFieldLink* First = nullptr;
  const TFieldLink* Last = nullptr;
  const TFieldLink* begin() const { return First; }
  const TFieldLink* end() const { return Last; }
};

template <std::size_t N>
TLinks LinksOf(const TFieldLink (&links)[N]) {
  return {links, links + N};
}

TLinks LinksForType(std::uint8_t type) {
  switch (type) {
    case mtBlockMode: return LinksOf(kBlockLinks);
    case mtLineMode: return LinksOf(kLineLinks);
    case mtRunProgram: return LinksOf(kRunLinks);
    case mtStripTags: return LinksOf(kStripLinks);
    default: return {};
  }
}

const char* const kLabels[kFormTextCount] = {
    "First line", "Line", "Last line",
    "Replace 1", "With 1", "Replace 2", "With 2", "Replace 3", "With 3",
    "First line", "Line 1", "Line 2", "Line 3", "Last line",
    "Replace 1", "With 1", "Replace 2", "With 2", "Replace 3", "With 3",
    "File", "Path", "Parameters",
    "Expression"};

bool IsReplaceField(TFormText field) {
  return (field >= ftLineReplace1 && field <= ftLineWith3) ||
         (field >= ftBlockReplace1 && field <= ftBlockWith3);
}

// The kind whose fields OK stores: no entry selected stores as block mode,
// the type the record then gets.
std::uint8_t StoredType(const TMacroForm& form) { return IndexToMacroType(form.TypeIndex); }

// The form's texts as they go into the record: a block or line macro
// always has a line template.
std::string StoredText(const TMacroForm& form, TFormText field) {
  const std::string& text = form.Texts[field];
  if ((field == ftLineLine || field == ftBlockLine1) && text.empty()) return kDefaultLineTemplate;
  return text;
}

// A refused text is quoted in full only when it is short; a long one by its start.
std::string ShownInMessage(const std::string& text) {
  constexpr std::size_t kShownBytes = 40;
  std::string start = Utf8Prefix(text, kShownBytes);
  return start.size() < text.size() ? start + "\xE2\x80\xA6" : text;  // "…"
}

// One text of the form in the store's form; raises EStoreText naming it by
// `noun` ("title") for a character the code page cannot hold or for more
// bytes than its field has.
std::string StoredFormText(const std::string& shown, unsigned codePage, const std::string& noun,
                           std::size_t capacity) {
  std::string stored = Utf8ToStoreText(shown, codePage, "the " + noun);
  CheckStoreTextFits(stored, capacity, noun, ShownInMessage(shown));
  return stored;
}

std::string StoredTitle(const TMacroForm& form, unsigned codePage) {
  return StoredFormText(form.Title, codePage, "title", kTitleCapacity);
}

std::string StoredField(const TMacroForm& form, TFormText field, unsigned codePage) {
  return StoredFormText(StoredText(form, field), codePage, FormTextNoun(field), FormTextCapacity(field));
}

bool ShortCutUsedElsewhere(const TMacroForm& form, const TCatagories& catagories,
                           std::string& title, std::string& catagoryName) {
  for (std::size_t c = 0; c < catagories.Items.size(); ++c) {
    const TMacroList& macros = catagories.Items[c].Macros;
    for (std::size_t m = 0; m < macros.size(); ++m) {
      if (static_cast<int>(c) == form.CatagoryIndex && static_cast<int>(m) == form.MacroIndex)
        continue;
      if (macros[m].ShortCut == form.ShortCutValue) {
        title = GetTitle(macros[m]);
        catagoryName = catagories.Items[c].Name;
        return true;
      }
    }
  }
  return false;
}

}  // namespace

std::string FormTextLabel(TFormText field) { return kLabels[field]; }

std::size_t FormTextCapacity(TFormText field) {
  return IsReplaceField(field) ? kReplaceCapacity : kTextCapacity;
}

std::string FormTextNoun(TFormText field) {
  const char* kind = IsReplaceField(field) ? "text" : field >= ftRunFile ? "field" : "template";
  return std::string(kind) + " '" + FormTextLabel(field) + "'";
}

void ChangeKind(TMacroForm& form, int typeIndex) {
  auto copy = [&form](TFormText from, TFormText to) { form.Texts[to] = form.Texts[from]; };
  if (form.PrevTypeIndex == mtBlockMode && typeIndex == mtLineMode) {
    copy(ftBlockFirst, ftLineFirst);
    copy(ftLineLine, ftBlockLine1);
    copy(ftBlockLast, ftLineLast);
  } else if (form.PrevTypeIndex == mtLineMode && typeIndex == mtBlockMode) {
    copy(ftLineFirst, ftBlockFirst);
    copy(ftBlockLine1, ftLineLine);
    copy(ftLineLast, ftBlockLast);
  }
  form.TypeIndex = typeIndex;
  form.PrevTypeIndex = typeIndex;
}

void LoadMacroForm(TMacroForm& form, const TMacro& macro, int catagoryIndex, int macroIndex,
                   unsigned codePage) {
  ChangeKind(form, MacroTypeToIndex(macro.MacroType));
  form.Title = StoreTextToUtf8(GetTitle(macro), codePage);
  form.ShortCutValue = macro.ShortCut;
  form.ShortCutText = ShortCutText(macro.ShortCut);
  form.CatagoryIndex = catagoryIndex;
  form.MacroIndex = macroIndex;
  for (const TFieldLink& link : LinksForType(macro.MacroType))
    form.Texts[link.Form] = StoreTextToUtf8(GetMacroText(macro, link.Record), codePage);
}

std::string MacroFormCaption(const TMacro& macro, unsigned codePage) {
  return "Edit Macro '" + StoreTextToUtf8(GetTitle(macro), codePage) + "'";
}

namespace {

bool IsModifierKeyCode(unsigned key) { return (key >= 16 && key <= 18) || (key >= 160 && key <= 165); }

// Keys that type or edit text, or move the caret, in every program.
bool TypesOrEdits(unsigned key) {
  return (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z') || (key >= 96 && key <= 105) ||
         key == 32 || key == 13 || key == 9 || key == 8 || key == 46 || (key >= 37 && key <= 40);
}

}  // namespace

// Why a captured shortcut cannot serve, or "" when it can. Stored files
// may hold such shortcuts already; they load and run as before.
std::string ShortCutProblem(std::uint16_t shortCut) {
  const unsigned key = shortCut & 0xFF;
  const bool ctrl = (shortCut & kCtrlBit) != 0, alt = (shortCut & kAltBit) != 0;
  if (IsModifierKeyCode(key))
    return "Shift, Ctrl and Alt alone never run a macro: please add another key.";
  if (TypesOrEdits(key) && !ctrl && !alt)
    return "\"" + ShortCutText(shortCut) +
           "\" would take that key from every program: please hold Ctrl or Alt with it.";
  if (ctrl && !alt && !(shortCut & kShiftBit) &&
      (key == 'A' || key == 'C' || key == 'V' || key == 'X' || key == 'Y' || key == 'Z'))
    return "\"" + ShortCutText(shortCut) +
           "\" selects, copies, pastes, cuts, undoes or redoes in every program: please choose another shortcut.";
  return "";
}

std::string PickerShortCutProblem(std::uint16_t shortCut, const std::string& holder) {
  if (shortCut == kToggleShortCut) return "This shortcut is reserved for enabling / disabling Zarvel!";
  std::string problem = ShortCutProblem(shortCut);
  if (!problem.empty()) return problem;
  if (!holder.empty()) return "The specified shortcut is already in use by macro '" + holder + "'";
  return "";
}

TFormProblem CheckMacroForm(const TMacroForm& form, const TCatagories& catagories,
                            std::uint16_t pickerShortCut) {
  const unsigned codePage = StoreTextCodePage(catagories.Encoding());
  if (form.Title.empty()) return {"Please enter a title for this macro!", ffTitle};
  try {
    StoredTitle(form, codePage);
  } catch (const EStoreText& refused) {
    return {refused.what(), ffTitle};
  }
  if (form.ShortCutText.empty() || form.ShortCutText == kNoShortCutText)
    return {"Please specify a shortcut for this macro!", ffShortCut};
  if (form.ShortCutValue == kToggleShortCut)
    return {"This shortcut is reserved for enabling / disabling Zarvel!", ffShortCut};
  if (pickerShortCut != 0 && form.ShortCutValue == pickerShortCut) return {kPickerShortCutTaken, ffShortCut};
  std::string problem = ShortCutProblem(form.ShortCutValue);
  if (!problem.empty()) return {problem, ffShortCut};
  std::string other, otherCatagory;
  if (ShortCutUsedElsewhere(form, catagories, other, otherCatagory))
    return {"The specified shortcut is already in use by macro '" + StoreTextToUtf8(other, codePage) +
                "' in catagory '" + StoreTextToUtf8(otherCatagory, codePage) + "'",
            ffShortCut};
  // The expression is compiled as the run gets it: in the store's form.
  std::string expression;
  for (const TFieldLink& link : LinksForType(StoredType(form))) {
    try {
      std::string stored = StoredField(form, link.Form, codePage);
      if (link.Form == ftStripExpr) expression = stored;
    } catch (const EStoreText& refused) {
      return {refused.what(), link.Form};
    }
  }
  if (StoredType(form) == mtStripTags) {
    problem = StripExpressionProblem(expression);
    if (!problem.empty()) return {problem, ftStripExpr};
  }
  return {};
}

std::string ValidateMacroForm(const TMacroForm& form, const TCatagories& catagories,
                              std::uint16_t pickerShortCut) {
  return CheckMacroForm(form, catagories, pickerShortCut).Message;
}

std::string StripExpressionProblem(const std::string& expression) {
  for (const char* opening : {"{$", "{!", "{file:", "{image:", "{width:", "{height:", "{reldir:"})
    if (expression.find(opening) != std::string::npos) return "";
  std::string text = expression;
  ReplaceAll(text, "{n}", "\r\n");
  ReplaceAll(text, "{tab}", "\t");
  TRegexEngine engine;
  // The flags of a run: without case, ^ and $ at every line.
  engine.SetModifierFlag(rmIndexI, true);
  engine.SetModifierFlag(rmIndexM, true);
  try {
    engine.Expression(text);
    engine.Compile();
  } catch (const ERegexError& error) {
    return "The expression does not compile: " + std::string(error.what());
  }
  return "";
}

bool MacroFormChanged(const TMacroForm& opened, const TMacroForm& now) {
  if (opened.Title != now.Title || opened.TypeIndex != now.TypeIndex || opened.ShortCutValue != now.ShortCutValue)
    return true;
  for (int field = 0; field < kFormTextCount; ++field)
    if (opened.Texts[field] != now.Texts[field]) return true;
  return false;
}

std::string CatagoryNameTakenMessage(const std::string& name) {
  return "A catagory named '" + name + "' already exists. Please choose another name.";
}

std::string NewCatagoryNameProblem(const TCatagories& catagories, const std::string& name) {
  if (name.empty()) return "Please enter a name for the catagory.";
  if (FindCatagory(catagories, name) >= 0) return CatagoryNameTakenMessage(name);
  try {
    CheckCatagoryName(name);
  } catch (const std::exception& error) {
    return error.what();
  }
  return "";
}

void StoreMacroForm(const TMacroForm& form, TMacro& macro, unsigned codePage) {
  TMacro stored = macro;
  WriteShortString(stored.Title, StoredTitle(form, codePage));
  stored.MacroType = StoredType(form);
  stored.ShortCut = form.ShortCutValue;
  for (int text = 0; text < kMacroTextCount; ++text)
    SetMacroText(stored, static_cast<TMacroText>(text), "");
  for (const TFieldLink& link : LinksForType(stored.MacroType))
    SetMacroText(stored, link.Record, StoredField(form, link.Form, codePage));
  macro = stored;
}

void CaptureShortCut(TMacroForm& form, unsigned keyCode, bool shift, bool ctrl, bool alt) {
  form.ShortCutValue = MakeShortCut(keyCode, shift, ctrl, alt);
  form.ShortCutText = ShortCutText(form.ShortCutValue);
}

bool ShortCutMayTypeWithAltGr(std::uint16_t shortCut) {
  return (shortCut & (kCtrlBit | kAltBit)) == (kCtrlBit | kAltBit);
}

namespace {

std::string Utf8Of(std::uint32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

std::string CodeText(std::uint32_t c) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string digits;
  for (; c != 0 || digits.size() < 4; c >>= 4) digits.insert(digits.begin(), kDigits[c & 0xF]);
  return "U+" + digits;
}

}  // namespace

std::string AltGrNote(std::uint16_t shortCut, std::uint32_t character) {
  // Surrogates and values past Unicode are no characters a layout types.
  bool typed = character >= 0x20 && character != 0x7F && !(character >= 0x80 && character < 0xA0) &&
               !(character >= 0xD800 && character < 0xE000) && character <= 0x10FFFF;
  if (!ShortCutMayTypeWithAltGr(shortCut) || !typed) return "";
  std::string keys = ShortCutText(static_cast<std::uint16_t>(shortCut & ~(kCtrlBit | kAltBit)));
  std::string shift = (shortCut & kShiftBit) ? "Shift+" : "";
  std::string key = keys.substr(shift.size());
  return "On this keyboard layout AltGr+" + shift + key + " types \"" + Utf8Of(character) + "\" (" +
         CodeText(character) + "). AltGr keeps typing it; this shortcut needs Ctrl with the left Alt.";
}

std::string FieldToEditorText(std::string text) {
  ReplaceAll(text, "{tab}", "\t");
  ReplaceAll(text, "{n}", "\r\n");
  return text;
}

std::string EditorTextToField(std::string text) {
  ReplaceAll(text, "\t", "{tab}");
  ReplaceAll(text, "\r\n", "{n}");
  return text;
}
