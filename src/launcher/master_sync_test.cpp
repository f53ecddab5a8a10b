#include "launcher/master_sync.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "launcher/launcher_test_support.h"

namespace vantor {
namespace {

using Span = testing::RecordingConsole::Span;
using testing::LaunchWorld;
using testing::ReadFile;
using testing::WriteFile;

TEST(ReadSetupMaster, TheLastLineWins) {
  LaunchWorld w;
  const std::string ini = w.anchor + "/Vantor.ini";
  EXPECT_EQ(ReadSetupMaster(ini), "");
  WriteFile(ini, "Vantor_Setup_Master=\\\\one\\share\r\n  Vantor_Setup_Master= \\\\two\\x \r\n");
  EXPECT_EQ(ReadSetupMaster(ini), "\\\\two\\x");
  WriteFile(ini, "Vantor_Setup_Master=\\\\one\\share\r\nVantor_Setup_Master=\r\n");
  EXPECT_EQ(ReadSetupMaster(ini), "");
}

TEST(SyncWithMaster, NoMasterOrTheAnchorItselfRunsNothing) {
  LaunchWorld w;
  SyncWithMaster(w.context(), w.anchor);
  WriteFile(w.anchor + "/Vantor.ini", "Vantor_Setup_Master=" + w.anchor + "\r\n");
  SyncWithMaster(w.context(), w.anchor);
  EXPECT_TRUE(w.world.system.programRuns.empty());
  EXPECT_EQ(w.Text(), "");
}

TEST(SyncWithMaster, AnUnreachableMasterIsReportedAndTheLaunchGoesOn) {
  LaunchWorld w;
  const std::string master = w.dir / "server/Vantor_Home";
  WriteFile(w.anchor + "/Vantor.ini", "Vantor_Setup_Master=" + master + "\r\n");
  SyncWithMaster(w.context(), w.anchor);
  EXPECT_TRUE(w.world.system.programRuns.empty());
  EXPECT_EQ(w.world.console.spans(),
            (std::vector<Span>{{7, "\n      "},
                               {12, "[!] SYNC ERROR: "},
                               {14, "Master path is invalid or unreachable.\n"},
                               {8, "          Path: "},
                               {7, master + "\n"},
                               {8, "          Proceeding with local environment...\n"}}));
}

// Mirroring would copy the anchor into its own Vantor_Home and delete what
// the "master" lacks; however the anchor is spelled, nothing runs.
TEST(SyncWithMaster, AMasterOverlappingTheAnchorIsRefused) {
  LaunchWorld w;
  WriteFile(w.anchor + "/Vantor_Home/Settings/Vantor_config.pro", "mine");
  CreateFolders(w.anchor + "/Vantor_Home/Library");
  std::filesystem::create_directory_symlink(w.anchor, w.dir / "link to anchor");
  const std::string inside = "Master path lies inside the Vantor folder.\n";
  const std::pair<std::string, std::string> spellings[] = {
      {w.anchor + "/", "Master path is the Vantor folder itself.\n"},
      {w.anchor + "/../anchor/.", "Master path is the Vantor folder itself.\n"},
      {w.dir / "link to anchor", "Master path is the Vantor folder itself.\n"},
      {w.anchor + "/Vantor_Home", inside},
      {w.anchor + "//Vantor_Home/Library/", inside},
      {w.dir.path(), "Master path contains the Vantor folder.\n"},
  };
  for (const auto& [master, reason] : spellings) {
    w.world.console.Reset();
    w.world.console.SetColor(color::kGrey);
    WriteFile(w.anchor + "/Vantor.ini", "Vantor_Setup_Master=" + master + "\r\n");
    SyncWithMaster(w.context(), w.anchor);
    EXPECT_TRUE(w.world.system.programRuns.empty()) << master;
    EXPECT_EQ(w.world.console.spans(),
              (std::vector<Span>{{7, "\n      "},
                                 {12, "[!] SYNC ERROR: "},
                                 {14, reason},
                                 {8, "          Path: "},
                                 {7, master + "\n"},
                                 {8, "          Proceeding with local environment...\n"}}));
  }
  EXPECT_EQ(ReadFile(w.anchor + "/Vantor_Home/Settings/Vantor_config.pro"), "mine");
}

TEST(SyncWithMaster, ADryRunDecidesWhetherToCopy) {
  LaunchWorld w;
  const std::string master = w.dir / "server share";
  CreateFolders(master);
  WriteFile(w.anchor + "/Vantor.ini", "Vantor_Setup_Master=" + master + "\r\n");

  w.world.system.programOutput = ProcessOutput{0, ""};
  SyncWithMaster(w.context(), w.anchor);
  ASSERT_EQ(w.world.system.programRuns.size(), 1u);
  const ProgramCall dry = MirrorFolderCommand(master, w.anchor + "/Vantor_Home",
                                              {"Vantor.ini", "VantorSP.ini"}, MirrorRun::DryRun);
  EXPECT_EQ(w.world.system.programRuns[0].first, dry.program);
  EXPECT_EQ(w.world.system.programRuns[0].second, dry.arguments);
  EXPECT_EQ(w.Text(), "");

  w.world.system.programRuns.clear();
  w.world.system.programOutput = ProcessOutput{1, ""};
  SyncWithMaster(w.context(), w.anchor);
  ASSERT_EQ(w.world.system.programRuns.size(), 2u);
  const ProgramCall copy = MirrorFolderCommand(master, w.anchor + "/Vantor_Home",
                                               {"Vantor.ini", "VantorSP.ini"}, MirrorRun::Copy);
  EXPECT_EQ(w.world.system.programRuns[1].second, copy.arguments);
  EXPECT_EQ(
      w.world.console.spans(),
      (std::vector<Span>{{7, "      "}, {11, "[*] Syncing Environment with Secure Master...\n"}}));
  EXPECT_EQ(w.world.console.color(), 7);
}

// The stand-in mirror command on real folders, as the launcher runs it.
TEST(MirrorFolderCommand, MirrorsAddedChangedAndExtraFilesButKeepsTheIniFiles) {
  testing::TempDir dir;
  const std::string master = dir / "master share";
  const std::string home = dir / "Vantor_Home";
  WriteFile(master + "/Settings/Vantor_Config.pro", "server config");
  WriteFile(master + "/Settings/added.pro", "added");
  WriteFile(master + "/Vantor.ini", "server ini");
  WriteFile(home + "/Settings/Vantor_Config.pro", "old config");
  WriteFile(home + "/Settings/newer_here.pro", "local newer");
  WriteFile(master + "/Settings/newer_here.pro", "server older");
  WriteFile(home + "/extra.txt", "only here");
  WriteFile(home + "/Vantor.ini", "local ini");
  WriteFile(home + "/VantorSP.ini", "local sp");
  namespace fs = std::filesystem;
  const auto now = fs::file_time_type::clock::now();
  fs::last_write_time(ToFsPath(home + "/Settings/Vantor_Config.pro"), now - std::chrono::hours(2));
  fs::last_write_time(ToFsPath(master + "/Settings/newer_here.pro"), now - std::chrono::hours(2));

  System& system = RealSystem();
  const std::vector<std::string> kept{"Vantor.ini", "VantorSP.ini"};
  const auto run = [&](MirrorRun kind) {
    const ProgramCall call = MirrorFolderCommand(master, home, kept, kind);
    const auto finished = system.RunProgram(call.program, call.arguments);
    EXPECT_TRUE(finished);
    return finished ? MirrorStatus(*finished, kind) : -1;
  };
  EXPECT_GT(run(MirrorRun::DryRun), 0);
  EXPECT_FALSE(PathExists(home + "/Settings/added.pro"));  // a dry run only lists
  EXPECT_EQ(run(MirrorRun::Copy), 0);
  EXPECT_EQ(ReadFile(home + "/Settings/Vantor_Config.pro"), "server config");
  EXPECT_EQ(ReadFile(home + "/Settings/added.pro"), "added");
  EXPECT_EQ(ReadFile(home + "/Settings/newer_here.pro"), "local newer");
  EXPECT_FALSE(PathExists(home + "/extra.txt"));
  EXPECT_EQ(ReadFile(home + "/Vantor.ini"), "local ini");
  EXPECT_EQ(ReadFile(home + "/VantorSP.ini"), "local sp");
  EXPECT_EQ(run(MirrorRun::DryRun), 0);
}

}  // namespace
}  // namespace vantor
