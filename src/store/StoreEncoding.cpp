#include "store/StoreEncoding.h"

#include "base/OsFile.h"
#include "base/PathParts.h"
#include "base/SafeFile.h"
#include "base/StrUtils.h"

namespace {

const char kMarkName[] = "encoding";
const char kUtf8Word[] = "utf-8";

// The mark's word: blanks and a byte-order mark around it do not count, and
// case does not matter ("UTF-8" written by hand is the same mark).
std::string MarkWord(const std::string& bytes) {
  std::string text = bytes;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  const char* blanks = " \t\r\n";
  std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  std::size_t last = text.find_last_not_of(blanks);
  std::string word = text.substr(first, last - first + 1);
  for (char& c : word) c = LowerCaseChar(c);
  return word;
}

}  // namespace

std::string StoreEncodingPath(const std::string& folder) {
  return ResolveInDirectory(folder, kMarkName);
}

TStoreEncoding ReadStoreEncoding(const std::string& folder) {
  std::string path = StoreEncodingPath(folder);
  if (!FileExists(path)) return TStoreEncoding::Ansi;
  std::string word = MarkWord(ReadWholeFile(path));
  if (word == kUtf8Word || word == "utf8") return TStoreEncoding::Utf8;
  throw EStoreEncoding("The file \"" + path + "\" names the encoding '" + word.substr(0, 40) +
                       "', which Zarvel does not know; only \"utf-8\" may stand there. Nothing "
                       "in this folder was changed.");
}

void WriteStoreEncoding(const std::string& folder, TStoreEncoding encoding) {
  std::string path = StoreEncodingPath(folder);
  if (encoding == TStoreEncoding::Ansi) {
    if (FileExists(path) && !DeleteOneFile(path))
      throw EFileError("Cannot delete", path, "The file could not be deleted.");
    return;
  }
  WriteWholeFileSafely(path, std::string(kUtf8Word) + "\r\n");
}

unsigned StoreCodePage(TStoreEncoding encoding, unsigned ansiCodePage) {
  return encoding == TStoreEncoding::Utf8 ? kUtf8CodePage : ansiCodePage;
}
