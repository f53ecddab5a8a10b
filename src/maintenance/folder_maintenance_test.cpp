#include "maintenance/folder_maintenance.h"

#include <gtest/gtest.h>

#include <regex>

#include "base/paths.h"
#include "base/text.h"
#include "install/workspace.h"
#include "shell/console_text.h"
#include "shell/script_host.h"
#include "testing/fakes.h"

namespace vantor {
namespace {

using testing::FakeWorld;
using testing::ReadFile;
using testing::RecordingConsole;
using testing::TempDir;
using testing::WriteFile;
using Span = RecordingConsole::Span;
using Spans = std::vector<Span>;

constexpr auto kPosix = PathStyle::Posix;
const std::string kMaster =
    "CP_Countdown=None\r\nCP_Keep_N=1\r\nCP_Max_Days=21\r\nCP_Clutter=*.log*, trail.txt.*\r\n";

// The spinner turns an unknown number of times while the fake script runs;
// its frames are taken out so the rest can be compared exactly.
Spans WithoutSpinnerFrames(const Spans& spans) {
  static const std::regex frame(R"(\[\*\] Sweeping network drive \.\.\. [|/\-\\])");
  Spans kept;
  for (const Span& span : spans) {
    if (span.color == color::kCyan && std::regex_match(span.text, frame)) {
      if (!kept.empty() && kept.back() == Span{color::kGrey, "\r      "}) kept.pop_back();
      continue;
    }
    kept.push_back(span);
  }
  return kept;
}

// Spans as readable text, one per line, so a failure shows what differs.
std::string Describe(const Spans& spans) {
  std::string out;
  for (const Span& span : spans) {
    out += "[" + std::to_string(span.color) + "] ";
    for (const char c : span.text) {
      if (c == '\n')
        out += "\\n";
      else if (c == '\r')
        out += "\\r";
      else
        out += c;
    }
    out += "\n";
  }
  return out;
}

#define EXPECT_SPANS(actual, expected) EXPECT_EQ(Describe(actual), Describe(expected))

std::string Cleared() { return "\r" + std::string(70, ' ') + "\r"; }

class FolderMaintenance : public ::testing::Test {
 protected:
  void SetUp() override {
    world.UseRealFolders(anchor, dir.path());
    CreateFolders(project);
    WriteFile(anchor + "/Vantor.ini", kMaster);
  }

  Spans Run(const std::string& argument, MaintenanceMode mode, SweepSwitch sweep) {
    RunFolderMaintenance(world.context, argument, mode, sweep);
    return WithoutSpinnerFrames(world.console.spans());
  }

  Spans Banner(const std::string& target) const {
    using namespace box;
    const std::string side(kSide);
    return {{color::kGrey, "\n"},
            {color::kDarkGrey, "  " + std::string(kTopLeft) + RepeatText(kDouble, 60) +
                                   std::string(kTopRight) + "\n  " + side + " "},
            {color::kCyan, "Vantor Environment Folder Maintenance"},
            {color::kDarkGrey, " - v5.3" + std::string(14, ' ') + " " + side + "\n  " +
                                   std::string(kTeeLeft) + RepeatText(kSingle, 60) +
                                   std::string(kTeeRight) + "\n  " + side + " Target Folder: "},
            {color::kGrey, PadRight(ShortenPath(target, kPosix), 43)},
            {color::kDarkGrey, " " + side + "\n  " + std::string(kBottomLeft) +
                                   RepeatText(kDouble, 60) + std::string(kBottomRight) + "\n"}};
  }

  static Spans CleanupHeader() { return {{color::kGrey, "\n    "}, {color::kCyan, "[CLEANUP]\n"}}; }

  // Two clutter files and one surplus iteration of a.prt.
  void MakeSweepable() {
    WriteFile(project + "/x.log", std::string(1000, 'x'));
    WriteFile(project + "/trail.txt.1", std::string(536, 'x'));
    WriteFile(project + "/a.prt.1", std::string(100, 'x'));
    WriteFile(project + "/a.prt.2", std::string(100, 'x'));
  }

