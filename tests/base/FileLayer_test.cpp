#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "common/NonAsciiName.h"
#include "common/TempFolder.h"
#include "base/CodePage.h"
#include "base/FileCopy.h"
#include "base/OsFile.h"
#include "base/SafeFile.h"

TEST(CopyFileContents, CopiesEveryByteOverAnOlderLongerTarget) {
  TTempFolder folder;
  std::string content;
  for (int i = 0; i < 5000; ++i) content += static_cast<char>(i * 7);  // crosses 2048-byte blocks
  WriteBytes(folder.File("in.bin"), content);
  WriteBytes(folder.File("out.bin"), std::string(9000, 'o'));
  CopyFileContents(folder.File("in.bin"), folder.File("out.bin"));
  EXPECT_EQ(ReadBytes(folder.File("out.bin")), content);
  WriteBytes(folder.File("empty"), "");
  CopyFileContents(folder.File("empty"), folder.File("out.bin"));
  EXPECT_EQ(ReadBytes(folder.File("out.bin")), "");
}

TEST(CopyFileContents, MissingSourceOrImpossibleTargetRaisesWithTheFileName) {
  TTempFolder folder;
  try {
    CopyFileContents(folder.File("missing.png"), folder.File("out.png"));
    FAIL();
  } catch (const EFileError& error) {
    EXPECT_NE(std::string(error.what()).find("missing.png"), std::string::npos);
  }
  EXPECT_FALSE(FileExists(folder.File("out.png"))) << "a failed copy left a target behind";
  WriteBytes(folder.File("in"), "abc");
  EXPECT_THROW(CopyFileContents(folder.File("in"), PathJoin(folder.File("in"), "sub")), EFileError);
}

namespace {

std::size_t EntriesIn(const std::string& folder) {
  std::size_t count = 0;
  for (auto it = std::filesystem::directory_iterator(folder); it != std::filesystem::directory_iterator(); ++it)
    ++count;
  return count;
}

}  // namespace

TEST(CopyFileContents, TargetThatIsTheSourceUnderAnotherNameKeepsItsBytes) {
  TTempFolder folder;
  const std::string sep(1, PathSeparator());
  WriteBytes(folder.File("a.png"), "picture");
  CreateOneDirectory(folder.File("sub"));
  CopyFileContents(folder.File("a.png"), folder.File("sub") + sep + ".." + sep + "a.png");
  EXPECT_EQ(ReadBytes(folder.File("a.png")), "picture");
  std::filesystem::create_hard_link(folder.File("a.png"), folder.File("link.png"));
  CopyFileContents(folder.File("a.png"), folder.File("link.png"));
  EXPECT_EQ(ReadBytes(folder.File("a.png")), "picture");
  EXPECT_EQ(ReadBytes(folder.File("link.png")), "picture");
  EXPECT_EQ(EntriesIn(folder.Path()), 3u) << "a temporary file was left behind";
}

#ifdef __linux__
TEST(CopyFileContents, ReadFailingMidwayLeavesTheOldTargetAndNoTemporaryFile) {
  TTempFolder folder;
  WriteBytes(folder.File("out.png"), "older picture");
  // Opens, then refuses the first read (nothing is mapped at address 0).
  EXPECT_THROW(CopyFileContents("/proc/self/mem", folder.File("out.png")), EFileError);
  EXPECT_EQ(ReadBytes(folder.File("out.png")), "older picture");
  EXPECT_EQ(EntriesIn(folder.Path()), 1u);
}
#endif

TEST(SameFile, SeesThroughAliasesAndTellsFilesApart) {
  TTempFolder folder;
  const std::string sep(1, PathSeparator());
  const std::string dir = NonAsciiFolderIn(folder.Path(), PathSeparator());
  ASSERT_TRUE(CreateOneDirectory(dir));
  ASSERT_TRUE(CreateOneDirectory(dir + sep + "pages"));
  const std::string a = dir + sep + "a.png";
  TOsFile(a, omCreate).Write("x", 1);
  TOsFile(dir + sep + "b.png", omCreate).Write("x", 1);
  EXPECT_TRUE(SameFile(a, a));
  EXPECT_TRUE(SameFile(a, dir + sep + "pages" + sep + ".." + sep + "a.png"));
  EXPECT_TRUE(SameFile(a, dir + sep + "." + sep + "a.png"));
  EXPECT_FALSE(SameFile(a, dir + sep + "b.png")) << "same size and bytes, another file";
  EXPECT_FALSE(SameFile(a, dir + sep + "missing.png"));
  EXPECT_FALSE(SameFile(dir + sep + "missing.png", dir + sep + "missing.png"));
}

TEST(SameFile, HardAndSymbolicLinksAreTheFileItself) {
  TTempFolder folder;
  WriteBytes(folder.File("a.png"), "x");
  std::filesystem::create_hard_link(folder.File("a.png"), folder.File("hard.png"));
  EXPECT_TRUE(SameFile(folder.File("a.png"), folder.File("hard.png")));
#ifndef _WIN32
  std::filesystem::create_symlink(folder.File("a.png"), folder.File("soft.png"));
  EXPECT_TRUE(SameFile(folder.File("soft.png"), folder.File("a.png")));
#endif
}

