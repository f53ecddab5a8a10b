#include "launcher/model_probe.h"

#include <gtest/gtest.h>

#include "shell/script_host.h"
#include "testing/fakes.h"

namespace vantor {
namespace {

TEST(ParseProbeResult, ReadsTheFieldsTheLauncherUses) {
  const auto probe = ParseProbeResult("X|9|C:\\Program Files\\PTC*D:\\PTC|11|1|8,9,10");
  EXPECT_EQ(probe.dataVersion, 9);
  EXPECT_EQ(probe.rootsText, "C:\\Program Files\\PTC*D:\\PTC");
  EXPECT_EQ(probe.latestVersion, 11);
  EXPECT_EQ(probe.otherVersionsText, "8,9,10");
  EXPECT_EQ(ParseProbeResult("X|-1|NONE|0|0|NONE").dataVersion, -1);
}

TEST(ParseProbeResult, MalformedLinesKeepTheStartValues) {
  for (const char* line : {"", "garbage", "X|9|root|11|1", "Y|9|root|11|1|NONE"}) {
    const auto probe = ParseProbeResult(line);
    EXPECT_EQ(probe.dataVersion, 0) << line;
    EXPECT_EQ(probe.rootsText, "") << line;
    EXPECT_EQ(probe.latestVersion, 0) << line;
    EXPECT_EQ(probe.otherVersionsText, "NONE") << line;
  }
}

TEST(ParseProbeResult, NumbersReadAsTheCLibraryReadsThem) {
  // A bad data version leaves both numbers at 0; the texts are taken anyway.
  const auto badData = ParseProbeResult("X|abc|R|11|0|9");
  EXPECT_EQ(badData.dataVersion, 0);
  EXPECT_EQ(badData.latestVersion, 0);
  EXPECT_EQ(badData.rootsText, "R");
  EXPECT_EQ(badData.otherVersionsText, "9");
  const auto badLatest = ParseProbeResult("X|10.0|R|x|0|NONE");
  EXPECT_EQ(badLatest.dataVersion, 10);
  EXPECT_EQ(badLatest.latestVersion, 0);
}

TEST(InstalledVersionsText, LatestThenTheOthers) {
  EXPECT_EQ(InstalledVersionsText(ParseProbeResult("X|0|R|11|0|8,9,10")), "11,8,9,10");
  EXPECT_EQ(InstalledVersionsText(ParseProbeResult("X|0|R|11|0|NONE")), "11");
  EXPECT_EQ(InstalledVersionsText(ParseProbeResult("X|0|NONE|0|0|NONE")), "0");
  EXPECT_EQ(InstalledVersionsText(ProbeResult{}), "0");
}

TEST(RunModelProbe, FillsTheTargetAsEncodedTextAndRunsHidden) {
  testing::FakeWorld world;
  world.scripts.results.push_back("X|10|C:\\PTC|11|1|10");
  const std::string target = "C:\\Work\\Bob's bracket $(Remove-Item x)";
  const auto probe = RunModelProbe(world.context, target);
  EXPECT_EQ(probe.dataVersion, 10);
  ASSERT_EQ(world.scripts.scripts.size(), 1u);
  const auto& [script, window] = world.scripts.scripts[0];
  EXPECT_EQ(window, ScriptWindow::Hidden);
  EXPECT_NE(script.find("'" + EncodeScriptText(target) + "'"), std::string::npos);
  EXPECT_EQ(script.find("%TARGET_DIR%"), std::string::npos);
  EXPECT_EQ(script.find("Bob's"), std::string::npos);
}

}  // namespace
}  // namespace vantor
