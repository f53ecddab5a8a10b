#include "maintenance/sweep_report.h"

#include <gtest/gtest.h>

#include "testing/fakes.h"

namespace vantor {
namespace {

using testing::RecordingConsole;
using Span = RecordingConsole::Span;

const SweepDestination kDestination{"Vantor", '\\', "21", ","};

SweepOutcome Sweep(std::int64_t clutter, std::uint64_t clutterBytes, std::int64_t models,
                   std::uint64_t modelBytes, LogState log = LogState::Written,
                   std::int64_t notMoved = 0, std::string reason = "", std::string logReason = "") {
  SweepOutcome outcome;
  outcome.clutterCount = clutter, outcome.clutterBytes = clutterBytes;
  outcome.modelCount = models, outcome.modelBytes = modelBytes;
  outcome.log = log, outcome.logReason = std::move(logReason);
  outcome.notMoved = notMoved, outcome.notMovedReason = std::move(reason);
  return outcome;
}

TEST(CleanupReport, SaysTheFolderIsCleanWhenNothingMovedEvenWithTheLogLocked) {
  RecordingConsole console;
  PrintCleanupReport(console, Sweep(0, 0, 0, 0, LogState::Locked), kDestination);
  const std::vector<Span> expected{
      {color::kGrey, "      "}, {color::kGreen, "[*] Folder is clean. No maintenance required.\n"}};
  EXPECT_EQ(console.spans(), expected);
  EXPECT_EQ(console.color(), color::kGrey);
}

TEST(CleanupReport, ListsBothKindsTheTotalAndWhereItWent) {
  RecordingConsole console;
  PrintCleanupReport(console, Sweep(7, 12800, 123, 1310720), kDestination);
  const std::vector<Span> expected{{color::kGrey, "      [-] "},
                                   {color::kRed, "  7"},
                                   {color::kGrey, "   Clutter files   .......... "},
                                   {color::kGreen, "  12,5 KB\n"},
                                   {color::kGrey, "      [-] "},
                                   {color::kRed, "123"},
                                   {color::kGrey, "   Old versions    .......... "},
                                   {color::kGreen, "  1,25 MB\n"},
                                   {color::kGrey, "\n    "},
                                   {color::kGreen, "1,26 MB"},
                                   {color::kYellow, " sent to "},
                                   {color::kCyan, "Vantor\\Vantor_Sweep "},
                                   {color::kYellow, "held for "},
                                   {color::kGreen, "21"},
                                   {color::kYellow, " days\n"}};
  EXPECT_EQ(console.spans(), expected);
  EXPECT_EQ(console.color(), color::kGrey);
}

TEST(CleanupReport, OnlyOldVersionsAndALockedLog) {
  RecordingConsole console;
  PrintCleanupReport(console, Sweep(0, 0, 1234, 512, LogState::Locked), {"Tools", '/', "7"});
  const std::vector<Span> expected{
      {color::kGrey, "      [-] "},
      {color::kRed, "1234"},
      {color::kGrey, "   Old versions    .......... "},
      {color::kGreen, "  512.0 B\n"},
      {color::kGrey, "\n    "},
      {color::kGreen, "512.0 B"},
      {color::kYellow, " sent to "},
      {color::kCyan, "Tools/Vantor_Sweep "},
      {color::kYellow, "held for "},
      {color::kGreen, "7"},
      {color::kYellow, " days\n"},
      {color::kGrey, "          "},
      {color::kRed, "[WARNING: Log file locked by another program. History not saved!]\n"}};
  EXPECT_EQ(console.spans(), expected);
  EXPECT_EQ(console.color(), color::kGrey);
}

TEST(CleanupReport, WarnsAboutFilesLeftInPlaceInsteadOfCallingTheFolderClean) {
  struct Case {
    SweepOutcome outcome;
    std::vector<Span> tail;  // what follows the count and destination lines
  };
  const Span warning{color::kYellow,
                     "[WARNING] 3 files could not be moved and stayed in place: Access denied\n"};
  const Case cases[] = {
      {Sweep(0, 0, 0, 0, LogState::Written, 3, "Access denied"),
       {{color::kGrey, "\n      "}, warning}},
      {Sweep(0, 0, 0, 0, LogState::Failed, 1, "", "Disk full"),
       {{color::kGrey, "\n      "},
        {color::kYellow, "[WARNING] 1 file could not be moved and stayed in place\n"},
        {color::kGrey, "          "},
        {color::kRed,
         "[WARNING: Log file could not be written (Disk full). History kept for the next "
         "run.]\n"}}},
      {Sweep(2, 2, 0, 0, LogState::Written, 3, "Access denied"),
       {{color::kGrey, "\n      "}, warning}},
  };
  for (const Case& c : cases) {
    RecordingConsole console;
    PrintCleanupReport(console, c.outcome, kDestination);
    const std::vector<Span>& spans = console.spans();
    ASSERT_GE(spans.size(), c.tail.size()) << c.outcome.notMoved;
    EXPECT_EQ(std::vector<Span>(spans.end() - c.tail.size(), spans.end()), c.tail);
    EXPECT_EQ(spans.size() > c.tail.size(), c.outcome.clutterCount > 0);
    EXPECT_EQ(console.color(), color::kGrey);
  }
}

}  // namespace
}  // namespace vantor
