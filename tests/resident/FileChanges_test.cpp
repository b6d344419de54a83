#include "resident/FileChanges.h"

#include <gtest/gtest.h>

using std::chrono::milliseconds;

TEST(WatchedFiles, OnlyTheProgramsOwnFilesCount) {
  EXPECT_EQ(WatchedFileOf("Macros\\Web.cat"), wfMacros);
  EXPECT_EQ(WatchedFileOf("macros/Web.cat"), wfMacros);
  EXPECT_EQ(WatchedFileOf("MACROS"), wfMacros);  // the folder itself made or removed
  EXPECT_EQ(WatchedFileOf("Include.DAT"), wfInclude);
  EXPECT_EQ(WatchedFileOf("zarvel.ini"), wfSettings);
  for (const char* other : {"Backup\\macros-2026-12-09.json", "MacrosOld\\Web.cat", "Backup\\zarvel.ini",
                            "zarvel.ini.~1", "zarvel.exe", ""})
    EXPECT_EQ(WatchedFileOf(other), 0u) << other;
}

TEST(ChangeBatchTest, ABurstIsOneBatchDueAfterTheQuietOrTheLongestWait) {
  TChangeBatch batch(milliseconds(150), milliseconds(1000));
  const auto start = TChangeBatch::TClock::time_point();
  batch.Note(0, start);
  EXPECT_FALSE(batch.Pending());
  batch.Note(wfMacros, start);
  EXPECT_EQ(batch.Wait(start), milliseconds(150));
  batch.Note(wfInclude, start + milliseconds(100));
  EXPECT_EQ(batch.Wait(start + milliseconds(200)), milliseconds(50)) << "a report restarts the quiet";
  // Reports every 100 ms never go quiet: the batch is due after the longest wait.
  for (int at = 200; at <= 1000; at += 100) batch.Note(wfMacros, start + milliseconds(at));
  EXPECT_EQ(batch.Wait(start + milliseconds(1000)), milliseconds(0));
  EXPECT_EQ(batch.Take(), unsigned(wfMacros | wfInclude));
  EXPECT_FALSE(batch.Pending());
  batch.Note(wfSettings, start + milliseconds(1100));
  EXPECT_EQ(batch.Wait(start + milliseconds(1100)), milliseconds(150)) << "a new batch starts its own clock";
}
