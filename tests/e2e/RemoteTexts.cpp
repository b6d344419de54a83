#include "RemoteTexts.h"

#include <commctrl.h>

#include "E2eSupport.h"

namespace {

constexpr std::size_t kTextChars = 512;

// A block of memory in another process, freed with the object.
class TRemoteBlock {
 public:
  TRemoteBlock(HANDLE process, std::size_t size)
      : FProcess(process), FAddress(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {
    Check(FAddress != nullptr, "no memory in the program's process (error " + std::to_string(GetLastError()) + ")");
  }
  ~TRemoteBlock() { VirtualFreeEx(FProcess, FAddress, 0, MEM_RELEASE); }
  TRemoteBlock(const TRemoteBlock&) = delete;
  TRemoteBlock& operator=(const TRemoteBlock&) = delete;
  char* Address() const { return static_cast<char*>(FAddress); }

 private:
  HANDLE FProcess;
  void* FAddress;
};

}  // namespace

std::vector<std::string> ComboEntryTexts(HWND combo) {
  std::vector<std::string> texts;
  LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT entry = 0; entry < count; ++entry) {
    LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, entry, 0);
    Check(length >= 0 && length < static_cast<LRESULT>(kTextChars), "a combo box entry is too long to read");
    std::wstring text(kTextChars, L'\0');
    LRESULT got = SendMessageW(combo, CB_GETLBTEXT, entry, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    texts.push_back(WideToUtf8(text));
  }
  return texts;
}

std::vector<std::string> ListColumnTexts(HWND list, int column) {
  TOwnedHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, ProcessOf(list)));
  Check(static_cast<bool>(process), "the list's process cannot be opened");
  TRemoteBlock block(process.Get(), sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
  std::vector<std::string> texts;
  int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < rows; ++row) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t*>(block.Address() + sizeof(LVITEMW));
    item.cchTextMax = static_cast<int>(kTextChars);
    Check(WriteProcessMemory(process.Get(), block.Address(), &item, sizeof item, nullptr) != 0,
          "the list's process cannot be written to");
    LRESULT got = SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(block.Address()));
    std::wstring text(kTextChars, L'\0');
    Check(ReadProcessMemory(process.Get(), item.pszText, &text[0], kTextChars * sizeof(wchar_t), nullptr) != 0,
          "the list's process cannot be read");
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    texts.push_back(WideToUtf8(text));
  }
  return texts;
}
