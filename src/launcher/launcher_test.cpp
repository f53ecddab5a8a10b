#include "launcher/launcher.h"

#include <gtest/gtest.h>

#include <regex>
#include <stdexcept>

#include "launcher/launch_screens.h"
#include "launcher/launcher_test_support.h"

namespace vantor {
namespace {

using Span = testing::RecordingConsole::Span;
using testing::ExecutableOf;
using testing::LaunchWorld;
using testing::MakeCreoRoot;
using testing::ReadFile;
using testing::WriteFile;

// A launch on real folders with stand-in Creo installations, the other
// jobs replaced by recorders.
struct Launch : LaunchWorld {
  std::string root = dir / "PTC";
  std::string home = dir / "home";
  std::vector<std::string> calls;  // what the hooks saw, in order
  int editorResult = kEditorCancelled;
  std::function<void()> duringEditor = [] {};
  std::function<void()> duringSweep = [] {};

  Launch() {
    MakeCreoRoot(root, {"Creo 9.0.2.0", "Creo 10.0.0.0", "Creo 11.0.1.0"});
    CreateFolders(home);
    world.system.environment["USERPROFILE"] = home;
    // No registry entries: the PTC folder under ProgramFiles is the root.
    world.system.environment["ProgramFiles"] = dir.path();
    Master("CP_Launch_Sweep=Yes\r\n");
  }
  void Master(const std::string& text) { WriteFile(anchor + "/Vantor.ini", text); }
  // A model in the project saved by Creo `dataVersion` (none for 0).
  void ProbeData(int dataVersion) {
    if (dataVersion == 0) return;
    const std::string v = std::to_string(dataVersion);
    WriteFile(project + "/model" + v + ".prt",
              "#UGC:2 PART 1681 1500 2 1 0 26 2500\n#-END_OF_UGC_HEADER\n#Creo  TM  " + v +
                  ".0  (c) 2024 by PTC Inc.\n");
  }

  LauncherHooks Hooks() {
    LauncherHooks hooks;
    hooks.openEditor = [this](Context&, const std::string& target, const std::string& anchorFolder,
                              const std::string& installed, EditorMode mode) {
      calls.push_back("editor " + target + " " + anchorFolder + " " + installed +
                      (mode == EditorMode::Launcher ? " launcher" : " cleaner"));
      duringEditor();
      return editorResult;
    };
    hooks.maintainFolder = [this](Context&, const std::string& target, MaintenanceMode mode,
                                  SweepSwitch sweep) {
      calls.push_back(std::string("sweep ") + target +
                      (mode == MaintenanceMode::BeforeLaunch ? " before-launch" : " standalone") +
                      (sweep == SweepSwitch::On ? " on" : " off"));
      duringSweep();
    };
    hooks.countdown = [this](Context&, int seconds) {
      calls.push_back("countdown " + std::to_string(seconds));
    };
    return hooks;
  }
  void Run(const std::string& argument) { RunLauncher(context(), argument, Hooks()); }

