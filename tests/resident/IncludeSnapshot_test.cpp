#include "resident/IncludeSnapshot.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

TEST(IncludeEntries, EmptyAllowsAllElseAnEntryEqualWithoutCase) {
  EXPECT_TRUE(IncludeEntriesAllow({}, "anything.exe"));
  EXPECT_TRUE(IncludeEntriesAllow({"write.exe", "EDIT.EXE"}, "edit.exe"));
  EXPECT_TRUE(IncludeEntriesAllow({"Edit.Exe"}, "EDIT.EXE"));
  EXPECT_FALSE(IncludeEntriesAllow({"edit.exe"}, "edit.ex"));
  EXPECT_FALSE(IncludeEntriesAllow({"edit.exe"}, "notepad.exe"));
  EXPECT_FALSE(IncludeEntriesAllow({"edit.exe"}, ""));
}

TEST(IncludeSnapshotTest, ReaderKeepsItsCopyWhileANewOneIsPublished) {
  TIncludeSnapshot snapshot({"a.exe"});
  TIncludeEntries held = snapshot.Current();
  snapshot.Publish({"b.exe", "c.exe"});
  EXPECT_EQ(*held, (std::vector<std::string>{"a.exe"}));
  EXPECT_EQ(*snapshot.Current(), (std::vector<std::string>{"b.exe", "c.exe"}));
  EXPECT_TRUE(TIncludeSnapshot().Current()->empty());
}

TEST(IncludeSnapshotTest, PublishIfChangedOnlyForDifferentEntries) {
  TIncludeSnapshot snapshot({"a.exe"});
  TIncludeEntries before = snapshot.Current();
  EXPECT_FALSE(snapshot.PublishIfChanged({"a.exe"}));
  EXPECT_EQ(snapshot.Current(), before);
  EXPECT_TRUE(snapshot.PublishIfChanged({"a.exe", "b.exe"}));
  EXPECT_TRUE(snapshot.PublishIfChanged({"b.exe", "a.exe"}));  // the order counts
  EXPECT_EQ(snapshot.Current()->front(), "b.exe");
}

// A settings thread publishing while the main thread reads: every copy read
// is one that was published, never a half-built list (run under the
// sanitizer build, a torn read would also show as a use after free).
TEST(IncludeSnapshotTest, ConcurrentPublishAndReadSeeWholeLists) {
  TIncludeSnapshot snapshot;
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    for (int round = 0; round < 20000; ++round) {
      std::vector<std::string> entries(static_cast<std::size_t>(round % 7), "p" + std::to_string(round) + ".exe");
      snapshot.Publish(std::move(entries));
    }
    stop = true;
  });
  long reads = 0;
  while (!stop || reads < 1000) {
    TIncludeEntries entries = snapshot.Current();
    ASSERT_NE(entries, nullptr);
    for (const std::string& entry : *entries) ASSERT_EQ(entry, entries->front());
    if (!entries->empty()) {
      int round = std::stoi(entries->front().substr(1));
      ASSERT_EQ(static_cast<int>(entries->size()), round % 7);
    }
    ++reads;
  }
  writer.join();
}
