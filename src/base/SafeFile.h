#pragma once
// Reading a file whole, and writing one whole so that a failure never leaves
// it half-written, nor damages the file it replaces.

#include <functional>
#include <string>

class TOsFile;

// Makes path anew: `fill` writes the whole content into a new file beside
// it ("<path>.~N"), which is put on the disk and then takes path's place in
// one step. On any failure (fill raising included) the old file is left
// whole, the new one is removed, and the error goes on.
void ReplaceFileSafely(const std::string& path, const std::function<void(TOsFile&)>& fill);

// The same with bytes as the whole content.
void WriteWholeFileSafely(const std::string& path, const std::string& bytes);

// The whole content of an existing file; raises EFileError when it cannot be
// read.
std::string ReadWholeFile(const std::string& path);
