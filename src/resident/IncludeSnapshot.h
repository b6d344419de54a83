#pragma once
// The include list as the dispatcher reads it. The settings window changes
// the list on its own thread while the main thread consults it for every
// shortcut, so the main thread never touches the TIncludeList itself: the
// settings thread publishes an immutable copy of the entries after each
// change, and the dispatcher takes the current copy. Publishing swaps one
// pointer; taking it holds the pointer's lock for a copy of a shared_ptr, a
// matter of nanoseconds, so the hook never waits on the dialog.

#include <memory>
#include <string>
#include <vector>

using TIncludeEntries = std::shared_ptr<const std::vector<std::string>>;

class TIncludeSnapshot {
 public:
  TIncludeSnapshot();
  explicit TIncludeSnapshot(std::vector<std::string> entries);
  TIncludeSnapshot(const TIncludeSnapshot&) = delete;
  TIncludeSnapshot& operator=(const TIncludeSnapshot&) = delete;

  // Any thread. Readers that hold an older copy keep it alive and unchanged.
  void Publish(std::vector<std::string> entries);
  // Publishes only when the entries differ from the current copy; returns
  // whether it published.
  bool PublishIfChanged(const std::vector<std::string>& entries);
  // Any thread; never empty (an empty list is an empty vector).
  TIncludeEntries Current() const;

 private:
  TIncludeEntries FEntries;  // read and written only through std::atomic_*
};

// Whether shortcuts act in the program with this executable file name: for
// an empty list always, else when an entry equals it as file names compare.
bool IncludeEntriesAllow(const std::vector<std::string>& entries, const std::string& exeName);
