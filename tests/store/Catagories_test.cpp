#include "store/Catagories.h"

#include <gtest/gtest.h>

#include <cstring>
#include <chrono>
#include <filesystem>
#include <functional>
#include <set>

#include "common/TempFolder.h"
#include "base/OsFile.h"

namespace {

TMacro Named(const std::string& title, std::uint16_t shortCut = 0) {
  TMacro macro = NewMacro();
  SetTitle(macro, title);
  macro.ShortCut = shortCut;
  SetMacroText(macro, mxLine1, "<b>{line}</b> of " + title);
  return macro;
}

std::string Bytes(const TMacro& macro) {
  return std::string(reinterpret_cast<const char*>(&macro), sizeof macro);
}

std::string Titles(const TCatagory& catagory) {
  std::string titles;
  for (const TMacro& macro : catagory.Macros) titles += GetTitle(macro);
  return titles;
}

// The titles of the records in a category file, read straight from disk.
std::string FileTitles(const std::string& path) {
  std::string bytes = ReadBytes(path), titles;
  for (std::size_t at = 0; at + kMacroRecordSize <= bytes.size(); at += kMacroRecordSize)
    titles += bytes.substr(at + 1, static_cast<unsigned char>(bytes[at]));
  return titles;
}

class CatagoryStore : public ::testing::Test {
 protected:
  std::string Dir() const { return Folder.File("Macros"); }
  std::string CatFile(const std::string& name) const { return PathJoin(Dir(), name + ".cat"); }

  // A category file with the given macros, written as raw records.
  void WriteCatagory(const std::string& name, const std::vector<TMacro>& macros) {
    std::filesystem::create_directories(Dir());
    std::string bytes;
    for (const TMacro& macro : macros) bytes += Bytes(macro);
    WriteBytes(CatFile(name), bytes);
  }

  TTempFolder Folder;
};

}  // namespace

TEST_F(CatagoryStore, AbsentFolderGivesAnEmptyStoreAndIsNotCreated) {
  TCatagories store(Dir());
  EXPECT_TRUE(store.Items.empty());
  EXPECT_FALSE(DirectoryExists(Dir()));
}

TEST_F(CatagoryStore, LoadsNamesWithoutTheLastExtensionOnlyFromCatFiles) {
  WriteCatagory("Empty", {});
  WriteCatagory("Web.Tools", {Named("A")});
  WriteBytes(PathJoin(Dir(), "notes.txt"), "x");
  WriteBytes(PathJoin(Dir(), "notes.catalog"), "x");
  std::filesystem::create_directories(PathJoin(Dir(), "folder.cat"));
  TCatagories store(Dir() + PathSeparator());  // a trailing separator is allowed
  ASSERT_EQ(store.Items.size(), 2u);
  std::set<std::string> names{store.Items[0].Name, store.Items[1].Name};
  EXPECT_EQ(names, (std::set<std::string>{"Empty", "Web.Tools"}));
  for (const TCatagory& catagory : store.Items)
    EXPECT_EQ(catagory.Macros.size(), catagory.Name == "Empty" ? 0u : 1u);
}

TEST_F(CatagoryStore, UpperCaseExtensionLoadsToo) {
  std::filesystem::create_directories(Dir());
  WriteBytes(PathJoin(Dir(), "Loud.CAT"), Bytes(Named("A")));
  TCatagories store(Dir());
  ASSERT_EQ(store.Items.size(), 1u);
  EXPECT_EQ(store.Items[0].Name, "Loud");
  EXPECT_EQ(Titles(store.Items[0]), "A");
  store.AddMacro(0, Named("B"));
  EXPECT_EQ(FileTitles(PathJoin(Dir(), "Loud.CAT")), "AB") << "the change went to another file";
}

TEST_F(CatagoryStore, NewMacroRoundTripsByteForByte) {
  TCatagories store(Dir());
  int c = store.AddCatagory("General");
  ASSERT_EQ(c, 0);
  TMacro macro = NewMacro();
  EXPECT_EQ(store.AddMacro(c, macro), 0);
  EXPECT_EQ(ReadBytes(CatFile("General")), Bytes(macro));
  TCatagories again(Dir());
  ASSERT_EQ(again.Items.size(), 1u);
  ASSERT_EQ(again.Items[0].Macros.size(), 1u);
  EXPECT_EQ(Bytes(again.Items[0].Macros[0]), Bytes(macro));
}

