// Messages to another program's control never wait for ever: a control
// whose thread has stopped answering lets the run go on.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <thread>

#include "run/SelectionTransfer_win.h"

TEST(SelectionTransfer, SelectAllGivesUpOnAControlThatNoLongerAnswers) {
  HWND edit = nullptr;
  HANDLE created = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread hung([&] {
    edit = CreateWindowExW(0, L"EDIT", L"text", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
    SetEvent(created);
    WaitForSingleObject(release, 30000);  // hung: no message is answered
    DestroyWindow(edit);
  });
  WaitForSingleObject(created, INFINITE);
  const auto start = std::chrono::steady_clock::now();
  TSelectionTransfer::SelectAll(edit);
  const auto waited = std::chrono::steady_clock::now() - start;
  SetEvent(release);
  hung.join();
  CloseHandle(created);
  CloseHandle(release);
  EXPECT_LT(waited, std::chrono::seconds(10));
}
