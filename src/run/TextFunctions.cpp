// The pre-defined functions that only transform the selection.
#include "run/MacroRun.h"

#include "regex/RegExpr.h"
#include "base/StrUtils.h"

// Every match of the expression in Line1 is deleted. Case-insensitive and
// multi-line on top of the engine's defaults; among those, s lets "." match
// CR and LF, so "<(.*?)>" also removes a tag that runs over a line break.
void TMacroRun::DoStripTags() {
  TRegexEngine engine;
  engine.SetModifierFlag(rmIndexI, true);
  engine.SetModifierFlag(rmIndexM, true);
  engine.Expression(FMacro.Text(mxLine1));
  FSelection = engine.ReplaceMatches(FSelection, "");
}

// ASCII letters only; bytes above 127 keep their case whatever the code page.
void TMacroRun::DoChangeCase() {
  for (char& c : FSelection) c = SwapCaseChar(c);
}
