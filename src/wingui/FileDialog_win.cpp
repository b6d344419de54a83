#include "wingui/FileDialog_win.h"

#include <commdlg.h>

#include <vector>

#include "base/WideText_win.h"

bool PickFile(HWND owner, bool save, const std::string& filter, DWORD flags, std::string& path,
              const char* defaultExtension) {
  // The dialog wants each part ended by a zero and the list by a second one.
  std::wstring filterParts = WideFromUtf8(filter);
  for (wchar_t& c : filterParts)
    if (c == L'|') c = L'\0';
  filterParts.push_back(L'\0');
  filterParts.push_back(L'\0');
  const std::wstring extension = defaultExtension ? WideFromUtf8(defaultExtension) : std::wstring();
  // Paths longer than MAX_PATH are allowed where the system allows them.
  std::vector<wchar_t> file(32768, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filterParts.data();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrDefExt = defaultExtension ? extension.c_str() : nullptr;
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR | flags;
  if (!(save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog))) return false;
  path = Utf8FromWide(file.data());
  return true;
}
