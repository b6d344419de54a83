#pragma once
// The variable prompt of a run: one row per user variable, and the working
// and relative directories of the run's pictures when the macro uses them.

#include <string>
#include <vector>

struct TUserVarsPrompt {
  std::string MacroTitle;             // shown between double quotes
  std::string Selection;              // the captured selection; a preview of it is shown
  std::vector<std::string> Names;     // user variables in order; "!name" is a section variable
  std::vector<std::string> Defaults;  // parallel; empty when none
  bool UsesRelDir = false;            // adds the two directory rows and "..."
  std::string WorkDir;                // first text of the working-directory row
  std::string RelDir;                 // first text of the relative-directory row
  unsigned CodePage = 0;              // of every text here: 0 (the ANSI code page) or 65001 (UTF-8)
};

struct TUserVarsAnswer {
  std::vector<std::string> Values;  // parallel to the prompt's Names
  std::string WorkDir;
  std::string RelDir;
};

constexpr const char* kUserVarsCaption = "Zarvel - User Defined Variables";

// Control ids, for the dialog and for programs that drive it. Row r (from
// the top, directory rows first) has the label UserVarsLabelId(r) and the
// edit UserVarsEditId(r).
enum TUserVarsControlId : int {
  idUserVarsOK = 1,      // IDOK: Enter
  idUserVarsCancel = 2,  // IDCANCEL: Escape and the close box
  idUserVarsIcon = 100,
  idUserVarsRunning,
  idUserVarsMacroName,
  idUserVarsVars,
  idUserVarsSelected,
  idUserVarsSel,
  idUserVarsBrowse,
  idUserVarsFirstEdit = 200,
  idUserVarsFirstLabel = 400,
};
inline int UserVarsEditId(int row) { return idUserVarsFirstEdit + row; }
inline int UserVarsLabelId(int row) { return idUserVarsFirstLabel + row; }

// Shows the prompt modally on the calling thread, with no owner. True on
// OK, with `answer` filled (texts in prompt.CodePage); false on Cancel,
// Escape or close. With no variable and no directory rows there is nothing
// to ask: true at once, with the prompt's directories.
bool ShowUserVarsDialog(const TUserVarsPrompt& prompt, TUserVarsAnswer& answer);
