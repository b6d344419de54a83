#include "store/Macro.h"

#include <cstring>

ETextTooLong::ETextTooLong(const std::string& field, std::size_t length, std::size_t capacity)
    : std::runtime_error("The text of " + field + " is " + std::to_string(length) +
                         " characters long; it can hold at most " + std::to_string(capacity) +
                         "."),
      FField(field) {}

std::string ReadTextBuffer(const char (&buffer)[kTextBufferSize]) {
  const void* zero = std::memchr(buffer, 0, kTextBufferSize);
  std::size_t length = zero ? static_cast<const char*>(zero) - buffer : kTextBufferSize;
  return std::string(buffer, length);
}

void WriteTextBuffer(char (&buffer)[kTextBufferSize], const std::string& text,
                     const std::string& fieldName) {
  if (text.size() > kTextCapacity) throw ETextTooLong(fieldName, text.size(), kTextCapacity);
  std::memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = '\0';
}

namespace {

const char* const kTextNames[kMacroTextCount] = {
    "FirstLine", "LastLine", "Line1",    "Line2", "Line3", "Replace1",
    "With1",     "Replace2", "With2",    "Replace3", "With3"};

char (*TextBuffer(TMacro& macro, TMacroText field))[kTextBufferSize] {
  switch (field) {
    case mxFirstLine: return &macro.FirstLine;
    case mxLastLine: return &macro.LastLine;
    case mxLine1: return &macro.Line1;
    case mxLine2: return &macro.Line2;
    case mxLine3: return &macro.Line3;
    default: return nullptr;
  }
}

TShortString<kReplaceCapacity>* ReplaceString(TMacro& macro, TMacroText field) {
  switch (field) {
    case mxReplace1: return &macro.Replace1;
    case mxWith1: return &macro.With1;
    case mxReplace2: return &macro.Replace2;
    case mxWith2: return &macro.With2;
    case mxReplace3: return &macro.Replace3;
    case mxWith3: return &macro.With3;
    default: return nullptr;
  }
}

const char* const kTypeNames[kMacroTypeCount] = {
    "Block Mode", "Line Mode", "Run Program", "Strip Tags",
    "Change Case", "Tidy HTML", "Email"};

}  // namespace

const char* MacroTextName(TMacroText field) { return kTextNames[field]; }

std::size_t MacroTextCapacity(TMacroText field) {
  return field < kTextBufferCount ? kTextCapacity : kReplaceCapacity;
}

std::string GetMacroText(const TMacro& macro, TMacroText field) {
  TMacro& writable = const_cast<TMacro&>(macro);  // only read below
  if (auto buffer = TextBuffer(writable, field)) return ReadTextBuffer(*buffer);
  return ReadShortString(*ReplaceString(writable, field));
}

void SetMacroText(TMacro& macro, TMacroText field, const std::string& text) {
  if (auto buffer = TextBuffer(macro, field)) {
    WriteTextBuffer(*buffer, text, MacroTextName(field));
    return;
  }
  if (text.size() > kReplaceCapacity)
    throw ETextTooLong(MacroTextName(field), text.size(), kReplaceCapacity);
  WriteShortString(*ReplaceString(macro, field), text);
}

std::string GetTitle(const TMacro& macro) { return ReadShortString(macro.Title); }

void SetTitle(TMacro& macro, const std::string& title) {
  if (title.size() > kTitleCapacity) throw ETextTooLong("Title", title.size(), kTitleCapacity);
  WriteShortString(macro.Title, title);
}

TMacro NewMacro() {
  TMacro macro;
  std::memset(&macro, 0, sizeof macro);
  WriteShortString(macro.Title, "untitled");
  return macro;
}

std::string MacroTypeName(std::uint8_t type) {
  return type < kMacroTypeCount ? kTypeNames[type] : "";
}

int MacroTypeToIndex(std::uint8_t type) { return type < kMacroTypeCount ? type : -1; }

std::uint8_t IndexToMacroType(int index) {
  return index >= 1 && index < kMacroTypeCount ? static_cast<std::uint8_t>(index)
                                                : static_cast<std::uint8_t>(mtBlockMode);
}
