#pragma once
// A whole run of a macro with every answer given beforehand instead of asked:
// values instead of the prompt, paths instead of the open dialogs. What
// zarvel-cli apply does, and what the tests of whole runs drive.

#include <map>
#include <string>
#include <vector>

#include "run/ImageCopy.h"
#include "store/Settings.h"
#include "store/StoreEncoding.h"
#include "run/MacroRun.h"

// Answers are UTF-8, texts and paths alike. A macro of an ANSI folder runs
// in the ANSI code page of the macro files while every answer fits it (the
// paths stay UTF-8 for the file system, their text goes in as ANSI) and in
// UTF-8 otherwise, its result too, as the resident program does with such a
// selection. A macro of a UTF-8 folder runs in UTF-8 from the start: its
// texts are UTF-8 as they lie in the record, and so are the selection and
// the result.
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
  // encoding: the folder's the macro comes from (see StoreEncoding.h).
  TUnattendedRun(const TMacro& macro, const TRunAnswers& answers, TStoreEncoding encoding,
                 TImageSizeReader readImageSize = ReadImageSize);

  // Everything a run does before its own step (line tokens, replace pairs,
  // variables, files, pictures), `selection` standing for the captured text.
  // Raises when a given picture does not exist or a copy fails.
  void Prepare(const std::string& selection);
  // Prepare, then the processing step; false when the macro's type has no
  // text step (the texts are still prepared).
  bool Run(const std::string& selection);

  // Messages the resident program would show without stopping the run, and
  // a note when the answers made the run's texts (and so its result) UTF-8.
  const std::vector<std::string>& Warnings() const { return FWarnings; }

 private:
  std::string ValueOf(int index) const;
  void ApplyAnswers();
  // Brings the answers into the run's code page, switching it to UTF-8
  // when one of them has no ANSI form.
  void TakeAnswerTexts();
  std::string TextOfPath(const std::string& path) const;
  std::string PathOfText(const std::string& text) const;
  void PickImage(int index);

  TRunAnswers FAnswers;
  TStoreEncoding FEncoding = TStoreEncoding::Ansi;
  std::vector<std::string> FWarnings;
};
