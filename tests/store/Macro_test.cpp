#include "store/Macro.h"

#include <gtest/gtest.h>

#include <cstring>

#include "store/ShortCut.h"

namespace {

TMacro Zeroed() {
  TMacro macro;
  std::memset(&macro, 0, sizeof macro);
  return macro;
}

}  // namespace

TEST(MacroRecord, NewMacroIsUntitledBlockModeWithEveryOtherByteZero) {
  TMacro macro = NewMacro();
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&macro);
  EXPECT_EQ(bytes[0], 8);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes + 1), 8), "untitled");
  for (std::size_t i = 9; i < sizeof macro; ++i) ASSERT_EQ(bytes[i], 0) << "byte " << i;
}

TEST(MacroRecord, ShortCutIsLittleEndianAtOffset28) {
  TMacro macro = Zeroed();
  macro.ShortCut = 0xC054;
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&macro);
  EXPECT_EQ(bytes[28], 0x54);
  EXPECT_EQ(bytes[29], 0xC0);
}

TEST(ShortStrings, ReaderNeverTrustsALengthByteBeyondTheCapacity) {
  TMacro macro = Zeroed();
  std::memset(macro.Title.Chars, 'x', sizeof macro.Title.Chars);
  macro.Title.Length = 200;  // a damaged record
  EXPECT_EQ(GetTitle(macro), std::string(25, 'x'));
}

TEST(ShortStrings, WriterCutsAndCheckedSetterRefuses) {
  TMacro macro = Zeroed();
  macro.Padding = 0x5A;
  WriteShortString(macro.Title, std::string(40, 'a'));
  EXPECT_EQ(GetTitle(macro), std::string(25, 'a'));
  EXPECT_EQ(macro.MacroType, 0) << "the write ran past the title";
  EXPECT_THROW(SetTitle(macro, std::string(26, 'b')), ETextTooLong);
  EXPECT_EQ(GetTitle(macro), std::string(25, 'a')) << "a refused text changed the field";
  EXPECT_THROW(SetMacroText(macro, mxWith3, std::string(76, 'c')), ETextTooLong);
  EXPECT_EQ(macro.Padding, 0x5A);
}

TEST(TextBuffers, ReaderStopsAtZeroOrTakesAll1024Bytes) {
  TMacro macro = Zeroed();
  std::memcpy(macro.Line2, "abc\0def", 7);
  EXPECT_EQ(GetMacroText(macro, mxLine2), "abc");
  std::memset(macro.Line2, 'q', sizeof macro.Line2);
  EXPECT_EQ(GetMacroText(macro, mxLine2), std::string(1024, 'q'));
  EXPECT_EQ(GetMacroText(macro, mxLine3), "") << "the reader ran into the next buffer";
}

TEST(TextBuffers, WriterTakes1023CharactersAndRefuses1024WithTheFieldName) {
  TMacro macro = Zeroed();
  std::memset(macro.Line3, 'z', sizeof macro.Line3);
  SetMacroText(macro, mxLine2, std::string(1023, 'a'));
  EXPECT_EQ(GetMacroText(macro, mxLine2), std::string(1023, 'a'));
  EXPECT_EQ(macro.Line3[0], 'z');
  try {
    SetMacroText(macro, mxLine2, std::string(1024, 'b'));
    FAIL() << "a 1024-character text was accepted";
  } catch (const ETextTooLong& error) {
    EXPECT_EQ(error.Field(), "Line2");
    EXPECT_NE(std::string(error.what()).find("1023"), std::string::npos);
  }
  EXPECT_EQ(GetMacroText(macro, mxLine2), std::string(1023, 'a'));
}

TEST(TextFields, EveryFieldRoundTripsIntoItsOwnPlace) {
  TMacro macro = Zeroed();
  for (int f = 0; f < kMacroTextCount; ++f)
    SetMacroText(macro, static_cast<TMacroText>(f), std::string("text of ") + MacroTextName(static_cast<TMacroText>(f)));
  for (int f = 0; f < kMacroTextCount; ++f)
    EXPECT_EQ(GetMacroText(macro, static_cast<TMacroText>(f)),
              std::string("text of ") + MacroTextName(static_cast<TMacroText>(f)));
  EXPECT_EQ(GetMacroText(macro, mxReplace1), "text of Replace1");
  EXPECT_EQ(macro.Replace1.Length, 16);
  EXPECT_EQ(std::string(macro.Line1), "text of Line1");
}

