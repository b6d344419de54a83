#pragma once
// The macro properties dialog: title, kind, shortcut and the options of the
// kind of one macro record.

#include <windows.h>

#include "store/Catagories.h"
#include "store/Macro.h"

// Loads the dialog from `macro`, runs it modally and, on OK only, stores the
// dialog's values into `macro`. The two indexes name the record in the
// store (-1, -1 for a new macro) so that the shortcut test skips the macro
// itself. Returns IDOK or IDCANCEL.
INT_PTR ExecuteMacroDialog(HWND owner, TMacro& macro, const TCatagories& catagories, int catagoryIndex,
                           int macroIndex);
