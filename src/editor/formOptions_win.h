#pragma once
// The macro editor window: categories and their macros, added, edited and
// removed through the store.

#include <string>

#include "store/Catagories.h"

// The caption begins so; the program's long version follows.
constexpr const char* kMacroEditorCaption = "Zarvel ";
// The combo box's only entry while the store holds no category.
constexpr const char* kNoCatagories = "[no catagories found]";

// Control ids, for the window and for programs that drive it. The toolbar
// buttons' ids are the commands they send to the window.
enum TOptionsControlId : int {
  idOptionsClose = 2,  // IDCANCEL: Escape and the close box
  idOptionsCatagoryLabel = 100,
  idOptionsCatagory,
  idOptionsMacros,
  idOptionsToolbar,
  idOptionsCatToolbar,
  idOptionsAddMacro,
  idOptionsEditMacro,
  idOptionsRemoveMacro,
  idOptionsAddCat,
  idOptionsRemoveCat,
};

// The list's columns; each row's lParam is its macro's index in the
// category, the only link from a (sorted) row back to its record.
enum TOptionsColumn : int { ocTitle = 0, ocType = 1, ocShortCut = 2 };

// Posted to the editor's window when files of the store changed on disk
// (wParam and lParam 0). The editor reads the folder again on its own thread
// and shows the categories and macros as they are now, keeping the chosen
// category and macro where they still exist. While a dialog of the editor
// is open, it waits until that has closed.
constexpr unsigned WM_MACROEDITORFILESCHANGED = 0x8000 + 40;  // WM_APP + 40

// Creates the window on the calling thread and returns when it has closed.
// Its place and size are kept in exeDir's zarvel.ini; the caption ends with
// the program's long version.
void ShowMacroEditor(TCatagories& catagories, const std::string& exeDir, const std::string& versionLong);
