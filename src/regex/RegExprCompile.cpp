// The three stages of a compile: parse, emit, analyse.
#include <cstring>

#include "regex/RegExpr.h"
#include "regex/RegExprProgram.h"
#include "regex/RegExprTree.h"

void CompileRegex(const std::string& expr, const TRegexSyntax& syntax, TRegexProgram& prog) {
  // The expression ends at its first NUL, as a C string would.
  std::string text = expr.substr(0, expr.find('\0'));
  if (text.empty()) RaiseRegexError(rxNullArgument, 0);
  const TRegexTree tree = ParseRegex(text, syntax);
  prog = TRegexProgram();
  prog.Modifiers = syntax.Modifiers;
  std::memcpy(prog.Invert, syntax.Invert, 256);
  EmitRegexProgram(tree, static_cast<int>(text.size()), prog);
  AnalyseRegex(prog);
}
