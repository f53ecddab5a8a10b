#include "install/setup.h"

#include <gtest/gtest.h>

#include "base/paths.h"
#include "install/explorer_menu.h"
#include "install/install_console.h"
#include "install/install_test_support.h"
#include "install/shortcuts.h"

namespace vantor {
namespace {

using testing::BoxTranscript;
using testing::Canonical;
using testing::InfoTranscript;
using testing::InstallWorld;
using testing::ReadFile;

const std::string kSetupBox = BoxTranscript("Installing Vantor Environment Setup...", 11);
const std::string kCompleteBox = BoxTranscript("Setup Complete.", 10);
const std::string kElevationRequest =
    "{7}  {14}[INFO] Requesting Administrator elevation for Context Menu registration...\n";
const std::string kNotRegistered =
    "{7}         Right-click menus were NOT registered (Elevation declined).\n\n";

// Everything the user stage prints after the scaffold's own lines, up to
// the request for elevation.
std::string AfterScaffold(const std::string& desktopLines) {
  return "      {10}[+] Directories and templates initialized.\n\n" +
         InfoTranscript("Launching Migration Wizard...\n") +
         "{7}      {14}[-] Migration skipped. Proceeding with clean environment.\n\n" +
         InfoTranscript("Generating Personal Desktop Shortcuts...\n") + desktopLines +
         kElevationRequest;
}

std::string MachineStage(const std::string& registryLine, const std::string& startMenuLines) {
  return InfoTranscript("Registering Right-Click menus...\n") + registryLine +
         InfoTranscript("Generating Start Menu Shortcuts...\n") + startMenuLines;
}

const std::string kRegistryConfigured = "{7}      {10}[+] Registry keys configured.\n\n";
const std::string kDesktopCreated = "{7}      {10}[+] Desktop Shortcuts created.\n\n";

bool WizardNeverRuns(Context&, const std::string&) {
  ADD_FAILURE() << "the migration wizard ran";
  return false;
}

TEST(InstallBox, BytesAndColours) {
  testing::RecordingConsole console;
  PrintInstallBox(console, "Setup Complete.", color::kGreen);
  const std::string rule(60, '\xCD');
  EXPECT_EQ(console.Bytes(), "\n  \xC9" + rule + "\xBB\n  \xBA Setup Complete." +
                                 std::string(43, ' ') + " \xBA\n  \xC8" + rule + "\xBC\n\n");
  ASSERT_EQ(console.spans().size(), 4u);
  EXPECT_EQ(console.spans()[2].color, color::kGreen);
  EXPECT_EQ(console.spans()[2].text, "Setup Complete." + std::string(43, ' '));
  EXPECT_EQ(console.color(), color::kGrey);
}

TEST(SetupUserStage, ScaffoldWizardDesktopShortcutsThenDeclinedElevation) {
  InstallWorld w;
  w.world.system.elevation = ElevationResult::Declined;
  RunSetup(w.world.context);
  const std::string out = w.Output();
  const std::string home = w.anchor + "/Vantor_Home";
  EXPECT_TRUE(out.starts_with(Canonical("{7}" + kSetupBox +
                                        InfoTranscript("Building Workspace Scaffold...\n") +
                                        "{7}      {8}[*] Vantor_Home    : {11}" + home + "\n")))
      << out;
  EXPECT_TRUE(out.ends_with(Canonical(
      "[+] Extracted file:   {7}Vantor_Env_Mgr_Read_Me.pdf (to Documentation)\n" +
      AfterScaffold(kDesktopCreated) + "{14}\n  [WARNING] Credentials Elevation declined.\n" +
      kNotRegistered + kCompleteBox)))
      << out;
  EXPECT_EQ(w.world.console.color(), color::kGrey);
  EXPECT_TRUE(IsDirectory(home + "/Settings"));
  EXPECT_EQ(ReadFile(w.anchor + "/Vantor.ini"), std::string(*EmbeddedResource(109)));

  const std::vector<ShellLink> links{
      {w.desktop + "/Acme.lnk", w.exe, "/L", "Vantor Launcher", w.exe, 2, w.foundation, 1},
      {w.desktop + "/Vantor Restore.lnk", w.exe, "/R", "Vantor Restore Utility", w.exe, 0,
       w.foundation, 7},
  };
  EXPECT_EQ(w.world.system.shellLinks, links);
  EXPECT_TRUE(w.world.system.registryCalls.empty());
  EXPECT_FALSE(PathExists(w.startFolder));
}

TEST(SetupUserStage, ElevatedCopyStartedEndsThisProcess) {
  InstallWorld w;
  w.world.system.elevation = ElevationResult::Started;
  int code = -1;
  try {
    RunSetup(w.world.context);
  } catch (const testing::ProcessEnded& ended) {
    code = ended.code;
  }
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(w.Output().ends_with(Canonical(AfterScaffold(kDesktopCreated)))) << w.Output();
}

TEST(SetupUserStage, FailedElevationStillCompletes) {
  InstallWorld w;  // the fake's elevation fails without a prompt
  RunSetup(w.world.context);
  EXPECT_TRUE(w.Output().ends_with(
      Canonical(AfterScaffold(kDesktopCreated) + kNotRegistered + kCompleteBox)))
      << w.Output();
}

TEST(SetupUserStage, ASuccessfulMigrationIsReported) {
  InstallWorld w;
  static std::string wizardAnchor;
  RunSetup(w.world.context, [](Context&, const std::string& anchor) {
    wizardAnchor = anchor;
    return true;
  });
  EXPECT_EQ(wizardAnchor, w.anchor);
  EXPECT_NE(w.Output().find(
                Canonical(InfoTranscript("Launching Migration Wizard...\n") +
                          "{7}      {10}[+] Legacy environment migrated successfully.\n\n{7}  ")),
            std::string::npos)
      << w.Output();
}

TEST(SetupUserStage, RunningTwiceKeepsFilesAndRewritesTheShortcuts) {
  InstallWorld w;
  RunSetup(w.world.context);
  EXPECT_NE(w.Output().find("[+] Extracted file:"), std::string::npos);
  testing::WriteFile(w.anchor + "/Vantor.ini", "CP_Keep_N=4\r\n");
  w.world.console.Reset();
  RunSetup(w.world.context);
  EXPECT_EQ(w.Output().find("[+] Extracted file:"), std::string::npos);
  EXPECT_NE(w.Output().find("[+] Directories and templates initialized."), std::string::npos);
  EXPECT_EQ(ReadFile(w.anchor + "/Vantor.ini"), "CP_Keep_N=4\r\n");
  ASSERT_EQ(w.world.system.shellLinks.size(), 4u);
  EXPECT_EQ(w.world.system.shellLinks[2], w.world.system.shellLinks[0]);
  EXPECT_EQ(w.world.system.shellLinks[3], w.world.system.shellLinks[1]);
}

TEST(SetupUserStage, MissingScaffoldPartsAreNamedInsteadOfSuccess) {
  InstallWorld w;
  testing::WriteFile(w.anchor + "/Vantor_Home", "a file where the folder belongs");
  RunSetup(w.world.context);
  const std::string home = w.anchor + "/Vantor_Home";
  const std::string expected = "      {14}[!] Could not create: " + home + "\n" +
                               "{7}      {14}[!] Could not create: " + home + "/Settings\n" +
                               "{7}      {14}[!] Could not create: " + home + "/Templates\n" +
                               "{7}      {14}[!] Could not create: " + home + "/Documentation\n" +
                               "{7}      {14}[!] Could not create: " + home +
                               "/Templates/VantorSP.ini\n" +
                               "{7}      {14}[!] Could not create: " + home +
                               "/Documentation/Vantor_Env_Mgr_Read_Me.pdf\n{7}\n" +
                               InfoTranscript("Launching Migration Wizard...\n");
  EXPECT_NE(w.Output().find(Canonical(expected)), std::string::npos) << w.Output();
  EXPECT_EQ(w.Output().find("initialized"), std::string::npos);
}

TEST(SetupUserStage, ShortcutFailuresAreReportedInsteadOfSuccess) {
  InstallWorld w;
  w.world.system.failingLinkPaths.insert(w.desktop + "/Vantor Restore.lnk");
  RunSetup(w.world.context);
  EXPECT_TRUE(w.Output().ends_with(Canonical(
      AfterScaffold(
          "{7}      {14}[!] Shortcut could not be written: Vantor Restore.lnk (Permission "
          "denied)\n{7}\n") +
      kNotRegistered + kCompleteBox)))
      << w.Output();
  EXPECT_EQ(w.world.system.shellLinks.size(), 2u);  // the launcher was still written

  InstallWorld unknown;
  unknown.world.system.desktopFolder = "";
  RunSetup(unknown.world.context);
  EXPECT_TRUE(unknown.Output().ends_with(Canonical(
      AfterScaffold(
          "{7}      {14}[!] Desktop folder not found. Desktop Shortcuts were NOT created.\n\n") +
      kNotRegistered + kCompleteBox)))
      << unknown.Output();
  EXPECT_TRUE(unknown.world.system.shellLinks.empty());
}

TEST(SetupMachineStage, RegistersMenusAndTheStartMenuOnly) {
  InstallWorld w;
  w.world.system.administrator = true;
  RunSetup(w.world.context, WizardNeverRuns);
  EXPECT_EQ(
      w.Output(),
      Canonical("{7}" + kSetupBox +
                MachineStage(kRegistryConfigured,
                             "{7}      {10}[+] Start Menu folder and shortcuts created.\n\n") +
                kCompleteBox));
  EXPECT_EQ(w.world.console.color(), color::kGrey);
  // No scaffold, no desktop shortcuts.
  EXPECT_FALSE(PathExists(w.anchor + "/Vantor_Home"));
  EXPECT_TRUE(IsDirectory(w.startFolder));
  EXPECT_EQ(w.world.system.shellLinks,
            StartMenuShortcuts(InstallPathsOf(w.exe), w.startFolder, PathStyle::Posix));
  for (const auto& link : w.world.system.shellLinks) EXPECT_EQ(link.workingFolder, w.foundation);

  // The five trees go first, then the fifteen values in table order.
  std::vector<testing::FakeSystem::RegistryCall> expected;
  for (const char* key : {"Software\\Classes\\Directory\\shell\\Vantor_Clean",
                          "Software\\Classes\\Directory\\Background\\shell\\Vantor_Clean",
                          "Software\\Classes\\Directory\\shell\\Vantor_Launch",
                          "Software\\Classes\\Directory\\Background\\shell\\Vantor_Launch",
                          "Software\\Classes\\*\\shell\\Vantor_Launch"})
    expected.push_back({"delete", key, "", ""});
  for (const auto& value : ExplorerMenuValues(w.exe))
    expected.push_back({"set", value.key, value.name, value.data});
  EXPECT_EQ(w.world.system.registryCalls, expected);
}

TEST(SetupMachineStage, FailuresAreReportedAndSetupCompletes) {
  InstallWorld w;
  w.world.system.administrator = true;
  w.world.system.failingRegistryKeys.insert("Software\\Classes\\*\\shell\\Vantor_Launch");
  w.world.system.failingLinkPaths.insert(w.startFolder + "/Vantor Home.lnk");
  RunSetup(w.world.context, WizardNeverRuns);
  EXPECT_EQ(w.Output(),
            Canonical("{7}" + kSetupBox +
                      MachineStage("{7}      {14}[!] 2 of 15 registry values could not be "
                                   "written (Permission denied). Right-click menus are "
                                   "incomplete.\n\n",
                                   "{7}      {14}[!] Shortcut could not be written: Vantor "
                                   "Home.lnk (Permission denied)\n{7}\n") +
                      kCompleteBox));
}

TEST(SetupMachineStage, NoStartMenuFolderNoShortcuts) {
  InstallWorld w;
  w.world.system.administrator = true;
  std::filesystem::remove(ToFsPath(w.programs));
  testing::WriteFile(w.programs, "a file where the folder belongs");
  RunSetup(w.world.context, WizardNeverRuns);
  EXPECT_EQ(w.Output(), Canonical("{7}" + kSetupBox +
                                  MachineStage(kRegistryConfigured,
                                               "{7}      {14}[!] Start Menu folder could not be "
                                               "created: " +
                                                   w.startFolder + "\n\n") +
                                  kCompleteBox));
  EXPECT_TRUE(w.world.system.shellLinks.empty());

  InstallWorld unknown;
  unknown.world.system.administrator = true;
  unknown.world.system.programsFolder = "";
  RunSetup(unknown.world.context, WizardNeverRuns);
  EXPECT_NE(unknown.Output().find("[!] Start Menu folder not found. Start Menu Shortcuts were "
                                  "NOT created.\n\n"),
            std::string::npos);
  EXPECT_FALSE(PathExists("Vantor Manager"));
  EXPECT_TRUE(unknown.world.system.shellLinks.empty());
}

TEST(ExplorerMenus, FifteenValuesInTableOrder) {
  const std::string exe = "C:\\Tools\\Vantor\\Vantor.exe";
  const std::string folder = "Software\\Classes\\Directory\\shell\\";
  const std::string background = "Software\\Classes\\Directory\\Background\\shell\\";
  const std::string file = "Software\\Classes\\*\\shell\\";
  const std::vector<RegistryValue> expected{
      {folder + "Vantor_Launch", "", "Vantor Launcher"},
      {folder + "Vantor_Launch", "Icon", exe + ",2"},
      {folder + "Vantor_Launch\\command", "", "\"" + exe + "\" /L \"%1\""},
      {background + "Vantor_Launch", "", "Vantor Launcher"},
      {background + "Vantor_Launch", "Icon", exe + ",2"},
      {background + "Vantor_Launch\\command", "", "\"" + exe + "\" /L \"%V\""},
      {file + "Vantor_Launch", "", "Vantor Launcher"},
      {file + "Vantor_Launch", "Icon", exe + ",2"},
      {file + "Vantor_Launch\\command", "", "\"" + exe + "\" /L \"%1\""},
      {folder + "Vantor_Clean", "", "Vantor Cleaner"},
      {folder + "Vantor_Clean", "Icon", exe + ",1"},
      {folder + "Vantor_Clean\\command", "", "\"" + exe + "\" /C \"%1\""},
      {background + "Vantor_Clean", "", "Vantor Cleaner"},
      {background + "Vantor_Clean", "Icon", exe + ",1"},
      {background + "Vantor_Clean\\command", "", "\"" + exe + "\" /C \"%V\""},
  };
  EXPECT_EQ(ExplorerMenuValues(exe), expected);
}

}  // namespace
}  // namespace vantor
