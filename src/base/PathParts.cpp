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

bool IsReservedDeviceName(const std::string& fileName) {
  std::string stem = fileName.substr(0, fileName.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (char& c : stem)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
  return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
         stem[3] >= '1' && stem[3] <= '9';
}
