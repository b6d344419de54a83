#pragma once
// The macro editor window: categories and their macros, added, edited and
// removed through the store.

#include <string>

#include "store/Catagories.h"

// The caption begins so; the program's long version follows.
constexpr const char* kMacroEditorCaption = "Zarvel ";
// The combo box's only entry while the store holds no category.
constexpr const char* kNoCatagories = "[no catagories found]";
// The search box's grey text while it is empty.
constexpr const char* kSearchCue = "Search all macros";

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
  idOptionsSearch,
  // Commands of the context menus and the keyboard.
  idOptionsDuplicateMacro,
  idOptionsRenameCat,
  idOptionsExport,
  idOptionsImport,
  idOptionsUndo,
  idOptionsFind,  // the focus to the search box
  idOptionsMoveMacro = 1000,  // + the store index of the category moved to
};

// The list's columns; each row's lParam is its macro's index in the
// category, the only link from a (sorted) row back to its record. While the
// search box holds a query the list shows the macros found in every
// category, with a fourth column naming each one's category, and lParam is
// the row's place among the macros found.
enum TOptionsColumn : int { ocTitle = 0, ocType = 1, ocShortCut = 2, ocCatagory = 3 };

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
