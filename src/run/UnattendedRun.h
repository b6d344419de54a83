#pragma once
// A whole run of a macro with every answer given beforehand instead of asked:
// values instead of the prompt, paths instead of the open dialogs. What
// zarvel-cli apply does, and what the tests of whole runs drive.

#include <map>
#include <string>
#include <vector>

#include "run/ImageCopy.h"
#include "store/Settings.h"
#include "run/MacroRun.h"

struct TRunAnswers {
  // User variables by name; a section variable may also be named without its
  // "!". Every variable of a name gets its value; one not named keeps its
  // default, as when the prompt is confirmed at once.
  std::map<std::string, std::string> Values;
  // File variables by name; one not named is empty, as after a cancelled dialog.
  std::map<std::string, std::string> Files;
  // Image variables by name; one not named counts as not picked (empty).
  std::map<std::string, std::string> Images;
  std::string WorkDir;
  bool HasRelDir = false;
  std::string RelDir;  // without HasRelDir: the name of the last "{reldir:" tag
  int CopyRule = kImageCopyNever;
};

// Whether a macro type takes the selection (and its result is pasted): not
// Run Program, not an unknown type.
bool TakesSelection(std::uint8_t macroType);

class TUnattendedRun : public TMacroRun {
 public:
  TUnattendedRun(const TMacro& macro, const TRunAnswers& answers,
                 TImageSizeReader readImageSize = ReadImageSize);

  // Everything a run does before its own step (line tokens, replace pairs,
  // variables, files, pictures), `selection` standing for the captured text.
  // Raises when a given picture does not exist or a copy fails.
  void Prepare(const std::string& selection);
  // Prepare, then the processing step; false when the macro's type has no
  // text step (the texts are still prepared).
  bool Run(const std::string& selection);

  // Messages the resident program would show without stopping the run.
  const std::vector<std::string>& Warnings() const { return FWarnings; }

 private:
  std::string ValueOf(int index) const;
  void ApplyAnswers();
  void PickImage(int index);

  TRunAnswers FAnswers;
  std::vector<std::string> FWarnings;
};
