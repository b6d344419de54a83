// Block mode and line mode: the selection wrapped in the macro's templates.
#include "run/MacroRun.h"

#include <utility>
#include <vector>

#include "support/StrUtils.h"

namespace {

const std::string kLineTag = "{line}";
const std::string kLineBreak = "\r\n";

// A template cut at its "{line}" tags, found once, left to right and without
// overlap. Appending the parts with the piece between them gives what
// ReplaceAll on the template would, since an inserted piece is never searched
// again, without searching the template anew for each of a million lines.
class TSplitTemplate {
 public:
  explicit TSplitTemplate(const std::string& text) {
    int from = 1;
    for (int at; (at = PosFrom(text, kLineTag, from)) > 0;) {
      FParts.push_back(text.substr(from - 1, at - from));
      from = at + static_cast<int>(kLineTag.size());
    }
    FParts.push_back(from <= static_cast<int>(text.size()) ? text.substr(from - 1) : std::string());
  }

  void AppendWith(const char* piece, std::size_t pieceLength, std::string& out) const {
    out += FParts[0];
    for (std::size_t i = 1; i < FParts.size(); ++i) {
      out.append(piece, pieceLength);
      out += FParts[i];
    }
  }

 private:
  std::vector<std::string> FParts;
};

// An empty Line2 ends the cycle there even when Line3 is filled.
int TemplateCount(const TRunMacro& macro) {
  int count = 3;
  if (macro.Text(mxLine3).empty()) count = 2;
  if (macro.Text(mxLine2).empty()) count = 1;
  return count;
}

void AppendFirstLine(const TRunMacro& macro, std::string& out) {
  out += macro.Text(mxFirstLine);
  if (!macro.Text(mxFirstLine).empty()) out += kLineBreak;
}

void AppendLastLine(const TRunMacro& macro, std::string& out) {
  out += macro.Text(mxLastLine);
  if (!macro.Text(mxLastLine).empty()) out += kLineBreak;
}

}  // namespace

// "{line}" is replaced in the first line and the template, not in the last
// line, where it stays as written.
void TMacroRun::DoBlockMode() {
  std::string result;
  AppendFirstLine(FMacro, result);
  result += FMacro.Text(mxLine1);
  ReplaceAll(result, kLineTag, FSelection);
  AppendLastLine(FMacro, result);
  FSelection = std::move(result);
}

// Every CR and every LF splits, except inside double quotes, and empty pieces
// are skipped without moving on to the next template: blank lines and the
// halves of CR LF produce nothing.
void TMacroRun::DoLineMode() {
  const int count = TemplateCount(FMacro);
  const TSplitTemplate templates[3] = {TSplitTemplate(FMacro.Text(mxLine1)),
                                       TSplitTemplate(FMacro.Text(mxLine2)),
                                       TSplitTemplate(FMacro.Text(mxLine3))};
  std::string result;
  result.reserve(FSelection.size() + FMacro.Text(mxFirstLine).size() + FMacro.Text(mxLastLine).size() + 4);
  AppendFirstLine(FMacro, result);

  const int length = static_cast<int>(FSelection.size());
  int pos = 1;
  int k = 0;
  std::string piece;
  do {
    NextToken(FSelection, "\r\n", pos, piece);
    if (piece.empty()) continue;
    k = k % count + 1;
    templates[k - 1].AppendWith(piece.data(), piece.size(), result);
    result += kLineBreak;
  } while (pos >= 1 && pos <= length);

  AppendLastLine(FMacro, result);
  FSelection = std::move(result);
}
