#include "shell/script_host.h"

#include <gtest/gtest.h>

#include "base/paths.h"
#include "base/text.h"
#include "testing/fakes.h"

namespace vantor {
namespace {

TEST(FillPlaceholder, ReplacesEveryOccurrenceButNeverItsOwnValue) {
  EXPECT_EQ(FillPlaceholder("a %X% b %X%", "%X%", "1"), "a 1 b 1");
  EXPECT_EQ(FillPlaceholder("'%TARGET_DIR%'", "%TARGET_DIR%", "C:\\%TARGET_DIR%"),
            "'C:\\%TARGET_DIR%'");
  EXPECT_EQ(FillPlaceholder("%X%%X%", "%X%", "%X%"), "%X%%X%");
  EXPECT_EQ(FillPlaceholder("none", "%X%", "1"), "none");
}

TEST(SplitFields, TrimsPiecesKeepsInnerEmptiesDropsATrailingOne) {
  EXPECT_EQ(SplitFields("X|a||b|", '|'), (std::vector<std::string>{"X", "a", "", "b"}));
  EXPECT_EQ(SplitFields(" *.tmp , *.bak,,*.log ", ','),
            (std::vector<std::string>{"*.tmp", "*.bak", "", "*.log"}));
  EXPECT_TRUE(SplitFields("", '|').empty());
  EXPECT_EQ(SplitFields("|", '|'), (std::vector<std::string>{""}));
}

TEST(Escaping, SingleQuotedDoublesEveryKindOfApostrophe) {
  EXPECT_EQ(EscapeSingleQuoted("Bob's parts"), "Bob''s parts");
  EXPECT_EQ(EscapeSingleQuoted("Bob\u2019s \u2018x\u201A\u201B"),
            "Bob\u2019\u2019s \u2018\u2018x\u201A\u201A\u201B\u201B");
  EXPECT_EQ(EscapeSingleQuoted("$(Remove-Item x)"), "$(Remove-Item x)");
}

TEST(Escaping, DoubleQuotedEscapesBacktickDollarAndQuotes) {
  EXPECT_EQ(EscapeDoubleQuoted("$(Remove-Item x) `a` \"q\""), "`$(Remove-Item x) ``a`` `\"q`\"");
  EXPECT_EQ(EscapeDoubleQuoted("\u201Cq\u201D\u201E"), "`\u201Cq`\u201D`\u201E");
}

TEST(Escaping, Base64OfUtf8Bytes) {
  EXPECT_EQ(EncodeScriptText(""), "");
  EXPECT_EQ(EncodeScriptText("f"), "Zg==");
  EXPECT_EQ(EncodeScriptText("fo"), "Zm8=");
  EXPECT_EQ(EncodeScriptText("foo"), "Zm9v");
  EXPECT_EQ(EncodeScriptText("Tr\xC3\xA4ger"), "VHLDpGdlcg==");
}

TEST(Payload, HasAByteOrderMarkAndCrLfLineEnds) {
  EXPECT_EQ(PayloadBytes("a\nb\n"),
            "\xEF\xBB\xBF"
            "a\r\nb\r\n");
}

// A killed run leaves its payload behind: the next start removes it, but
// never the payload of a process that still runs.
TEST(Payload, LeftoversOfEndedProcessesGoAtTheNextStart) {
  testing::TempDir temp;
  testing::FakeSystem system;
  system.tempFolder = temp.path() + "/";
  const auto shell = RealSystem().RunProgram("sh", {"-c", "echo $$"});  // ended and reaped
  ASSERT_TRUE(shell && shell->exitCode == 0);
  const std::string ended = Trim(shell->output);
  const std::string live = std::to_string(RealSystem().ProcessId());
  const std::pair<std::string, bool> files[] = {
      {"Vantor_Payload_" + ended + ".ps1", false},
      {"Vantor_Payload_0.ps1", false},
      {"Vantor_Payload_" + live + ".ps1", true},
      {"Vantor_Payload_4294967296.ps1", true},  // no process id is that large
      {"Vantor_Payload_" + ended + ".ps1.txt", true},
      {"Vantor_Payload_+1.ps1", true},
  };
  for (const auto& [name, kept] : files) testing::WriteFile(temp / name, "x");
  RemoveOrphanedPayloads(system);
  for (const auto& [name, kept] : files) EXPECT_EQ(PathExists(temp / name), kept) << name;
}

TEST(PowerShellHost, RunsTheWindowsCommandLineThroughThePlatform) {
  testing::TempDir temp;
  testing::FakeSystem system;
  system.tempFolder = temp.path() + "/";
  system.powershellOutput = ProcessOutput{0, "noise\nX|OK\n"};
  PowerShellHost host(system);
  EXPECT_EQ(*host.RunScript("Write-Output 1", ScriptWindow::Hidden), "X|OK");
  ASSERT_EQ(system.powershellRuns.size(), 1u);
  const std::vector<std::string> hidden{"-NoProfile", "-NonInteractive", "-ExecutionPolicy",
                                        "Bypass",     "-File",           host.PayloadPath()};
  EXPECT_EQ(system.powershellRuns[0].first, hidden);
  host.RunScript("x", ScriptWindow::Interactive);
  EXPECT_EQ(system.powershellRuns[1].first[1], "-Sta");
  EXPECT_EQ(system.powershellRuns[1].second, ScriptWindow::Interactive);
  EXPECT_TRUE(StartsWith(host.PayloadPath(), system.tempFolder + "Vantor_Payload_4711.ps1"));
  EXPECT_FALSE(PathExists(host.PayloadPath()));

  system.powershellOutput.reset();
  const std::string notStarted = "PowerShell did not start (No such file or directory).";
  const std::string noWindow =
      "this window needs PowerShell, which did not start (No such file or directory).";
  EXPECT_EQ(host.RunScript("x", ScriptWindow::Hidden).error().reason, notStarted);
  EXPECT_EQ(host.RunScript("x", ScriptWindow::Interactive).error().reason, noWindow);
  EXPECT_EQ(host.RunScriptFromStdin("x").error().reason, noWindow);
  const std::vector<std::string> stdinArgs{
      "-STA",         "-NoProfile", "-ExecutionPolicy", "Bypass",
      "-WindowStyle", "Hidden",     "-Command",         "-"};
  EXPECT_EQ(system.powershellRuns.back().first, stdinArgs);
}

TEST(PowerShellHost, UnwritablePayloadSaysWhyWithoutRunning) {
  testing::FakeSystem system;
  system.tempFolder = "/no/such/folder/";
  PowerShellHost host(system);
  EXPECT_EQ(host.RunScript("x", ScriptWindow::Hidden).error().reason,
            "script file not written (No such file or directory).");
  EXPECT_TRUE(system.powershellRuns.empty());
}

TEST(RelaunchElevated, DeclinedPromptWarnsAndReturns) {
  testing::FakeWorld world;
  world.system.elevation = ElevationResult::Declined;
  RelaunchElevated(world.console, world.system, "/S");
  EXPECT_EQ(world.console.spans(),
            (std::vector<testing::RecordingConsole::Span>{
                {color::kYellow, "\n  [WARNING] Credentials Elevation declined.\n"}}));
  EXPECT_EQ(world.console.color(), color::kGrey);
  world.system.elevation = ElevationResult::Started;
  EXPECT_THROW(RelaunchElevated(world.console, world.system, "/S"), testing::ProcessEnded);
}

}  // namespace
}  // namespace vantor