  static Spans Report() {
    return {{color::kGrey, Cleared() + "      [-] "},
            {color::kRed, "  2"},
            {color::kGrey, "   Clutter files   .......... "},
            {color::kGreen, "   1.5 KB\n"},
            {color::kGrey, "      [-] "},
            {color::kRed, "  1"},
            {color::kGrey, "   Old versions    .......... "},
            {color::kGreen, "  100.0 B\n"},
            {color::kGrey, "\n    "},
            {color::kGreen, "1.6 KB"},
            {color::kYellow, " sent to "},
            {color::kCyan, "Vantor/Vantor_Sweep "},
            {color::kYellow, "held for "},
            {color::kGreen, "21"},
            {color::kYellow, " days\n"}};
  }

  static Spans OnePartInventory() {
    return {{color::kGrey, "\n    "},
            {color::kCyan, "[FOLDER INVENTORY]\n"},
            {color::kGrey, "                   Parts: "},
            {color::kCyan, "   1"},
            {color::kGrey, " ........... "},
            {color::kGreen, "  100.0 B\n"}};
  }

  static Spans EmptyInventory(const std::string& before = "") {
    return {{color::kGrey, before + "\n    "},
            {color::kCyan, "[FOLDER INVENTORY]\n"},
            {color::kGrey, "      "},
            {color::kGreen, "[*] No models found in target folder.\n"}};
  }

  static Spans Join(std::initializer_list<Spans> parts) {
    Spans all;
    for (const Spans& part : parts) {
      for (const Span& span : part) {
        if (!all.empty() && all.back().color == span.color)
          all.back().text += span.text;
        else
          all.push_back(span);
      }
    }
    return all;
  }

