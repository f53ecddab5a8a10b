#include "base/text.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

// Messages in the shape each system words them.
class WordedCategory : public std::error_category {
 public:
  const char* name() const noexcept override { return "worded"; }
  std::string message(int code) const override {
    switch (code) {
      case 1:
        return "Access is denied.\r\n";  // Windows
      case 2:
        return "No such file or directory";  // the C library
      case 3:
        return "Version 1.2 is not supported. ";
    }
    return "...";
  }
};

TEST(Text, ReasonTextFitsInsideASentence) {
  static const WordedCategory category;
  const std::pair<int, const char*> cases[] = {
      {1, "Access is denied"},
      {2, "No such file or directory"},
      {3, "Version 1.2 is not supported"},
      {4, ""},
  };
  for (const auto& [code, expected] : cases)
    EXPECT_EQ(ReasonText(std::error_code(code, category)), expected) << code;
}

TEST(Text, TrimRemovesOnlySpaceTabCrLf) {
  EXPECT_EQ(Trim(" \t value \r\n"), "value");
  EXPECT_EQ(Trim("\v x \v"), "\v x \v");
  EXPECT_EQ(Trim("   "), "");
}

}  // namespace
}  // namespace vantor
