#include "run/Clipboard_win.h"

#include <atomic>
#include <cstring>
#include <string>
#include <utility>

#include "wingui/WinHandles_win.h"

namespace {

constexpr int kOpenAttempts = 25;
constexpr DWORD kOpenRetryMs = 20;
// How long the clipboard's owner may take to answer before the run stops
// rather than ask it for contents it would never render.
constexpr UINT kOwnerAnswerMs = 1000;

std::atomic<int> FailingWrites[2];

bool WriteFails(TClipboardWrite kind) {
  std::atomic<int>& failing = FailingWrites[kind];
  int left = failing.load();
  while (left > 0)
    if (failing.compare_exchange_weak(left, left - 1)) return true;
  return false;
}

// Formats whose data is a GDI or other handle rather than global memory.
bool IsHandleFormat(UINT format) {
  switch (format) {
    case CF_BITMAP:
    case CF_PALETTE:
    case CF_METAFILEPICT:
    case CF_ENHMETAFILE:
    case CF_OWNERDISPLAY:
    case CF_DSPBITMAP:
    case CF_DSPMETAFILEPICT:
    case CF_DSPENHMETAFILE:
      return true;
    default:
      return (format >= CF_PRIVATEFIRST && format <= CF_PRIVATELAST) ||
             (format >= CF_GDIOBJFIRST && format <= CF_GDIOBJLAST);
  }
}

bool CopyGlobal(HANDLE data, std::vector<unsigned char>& bytes) {
  TGlobalLock lock(data);
  if (lock.Data() == nullptr) return false;
  const auto* source = static_cast<const unsigned char*>(lock.Data());
  bytes.assign(source, source + lock.Size());
  return true;
}

TGlobalMemory NewGlobal(const void* bytes, std::size_t size) {
  TGlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, size == 0 ? 1 : size));
  if (!memory) return memory;
  TGlobalLock lock(memory.Get());
  if (lock.Data() == nullptr) return TGlobalMemory();
  if (size > 0) std::memcpy(lock.Data(), bytes, size);
  return memory;
}

// The clipboard owns the memory once it has taken it; until then it is ours.
bool HandToClipboard(UINT format, TGlobalMemory memory) {
  if (SetClipboardData(format, memory.Get()) == nullptr) return false;
  memory.Release();
  return true;
}

void SetGlobal(TClipboardWrite kind, UINT format, const void* bytes, std::size_t size) {
  TGlobalMemory memory = WriteFails(kind) ? TGlobalMemory() : NewGlobal(bytes, size);
  if (!memory) throw EClipboardError("There is not enough memory for the clipboard's contents.");
  if (!HandToClipboard(format, std::move(memory))) throw EClipboardError("The clipboard refused its contents.");
}

TDelayedText* OfferOf(HWND window) { return reinterpret_cast<TDelayedText*>(GetWindowLongPtrA(window, GWLP_USERDATA)); }

LRESULT CALLBACK OwnerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  TDelayedText* offer = OfferOf(window);
  if (message == WM_RENDERFORMAT && wParam == CF_UNICODETEXT && offer != nullptr) {
    offer->Render();
    return 0;
  }
  if (message == WM_RENDERALLFORMATS && offer != nullptr) {
    // The window goes while its offer stands: the text is left behind whole.
    if (OpenClipboard(window)) {
      if (GetClipboardOwner() == window) offer->Render();
      CloseClipboard();
    }
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void SetDword(const char* formatName, DWORD value) {
  const UINT format = RegisterClipboardFormatA(formatName);
  if (format != 0) SetGlobal(cwResult, format, &value, sizeof value);
}

// A program's window that holds the clipboard renders its delayed formats
// when asked, on its own thread; one that no longer answers messages would
// keep the asking thread waiting for good.
bool OwnerAnswers() {
  HWND owner = GetClipboardOwner();
  if (owner == nullptr || CountClipboardFormats() == 0) return true;
  if (GetWindowThreadProcessId(owner, nullptr) == GetCurrentThreadId()) return true;
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(owner, WM_NULL, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kOwnerAnswerMs, &result) != 0;
}

}  // namespace

void FailClipboardWrites(TClipboardWrite kind, int count) { FailingWrites[kind] = count; }

TOpenClipboard::TOpenClipboard(HWND owner) {
  for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
    if (OpenClipboard(owner)) return;
    Sleep(kOpenRetryMs);
  }
  throw EClipboardError("The clipboard cannot be opened: another program is using it. Please try again.");
}

