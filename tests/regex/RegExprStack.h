// Long searches run on a thread with a small stack, as the resident
// program's macro run thread has: deep recursion would crash here.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "regex/RegExpr.h"

// Runs work on a new thread whose stack is stackBytes; defined per platform.
void RunOnSmallStack(size_t stackBytes, const std::function<void()>& work);

inline void Search(const std::string& ab, const std::string& page, int& abLength, std::string& stripped) {
  TRegexEngine re;
  re.Expression("(ab)*");
  if (re.Exec(ab)) abLength = re.MatchLength(0);
  TRegexEngine strip;
  strip.SetModifierFlag(rmIndexI, true);
  strip.SetModifierFlag(rmIndexM, true);
  strip.Expression("<(.*?)>");
  stripped = strip.ReplaceMatches(page, "");
}

inline void ExpectLongSearchesOnSmallStack() {
  std::string ab, page;
  for (int i = 0; i < 512 * 1024; ++i) ab += "ab";
  while (page.size() < 10u << 20) page += "<p>Some <b>text</b>\r\n</p>";
  int abLength = -1;
  std::string stripped, error;
  RunOnSmallStack(1u << 20, [&] {
    try {
      Search(ab, page, abLength, stripped);
    } catch (const std::exception& e) {
      error = e.what();  // an exception must not leave the thread
    }
  });
  EXPECT_EQ("", error);
  EXPECT_EQ(static_cast<int>(ab.size()), abLength);
  EXPECT_EQ(0u, stripped.find("Some text\r\n"));
  EXPECT_EQ(std::string::npos, stripped.find('<'));
}
