#include "base/FileCopy.h"

#include "base/OsFile.h"

void CopyFileContents(const std::string& source, const std::string& target) {
  TOsFile input(source, omRead);
  TOsFile output(target, omCreate);
  char block[2048];
  while (std::size_t got = input.Read(block, sizeof block)) output.Write(block, got);
  output.Close();
  input.Close();
}
