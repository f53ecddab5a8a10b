#include "shell/whole_number.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

constexpr std::nullopt_t kNone = std::nullopt;

TEST(WholeNumber, StrictAndLeadingReadings) {
  struct Case {
    const char* text;
    std::optional<std::int64_t> whole;  // ParseWholeNumber, int limit
    std::optional<int> leading;         // LeadingNumber
  };
  const Case cases[] = {
      {"0", 0, 0},
      {"21", 21, 21},
      {"007", 7, 7},
      {"2147483647", 2147483647, 2147483647},
      {"2147483648", kNone, kNone},
      {"-2147483648", kNone, -2147483647 - 1},
      {"-2147483649", kNone, kNone},
      {"99999999999999999999", kNone, kNone},
      {"", kNone, kNone},
      {"abc", kNone, kNone},
      {"x9", kNone, kNone},
      {"-1", kNone, -1},
      {"+7x", kNone, 7},
      {"+", kNone, kNone},
      {"- 3", kNone, kNone},
      {".5", kNone, kNone},
      {"1.5", kNone, 1},
      {"  \t10.0", kNone, 10},
      {" 1", kNone, 1},
      {"1e3", kNone, 1},
      {"2; Remove-Item x", kNone, 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseWholeNumber(c.text), c.whole) << '"' << c.text << '"';
    EXPECT_EQ(LeadingNumber(c.text), c.leading) << '"' << c.text << '"';
  }
}

TEST(WholeNumber, LimitIsInclusiveAndMayExceedAnInt) {
  EXPECT_EQ(ParseWholeNumber("5000000000", INT64_MAX), 5000000000);
  EXPECT_EQ(ParseWholeNumber("100", 100), 100);
  EXPECT_EQ(ParseWholeNumber("101", 100), kNone);
  EXPECT_EQ(ParseWholeNumber("9223372036854775808", INT64_MAX), kNone);
  EXPECT_TRUE(AllDigits(""));
  EXPECT_TRUE(AllDigits("0123456789"));
  EXPECT_FALSE(AllDigits("12a"));
}

}  // namespace
}  // namespace vantor