  const auto& opens() const { return world.system.shellOpens; }
  std::string LogText() { return ReadFile(anchor + "/Vantor_Sweep/Vantor_Sweep.log"); }
  std::string Banner(const std::string& target) {
    testing::RecordingConsole console;
    PrintLauncherBanner(console, target, PathStyle::Posix);
    return console.Text();
  }
  std::string Box(const std::string& model, const std::string& label) {
    testing::RecordingConsole console;
    PrintLaunchBox(console, model, label);
    return console.Text();
  }
};

TEST(RunLauncher, AFolderStartsTheLatestCreoThere) {
  Launch l;
  l.ProbeData(11);
  l.Run(l.project);
  ASSERT_EQ(l.opens().size(), 1u);
  EXPECT_EQ(l.opens()[0].file, ExecutableOf(l.root, "Creo 11.0.1.0"));
  EXPECT_EQ(l.opens()[0].parameters, "");
  EXPECT_EQ(l.opens()[0].folder, l.project);
  EXPECT_EQ(l.Text(), l.Banner(l.project) + l.Box("", "11.0.1.0"));
  EXPECT_EQ(l.calls,
            (std::vector<std::string>{"sweep " + l.project + " before-launch on", "countdown 10"}));
  EXPECT_EQ(l.world.system.environment["HOME"], l.home);
  EXPECT_EQ(l.world.system.environment["WorkPath"], l.anchor);
  EXPECT_EQ(l.world.system.environment["PTC_WF_ROOT"], l.anchor + "/Vantor_UserEnv");
  EXPECT_TRUE(std::regex_match(
      l.LogText(),
      std::regex(
          "\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d \\| LAUNCH - CP 11\\.0\\.1\\.0 {15} \\| " +
          l.project + "\r\n")));
}

TEST(RunLauncher, AModelFileStartsCreoInItsFolderWithTheModel) {
  Launch l;
  WriteFile(l.project + "/bracket.prt.7", "part");
  l.ProbeData(11);
  l.Run(l.project + "/bracket.prt.7");
  ASSERT_EQ(l.opens().size(), 1u);
  EXPECT_EQ(l.opens()[0].parameters, "bracket.prt");
  EXPECT_EQ(l.opens()[0].folder, l.project);
  EXPECT_NE(l.Text().find("Loading bracket.prt with CP 11.0.1.0"), std::string::npos);
}

TEST(RunLauncher, APathThatDoesNotExistLaunchesInTheCurrentDirectory) {
  Launch l;
  l.ProbeData(0);
  l.Run(l.dir / "no such folder");
  ASSERT_EQ(l.opens().size(), 1u);
  EXPECT_EQ(l.opens()[0].folder, l.dir.path());
  EXPECT_EQ(l.calls.front(), "sweep " + l.dir.path() + " before-launch on");
}

// The models and the installations are read by the program itself: a
// launch starts no PowerShell, so a machine that restricts it launches all
// the same.
TEST(RunLauncher, ALaunchRunsNoScript) {
  Launch l;
  l.ProbeData(9);
  l.world.system.Type("U");
  l.Run(l.project);
  ASSERT_EQ(l.opens().size(), 1u);
  EXPECT_EQ(l.opens()[0].file, ExecutableOf(l.root, "Creo 11.0.1.0"));
  EXPECT_NE(l.Text().find("This folder contains CP 9 models."), std::string::npos);
  EXPECT_TRUE(l.world.scripts.scripts.empty());
  EXPECT_TRUE(l.world.scripts.stdinScripts.empty());
  EXPECT_TRUE(l.world.system.powershellRuns.empty());
}

TEST(RunLauncher, CreoCmdSkipsDiscoveryAndTheDataChecks) {
  Launch l;
  const std::string cmd = l.dir / "Tools/Creo Start/bin/x/start.sh";
  WriteFile(cmd, "#!/bin/sh\n");
  l.Master("CP_Creo_Cmd=" + cmd + "\r\n");
  // Newer data, nothing installed: no matter.
  l.ProbeData(12);
  l.world.system.environment["ProgramFiles"] = l.dir / "nothing here";
  l.Run(l.project);
  ASSERT_EQ(l.opens().size(), 1u);
  EXPECT_EQ(l.opens()[0].file, cmd);
  EXPECT_EQ(l.opens()[0].folder, l.project);
  EXPECT_NE(l.Text().find("Launching Creo Parametric Start "), std::string::npos);
  EXPECT_NE(l.LogText().find("| LAUNCH - CP Start"), std::string::npos);
}

TEST(RunLauncher, AMissingExecutableEndsTheLaunch) {
  Launch l;
  l.Master("CP_Creo_Cmd=" + l.dir / "missing.bat" + "\r\n");
  l.ProbeData(11);
  l.Run(l.project);
  EXPECT_TRUE(l.opens().empty());
  const auto& spans = l.world.console.spans();
  ASSERT_GE(spans.size(), 3u);
  EXPECT_EQ(spans[spans.size() - 2], (Span{12, "[!] CRITICAL: "}));
  EXPECT_EQ(spans.back(),
            (Span{14, "Target executable not found. Could not locate parametric.exe.\n"}));
  EXPECT_EQ(l.world.console.color(), 7);
  EXPECT_EQ(l.Text(), l.Banner(l.project) +
                          "      [!] CRITICAL: Target executable not found. Could not locate "
                          "parametric.exe.\n");
  EXPECT_EQ(l.calls.back(), "countdown 10");
  EXPECT_FALSE(PathExists(l.anchor + "/Vantor_Sweep/Vantor_Sweep.log"));
}

TEST(RunLauncher, ACreoThatCannotStartIsSaidAndNotLogged) {
  Launch l;
  l.ProbeData(11);
  l.world.system.shellOpenError = std::make_error_code(std::errc::permission_denied);
  l.Run(l.project);
  ASSERT_EQ(l.opens().size(), 1u);
  EXPECT_EQ(l.Text(), l.Banner(l.project) + l.Box("", "11.0.1.0") +
                          "      [!] CRITICAL: Creo could not be started (Permission denied).\n");
  EXPECT_EQ(l.world.console.color(), 7);
  EXPECT_EQ(l.calls.back(), "countdown 10");
  EXPECT_FALSE(PathExists(l.anchor + "/Vantor_Sweep/Vantor_Sweep.log"));
}

TEST(RunLauncher, TheSweepSwitch) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"CP_Launch_Sweep=n\r\n", "off"},  {"CP_Launch_Sweep=FALSE\r\n", "off"},
      {"CP_Launch_Sweep=0\r\n", "off"},  {"CP_Launch_Sweep=nO\r\n", "on"},
      {"CP_Launch_Sweep=off\r\n", "on"}, {"CP_Launch_Sweep=\r\n", "on"},
      {"CP_Countdown=None\r\n", "on"}};
  for (const auto& [ini, expected] : cases) {
    Launch l;
    l.Master(ini);
    l.ProbeData(11);
    l.Run(l.project);
    EXPECT_EQ(l.calls.front(), "sweep " + l.project + " before-launch " + expected) << ini;
  }
  Launch project;
  project.Master("CP_Launch_Sweep=Yes\r\n");
  WriteFile(project.project + "/VantorSP.ini", "CP_Launch_Sweep=No\r\n");
  project.ProbeData(11);
  project.Run(project.project);
  EXPECT_EQ(project.calls.front(), "sweep " + project.project + " before-launch off");
}

