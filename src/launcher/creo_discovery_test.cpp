#include "launcher/creo_discovery.h"

#include <gtest/gtest.h>

#include "launcher/launcher_test_support.h"
#include "launcher/model_probe.h"

namespace vantor {
namespace {

using Span = testing::RecordingConsole::Span;
using testing::LaunchWorld;
using testing::MakeCreoRoot;
using testing::WriteFile;

struct Chosen {
  StepResult result;
  LaunchState state;
};

Chosen Choose(LaunchWorld& w, const ProbeResult& probe) {
  LaunchState state = w.State();
  state.probe = probe;
  const StepResult result = ChooseCreoVersion(w.context(), state);
  return {result, state};
}

TEST(ChooseCreoVersion, LatestWithoutAVersionLimit) {
  LaunchWorld w;
  const auto root = MakeCreoRoot(w.dir / "PTC", {"Creo 9.0.0.0", "Creo 11.0.1.0"});
  WriteFile(w.anchor + "/Vantor.ini", "CP_Version_Max=\r\n");
  const auto chosen = Choose(w, testing::ProbeOf(0, root, 11, "9"));
  EXPECT_EQ(chosen.result, StepResult::Continue);
  EXPECT_EQ(chosen.state.chosenVersion, 11);
  EXPECT_FALSE(chosen.state.lockedBySpecialProject);
  EXPECT_EQ(w.Text(), "");
}

TEST(ChooseCreoVersion, OverrideFromTheMasterFileIsAnnounced) {
  LaunchWorld w;
  const auto root = MakeCreoRoot(w.dir / "PTC", {"Creo 9.0.0.0", "Creo 11.0.1.0"});
  WriteFile(w.anchor + "/Vantor.ini", "CP_Version_Max= 9 \r\n");
  const auto chosen = Choose(w, testing::ProbeOf(0, root, 11, "9"));
  EXPECT_EQ(chosen.result, StepResult::Continue);
  EXPECT_EQ(chosen.state.chosenVersion, 9);
  EXPECT_FALSE(chosen.state.lockedBySpecialProject);
  EXPECT_EQ(w.world.console.spans(),
            (std::vector<Span>{{7, "\n      "},
                               {11, "[INFO] "},
                               {7, "Auto version override active. Max version set to "},
                               {11, "CP 9.\n"}}));
  EXPECT_EQ(w.world.console.color(), 7);
}

TEST(ChooseCreoVersion, ASpecialProjectLocksSilently) {
  LaunchWorld w;
  const auto root = MakeCreoRoot(w.dir / "PTC", {"Creo 9.0.0.0", "Creo 11.0.1.0"});
  WriteFile(w.anchor + "/Vantor.ini", "CP_Version_Max=11\r\n");
  WriteFile(w.project + "/VantorSP.ini", "CP_Version_Max=9\r\n");
  const auto chosen = Choose(w, testing::ProbeOf(0, root, 11, "9"));
  EXPECT_EQ(chosen.state.chosenVersion, 9);
  EXPECT_TRUE(chosen.state.lockedBySpecialProject);
  EXPECT_EQ(w.Text(), "");
}

TEST(ChooseCreoVersion, AnEmptyProjectValueFallsBackToTheMaster) {
  LaunchWorld w;
  const auto root = MakeCreoRoot(w.dir / "PTC", {"Creo 9.0.0.0", "Creo 11.0.1.0"});
  WriteFile(w.anchor + "/Vantor.ini", "CP_Version_Max=9\r\n");
  WriteFile(w.project + "/VantorSP.ini", "CP_Version_Max=\r\nCP_Version_Max=11\r\n");
  const auto chosen = Choose(w, testing::ProbeOf(0, root, 11, "9"));
  EXPECT_EQ(chosen.state.chosenVersion, 9);
  EXPECT_FALSE(chosen.state.lockedBySpecialProject);
}

TEST(ChooseCreoVersion, AWordIsIgnoredButStillLocksAProject) {
  LaunchWorld w;
  const auto root = MakeCreoRoot(w.dir / "PTC", {"Creo 9.0.0.0", "Creo 11.0.1.0"});
  WriteFile(w.anchor + "/Vantor.ini", "CP_Version_Max=abc\r\n");
  auto chosen = Choose(w, testing::ProbeOf(0, root, 11, "9"));
  EXPECT_EQ(chosen.state.chosenVersion, 11);
  EXPECT_FALSE(chosen.state.lockedBySpecialProject);

  WriteFile(w.project + "/VantorSP.ini", "CP_Version_Max=abc\r\n");
  chosen = Choose(w, testing::ProbeOf(0, root, 11, "9"));
  EXPECT_EQ(chosen.state.chosenVersion, 11);
  EXPECT_TRUE(chosen.state.lockedBySpecialProject);
  EXPECT_EQ(w.Text(), "");
}

TEST(ChooseCreoVersion, AVersionThatIsNotInstalledEndsTheLaunch) {
  LaunchWorld w;
  const auto root = MakeCreoRoot(w.dir / "PTC", {"Creo 9.0.0.0", "Creo 11.0.1.0"});
  WriteFile(w.anchor + "/Vantor.ini", "CP_Version_Max=10\r\n");
  EXPECT_EQ(Choose(w, testing::ProbeOf(0, root, 11, "9")).result, StepResult::Ended);
  EXPECT_EQ(w.world.console.spans(),
            (std::vector<Span>{
                {7, "\n  "},
                {14, "[!] CP VERSION UNAVAILABLE: "},
                {7,
                 " CP 10 was not found.\n"
                 "      Check Vantor.ini for typos or install the required software.\n\n"}}));

  w.world.console.Reset();
  WriteFile(w.project + "/VantorSP.ini", "CP_Version_Max=12\r\n");
  EXPECT_EQ(Choose(w, testing::ProbeOf(0, root, 11, "9")).result, StepResult::Ended);
  EXPECT_EQ(w.Text(),
            "\n  [!] CP VERSION UNAVAILABLE:  CP 12 was not found.\n"
            "      Check VantorSP.ini for typos or install the required software.\n\n");
}

TEST(ChooseCreoVersion, ALimitWithoutAProbeResultIsUnavailable) {
  LaunchWorld w;
  WriteFile(w.anchor + "/Vantor.ini", "CP_Version_Max=10\r\n");
  EXPECT_EQ(Choose(w, ProbeResult{}).result, StepResult::Ended);
  EXPECT_NE(w.Text().find("[!] CP VERSION UNAVAILABLE: "), std::string::npos);
}

// Windows paths that do not exist here: the messages exactly as Windows shows them.
TEST(ChooseCreoVersion, NothingInstalledNamesTheRootsOrNotFound) {
  testing::FakeWorld world;
  LaunchState state;
  state.projectFile = "C:\\Work\\VantorSP.ini";
  state.masterFile = "C:\\Tools\\Vantor\\Vantor.ini";
  state.probe = testing::ProbeOf(0, "NONE", 0, "NONE");
  EXPECT_EQ(ChooseCreoVersion(world.context, state), StepResult::Ended);
  EXPECT_EQ(world.console.spans(),
            (std::vector<Span>{{7, "\n  "},
                               {12, "[!] CRITICAL ERROR: "},
                               {14, "CP is not installed.\n"},
                               {8, "      Scanned PTC Root: "},
                               {7, "NONE\n"},
                               {8, "      Search Pattern:   "},
                               {7, "NONE\\Creo *\\Parametric\\bin\\parametric.exe\n"}}));

  world.console.Reset();
  state.probe = testing::ProbeOf(0, "", 0, "NONE");
  EXPECT_EQ(ChooseCreoVersion(world.context, state), StepResult::Ended);
  EXPECT_EQ(world.console.Text(),
            "\n  [!] CRITICAL ERROR: CP is not installed.\n"
            "      Scanned PTC Root: NOT FOUND\n"
            "      Search Pattern:   \\Creo *\\Parametric\\bin\\parametric.exe\n");
}

TEST(FindCreoExecutable, PrefixMatchOverRootsInOrder) {
  testing::TempDir dir;
  const auto first = MakeCreoRoot(dir / "first", {"Creo 10.0.2.0", "Creo 9.0.1.0"});
  const auto second = MakeCreoRoot(dir / "second", {"Creo 9.0.3.0", "Creo 12.0.0.0"});
  testing::WriteFile(dir / "first/Creo 12.0.0.0/readme.txt", "no parametric.exe here");
  const std::string roots = first + "*NONE* " + second + " ";
  EXPECT_EQ(FindCreoExecutable(roots, 9, PathStyle::Posix),
            testing::ExecutableOf(first, "Creo 9.0.1.0"));
  EXPECT_EQ(FindCreoExecutable(roots, 12, PathStyle::Posix),
            testing::ExecutableOf(second, "Creo 12.0.0.0"));
  // A prefix test: 1 matches Creo 10.
  EXPECT_EQ(FindCreoExecutable(roots, 1, PathStyle::Posix),
            testing::ExecutableOf(first, "Creo 10.0.2.0"));
  EXPECT_EQ(FindCreoExecutable(roots, 8, PathStyle::Posix), "");
  EXPECT_EQ(FindCreoExecutable("", 9, PathStyle::Posix), "");
}

TEST(VersionLabelOf, TheInstallationFolderWithoutCreo) {
  EXPECT_EQ(
      VersionLabelOf("C:\\Program Files\\PTC\\Creo 10.0.2.0\\Parametric\\bin\\parametric.exe"),
      "10.0.2.0");
  EXPECT_EQ(VersionLabelOf("/opt/PTC/Creo 11.0.0.0/Parametric/bin/parametric.exe"), "11.0.0.0");
  EXPECT_EQ(VersionLabelOf("D:\\Apps\\Creo\\Launch\\bin\\start.bat"), "Creo");
  EXPECT_EQ(VersionLabelOf("D:\\Tools\\Latest Creo 9\\x\\y\\start.bat"), "Latest 9");
  EXPECT_EQ(VersionLabelOf("C:\\start.bat"), "");
}

}  // namespace
}  // namespace vantor
