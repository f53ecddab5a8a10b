#include "maintenance/size_text.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(FormatSize, ChangesUnitAndDecimalsAtEachThreshold) {
  EXPECT_EQ(FormatSize(0), "0.0 B");
  EXPECT_EQ(FormatSize(512), "512.0 B");
  EXPECT_EQ(FormatSize(1023), "1023.0 B");
  EXPECT_EQ(FormatSize(1024), "1.0 KB");
  EXPECT_EQ(FormatSize(1536), "1.5 KB");
  EXPECT_EQ(FormatSize(1048575), "1024.0 KB");
  EXPECT_EQ(FormatSize(1048576), "1.00 MB");
  EXPECT_EQ(FormatSize(5767168), "5.50 MB");
  EXPECT_EQ(FormatSize(1073741823), "1024.00 MB");
  EXPECT_EQ(FormatSize(1073741824), "1.000 GB");
  EXPECT_EQ(FormatSize(1649267441664ull), "1536.000 GB");
}

}  // namespace
}  // namespace vantor
