#include "run/ImageCopy.h"

#include <gtest/gtest.h>

#include "common/NonAsciiName.h"
#include "common/TempFolder.h"
#include "base/OsFile.h"

TEST(ImageCopyTarget, JoinsWithNothingBetween) {
  const std::string sep(1, PathSeparator());
  EXPECT_EQ(ImageCopyTarget("W" + sep, "img/", "C:\\pics\\a.png"), "W" + sep + "img" + sep + "a.png");
  EXPECT_EQ(ImageCopyTarget("W", "img", "a.png"), "Wimga.png");
  EXPECT_EQ(ImageCopyTarget("", "", "/x/a.png"), "a.png");
}

TEST(ImageCopyTarget, RelDirOnDiskUsesThePlatformSeparator) {
  const std::string sep(1, PathSeparator());
  EXPECT_EQ(RelDirOnDisk("a/b/"), "a" + sep + "b" + sep);
}

TEST(ImageNeedsCopy, SameFileInAnyFormIsNotCopied) {
  TTempFolder folder;
  const std::string picked = folder.File("a.png");
  WriteBytes(picked, "x");
  EXPECT_FALSE(ImageNeedsCopy(picked, picked));
  EXPECT_FALSE(ImageNeedsCopy(picked, PathJoin(folder.Path(), ".") + PathSeparator() + "a.png"));
  EXPECT_TRUE(ImageNeedsCopy(picked, folder.File("b.png")));
  WriteBytes(folder.File("b.png"), "y");
  EXPECT_TRUE(ImageNeedsCopy(picked, folder.File("b.png")));
}

TEST(CreateFolderWithParents, MakesEveryMissingLevel) {
  TTempFolder folder;
  const std::string sep(1, PathSeparator());
  const std::string deep = folder.Path() + sep + "a" + sep + "b" + sep + "c" + sep;
  EXPECT_TRUE(CreateFolderWithParents(deep));
  EXPECT_TRUE(DirectoryExists(deep));
  EXPECT_TRUE(CreateFolderWithParents(deep)) << "an existing folder is no failure";
}

TEST(CreateFolderWithParents, FileInTheWayFails) {
  TTempFolder folder;
  WriteBytes(folder.File("file"), "x");
  EXPECT_FALSE(CreateFolderWithParents(PathJoin(folder.File("file"), "sub")));
}

TEST(CopyImage, CopiesIntoNewFolders) {
  TTempFolder folder;
  const std::string picked = folder.File("a.png");
  WriteBytes(picked, "png bytes");
  const std::string work = PathJoin(folder.Path(), "w") + PathSeparator();
  EXPECT_TRUE(CopyImage(picked, work, "x/y/"));
  EXPECT_EQ(ReadBytes(ImageCopyTarget(work, "x/y/", picked)), "png bytes");
}

TEST(CopyImage, FileWhereTheFolderShouldBeMakesTheCopyFail) {
  TTempFolder folder;
  const std::string picked = folder.File("a.png");
  WriteBytes(picked, "png");
  WriteBytes(folder.File("w"), "a file where the folder should be");
  const std::string work = folder.File("w") + PathSeparator();
  EXPECT_THROW(CopyImage(picked, work, ""), EFileError);
}

TEST(CopyImage, PictureReachedThroughTheRelativeDirectoryIsLeftWhole) {
  TTempFolder folder;
  const std::string sep(1, PathSeparator());
  const std::string site = NonAsciiFolderIn(folder.Path(), PathSeparator());
  ASSERT_TRUE(CreateFolderWithParents(site + sep + "pages" + sep));
  ASSERT_TRUE(CreateFolderWithParents(site + sep + "images" + sep));
  const std::string picked = site + sep + "images" + sep + "a.png";
  TOsFile(picked, omCreate).Write("png bytes", 9);
  const std::string work = site + sep + "pages" + sep;
  EXPECT_FALSE(ImageNeedsCopy(picked, ImageCopyTarget(work, "../images/", picked)));
#ifdef _WIN32
  EXPECT_FALSE(ImageNeedsCopy(picked, ImageCopyTarget(work, "..\\images\\", picked)));
#endif
  // Copied anyway (the user said always), the picture keeps every byte.
  CopyImage(picked, work, "../images/");
  TOsFile copied(picked, omRead);
  EXPECT_EQ(copied.Size(), 9);
}
