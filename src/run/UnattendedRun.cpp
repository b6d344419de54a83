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

std::string TUnattendedRun::ValueOf(int index) const {
  const std::string& name = FVarNames[index];
  const std::string* value = Find(FAnswers.Values, name);
  if (!value && !name.empty() && name[0] == '!') value = Find(FAnswers.Values, name.substr(1));
  return value ? *value : FVarDefaults[index];
}

void TUnattendedRun::Prepare(const std::string& selection) {
  ExpandAllLineTokens();
  if (TakesSelection(FMacro.MacroType)) {
    FSelection = selection;
    ApplyReplacePairs();
  }
  ScanAllVariables();
  ApplyAnswers();
}

void TUnattendedRun::ApplyAnswers() {
  if (FUsesRelDir) FRelDir = FAnswers.HasRelDir ? FAnswers.RelDir : FRelDirName;
  std::vector<std::string> values;
  for (int k = 0; k < UserVariableCount(); ++k) values.push_back(ValueOf(k));
  ApplyUserVariables(values);
  for (std::size_t k = 0; k < FFileVars.size(); ++k) {
    const std::string* path = Find(FAnswers.Files, FFileVars[k]);
    SubstituteFileVariable(static_cast<int>(k), path ? *path : std::string());
  }
  for (std::size_t k = 0; k < FImageVars.size(); ++k) PickImage(static_cast<int>(k));
}

void TUnattendedRun::PickImage(int index) {
  const std::string* given = Find(FAnswers.Images, FImageVars[index]);
  const std::string path = given ? *given : std::string();
  if (!path.empty() && !FileExists(path))
    throw std::runtime_error("The picture \"" + path + "\" does not exist.");
  if (!path.empty() && FUsesRelDir && FAnswers.CopyRule == kImageCopyAlways &&
      ImageNeedsCopy(path, ImageCopyTarget(FAnswers.WorkDir, FRelDir, path))) {
    if (!CopyImage(path, FAnswers.WorkDir, FRelDir)) FWarnings.push_back("Error while creating directory!");
  }
  SubstituteImageVariable(index, path);
}

bool TUnattendedRun::Run(const std::string& selection) {
  Prepare(selection);
  return RunTextStep();
}
