#include "run/ImageCopy.h"
#include "base/PathParts.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "run/MacroRun.h"
#include "base/FileCopy.h"
#include "base/OsFile.h"
#include "base/StrUtils.h"

namespace {

// Asks the file system, which also sees through short names and links.
bool SameExistingFile(const std::string& a, const std::string& b) {
  try {
    std::error_code error;
    return std::filesystem::equivalent(std::filesystem::path(a), std::filesystem::path(b), error) && !error;
  } catch (const std::exception&) {
    return false;  // a name the runtime cannot convert: the copy decides
  }
}

}  // namespace

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
  if (picked == target) return false;
  if (PathSeparator() == '\\' && SameFileName(picked, target)) return false;
  return !(FileExists(target) && SameExistingFile(picked, target));
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
