#include <windows.h>

#include "regex/RegExprStack.h"

namespace {

DWORD WINAPI Trampoline(LPVOID arg) {
  (*static_cast<const std::function<void()>*>(arg))();
  return 0;
}

}  // namespace

void RunOnSmallStack(size_t stackBytes, const std::function<void()>& work) {
  HANDLE thread = CreateThread(nullptr, stackBytes, Trampoline, const_cast<std::function<void()>*>(&work),
                               STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  ASSERT_NE(nullptr, thread);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
}

TEST(RegexStack, LongSearchesOnAOneMegabyteStack) { ExpectLongSearchesOnSmallStack(); }
