#pragma once
// What the folder watch makes of the system's change reports: which of the
// program's files a reported path touches, and a batch that collects a
// burst of reports until the folder has been quiet for a moment, so that a
// program writing many files causes one reload, not one per write.

#include <chrono>
#include <string>

// The bits of WM_FILESCHANGED's wParam.
enum TWatchedFile : unsigned {
  wfMacros = 1,    // the Macros folder or anything in it
  wfInclude = 2,   // include.dat
  wfSettings = 4,  // zarvel.ini
  wfAll = 7,
};

// The watched file that a path relative to the program's folder touches
// ("Macros\Web.cat", "MACROS", "include.dat"; either separator, any case);
// 0 for every other path (the backups among them).
unsigned WatchedFileOf(const std::string& relativePath);

class TChangeBatch {
 public:
  using TClock = std::chrono::steady_clock;
  // Quiet: how long no report may come before the batch is due. Longest:
  // how long a batch may grow at most, so a file written on and on is
  // still reloaded now and then.
  explicit TChangeBatch(std::chrono::milliseconds quiet = std::chrono::milliseconds(150),
                        std::chrono::milliseconds longest = std::chrono::milliseconds(1000))
      : FQuiet(quiet), FLongest(longest) {}

  // A report of these files at `now`; 0 adds nothing.
  void Note(unsigned files, TClock::time_point now);
  bool Pending() const { return FFiles != 0; }
  // How long to wait from `now` until the batch is due; 0 when it is due
  // (or nothing is pending, which the caller checks first).
  std::chrono::milliseconds Wait(TClock::time_point now) const;
  // The files of a due batch, which starts anew.
  unsigned Take();

 private:
  std::chrono::milliseconds FQuiet;
  std::chrono::milliseconds FLongest;
  unsigned FFiles = 0;
  TClock::time_point FFirst;
  TClock::time_point FLast;
};
