#include "base/FileCopy.h"

#include "base/OsFile.h"

namespace {

// A new file beside target, named after it; the name of the file made.
std::string CreateFileBeside(const std::string& target, TOsFile& file) {
  for (int n = 0; n < 100; ++n) {
    const std::string path = target + "." + std::to_string(n) + ".zvtmp";
    if (TOsFile::TryOpen(path, omCreateNew, file)) return path;
    if (!FileExists(path)) {
      file = TOsFile(path, omCreateNew);  // not a name clash: raises with the system's reason
      return path;
    }
  }
  throw EFileError("Cannot create a temporary file beside", target, "every name is taken");
}

}  // namespace

void CopyFileContents(const std::string& source, const std::string& target) {
  TOsFile input(source, omRead);
  TOsFile output;
  const std::string temporary = CreateFileBeside(target, output);
  try {
    char block[2048];
    while (std::size_t got = input.Read(block, sizeof block)) output.Write(block, got);
    output.Close();
    input.Close();
    ReplaceFileWith(temporary, target);
  } catch (...) {
    output = TOsFile();  // closed before it can be deleted on Windows
    DeleteOneFile(temporary);
    throw;
  }
}
