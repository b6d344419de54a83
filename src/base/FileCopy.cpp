#include "base/FileCopy.h"

#include "base/OsFile.h"
#include "base/SafeFile.h"

void CopyFileContents(const std::string& source, const std::string& target) {
  TOsFile input(source, omRead);
  ReplaceFileSafely(target, [&](TOsFile& output) {
    char block[2048];
    while (std::size_t got = input.Read(block, sizeof block)) output.Write(block, got);
    input.Close();
  });
}