TEST(RunLauncher, AMissingMasterFileIsRestoredFirst) {
  Launch l;
  std::filesystem::remove(ToFsPath(l.anchor + "/Vantor.ini"));
  l.ProbeData(11);
  std::string printedAtSweep;
  l.duringSweep = [&] { printedAtSweep = l.Text(); };
  l.Run(l.project);
  EXPECT_EQ(ReadFile(l.anchor + "/Vantor.ini"), std::string(*EmbeddedResource(109)));
  EXPECT_EQ(printedAtSweep,
            l.Banner(l.project) +
                "\n      [INFO] Master Vantor.ini was restored from internal memory.\n");
  const auto& spans = l.world.console.spans();
  EXPECT_EQ(spans[6], (Span{14, "[INFO] "}));
  EXPECT_EQ(spans[7].color, 7);
  EXPECT_TRUE(spans[7].text.starts_with("Master Vantor.ini was restored from internal memory.\n"));
}

TEST(RunLauncher, ASpecialProjectIsPreparedAfterTheSweep) {
  Launch l;
  WriteFile(l.project + "/VantorSP.ini", "");
  l.ProbeData(11);
  std::string printedAtSweep;
  l.duringSweep = [&] { printedAtSweep = l.Text(); };
  l.Run(l.project);
  EXPECT_EQ(printedAtSweep, l.Banner(l.project));
  EXPECT_EQ(l.Text(), l.Banner(l.project) +
                          "\n      [*] Special Project Folder Detected\n"
                          "          Loading local VantorSP.ini overrides\n"
                          "          -> Extracted local config.pro\n" +
                          l.Box("", "11.0.1.0"));
  EXPECT_EQ(l.world.system.environment["PTC_WF_ROOT"], l.project + "/VantorSP_UserEnv");
}

constexpr const char* kChoice =
    "      [+] [SHIFT] key detected. Entering Vantor Configuration Editor\n\n"
    "      [B] Edit Baseline Vantor Configuration settings\n"
    "      [S] Edit Special Project Configuration Variance\n"
    "          Target folder will be designated as a Special Project with a Unique and "
    "Independent User Environment.\n"
    "          (VantorSP.ini, and VantorSP_UserEnv folder for custom UI and Windchill cache)\n\n"
    "      Action [B/S]: ";

