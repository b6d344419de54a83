#include "editor/TemplateEdits.h"

#include <algorithm>

#include "store/StoreText.h"

std::string NameQuestionCaption(TTemplateCommand command) {
  switch (command) {
    case tcVariable: return "Add variable";
    case tcFile: return "Add file variable";
    case tcImage: return "Add image variable";
    case tcImageWidth: return "Add image width";
    case tcImageHeight: return "Add image height";
    case tcLine:
    case tcOptional: break;
  }
  return std::string();
}

std::string TemplateInsertion(TTemplateCommand command, const std::string& selected,
                              const std::string& name) {
  switch (command) {
    case tcLine: return "{line}";
    case tcVariable: return "{$" + name + "}";
    case tcFile: return "{file:" + name + "}";
    case tcImage: return "{image:" + name + "}";
    case tcImageWidth: return "{width:" + name + "}";
    case tcImageHeight: return "{height:" + name + "}";
    case tcOptional: return "{!" + selected + "!}";
  }
  return std::string();
}

namespace {

struct TRange {
  std::size_t From;
  std::size_t To;
};

TRange Ordered(const std::string& text, std::size_t start, std::size_t end) {
  std::size_t from = std::min(std::min(start, end), text.size());
  std::size_t to = std::min(std::max(start, end), text.size());
  return {from, to};
}

// Every line break (CR LF, lone LF, lone CR) as CR LF.
std::string WithCrLfBreaks(const std::string& text) {
  std::string result;
  result.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r') {
      result += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      result += "\r\n";
    } else {
      result += c;
    }
  }
  return result;
}

}  // namespace

TTextEdit ReplaceSelection(const std::string& text, std::size_t start, std::size_t end,
                           const std::string& insertion) {
  TRange range = Ordered(text, start, end);
  std::string result;
  result.reserve(text.size() - (range.To - range.From) + insertion.size());
  result.append(text, 0, range.From);
  result += insertion;
  result.append(text, range.To, std::string::npos);
  return {result, range.From + insertion.size()};
}

TTextEdit ApplyTemplateCommand(const std::string& text, std::size_t start, std::size_t end,
                               TTemplateCommand command, const std::string& name) {
  TRange range = Ordered(text, start, end);
  std::string selected = text.substr(range.From, range.To - range.From);
  return ReplaceSelection(text, range.From, range.To, TemplateInsertion(command, selected, name));
}

std::string TextFromFileLines(const std::string& bytes) { return WithCrLfBreaks(bytes); }

std::string FileLinesFromText(const std::string& text) { return WithCrLfBreaks(text); }

std::string TextAsUtf8(const std::string& text, unsigned ansiCodePage) {
  const bool utf8 = StoreTextToUtf8(text, kUtf8CodePage) == text;
  return utf8 ? text : StoreTextToUtf8(text, ansiCodePage);
}

std::string TemplateFileText(const std::string& bytes, unsigned ansiCodePage) {
  const std::string byteOrderMark = "\xEF\xBB\xBF";
  if (bytes.compare(0, byteOrderMark.size(), byteOrderMark) == 0)
    return TextFromFileLines(StoreTextToUtf8(bytes.substr(byteOrderMark.size()), kUtf8CodePage));
  return TextFromFileLines(TextAsUtf8(bytes, ansiCodePage));
}
