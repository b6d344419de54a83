#pragma once
// The windows that the window threads show, each modal on the calling thread
// and returning when it closes. Declared as src/editor/formInclude.h and
// src/editor/formAbout.h give them; until a window exists there, a stand-in
// of this folder (DialogStandIn*_win.cpp) takes its place in the build.

#include <string>

#include "store/IncludeList.h"

// The settings window (include list, start with Windows, picture copying).
void ShowIncludeDialog(TIncludeList& list);
// The about box, showing the program's long version.
void ShowAboutBox(const std::string& versionLong);
