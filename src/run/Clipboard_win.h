#pragma once
// The clipboard as a run uses it: opened with a few retries (another
// program may hold it for a moment), its whole contents saved and put back,
// and Unicode text read and written.

#include <windows.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "wingui/WinHandles_win.h"

class EClipboardError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// For tests: the next `count` clipboard writes of one kind fail as they do
// when memory runs out. A result is what a run puts there (its text and the
// marks that keep it out of history); a restore puts a snapshot back.
enum TClipboardWrite { cwResult, cwRestore };
void FailClipboardWrites(TClipboardWrite kind, int count);

// The most a snapshot keeps aside (1 GB unless set); whatever the limit, a
// snapshot takes at most half of the memory the system can still give and,
// in a 32-bit program, half of its free address space. 0 sets the default
// again; tests set a small limit to see the refusal.
void SetClipboardSaveLimit(std::uint64_t bytes);
std::uint64_t ClipboardSaveLimit();

// Opens the clipboard for `owner` (a window of the calling thread, which
// becomes the owner when the clipboard is emptied) and closes it again when
// it goes out of scope. Raises EClipboardError when another program keeps
// it open for longer than about half a second.
class TOpenClipboard {
 public:
  explicit TOpenClipboard(HWND owner);
  ~TOpenClipboard();
  TOpenClipboard(const TOpenClipboard&) = delete;
  TOpenClipboard& operator=(const TOpenClipboard&) = delete;

  void Empty();
  // The clipboard's Unicode text (the system offers it for every text
  // format); false when it holds no text.
  bool ReadText(std::wstring& text) const;
  // Replaces the contents with `text` alone.
  void WriteText(const std::wstring& text);
  // Marks what the clipboard holds now as a passing use, which clipboard
  // history and monitors leave out, so runs do not fill the user's history.
  void KeepOutOfHistory();
};

// Everything the clipboard held, format by format, so that it can be put
// back exactly. Formats held in global memory are copied byte for byte; an
// enhanced metafile is kept as its bits; the formats the system makes from
// these (bitmaps from DIBs, ANSI text from Unicode, ...) come back by
// themselves. Private and display-only formats cannot be copied and are
// left out.
//
// Each format is copied once, straight into a memory block of its own, and
// that block itself goes back to the clipboard: a clipboard of hundreds of
// megabytes is never held twice by the snapshot.
class TClipboardSnapshot {
 public:
  explicit TClipboardSnapshot(std::uint64_t limit = ClipboardSaveLimit()) : FLimit(limit) {}

  // Call with the clipboard open. Raises EClipboardError, and leaves the
  // clipboard as it is, when the program that owns it does not answer
  // (asking it for a format it renders on demand would wait for ever), when
  // it renders a format so slowly that the system gives up waiting for it
  // (the format would be lost once the clipboard is emptied), and when its
  // contents are more than the snapshot may keep aside: the sizes are added
  // up before anything is copied.
  void Save(const TOpenClipboard& clipboard);
  // Save on a helper thread with an opening of its own, waited for at most
  // limitMs while this thread answers the messages sent to its windows. A
  // program that renders a format more slowly stops the run here with
  // EClipboardError, the clipboard as it was; the helper lets go of the
  // clipboard once the program has answered. Sequence() tells whether the
  // clipboard changed after the save.
  void SaveWithin(DWORD limitMs);
  DWORD Sequence() const { return FSequence; }
  // Empties the clipboard and puts every saved format back, in the order it
  // was offered. Call with the clipboard open. A format the clipboard
  // refuses does not keep the others out; EClipboardError says afterwards
  // how many are missing. The saved blocks go to the clipboard: a second
  // Restore finds them gone unless KeepAfterRestore was asked for.
  void Restore(TOpenClipboard& clipboard);
  // Restores copy the blocks from now on, so that the clipboard can be put
  // back again later (after a late copy of a busy program).
  void KeepAfterRestore() { FKeep = true; }
  bool Empty() const { return FFormats.empty(); }
  std::size_t FormatCount() const { return FFormats.size(); }
  // The bytes kept aside.
  std::uint64_t Bytes() const;

 private:
  struct TFormat {
    UINT Format = 0;
    std::uint64_t Size = 0;
    TGlobalMemory Memory;  // the data, or a metafile's bits; empty once handed back
  };
  std::uint64_t FLimit;
  bool FKeep = false;
  DWORD FSequence = 0;
  std::vector<TFormat> FFormats;
};

// Unicode text offered on the clipboard without its data: the clipboard asks
// the owner window for it when a program reads it, which tells when the
// text has been taken. Offer with the clipboard open and emptied.
class TDelayedText {
 public:
  TDelayedText(HWND owner, std::wstring text);
  ~TDelayedText();
  TDelayedText(const TDelayedText&) = delete;
  TDelayedText& operator=(const TDelayedText&) = delete;

  void Offer();
  bool Rendered() const { return FRendered; }
  // For the owner window: puts the text on the clipboard (already open).
  void Render();

 private:
  HWND FOwner;
  std::wstring FText;
  bool FRendered = false;
};

// A hidden window of the calling thread that owns the clipboard while a run
// uses it; message-only, so no other program sees it.
class TClipboardOwnerWindow {
 public:
  TClipboardOwnerWindow();
  ~TClipboardOwnerWindow();
  TClipboardOwnerWindow(const TClipboardOwnerWindow&) = delete;
  TClipboardOwnerWindow& operator=(const TClipboardOwnerWindow&) = delete;
  HWND Handle() const { return FHandle; }

 private:
  HWND FHandle = nullptr;
};
