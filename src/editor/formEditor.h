#pragma once
// The template editor: a multi-line text with a toolbar that inserts the
// template tags.

#include <windows.h>

#include <string>

// Shows `text` (real TAB characters and CR LF line breaks) in the editor,
// modally; on OK `text` receives the edited text and the result is true.
bool ShowTemplateEditor(HWND owner, std::string& text);
