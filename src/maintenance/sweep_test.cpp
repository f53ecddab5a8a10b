#include "maintenance/sweep.h"

#include <gtest/gtest.h>

#include "base/paths.h"
#include "testing/fakes.h"

namespace vantor {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

constexpr std::int64_t kDayNs = 86'400'000'000'000LL;

// One sweep from start to end: the bin's upkeep, the moves and the log.
TEST(SweepFolder, PurgesAgedThingsMovesTheRestAndLogsOneBlock) {
  TempDir dir;
  const std::string bin = dir / "Vantor_Sweep", proj = dir / "proj";
  const std::string log = bin + "/Vantor_Sweep.log", mirror = bin + proj;
  // 2026-12-09 12:00:00 as the wall clock; UTC is taken to be the same.
  const BinTime now{CivilSeconds(2026, 12, 9, 12, 0, 0) * 1'000'000'000LL,
                    CivilSeconds(2026, 12, 9, 12, 0, 0)};
  WriteFile(bin + "/old/deep/aged.log", "aged");
  SetLastWriteTime(bin + "/old/deep/aged.log", now.utcNs - 15 * kDayNs);
  WriteFile(mirror + "/fresh.log", "fresh");
  SetLastWriteTime(mirror + "/fresh.log", now.utcNs - 13 * kDayNs);
  CreateFolders(bin + "/empty/chain");
  WriteFile(log,
            "2026-11-25 23:59:59 | gone | /p | (1.0 B)\r\n"
            "2026-11-26 00:00:00 | kept | /p | (1.0 B)\r\n"
            "no date on this line\r\n");
  SetLastWriteTime(log, now.utcNs - 100 * kDayNs);  // the log itself is never purged
  for (const char* name : {"b.log", "A.log", "m.prt.1", "m.prt.2", "m.prt.3", " lead.log"})
    WriteFile(proj + "/" + name, std::string(2048, 'x'));

  SweepRequest request;
  request.targetFolder = proj;
  request.binFolder = bin;
  request.logFile = log;
  request.keepCount = 1;
  request.maxDays = 14;
  request.rules = {"*.log"};
  request.now = now;
  request.decimalSeparator = ",";
  const SweepOutcome outcome = SweepFolder(request);

  EXPECT_EQ(outcome.stopped, "");
  EXPECT_EQ(outcome.clutterCount, 2);
  EXPECT_EQ(outcome.modelCount, 2);
  EXPECT_EQ(outcome.clutterBytes + outcome.modelBytes, 8192u);
  EXPECT_EQ(outcome.log, LogState::Written);
  EXPECT_EQ(outcome.notMoved, 1);  // " lead.log": the log could not give its name back
  EXPECT_EQ(outcome.notMovedReason,
            "a name the history log cannot hold (line break, \"|\" or blanks at its ends)");
  EXPECT_FALSE(PathExists(bin + "/old"));
  EXPECT_FALSE(PathExists(bin + "/empty"));
  EXPECT_TRUE(PathExists(mirror + "/fresh.log"));
  EXPECT_TRUE(PathExists(proj + "/m.prt.3"));
  EXPECT_TRUE(PathExists(proj + "/ lead.log"));
  const auto moved = PathEntry(mirror + "/m.prt.1");
  ASSERT_TRUE(moved);
  EXPECT_EQ(moved->lastWriteNs, now.utcNs);  // retention counts from the sweep
  // The temporary folder's length varies: it is padded to its 87 here.
  const std::string folder = proj + std::string(proj.size() < 87 ? 87 - proj.size() : 0, ' ');
  EXPECT_EQ(ReadFile(log),
            "2026-12-09 12:00:00 | SWEEP - 2 Models, 2 Clutter         | " + proj + "\r\n" +
                "2026-12-09 12:00:00 | A.log" + std::string(30, ' ') + " | " + folder +
                " | (2,0 KB) [Clutter]\r\n" + "2026-12-09 12:00:00 | b.log" + std::string(30, ' ') +
                " | " + folder + " | (2,0 KB) [Clutter]\r\n" + "2026-12-09 12:00:00 | m.prt.1" +
                std::string(28, ' ') + " | " + folder + " | (2,0 KB)\r\n" +
                "2026-12-09 12:00:00 | m.prt.2" + std::string(28, ' ') + " | " + folder +
                " | (2,0 KB)\r\n" + "2026-11-26 00:00:00 | kept | /p | (1.0 B)\r\n");
  const auto left = ListFolder(bin);
  ASSERT_TRUE(left);
  for (const auto& entry : *left) EXPECT_EQ(entry.name.find(".journal"), std::string::npos);
}

}  // namespace
}  // namespace vantor
