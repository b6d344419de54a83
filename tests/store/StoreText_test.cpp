#include "store/StoreText.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

std::string MessageOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const EStoreText& error) {
    return error.what();
  }
  return std::string();
}

}  // namespace

TEST(StoreText, AnsiTextsShowAsUtf8AndUndefinedBytesNeverStopTheWindow) {
  EXPECT_EQ(StoreTextToUtf8("Caf\xE9 \x80uro", 1252), "Café €uro");
  // 0x81 is undefined in Windows-1252: it alone becomes U+FFFD.
  EXPECT_EQ(StoreTextToUtf8("a\x81" "b\xE9", 1252), "a\xEF\xBF\xBD" "bé");
  EXPECT_EQ(StoreTextToUtf8("→ ✓ 日本 😀", kUtf8CodePage), "→ ✓ 日本 😀");
  // ANSI bytes left in a UTF-8 folder by an older copy: shown, not fatal.
  EXPECT_EQ(StoreTextToUtf8("Caf\xE9!", kUtf8CodePage), "Caf\xEF\xBF\xBD!");
  EXPECT_EQ(StoreTextToUtf8("\xE2\x86", kUtf8CodePage), "\xEF\xBF\xBD\xEF\xBF\xBD") << "cut character";
}

TEST(StoreText, AnAnsiFolderRefusesWhatItsCodePageCannotHoldAndNamesIt) {
  EXPECT_EQ(Utf8ToStoreText("Café €uro", 1252, "the title"), "Caf\xE9 \x80uro");
  std::string message = MessageOf([] { Utf8ToStoreText("ab → ✓", 1252, "the template 'Line'"); });
  EXPECT_NE(message.find("the template 'Line'"), std::string::npos) << message;
  EXPECT_NE(message.find("'→' (U+2192)"), std::string::npos) << message;
  EXPECT_NE(message.find("Store macros as Unicode..."), std::string::npos) << message;
  message = MessageOf([] { Utf8ToStoreText("x😀", 1252, "the title"); });
  EXPECT_NE(message.find("(U+1F600)"), std::string::npos) << message;
  EXPECT_EQ(Utf8ToStoreText("→ ✓ 日本 😀", kUtf8CodePage, "the title"), "→ ✓ 日本 😀");
}

TEST(StoreText, FieldsCountBytesOfTheStoredForm) {
  EXPECT_NO_THROW(CheckStoreTextFits(std::string(25, 'a'), 25, "title", "a"));
  const std::string title = "Résumé → ✓";
  std::string message = MessageOf([&] { CheckStoreTextFits(title, 10, "title", title); });
  EXPECT_EQ(message, "This title is too long: 10 bytes at most, 'Résumé → ✓' takes 16.");
}
