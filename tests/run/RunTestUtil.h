#pragma once
// Building macros for the run tests.

#include <initializer_list>
#include <string>
#include <utility>

#include "run/MacroRun.h"
#include "store/Macro.h"

using TTextList = std::initializer_list<std::pair<TMacroText, std::string>>;

inline TMacro MacroWith(std::uint8_t type, TTextList texts) {
  TMacro macro = NewMacro();
  macro.MacroType = type;
  for (const auto& text : texts) SetMacroText(macro, text.first, text.second);
  return macro;
}

inline const std::string kCrLf = "\r\n";
