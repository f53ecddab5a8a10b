#include "maintenance/restore_utility.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/paths.h"
#include "maintenance/restore_list.h"
#include "platform/platform.h"
#include "testing/fakes.h"

namespace vantor {
namespace {

using testing::FakeWorld;
using testing::RecordingConsole;
using testing::TempDir;
using testing::WriteFile;
using Span = RecordingConsole::Span;

constexpr auto kPosix = PathStyle::Posix;

TEST(RestoreRetentionDays, FourteenWithoutAMasterFileOrASetting) {
  TempDir dir;
  EXPECT_EQ(ReadRetentionDays(dir.path(), kPosix), "14");
  WriteFile(dir / "Vantor.ini", "[General]\r\nCP_Keep_N=3\r\n");
  EXPECT_EQ(ReadRetentionDays(dir.path(), kPosix), "14");
}

TEST(RestoreRetentionDays, LastNonEmptyMasterLineWinsAndIsTrimmed) {
  TempDir dir;
  WriteFile(dir / "Vantor.ini",
            "CP_Max_Days=7\r\n"
            " \tCP_Max_Days=  30 \t\r\n"
            "CP_Max_Days=\r\n"
            "CP_Max_Days=   \r\n"
            "cp_max_days=99\r\n"
            "; CP_Max_Days=98\r\n"
            "CP_Max_Days_Old=97\r\n");
  // The project file of the anchor folder is never consulted.
  WriteFile(dir / "VantorSP.ini", "CP_Max_Days=5\r\n");
  EXPECT_EQ(ReadRetentionDays(dir.path(), kPosix), "30");
}

TEST(RestoreNotice, PrintsTheBoxedNoticeInItsColours) {
  RecordingConsole console;
  PrintRestoreNotice(console);
  const std::string rule(56, '=');
  const std::vector<Span> expected{
      {color::kGrey, "\n"},
      {color::kDarkGrey, rule + "\n  "},
      {color::kCyan, "Vantor Restore Utility - Background Process\n"},
      {color::kDarkGrey, rule + "\n\n  "},
      {color::kYellow, "[STATUS]"},
      {color::kGrey, " The graphical interface is currently active.\n\n  "},
      {color::kRed, "[WARNING]"},
      {color::kGrey,
       " Do NOT close this window!\n"
       "             Closing this console will immediately terminate\n"
       "             the Restore GUI.\n\n  "},
      {color::kDarkGrey, "(This window will close automatically when you are done.)\n\n"},
  };
  EXPECT_EQ(console.spans(), expected);
  EXPECT_EQ(console.color(), color::kGrey);
}

TEST(RestoreOutcome, NoneRestoredWarnsElseCountsTheFiles) {
  const auto none = RestoreOutcome(0);
  EXPECT_EQ(none.text, "No files were restored.");
  // Warning icon, topmost, system-modal, foreground.
  EXPECT_EQ(none.style, 0x30u | 0x40000u | 0x1000u | 0x10000u);
  const auto one = RestoreOutcome(1);
  EXPECT_EQ(one.text, "Successfully restored 1 file(s) to their original locations.");
  EXPECT_EQ(one.style, 0x40u | 0x40000u | 0x1000u | 0x10000u);
  EXPECT_EQ(RestoreOutcome(1000).text,
            "Successfully restored 1000 file(s) to their original locations.");
}

TEST(RestoreScript, TheEmbeddedPickerGetsEveryValueOnceAsBase64) {
  const auto script = EmbeddedScript("restore_window.ps1");
  ASSERT_TRUE(script.has_value());
  for (const char* name : {"%ROWS_FILE%", "%TITLE%", "%DAYS%", "%RESULT_FILE%"}) {
    const std::string_view text = *script;
    const auto first = text.find(name);
    ASSERT_NE(first, std::string_view::npos) << name;
    EXPECT_EQ(text.find(name, first + 1), std::string_view::npos) << name;
  }
  // Quotes, a typographic apostrophe and a subexpression stay data.
  EXPECT_EQ(FillRestoreScript("'%ROWS_FILE%' '%TITLE%' '%DAYS%' '%RESULT_FILE%'",
                              "D:\\Bob's \u2019$(x)", "T", "14", "r"),
            "'RDpcQm9iJ3Mg4oCZJCh4KQ==' 'VA==' 'MTQ=' 'cg=='");
}

TEST(ReadChosenRows, KeepsEachRowOnceAndOnlyRowsThatWereShown) {
  TempDir dir;
  const std::string file = dir / "result.txt";
  struct Case {
    const char* content;  // nullptr: no file
    std::vector<std::size_t> expected;
  };
  const Case cases[] = {
      {nullptr, {}},
      {"", {}},
      {"2\r\n0\r\n2\r\n", {0, 2}},
      {"0\n4\n5\n-1\n1x\n 3 \n", {0, 3, 4}},
      {"99999999999999999999\n", {}},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(ToFsPath(file));
    if (c.content) WriteFile(file, c.content);
    EXPECT_EQ(ReadChosenRows(file, 5), c.expected) << (c.content ? c.content : "none");
  }
}

class RestoreUtilityJob : public ::testing::Test {
 protected:
  RestoreUtilityJob() {
    world.UseRealFolders(dir.path(), dir.path());
    bin = JoinPath(dir.path(), "Vantor_Sweep", kPosix);
    log = JoinPath(bin, "Vantor_Sweep.log", kPosix);
  }
  void MakeBinAndLog() {
    ASSERT_TRUE(CreateFolders(bin));
    WriteFile(log, "");
  }

