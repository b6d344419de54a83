#pragma once
// The template editor: a multi-line text with a toolbar that inserts the
// template tags.

#include <windows.h>

#include <string>

constexpr const char* kEditorCaption = "Editor";

// Control and toolbar command ids, for the window and for programs that
// drive it.
enum TEditorControlId : int {
  idEditorOK = IDOK,
  idEditorCancel = IDCANCEL,  // Escape and the close box
  idEditorToolbar = 100,
  idEditorDivider,
  idEditorText,
  idEditorNew = 200,
  idEditorOpen,
  idEditorSave,
  idEditorUndo,
  idEditorCut,
  idEditorCopy,
  idEditorPaste,
  idEditorLine,
  idEditorVariable,
  idEditorFile,
  idEditorImage,
  idEditorImageWidth,
  idEditorImageHeight,
  idEditorOptional,
};

// Shows `text` (UTF-8, real TAB characters and CR LF line breaks) in the
// editor, a Unicode window, modally; on OK `text` receives the edited text
// (UTF-8) and the result is true.
bool ShowTemplateEditor(HWND owner, std::string& text);
