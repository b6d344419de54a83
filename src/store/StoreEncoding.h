#pragma once
// How a macros folder holds its texts: bytes in the system's ANSI code page
// (every folder without a mark), or UTF-8 (a folder whose small file
// "encoding", beside the categories, says "utf-8"). The records are the same
// either way; only the meaning of their bytes differs. The mark's name does
// not end in ".cat", so the category list never shows it, and it travels
// with the folder.

#include <stdexcept>
#include <string>

enum class TStoreEncoding { Ansi, Utf8 };

constexpr unsigned kUtf8CodePage = 65001;

// A mark that names something other than UTF-8: nothing is read or written
// as if the folder were ANSI, since its owner chose otherwise.
class EStoreEncoding : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The path of the mark in a macros folder.
std::string StoreEncodingPath(const std::string& folder);

// Ansi when the folder has no mark (or does not exist). Raises
// EStoreEncoding for a mark this program does not know, and EFileError for
// one it cannot read.
TStoreEncoding ReadStoreEncoding(const std::string& folder);

// Writes the mark safely (a failure leaves the old one); Ansi removes it.
void WriteStoreEncoding(const std::string& folder, TStoreEncoding encoding);

// The code page the folder's texts are in: ansiCodePage, or UTF-8.
unsigned StoreCodePage(TStoreEncoding encoding, unsigned ansiCodePage);
