#pragma once
#include <string>

// Copies source to target (created, or replaced as a whole) in blocks of
// 2048 bytes. The bytes go to a new file beside the target, which then takes
// the target's place in one step: a copy that fails leaves the target as it
// was and no part of a file behind, and a target that is the source under
// another name is never emptied before it is read.
// Raises EFileError when a file cannot be opened, read, written or closed;
// a failed copy never reports success.
void CopyFileContents(const std::string& source, const std::string& target);