TEST(RunLauncher, ShiftOffersBaselineOrSpecialProject) {
  Launch l;
  l.world.system.shiftHeld = true;
  l.world.system.Type("xqs");
  l.ProbeData(11);
  l.Run(l.project);
  EXPECT_EQ(l.calls[0], "editor " + l.project + " " + l.anchor + " 11,9,10 launcher");
  // [S] leaves the template even though the edit was cancelled.
  EXPECT_EQ(ReadFile(l.project + "/VantorSP.ini"), std::string(*EmbeddedResource(108)));
  const std::string text = l.Text();
  const std::string expected = l.Banner(l.project) + kChoice + "S\n\n" +
                               "      [+] Special Project designated. Opening Editor...\n" +
                               "<cls>" + l.Banner(l.project) + "\r" + std::string(70, ' ') +
                               "\r  " + "    [-] Edit canceled. Resuming launch sequence...\n";
  EXPECT_EQ(text.substr(0, expected.size()), expected);
  EXPECT_NE(text.find("[*] Special Project Folder Detected"), std::string::npos);

  const auto& spans = l.world.console.spans();
  const auto at = [&](const Span& span) {
    return std::find(spans.begin(), spans.end(), span) != spans.end();
  };
  EXPECT_TRUE(at({11, "[+] [SHIFT] key detected. Entering Vantor Configuration Editor\n\n"}));
  EXPECT_TRUE(at({7,
                  "      [B] Edit Baseline Vantor Configuration settings\n"
                  "      [S] Edit Special Project Configuration Variance\n"}));
  EXPECT_TRUE(at({8,
                  "          Target folder will be designated as a Special Project with a "
                  "Unique and Independent User Environment.\n"
                  "          (VantorSP.ini, and VantorSP_UserEnv folder for custom UI and "
                  "Windchill cache)\n\n"}));
  EXPECT_TRUE(at({7, "      Action [B/S]: S\n\n      "}));
  EXPECT_TRUE(at({10, "[+] Special Project designated. Opening Editor...\n"}));
  EXPECT_TRUE(at({14, "    [-] Edit canceled. Resuming launch sequence...\n"}));
}

TEST(RunLauncher, ShiftBaselineAndSettingsTakeEffectInTheSameLaunch) {
  Launch l;
  l.world.system.shiftHeld = true;
  l.world.system.Type("b");
  l.editorResult = kEditorSaved;
  l.duringEditor = [&] { l.Master("CP_Launch_Sweep=No\r\n"); };
  l.ProbeData(11);
  l.Run(l.project);
  EXPECT_FALSE(PathExists(l.project + "/VantorSP.ini"));
  EXPECT_EQ(l.calls[1], "sweep " + l.project + " before-launch off");
  const std::string text = l.Text();
  EXPECT_NE(text.find(std::string(kChoice) + "B\n\n      [*] Opening Baseline Editor...\n<cls>"),
            std::string::npos);
  const auto& spans = l.world.console.spans();
  EXPECT_NE(std::find(spans.begin(), spans.end(), Span{11, "[*] Opening Baseline Editor...\n"}),
            spans.end());
  EXPECT_NE(std::find(spans.begin(), spans.end(),
                      Span{10, "    [+] Settings updated. Resuming launch sequence...\n"}),
            spans.end());
}

TEST(RunLauncher, ShiftOnASpecialProjectOpensItsVarianceDirectly) {
  Launch l;
  WriteFile(l.project + "/VantorSP.ini", "");
  l.world.system.shiftHeld = true;
  l.editorResult = kEditorProjectRemoved;
  l.duringEditor = [&] { std::filesystem::remove(ToFsPath(l.project + "/VantorSP.ini")); };
  l.ProbeData(11);
  l.Run(l.project);
  const std::string text = l.Text();
  EXPECT_EQ(text.substr(0, text.find("<cls>")),
            l.Banner(l.project) +
                "      [+] [SHIFT] key detected.\n"
                "      Target folder is Vantor Special Project. Opening Special Project "
                "Configuration Variance...\n");
  const auto& spans = l.world.console.spans();
  EXPECT_NE(std::find(spans.begin(), spans.end(),
                      Span{10, "    [+] Special Project removed. Resuming standard launch...\n"}),
            spans.end());
  EXPECT_EQ(text.find("Special Project Folder Detected"), std::string::npos);
  EXPECT_EQ(l.world.system.environment["PTC_WF_ROOT"], l.anchor + "/Vantor_UserEnv");
}

TEST(RunLauncher, ShiftWithoutAnyInputTakesTheBaseline) {
  Launch l;
  l.world.system.shiftHeld = true;
  l.ProbeData(11);
  l.Run(l.project);
  EXPECT_NE(l.Text().find("Action [B/S]: B\n\n"), std::string::npos);
  EXPECT_FALSE(PathExists(l.project + "/VantorSP.ini"));
  EXPECT_EQ(l.opens().size(), 1u);
}