TEST(OsFile, PathJoinUsesOneSeparator) {
  std::string sep(1, PathSeparator());
  EXPECT_EQ(PathJoin("dir", "a.cat"), "dir" + sep + "a.cat");
  EXPECT_EQ(PathJoin("dir" + sep, "a.cat"), "dir" + sep + "a.cat");
  EXPECT_EQ(PathJoin("dir/", "a.cat"), "dir/a.cat");
  EXPECT_EQ(WithoutTrailingSeparator("dir\\"), "dir");
  EXPECT_EQ(WithoutTrailingSeparator("dir/"), "dir");
}

TEST(OsFile, FileNamesCompareWithoutAsciiCase) {
  EXPECT_TRUE(SameFileName("Web.CAT", "web.cat"));
  EXPECT_FALSE(SameFileName("web.cat", "web.ca"));
  EXPECT_FALSE(SameFileName("a", "b"));
}

TEST(OsFile, ExistingEntryIsFoundInAnyCase) {
  TTempFolder folder;
  WriteBytes(folder.File("Mixed.Cat"), "x");
  EXPECT_TRUE(FileExists(ResolveInDirectory(folder.Path(), "MIXED.CAT")));
  EXPECT_FALSE(FileExists(ResolveInDirectory(folder.Path(), "other.cat")));
}

TEST(OsFile, CreateNewRefusesAnExistingFile) {
  TTempFolder folder;
  WriteBytes(folder.File("here"), "keep");
  EXPECT_THROW(TOsFile(folder.File("here"), omCreateNew), EFileError);
  EXPECT_EQ(ReadBytes(folder.File("here")), "keep");
}

TEST(CodePage, Windows1252RoundTripsEveryDefinedByte) {
  std::string all;
  for (int byte = 1; byte < 256; ++byte)
    if (byte != 0x81 && byte != 0x8D && byte != 0x8F && byte != 0x90 && byte != 0x9D)
      all += static_cast<char>(byte);
  std::string utf8 = AnsiToUtf8(all, 1252);
  EXPECT_NE(utf8.find("\xE2\x82\xAC"), std::string::npos) << "0x80 is the euro sign";
  EXPECT_EQ(Utf8ToAnsi(utf8, 1252), all);
}

TEST(CodePage, UndefinedBytesAndUnmappableCharactersAreRefused) {
  for (char undefined : {'\x81', '\x8D', '\x8F', '\x90', '\x9D'})
    EXPECT_THROW(AnsiToUtf8(std::string("ab") + undefined, 1252), ECodePage) << int(undefined);
  EXPECT_THROW(Utf8ToAnsi("\xE4\xB8\xAD", 1252), ECodePage) << "a CJK character has no 1252 byte";
  EXPECT_THROW(Utf8ToAnsi("\xC2\x81", 1252), ECodePage);
  EXPECT_THROW(CheckCodePage(4242), ECodePage);
}

TEST(CodePage, OtherCodePagesConvertTheirOwnLetters) {
  EXPECT_EQ(AnsiToUtf8("\xC0", 1251), "\xD0\x90");  // Cyrillic A
  EXPECT_EQ(Utf8ToAnsi("\xD0\x90", 1251), "\xC0");
}

TEST(WriteWholeFileSafely, ReplacesTheWholeFileAndLeavesNothingBeside) {
  TTempFolder folder;
  std::string path = folder.File("t.txt");
  WriteWholeFileSafely(path, "first, long");
  WriteBytes(folder.File("t.txt.~1"), "another run's leftover");
  WriteWholeFileSafely(path, "second");
  EXPECT_EQ(ReadBytes(path), "second");
  EXPECT_EQ(ReadBytes(folder.File("t.txt.~1")), "another run's leftover");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 2);
}

TEST(WriteWholeFileSafely, AFailedWriteLeavesTheOldFileWholeAndGivesTheSystemsReason) {
  TTempFolder folder;
  std::string path = folder.File("t.txt");
  WriteBytes(path, "old text");
  for (std::size_t written : {std::size_t{0}, std::size_t{3}}) {
    FailNthWriteForTests(1, written);
    try {
      WriteWholeFileSafely(path, "new text that does not fit");
      ADD_FAILURE() << "no error";
    } catch (const EFileError& error) {
      EXPECT_FALSE(error.OsText().empty()) << error.what();
#ifndef _WIN32
      EXPECT_EQ(error.OsText(), std::strerror(ENOSPC));
#endif
    }
    FailNthWriteForTests(0, 0);
    EXPECT_EQ(ReadBytes(path), "old text");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1) << "a new file was left";
  }
  // A folder in the file's place cannot be replaced.
  std::filesystem::create_directory(folder.File("dir"));
  EXPECT_THROW(WriteWholeFileSafely(folder.File("dir"), "x"), EFileError);
  EXPECT_TRUE(DirectoryExists(folder.File("dir")));
}
