#include "launcher/version_number.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(LeadingNumber, ReadsLikeTheCLibrary) {
  EXPECT_EQ(LeadingNumber("11"), 11);
  EXPECT_EQ(LeadingNumber("  \t10.0"), 10);
  EXPECT_EQ(LeadingNumber("+7x"), 7);
  EXPECT_EQ(LeadingNumber("-1"), -1);
  EXPECT_EQ(LeadingNumber("2147483647"), 2147483647);
  EXPECT_EQ(LeadingNumber("-2147483648"), -2147483647 - 1);
}

TEST(LeadingNumber, NoNumberOrOutOfRange) {
  for (const char* text : {"", "abc", "x9", "+", "- 3", ".5", "2147483648", "99999999999999999999"})
    EXPECT_FALSE(LeadingNumber(text).has_value()) << text;
}

}  // namespace
}  // namespace vantor