  TempDir dir;
  FakeWorld world;
  std::string bin;
  std::string log;
};

TEST_F(RestoreUtilityJob, MissingBinShowsItsPathAndStops) {
  RunRestoreUtility(world.context);
  ASSERT_EQ(world.system.messageBoxes.size(), 1u);
  EXPECT_EQ(world.system.messageBoxes[0].first, "Vantor Restore - v5.3");
  EXPECT_EQ(world.system.messageBoxes[0].second, "The Vantor Sweep Bin was not found at:\n" + bin);
  EXPECT_TRUE(world.scripts.stdinScripts.empty());
  EXPECT_EQ(world.console.Text(), "");
}

TEST_F(RestoreUtilityJob, MissingLogSaysSoAndStops) {
  ASSERT_TRUE(CreateFolders(bin));
  RunRestoreUtility(world.context);
  ASSERT_EQ(world.system.messageBoxes.size(), 1u);
  EXPECT_EQ(world.system.messageBoxes[0].first, "Vantor Restore - v5.3");
  EXPECT_EQ(world.system.messageBoxes[0].second, "The Vantor Sweep History Log was not found.");
  EXPECT_TRUE(world.scripts.stdinScripts.empty());
  EXPECT_EQ(world.console.Text(), "");
}

TEST_F(RestoreUtilityJob, OffersTheLoggedFilesAndRestoresThoseChosen) {
  MakeBinAndLog();
  WriteFile(dir / "Vantor.ini", "CP_Max_Days=21\r\n");
  const std::string project = dir / "p";
  std::string lines;
  for (const char* name : {"a.log", "b.log", "c.log"}) {
    WriteFile(bin + project + "/" + name, name);
    lines += "2024-05-03 10:00:00 | " + std::string(name) + " | " + project + " | (5.0 B)\r\n";
  }
  WriteFile(log, lines);
  std::string rows;
  world.scripts.onStdinRun = [&](const std::string&) {
    rows = testing::ReadFile(dir / "Vantor_Rows_4711.txt");
    WriteFile(dir / "Vantor_Result_4711.txt", "2\r\n0\r\n");
  };
  world.system.tempFolder = dir.path() + "/";
  RunRestoreUtility(world.context);

  RecordingConsole notice;
  PrintRestoreNotice(notice);
  EXPECT_EQ(world.console.spans(), notice.spans());
  EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 3);
  ASSERT_EQ(world.scripts.stdinScripts.size(), 1u);
  EXPECT_NE(world.scripts.stdinScripts[0].find(EncodeScriptText(RestoreWindowTitle("21"))),
            std::string::npos);
  EXPECT_EQ(testing::ReadFile(project + "/a.log"), "a.log");
  EXPECT_EQ(testing::ReadFile(project + "/c.log"), "c.log");
  EXPECT_FALSE(PathExists(project + "/b.log"));
  EXPECT_FALSE(PathExists(dir / "Vantor_Rows_4711.txt"));
  EXPECT_FALSE(PathExists(dir / "Vantor_Result_4711.txt"));
  ASSERT_EQ(world.system.messageBoxes.size(), 1u);
  EXPECT_EQ(world.system.messageBoxes[0].first, "Vantor Restore - v5.3");
  EXPECT_EQ(world.system.messageBoxes[0].second,
            "Successfully restored 2 file(s) to their original locations.");
}

TEST_F(RestoreUtilityJob, SaysWhyThereIsNothingToOfferAndOpensNoWindow) {
  MakeBinAndLog();
  struct Case {
    std::string log;
    std::string message;
  };
  const Case cases[] = {
      {"garbage\r\n", "Log is empty or formatted incorrectly."},
      {"2024-05-03 10:00:00 | gone.log | /nowhere | (1.0 B)\r\n",
       "No recoverable files found in the bin. Older files may have aged out."},
  };
  for (const auto& [text, message] : cases) {
    world.system.messageBoxes.clear();
    WriteFile(log, text);
    RunRestoreUtility(world.context);
    ASSERT_EQ(world.system.messageBoxes.size(), 1u);
    EXPECT_EQ(world.system.messageBoxes[0].second, message);
  }
  EXPECT_TRUE(world.scripts.stdinScripts.empty());
}

TEST_F(RestoreUtilityJob, NoMessageWhenNothingWasChosen) {
  MakeBinAndLog();
  WriteFile(bin + dir.path() + "/a.log", "a");
  WriteFile(log, "2024-05-03 10:00:00 | a.log | " + dir.path() + " | (1.0 B)\r\n");
  world.scripts.exitCode = 0;
  RunRestoreUtility(world.context);
  EXPECT_EQ(world.scripts.stdinScripts.size(), 1u);
  EXPECT_TRUE(world.system.messageBoxes.empty());
  EXPECT_TRUE(PathExists(bin + dir.path() + "/a.log"));
}

TEST_F(RestoreUtilityJob, AFailedWindowSaysWhyInABox) {
  MakeBinAndLog();
  WriteFile(bin + dir.path() + "/a.log", "a");
  WriteFile(log, "2024-05-03 10:00:00 | a.log | " + dir.path() + " | (1.0 B)\r\n");
  struct Case {
    std::optional<int> exitCode;
    std::string reason;
    bool box;
  };
  const Case cases[] = {
      {std::nullopt, "PowerShell did not start.", true},
      {1, "it ended with exit code 1.", true},
  };
  RecordingConsole notice;
  PrintRestoreNotice(notice);
  for (const auto& [exitCode, reason, box] : cases) {
    world.console.Reset();
    world.system.messageBoxes.clear();
    world.scripts.exitCode = exitCode;
    RunRestoreUtility(world.context);
    std::vector<Span> expected = notice.spans();
    expected.push_back({color::kGrey, "  "});
    expected.push_back({color::kRed, "[ERROR] Restore window failed: " + reason + "\n"});
    EXPECT_EQ(world.console.spans(), expected);
    EXPECT_EQ(world.console.color(), color::kGrey);
    ASSERT_EQ(world.system.messageBoxes.size(), box ? 1u : 0u);
    if (box) {
      EXPECT_EQ(world.system.messageBoxes[0].second, "Restore window failed: " + reason);
    }
  }
}

}  // namespace
}  // namespace vantor
