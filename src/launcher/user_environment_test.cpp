#include "launcher/user_environment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "launcher/launcher_test_support.h"

namespace vantor {
namespace {

using Span = testing::RecordingConsole::Span;
using testing::LaunchWorld;
using testing::ReadFile;
using testing::WriteFile;

// An anchor with master settings, a home folder, and a project.
struct EnvWorld : LaunchWorld {
  std::string home = dir / "home";
  std::string settings = anchor + "/Vantor_Home/Settings";
  std::string userEnv = anchor + "/Vantor_UserEnv/.Settings";

  EnvWorld() {
    CreateFolders(home);
    world.system.environment["USERPROFILE"] = home;
    WriteFile(settings + "/Vantor_customization.ui", "master ui");
    WriteFile(settings + "/Vantor_mapkeys.pro", "master mapkeys");
    WriteFile(settings + "/Vantor_Config.pro", "master config");
  }
  void Master(const std::string& ini) { WriteFile(anchor + "/Vantor.ini", ini); }
  void Apply() { ApplyUserEnvironment(context(), State()); }
  std::string Log() { return ReadFile(anchor + "/Vantor_Sweep/Vantor_Sweep.log"); }
  std::string BinCopy(const std::string& name) {
    return anchor + "/Vantor_Sweep" + home + "/" + name;
  }
};

TEST(ApplyUserEnvironment, FirstLaunchCreatesEverythingAndMovesNothing) {
  EnvWorld w;
  w.Master("CP_Reset_Config=Yes\r\n");
  w.Apply();
  EXPECT_EQ(w.world.system.environment["HOME"], w.home);
  EXPECT_EQ(w.world.system.environment["WorkPath"], w.anchor);
  EXPECT_EQ(w.world.system.environment["PTC_WF_ROOT"], w.anchor + "/Vantor_UserEnv");
  EXPECT_EQ(ReadFile(w.userEnv + "/creo_parametric_customization.ui"), "master ui");
  EXPECT_EQ(ReadFile(w.userEnv + "/mapkeys.pro"), "master mapkeys");
  EXPECT_EQ(ReadFile(w.home + "/config.pro"), "master config");
  EXPECT_FALSE(PathExists(w.anchor + "/Vantor_Sweep"));
  EXPECT_EQ(w.Text(), "");
}

TEST(ApplyUserEnvironment, AChangedConfigGoesToTheBinBeforeTheMasterReplacesIt) {
  EnvWorld w;
  w.Master("CP_Countdown=None\r\n");  // CP_Reset_Config unset: Yes
  WriteFile(w.home + "/config.pro", "my own config");
  const auto before =
      std::filesystem::last_write_time(ToFsPath(w.home + "/config.pro")) - std::chrono::hours(48);
  std::filesystem::last_write_time(ToFsPath(w.home + "/config.pro"), before);
  w.Apply();
  EXPECT_EQ(ReadFile(w.home + "/config.pro"), "master config");
  EXPECT_EQ(ReadFile(w.BinCopy("config.pro")), "my own config");
  EXPECT_EQ(std::filesystem::last_write_time(ToFsPath(w.BinCopy("config.pro"))), before);
  EXPECT_TRUE(std::regex_match(
      w.Log(), std::regex("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d \\| config\\.pro {25} \\| " +
                          w.home + " +\\| \\(13\\.0 B\\) \\[Clutter\\]\r\n")));
  EXPECT_EQ(w.world.console.spans(),
            (std::vector<Span>{{7, "\n      "},
                               {14, "[INFO] "},
                               {7, "Swept legacy config.pro to Vantor_Sweep bin.\n"}}));
}

TEST(ApplyUserEnvironment, ResetValuesDecideWhatIsReplaced) {
  EnvWorld w;
  w.Master("CP_Reset_Config=No\r\nCP_Reset_UI=yes\r\n");
  WriteFile(w.userEnv + "/creo_parametric_customization.ui", "my ui");
  WriteFile(w.userEnv + "/mapkeys.pro", "my mapkeys");
  WriteFile(w.home + "/config.pro", "my config");
  w.Apply();
  // UI reset on: replaced, no backup, no message. Mapkeys default No, config No: kept.
  EXPECT_EQ(ReadFile(w.userEnv + "/creo_parametric_customization.ui"), "master ui");
  EXPECT_EQ(ReadFile(w.userEnv + "/mapkeys.pro"), "my mapkeys");
  EXPECT_EQ(ReadFile(w.home + "/config.pro"), "my config");
  EXPECT_FALSE(PathExists(w.anchor + "/Vantor_Sweep"));
  EXPECT_EQ(w.Text(), "");
}

TEST(ApplyUserEnvironment, TheSpecialProjectValueWinsAndMapkeysAreBackedUp) {
  EnvWorld w;
  w.Master("CP_Reset_Mapkeys=No\r\nCP_Reset_Config=No\r\n");
  WriteFile(w.project + "/VantorSP.ini", "CP_Reset_Mapkeys=YES\r\n");
  const std::string spSettings = w.project + "/VantorSP_UserEnv/.Settings";
  WriteFile(spSettings + "/mapkeys.pro", "project mapkeys");
  w.Apply();
  EXPECT_EQ(w.world.system.environment["PTC_WF_ROOT"], w.project + "/VantorSP_UserEnv");
  EXPECT_EQ(ReadFile(spSettings + "/mapkeys.pro"), "master mapkeys");
  EXPECT_EQ(ReadFile(spSettings + "/creo_parametric_customization.ui"), "master ui");
  EXPECT_EQ(ReadFile(w.anchor + "/Vantor_Sweep" + spSettings + "/mapkeys.pro"), "project mapkeys");
  EXPECT_EQ(w.Text(), "\n      [INFO] Swept legacy mapkeys.pro to Vantor_Sweep bin.\n");
  EXPECT_FALSE(PathExists(w.anchor + "/Vantor_UserEnv"));
}

TEST(ApplyUserEnvironment, IdenticalFilesAreNeverRewritten) {
  EnvWorld w;
  w.Master("CP_Reset_Config=Yes\r\nCP_Reset_UI=Yes\r\nCP_Reset_Mapkeys=Yes\r\n");
  WriteFile(w.home + "/config.pro", "master config");
  const auto old =
      std::filesystem::last_write_time(ToFsPath(w.home + "/config.pro")) - std::chrono::hours(1);
  std::filesystem::last_write_time(ToFsPath(w.home + "/config.pro"), old);
  w.Apply();
  EXPECT_EQ(std::filesystem::last_write_time(ToFsPath(w.home + "/config.pro")), old);
  EXPECT_FALSE(PathExists(w.anchor + "/Vantor_Sweep"));
}

TEST(ApplyUserEnvironment, WithoutAMasterConfigTheUsersConfigIsSwept) {
  EnvWorld w;
  std::filesystem::remove(ToFsPath(w.settings + "/Vantor_Config.pro"));
  WriteFile(w.home + "/config.pro", "unmanaged");
  w.Apply();
  EXPECT_FALSE(PathExists(w.home + "/config.pro"));
  EXPECT_EQ(ReadFile(w.BinCopy("config.pro")), "unmanaged");
  EXPECT_EQ(
      w.world.console.spans(),
      (std::vector<Span>{{7, "\n      "},
                         {14, "[!] No Master Configuration found.\n      "},
                         {8, "[*] Sweeping unmanaged local config to enforce baseline...\n"}}));
  EXPECT_EQ(w.world.console.color(), 7);
  EXPECT_NE(w.Log().find("config.pro"), std::string::npos);
}

TEST(ApplyUserEnvironment, OtherMasterConfigNamesAndNoConfigAtAll) {
  EnvWorld w;
  std::filesystem::remove(ToFsPath(w.settings + "/Vantor_Config.pro"));
  w.Apply();
  EXPECT_EQ(w.Text(), "");
  EXPECT_FALSE(PathExists(w.home + "/config.pro"));
  WriteFile(w.settings + "/config.pro", "plain master");
  w.Apply();
  EXPECT_EQ(ReadFile(w.home + "/config.pro"), "plain master");
}

TEST(ApplyUserEnvironment, WithoutUserProfileItWarnsAndLeavesConfigAlone) {
  EnvWorld w;
  w.world.system.environment.erase("USERPROFILE");
  w.Apply();
  EXPECT_EQ(w.world.console.spans(),
            (std::vector<Span>{
                {7, "      "}, {14, "[WARNING] "}, {7, "Could not resolve USERPROFILE.\n"}}));
  EXPECT_EQ(w.world.system.environment.count("HOME"), 0u);
  EXPECT_EQ(w.world.system.environment["WorkPath"], w.anchor);
  EXPECT_EQ(ReadFile(w.userEnv + "/mapkeys.pro"), "master mapkeys");
}

TEST(EnforceManagedFile, KeepsTheUsersFileWhenItsBackupFails) {
  EnvWorld w;
  WriteFile(w.anchor + "/Vantor_Sweep", "a file where the bin folder belongs");
  WriteFile(w.home + "/config.pro", "precious");
  EnforceManagedFile(w.context(), w.settings + "/Vantor_Config.pro", w.home + "/config.pro", true,
                     "config.pro", Backup::Yes);
  EXPECT_EQ(ReadFile(w.home + "/config.pro"), "precious");
  EXPECT_EQ(w.world.console.spans(),
            (std::vector<Span>{
                {7, "\n      "},
                {14, "[WARNING] "},
                {7,
                 "Could not move config.pro to Vantor_Sweep bin (Not a directory). It was left "
                 "unchanged.\n"}}));
}

TEST(ApplyUserEnvironment, WithoutAMasterAnUnmovableConfigStaysAndIsReported) {
  EnvWorld w;
  std::filesystem::remove(ToFsPath(w.settings + "/Vantor_Config.pro"));
  WriteFile(w.anchor + "/Vantor_Sweep", "a file where the bin folder belongs");
  WriteFile(w.home + "/config.pro", "unmanaged");
  w.Apply();
  EXPECT_EQ(ReadFile(w.home + "/config.pro"), "unmanaged");
  EXPECT_NE(w.Text().find("\n      [WARNING] Could not move config.pro to Vantor_Sweep bin (Not a "
                          "directory). It was left unchanged.\n"),
            std::string::npos)
      << w.Text();
}

TEST(MoveToSweepBin, ReplacesAnOlderBinCopy) {
  EnvWorld w;
  WriteFile(w.BinCopy("config.pro"), "older backup");
  WriteFile(w.home + "/config.pro", "newer");
  EXPECT_EQ(MoveToSweepBin(w.context(), w.home + "/config.pro", "config.pro"), "");
  EXPECT_EQ(ReadFile(w.BinCopy("config.pro")), "newer");
  EXPECT_FALSE(PathExists(w.home + "/config.pro"));
}

}  // namespace
}  // namespace vantor
