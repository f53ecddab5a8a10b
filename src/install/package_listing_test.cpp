#include "install/package_listing.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <vector>

namespace vantor {
namespace {

TEST(PackageListing, EntryNamesMustStayInsideTheirFolder) {
  for (const char* name : {"Library/part.prt", "./Integration/", "a..b/c..", "...", ""})
    EXPECT_TRUE(IsContainedEntryName(name)) << name;
  for (const char* name : {"../x", "a/../../x", "a\\..\\x", "..", "/etc/passwd", "\\x", "C:/x",
                           "c:x", "Library/file.txt:stream"})
    EXPECT_FALSE(IsContainedEntryName(name)) << name;
}

// Zip records written field by field, little-endian.
std::string Le(std::uint64_t value, int width) {
  std::string bytes;
  for (int i = 0; i < width; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}

struct ZipEntry {
  std::string name;
  std::uint64_t size = 0;    // uncompressed, as the directory says
  std::uint64_t method = 0;  // 0 stored, 8 deflated
  std::uint64_t mode = 0;    // Unix mode in the upper attribute half
  std::uint64_t flags = 0;
  bool zip64 = false;          // the size in a zip64 extra field
  std::uint64_t claimed = 0;   // compressed size the directory claims, if not the real one
  std::string localName = {};  // when the local header names another
  std::optional<std::uint64_t> localSize = {};  // when it gives another size
};

// A zip archive of `entries`: local headers with `data` bytes each (stored
// entries hold `size` bytes), the central directory and the end record.
std::string Zip(const std::vector<ZipEntry>& entries, std::uint64_t data = 4) {
  std::string zip, directory;
  for (const ZipEntry& e : entries) {
    const std::uint64_t stored = e.method == 0 ? e.size : data;
    const std::uint64_t offset = zip.size();
    const std::string local = e.localName.empty() ? e.name : e.localName;
    const std::string localExtra =
        e.zip64 ? Le(1, 2) + Le(16, 2) + Le(e.size, 8) + Le(stored, 8) : "";
    const std::uint64_t localSize = e.zip64 ? 0xFFFFFFFF : e.localSize.value_or(e.size);
    zip += Le(0x04034b50, 4) + Le(20, 2) + Le(e.flags, 2) + Le(e.method, 2) + Le(0, 8) +
           Le(stored, 4) + Le(localSize, 4) + Le(local.size(), 2) + Le(localExtra.size(), 2) +
           local + localExtra + std::string(stored, 'x');
    const std::string extra = e.zip64 ? Le(1, 2) + Le(8, 2) + Le(e.size, 8) : "";
    directory += Le(0x02014b50, 4) + Le(0x0314, 2) + Le(20, 2) + Le(e.flags, 2) + Le(e.method, 2) +
                 Le(0, 8) + Le(e.claimed ? e.claimed : stored, 4) +
                 Le(e.zip64 ? 0xFFFFFFFF : e.size, 4) + Le(e.name.size(), 2) + Le(extra.size(), 2) +
                 Le(0, 6) + Le(e.mode << 16, 4) + Le(offset, 4) + e.name + extra;
  }
  return zip + directory + Le(0x06054b50, 4) + Le(0, 4) + Le(entries.size(), 2) +
         Le(entries.size(), 2) + Le(directory.size(), 4) + Le(zip.size(), 4) + Le(0, 2);
}

ArchiveReader ReaderOf(const std::string& bytes) {
  return [bytes](std::uint64_t offset, std::size_t length) {
    return offset >= bytes.size() ? std::string() : bytes.substr(offset, length);
  };
}

// A zip whose first block is also a valid tar header: tar would read it as
// tar. The checksum goes into the entry name, where tar keeps it.
std::string TarLookalike() {
  ZipEntry entry{std::string(118, 'n') + std::string(8, ' ') + std::string(400, 'n')};
  const std::string zip = Zip({entry});
  unsigned sum = 0;
  for (std::size_t i = 0; i < 512; ++i) sum += static_cast<unsigned char>(zip[i]);
  char digits[9];
  std::snprintf(digits, sizeof digits, "%07o ", sum);
  entry.name.replace(118, 8, digits);
  return Zip({entry});
}

TEST(PackageListing, TheZipDirectoryIsReadBeforeTarRuns) {
  const std::uint64_t GiB = 1024ull * 1024 * 1024;
  struct Case {
    const char* what;
    std::string archive;
    EntryProblem problem;
    std::string entry;
    std::uint64_t bytes;
  };
  const Case cases[] = {
      {"folders and files add up",
       Zip({{"./", 0}, {"./Integration/", 0}, {"./a.pro", 1000}, {"./b.pro", 5000, 8}}),
       EntryProblem::None, "", 6000},
      {"an empty archive", Zip({}), EntryProblem::None, "", 0},
      {"a zip64 size past 4 GiB", Zip({{"big", 5 * GiB, 8, 0, 0, true}}), EntryProblem::None, "",
       5 * GiB},
      {"a link", Zip({{"a", 1}, {"./l", 0, 0, 0120777}}), EntryProblem::LinkOrDevice, "./l", 0},
      {"a device", Zip({{"dev", 0, 0, 0020644}}), EntryProblem::LinkOrDevice, "dev", 0},
      {"a '..' entry", Zip({{"../x", 1}}), EntryProblem::OutsideFolder, "../x", 0},
      {"an encrypted entry", Zip({{"s", 4, 8, 0, 1}}), EntryProblem::Unreadable, "s", 0},
      {"bzip2", Zip({{"b", 4, 12}}), EntryProblem::Unreadable, "b", 0},
      {"a local header naming another entry", Zip({{"a", 1, 0, 0, 0, false, 0, "b"}}),
       EntryProblem::Unreadable, "a", 0},
      {"a local header giving another size, which tar would write",
       Zip({{"a", 10, 8, 0, 0, false, 0, "", 40 << 20}}), EntryProblem::Unreadable, "a", 0},
      {"a local header leaving the size to a data descriptor",
       Zip({{"a", 10, 8, 0, 8, false, 0, "", 0}}), EntryProblem::None, "", 10},
      {"an entry's data running over the next entry",
       Zip({{"a", 9, 8, 0, 0, false, 420}, {"b", 9, 8}}, 400), EntryProblem::Unreadable, "", 0},
      {"a gzip file", "\x1f\x8b\x08\x00" + std::string(60, '\0'), EntryProblem::NotZip, "", 0},
      {"bytes in front of the zip", "MZ" + Zip({{"a", 1}}), EntryProblem::NotZip, "", 0},
      {"a cut end record", Zip({{"a", 1}}).substr(0, 40), EntryProblem::NotZip, "", 0},
      {"a zip that tar reads as tar", TarLookalike(), EntryProblem::NotZip, "", 0},
      {"nothing at all", "", EntryProblem::NotZip, "", 0},
  };
  for (const auto& c : cases) {
    const ListingVerdict verdict = CheckZipDirectory(c.archive.size(), ReaderOf(c.archive));
    EXPECT_EQ(verdict.problem, c.problem) << c.what;
    EXPECT_EQ(verdict.entry, c.entry) << c.what;
    EXPECT_EQ(verdict.expandedBytes, c.bytes) << c.what;
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
