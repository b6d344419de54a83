#pragma once
// Copying a picked picture into the working directory, so that the relative
// path a template writes (relative directory + file name) finds it there.

#include <string>

// The rule itself is the "Copy" setting (kImageCopyAlways, kImageCopyConfirm,
// kImageCopyNever in store/Settings.h); a run treats any other stored
// number as never.

// The relative directory as the file system wants it: "/" becomes the
// platform's separator. Templates keep the form the user typed.
std::string RelDirOnDisk(const std::string& relDir);

// Working directory + relative directory, joined with nothing put between:
// the user ends each with a separator.
std::string ImageCopyFolder(const std::string& workDir, const std::string& relDir);
std::string ImageCopyTarget(const std::string& workDir, const std::string& relDir,
                            const std::string& picked);

// Whether copying picked to target would do anything: false when both name
// the same file, written alike or not (letter case, a short name, a link),
// so a copy never opens its source as its own target and empties it.
bool ImageNeedsCopy(const std::string& picked, const std::string& target);

// Creates the folder and every missing parent; false when that fails.
bool CreateFolderWithParents(const std::string& folder);

// Creates the target's folder when needed and copies the picture. Returns
// false when the folder could not be made; the copy is attempted anyway and
// raises EFileError when it fails.
bool CopyImage(const std::string& picked, const std::string& workDir, const std::string& relDir);
