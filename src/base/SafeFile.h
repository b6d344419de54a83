#pragma once
// Writing a file whole so that a failure never leaves it half-written.

#include <string>

// Makes bytes the whole content of path: they go into a new file beside it
// ("<path>.~N"), are put on the disk, and that file then takes path's place
// in one step. On any failure the old file is left whole, the new one is
// removed, and EFileError carries the system's text.
void WriteWholeFileSafely(const std::string& path, const std::string& bytes);
