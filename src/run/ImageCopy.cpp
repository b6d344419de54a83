#include "run/ImageCopy.h"
#include "base/PathParts.h"

#include "run/MacroRun.h"
#include "base/FileCopy.h"
#include "base/OsFile.h"
#include "base/StrUtils.h"

std::string RelDirOnDisk(const std::string& relDir) {
  std::string onDisk = relDir;
  if (PathSeparator() != '/') ReplaceAll(onDisk, "/", std::string(1, PathSeparator()));
  return onDisk;
}

std::string ImageCopyFolder(const std::string& workDir, const std::string& relDir) {
  return workDir + RelDirOnDisk(relDir);
}

std::string ImageCopyTarget(const std::string& workDir, const std::string& relDir,
                            const std::string& picked) {
  return ImageCopyFolder(workDir, relDir) + FileNameOfPath(picked);
}

bool ImageNeedsCopy(const std::string& picked, const std::string& target) {
  // The file system decides: a name compare cannot see through "..",
  // letter case outside ASCII, short names or links.
  return picked != target && !SameFile(picked, target);
}

bool CreateFolderWithParents(const std::string& folder) {
  const std::string path = WithoutTrailingSeparator(folder);
  if (path.empty() || DirectoryExists(path)) return true;
  const std::string parent = FolderOfPath(path);
  if (parent != path && !CreateFolderWithParents(parent)) return false;
  return CreateOneDirectory(path) || DirectoryExists(path);
}

bool CopyImage(const std::string& picked, const std::string& workDir, const std::string& relDir) {
  const bool folderMade = CreateFolderWithParents(ImageCopyFolder(workDir, relDir));
  CopyFileContents(picked, ImageCopyTarget(workDir, relDir, picked));
  return folderMade;
}
