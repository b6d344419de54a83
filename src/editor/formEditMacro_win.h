#pragma once
// The macro properties dialog: title, kind, shortcut and the options of the
// kind of one macro record.

#include <windows.h>

#include <string>

#include "store/Catagories.h"
#include "store/Macro.h"

// Control ids, for the dialog and for programs that drive it. OK and Cancel
// carry the system's ids, so that Enter and Escape press them.
enum TEditMacroControlId : int {
  idMacroOK = IDOK,
  idMacroCancel = IDCANCEL,
  idMacroTitleLabel = 100,
  idMacroTitle,
  idMacroTypeLabel,
  idMacroType,
  idMacroShortCutLabel,
  idMacroShortCut,
  // The group boxes, one per kind, in the order of the type list.
  idMacroGroupBlock,
  idMacroGroupLine,
  idMacroGroupRun,
  idMacroGroupStrip,
  idMacroGroupChangeCase,
  idMacroGroupTidy,
  idMacroGroupEmail,
  // Each option field's id is idMacroFieldBase plus its TFormText number
  // (editor/MacroForm.h); its "Edit" or "..." button sits idMacroButtonOffset
  // above, its label idMacroLabelOffset above.
  idMacroFieldBase = 200,
  idMacroButtonOffset = 100,
  idMacroLabelOffset = 200,
  // Headings and the "[no options available]" labels.
  idMacroBlockReplaceHeading = 500,
  idMacroBlockWithHeading,
  idMacroLineReplaceHeading,
  idMacroLineWithHeading,
  idMacroNoOptionsChangeCase,
  idMacroNoOptionsTidy,
  idMacroNoOptionsEmail,
};

// Loads the dialog from `macro`, runs it modally and, on OK only, stores the
// dialog's values into `macro`. The two indexes name the record in the
// store (-1, -1 for a new macro) so that the shortcut test skips the macro
// itself. Returns IDOK or IDCANCEL.
// The "Edit" buttons open the template editor through this; tests put
// their own in its place, nullptr restores the real one.
using TTemplateEditorCall = bool (*)(HWND owner, std::string& text);
void SetMacroDialogTemplateEditor(TTemplateEditorCall editor);

INT_PTR ExecuteMacroDialog(HWND owner, TMacro& macro, const TCatagories& catagories, int catagoryIndex,
                           int macroIndex);
