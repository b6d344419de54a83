#pragma once
// The macro editor window: categories and their macros, added, edited and
// removed through the store.

#include "store/Catagories.h"

// Creates the window on the calling thread and returns when it has closed.
void ShowMacroEditor(TCatagories& catagories);
