#include "editor/TemplateEdits.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kCrLf = "\r\n";

}  // namespace

TEST(TemplateInsertion, EachCommandMakesItsTagWithTheNameAsTyped) {
  EXPECT_EQ(TemplateInsertion(tcLine, "sel", "ignored"), "{line}");
  EXPECT_EQ(TemplateInsertion(tcVariable, "", "who"), "{$who}");
  EXPECT_EQ(TemplateInsertion(tcFile, "", "doc"), "{file:doc}");
  EXPECT_EQ(TemplateInsertion(tcImage, "", "pic"), "{image:pic}");
  EXPECT_EQ(TemplateInsertion(tcImageWidth, "", "pic"), "{width:pic}");
  EXPECT_EQ(TemplateInsertion(tcImageHeight, "", "pic"), "{height:pic}");
  // Names are not checked: empty, defaults, spaces and braces go in as typed.
  EXPECT_EQ(TemplateInsertion(tcVariable, "", ""), "{$}");
  EXPECT_EQ(TemplateInsertion(tcVariable, "", "!name=Ann Lee"), "{$!name=Ann Lee}");
  EXPECT_EQ(TemplateInsertion(tcFile, "", "a}b"), "{file:a}b}");
}

TEST(TemplateInsertion, OptionalWrapsTheSelectionWhateverItHolds) {
  EXPECT_EQ(TemplateInsertion(tcOptional, "", "x"), "{!!}");
  EXPECT_EQ(TemplateInsertion(tcOptional, "Dear {$!name},", ""), "{!Dear {$!name},!}");
  EXPECT_EQ(TemplateInsertion(tcOptional, "a\r\n\tb", ""), "{!a\r\n\tb!}");
}

TEST(TemplateInsertion, OnlyTheNamedTagsAskForANameWithTheirOwnCaption) {
  EXPECT_EQ(NameQuestionCaption(tcVariable), "Add variable");
  EXPECT_EQ(NameQuestionCaption(tcFile), "Add file variable");
  EXPECT_EQ(NameQuestionCaption(tcImage), "Add image variable");
  EXPECT_EQ(NameQuestionCaption(tcImageWidth), "Add image width");
  EXPECT_EQ(NameQuestionCaption(tcImageHeight), "Add image height");
  EXPECT_EQ(NameQuestionCaption(tcLine), "");
  EXPECT_EQ(NameQuestionCaption(tcOptional), "");
}

TEST(ReplaceSelection, InsertsAtTheCaretOrReplacesTheSelectionAndPutsTheCaretAfter) {
  TTextEdit atCaret = ReplaceSelection("Hello world", 6, 6, "{line} ");
  EXPECT_EQ(atCaret.Text, "Hello {line} world");
  EXPECT_EQ(atCaret.Caret, 13u);

  TTextEdit overWord = ApplyTemplateCommand("Hi who!", 3, 6, tcVariable, "who");
  EXPECT_EQ(overWord.Text, "Hi {$who}!");
  EXPECT_EQ(overWord.Caret, 9u);

  TTextEdit atStart = ReplaceSelection("abc", 0, 0, "{line}");
  EXPECT_EQ(atStart.Text, "{line}abc");
  EXPECT_EQ(atStart.Caret, 6u);

  TTextEdit atEnd = ReplaceSelection("abc", 3, 3, "{line}");
  EXPECT_EQ(atEnd.Text, "abc{line}");
  EXPECT_EQ(atEnd.Caret, 9u);

  TTextEdit whole = ReplaceSelection("abc", 0, 3, "x");
  EXPECT_EQ(whole.Text, "x");
  EXPECT_EQ(whole.Caret, 1u);
}

