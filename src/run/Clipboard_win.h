#pragma once
// The clipboard as a run uses it: opened with a few retries (another
// program may hold it for a moment), its whole contents saved and put back,
// and Unicode text read and written.

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

class EClipboardError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// For tests: the next `count` clipboard writes of one kind fail as they do
// when memory runs out. A result is what a run puts there (its text and the
// marks that keep it out of history); a restore puts a snapshot back.
enum TClipboardWrite { cwResult, cwRestore };
void FailClipboardWrites(TClipboardWrite kind, int count);

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
// enhanced metafile is copied as one; the formats the system makes from
// these (bitmaps from DIBs, ANSI text from Unicode, ...) come back by
// themselves. Private and display-only formats cannot be copied and are
// left out.
class TClipboardSnapshot {
 public:
  // Call with the clipboard open. Raises EClipboardError, and leaves the
  // clipboard as it is, when the program that owns it does not answer:
  // asking it for a format it renders on demand would wait for ever.
  void Save(const TOpenClipboard& clipboard);
  // Empties the clipboard and puts every saved format back, in the order it
  // was offered. Call with the clipboard open. A format the clipboard
  // refuses does not keep the others out; EClipboardError says afterwards
  // how many are missing.
  void Restore(TOpenClipboard& clipboard) const;
  bool Empty() const { return FFormats.empty(); }
  std::size_t FormatCount() const { return FFormats.size(); }

 private:
  struct TFormat {
    UINT Format = 0;
    std::vector<unsigned char> Bytes;  // global-memory formats and metafile bits
  };
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
