#include "install/package_listing.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(PackageListing, EntryNamesMustStayInsideTheirFolder) {
  for (const char* name : {"Library/part.prt", "./Integration/", "a..b/c..", "...", ""})
    EXPECT_TRUE(IsContainedEntryName(name)) << name;
  for (const char* name : {"../x", "a/../../x", "a\\..\\x", "..", "/etc/passwd", "\\x", "C:/x",
                           "c:x", "Library/file.txt:stream"})
    EXPECT_FALSE(IsContainedEntryName(name)) << name;
}

TEST(PackageListing, TheFirstRefusedEntryIsNamedAndSizesAddUp) {
  const std::string dir = "drwxr-xr-x  0 0      0           0 Dec  8 20:52 ";
  const std::string file = "-rw-r--r--  0 root   root     1000 Dec  8 20:52 ";
  struct Case {
    std::string names, details;
    EntryProblem problem;
    std::string entry;
    std::uint64_t bytes;
  };
  const Case cases[] = {
      {"./\r\n./a.pro\r\n./b.pro\r\n", dir + "./\r\n" + file + "./a.pro\r\n" + file + "./b.pro\r\n",
       EntryProblem::None, "", 2000},
      {"./l\n", "lrwxrwxrwx  0 0 0 0 Dec  8 20:52 ./l -> /etc\n", EntryProblem::LinkOrDevice, "./l",
       0},
      {"a\nh\n", file + "a\nhrw-r--r--  0 0 0 0 Dec  8 20:52 h link to a\n",
       EntryProblem::LinkOrDevice, "h", 0},
      {"dev\n", "crw-r--r--  0 0 0 0 Dec  8 20:52 dev\n", EntryProblem::LinkOrDevice, "dev", 0},
      {"../x\n", file + "../x\n", EntryProblem::OutsideFolder, "../x", 0},
      {"a\nb\n", file + "a\n", EntryProblem::Unreadable, "", 0},  // lines do not pair
      {"a\n", "-rw-r--r-- 0 my user grp 12 Dec 8 a\n", EntryProblem::Unreadable, "a", 0},
  };
  for (const auto& c : cases) {
    const ListingVerdict verdict = CheckListing(c.names, c.details);
    EXPECT_EQ(verdict.problem, c.problem) << c.names;
    EXPECT_EQ(verdict.entry, c.entry) << c.names;
    if (c.problem == EntryProblem::None) {
      EXPECT_EQ(verdict.expandedBytes, c.bytes);
    }
  }
}

TEST(PackageListing, ExpansionLimitIsAHundredTimesWithinFloorAndCeiling) {
  const std::uint64_t MiB = 1024 * 1024;
  EXPECT_EQ(ExpansionLimit(0), 16 * MiB);
  EXPECT_EQ(ExpansionLimit(MiB), 100 * MiB);
  EXPECT_EQ(ExpansionLimit(1024 * MiB), 2048 * MiB);
  EXPECT_EQ(ExpansionLimit(~std::uint64_t{0}), 2048 * MiB);
}

}  // namespace
}  // namespace vantor
