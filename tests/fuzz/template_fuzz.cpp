// Whole unattended runs of random macros over random selections: template
// expansion, the variable passes, sections, pictures and the text steps. No
// input may crash, read out of bounds, hang or raise anything but a bad
// expression's error, and the same input must give the same result twice.
//
// Input layout, so that small hand-made seeds reach every tag:
//   byte 0   macro type (modulo 8, so one unknown type is tried too)
//   byte 1   bit 0: --reldir given; bit 1: every prompt confirmed at once
//            (defaults); bit 2: file dialogs answered; bit 3: pictures picked
//   then, separated by zero bytes: the eleven texts in record order, the
//   selection, the relative directory, and any number of answer values,
//   handed to the variables and file dialogs in turn.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "run/UnattendedRun.h"
#include "base/OsFile.h"
#include "regex/RegExpr.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// Every picked picture is this one empty file: the run only asks that it
// exists, and the size comes from the fixed reader below.
struct TFuzzPicture {
  std::string Path = (std::filesystem::temp_directory_path() /
                      ("zarvel-template-fuzz-" + std::to_string(::getpid()) + ".png"))
                         .string();
  TFuzzPicture() { TOsFile(Path, omCreate); }
  ~TFuzzPicture() { DeleteOneFile(Path); }
} gPicture;

TImageSize FixedSize(const std::string&) { return TImageSize{640, 480}; }

struct TFuzzInput {
  std::uint8_t Type = 0;
  std::uint8_t Flags = 0;
  std::vector<std::string> Fields;  // texts, selection, relative directory, values
};

constexpr std::size_t kSelectionField = kMacroTextCount;
constexpr std::size_t kRelDirField = kMacroTextCount + 1;
constexpr std::size_t kFirstValueField = kMacroTextCount + 2;

TFuzzInput Parse(const std::uint8_t* data, std::size_t size) {
  TFuzzInput input;
  if (size < 2) return input;
  input.Type = data[0] % 8;
  input.Flags = data[1];
  std::string field;
  for (std::size_t i = 2; i < size; ++i) {
    if (data[i] == 0) {
      input.Fields.push_back(field);
      field.clear();
    } else {
      field += static_cast<char>(data[i]);
    }
  }
  input.Fields.push_back(field);
  input.Fields.resize(std::max(input.Fields.size(), kFirstValueField));
  return input;
}

TMacro MacroOf(const TFuzzInput& input) {
  TMacro macro = NewMacro();
  macro.MacroType = input.Type;
  for (int field = 0; field < kMacroTextCount; ++field) {
    const TMacroText text = static_cast<TMacroText>(field);
    SetMacroText(macro, text, input.Fields[field].substr(0, MacroTextCapacity(text)));
  }
  return macro;
}

// The answers are given by name, so the names are first found the way the
// run itself finds them.
TRunAnswers AnswersFor(const TMacro& macro, const TFuzzInput& input) {
  TMacroRun scout(macro, FixedSize);
  scout.ExpandAllLineTokens();
  scout.ScanAllVariables();

  const std::vector<std::string> values(input.Fields.begin() + kFirstValueField, input.Fields.end());
  std::size_t next = 0;
  auto nextValue = [&]() { return values.empty() ? std::string() : values[next++ % values.size()]; };

  TRunAnswers answers;
  if (!(input.Flags & 2))
    for (const std::string& name : scout.FVarNames) answers.Values[name] = nextValue();
  if (input.Flags & 4)
    for (const std::string& name : scout.FFileVars) answers.Files[name] = nextValue();
  if (input.Flags & 8)
    for (const std::string& name : scout.FImageVars) answers.Images[name] = gPicture.Path;
  answers.HasRelDir = (input.Flags & 1) != 0;
  answers.RelDir = input.Fields[kRelDirField];
  // Copies stay off: a random relative directory would write anywhere.
  answers.CopyRule = kImageCopyNever;
  return answers;
}

struct TOutcome {
  bool Failed = false;
  bool Transformed = false;
  std::string Selection;
  std::array<std::string, kMacroTextCount> Texts;
};

TOutcome RunOnce(const TMacro& macro, const TRunAnswers& answers, const std::string& selection) {
  TOutcome outcome;
  TUnattendedRun run(macro, answers, FixedSize);
  try {
    outcome.Transformed = run.Run(selection);
  } catch (const ERegexError&) {
    Check(macro.MacroType == mtStripTags);
    outcome.Failed = true;
    return outcome;
  }
  outcome.Selection = run.FSelection;
  outcome.Texts = run.FMacro.Texts;
  Check(run.Warnings().empty());
  return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const TFuzzInput input = Parse(data, size);
  if (input.Fields.empty()) return 0;
  const TMacro macro = MacroOf(input);
  const TRunAnswers answers = AnswersFor(macro, input);
  const std::string& selection = input.Fields[kSelectionField];

  const TOutcome first = RunOnce(macro, answers, selection);
  if (first.Failed) return 0;
  const bool textStep = macro.MacroType == mtBlockMode || macro.MacroType == mtLineMode ||
                        macro.MacroType == mtStripTags || macro.MacroType == mtChangeCase;
  Check(first.Transformed == textStep);
  for (int field = kTextBufferCount; field < kMacroTextCount; ++field)
    Check(first.Texts[field].size() <= kReplaceCapacity);

  const TOutcome second = RunOnce(macro, answers, selection);
  Check(!second.Failed && second.Selection == first.Selection && second.Texts == first.Texts);
  return 0;
}
