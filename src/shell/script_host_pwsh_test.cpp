// The script host against the real PowerShell of this machine.
#include <gtest/gtest.h>

#include "base/paths.h"
#include "shell/script_host.h"
#include "testing/fakes.h"

namespace vantor {
namespace {

// The answer of a run, or the reason in a failure (a missing pwsh says so
// instead of crashing the test).
template <typename T>
::testing::AssertionResult Answered(const ScriptResult<T>& run, const T& expected) {
  if (!run) return ::testing::AssertionFailure() << run.error().reason;
  if (*run != expected)
    return ::testing::AssertionFailure() << "answered " << ::testing::PrintToString(*run);
  return ::testing::AssertionSuccess();
}

TEST(RealPowerShell, ReturnsTheResultLineAndRemovesThePayload) {
  PowerShellHost host(RealSystem());
  const std::string script = "Write-Output 'garbage'\nWrite-Output 'X|1|2'\nWrite-Output 'more'\n";
  EXPECT_TRUE(Answered(host.RunScript(script, ScriptWindow::Hidden), std::string("X|1|2")));
  EXPECT_FALSE(PathExists(host.PayloadPath()));
}

TEST(RealPowerShell, ASyntaxErrorComesBackAsItsErrorText) {
  PowerShellHost host(RealSystem());
  const std::string result =
      host.RunScript("Write-Output (1 +\n", ScriptWindow::Hidden).error().reason;
  EXPECT_NE(result.find("You must provide a value expression"), std::string::npos) << result;
  EXPECT_EQ(result.find('\x1b'), std::string::npos) << result;
}

TEST(RealPowerShell, NonAsciiTextInThePayloadSurvives) {
  testing::TempDir dir;
  const std::string folder = dir / "Tr\xC3\xA4ger \xE3\x83\x96";
  CreateFolders(folder);
  PowerShellHost host(RealSystem());
  const std::string script = "if (Test-Path -LiteralPath '" + EscapeSingleQuoted(folder) +
                             "') { 'X|found|\xC3\xA4' } else { 'X|missing' }\n";
  EXPECT_TRUE(
      Answered(host.RunScript(script, ScriptWindow::Hidden), std::string("X|found|\xC3\xA4")));
}

TEST(RealPowerShell, EncodedValuesAreDataNeverCode) {
  testing::TempDir dir;
  const std::string marker = dir / "ran";
  PowerShellHost host(RealSystem());
  for (const std::string& value : {std::string("Bob's parts"), std::string("Bob\u2019s parts"),
                                   "$(New-Item -ItemType File '" + marker + "')"}) {
    const std::string script = FillPlaceholder(
        "$v = [Text.Encoding]::UTF8.GetString([Convert]::FromBase64String('%V%'))\n"
        "'X|' + $v\n",
        "%V%", EncodeScriptText(value));
    EXPECT_TRUE(Answered(host.RunScript(script, ScriptWindow::Hidden), "X|" + value));
  }
  EXPECT_FALSE(PathExists(marker));
}

TEST(RealPowerShell, ScriptFromStandardInputReportsItsExitCode) {
  PowerShellHost host(RealSystem());
  EXPECT_TRUE(Answered(host.RunScriptFromStdin("$n = 3\nexit (100 + $n)\n"), 103));
}

}  // namespace
}  // namespace vantor
