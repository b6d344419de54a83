#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "editor/RunValueLock.h"
#include "store/Settings.h"

namespace {

// Keeps whatever Run value the machine had and puts it back afterwards.
class StartWithWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    FHadValue = ReadStartWithWindows() == swOn;
    FOldPath = ReadStartWithWindowsPath();
  }
  void TearDown() override { WriteStartWithWindows(FHadValue, FOldPath); }

  TRunValueLock FLock;

  // Straight from the registry, not through the code under test.
  static bool ValueExists(std::string* data = nullptr) {
    char buffer[MAX_PATH * 2] = {};
    DWORD size = sizeof buffer;
    DWORD type = 0;
    LONG status = RegGetValueA(HKEY_CURRENT_USER, kRunKeyPath, kRunValueName, RRF_RT_ANY, &type,
                               buffer, &size);
    if (status != ERROR_SUCCESS) return false;
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    if (data) *data = buffer;
    return true;
  }

 private:
  bool FHadValue = false;
  std::string FOldPath;
};

}  // namespace

TEST_F(StartWithWindows, TheValueAppearsAndGoes) {
  const std::string exe = "C:\\Program Files\\Zarvel\\zarvel.exe";
  ASSERT_TRUE(WriteStartWithWindows(true, exe));
  std::string data;
  ASSERT_TRUE(ValueExists(&data));
  EXPECT_EQ(data, exe) << "the full path, without quotes or arguments";
  EXPECT_EQ(ReadStartWithWindows(), swOn);
  EXPECT_EQ(ReadStartWithWindowsPath(), exe);

  ASSERT_TRUE(WriteStartWithWindows(false, exe));
  EXPECT_FALSE(ValueExists());
  EXPECT_EQ(ReadStartWithWindows(), swOff);
  EXPECT_EQ(ReadStartWithWindowsPath(), "");
}

TEST_F(StartWithWindows, ClearingAnAbsentValueIsNotAFailure) {
  WriteStartWithWindows(false, "");
  EXPECT_TRUE(WriteStartWithWindows(false, "C:\\zarvel.exe"));
  EXPECT_EQ(ReadStartWithWindows(), swOff);
}

TEST_F(StartWithWindows, WritingAgainReplacesAnOldLocation) {
  ASSERT_TRUE(WriteStartWithWindows(true, "C:\\Old Place\\zarvel.exe"));
  ASSERT_TRUE(WriteStartWithWindows(true, "D:\\Tools\\Zarvel\\zarvel.exe"));
  EXPECT_EQ(ReadStartWithWindowsPath(), "D:\\Tools\\Zarvel\\zarvel.exe");
}

TEST_F(StartWithWindows, AnyDataCountsAsOn) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kRunKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  DWORD number = 1;
  RegSetValueExA(key, kRunValueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                 sizeof number);
  RegCloseKey(key);
  EXPECT_EQ(ReadStartWithWindows(), swOn);
  EXPECT_EQ(ReadStartWithWindowsPath(), "") << "not a string: no path to show";
  EXPECT_TRUE(WriteStartWithWindows(false, ""));
  EXPECT_EQ(ReadStartWithWindows(), swOff);
}
