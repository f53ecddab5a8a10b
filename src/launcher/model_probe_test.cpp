#include "launcher/model_probe.h"

#include <gtest/gtest.h>

#include "shell/script_host.h"
#include "testing/fakes.h"

namespace vantor {
namespace {

TEST(InstalledVersionsText, LatestThenTheOthers) {
  EXPECT_EQ(InstalledVersionsText(*ReadProbeResult(std::string("X|0|R|11|0|8,9,10"))), "11,8,9,10");
  EXPECT_EQ(InstalledVersionsText(*ReadProbeResult(std::string("X|0|R|11|0|NONE"))), "11");
  EXPECT_EQ(InstalledVersionsText(*ReadProbeResult(std::string("X|0|NONE|0|0|NONE"))), "0");
  EXPECT_EQ(InstalledVersionsText(ProbeResult{}), "0");
}

TEST(RunModelProbe, FillsTheTargetAsEncodedTextAndRunsHidden) {
  testing::FakeWorld world;
  world.scripts.results.push_back("X|10|C:\\PTC|11|1|10");
  const std::string target = "C:\\Work\\Bob's bracket $(Remove-Item x)";
  const auto probe = RunModelProbe(world.context, target);
  ASSERT_TRUE(probe);
  EXPECT_EQ(probe->dataVersion, 10);
  ASSERT_EQ(world.scripts.scripts.size(), 1u);
  const auto& [script, window] = world.scripts.scripts[0];
  EXPECT_EQ(window, ScriptWindow::Hidden);
  EXPECT_NE(script.find("'" + EncodeScriptText(target) + "'"), std::string::npos);
  EXPECT_EQ(script.find("%TARGET_DIR%"), std::string::npos);
  EXPECT_EQ(script.find("Bob's"), std::string::npos);
}

}  // namespace
}  // namespace vantor
