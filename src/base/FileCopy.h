#pragma once
#include <string>

// Copies source to target (created or truncated) in blocks of 2048 bytes.
// Raises EFileError when a file cannot be opened, read, written or closed;
// a failed copy never reports success.
void CopyFileContents(const std::string& source, const std::string& target);