TEST(MacroTypes, NamesAndListPositions) {
  EXPECT_EQ(MacroTypeName(mtBlockMode), "Block Mode");
  EXPECT_EQ(MacroTypeName(mtTidyHTML), "Tidy HTML");
  EXPECT_EQ(MacroTypeName(mtEmail), "Email");
  EXPECT_EQ(MacroTypeName(7), "");
  EXPECT_EQ(MacroTypeName(255), "");
  EXPECT_EQ(MacroTypeToIndex(6), 6);
  EXPECT_EQ(MacroTypeToIndex(7), -1);
  EXPECT_EQ(MacroTypeToIndex(127), -1);
  EXPECT_EQ(IndexToMacroType(1), mtLineMode);
  EXPECT_EQ(IndexToMacroType(6), mtEmail);
  EXPECT_EQ(IndexToMacroType(-1), mtBlockMode);
  EXPECT_EQ(IndexToMacroType(7), mtBlockMode);
}

TEST(ShortCutWord, ModifierBitsAndKeyLimit) {
  EXPECT_EQ(MakeShortCut('Q', true, true, true), kToggleShortCut);
  EXPECT_EQ(MakeShortCut('T', false, true, true), 0xC054);
  EXPECT_EQ(MakeShortCut(256, true, false, false), 0);
  EXPECT_EQ(MakeShortCut(255, false, false, false), 255);
}

TEST(ShortCutText, FixedNamesInModifierOrder) {
  EXPECT_EQ(ShortCutText(0xC054), "Ctrl+Alt+T");
  EXPECT_EQ(ShortCutText(0xE051), "Shift+Ctrl+Alt+Q");
  EXPECT_EQ(ShortCutText(0x2000 | 8), "Shift+BkSp");
  EXPECT_EQ(ShortCutText(9), "Tab");
  EXPECT_EQ(ShortCutText(13), "Enter");
  EXPECT_EQ(ShortCutText(27), "Esc");
  EXPECT_EQ(ShortCutText(32), "Space");
  EXPECT_EQ(ShortCutText(33), "PgUp");
  EXPECT_EQ(ShortCutText(40), "Down");
  EXPECT_EQ(ShortCutText(45), "Ins");
  EXPECT_EQ(ShortCutText(46), "Del");
  EXPECT_EQ(ShortCutText(0x4000 | 48), "Ctrl+0");
  EXPECT_EQ(ShortCutText(96 + 7), "7");
  EXPECT_EQ(ShortCutText(112), "F1");
  EXPECT_EQ(ShortCutText(135), "F24");
}

TEST(ShortCutText, NoShortCutAndUnnamedKeysGiveEmptyText) {
  EXPECT_EQ(ShortCutText(0), "");
  EXPECT_EQ(ShortCutText(0x4000), "") << "Ctrl with no key has no name";
  SetSystemKeyNameLookup([](std::uint8_t) { return std::string(); });
  EXPECT_EQ(ShortCutText(0x4000 | 186), "");
  SetSystemKeyNameLookup(nullptr);
}

TEST(ShortCutText, OtherKeysAskTheSystemLookup) {
  SetSystemKeyNameLookup([](std::uint8_t key) { return key == 186 ? std::string(";") : std::string(); });
  EXPECT_EQ(ShortCutText(0x8000 | 186), "Alt+;");
  EXPECT_EQ(ShortCutText(0x8000 | 187), "");
  SetSystemKeyNameLookup(nullptr);
}

TEST(ShortCutText, ParsesBackItsOwnText) {
  for (unsigned key : {8u, 9u, 13u, 27u, 32u, 36u, 45u, 46u, 48u, 57u, 65u, 90u, 112u, 135u})
    for (std::uint16_t modifiers : {0, 0x2000, 0x4000, 0x8000, 0xE000}) {
      std::uint16_t word = static_cast<std::uint16_t>(key | modifiers), parsed = 0;
      ASSERT_TRUE(ParseShortCutText(ShortCutText(word), parsed)) << ShortCutText(word);
      EXPECT_EQ(parsed, word) << ShortCutText(word);
    }
  std::uint16_t parsed = 0;
  EXPECT_TRUE(ParseShortCutText("alt+ctrl+t", parsed));
  EXPECT_EQ(parsed, 0xC054);
  EXPECT_FALSE(ParseShortCutText("Ctrl+Nothing", parsed));
  EXPECT_FALSE(ParseShortCutText("", parsed));
}
