#include "run/MacroRun.h"

#include <utility>

#include "base/StrUtils.h"

TRunMacro RunCopyOf(const TMacro& macro) {
  TRunMacro copy;
  copy.Title = GetTitle(macro);
  copy.MacroType = macro.MacroType;
  copy.ShortCut = macro.ShortCut;
  for (int field = 0; field < kMacroTextCount; ++field)
    copy.Texts[field] = GetMacroText(macro, static_cast<TMacroText>(field));
  return copy;
}

void ExpandLineTokens(std::string& text) {
  ReplaceAll(text, "{n}", "\r\n");
  ReplaceAll(text, "{tab}", "\t");
}

TMacroRun::TMacroRun(const TMacro& macro, TImageSizeReader readImageSize)
    : FMacro(RunCopyOf(macro)), FReadImageSize(std::move(readImageSize)) {}

void TMacroRun::CutReplaceText(std::string& text) const {
  if (!FUtf8Texts) {
    if (text.size() > kReplaceCapacity) text.resize(kReplaceCapacity);
    return;
  }
  std::size_t characters = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool startsCharacter = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
    if (startsCharacter && ++characters > kReplaceCapacity) {
      text.resize(i);
      return;
    }
  }
}

void TMacroRun::ForEachText(const std::function<void(std::string&)>& change) {
  for (TMacroText field : kRunTextOrder) {
    std::string& text = FMacro.Text(field);
    change(text);
    if (field >= kTextBufferCount) CutReplaceText(text);
  }
}

void TMacroRun::UseUtf8Texts(const std::function<std::string(const std::string&)>& fromAnsi) {
  if (FUtf8Texts) return;
  FUtf8Texts = true;
  auto convert = [&fromAnsi](std::string& text) { text = fromAnsi(text); };
  convert(FMacro.Title);
  for (std::string& text : FMacro.Texts) convert(text);
  convert(FSelection);
  for (auto* names : {&FVarNames, &FVarDefaults, &FFileVars, &FImageVars})
    for (std::string& text : *names) convert(text);
  convert(FRelDirName);
  convert(FRelDir);
}

void TMacroRun::ExpandAllLineTokens() {
  ForEachText([](std::string& text) { ExpandLineTokens(text); });
}

void TMacroRun::ApplyReplacePairs() {
  static const TMacroText kPairs[3][2] = {
      {mxReplace1, mxWith1}, {mxReplace2, mxWith2}, {mxReplace3, mxWith3}};
  for (const auto& pair : kPairs) ReplaceAll(FSelection, FMacro.Text(pair[0]), FMacro.Text(pair[1]));
}

bool TMacroRun::RunTextStep() {
  switch (FMacro.MacroType) {
    case mtBlockMode: DoBlockMode(); return true;
    case mtLineMode: DoLineMode(); return true;
    case mtStripTags: DoStripTags(); return true;
    case mtChangeCase: DoChangeCase(); return true;
    default: return false;
  }
}