TOpenClipboard::~TOpenClipboard() { CloseClipboard(); }

void TOpenClipboard::Empty() {
  if (!EmptyClipboard()) throw EClipboardError("The clipboard cannot be emptied.");
}

bool TOpenClipboard::ReadText(std::wstring& text) const {
  text.clear();
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (data == nullptr) return false;
  TGlobalLock lock(data);
  const wchar_t* chars = static_cast<const wchar_t*>(lock.Data());
  if (chars == nullptr) return false;
  // Never past the memory block, also when the terminating zero is missing.
  const std::size_t capacity = lock.Size() / sizeof(wchar_t);
  std::size_t length = 0;
  while (length < capacity && chars[length] != L'\0') ++length;
  text.assign(chars, length);
  return true;
}

void TOpenClipboard::WriteText(const std::wstring& text) {
  Empty();
  SetGlobal(cwResult, CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

void TOpenClipboard::KeepOutOfHistory() {
  SetDword("ExcludeClipboardContentFromMonitorProcessing", 0);
  SetDword("CanIncludeInClipboardHistory", 0);
  SetDword("CanUploadToCloudClipboard", 0);
}

TDelayedText::TDelayedText(HWND owner, std::wstring text) : FOwner(owner), FText(std::move(text)) {
  SetWindowLongPtrA(FOwner, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TDelayedText::~TDelayedText() { SetWindowLongPtrA(FOwner, GWLP_USERDATA, 0); }

void TDelayedText::Offer() { SetClipboardData(CF_UNICODETEXT, nullptr); }

void TDelayedText::Render() {
  if (WriteFails(cwResult)) return;
  TGlobalMemory memory = NewGlobal(FText.c_str(), (FText.size() + 1) * sizeof(wchar_t));
  if (memory && HandToClipboard(CF_UNICODETEXT, std::move(memory))) FRendered = true;
}

void TClipboardSnapshot::Save(const TOpenClipboard&) {
  FFormats.clear();
  if (!OwnerAnswers())
    throw EClipboardError(
        "The program that put the clipboard's contents there does not answer, so they cannot be saved. "
        "Zarvel left the clipboard alone and did nothing; please try again when that program answers.");
  for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
    if (format != CF_ENHMETAFILE && IsHandleFormat(format)) continue;
    HANDLE data = GetClipboardData(format);
    if (data == nullptr) continue;  // delayed data its owner would not give
    TFormat saved;
    saved.Format = format;
    if (format == CF_ENHMETAFILE) {
      UINT size = GetEnhMetaFileBits(static_cast<HENHMETAFILE>(data), 0, nullptr);
      if (size == 0) continue;
      saved.Bytes.resize(size);
      GetEnhMetaFileBits(static_cast<HENHMETAFILE>(data), size, saved.Bytes.data());
    } else if (!CopyGlobal(data, saved.Bytes)) {
      continue;
    }
    FFormats.push_back(std::move(saved));
  }
}

void TClipboardSnapshot::Restore(TOpenClipboard& clipboard) const {
  clipboard.Empty();
  std::size_t missing = 0;
  for (const TFormat& saved : FFormats) {
    if (saved.Format == CF_ENHMETAFILE) {
      HENHMETAFILE metafile = SetEnhMetaFileBits(static_cast<UINT>(saved.Bytes.size()), saved.Bytes.data());
      if (metafile == nullptr) ++missing;
      else if (SetClipboardData(CF_ENHMETAFILE, metafile) == nullptr) {
        DeleteEnhMetaFile(metafile);
        ++missing;
      }
      continue;
    }
    try {
      SetGlobal(cwRestore, saved.Format, saved.Bytes.data(), saved.Bytes.size());
    } catch (const EClipboardError&) {
      ++missing;
    }
  }
  if (missing > 0)
    throw EClipboardError("Your clipboard could not be put back whole: " + std::to_string(missing) + " of its " +
                          std::to_string(FFormats.size()) + " formats are missing.");
}

TClipboardOwnerWindow::TClipboardOwnerWindow() {
  static const char* const kClass = "ZarvelClipboardOwner";
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = OwnerWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kClass;
  RegisterClassA(&windowClass);  // fails harmlessly when already registered
  FHandle = CreateWindowExA(0, kClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, windowClass.hInstance, nullptr);
  if (FHandle == nullptr) throw EClipboardError("The clipboard's owner window cannot be made.");
}

TClipboardOwnerWindow::~TClipboardOwnerWindow() { DestroyWindow(FHandle); }
