// User, file and image variables put into the texts.
#include "run/MacroRun.h"
#include "base/PathParts.h"

#include <string>

#include "base/OsFile.h"
#include "base/StrUtils.h"

namespace {

const std::string kSectionOpen = "{!";
const std::string kSectionClose = "!}";

// One pass over the occurrences of a section variable's tag. A section is
// bound to the nearest "{!" before the occurrence and the nearest "!}" after
// it, so sections do not nest; an empty value removes the section whole, any
// other value removes only its markers.
void ApplySections(std::string& text, const std::string& tag, bool valueIsEmpty) {
  int from = 1;
  for (int at; (at = PosFrom(text, tag, from)) > 0;) {
    const int after = at + static_cast<int>(tag.size());
    const int open = LastPosBefore(text, kSectionOpen, after);
    const int close = PosFrom(text, kSectionClose, after);
    if (open == 0 || close == 0) {
      from = after;
    } else if (valueIsEmpty) {
      DeleteInPlace(text, open, close + 2 - open);
      from = open;
    } else {
      DeleteInPlace(text, open, 2);
      DeleteInPlace(text, close - 2, 2);
      // Goes on from where the tag ended before its "{!" went, two characters
      // past its end now: an occurrence starting right there is not taken as
      // a section tag, only replaced by the value afterwards.
      from = after;
    }
  }
}

}  // namespace

void TMacroRun::ApplyUserVariable(int index, std::string& text, const std::string& value) const {
  const std::string token = UserVariableToken(index);
  const std::string tag = "{$" + token + "}";
  if (!token.empty() && token[0] == '!') ApplySections(text, tag, value.empty());
  ReplaceAll(text, tag, value);
}

void TMacroRun::ApplyUserVariables(const std::vector<std::string>& values) {
  for (int k = 0; k < UserVariableCount(); ++k) {
    const std::string& value = values.at(static_cast<std::size_t>(k));
    ForEachText([this, k, &value](std::string& text) { ApplyUserVariable(k, text, value); });
  }
}

void TMacroRun::ApplyFileVariable(int index, std::string& text, const std::string& path) const {
  ReplaceAll(text, "{file:" + FFileVars.at(static_cast<std::size_t>(index)) + "}", path);
}

void TMacroRun::SubstituteFileVariable(int index, const std::string& path) {
  ForEachText([this, index, &path](std::string& text) { ApplyFileVariable(index, text, path); });
}

TImageSize TMacroRun::ImageSizeOf(const std::string& path) const {
  if (!FReadImageSize || path.empty() || !FileExists(path)) return TImageSize();
  return FReadImageSize(path);
}

// Width and height are filled only for names that also have an image tag, and
// the relative-directory tag goes only in runs with an image variable: that
// is when the user has confirmed a directory the tag could stand for.
void TMacroRun::ApplyImageVariable(int index, std::string& text, const std::string& relDir,
                                   const std::string& path, TImageSize size) const {
  const std::string& name = FImageVars.at(static_cast<std::size_t>(index));
  ReplaceAll(text, "{image:" + name + "}", relDir + FileNameOfPath(path));
  ReplaceAll(text, "{width:" + name + "}", std::to_string(size.Width));
  ReplaceAll(text, "{height:" + name + "}", std::to_string(size.Height));
  ReplaceAll(text, "{reldir:" + FRelDirName + "}", "");
}

// The picture is read once for all eleven texts.
void TMacroRun::SubstituteImageVariable(int index, const std::string& path) {
  const TImageSize size = ImageSizeOf(path);
  ForEachText([this, index, &path, size](std::string& text) {
    ApplyImageVariable(index, text, FRelDir, path, size);
  });
}
