#include "run/UserVarsLayout.h"

namespace {

// The designed template row and buttons.
constexpr int kLabelLeft = 8;
constexpr int kLabelTop = 92;
constexpr int kEditLeft = 88;
constexpr int kEditTop = 88;
constexpr int kEditWidth = 329;
constexpr int kEditHeight = 21;
constexpr int kBrowseGap = 32;
constexpr int kButtonTop = 116;

bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// A selection from a Unix or old Mac program keeps to one line too.
std::string OnOneLine(const std::string& text) {
  std::string line;
  line.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    line += (c == '\r' || c == '\n') ? ' ' : c;
  }
  return line;
}

// Bytes of the first `count` characters (whole UTF-8 sequences).
std::size_t LengthOfCharacters(const std::string& text, std::size_t count, bool utf8) {
  if (!utf8) return count < text.size() ? count : text.size();
  std::size_t at = 0;
  for (std::size_t seen = 0; at < text.size() && seen < count; ++seen) {
    ++at;
    while (at < text.size() && IsUtf8Continuation(text[at])) ++at;
  }
  return at;
}

}  // namespace

std::string SelectionPreview(const std::string& selection, bool utf8) {
  std::string line = OnOneLine(selection);
  std::size_t cut = LengthOfCharacters(line, kSelectionPreviewLength, utf8);
  if (cut >= line.size()) return line;
  return line.substr(0, cut) + "...";
}

int UserVarsClientHeight(std::size_t variableCount, bool usesRelDir) {
  int rows = static_cast<int>(variableCount) + (usesRelDir ? 2 : 0);
  return kUserVarsClientHeight + kUserVarsRowStep * (rows - 1);
}

TUserVarsRowPlace UserVarsRow(int row, bool besideBrowse) {
  int step = kUserVarsRowStep * row;
  return {kLabelLeft, kLabelTop + step, kEditLeft, kEditTop + step,
          besideBrowse ? kEditWidth - kBrowseGap : kEditWidth, kEditHeight};
}

TUserVarsButtons UserVarsButtons(int clientHeight) {
  int top = kButtonTop + clientHeight - kUserVarsClientHeight;
  return {244, 332, top, 85, 21, 388, kEditTop, 29, kEditHeight};
}

TUserVarLabel UserVarLabel(const std::string& name) {
  if (!name.empty() && name[0] == '!') return {name.substr(1), true};
  return {name, false};
}
