// Helpers shared by the engine's test programs.
#pragma once

#include <string>

#include "regex/RegExpr.h"

// The error code an expression raises when compiled, 0 when it compiles.
inline int CompileError(const std::string& expr, int modifiersOn = 0) {
  TRegexEngine re;
  for (int i = 1; i <= 6; ++i)
    if (modifiersOn & (1 << (i - 1))) re.SetModifierFlag(i, true);
  re.Expression(expr);
  try {
    re.Compile();
  } catch (const ERegexError& e) {
    return e.RegErrorCode;
  }
  return 0;
}
