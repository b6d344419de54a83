#pragma once
// The report of a Tidy HTML run: the macro's title and tidy's findings in
// a read-only text box.

#include <string>

constexpr const char* kTidyCaption = "Tidy HTML Output";

enum TTidyControlId : int {
  idTidyOK = 1,  // IDOK: Enter; Escape and the close box close the report too
  idTidyIcon = 100,
  idTidyRunning,
  idTidyMacroName,
  idTidyVars,
  idTidyErrors,
};

// Shows the report modally on the calling thread, with no owner, until it
// is closed. Both texts are in the given code page (0 = ANSI, 65001 = UTF-8).
void ShowTidyReport(const std::string& macroTitle, const std::string& report, unsigned codePage);
