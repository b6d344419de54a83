// Finding the variables of the macro's texts.
#include "run/MacroRun.h"

#include "base/StrUtils.h"

namespace {

// Calls found(name) for each tag opened by `opening` and closed by the first
// "}" after it. A tag without "}" ends the scan of this text, so later tags
// of the same kind in it are not collected.
template <typename Found>
void ForEachTag(const std::string& text, const std::string& opening, Found found) {
  std::string name;
  int pos = 1;
  for (;;) {
    ExtractBetween(text, opening, "}", pos, name);
    if (pos == 0) return;
    found(name);
  }
}

bool Contains(const std::vector<std::string>& names, const std::string& name) {
  for (const std::string& known : names)
    if (known == name) return true;
  return false;
}

}  // namespace

std::string TMacroRun::UserVariableToken(int index) const {
  if (!FVarHasDefault[index]) return FVarNames[index];
  return FVarNames[index] + "=" + FVarDefaults[index];
}

bool TMacroRun::HasUserVariableToken(const std::string& token) const {
  for (int k = 0; k < UserVariableCount(); ++k)
    if (UserVariableToken(k) == token) return true;
  return false;
}

void TMacroRun::ScanAllVariables() {
  for (TMacroText field : kRunTextOrder) ScanVariables(FMacro.Text(field));
}

void TMacroRun::ScanVariables(const std::string& text) {
  ScanUserVariables(text);
  ScanNames(text, "{file:", FFileVars);
  ScanNames(text, "{image:", FImageVars);
  ScanRelDir(text);
}

// Tokens, not names, are compared: {$a} and {$a=1} are two variables (two
// prompt rows labelled a), each replacing only its own form.
void TMacroRun::ScanUserVariables(const std::string& text) {
  ForEachTag(text, "{$", [this](const std::string& token) {
    if (HasUserVariableToken(token)) return;
    std::size_t equals = token.find('=');
    bool hasDefault = equals != std::string::npos;
    FVarNames.push_back(hasDefault ? token.substr(0, equals) : token);
    FVarDefaults.push_back(hasDefault ? token.substr(equals + 1) : std::string());
    FVarHasDefault.push_back(hasDefault);
  });
}

void TMacroRun::ScanNames(const std::string& text, const std::string& opening,
                          std::vector<std::string>& names) {
  ForEachTag(text, opening, [&names](const std::string& name) {
    if (!Contains(names, name)) names.push_back(name);
  });
}

// The last "{reldir:" tag met in the run names the default directory.
void TMacroRun::ScanRelDir(const std::string& text) {
  ForEachTag(text, "{reldir:", [this](const std::string& name) { FRelDirName = name; });
  if (!FUsesRelDir) FUsesRelDir = PosFrom(text, "{reldir:", 1) > 0;
}
