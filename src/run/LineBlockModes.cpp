// Block mode and line mode: the selection wrapped in the macro's templates.
#include "run/MacroRun.h"

#include <utility>
#include <vector>

#include "base/StrUtils.h"

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
    for (const std::string& part : FParts) FFixedLength += part.size();
  }

  // The length AppendWith adds for a piece of pieceLength bytes.
  std::size_t LengthWith(std::size_t pieceLength) const {
    return FFixedLength + (FParts.size() - 1) * pieceLength;
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
  std::size_t FFixedLength = 0;
};

// The pieces line mode makes of a text: split at every CR and LF outside
// double quotes, a quote's effect ending with its piece (NextToken's rule),
// empty pieces skipped. Calls found(start, length) for each in order.
template <typename Found>
void ForEachPiece(const std::string& text, Found found) {
  const char* data = text.data();
  const std::size_t n = text.size();
  std::size_t start = 0;
  for (;;) {
    bool quoted = false;
    std::size_t i = start;
    for (; i < n; ++i) {
      const char c = data[i];
      if (c == '"') quoted = !quoted;
      else if (!quoted && (c == '\r' || c == '\n')) break;
    }
    if (i > start) found(start, i - start);
    if (i + 1 >= n) return;
    start = i + 1;
  }
}

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
  std::string head;
  AppendFirstLine(FMacro, head);
  head += FMacro.Text(mxLine1);
  const TSplitTemplate block(head);
  std::string result;
  result.reserve(block.LengthWith(FSelection.size()) + FMacro.Text(mxLastLine).size() + kLineBreak.size());
  block.AppendWith(FSelection.data(), FSelection.size(), result);
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
  // The result is measured first, so that it is written once into memory
  // taken once: a million lines would otherwise copy it over as it grows.
  std::size_t length = FMacro.Text(mxFirstLine).size() + FMacro.Text(mxLastLine).size() + 2 * kLineBreak.size();
  int k = 0;
  ForEachPiece(FSelection, [&](std::size_t, std::size_t pieceLength) {
    length += templates[k].LengthWith(pieceLength) + kLineBreak.size();
    k = (k + 1) % count;
  });
  std::string result;
  result.reserve(length);
  AppendFirstLine(FMacro, result);
  k = 0;
  const char* data = FSelection.data();
  ForEachPiece(FSelection, [&](std::size_t start, std::size_t pieceLength) {
    templates[k].AppendWith(data + start, pieceLength, result);
    result += kLineBreak;
    k = (k + 1) % count;
  });

  AppendLastLine(FMacro, result);
  FSelection = std::move(result);
}
