#include <gtest/gtest.h>

#include "store/KeyNames.h"
#include "store/ShortCut.h"

// Keys outside the fixed table take the keyboard layout's own names.
TEST(SystemKeyNames, KeysOutsideTheFixedTableUseTheLayoutsName) {
  std::string name = SystemKeyName(0xBA);  // the key right of L on a US layout
  ASSERT_FALSE(name.empty());
  EXPECT_EQ(ShortCutText(0x4000 | 0xBA), "Ctrl+" + name);
  EXPECT_EQ(ShortCutText(0x4000 | 'T'), "Ctrl+T") << "the fixed table comes first";
}

TEST(SystemKeyNames, KeysWithoutAScanCodeHaveNoText) {
  EXPECT_EQ(SystemKeyName(0xFF), "");
  EXPECT_EQ(ShortCutText(0x8000 | 0xFF), "");
}
