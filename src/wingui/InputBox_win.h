#pragma once
// A small modal question with one line of text: a caption, a prompt above
// an edit, OK and Cancel. A Unicode window: caption, prompt and value are
// UTF-8, and any character can be typed.

#include <windows.h>

#include <string>

// Shows the box owned by `owner` (may be null) with `value` as the edit's
// first text. On OK `value` receives the edit's text and the result is true;
// Cancel, Esc and closing leave `value` alone and give false.
bool InputQuery(HWND owner, const std::string& caption, const std::string& prompt, std::string& value);
