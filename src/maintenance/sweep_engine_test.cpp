#include "maintenance/sweep_engine.h"

#include <gtest/gtest.h>

#include "shell/script_host.h"
#include "testing/fakes.h"

namespace vantor {
namespace {

using testing::FakeWorld;

TEST(FillSweepScript, PutsTextsInAsBase64AndTheNumbersBare) {
  const auto templateText = EmbeddedScript(kSweepScriptName);
  ASSERT_TRUE(templateText);
  const SweepInputs inputs{"C:\\Work\\Bob's parts $(x)",
                           "C:\\Tools\\Vantor\\Vantor_Sweep",
                           "C:\\Tools\\Vantor\\Vantor_Sweep\\Vantor_Sweep.log",
                           2,
                           21,
                           "*.log*,trail.txt.*"};
  const std::string script = FillSweepScript(*templateText, inputs);
  for (const char* placeholder : {"%TARGET_DIR%", "%RECYCLE_DIR%", "%LOG_FILE%", "%CP_KEEP_N%",
                                  "%CP_MAX_DAYS%", "%CP_CLUTTER%"})
    EXPECT_EQ(script.find(placeholder), std::string::npos) << placeholder;
  EXPECT_NE(script.find("ConvertFrom-VantorText '" + EncodeScriptText(inputs.targetFolder) + "'"),
            std::string::npos);
  EXPECT_NE(script.find("ConvertFrom-VantorText '" + EncodeScriptText(inputs.binFolder) + "'"),
            std::string::npos);
  EXPECT_NE(script.find("ConvertFrom-VantorText '" + EncodeScriptText(inputs.logFile) + "'"),
            std::string::npos);
  EXPECT_NE(script.find("ConvertFrom-VantorText '" + EncodeScriptText(inputs.clutter) + "'"),
            std::string::npos);
  EXPECT_NE(script.find("$kn = 2\n"), std::string::npos);
  EXPECT_NE(script.find("$md = 21\n"), std::string::npos);
  // Nothing of the folder name stands in the script as text.
  EXPECT_EQ(script.find("Bob's"), std::string::npos);
}

TEST(RunSweepEngine, RunsTheFilledScriptHiddenAndReadsItsResult) {
  FakeWorld world;
  world.scripts.results.push_back("noise\nX|1|1.0 B|0|0.0 B|1.0 B|0\n");
  const SweepInputs inputs{"C:\\Work", "C:\\Bin", "C:\\Bin\\Vantor_Sweep.log", 1, 2, "*.log"};
  const auto result = RunSweepEngine(world.context, inputs);
  ASSERT_TRUE(result);
  EXPECT_EQ(result->clutterCount, 1);
  ASSERT_EQ(world.scripts.scripts.size(), 1u);
  EXPECT_EQ(world.scripts.scripts[0].first,
            FillSweepScript(*EmbeddedScript(kSweepScriptName), inputs));
  EXPECT_EQ(world.scripts.scripts[0].second, ScriptWindow::Hidden);
  // The spinner has ended with its cleared line.
  const std::string text = world.console.Text();
  EXPECT_EQ(text.substr(text.size() - 72), "\r" + std::string(70, ' ') + "\r");
}

}  // namespace
}  // namespace vantor
