#include "shell/text.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(Text, TrimRemovesOnlySpaceTabCrLf) {
  EXPECT_EQ(Trim(" \t value \r\n"), "value");
  EXPECT_EQ(Trim("\v x \v"), "\v x \v");
  EXPECT_EQ(Trim("   "), "");
}

}  // namespace
}  // namespace vantor
