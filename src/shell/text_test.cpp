#include "shell/text.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(Text, TrimRemovesOnlySpaceTabCrLf) {
  EXPECT_EQ(Trim(" \t value \r\n"), "value");
  EXPECT_EQ(Trim("\v x \v"), "\v x \v");
  EXPECT_EQ(Trim("   "), "");
}

TEST(Text, WholeNumbersAreDigitsOnly) {
  EXPECT_TRUE(IsWholeNumber("0"));
  EXPECT_TRUE(IsWholeNumber("21"));
  for (const char* bad : {"", "-1", "1.5", "abc", "2; Remove-Item x", " 3"})
    EXPECT_FALSE(IsWholeNumber(bad)) << bad;
}

}  // namespace
}  // namespace vantor
