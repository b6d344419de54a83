#include "run/Clipboard_win.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <thread>
#include <utility>

#include "wingui/WinHandles_win.h"

namespace {

constexpr int kOpenAttempts = 25;
constexpr DWORD kOpenRetryMs = 20;
// How long the clipboard's owner may take to answer before the run stops
// rather than ask it for contents it would never render.
constexpr UINT kOwnerAnswerMs = 1000;
// The system waits a few seconds for an owner to render a delayed format
// and then gives no data. No data after this long means the owner was too
// slow, not that it has none: its contents are still there to lose.
constexpr DWORD kRenderGivenUpMs = 1000;

std::atomic<int> FailingWrites[2];

constexpr std::uint64_t kDefaultSaveLimit = std::uint64_t(1) << 30;
std::atomic<std::uint64_t> SaveLimit{kDefaultSaveLimit};

// What a snapshot may keep aside now: the limit, and no more than half of
// what the system can still commit and of the free address space (which is
// what runs out first in a 32-bit program), so that saving the clipboard
// never takes the memory the run and the other programs need.
std::uint64_t SaveRoomNow(std::uint64_t limit) {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (GlobalMemoryStatusEx(&status)) {
    limit = std::min(limit, status.ullAvailPageFile / 2);
    limit = std::min(limit, status.ullAvailVirtual / 2);
  }
  return limit;
}

// "700 MB", "12 KB": rounded up, so that a refusal never reads "0 MB".
std::string SizeText(std::uint64_t bytes) {
  constexpr std::uint64_t kKilo = 1024, kMega = 1024 * 1024;
  if (bytes >= kMega) return std::to_string((bytes + kMega - 1) / kMega) + " MB";
  return std::to_string((bytes + kKilo - 1) / kKilo) + " KB";
}

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

void SetClipboardSaveLimit(std::uint64_t bytes) { SaveLimit = bytes == 0 ? kDefaultSaveLimit : bytes; }

std::uint64_t ClipboardSaveLimit() { return SaveLimit.load(); }

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
  // The sizes first: a clipboard too large to keep aside is refused before
  // a byte of it is copied.
  struct TFound {
    UINT Format;
    HANDLE Data;
    std::uint64_t Size;
  };
  std::vector<TFound> found;
  std::uint64_t total = 0;
  for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
    if (format != CF_ENHMETAFILE && IsHandleFormat(format)) continue;
    const DWORD asked = GetTickCount();
    HANDLE data = GetClipboardData(format);
    if (data == nullptr && GetTickCount() - asked >= kRenderGivenUpMs)
      throw EClipboardError(
          "The program that put the clipboard's contents there took too long to give them, so they cannot be "
          "saved. Zarvel left the clipboard alone and did nothing; please try again.");
    if (data == nullptr) continue;  // delayed data its owner would not give
    const std::uint64_t size = format == CF_ENHMETAFILE
                                   ? GetEnhMetaFileBits(static_cast<HENHMETAFILE>(data), 0, nullptr)
                                   : GlobalSize(data);
    if (size == 0 && format == CF_ENHMETAFILE) continue;
    found.push_back({format, data, size});
    total += size;
  }
  const std::uint64_t room = SaveRoomNow(FLimit);
  if (total > room)
    throw EClipboardError("The clipboard holds " + SizeText(total) +
                          ", more than Zarvel can keep aside while a macro runs (" + SizeText(room) +
                          " now). Zarvel left the clipboard alone and did nothing; please copy something smaller "
                          "or free some memory, then try again.");
  for (const TFound& entry : found) {
    TFormat saved;
    saved.Format = entry.Format;
    saved.Size = entry.Size;
    saved.Memory = TGlobalMemory(GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(std::max<std::uint64_t>(entry.Size, 1))));
    TGlobalLock to(saved.Memory.Get());
    if (to.Data() == nullptr) {
      FFormats.clear();
      throw EClipboardError("There is not enough memory to keep the clipboard's " + SizeText(total) +
                            " aside. Zarvel left the clipboard alone and did nothing; please free some memory "
                            "and try again.");
    }
    if (entry.Format == CF_ENHMETAFILE) {
      GetEnhMetaFileBits(static_cast<HENHMETAFILE>(entry.Data), static_cast<UINT>(entry.Size),
                         static_cast<BYTE*>(to.Data()));
    } else {
      TGlobalLock from(entry.Data);
      if (from.Data() == nullptr) continue;
      std::memcpy(to.Data(), from.Data(), static_cast<std::size_t>(std::min<std::uint64_t>(entry.Size, from.Size())));
    }
    FFormats.push_back(std::move(saved));
  }
}

