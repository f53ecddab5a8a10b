#include "shell/countdown.h"

#include <gtest/gtest.h>

#include "base/paths.h"
#include "testing/fakes.h"

namespace vantor {
namespace {

using testing::FakeWorld;
using testing::RecordingConsole;
using testing::TempDir;
using testing::WriteFile;
using Span = RecordingConsole::Span;

const std::string kBlank = "\r" + std::string(67, ' ') + "\r";

std::string Tick(int n) {
  return "\r       Closing in " + std::to_string(n) +
         " seconds... (Press [H] to Hold Window)      ";
}

TEST(CountdownPlan, ModesAndSeconds) {
  EXPECT_EQ(PlanCountdown("NONE", 10).mode, CountdownMode::None);
  EXPECT_EQ(PlanCountdown("HOLD", 10).mode, CountdownMode::Hold);
  EXPECT_EQ(PlanCountdown("SHORT", 10).seconds, 5);
  EXPECT_EQ(PlanCountdown("SHORT", 12).seconds, 6);
  EXPECT_EQ(PlanCountdown("LONG", 12).seconds, 24);
  EXPECT_EQ(PlanCountdown("MEDIUM", 10).seconds, 10);
  EXPECT_EQ(PlanCountdown("LOGN", 12).seconds, 12);
  EXPECT_EQ(PlanCountdown("SHORT", 1).seconds, 1);
}

struct CountdownFixture : ::testing::Test {
  TempDir anchor, current;
  FakeWorld world;
  CountdownFixture() { world.UseRealFolders(anchor.path(), current.path()); }
};

TEST_F(CountdownFixture, SettingComesFromTheCurrentFolderThenTheMaster) {
  EXPECT_EQ(CountdownSetting(world.context), "NORMAL");
  WriteFile(anchor / "Vantor.ini", "CP_Countdown= Long \n");
  EXPECT_EQ(CountdownSetting(world.context), "LONG");
  WriteFile(current / "VantorSP.ini", "CP_Countdown=\n");
  EXPECT_EQ(CountdownSetting(world.context), "LONG");
  WriteFile(current / "VantorSP.ini", "CP_Countdown=hold\n");
  EXPECT_EQ(CountdownSetting(world.context), "HOLD");
}

TEST_F(CountdownFixture, NonePrintsNothing) {
  WriteFile(anchor / "Vantor.ini", "CP_Countdown=None\n");
  RunClosingCountdown(world.context, 10);
  EXPECT_TRUE(world.console.spans().empty());
  EXPECT_EQ(world.system.sleptMs, 0);
}

TEST_F(CountdownFixture, RunsOutAfterTheSecondsAndBlanksTheLine) {
  WriteFile(anchor / "Vantor.ini", "CP_Countdown=Short\n");
  RunClosingCountdown(world.context, 4);
  EXPECT_EQ(world.console.Text(), "  " + Tick(2) + Tick(1) + kBlank);
  EXPECT_EQ(world.system.sleptMs, 2000);
  EXPECT_TRUE(world.console.cursorVisible());
}

TEST_F(CountdownFixture, AnyKeyButHClosesAtOnce) {
  world.system.Type("x");
  RunClosingCountdown(world.context, 10);
  EXPECT_EQ(world.console.Text(), "  " + Tick(10) + kBlank);
  EXPECT_EQ(world.system.sleptMs, 0);
  EXPECT_TRUE(world.console.cursorVisible());
}

TEST_F(CountdownFixture, HHoldsUntilEnterWhateverElseIsPressed) {
  world.system.Type("hab\r");
  RunClosingCountdown(world.context, 10);
  EXPECT_EQ(
      world.console.spans(),
      (std::vector<Span>{
          {color::kGrey, "  " + Tick(10)},
          {color::kYellow, "\r      [Window Held] Press Enter to close...                     "},
          {color::kGrey, kBlank}}));
  EXPECT_TRUE(world.system.keys.empty());
}

TEST_F(CountdownFixture, HoldModeWaitsForEnter) {
  WriteFile(anchor / "Vantor.ini", "CP_Countdown=Hold\n");
  world.system.Type("q\r");
  RunClosingCountdown(world.context, 10);
  EXPECT_EQ(
      world.console.spans(),
      (std::vector<Span>{{color::kGrey, "  "},
                         {color::kYellow, "\r      Press Enter to close...                     "},
                         {color::kGrey, kBlank}}));
}

TEST_F(CountdownFixture, EndOfInputCountsAsEnterInsteadOfSpinning) {
  WriteFile(anchor / "Vantor.ini", "CP_Countdown=Hold\n");
  RunClosingCountdown(world.context, 10);  // no keys at all: ReadKey gives -1
  EXPECT_EQ(world.console.Text(),
            "  \r      Press Enter to close...                     " + kBlank);
}

}  // namespace
}  // namespace vantor
