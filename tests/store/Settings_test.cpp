#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "common/TempFolder.h"
#include "store/Settings.h"
#include "base/OsFile.h"

namespace {

int CountOf(const std::string& text, const std::string& part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

}  // namespace

TEST(SettingsFile, PathJoinsFolderAndNameWithASlash) {
  EXPECT_EQ(SettingsFilePath("C:\\Zarvel"), "C:\\Zarvel/zarvel.ini");
  EXPECT_EQ(SettingsFilePath("C:\\Zarvel\\"), "C:\\Zarvel\\zarvel.ini");
  EXPECT_EQ(SettingsFilePath("/opt/zarvel/"), "/opt/zarvel/zarvel.ini");
}

TEST(SettingsFile, MissingFileSectionOrKeyGivesTheDefaults) {
  TTempFolder folder;
  auto expectDefaults = [&](const char* situation) {
    EXPECT_EQ(ReadImageCopyRule(folder.Path()), kImageCopyConfirm) << situation;
    EXPECT_EQ(ReadImageWorkDir(folder.Path()), "") << situation;
    TEditorBounds bounds = ReadEditorBounds(folder.Path());
    EXPECT_EQ(bounds.Left, -1) << situation;
    EXPECT_EQ(bounds.Top, -1) << situation;
    EXPECT_EQ(bounds.Width, -1) << situation;
    EXPECT_EQ(bounds.Height, -1) << situation;
  };
  expectDefaults("no file");
  EXPECT_FALSE(FileExists(SettingsFilePath(folder.Path()))) << "reading never creates the file";

  WriteBytes(SettingsFilePath(folder.Path()), "[Other]\r\nCopy=1\r\nLeft=5\r\n");
  expectDefaults("other section only");

  WriteBytes(SettingsFilePath(folder.Path()), "[Image]\r\nCopyX=1\r\n[MacroEditor]\r\n");
  expectDefaults("sections without the keys");
}

TEST(SettingsFile, FirstWriteCreatesTheFile) {
  TTempFolder folder;
  std::string path = SettingsFilePath(folder.Path());
  ASSERT_FALSE(FileExists(path));
  EXPECT_TRUE(WriteImageCopyRule(folder.Path(), kImageCopyNever));
  ASSERT_TRUE(FileExists(path));
  std::string text = ReadBytes(path);
  EXPECT_NE(text.find("[Image]"), std::string::npos) << text;
  EXPECT_NE(text.find("Copy=3"), std::string::npos) << text;
  EXPECT_EQ(ReadImageCopyRule(folder.Path()), kImageCopyNever);
}

TEST(SettingsFile, WriteToAMissingFolderFailsQuietly) {
  TTempFolder folder;
  std::string missing = folder.File("no-such-folder");
  EXPECT_FALSE(WriteImageCopyRule(missing, kImageCopyAlways));
  EXPECT_EQ(ReadImageCopyRule(missing), kImageCopyDefault);
}

TEST(SettingsFile, ValuesRoundTrip) {
  TTempFolder folder;
  for (int rule : {kImageCopyAlways, kImageCopyConfirm, kImageCopyNever, 7, 0}) {
    WriteImageCopyRule(folder.Path(), rule);
    EXPECT_EQ(ReadImageCopyRule(folder.Path()), rule) << "any number is kept as stored";
  }

  TEditorBounds bounds{-50, 20, 640, 480};
  EXPECT_TRUE(WriteEditorBounds(folder.Path(), bounds));
  TEditorBounds back = ReadEditorBounds(folder.Path());
  EXPECT_EQ(back.Left, -50);
  EXPECT_EQ(back.Top, 20);
  EXPECT_EQ(back.Width, 640);
  EXPECT_EQ(back.Height, 480);
  EXPECT_EQ(ReadImageCopyRule(folder.Path()), 0) << "another section is left alone";

  WriteImageWorkDir(folder.Path(), "C:\\Web Sites\\My Site\\");
  EXPECT_EQ(ReadImageWorkDir(folder.Path()), "C:\\Web Sites\\My Site\\");
  WriteImageWorkDir(folder.Path(), "");
  EXPECT_EQ(ReadImageWorkDir(folder.Path()), "");
}

TEST(SettingsFile, RewritingAKeyKeepsOneLine) {
  TTempFolder folder;
  for (int i = 0; i < 3; ++i) WriteImageCopyRule(folder.Path(), i + 1);
  WriteImageWorkDir(folder.Path(), "D:\\work");
  std::string text = ReadBytes(SettingsFilePath(folder.Path()));
  EXPECT_EQ(CountOf(text, "Copy="), 1) << text;
  EXPECT_EQ(CountOf(text, "[Image]"), 1) << text;
  EXPECT_EQ(ReadImageCopyRule(folder.Path()), 3);
}

TEST(SettingsFile, SectionAndKeyNamesIgnoreCase) {
  TTempFolder folder;
  std::string path = SettingsFilePath(folder.Path());
  WriteBytes(path, "[IMAGE]\r\ncopy=3\r\nWORKDIR=E:\\x\r\n[macroeditor]\r\nleft=12\r\n");
  EXPECT_EQ(ReadImageCopyRule(folder.Path()), 3);
  EXPECT_EQ(ReadImageWorkDir(folder.Path()), "E:\\x");
  EXPECT_EQ(ReadEditorBounds(folder.Path()).Left, 12);

  WriteImageCopyRule(folder.Path(), 1);
  std::string text = ReadBytes(path);
  EXPECT_EQ(CountOf(text, "opy="), 1) << "the existing key is rewritten, not a second added:\n" << text;
  EXPECT_EQ(ReadSettingInt(folder.Path(), "image", "COPY", 0), 1);
}

TEST(SettingsFile, ValuesWithEqualsSignsBlanksAndQuotes) {
  TTempFolder folder;
  const char* values[] = {
      "a=b",
      "C:\\My Work\\x = y\\",
      "  leading and trailing  ",
      "\"quoted\"",
      "'single'",
      "it's \"half",
      "=",
  };
  for (const char* value : values) {
    WriteImageWorkDir(folder.Path(), value);
    EXPECT_EQ(ReadImageWorkDir(folder.Path()), value);
    EXPECT_EQ(ReadImageCopyRule(folder.Path()), kImageCopyDefault) << value;
  }
}

TEST(SettingsFile, ValuesStayOnOneLine) {
  TTempFolder folder;
  WriteImageWorkDir(folder.Path(), "D:\\site\r\n[Image]\r\nCopy=1");
  EXPECT_EQ(ReadImageWorkDir(folder.Path()), "D:\\site");
  EXPECT_EQ(ReadImageCopyRule(folder.Path()), kImageCopyDefault)
      << "a line break in a value must not become a key of its own";
}

TEST(SettingsFile, HandWrittenFilesReadLikeTheSystemReadsThem) {
  TTempFolder folder;
  std::string path = SettingsFilePath(folder.Path());
  WriteBytes(path,
             "; kept by hand\r\n"
             "[ Image ]\r\n"
             "  Copy  =  $3  \r\n"
             "Workdir = \"D:\\a b\" \r\n"
             "[MacroEditor]\n"
             "Left=0x20\n"
             "Top=twelve\n"
             "Width=12px\n");
  EXPECT_EQ(ReadImageCopyRule(folder.Path()), 3);
  EXPECT_EQ(ReadImageWorkDir(folder.Path()), "D:\\a b");
  TEditorBounds bounds = ReadEditorBounds(folder.Path());
  EXPECT_EQ(bounds.Left, 32);
  EXPECT_EQ(bounds.Top, -1) << "not a number reads as the default";
  EXPECT_EQ(bounds.Width, -1);

  WriteImageCopyRule(folder.Path(), 1);
  EXPECT_EQ(ReadEditorBounds(folder.Path()).Left, 32) << "other keys survive a write";
  EXPECT_EQ(ReadImageWorkDir(folder.Path()), "D:\\a b");
}

TEST(SettingsFile, TwoThreadsWritingDifferentKeysLoseNothing) {
  TTempFolder folder;
  const int rounds = 25;
  std::thread copyWriter([&] {
    for (int i = 0; i < rounds; ++i) WriteImageCopyRule(folder.Path(), 1 + i % 3);
  });
  std::thread dirWriter([&] {
    for (int i = 0; i < rounds; ++i) WriteImageWorkDir(folder.Path(), "D:\\dir" + std::to_string(i));
  });
  copyWriter.join();
  dirWriter.join();
  EXPECT_EQ(ReadImageCopyRule(folder.Path()), 1 + (rounds - 1) % 3);
  EXPECT_EQ(ReadImageWorkDir(folder.Path()), "D:\\dir" + std::to_string(rounds - 1));
}

TEST(SettingsInteger, AcceptsDecimalAndBothHexForms) {
  struct TCase {
    const char* Text;
    int Expected;
  } cases[] = {
      {"1", 1},        {"-50", -50},    {"+3", 3},     {" 7 ", 7},
      {"$1F", 31},     {"$1f", 31},     {"0x10", 16},  {"0X1a", 26},
      {"-$10", -16},   {"2147483647", 2147483647},    {"-2147483648", -2147483647 - 1},
  };
  for (const TCase& c : cases) EXPECT_EQ(ParseSettingInt(c.Text, -99), c.Expected) << c.Text;
}

TEST(SettingsInteger, AnythingElseGivesTheDefault) {
  const char* texts[] = {"",   "abc", "12abc", "1.5", "$",  "0x", "x10", "- 5",
                         "--1", "2147483648", "99999999999999999999999", "$G"};
  for (const char* text : texts) EXPECT_EQ(ParseSettingInt(text, -99), -99) << '"' << text << '"';
}

TEST(SettingsValue, EncodingQuotesOnlyWhatTheReaderWouldChange) {
  EXPECT_EQ(EncodeSettingValue("plain text"), "plain text");
  EXPECT_EQ(EncodeSettingValue("a=b"), "a=b");
  EXPECT_EQ(EncodeSettingValue(" x"), "\" x\"");
  EXPECT_EQ(EncodeSettingValue("\"q\""), "\"\"q\"\"");
  EXPECT_EQ(EncodeSettingValue("\"q"), "\"q");
  EXPECT_EQ(EncodeSettingValue("one\ntwo"), "one");
  EXPECT_EQ(EncodeSettingValue("one\r\ntwo"), "one");
  EXPECT_EQ(EncodeSettingValue(""), "");
}

TEST(TransferMethods, EachProgramKeepsItsOwnMethodAndAutomaticLeavesNoEntry) {
  TTempFolder folder;
  EXPECT_EQ(ReadTransferMethod(folder.Path(), "term.exe"), tmAutomatic) << "no file";
  EXPECT_TRUE(ReadSettingKeys(folder.Path(), kSectionMethods).empty());
  EXPECT_TRUE(DeleteSetting(folder.Path(), kSectionMethods, "term.exe")) << "nothing to delete is success";
  EXPECT_FALSE(FileExists(SettingsFilePath(folder.Path()))) << "a delete never creates the file";

  ASSERT_TRUE(WriteTransferMethod(folder.Path(), "term.exe", tmKeystrokes));
  ASSERT_TRUE(WriteTransferMethod(folder.Path(), "Editor.EXE", tmMessages));
  ASSERT_TRUE(WriteImageCopyRule(folder.Path(), kImageCopyNever));
  EXPECT_EQ(ReadTransferMethod(folder.Path(), "TERM.exe"), tmKeystrokes) << "names compare without case";
  EXPECT_EQ(ReadTransferMethod(folder.Path(), "editor.exe"), tmMessages);
  EXPECT_EQ(ReadTransferMethod(folder.Path(), "other.exe"), tmAutomatic);
  EXPECT_EQ(ReadSettingKeys(folder.Path(), kSectionMethods), (std::vector<std::string>{"term.exe", "Editor.EXE"}));

  ASSERT_TRUE(WriteTransferMethod(folder.Path(), "term.exe", tmAutomatic));
  EXPECT_EQ(ReadSettingKeys(folder.Path(), kSectionMethods), (std::vector<std::string>{"Editor.EXE"}));
  EXPECT_EQ(ReadImageCopyRule(folder.Path()), kImageCopyNever) << "other sections are left alone";
  EXPECT_FALSE(WriteTransferMethod(folder.Path(), "", tmKeystrokes)) << "a program needs a name";
}

TEST(TransferMethods, NamesReadBackAndUnknownTextsMeanAutomatic) {
  for (TTransferMethod method : {tmAutomatic, tmMessages, tmKeystrokes})
    EXPECT_EQ(ParseTransferMethod(TransferMethodName(method)), method);
  EXPECT_EQ(ParseTransferMethod("KEYSTROKES"), tmKeystrokes);
  EXPECT_EQ(ParseTransferMethod("keys"), tmAutomatic);
  EXPECT_EQ(ParseTransferMethod(""), tmAutomatic);
}

TEST(SettingsFile, KeysOfASectionInFileOrderAndOnlyThatSection) {
  TTempFolder folder;
  WriteBytes(SettingsFilePath(folder.Path()), "[A]\r\nx=1\r\n[Methods]\r\nb.exe=messages\r\n; note\r\na.exe=keystrokes\r\n[C]\r\ny=2\r\n");
  EXPECT_EQ(ReadSettingKeys(folder.Path(), "methods"), (std::vector<std::string>{"b.exe", "a.exe"}));
  EXPECT_TRUE(ReadSettingKeys(folder.Path(), "Missing").empty());
}

#ifndef _WIN32
TEST(StartWithWindows, IsNotAvailableHere) {
  EXPECT_EQ(ReadStartWithWindows(), swUnavailable);
  EXPECT_FALSE(WriteStartWithWindows(true, "/opt/zarvel/zarvel.exe"));
  EXPECT_EQ(ReadStartWithWindows(), swUnavailable);
  EXPECT_EQ(ReadStartWithWindowsPath(), "");
}
#endif

TEST(PickerSettings, DefaultsRoundTripAndOddValues) {
  TTempFolder folder;
  TPickerSettings settings = ReadPickerSettings(folder.Path());
  EXPECT_TRUE(settings.Enabled);
  EXPECT_EQ(settings.ActiveShortCut(), kDefaultPickerShortCut);

  ASSERT_TRUE(WritePickerSettings(folder.Path(), {false, 0x6070}));  // Shift+Ctrl+F1
  settings = ReadPickerSettings(folder.Path());
  EXPECT_FALSE(settings.Enabled);
  EXPECT_EQ(settings.ShortCut, 0x6070);
  EXPECT_EQ(settings.ActiveShortCut(), 0) << "off: dispatch listens for nothing";

  // A hand-written word in numbers reads; a name no key has gives the default.
  WriteSettingString(folder.Path(), kSectionPicker, kKeyPickerShortCut, "0x8041");
  EXPECT_EQ(ReadPickerSettings(folder.Path()).ShortCut, 0x8041);
  WriteSettingString(folder.Path(), kSectionPicker, kKeyPickerShortCut, "Ctrl+Nothing");
  EXPECT_EQ(ReadPickerSettings(folder.Path()).ShortCut, kDefaultPickerShortCut);
}

TEST(PickerSettings, RecentMacrosKeepTitlesWithBarsAndSkipBrokenLines) {
  TMacroKey key;
  ASSERT_TRUE(DecodeMacroKey(EncodeMacroKey({"Web", "a|b | c", 0xC041}), key));
  EXPECT_EQ(key, (TMacroKey{"Web", "a|b | c", 0xC041}));
  for (const char* broken : {"", "Web|Title", "x|Web|Title", "70000|Web|T", "5||Title", "5|Web|"})
    EXPECT_FALSE(DecodeMacroKey(broken, key)) << broken;

  TTempFolder folder;
  std::vector<TMacroKey> recent;
  for (int i = 0; i < 25; ++i) recent = WithRecentUse(recent, {"C", "T" + std::to_string(i), 0});
  ASSERT_EQ(recent.size(), kRecentMacroLimit);
  EXPECT_EQ(recent.front().Title, "T24");
  recent = WithRecentUse(recent, {"C", "T10", 0});
  EXPECT_EQ(recent.front().Title, "T10");
  EXPECT_EQ(recent.size(), kRecentMacroLimit) << "a used macro moves, it is not added twice";
  ASSERT_TRUE(WriteRecentMacros(folder.Path(), recent));
  EXPECT_EQ(ReadRecentMacros(folder.Path()), recent);

  // A shorter list leaves no old lines behind; a damaged line is skipped.
  ASSERT_TRUE(WriteRecentMacros(folder.Path(), {{"A", "One", 1}, {"B", "Two", 2}, {"C", "Three", 3}}));
  WriteSettingString(folder.Path(), kSectionPicker, "Recent2", "garbage");
  EXPECT_EQ(ReadRecentMacros(folder.Path()), (std::vector<TMacroKey>{{"A", "One", 1}, {"C", "Three", 3}}));
}
