#pragma once
// The text operations of the template editor, apart from its window: what
// each toolbar command puts in place of the selection, where the caret ends,
// and how a text file's lines become the editor's text and back.

#include <cstddef>
#include <string>

// The toolbar commands that put a tag (or a section) in place of the
// selection.
enum TTemplateCommand {
  tcLine,         // {line}
  tcVariable,     // {$name}
  tcFile,         // {file:name}
  tcImage,        // {image:name}
  tcImageWidth,   // {width:name}
  tcImageHeight,  // {height:name}
  tcOptional,     // {! selection !}
};

// The caption of the name question a command asks ("Add variable" ...);
// empty for the commands that ask nothing.
std::string NameQuestionCaption(TTemplateCommand command);
constexpr const char* kNameQuestionPrompt = "Please enter the variable name:";

// The text that replaces `selected` for a command: the tag with `name`
// exactly as typed (empty too), or the selection wrapped as an optional
// section.
std::string TemplateInsertion(TTemplateCommand command, const std::string& selected,
                              const std::string& name);

// A text with its caret, both as the edit shows them (offsets in bytes).
struct TTextEdit {
  std::string Text;
  std::size_t Caret;
};

// `insertion` in place of the bytes from `start` to `end` (either order;
// offsets past the end count as the end), the caret just after it.
TTextEdit ReplaceSelection(const std::string& text, std::size_t start, std::size_t end,
                           const std::string& insertion);
// One command on a text with a selection.
TTextEdit ApplyTemplateCommand(const std::string& text, std::size_t start, std::size_t end,
                               TTemplateCommand command, const std::string& name);

// A text that may be UTF-8 or ANSI as UTF-8: one that is valid UTF-8 is
// taken as it is, any other read in the ANSI code page.
std::string TextAsUtf8(const std::string& text, unsigned ansiCodePage);
// A template file's bytes as the editor's (UTF-8) text: a UTF-8 file, with
// or without its byte order mark, as it is; an older file in the ANSI code
// page read in it; the lines joined as TextFromFileLines joins them. The
// editor saves UTF-8 (FileLinesFromText of its text).
std::string TemplateFileText(const std::string& bytes, unsigned ansiCodePage);

// A text file's bytes as the editor's text: its lines joined with CR LF,
// whether the file broke them with CR LF, LF or CR; a last line break stays
// as the file has it.
std::string TextFromFileLines(const std::string& bytes);
// The editor's text as a file's bytes: every line break written as CR LF,
// nothing added at the end.
std::string FileLinesFromText(const std::string& text);