TEST_F(CatagoryStore, BytesBehindTextsAndThePaddingAreKeptAsTheyLie) {
  TMacro macro = Named("A");
  macro.Padding = 0x77;
  std::memset(macro.Title.Chars + 1, '#', 24);  // leftovers behind "A"
  macro.Line1[900] = 'L';
  WriteCatagory("Raw", {macro});
  TCatagories store(Dir());
  store.UpdateMacro(0, 0);
  EXPECT_EQ(ReadBytes(CatFile("Raw")), Bytes(macro));
}

TEST_F(CatagoryStore, UnknownTypeByteLoadsAndKeepsItsValue) {
  TMacro macro = Named("Odd");
  macro.MacroType = 7;
  WriteCatagory("Odd", {macro});
  TCatagories store(Dir());
  EXPECT_EQ(store.Items[0].Macros[0].MacroType, 7);
  EXPECT_EQ(MacroTypeName(store.Items[0].Macros[0].MacroType), "");
  EXPECT_EQ(MacroTypeToIndex(store.Items[0].Macros[0].MacroType), -1);
}

TEST_F(CatagoryStore, AddMacroAppendsOneRecordAndReturnsItsIndex) {
  WriteCatagory("C", {Named("A")});
  TCatagories store(Dir());
  EXPECT_EQ(store.AddMacro(0, Named("B")), 1);
  EXPECT_EQ(store.AddMacro(0, Named("C")), 2);
  EXPECT_EQ(FileTitles(CatFile("C")), "ABC");
  EXPECT_EQ(Titles(store.Items[0]), "ABC");
}

TEST_F(CatagoryStore, UpdateMacroOverwritesOnlyItsRecord) {
  WriteCatagory("C", {Named("A"), Named("B"), Named("C")});
  TCatagories store(Dir());
  SetTitle(store.Items[0].Macros[1], "Bee");
  store.UpdateMacro(0, 1);
  EXPECT_EQ(FileTitles(CatFile("C")), "ABeeC");
  EXPECT_EQ(ReadBytes(CatFile("C")).size(), 3 * kMacroRecordSize);
}

TEST_F(CatagoryStore, RemovingMacroZeroMovesTheLastIntoItsPlace) {
  WriteCatagory("C", {Named("A"), Named("B"), Named("C")});
  TCatagories store(Dir());
  store.RemoveMacro(0, 0);
  EXPECT_EQ(Titles(store.Items[0]), "CB");
  EXPECT_EQ(FileTitles(CatFile("C")), "CB");
  EXPECT_EQ(ReadBytes(CatFile("C")).size(), 2 * kMacroRecordSize);
  EXPECT_EQ(ReadBytes(CatFile("C")).substr(0, kMacroRecordSize), Bytes(Named("C")));
}

TEST_F(CatagoryStore, RemovingTheLastMacroOnlyShortensTheFile) {
  WriteCatagory("C", {Named("A"), Named("B"), Named("C")});
  std::string before = ReadBytes(CatFile("C"));
  TCatagories store(Dir());
  store.RemoveMacro(0, 2);
  EXPECT_EQ(ReadBytes(CatFile("C")), before.substr(0, 2 * kMacroRecordSize));
  store.RemoveMacro(0, 1);
  store.RemoveMacro(0, 0);
  EXPECT_TRUE(store.Items[0].Macros.empty());
  EXPECT_EQ(ReadBytes(CatFile("C")), "");
}

TEST_F(CatagoryStore, RemovingTheMiddleCatagoryDeletesItsFile) {
  TCatagories store(Dir());
  store.AddCatagory("A");
  store.AddCatagory("B");
  store.AddCatagory("C");
  store.AddMacro(2, Named("c1"));
  store.RemoveCatagory(1);
  ASSERT_EQ(store.Items.size(), 2u);
  EXPECT_EQ(store.Items[0].Name, "A");
  EXPECT_EQ(store.Items[1].Name, "C");
  EXPECT_EQ(Titles(store.Items[1]), "c1");
  EXPECT_FALSE(FileExists(CatFile("B")));
  EXPECT_TRUE(FileExists(CatFile("C")));
  store.AddMacro(1, Named("c2"));
  EXPECT_EQ(FileTitles(CatFile("C")), "c1c2") << "the moved category lost its file";
}