void TClipboardSnapshot::SaveWithin(DWORD limitMs) {
  struct TJob {
    explicit TJob(std::uint64_t limit) : Snapshot(limit) {}
    TClipboardSnapshot Snapshot;
    std::exception_ptr Error;
    TKernelHandle Done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  };
  auto job = std::make_shared<TJob>(FLimit);
  if (!job->Done) throw EClipboardError("The clipboard's contents cannot be saved: the system has no room.");
  // The helper holds the job too: a run that stopped waiting leaves it to
  // end by itself, its copy freed with it.
  std::thread([job] {
    try {
      TOpenClipboard clipboard(nullptr);
      job->Snapshot.FSequence = GetClipboardSequenceNumber();
      job->Snapshot.Save(clipboard);
    } catch (...) {
      job->Error = std::current_exception();
    }
    SetEvent(job->Done.Get());
  }).detach();
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD waited = GetTickCount() - start;
    if (waited >= limitMs)
      throw EClipboardError(
          "The program that put the clipboard's contents there takes too long to give them, so they cannot be "
          "saved. Zarvel left the clipboard alone and did nothing; please try again when that program answers.");
    HANDLE done = job->Done.Get();
    if (MsgWaitForMultipleObjects(1, &done, FALSE, limitMs - waited, QS_SENDMESSAGE) == WAIT_OBJECT_0) break;
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // answers what was sent meanwhile
  }
  if (job->Error) std::rethrow_exception(job->Error);
  FFormats = std::move(job->Snapshot.FFormats);
  FSequence = job->Snapshot.FSequence;
}

std::uint64_t TClipboardSnapshot::Bytes() const {
  std::uint64_t total = 0;
  for (const TFormat& saved : FFormats) total += saved.Size;
  return total;
}

void TClipboardSnapshot::Restore(TOpenClipboard& clipboard) {
  clipboard.Empty();
  std::size_t missing = 0;
  for (TFormat& saved : FFormats) {
    if (!saved.Memory) {  // handed back at an earlier restore
      ++missing;
      continue;
    }
    if (saved.Format == CF_ENHMETAFILE) {
      TGlobalLock bits(saved.Memory.Get());
      HENHMETAFILE metafile =
          bits.Data() ? SetEnhMetaFileBits(static_cast<UINT>(saved.Size), static_cast<const BYTE*>(bits.Data()))
                      : nullptr;
      if (metafile == nullptr) ++missing;
      else if (SetClipboardData(CF_ENHMETAFILE, metafile) == nullptr) {
        DeleteEnhMetaFile(metafile);
        ++missing;
      }
      continue;
    }
    if (FKeep) {
      TGlobalLock bits(saved.Memory.Get());
      try {
        if (bits.Data() == nullptr) throw EClipboardError("");
        SetGlobal(cwRestore, saved.Format, bits.Data(), static_cast<std::size_t>(saved.Size));
      } catch (const EClipboardError&) {
        ++missing;
      }
      continue;
    }
    // The block itself goes back; a refused one stays here.
    if (WriteFails(cwRestore) || SetClipboardData(saved.Format, saved.Memory.Get()) == nullptr) ++missing;
    else saved.Memory.Release();
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
