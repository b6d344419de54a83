#pragma once
// Files the user removes go to the Recycle Bin where the system keeps one
// for their folder, so that one wrong click can be undone.

#include <string>

// Whether the file's volume has a Recycle Bin that takes it: a local fixed
// disk with a bin. Network folders and removable disks have none.
bool RecycleBinTakes(const std::string& path);

// Sends the file to the Recycle Bin, or deletes it where there is none.
// Shows nothing; raises EFileError when the file is still there.
void RecycleFileOrFail(const std::string& path);
