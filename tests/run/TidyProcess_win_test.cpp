// Waiting for a hidden program that does not end: after the time-out the
// user is asked, and the program is ended on their word. This test program
// stands in for the slow program itself (see kStandIn).
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "base/OsFile.h"
#include "common/TempFolder.h"
#include "run/TidyProcess_win.h"

namespace {

// Started with these variables set, the program sleeps, writes "done" to
// the marker file and ends, before any test runs.
const bool kStandIn = [] {
  char sleepMs[16] = {}, marker[MAX_PATH] = {};
  if (!GetEnvironmentVariableA("ZARVEL_STANDIN_SLEEP_MS", sleepMs, sizeof sleepMs)) return false;
  GetEnvironmentVariableA("ZARVEL_STANDIN_MARKER", marker, sizeof marker);
  Sleep(static_cast<DWORD>(std::atoi(sleepMs)));
  WriteBytes(marker, "done");
  ExitProcess(0);
}();

class SlowProgram : public ::testing::Test {
 protected:
  // Runs this program as a stand-in that sleeps sleepMs; asks after askMs.
  bool RunStandIn(int sleepMs, DWORD askMs, const std::function<bool()>& keepWaiting) {
    SetEnvironmentVariableA("ZARVEL_STANDIN_SLEEP_MS", std::to_string(sleepMs).c_str());
    SetEnvironmentVariableA("ZARVEL_STANDIN_MARKER", Marker().c_str());
    struct TClear {
      ~TClear() {
        SetEnvironmentVariableA("ZARVEL_STANDIN_SLEEP_MS", nullptr);
        SetEnvironmentVariableA("ZARVEL_STANDIN_MARKER", nullptr);
      }
    } clear;
    return RunHiddenAndWaitAsking(RunningProgramPath(), "", FFolder.Path(), askMs, keepWaiting);
  }
  std::string Marker() const { return FFolder.File("marker.txt"); }
  TTempFolder FFolder;
};

}  // namespace

TEST_F(SlowProgram, IsEndedWhenTheUserSaysSo) {
  ASSERT_FALSE(kStandIn);
  int asked = 0;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(RunStandIn(3000, 200, [&] { return ++asked, false; }), ETidyEnded);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2500));
  EXPECT_EQ(asked, 1);
  Sleep(4000);
  EXPECT_FALSE(FileExists(Marker())) << "the program went on after it was ended";
}

TEST_F(SlowProgram, IsWaitedForAsLongAsTheUserSaysSo) {
  int asked = 0;
  EXPECT_TRUE(RunStandIn(1500, 200, [&] { return ++asked, true; }));
  EXPECT_GE(asked, 2);
  EXPECT_EQ(ReadBytes(Marker()), "done");
}