  TempDir dir;
  std::string anchor = dir / "Tools/Vantor";
  std::string project = dir / "Proj";
  FakeWorld world;
};

TEST_F(FolderMaintenance, StandaloneSweepPrintsBannerReportInventoryAndEnds) {
  MakeSweepable();
  WriteFile(project + "/b.asm", std::string(1000, 'x'));
  const Spans spans = Run(project, MaintenanceMode::Standalone, SweepSwitch::On);
  const Spans inventory{{color::kGrey, "\n    "},
                        {color::kCyan, "[FOLDER INVENTORY]\n"},
                        {color::kGrey, "                   Parts: "},
                        {color::kCyan, "   1"},
                        {color::kGrey, " ........... "},
                        {color::kGreen, "  100.0 B\n"},
                        {color::kGrey, "              Assemblies: "},
                        {color::kCyan, "   1"},
                        {color::kGrey, " ........... "},
                        {color::kGreen, " 1000.0 B\n"},
                        {color::kGrey, "\n                  "},
                        {color::kGreen, "   1.1 KB"},
                        {color::kYellow, " in a total of "},
                        {color::kCyan, "2"},
                        {color::kYellow, " models\n"},
                        {color::kGrey, "\n"}};
  EXPECT_SPANS(spans, Join({Banner(project), CleanupHeader(), Report(), inventory}));
  EXPECT_EQ(world.console.color(), color::kGrey);
  // The box goes out as code page 437 line bytes.
  EXPECT_EQ(world.console.Bytes().substr(0, 4), "\n  \xC9");
  // The sweep needs no script; every move has its line under one event line.
  EXPECT_TRUE(world.scripts.scripts.empty());
  const std::string log = ReadFile(anchor + "/Vantor_Sweep/Vantor_Sweep.log");
  EXPECT_NE(log.find(" | SWEEP - 1 Models, 2 Clutter         | " + project + "\r\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find(" | a.prt.1 "), std::string::npos) << log;
  EXPECT_TRUE(PathExists(anchor + "/Vantor_Sweep" + project + "/trail.txt.1"));
}

TEST_F(FolderMaintenance, LaunchModeWithTheSweepOffPrintsOnlyTheInventory) {
  std::filesystem::remove(ToFsPath(anchor + "/Vantor.ini"));
  const Spans spans = Run(project, MaintenanceMode::BeforeLaunch, SweepSwitch::Off);
  EXPECT_SPANS(spans, EmptyInventory());
  EXPECT_TRUE(world.scripts.scripts.empty());
  // The master file is restored silently.
  EXPECT_EQ(ReadFile(anchor + "/Vantor.ini"), *EmbeddedResource(resource::kMasterTemplate));
}

TEST_F(FolderMaintenance, LaunchModeWithTheSweepOnHasNoBannerAndNoCountdown) {
  world.system.shiftHeld = true;
  const Spans spans = Run(project, MaintenanceMode::BeforeLaunch, SweepSwitch::On);
  EXPECT_EQ(spans, Join({CleanupHeader(),
                         {{color::kGrey, Cleared() + "      "},
                          {color::kGreen, "[*] Folder is clean. No maintenance required.\n"}},
                         EmptyInventory()}));
  EXPECT_TRUE(world.scripts.scripts.empty());
}

TEST_F(FolderMaintenance, MissingPurgeValuesAbortTheSweepButNotTheInventory) {
  WriteFile(anchor + "/Vantor.ini", "CP_Countdown=None\r\nCP_Keep_N=1\r\nCP_Max_Days=21\r\n");
  const Spans spans = Run(project, MaintenanceMode::BeforeLaunch, SweepSwitch::On);
  EXPECT_SPANS(spans, Join({{{color::kGrey, "\n    "},
                             {color::kRed,
                              "[ERROR] Essential Purge variables are undefined.\n"
                              "              Aborting cleanup sequence.\n"}},
                            EmptyInventory()}));
  EXPECT_TRUE(world.scripts.scripts.empty());
}

TEST_F(FolderMaintenance, NumbersThatAreNotWholeStopTheSweepBeforeAnyScriptRuns) {
  for (const std::string bad : {"abc", "-1", "2; Remove-Item C:\\", "1.5"}) {
    world.console.Reset();
    WriteFile(anchor + "/Vantor.ini",
              "CP_Keep_N=" + bad + "\r\nCP_Max_Days=21\r\nCP_Clutter=*.log\r\n");
    const Spans spans = Run(project, MaintenanceMode::BeforeLaunch, SweepSwitch::On);
    EXPECT_SPANS(spans, Join({{{color::kGrey, "\n    "},
                               {color::kRed, "[ERROR] CP_Keep_N=" + bad +
                                                 " is not a whole number (0 or more).\n"
                                                 "              Aborting cleanup sequence.\n"}},
                              EmptyInventory()}))
        << bad;
  }
  EXPECT_TRUE(world.scripts.scripts.empty());
  EXPECT_FALSE(PathExists(anchor + "/Vantor_Sweep"));
}

TEST_F(FolderMaintenance, BothBadNumbersAreNamed) {
  WriteFile(project + "/VantorSP.ini", "CP_Keep_N=x\r\nCP_Max_Days=1e3\r\n");
  const Spans spans = Run(project, MaintenanceMode::BeforeLaunch, SweepSwitch::On);
  EXPECT_SPANS(spans,
               Join({{{color::kGrey, "\n    "},
                      {color::kRed, "[ERROR] CP_Keep_N=x is not a whole number (0 or more).\n"},
                      {color::kGrey, "    "},
                      {color::kRed,
                       "[ERROR] CP_Max_Days=1e3 is not a whole number (0 or more).\n"
                       "              Aborting cleanup sequence.\n"}},
                     EmptyInventory()}));
}

TEST_F(FolderMaintenance, BlockedRulesAreNamedAndTheRestStillSweep) {
  WriteFile(anchor + "/Vantor.ini",
            "CP_Keep_N=1\r\nCP_Max_Days=21\r\nCP_Clutter=*.prt, *.log*\r\nCP_Clutter=*.*\r\n");
  MakeSweepable();
  const Spans spans = Run(project, MaintenanceMode::BeforeLaunch, SweepSwitch::On);
  // "*.log*" still sweeps; trail.txt.1 stays, as its rule is not in this file.
  Spans report = Report();
  report[1].text = "  1";
  report[3].text = " 1000.0 B\n";
  report[9].text = "1.1 KB";
  EXPECT_SPANS(spans, Join({{{color::kGrey, "\n    "},
                             {color::kYellow, "[WARNING] Prohibited Clutter rules blocked: "},
                             {color::kCyan, "*.prt, *.*"},
                             {color::kGrey, "\n"}},
                            CleanupHeader(),
                            report,
                            OnePartInventory()}));
  EXPECT_TRUE(PathExists(project + "/trail.txt.1"));
}

TEST_F(FolderMaintenance, RestoresAMissingMasterFileAndSaysSoInStandaloneMode) {
  std::filesystem::remove(ToFsPath(anchor + "/Vantor.ini"));
  const Spans spans = Run(project, MaintenanceMode::Standalone, SweepSwitch::On);
  const Spans restored{{color::kGrey, "\n      "},
                       {color::kYellow, "[INFO] "},
                       {color::kGrey, "Master Vantor.ini was restored from internal memory.\n"}};
  std::string wanted = Describe(restored);
  wanted.pop_back();  // the report goes on in grey on the same span
  EXPECT_NE(Describe(spans).find(wanted), std::string::npos) << Describe(spans);
  // The shipped defaults drive the sweep.
  EXPECT_NE(Describe(spans).find("[CLEANUP]"), std::string::npos);
}

TEST_F(FolderMaintenance, AMasterFileThatCannotBeWrittenIsReportedAndTheJobGoesOn) {
  world.context.anchorFolder = dir / "missing/anchor";
  WriteFile(dir / "VantorSP.ini", "CP_Countdown=None\r\n");
  const Spans spans = Run(project, MaintenanceMode::Standalone, SweepSwitch::On);
  const Spans expected =
      Join({Banner(project),
            {{color::kGrey, "\n      "},
             {color::kRed, "[ERROR] Vantor.ini missing and failed to restore.\n"},
             {color::kGrey, "\n    "},
             {color::kRed,
              "[ERROR] Essential Purge variables are undefined.\n"
              "              Aborting cleanup sequence.\n"}},
            EmptyInventory(),
            {{color::kGrey, "\n"}}});
  EXPECT_SPANS(spans, expected);
}

TEST_F(FolderMaintenance, ShiftOpensTheCleanerSettingsBeforeTheSettingsAreRead) {
  world.system.shiftHeld = true;
  world.scripts.results = {"X|OK"};
  const Spans spans = Run(project, MaintenanceMode::Standalone, SweepSwitch::On);
  const Spans shift{
      {color::kGrey, "  "},
      {color::kCyan, "    [+] [SHIFT] key detected. Opening Cleaner Configuration..."},
      {color::kGrey, Cleared() + "  "},
      {color::kGreen, "    [+] Settings updated. Resuming sweep...\n"}};
  const Spans head(spans.begin(), spans.begin() + 10);
  EXPECT_SPANS(head, Join({Banner(project), shift}));
  ASSERT_EQ(world.scripts.scripts.size(), 1u);
  EXPECT_EQ(world.scripts.scripts[0].second, ScriptWindow::Interactive);
}

TEST_F(FolderMaintenance, ShiftWithTheEditorCancelledResumesTheSweep) {
  world.system.shiftHeld = true;
  world.scripts.results = {"X|Cancel"};
  const Spans spans = Run(project, MaintenanceMode::Standalone, SweepSwitch::On);
  EXPECT_EQ(spans[9], (Span{color::kYellow, "    [-] Edit canceled. Resuming sweep...\n"}));
}

TEST_F(FolderMaintenance, InTheAnchorFolderItsProjectFileJoinsTheClutterList) {
  WriteFile(anchor + "/VantorSP.ini", "CP_Clutter=\r\n");
  Run(anchor, MaintenanceMode::BeforeLaunch, SweepSwitch::On);
  EXPECT_TRUE(PathExists(anchor + "/Vantor_Sweep" + anchor + "/VantorSP.ini"));
  EXPECT_FALSE(PathExists(anchor + "/VantorSP.ini"));
}

TEST_F(FolderMaintenance, StandaloneModeEndsWithTheTwelveSecondCountdown) {
  WriteFile(anchor + "/Vantor.ini", "CP_Keep_N=1\r\n");
  RunFolderMaintenance(world.context, project, MaintenanceMode::Standalone, SweepSwitch::Off);
  const std::string printed = world.console.Text();
  const std::string inventoryEnd = "[*] No models found in target folder.\n\n  ";
  const auto end = printed.find(inventoryEnd);
  ASSERT_NE(end, std::string::npos) << printed;
  const std::string first = "\r       Closing in 12 seconds... (Press [H] to Hold Window)";
  EXPECT_EQ(printed.substr(end + inventoryEnd.size(), first.size()), first);
  EXPECT_EQ(world.system.sleptMs, 12000);
}

}  // namespace
}  // namespace vantor
