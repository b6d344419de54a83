#include "run/UnattendedRun.h"

#include <stdexcept>

#include "base/OsFile.h"

namespace {

const std::string* Find(const std::map<std::string, std::string>& answers, const std::string& name) {
  auto found = answers.find(name);
  return found == answers.end() ? nullptr : &found->second;
}

}  // namespace

bool TakesSelection(std::uint8_t macroType) {
  return macroType < kMacroTypeCount && macroType != mtRunProgram;
}

TUnattendedRun::TUnattendedRun(const TMacro& macro, const TRunAnswers& answers,
                               TImageSizeReader readImageSize)
    : TMacroRun(macro, std::move(readImageSize)), FAnswers(answers) {}

TUnattendedRun::TUnattendedRun(const TMacro& macro, const TRunAnswers& answers, TStoreEncoding encoding,
                               TImageSizeReader readImageSize)
    : TMacroRun(macro, std::move(readImageSize)), FAnswers(answers), FEncoding(encoding) {}

std::string TUnattendedRun::ValueOf(int index) const {
  const std::string& name = FVarNames[index];
  const std::string* value = Find(FAnswers.Values, name);
  if (!value && !name.empty() && name[0] == '!') value = Find(FAnswers.Values, name.substr(1));
  return value ? *value : FVarDefaults[index];
}

void TUnattendedRun::Prepare(const std::string& selection) {
  // Nothing to convert: a UTF-8 folder's texts are UTF-8 as they lie in the record.
  if (FEncoding == TStoreEncoding::Utf8) UseUtf8Texts([](const std::string& text) { return text; });
  ExpandAllLineTokens();
  if (TakesSelection(FMacro.MacroType)) {
    FSelection = selection;
    ApplyReplacePairs();
  }
  ScanAllVariables();
  TakeAnswerTexts();
  ApplyAnswers();
}

void TUnattendedRun::TakeAnswerTexts() {
  if (FUtf8Texts) return;  // the answers are UTF-8 already, as the run's texts
  bool fit = true;
  std::string ansi;
  auto check = [&fit, &ansi](const std::string& text) {
    if (fit && !AnsiFromPathName(text, ansi)) fit = false;
  };
  for (const auto* table : {&FAnswers.Values, &FAnswers.Files, &FAnswers.Images})
    for (const auto& entry : *table) {
      check(entry.first);
      check(entry.second);
    }
  check(FAnswers.RelDir);
  if (!fit) {
    UseUtf8Texts(PathNameFromAnsi);
    FWarnings.push_back("An answer holds characters that the ANSI code page cannot hold: the result is UTF-8.");
    return;
  }
  auto toAnsi = [](const std::string& text) {
    std::string converted;
    AnsiFromPathName(text, converted);
    return converted;
  };
  // Names and values become texts of the run; the paths stay as they are.
  std::map<std::string, std::string> values, files, images;
  for (const auto& entry : FAnswers.Values) values[toAnsi(entry.first)] = toAnsi(entry.second);
  for (const auto& entry : FAnswers.Files) files[toAnsi(entry.first)] = entry.second;
  for (const auto& entry : FAnswers.Images) images[toAnsi(entry.first)] = entry.second;
  FAnswers.Values.swap(values);
  FAnswers.Files.swap(files);
  FAnswers.Images.swap(images);
  FAnswers.RelDir = toAnsi(FAnswers.RelDir);
}

std::string TUnattendedRun::TextOfPath(const std::string& path) const {
  if (FUtf8Texts) return path;
  std::string ansi;
  AnsiFromPathName(path, ansi);
  return ansi;
}

std::string TUnattendedRun::PathOfText(const std::string& text) const {
  return FUtf8Texts ? text : PathNameFromAnsi(text);
}

void TUnattendedRun::ApplyAnswers() {
  if (FUsesRelDir) FRelDir = FAnswers.HasRelDir ? FAnswers.RelDir : FRelDirName;
  std::vector<std::string> values;
  for (int k = 0; k < UserVariableCount(); ++k) values.push_back(ValueOf(k));
  ApplyUserVariables(values);
  for (std::size_t k = 0; k < FFileVars.size(); ++k) {
    const std::string* path = Find(FAnswers.Files, FFileVars[k]);
    SubstituteFileVariable(static_cast<int>(k), path ? TextOfPath(*path) : std::string());
  }
  for (std::size_t k = 0; k < FImageVars.size(); ++k) PickImage(static_cast<int>(k));
}

void TUnattendedRun::PickImage(int index) {
  const std::string* given = Find(FAnswers.Images, FImageVars[index]);
  const std::string path = given ? *given : std::string();
  if (!path.empty() && !FileExists(path))
    throw std::runtime_error("The picture \"" + path + "\" does not exist.");
  const std::string relDir = PathOfText(FRelDir);
  if (!path.empty() && FUsesRelDir && FAnswers.CopyRule == kImageCopyAlways &&
      ImageNeedsCopy(path, ImageCopyTarget(FAnswers.WorkDir, relDir, path))) {
    if (!CopyImage(path, FAnswers.WorkDir, relDir)) FWarnings.push_back("Error while creating directory!");
  }
  // The picture is read by its path; the text gets the path in the run's form.
  const TImageSize size = ImageSizeOf(path);
  const std::string text = TextOfPath(path);
  ForEachText([this, index, &text, size](std::string& target) {
    ApplyImageVariable(index, target, FRelDir, text, size);
  });
}

bool TUnattendedRun::Run(const std::string& selection) {
  Prepare(selection);
  return RunTextStep();
}
