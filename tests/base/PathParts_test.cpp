#include "base/PathParts.h"

#include <gtest/gtest.h>

TEST(PathParts, FileNameWithoutItsFolder) {
  EXPECT_EQ(FileNameOfPath("C:\\pics\\a.png"), "a.png");
  EXPECT_EQ(FileNameOfPath("/home/u/b.gif"), "b.gif");
  EXPECT_EQ(FileNameOfPath("C:c.jpg"), "c.jpg");
  EXPECT_EQ(FileNameOfPath("plain.bmp"), "plain.bmp");
  EXPECT_EQ(FileNameOfPath("C:\\pics\\"), "");
  EXPECT_EQ(FileNameOfPath(""), "");
}

TEST(PathParts, FolderLosesOneTrailingSeparator) {
  EXPECT_EQ(FolderOfPath("C:\\Program Files\\Zarvel\\zarvel.exe"), "C:\\Program Files\\Zarvel");
  EXPECT_EQ(FolderOfPath("C:\\zarvel.exe"), "C:");
  EXPECT_EQ(FolderOfPath("Z:/home/user/zarvel.exe"), "Z:/home/user");
  EXPECT_EQ(FolderOfPath("\\\\server\\share\\zarvel.exe"), "\\\\server\\share");
  EXPECT_EQ(FolderOfPath("zarvel.exe"), "");
  EXPECT_EQ(FolderOfPath("C:zarvel.exe"), "C:");
}

TEST(PathParts, ExtensionOfTheFileNameOnly) {
  EXPECT_EQ(LowerExtensionOf("C:\\Pics\\Photo.JPEG"), ".jpeg");
  EXPECT_EQ(LowerExtensionOf("C:\\my.pics\\photo"), "");
  EXPECT_EQ(LowerExtensionOf("/home/u.v/a.b.Png"), ".png");
  EXPECT_EQ(LowerExtensionOf("C:.bmp"), ".bmp");
  EXPECT_EQ(LowerExtensionOf("plain"), "");
}

TEST(PathParts, DeviceNamesWindowsKeeps) {
  for (const char* name : {"CON", "con.txt", "Nul", "aux", "PRN.x.y", "com1", "COM9.cat", "lpt5", "NUL  "})
    EXPECT_TRUE(IsReservedDeviceName(name)) << name;
  for (const char* name : {"", "CONS", "con_", "COM0", "COM10", "LPT", "x.con", "comx", ".con"})
    EXPECT_FALSE(IsReservedDeviceName(name)) << name;
}