TEST_F(CatagoryStore, AddCatagoryCreatesTheFolderAndAnEmptyFile) {
  TCatagories store(Dir());
  EXPECT_EQ(store.AddCatagory("First"), 0);
  EXPECT_TRUE(FileExists(CatFile("First")));
  EXPECT_EQ(ReadBytes(CatFile("First")), "");
  EXPECT_EQ(store.AddCatagory("Second"), 1);
}

TEST_F(CatagoryStore, NamesDifferingOnlyInCaseAreTheSameCatagory) {
  TCatagories store(Dir());
  store.AddCatagory("Web");
  store.AddMacro(0, Named("A"));
  EXPECT_EQ(store.AddCatagory("WEB"), -1);
  EXPECT_EQ(store.AddCatagory("web"), -1);
  EXPECT_EQ(store.Items.size(), 1u);
  EXPECT_EQ(FileTitles(CatFile("Web")), "A") << "the existing file was touched";
}

TEST_F(CatagoryStore, NamesThatCannotBeFileNamesAreRefusedWithAFileError) {
  TCatagories store(Dir());
  for (const char* name : {"a/b", "a\\b", "a:b", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b"}) {
    EXPECT_THROW(store.AddCatagory(name), EFileError) << name;
  }
  EXPECT_TRUE(store.Items.empty());
  EXPECT_THROW(store.AddCatagory(std::string(256, 'n')), ECatagoryName);
}

TEST_F(CatagoryStore, PartialRecordIsKeptAsAMacroAndNeverOverwritten) {
  std::filesystem::create_directories(Dir());
  TMacro first = Named("A");
  TMacro partial = Named("Part");
  WriteBytes(CatFile("Cut"), Bytes(first) + Bytes(partial).substr(0, 100));
  TCatagories store(Dir());
  ASSERT_EQ(store.Items[0].Macros.size(), 2u);
  TMacro expected;
  std::memset(&expected, 0, sizeof expected);
  std::memcpy(&expected, &partial, 100);
  EXPECT_EQ(Bytes(store.Items[0].Macros[1]), Bytes(expected)) << "not zero-filled";

  EXPECT_EQ(store.AddMacro(0, Named("B")), 2);
  std::string file = ReadBytes(CatFile("Cut"));
  ASSERT_EQ(file.size(), 3 * kMacroRecordSize);
  EXPECT_EQ(file.substr(kMacroRecordSize, kMacroRecordSize), Bytes(expected));
  EXPECT_EQ(file.substr(2 * kMacroRecordSize), Bytes(Named("B")));

  store.RemoveMacro(0, 0);
  EXPECT_EQ(Titles(store.Items[0]), "BPart");
  EXPECT_EQ(FileTitles(CatFile("Cut")), "BPart");
  TCatagories again(Dir());
  EXPECT_EQ(Titles(again.Items[0]), "BPart");
}

TEST_F(CatagoryStore, FindShortCutTakesTheFirstInStoreOrder) {
  TCatagories store(Dir());
  store.AddCatagory("One");
  store.AddCatagory("Two");
  store.AddMacro(0, Named("a", 0x4041));
  store.AddMacro(1, Named("b", 0xC054));
  store.AddMacro(1, Named("c", 0x4041));
  int c = -1, m = -1;
  ASSERT_TRUE(store.FindShortCut(0x4041, c, m));
  EXPECT_EQ(c, 0);
  EXPECT_EQ(m, 0);
  ASSERT_TRUE(store.FindShortCut(0xC054, c, m));
  EXPECT_EQ(c, 1);
  EXPECT_EQ(m, 0);
  EXPECT_FALSE(store.FindShortCut(0x4042, c, m));
}

TEST_F(CatagoryStore, EveryChangeAdvancesTheGeneration) {
  TCatagories store(Dir());
  std::uint64_t seen = store.Generation();
  auto advanced = [&] {
    bool moved = store.Generation() > seen;
    seen = store.Generation();
    return moved;
  };
  store.AddCatagory("G");
  EXPECT_TRUE(advanced());
  store.AddMacro(0, Named("a"));
  EXPECT_TRUE(advanced());
  store.UpdateMacro(0, 0);
  EXPECT_TRUE(advanced());
  store.RemoveMacro(0, 0);
  EXPECT_TRUE(advanced());
  store.RemoveCatagory(0);
  EXPECT_TRUE(advanced());
}

TEST_F(CatagoryStore, BadIndexesAreRefusedWithoutTouchingAnything) {
  WriteCatagory("C", {Named("A")});
  TCatagories store(Dir());
  EXPECT_THROW(store.AddMacro(1, Named("x")), std::out_of_range);
  EXPECT_THROW(store.UpdateMacro(0, 1), std::out_of_range);
  EXPECT_THROW(store.RemoveMacro(0, -1), std::out_of_range);
  EXPECT_THROW(store.RemoveCatagory(3), std::out_of_range);
  EXPECT_EQ(FileTitles(CatFile("C")), "A");
}

TEST_F(CatagoryStore, WriteProtectedFileLoadsButRefusesChangesWithTheSystemsError) {
  if (!ReadOnlyIsEnforced(Folder)) GTEST_SKIP() << "this user writes to write-protected files";
  WriteCatagory("Locked", {Named("A"), Named("B")});
  MakeReadOnly(CatFile("Locked"));
  TCatagories store(Dir());
  ASSERT_EQ(Titles(store.Items[0]), "AB") << "its macros must still run";
  try {
    store.AddMacro(0, Named("C"));
    FAIL() << "a write-protected file was changed";
  } catch (const EFileError& error) {
    EXPECT_NE(std::string(error.what()).find("Locked.cat"), std::string::npos) << error.what();
    EXPECT_FALSE(error.OsText().empty());
  }
  EXPECT_EQ(Titles(store.Items[0]), "AB");
  EXPECT_THROW(store.RemoveMacro(0, 0), EFileError);
  EXPECT_EQ(Titles(store.Items[0]), "AB") << "memory and file no longer agree";
  EXPECT_EQ(FileTitles(CatFile("Locked")), "AB");
}

TEST_F(CatagoryStore, FolderThatCannotHoldFilesGivesAFileError) {
  // A "folder" that is a plain file can never hold a category file, for any user.
  WriteBytes(Folder.File("NotAFolder"), "x");
  TCatagories store(Folder.File("NotAFolder"));
  EXPECT_THROW(store.AddCatagory("New"), EFileError);
  EXPECT_TRUE(store.Items.empty());
}

TEST_F(CatagoryStore, UnreadableFileIsNeitherChangedNorDeleted) {
  WriteCatagory("Secret", {Named("A")});
  std::filesystem::permissions(CatFile("Secret"), std::filesystem::perms::none);
  if (std::ifstream(CatFile("Secret")).is_open()) GTEST_SKIP() << "this user reads any file";
  TCatagories store(Dir());
  ASSERT_EQ(store.Items.size(), 1u);
  EXPECT_TRUE(store.Items[0].LoadFailed);
  EXPECT_EQ(store.LoadProblems().size(), 1u);
  EXPECT_THROW(store.AddMacro(0, Named("B")), EFileError);
  store.RemoveCatagory(0);
  EXPECT_TRUE(FileExists(CatFile("Secret")));
}

TEST_F(CatagoryStore, FailedWritesLeaveMemoryAsTheFileIs) {
  // A folder in the file's place cannot be opened for writing by any user.
  WriteCatagory("Gone", {Named("A"), Named("B")});
  TCatagories store(Dir());
  std::filesystem::remove(CatFile("Gone"));
  std::filesystem::create_directories(CatFile("Gone"));
  EXPECT_THROW(store.AddMacro(0, Named("C")), EFileError);
  EXPECT_THROW(store.RemoveMacro(0, 0), EFileError);
  EXPECT_THROW(store.UpdateMacro(0, 1), EFileError);
  EXPECT_EQ(Titles(store.Items[0]), "AB");
  try {
    store.AddMacro(0, Named("C"));
  } catch (const EFileError& error) {
    EXPECT_NE(std::string(error.what()).find("Gone.cat"), std::string::npos) << error.what();
    EXPECT_FALSE(error.OsText().empty());
  }
}

namespace {

// Makes the next file write put only its first bytes and then fail as a
// full disk does; off again at the end of the scope.
struct TFullDisk {
  explicit TFullDisk(std::size_t written) { FailNthWriteForTests(1, written); }
  ~TFullDisk() { FailNthWriteForTests(0, 0); }
};

}  // namespace

TEST_F(CatagoryStore, AWriteThatFailsPartWayLeavesFileAndMemoryAsTheyWere) {
  struct TCase {
    const char* what;
    std::function<void(TCatagories&)> change;
  };
  const TCase cases[] = {
      {"append", [](TCatagories& store) { store.AddMacro(0, Named("D")); }},
      {"overwrite", [](TCatagories& store) { store.UpdateMacro(0, 1, Named("Bee")); }},
      {"remove", [](TCatagories& store) { store.RemoveMacro(0, 0); }},
  };
  for (const TCase& c : cases) {
    WriteCatagory("C", {Named("A"), Named("B"), Named("C")});
    std::string before = ReadBytes(CatFile("C"));
    TCatagories store(Dir());
    try {
      TFullDisk full(1000);
      c.change(store);
      ADD_FAILURE() << c.what << ": no error";
    } catch (const EFileError& error) {
      EXPECT_NE(std::string(error.what()).find("C.cat"), std::string::npos) << error.what();
      EXPECT_FALSE(error.OsText().empty()) << c.what;
    }
    EXPECT_TRUE(ReadBytes(CatFile("C")) == before) << c.what << ": the file was left half-written";
    EXPECT_EQ(Titles(store.Items[0]), "ABC") << c.what;
    EXPECT_EQ(Titles(TCatagories(Dir()).Items[0]), "ABC") << c.what;
    // The store does not take its own repair for another program's change.
    c.change(store);
    EXPECT_EQ(FileTitles(CatFile("C")), Titles(store.Items[0])) << c.what;
  }
}

TEST_F(CatagoryStore, NamesWindowsKeepsForDevicesAreRefusedWithTheReason) {
  TCatagories store(Dir());
  for (const char* name : {"CON", "con.txt", "Nul", "com1", "LPT9", "aux ", "prn.cat.x"}) {
    try {
      store.AddCatagory(name);
      ADD_FAILURE() << name << " was taken";
    } catch (const ECatagoryName& error) {
      EXPECT_NE(std::string(error.what()).find("Windows keeps"), std::string::npos) << error.what();
    }
  }
  EXPECT_TRUE(store.Items.empty());
  for (const char* name : {"Console", "com0", "COM10", "nul-ish", "x.con"})
    EXPECT_GE(store.AddCatagory(name), 0) << name;
}

TEST_F(CatagoryStore, AFileAnotherProgramChangedIsReadAgainAndNotWrittenOver) {
  WriteCatagory("C", {Named("A"), Named("B")});
  TCatagories store(Dir());
  auto expectRefused = [&](const std::function<void()>& change, const std::string& titles) {
    try {
      change();
      ADD_FAILURE() << "the change was made";
    } catch (const ECatagoryChanged& error) {
      EXPECT_NE(std::string(error.what()).find("Another program has changed"), std::string::npos);
    }
    EXPECT_EQ(FileTitles(CatFile("C")), titles) << "the other program's change was lost";
    EXPECT_EQ(Titles(store.Items[0]), titles) << "not read again";
  };
  // Appended to.
  WriteBytes(CatFile("C"), ReadBytes(CatFile("C")) + Bytes(Named("X")));
  expectRefused([&] { store.UpdateMacro(0, 0, Named("Q")); }, "ABX");
  store.AddMacro(0, Named("D"));  // read again, it may be changed
  EXPECT_EQ(FileTitles(CatFile("C")), "ABXD");

  // Replaced by a file of the same length.
  auto written = std::filesystem::last_write_time(CatFile("C"));
  WriteCatagory("C", {Named("E"), Named("F"), Named("G"), Named("H")});
  std::filesystem::last_write_time(CatFile("C"), written + std::chrono::seconds(2));
  expectRefused([&] { store.RemoveMacro(0, 0); }, "EFGH");
  WriteBytes(CatFile("C"), "");
  expectRefused([&] { store.AddMacro(0, Named("Z")); }, "");
  WriteCatagory("C", {Named("K")});
  expectRefused([&] { store.RemoveCatagory(0); }, "K");
  EXPECT_EQ(store.Items.size(), 1u);
}

TEST_F(CatagoryStore, RenameMovesTheFileAndRefusesNamesInUse) {
  WriteCatagory("Old", {Named("A"), Named("B")});
  WriteCatagory("Other", {});
  std::string bytes = ReadBytes(CatFile("Old"));
  TCatagories store(Dir());
  int old = FindCatagory(store, "Old");
  EXPECT_FALSE(store.RenameCatagory(old, "OTHER"));
  std::filesystem::create_directories(CatFile("Folder"));
  EXPECT_FALSE(store.RenameCatagory(old, "Folder")) << "a folder of that name is in the way";
  EXPECT_THROW(store.RenameCatagory(old, "a/b"), EFileError);
  EXPECT_EQ(store.Items[old].Name, "Old");

  std::uint64_t generation = store.Generation();
  ASSERT_TRUE(store.RenameCatagory(old, "New"));
  EXPECT_GT(store.Generation(), generation);
  EXPECT_FALSE(FileExists(CatFile("Old")));
  EXPECT_TRUE(ReadBytes(CatFile("New")) == bytes);
  EXPECT_EQ(store.Items[old].Name, "New");
  // Letter case alone renames in place; the next change is not taken for
  // another program's.
  ASSERT_TRUE(store.RenameCatagory(old, "NEW"));
  EXPECT_EQ(FindFilesWithExtension(Dir(), ".cat").size(), 2u);
  EXPECT_TRUE(FileExists(PathJoin(Dir(), "NEW.cat")));
  store.AddMacro(old, Named("C"));
  TCatagories reloaded(Dir());
  EXPECT_EQ(Titles(reloaded.Items[FindCatagory(reloaded, "NEW")]), "ABC");
}

TEST_F(CatagoryStore, AFailedOrRefusedRenameKeepsTheOldNameAndFile) {
  WriteCatagory("Old", {Named("A")});
  std::string bytes = ReadBytes(CatFile("Old"));
  TCatagories store(Dir());
  {
    TFullDisk full(100);
    EXPECT_THROW(store.RenameCatagory(0, "New"), EFileError);
  }
  EXPECT_EQ(store.Items[0].Name, "Old");
  EXPECT_TRUE(ReadBytes(CatFile("Old")) == bytes);
  EXPECT_FALSE(FileExists(CatFile("New"))) << "the half-written new file stays behind";

  WriteBytes(CatFile("Old"), bytes + Bytes(Named("X")));
  EXPECT_THROW(store.RenameCatagory(0, "New"), ECatagoryChanged);
  EXPECT_FALSE(FileExists(CatFile("New")));
  EXPECT_EQ(Titles(store.Items[0]), "AX");
  EXPECT_TRUE(store.RenameCatagory(0, "New"));
}

TEST_F(CatagoryStore, DuplicateAppendsACopyWithoutShortcutAndAFittingTitle) {
  TMacro longTitle = Named("abcdefghijklmnopqrstuvwxy", 0xC041);
  WriteCatagory("C", {Named("Short", 0xC042), longTitle});
  TCatagories store(Dir());
  EXPECT_EQ(store.DuplicateMacro(0, 0), 2);
  EXPECT_EQ(store.DuplicateMacro(0, 1), 3);
  EXPECT_EQ(FileTitles(CatFile("C")), "Shortabcdefghijklmnopqrstuvwxy" "Short (copy)abcdefghijklmnopqr (copy)");
  TMacro copy = store.Items[0].Macros[3];
  EXPECT_EQ(copy.ShortCut, 0);
  EXPECT_EQ(GetMacroText(copy, mxLine1), GetMacroText(longTitle, mxLine1));
  copy.ShortCut = longTitle.ShortCut;
  copy.Title = longTitle.Title;
  EXPECT_TRUE(Bytes(copy) == Bytes(longTitle)) << "only title and shortcut differ";
}

TEST_F(CatagoryStore, MoveWritesBothFilesAndAFailedWriteLeavesTheMacroInOnePlace) {
  auto expectFiles = [&](const TCatagories& store, const std::string& a, const std::string& b) {
    EXPECT_EQ(FileTitles(CatFile("A")), a);
    EXPECT_EQ(FileTitles(CatFile("B")), b);
    EXPECT_EQ(Titles(store.Items[FindCatagory(store, "A")]), a);
    EXPECT_EQ(Titles(store.Items[FindCatagory(store, "B")]), b);
  };
  // The first write is the append, the second the record moved into the gap.
  for (int failing : {1, 2}) {
    WriteCatagory("A", {Named("1"), Named("2"), Named("3")});
    WriteCatagory("B", {Named("x")});
    TCatagories store(Dir());
    int a = FindCatagory(store, "A"), b = FindCatagory(store, "B");
    FailNthWriteForTests(failing, 10);
    EXPECT_THROW(store.MoveMacro(a, 0, b), EFileError) << failing;
    FailNthWriteForTests(0, 0);
    expectFiles(store, "123", "x");
    EXPECT_EQ(store.MoveMacro(a, 0, b), 1);
    expectFiles(store, "32", "x1");
  }
  TCatagories store(Dir());
  int a = FindCatagory(store, "A"), b = FindCatagory(store, "B");
  WriteBytes(CatFile("B"), ReadBytes(CatFile("B")) + Bytes(Named("y")));
  EXPECT_THROW(store.MoveMacro(a, 1, b), ECatagoryChanged);
  expectFiles(store, "32", "x1y");
  EXPECT_EQ(store.MoveMacro(a, 1, b), 3);
  expectFiles(store, "3", "x1y2");
}

TEST_F(CatagoryStore, RefreshFollowsTheFolderAndLeavesUntouchedCatagoriesAsTheyAre) {
  WriteCatagory("Alpha", {Named("A")});
  WriteCatagory("Beta", {Named("B1"), Named("B2")});
  WriteCatagory("Gamma", {Named("G")});
  TCatagories store(Dir());
  ASSERT_EQ(store.Items.size(), 3u);
  EXPECT_FALSE(store.Refresh().Any()) << "nothing changed on disk";
  const std::uint64_t before = store.Generation();
  int alpha = FindCatagory(store, "alpha");
  const TMacro* alphaRecords = store.Items[alpha].Macros.data();

  std::filesystem::remove(CatFile("Beta"));
  // Made anew under another letter case: the same category, changed.
  std::filesystem::remove(CatFile("Gamma"));
  WriteCatagory("GAMMA", {Named("G"), Named("G2")});
  WriteCatagory("Delta", {Named("D")});
  TStoreRefresh found = store.Refresh();
  EXPECT_EQ(found.Added, std::vector<std::string>{"Delta"});
  EXPECT_EQ(found.Removed, std::vector<std::string>{"Beta"});
  EXPECT_EQ(found.Changed, std::vector<std::string>{"Gamma"});
  EXPECT_GT(store.Generation(), before) << "dispatch would keep its old shortcut index";
  ASSERT_EQ(store.Items.size(), 3u);
  EXPECT_EQ(store.Items.back().Name, "Delta") << "new categories go at the end";
  alpha = FindCatagory(store, "Alpha");
  EXPECT_EQ(store.Items[alpha].Macros.data(), alphaRecords) << "an untouched category was read again";
  EXPECT_EQ(Titles(store.Items[FindCatagory(store, "Gamma")]), "GG2");

  // The store's own writes keep its stamps: nothing counts as changed.
  int gamma = FindCatagory(store, "Gamma");
  store.AddMacro(gamma, Named("G3"));
  store.UpdateMacro(gamma, 0, Named("G0"));
  store.RemoveMacro(gamma, 1);
  store.AddCatagory("Epsilon");
  EXPECT_FALSE(store.Refresh().Any());

  // The folder gone takes every category; back again, they return.
  std::filesystem::rename(Dir(), Folder.File("Moved"));
  EXPECT_EQ(store.Refresh().Removed.size(), 4u);
  EXPECT_TRUE(store.Items.empty());
  std::filesystem::rename(Folder.File("Moved"), Dir());
  EXPECT_EQ(store.Refresh().Added.size(), 4u);
}

TEST_F(CatagoryStore, RefreshKeepsAnUnreadableFileUnreadableAndNeverWritesIt) {
  WriteCatagory("Secret", {Named("A")});
  TCatagories store(Dir());
  WriteCatagory("Secret", {Named("A"), Named("B")});
  std::filesystem::permissions(CatFile("Secret"), std::filesystem::perms::none);
  if (std::ifstream(CatFile("Secret")).is_open()) GTEST_SKIP() << "this user reads any file";
  EXPECT_EQ(store.Refresh().Changed, std::vector<std::string>{"Secret"});
  EXPECT_TRUE(store.Items[0].LoadFailed);
  EXPECT_TRUE(store.Items[0].Macros.empty());
  EXPECT_THROW(store.AddMacro(0, Named("C")), EFileError);
  EXPECT_FALSE(store.Refresh().Any()) << "an unreadable file that did not change counts as changed again";
  std::filesystem::permissions(CatFile("Secret"), std::filesystem::perms::owner_all);
  EXPECT_EQ(store.Refresh().Changed, std::vector<std::string>{"Secret"});
  EXPECT_FALSE(store.Items[0].LoadFailed);
  EXPECT_EQ(Titles(store.Items[0]), "AB");
}

// A UTF-8 folder: names are file names as they are, titles are never cut
// inside a character, a mark the program does not know keeps every file
// untouched, and a mark written by another program reloads the whole store.
TEST_F(CatagoryStore, AUtf8FolderKeepsItsNamesAndTitlesWhole) {
  std::filesystem::create_directories(Dir());
  WriteStoreEncoding(Dir(), TStoreEncoding::Utf8);
  {
    TCatagories first(Dir());
    ASSERT_EQ(first.AddCatagory("Café →"), 0);
    first.AddMacro(0, Named("Résumé"));
  }
  TCatagories store(Dir());
  EXPECT_EQ(store.Encoding(), TStoreEncoding::Utf8);
  ASSERT_EQ(store.Items.size(), 1u);
  EXPECT_EQ(store.Items[0].Name, "Café →");
  EXPECT_EQ(FindFilesWithExtension(Dir(), ".cat"), std::vector<std::string>{"Café →.cat"});
  ASSERT_EQ(store.AddCatagory("日本"), 1);
  ASSERT_TRUE(store.RenameCatagory(1, "Ελληνικά"));
  TCatagories reloaded(Dir());
  EXPECT_GE(FindCatagory(reloaded, "Ελληνικά"), 0);
  EXPECT_EQ(FindFilesWithExtension(Dir(), ".cat").size(), 2u);

  // 17 bytes of "→" (3 bytes each) and a 1-byte letter: a plain cut at 18
  // bytes would split the sixth arrow.
  std::string arrows = "a";
  for (int i = 0; i < 8; ++i) arrows += "→";
  store.AddMacro(0, Named(arrows));
  int copy = store.DuplicateMacro(0, 1);
  std::string title = GetTitle(store.Items[0].Macros[copy]);
  EXPECT_EQ(title, "a→→→→→ (copy)");
  EXPECT_LE(title.size(), kTitleCapacity);
}

TEST_F(CatagoryStore, AnUnknownMarkLoadsNothingAndRefusesEveryChange) {
  WriteCatagory("Web", {Named("Bold")});
  WriteBytes(StoreEncodingPath(Dir()), "utf-16\r\n");
  const std::string before = ReadBytes(CatFile("Web"));
  TCatagories store(Dir());
  EXPECT_TRUE(store.Items.empty());
  ASSERT_EQ(store.LoadProblems().size(), 1u);
  EXPECT_NE(store.LoadProblems()[0].find("utf-16"), std::string::npos);
  EXPECT_THROW(store.AddCatagory("Web2"), EStoreEncoding);
  EXPECT_FALSE(FileExists(CatFile("Web2")));
  EXPECT_EQ(ReadBytes(CatFile("Web")), before);
}

TEST_F(CatagoryStore, AMarkWrittenByAnotherProgramReloadsTheWholeStore) {
  WriteCatagory("Web", {Named("Bold")});
  WriteCatagory("Mail", {Named("Sign")});
  TCatagories store(Dir());
  ASSERT_EQ(store.Encoding(), TStoreEncoding::Ansi);
  const std::uint64_t generation = store.Generation();
  WriteStoreEncoding(Dir(), TStoreEncoding::Utf8);
  std::filesystem::remove(CatFile("Mail"));
  WriteCatagory("Notes", {Named("Todo")});
  TStoreRefresh found = store.Refresh();
  EXPECT_EQ(store.Encoding(), TStoreEncoding::Utf8);
  EXPECT_EQ(found.Changed, std::vector<std::string>{"Web"});
  EXPECT_EQ(found.Added, std::vector<std::string>{"Notes"});
  EXPECT_EQ(found.Removed, std::vector<std::string>{"Mail"});
  EXPECT_GT(store.Generation(), generation);
  EXPECT_FALSE(store.Refresh().Any());
}
