#include "maintenance/sweep_report.h"

#include <gtest/gtest.h>

#include "testing/fakes.h"

namespace vantor {
namespace {

using testing::RecordingConsole;
using Span = RecordingConsole::Span;

const SweepDestination kDestination{"Vantor", '\\', "21"};

TEST(ParseSweepResult, NeedsSevenFieldsHeadedByX) {
  const auto result = ParseSweepResult(" X| 3 |1.5 KB|12|2.25 MB|2.25 MB|0 \r\n");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->clutterCount, 3);
  EXPECT_EQ(result->clutterSize, "1.5 KB");
  EXPECT_EQ(result->modelCount, 12);
  EXPECT_EQ(result->modelSize, "2.25 MB");
  EXPECT_EQ(result->totalSize, "2.25 MB");
  EXPECT_EQ(result->logBusy, "0");
  EXPECT_FALSE(ParseSweepResult(""));
  EXPECT_FALSE(ParseSweepResult("X|1|2|3|4|5"));
  EXPECT_FALSE(ParseSweepResult("Y|1|1.0 B|0|0.0 B|1.0 B|0"));
  EXPECT_FALSE(ParseSweepResult("At line:1 char:5 Unexpected token"));
}

TEST(CleanupReport, SaysTheFolderIsCleanWhenNothingMovedEvenWithTheLogLocked) {
  RecordingConsole console;
  PrintCleanupReport(console, *ParseSweepResult("X|0|0.0 B|0|0.0 B|0.0 B|1"), kDestination);
  const std::vector<Span> expected{
      {color::kGrey, "      "}, {color::kGreen, "[*] Folder is clean. No maintenance required.\n"}};
  EXPECT_EQ(console.spans(), expected);
  EXPECT_EQ(console.color(), color::kGrey);
}

TEST(CleanupReport, ListsBothKindsTheTotalAndWhereItWent) {
  RecordingConsole console;
  PrintCleanupReport(console, *ParseSweepResult("X|7|12.5 KB|123|1.25 MB|1.26 MB|0"), kDestination);
  const std::vector<Span> expected{{color::kGrey, "      [-] "},
                                   {color::kRed, "  7"},
                                   {color::kGrey, "   Clutter files   .......... "},
                                   {color::kGreen, "  12.5 KB\n"},
                                   {color::kGrey, "      [-] "},
                                   {color::kRed, "123"},
                                   {color::kGrey, "   Old versions    .......... "},
                                   {color::kGreen, "  1.25 MB\n"},
                                   {color::kGrey, "\n    "},
                                   {color::kGreen, "1.26 MB"},
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
  PrintCleanupReport(console, *ParseSweepResult("X|0|0.0 B|1234|512.0 B|512.0 B|1"),
                     {"Tools", '/', "7"});
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

}  // namespace
}  // namespace vantor
