#pragma once
// The window-free half of one macro run: the run's own copy of the macro, the
// selection, the variable tables, and every step that neither shows a window
// nor touches the clipboard. The Windows run thread derives from TMacroRun and
// adds capture, prompts, dialogs and paste around these steps; zarvel-cli
// apply drives the same steps from its arguments, so the two never drift.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "store/Macro.h"
#include "picture/ImageSize.h"

// Reads the size of an existing picture file from its header.
using TImageSizeReader = std::function<TImageSize(const std::string& path)>;

// The run's own copy of a macro. The texts are plain strings rather than the
// record's fixed buffers: the copy is never stored, and a substitution that
// makes a template longer than a buffer holds must not lose the end of it.
// The Replace/With texts are still cut to their 75 characters on every write,
// as they always have been.
struct TRunMacro {
  std::string Title;
  std::uint8_t MacroType = mtBlockMode;
  std::uint16_t ShortCut = 0;
  std::array<std::string, kMacroTextCount> Texts;  // indexed by TMacroText

  std::string& Text(TMacroText field) { return Texts[field]; }
  const std::string& Text(TMacroText field) const { return Texts[field]; }
};

TRunMacro RunCopyOf(const TMacro& macro);

// Every pass of a run visits the texts in this order; it decides which
// variable is met first and so the order of the prompt's rows.
constexpr std::array<TMacroText, kMacroTextCount> kRunTextOrder = {
    mxFirstLine, mxLastLine, mxLine1,    mxReplace1, mxWith1,   mxLine2,
    mxReplace2,  mxWith2,    mxLine3,    mxReplace3, mxWith3,
};

// "{n}" becomes CR LF, then "{tab}" becomes TAB.
void ExpandLineTokens(std::string& text);

// The file name of a path without its folder; "\", "/" and ":" all end a
// folder, so Windows paths read the same in the Linux build.

class TMacroRun {
 public:
  // readImageSize is asked only for files that exist; an empty function
  // makes every picture 0 x 0.
  explicit TMacroRun(const TMacro& macro, TImageSizeReader readImageSize = ReadImageSize);
  virtual ~TMacroRun() = default;
  TMacroRun(const TMacroRun&) = delete;
  TMacroRun& operator=(const TMacroRun&) = delete;

  // "{n}" and "{tab}" made into line breaks and tabs in every text.
  void ExpandAllLineTokens();
  // The three Replace/With pairs over FSelection.
  void ApplyReplacePairs();

  // Collects the variables of every text into the tables.
  void ScanAllVariables();
  void ScanVariables(const std::string& text);
  // The text between "{$" and "}" that stands for user variable `index`.
  std::string UserVariableToken(int index) const;
  int UserVariableCount() const { return static_cast<int>(FVarNames.size()); }

  // The prompt's answers: values[k] is the confirmed value of user variable k.
  void ApplyUserVariables(const std::vector<std::string>& values);
  void ApplyUserVariable(int index, std::string& text, const std::string& value) const;

  // The path picked for file variable `index` (empty when cancelled).
  void SubstituteFileVariable(int index, const std::string& path);
  void ApplyFileVariable(int index, std::string& text, const std::string& path) const;

  // The path picked for image variable `index`, with FRelDir.
  void SubstituteImageVariable(int index, const std::string& path);
  void ApplyImageVariable(int index, std::string& text, const std::string& relDir,
                          const std::string& path, TImageSize size) const;
  TImageSize ImageSizeOf(const std::string& path) const;

  // The macro's own step for the four types that only transform FSelection. Returns false,
  // and does nothing, for every other type: the caller carries those out.
  bool RunTextStep();
  void DoBlockMode();
  void DoLineMode();
  void DoStripTags();   // raises ERegexError for an expression that does not compile
  void DoChangeCase();

  TRunMacro FMacro;
  std::string FSelection;
  std::vector<std::string> FVarNames;
  std::vector<std::string> FVarDefaults;
  std::vector<bool> FVarHasDefault;
  std::vector<std::string> FFileVars;
  std::vector<std::string> FImageVars;
  std::string FRelDirName;
  std::string FRelDir;
  bool FUsesRelDir = false;
  // The texts are UTF-8 rather than ANSI bytes: the 75-character cut of a
  // Replace/With text then counts characters and never splits one.
  bool FUtf8Texts = false;

  // From here on every text of the run is UTF-8: the macro's texts, the
  // selection and the variable tables are each made UTF-8 by fromAnsi.
  void UseUtf8Texts(const std::function<std::string(const std::string&)>& fromAnsi);

 protected:
  // Applies `change` to every text in run order and writes each result back,
  // a Replace/With text cut to its 75 characters.
  void ForEachText(const std::function<void(std::string&)>& change);
  void CutReplaceText(std::string& text) const;

 private:
  void ScanUserVariables(const std::string& text);
  void ScanNames(const std::string& text, const std::string& opening, std::vector<std::string>& names);
  void ScanRelDir(const std::string& text);
  bool HasUserVariableToken(const std::string& token) const;

  TImageSizeReader FReadImageSize;
};
