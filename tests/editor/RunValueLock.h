#pragma once
// The Run value is one per user: test programs that change it may run at
// the same time (CTest runs two at once), so each such test holds this
// machine-wide lock from before it reads the value until it has put it back.

#include <windows.h>

class TRunValueLock {
 public:
  TRunValueLock() : FMutex(CreateMutexA(nullptr, FALSE, "Local\\ZarvelTestRunValue")) {
    if (FMutex) {
      DWORD got = WaitForSingleObject(FMutex, 60000);
      FHeld = got == WAIT_OBJECT_0 || got == WAIT_ABANDONED;
    }
  }
  TRunValueLock(const TRunValueLock&) = delete;
  TRunValueLock& operator=(const TRunValueLock&) = delete;
  ~TRunValueLock() {
    if (FHeld) ReleaseMutex(FMutex);
    if (FMutex) CloseHandle(FMutex);
  }

 private:
  HANDLE FMutex;
  bool FHeld = false;
};
