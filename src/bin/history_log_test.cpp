#include "bin/history_log.h"

#include <gtest/gtest.h>

#include <regex>

#include "base/paths.h"
#include "bin/history_line.h"
#include "testing/fakes.h"

namespace vantor {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

TEST(HistoryLines, ColumnsArePaddedNeverCut) {
  EXPECT_EQ(FileLine("2026-01-02 03:04:05", "config.pro", "C:\\Users\\me", SizeText(2048, "."),
                     SweptKind::Clutter),
            "2026-01-02 03:04:05 | config.pro" + std::string(25, ' ') + " | C:\\Users\\me" +
                std::string(76, ' ') + " | (2.0 KB) [Clutter]");
  EXPECT_EQ(
      LaunchEventLine("2026-01-02 03:04:05", "10.0.2.0", "C:\\Work\\Bracket"),
      "2026-01-02 03:04:05 | LAUNCH - CP 10.0.2.0" + std::string(15, ' ') + " | C:\\Work\\Bracket");
  EXPECT_EQ(SweepEventLine("t", 3, 0, "/p"),
            "t | SWEEP - 3 Models, 0 Clutter" + std::string(8, ' ') + " | /p");
  const std::string longName(40, 'n');
  // Widths count characters as the log always did: "\xC3\xA4" is one.
  EXPECT_EQ(FileLine("t", longName, "f\xC3\xA4", SizeText(1, ","), SweptKind::Model),
            "t | " + longName + " | f\xC3\xA4" + std::string(85, ' ') + " | (1,0 B)");
}

TEST(HistoryTimeNow, LocalTimeToTheSecond) {
  EXPECT_TRUE(
      std::regex_match(HistoryTimeNow(), std::regex("\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}")));
}

TEST(PrependHistoryLine, NewLineOnTopOldLinesUnchanged) {
  TempDir dir;
  const std::string log = dir / "Vantor_Sweep.log";
  EXPECT_EQ(PrependHistoryLine(log, "first"), std::error_code());
  EXPECT_EQ(ReadFile(log), "first\r\n");
  WriteFile(log, "old one\r\nold \xC3\xB6 two\nthree");
  EXPECT_EQ(PrependHistoryLine(log, "new \xE2\x80\x99"), std::error_code());
  EXPECT_EQ(ReadFile(log), "new \xE2\x80\x99\r\nold one\r\nold \xC3\xB6 two\r\nthree\r\n");
  EXPECT_TRUE(PathExists(log + ".lock"));
}

TEST(PrependHistoryLine, WritesNothingWithoutTheBinFolder) {
  TempDir dir;
  EXPECT_EQ(PrependHistoryLine(dir / "missing/Vantor_Sweep.log", "line"),
            std::errc::no_such_file_or_directory);
  EXPECT_FALSE(PathExists(dir / "missing"));
}

TEST(PrependHistoryLine, WaitsForTheLockAndGivesUpWithTheLogIntact) {
  TempDir dir;
  const std::string log = dir / "Vantor_Sweep.log";
  WriteFile(log, "sweep block\r\n");
  {
    auto held = FileLock::Acquire(log + ".lock", 0);
    ASSERT_TRUE(held);
    EXPECT_EQ(PrependHistoryLine(log, "launch", 100), std::errc::operation_would_block);
    EXPECT_EQ(ReadFile(log), "sweep block\r\n");
  }
  EXPECT_EQ(PrependHistoryLine(log, "launch", 100), std::error_code());
  EXPECT_EQ(ReadFile(log), "launch\r\nsweep block\r\n");
}

TEST(PrependHistoryLine, LeavesALogItCannotReadAlone) {
  TempDir dir;
  const std::string log = dir / "Vantor_Sweep.log";
  CreateFolders(log);  // a folder where the log should be: it cannot be read
  EXPECT_EQ(PrependHistoryLine(log, "launch"), std::errc::is_a_directory);
  EXPECT_TRUE(IsDirectory(log));
}

}  // namespace
}  // namespace vantor
