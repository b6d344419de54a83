#include "base/PathParts.h"

namespace {

bool HasDrive(const std::string& path) { return path.size() >= 2 && path[1] == ':'; }

}  // namespace

std::size_t FileNameStart(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\/");
  if (separator != std::string::npos) return separator + 1;
  return HasDrive(path) ? 2 : 0;
}

std::string FileNameOfPath(const std::string& path) { return path.substr(FileNameStart(path)); }

std::string FolderOfPath(const std::string& path) {
  const std::size_t start = FileNameStart(path);
  std::string folder = path.substr(0, start);
  // One separator goes, so that the root of a drive reads "C:".
  if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  return folder;
}

std::string LowerExtensionOf(const std::string& path) {
  const std::size_t start = FileNameStart(path);
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || dot < start) return "";
  std::string extension = path.substr(dot);
  for (char& c : extension)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return extension;
}