TEST(ReplaceSelection, ABackwardOrOverlongSelectionIsTakenInOrderAndCut) {
  // Selecting leftwards gives the anchor after the caret.
  TTextEdit backward = ApplyTemplateCommand("one two", 7, 4, tcOptional, "");
  EXPECT_EQ(backward.Text, "one {!two!}");
  EXPECT_EQ(backward.Caret, 11u);
  TTextEdit beyond = ReplaceSelection("abc", 2, 99, "Z");
  EXPECT_EQ(beyond.Text, "abZ");
  EXPECT_EQ(beyond.Caret, 3u);
  TTextEdit bothBeyond = ReplaceSelection("abc", 50, 60, "Z");
  EXPECT_EQ(bothBeyond.Text, "abcZ");
  EXPECT_EQ(bothBeyond.Caret, 4u);
  TTextEdit empty = ApplyTemplateCommand("", 0, 0, tcOptional, "");
  EXPECT_EQ(empty.Text, "{!!}");
  EXPECT_EQ(empty.Caret, 4u);
}

TEST(ReplaceSelection, OptionalOverLinesAndTabsKeepsThemIntact) {
  std::string text = "Hi\r\n\tDear {$!name},\r\nBye";
  TTextEdit section = ApplyTemplateCommand(text, 4, 19, tcOptional, "");
  EXPECT_EQ(section.Text, "Hi\r\n{!\tDear {$!name},!}\r\nBye");
  EXPECT_EQ(section.Caret, 23u);
}

TEST(TemplateFileLines, EveryKindOfLineBreakReadsAsCrLf) {
  EXPECT_EQ(TextFromFileLines("a\r\nb"), "a" + kCrLf + "b");
  EXPECT_EQ(TextFromFileLines("a\nb\n"), "a" + kCrLf + "b" + kCrLf);
  EXPECT_EQ(TextFromFileLines("a\rb"), "a" + kCrLf + "b");
  EXPECT_EQ(TextFromFileLines("a\n\r\nb\r\r"), "a" + kCrLf + kCrLf + "b" + kCrLf + kCrLf);
  EXPECT_EQ(TextFromFileLines("\r\n"), kCrLf);
  EXPECT_EQ(TextFromFileLines(""), "");
  // Tabs and bytes above 127 are text like any other.
  EXPECT_EQ(TextFromFileLines("\t\xE9\xFF"), "\t\xE9\xFF");
}

TEST(TemplateFileLines, SavingWritesCrLfAndAddsNothingSoTheTextComesBackTheSame) {
  EXPECT_EQ(FileLinesFromText("a\nb\rc\r\nd"), "a\r\nb\r\nc\r\nd");
  EXPECT_EQ(FileLinesFromText("no break"), "no break") << "no line break appended";
  for (const std::string& text : {std::string("{$a}\tx\r\n{line}"), std::string("\r\n\r\n"),
                                  std::string("last\r\n"), std::string("")}) {
    EXPECT_EQ(TextFromFileLines(FileLinesFromText(text)), text);
  }
}

// The editor speaks UTF-8 and saves UTF-8; files of older copies are ANSI.
TEST(TemplateFileLines, UnicodeFilesReadAsTheyAreAndAnsiFilesInTheirCodePage) {
  const std::string unicode = "\xE2\x86\x92 \xE2\x9C\x93 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80";  // → ✓ 日本 😀
  EXPECT_EQ(TemplateFileText(FileLinesFromText(unicode + "\n{line}"), 1252), unicode + kCrLf + "{line}");
  EXPECT_EQ(TemplateFileText("\xEF\xBB\xBF" + unicode, 1252), unicode) << "a byte order mark is no text";
  EXPECT_EQ(TemplateFileText("caf\xE9\nna\xEFve", 1252), "caf\xC3\xA9" + kCrLf + "na\xC3\xAFve");
  EXPECT_EQ(TemplateFileText("", 1252), "");
}

TEST(TemplateFileLines, AnAnswerIsTakenAsUtf8OnlyWhenItIsUtf8) {
  EXPECT_EQ(TextAsUtf8("name", 1252), "name");
  EXPECT_EQ(TextAsUtf8("r\xC3\xA9sum\xC3\xA9", 1252), "r\xC3\xA9sum\xC3\xA9");
  EXPECT_EQ(TextAsUtf8("r\xE9sum\xE9", 1252), "r\xC3\xA9sum\xC3\xA9");
}
