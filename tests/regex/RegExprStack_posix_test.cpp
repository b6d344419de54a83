#include <pthread.h>

#include "regex/RegExprStack.h"

namespace {

void* Trampoline(void* arg) {
  (*static_cast<const std::function<void()>*>(arg))();
  return nullptr;
}

}  // namespace

void RunOnSmallStack(size_t stackBytes, const std::function<void()>& work) {
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, stackBytes);
  pthread_t thread;
  ASSERT_EQ(0, pthread_create(&thread, &attr, Trampoline, const_cast<std::function<void()>*>(&work)));
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
}

TEST(RegexStack, LongSearchesOnAOneMegabyteStack) { ExpectLongSearchesOnSmallStack(); }
