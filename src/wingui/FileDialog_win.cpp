#include "wingui/FileDialog_win.h"

#include <commdlg.h>

#include <vector>

bool PickFile(HWND owner, bool save, const std::string& filter, DWORD flags, std::string& path,
              const char* defaultExtension) {
  // The dialog wants each part ended by a zero and the list by a second one.
  std::vector<char> filterParts(filter.begin(), filter.end());
  for (char& c : filterParts)
    if (c == '|') c = '\0';
  filterParts.push_back('\0');
  filterParts.push_back('\0');
  std::vector<char> file(4096, '\0');
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filterParts.data();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrDefExt = defaultExtension;
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR | flags;
  if (!(save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog))) return false;
  path = file.data();
  return true;
}
