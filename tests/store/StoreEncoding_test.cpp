// The folder's encoding mark, and writing a category anew in one step.
#include "store/StoreEncoding.h"

#include <gtest/gtest.h>

#include "base/OsFile.h"
#include "common/TempFolder.h"
#include "store/Catagories.h"

namespace {

TEST(StoreEncoding, FolderWithoutMarkIsAnsiAndMarkReadsBack) {
  TTempFolder folder;
  EXPECT_EQ(ReadStoreEncoding(folder.Path()), TStoreEncoding::Ansi);
  EXPECT_EQ(ReadStoreEncoding(folder.File("absent")), TStoreEncoding::Ansi);
  WriteStoreEncoding(folder.Path(), TStoreEncoding::Utf8);
  EXPECT_EQ(ReadStoreEncoding(folder.Path()), TStoreEncoding::Utf8);
  EXPECT_EQ(TCatagories(folder.Path()).Items.size(), 0u) << "the mark is not a category";
  WriteStoreEncoding(folder.Path(), TStoreEncoding::Ansi);
  EXPECT_FALSE(FileExists(StoreEncodingPath(folder.Path())));
}

TEST(StoreEncoding, HandWrittenMarksAreRead) {
  TTempFolder folder;
  for (const char* mark : {"UTF-8", "\xEF\xBB\xBFutf-8\r\n", "  utf8 \n"}) {
    WriteBytes(StoreEncodingPath(folder.Path()), mark);
    EXPECT_EQ(ReadStoreEncoding(folder.Path()), TStoreEncoding::Utf8) << mark;
  }
}

TEST(StoreEncoding, UnknownMarkIsRefusedNotTakenForAnsi) {
  TTempFolder folder;
  WriteBytes(StoreEncodingPath(folder.Path()), "utf-16");
  EXPECT_THROW(ReadStoreEncoding(folder.Path()), EStoreEncoding);
  WriteBytes(StoreEncodingPath(folder.Path()), "");
  EXPECT_THROW(ReadStoreEncoding(folder.Path()), EStoreEncoding);
}

TMacro Titled(const std::string& title) {
  TMacro macro = NewMacro();
  SetTitle(macro, title);
  return macro;
}

TEST(ReplaceMacros, WritesTheFileAnewAndMemoryFollows) {
  TTempFolder folder;
  TCatagories store(folder.Path());
  int web = store.AddCatagory("Web");
  store.AddMacro(web, Titled("A"));
  store.AddMacro(web, Titled("B"));
  TMacroList one{Titled("C")};
  store.ReplaceMacros(web, one);
  EXPECT_EQ(ReadBytes(folder.File("Web.cat")).size(), kMacroRecordSize);
  ASSERT_EQ(store.Items[web].Macros.size(), 1u);
  EXPECT_EQ(GetTitle(store.Items[web].Macros[0]), "C");
  store.AddMacro(web, Titled("D"));  // the stamp was kept: no false "changed"
  EXPECT_EQ(TCatagories(folder.Path()).Items[0].Macros.size(), 2u);
}

TEST(ReplaceMacros, FailedWriteLeavesFileAndMemory) {
  TTempFolder folder;
  TCatagories store(folder.Path());
  int web = store.AddCatagory("Web");
  store.AddMacro(web, Titled("A"));
  std::string before = ReadBytes(folder.File("Web.cat"));
  TMacroList two{Titled("X"), Titled("Y")};
  FailNthWriteForTests(1, 100);
  EXPECT_THROW(store.ReplaceMacros(web, two), EFileError);
  FailNthWriteForTests(0, 0);
  EXPECT_EQ(ReadBytes(folder.File("Web.cat")), before);
  EXPECT_EQ(GetTitle(store.Items[web].Macros[0]), "A");
  EXPECT_EQ(TCatagories(folder.Path()).Items.size(), 1u) << "no leftover file is a category";
}

}  // namespace
