#include "install/addon_installer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "install/addon_test_support.h"
#include "install/install_test_support.h"
#include "install/option_files_test_support.h"
#include "install/setup.h"
#include "shell/entry.h"

namespace vantor {
namespace {

using testing::AddOnWorld;
using testing::Canonical;
using testing::InstallerStart;
using testing::InstallWorld;
using testing::ReadFile;
using testing::WriteFile;

TEST(AddOnRules, IntegrationRoleByName) {
  EXPECT_EQ(IntegrationRoleOf("Extra_Mapkeys.pro"), IntegrationRole::Mapkeys);
  EXPECT_EQ(IntegrationRoleOf("addon_CONFIG.pro"), IntegrationRole::Configuration);
  EXPECT_EQ(IntegrationRoleOf("config_and_mapkeys.pro"), IntegrationRole::Configuration);
  EXPECT_EQ(IntegrationRoleOf("Tools.PRO"), IntegrationRole::Ignored);
  EXPECT_EQ(IntegrationRoleOf("config.pro.bak"), IntegrationRole::Ignored);
  EXPECT_EQ(IntegrationRoleOf("tools.pro"), IntegrationRole::Ignored);
}

TEST(AddOnRules, DroppedPathLosesItsQuotes) {
  EXPECT_EQ(CleanDroppedPath("\"C:\\My Packages\\addon.zip\""), "C:\\My Packages\\addon.zip");
  EXPECT_EQ(CleanDroppedPath("  C:\\a.zip \r"), "C:\\a.zip");
}

TEST(AddOnRules, PackagePathMustExistAndNameAZipCaseSensitively) {
  testing::TempDir dir;
  WriteFile(dir / "Addon.ZIP", "z");
  WriteFile(dir / "notes.zip.txt", "z");
  WriteFile(dir / "good.zip", "z");
  EXPECT_TRUE(IsAddOnPackagePath(dir / "good.zip"));
  EXPECT_TRUE(IsAddOnPackagePath(dir / "notes.zip.txt"));
  EXPECT_FALSE(IsAddOnPackagePath(dir / "Addon.ZIP"));
  EXPECT_FALSE(IsAddOnPackagePath(dir / "missing.zip"));
}

// An anchor with a package file; the fake tar "unpacks" by leaving whatever
// the test put into Vantor_Home beforehand.
TEST(InstallAddOnJob, EmptyInputReturnsAtOnce) {
  for (const bool closed : {false, true}) {
    AddOnWorld addOn;
    addOn.world.system.lines.clear();
    if (!closed) addOn.world.system.lines.push_back("  ");
    testing::WriteFile(addOn.dir / "cwd/VantorSP.ini", "CP_Countdown=Normal\r\n");
    addOn.Run();
    EXPECT_EQ(addOn.Output(), Canonical(InstallerStart()));
    EXPECT_TRUE(addOn.world.system.programRuns.empty());
    EXPECT_EQ(addOn.world.system.sleptMs, 0);
  }
}

TEST(InstallAddOnJob, InvalidPathAbortsAndTouchesNothing) {
  for (const std::string name : {"Addon.ZIP", "missing.zip"}) {
    AddOnWorld addOn;
    if (name == "Addon.ZIP") WriteFile(addOn.dir / name, "z");
    addOn.world.system.lines = {addOn.dir / name};
    addOn.Run();
    EXPECT_EQ(
        addOn.Output(),
        Canonical(InstallerStart() + "\n  {12}[!] Invalid file or path not found. Aborting.\n{7}"))
        << name;
    EXPECT_FALSE(PathExists(addOn.home));
    EXPECT_TRUE(addOn.world.system.programRuns.empty());
  }
}

TEST(InstallAddOnJob, FailedExtractionKeepsTheBackup) {
  AddOnWorld addOn;
  WriteFile(addOn.master, "units mm\r\n");
  addOn.Run();  // the package is "zip", three bytes
  EXPECT_EQ(addOn.Output(),
            Canonical(InstallerStart() + "\n  {8}[*] Extracting Payload...\n{7}" +
                      "  {12}[!] Extraction failed (Corrupt ZIP?). Aborting.\n{7}"));
  EXPECT_TRUE(addOn.world.system.programRuns.empty());  // refused before tar runs
  EXPECT_EQ(ReadFile(addOn.backup), "units mm\r\n");
  EXPECT_EQ(addOn.HomeEntries(), std::vector<std::string>{"Settings"});
}

TEST(InstallAddOnJob, TarThatCannotStartIsAFailedExtraction) {
  AddOnWorld addOn;
  addOn.world.system.runRealPrograms = false;
  addOn.world.system.programOutput = std::nullopt;
  WriteFile(addOn.source + "/Library/part.prt", "p");
  addOn.Run();
  EXPECT_NE(addOn.Output().find("[!] Extraction failed: tar could not be started (No such file or "
                                "directory). Aborting.\n"),
            std::string::npos)
      << addOn.Output();
}

TEST(InstallAddOnJob, PackageWithoutIntegrationFolder) {
  AddOnWorld addOn;
  WriteFile(addOn.source + "/Library/part.prt", "p");
  addOn.Run();
  EXPECT_EQ(addOn.Output(),
            Canonical(InstallerStart() + "  {8}[*] Initializing Vantor_Home foundation...\n{7}" +
                      "\n  {8}[*] Extracting Payload...\n{7}" +
                      "  {10}[+] Package extracted. (No dynamic integration files found).\n{7}"));
  EXPECT_TRUE(IsDirectory(addOn.settings));
  EXPECT_EQ(ReadFile(addOn.home + "/Library/part.prt"), "p");
  EXPECT_EQ(addOn.HomeEntries(), (std::vector<std::string>{"Library", "Settings"}));
}

TEST(InstallAddOnJob, MergesConfigurationAppendsMapkeysAndCleansUp) {
  AddOnWorld addOn;
  WriteFile(addOn.master, "! master\r\nDisplay_Mode wireframe\r\nunits mm\r\n");
  WriteFile(addOn.mapkeys, "mapkey old @a;\r\n");
  WriteFile(addOn.source + "/Integration/addon_config.pro", "display_mode shade\nnew_opt 1\n");
  WriteFile(addOn.source + "/Integration/Extra_Mapkeys.pro", "mapkey x @y;\n");
  WriteFile(addOn.source + "/Integration/Tools.PRO", "ignored yes\n");
  addOn.Run();
  EXPECT_EQ(addOn.Output(), Canonical(InstallerStart() + "\n  {8}[*] Extracting Payload...\n{7}" +
                                      "  {11}[+] Appending Mapkeys:     {7}Extra_Mapkeys.pro\n" +
                                      "  {11}[+] Merging Configuration: {7}addon_config.pro\n" +
                                      "\n  {10}[+] Add-on Successfully Integrated.\n{7}"));
  EXPECT_EQ(ReadFile(addOn.master), "! master\r\ndisplay_mode shade\r\nunits mm\r\nnew_opt 1\r\n");
  const std::string rule = "! " + std::string(40, '-') + "\r\n";
  EXPECT_EQ(ReadFile(addOn.mapkeys),
            "mapkey old @a;\r\n\r\n" + rule +
                "! --- Appended by Vantor Extension: Extra_Mapkeys.pro ---\r\n" + rule +
                "mapkey x @y;\r\n\r\n");
  EXPECT_EQ(addOn.HomeEntries(), std::vector<std::string>{"Settings"});
  EXPECT_FALSE(PathExists(addOn.backup));
}

TEST(InstallAddOnJob, TwoConfigurationFilesWithoutMasterBothCount) {
  AddOnWorld addOn;
  WriteFile(addOn.source + "/Integration/a_config.pro", "one 1\n");
  WriteFile(addOn.source + "/Integration/b_config.pro", "two 2\n");
  addOn.Run();
  const std::string text = addOn.Output();
  EXPECT_NE(text.find("{7}a_config.pro\n      {8}[-] Master Config not found. Creating new "
                      "file.\n{7}  {11}[+] Merging Configuration: {7}b_config.pro\n"),
            std::string::npos);
  EXPECT_EQ(ReadFile(addOn.master), "one 1\r\ntwo 2\r\n");
}

TEST(InstallAddOnJob, TheSamePackageInstalledTwiceGivesTheFilesOfOneInstall) {
  AddOnWorld addOn;
  const testing::OptionFileShape user{"user", 0, 30, 0, 40};
  const testing::OptionFileShape tools{"tools", 20, 30, 30, 50, false, "\n"};
  WriteFile(addOn.master, testing::OptionFileBytes(user));
  const auto unpack = [&] {
    WriteFile(addOn.source + "/Integration/tools_config.pro", testing::OptionFileBytes(tools));
    WriteFile(addOn.source + "/Integration/tools_mapkeys.pro", testing::MapkeyLines(7, "tools"));
  };
  unpack();
  addOn.Run();
  const std::string config = ReadFile(addOn.master);
  const std::string mapkeys = ReadFile(addOn.mapkeys);
  EXPECT_NE(config.find("mapkey k49 "), std::string::npos);
  addOn.world.system.lines.push_back("\"" + addOn.package + "\"");
  unpack();
  addOn.Run();
  EXPECT_EQ(ReadFile(addOn.master), config);
  EXPECT_EQ(ReadFile(addOn.mapkeys), mapkeys);
}

TEST(InstallAddOnJob, MissingMasterMapkeysIsCreated) {
  AddOnWorld addOn;
  WriteFile(addOn.source + "/Integration/mapkeys.pro", "mapkey z @z;");
  addOn.Run();
  EXPECT_NE(addOn.Output().find("      {8}[-] Master Mapkeys not found. Creating new file.\n{7}"),
            std::string::npos);
  // A last line without its line end gets one; an empty line closes the block.
  EXPECT_TRUE(EndsWith(ReadFile(addOn.mapkeys),
                       "---\r\n! " + std::string(40, '-') + "\r\nmapkey z @z;\r\n\r\n"));
}

TEST(InstallAddOnJob, MergeErrorRestoresTheMasterFromItsBackup) {
  AddOnWorld addOn;
  WriteFile(addOn.master, "units mm\r\n");
  WriteFile(addOn.source + "/Integration/a_config.pro", "units inch\n");
  WriteFile(addOn.source + "/Integration/b_mapkeys.pro", "mapkey x @y;\n");
  ASSERT_TRUE(CreateFolders(addOn.mapkeys));  // cannot be read or replaced
  addOn.Run();
  EXPECT_TRUE(EndsWith(addOn.Output(),
                       Canonical("{7}b_mapkeys.pro\n\n  {12}[!] Merge encountered an error (Is a "
                                 "directory). Rolling back changes...\n{7}")));
  EXPECT_EQ(ReadFile(addOn.master), "units mm\r\n");
  EXPECT_FALSE(PathExists(addOn.backup));
  EXPECT_EQ(addOn.HomeEntries(), std::vector<std::string>{"Settings"});
}

TEST(InstallAddOnJob, AMasterThatCannotBeBackedUpStopsTheInstallBeforeExtraction) {
  struct Case {
    const char* name;
    std::function<void(AddOnWorld&)> arrange;
    const char* reason;
  };
  const std::vector<Case> cases = {
      {"master is a folder", [](AddOnWorld& a) { ASSERT_TRUE(CreateFolders(a.master)); },
       "Is a directory"},
      {"backup name is a folder",
       [](AddOnWorld& a) {
         WriteFile(a.master, "units mm\r\n");
         WriteFile(a.backup + "/older.pro", "older\r\n");
       },
       "Is a directory"},
      {"master is a link",
       [](AddOnWorld& a) {
         WriteFile(a.dir / "elsewhere.pro", "units mm\r\n");
         ASSERT_TRUE(CreateFolders(a.settings));
         std::filesystem::create_symlink(ToFsPath(a.dir / "elsewhere.pro"), ToFsPath(a.master));
       },
       "Operation not permitted"},
  };
  for (const Case& c : cases) {
    AddOnWorld addOn;
    WriteFile(addOn.dir / "cwd/VantorSP.ini", "CP_Countdown=Normal\r\n");
    c.arrange(addOn);
    WriteFile(addOn.source + "/Integration/a_config.pro", "units inch\n");
    WriteFile(addOn.source + "/Library/part.prt", "p");
    addOn.Run();
    const std::string stop = "\n  {12}[!] Install stopped: " + addOn.master +
                             " could not be backed up (" + c.reason + "). Aborting.\n{7}";
    EXPECT_TRUE(addOn.Output().starts_with(Canonical(InstallerStart() + stop))) << c.name << "\n"
                                                                                << addOn.Output();
    EXPECT_GE(addOn.world.system.sleptMs, 10000) << c.name;         // the closing countdown ran
    EXPECT_TRUE(addOn.world.system.programRuns.empty()) << c.name;  // tar never ran
    EXPECT_EQ(addOn.HomeEntries(), std::vector<std::string>{"Settings"}) << c.name;
    if (!IsDirectory(addOn.master)) {
      EXPECT_EQ(ReadFile(addOn.master), "units mm\r\n") << c.name;
    }
    EXPECT_FALSE(PathExists(addOn.mapkeys)) << c.name;
  }
}

TEST(InstallAddOnJob, AFailedRestoreSaysSoAndKeepsTheBackup) {
  // The package puts a folder where the master was (the master goes to the
  // bin), so its merge fails and the backup cannot be written back either.
  AddOnWorld addOn;
  WriteFile(addOn.master, "units mm\r\n");
  WriteFile(addOn.source + "/Settings/Vantor_config.pro/readme.txt", "r");
  WriteFile(addOn.source + "/Integration/a_config.pro", "units inch\n");
  addOn.Run();
  EXPECT_TRUE(EndsWith(addOn.Output(),
                       Canonical("{7}a_config.pro\n\n  {12}[!] Merge encountered an error (Is a "
                                 "directory). Rolling back changes...\n{7}  {12}[!] Could not "
                                 "restore " +
                                 addOn.master + " (Is a directory). Its backup stays at " +
                                 addOn.backup + ".\n{7}")))
      << addOn.Output();
  EXPECT_EQ(ReadFile(addOn.backup), "units mm\r\n");
}

TEST(InstallAddOnJob, MergeErrorRemovesAMasterThatDidNotExist) {
  AddOnWorld addOn;
  WriteFile(addOn.source + "/Integration/a_config.pro", "units inch\n");
  WriteFile(addOn.source + "/Integration/b_mapkeys.pro", "mapkey x @y;\n");
  ASSERT_TRUE(CreateFolders(addOn.mapkeys));
  addOn.Run();
  EXPECT_NE(addOn.Output().find("[!] Merge encountered an error (Is a directory)."),
            std::string::npos);
  EXPECT_FALSE(PathExists(addOn.master));
}

TEST(InstallAddOnJob, ABackupLeftByAnEarlierRunIsKept) {
  // Without a master there is nothing to back up; the older backup may be the
  // user's only copy of their settings.
  AddOnWorld addOn;
  WriteFile(addOn.backup, "older\r\n");
  WriteFile(addOn.source + "/Integration/x_config.pro", "units inch\n");
  addOn.Run();
  EXPECT_EQ(ReadFile(addOn.master), "units inch\r\n");
  EXPECT_EQ(ReadFile(addOn.backup), "older\r\n");
}

TEST(InstallAddOnJob, MenuKeyAOpensTheInstallerAndReturnsToTheMenu) {
  AddOnWorld addOn;
  addOn.world.system.lines = {""};
  addOn.world.system.Type("a");
  ShowMainMenu(addOn.world.context);
  const std::string text = addOn.world.console.Text();
  EXPECT_NE(text.find("[S, M, A, U, H, Q]: A\n\n<cls>"), std::string::npos);
  EXPECT_NE(text.find("Vantor Extension Installer"), std::string::npos);
  EXPECT_TRUE(text.ends_with(": Q\n"));
}

TEST(ArchiveCommand, UnpacksAZipWithThePlatformTar) {
  testing::TempDir dir;
  WriteFile(dir / "src/Integration/x_config.pro", "a 1\n");
  WriteFile(dir / "src/Library/part.prt", "p");
  System& system = RealSystem();
  const auto packed =
      system.RunProgram("bsdtar", {"-a", "-cf", dir / "pkg.zip", "-C", dir / "src", "."});
  ASSERT_TRUE(packed && packed->exitCode == 0);
  ASSERT_TRUE(CreateFolders(dir / "home"));
  const ProgramCall call = ExtractArchiveCommand(dir / "pkg.zip", dir / "home");
  const auto unpacked = system.RunProgram(call.program, call.arguments);
  ASSERT_TRUE(unpacked);
  EXPECT_EQ(unpacked->exitCode, 0);
  EXPECT_EQ(ReadFile(dir / "home/Integration/x_config.pro"), "a 1\n");
  EXPECT_EQ(ReadFile(dir / "home/Library/part.prt"), "p");

  WriteFile(dir / "broken.zip", "not a zip");
  const ProgramCall broken = ExtractArchiveCommand(dir / "broken.zip", dir / "home");
  const auto failed = system.RunProgram(broken.program, broken.arguments);
  ASSERT_TRUE(failed);
  EXPECT_NE(failed->exitCode, 0);
}

}  // namespace
}  // namespace vantor