// Without PowerShell the settings window cannot show: one line says so,
// stays on the screen, and the launch goes on.
TEST(RunLauncher, ShiftWithoutPowerShellSaysSoAndLaunches) {
  Launch l;
  l.world.system.shiftHeld = true;
  l.world.system.Type("B");
  l.world.scripts.failure =
      WindowNeedsPowerShell(std::make_error_code(std::errc::no_such_file_or_directory));
  LauncherHooks hooks = l.Hooks();
  hooks.openEditor = OpenConfigurationEditor;
  RunLauncher(l.context(), l.project, hooks);
  const std::string said =
      "      [*] Opening Baseline Editor...\n"
      "\n      [ERROR] Configuration editor failed: this window needs PowerShell, which did not "
      "start (No such file or directory).\n"
      "\r" +
      std::string(70, ' ') + "\r      [-] Edit canceled. Resuming launch sequence...\n";
  EXPECT_NE(l.Text().find(said), std::string::npos) << l.Text();
  EXPECT_EQ(l.Text().find("<cls>"), std::string::npos);
  EXPECT_EQ(l.opens().size(), 1u);
}

TEST(RunLauncher, QuitAtTheLegacyPromptEndsWithoutCountdown) {
  Launch l;
  l.world.system.Type("Q");
  l.ProbeData(9);
  l.Run(l.project);
  EXPECT_TRUE(l.opens().empty());
  EXPECT_EQ(l.calls, (std::vector<std::string>{"sweep " + l.project + " before-launch on"}));
  EXPECT_FALSE(PathExists(l.project + "/VantorSP.ini"));
}

TEST(RunLauncher, PreserveStartsTheDataVersionInItsOwnEnvironment) {
  Launch l;
  l.world.system.Type("P");
  l.ProbeData(9);
  l.Run(l.project);
  ASSERT_EQ(l.opens().size(), 1u);
  EXPECT_EQ(l.opens()[0].file, ExecutableOf(l.root, "Creo 9.0.2.0"));
  EXPECT_NE(ReadFile(l.project + "/VantorSP.ini").find("\r\nCP_Version_Max=9\r\n"),
            std::string::npos);
  EXPECT_EQ(l.world.system.environment["PTC_WF_ROOT"], l.project + "/VantorSP_UserEnv");
  EXPECT_NE(l.LogText().find("LAUNCH - CP 9.0.2.0"), std::string::npos);
}

TEST(RunLauncher, NewerDataStopsTheLaunch) {
  Launch l;
  l.ProbeData(12);
  l.Run(l.project);
  EXPECT_TRUE(l.opens().empty());
  EXPECT_NE(l.Text().find("[!] INCOMPATIBLE DATA: "), std::string::npos);
  EXPECT_EQ(l.calls.back(), "countdown 10");
}

TEST(RunLauncher, TheLaunchEventGoesAboveEarlierLines) {
  Launch l;
  WriteFile(l.anchor + "/Vantor_Sweep/Vantor_Sweep.log",
            "2026-01-01 10:00:00 | SWEEP - 0 Models, 0 Clutter | x\r\n");
  l.ProbeData(11);
  l.Run(l.project);
  const std::string log = l.LogText();
  EXPECT_EQ(log.find("LAUNCH - CP 11.0.1.0"), 22u);
  EXPECT_EQ(log.substr(log.find("\r\n") + 2),
            "2026-01-01 10:00:00 | SWEEP - 0 Models, 0 Clutter | x\r\n");
}

TEST(RunLauncher, AnExceptionIsCaughtShownAndCountedDown) {
  Launch l;
  l.ProbeData(11);
  l.duringSweep = [] { throw std::runtime_error("disk on fire"); };
  l.Run(l.project);
  const auto& spans = l.world.console.spans();
  ASSERT_GE(spans.size(), 3u);
  EXPECT_EQ(std::vector<Span>(spans.end() - 3, spans.end()),
            (std::vector<Span>{
                {12, "\n  [!] FATAL SYSTEM EXCEPTION CAUGHT: \n      "},
                {14, "disk on fire\n\n"},
                {7, "  The C++ kernel stopped an instant crash. Please review the error.\n"}}));
  EXPECT_EQ(l.calls.back(), "countdown 10");
  EXPECT_TRUE(l.opens().empty());

  Launch other;
  other.ProbeData(11);
  other.duringSweep = [] { throw 42; };
  other.Run(other.project);
  EXPECT_EQ(other.world.console.spans().back(),
            (Span{12, "\n  [!] UNKNOWN FATAL ERROR OCCURRED.\n"}));
  EXPECT_EQ(other.world.console.color(), 7);
  EXPECT_EQ(other.calls.back(), "countdown 10");
}

}  // namespace
}  // namespace vantor
