#include "launcher/legacy_decision.h"

#include <gtest/gtest.h>

#include "launcher/launcher_test_support.h"
#include "launcher/model_probe.h"

namespace vantor {
namespace {

using Span = testing::RecordingConsole::Span;
using testing::LaunchWorld;
using testing::ReadFile;

constexpr const char* kWarning =
    "\n      [!] LEGACY DATA DETECTED: This folder contains CP 9 models.\n"
    "          Remember: Model version upgrade is irreversible.\n"
    "\n    [DECISION] How to proceed with these legacy models?\n\n";

TEST(LegacyOptionsFor, AlternatesAreNewerThanTheDataWithoutTheChosenVersion) {
  auto options = LegacyOptionsFor(9, 11, 11, "9,10");
  EXPECT_EQ(options.alternates, (std::vector<int>{10}));
  EXPECT_TRUE(options.exactInstalled);

  options = LegacyOptionsFor(8, 11, 11, "NONE");
  EXPECT_TRUE(options.alternates.empty());
  EXPECT_FALSE(options.exactInstalled);

  options = LegacyOptionsFor(5, 9, 12, "x,11,9,7, 10");
  EXPECT_EQ(options.alternates, (std::vector<int>{7, 10, 11, 12}));
  EXPECT_FALSE(options.exactInstalled);
}

TEST(LegacyDecision, OffersUpgradePreserveQuitAndAlternates) {
  testing::FakeWorld world;
  world.system.Type("1");
  const auto choice = LegacyDecision(world.context, 9, 11, 11, "9,10", false);
  EXPECT_EQ(choice.result, StepResult::Continue);
  EXPECT_EQ(choice.version, 10);
  EXPECT_TRUE(choice.generateProject);
  EXPECT_EQ(
      world.console.spans(),
      (std::vector<Span>{
          {7, "\n      "},
          {12, "[!] LEGACY DATA DETECTED: "},
          {14, "This folder contains "},
          {11, "CP 9"},
          {14, " models.\n          Remember: Model version upgrade is irreversible.\n\n    "},
          {11, "[DECISION] "},
          {10, "How to proceed with these legacy models?\n\n"},
          {14, "      [U] Upgrade  - "},
          {3, "Launch CP 11 "},
          {7, "(Latest Approved version, Upgrade upon save)\n"},
          {14, "      [P] Preserve - "},
          {3, "Launch CP 9  "},
          {7, "(Designate folder as Special Project)\n"},
          {14, "      [Q] Quit     "},
          {7, "- Abort launch\n\n      "},
          {8,
           "--- Alternate \"Special Project\" options --- \n"
           "      [1] Launch CP 10 (Upgrade upon save)\n\n"},
          {7, "          "},
          {14, "Select [U, P, 1, Q]: "},
          {7, "1\n"}}));
}

TEST(LegacyDecision, InvalidKeysAskAgain) {
  testing::FakeWorld world;
  world.system.Type("x2u");
  const auto choice = LegacyDecision(world.context, 9, 11, 11, "9,10", false);
  EXPECT_EQ(choice.result, StepResult::Continue);
  EXPECT_EQ(choice.version, 11);
  EXPECT_FALSE(choice.generateProject);
  const std::string text = world.console.Text();
  EXPECT_EQ(text.substr(text.find("          Select")),
            "          Select [U, P, 1, Q]: X\n"
            "          [!] Invalid choice. Select [U, P, 1, Q]: 2\n"
            "          [!] Invalid choice. Select [U, P, 1, Q]: U\n");
  const auto& spans = world.console.spans();
  const auto invalid = std::find(spans.begin(), spans.end(), Span{12, "[!] Invalid choice. "});
  ASSERT_NE(invalid, spans.end());
  EXPECT_EQ(*(invalid - 1), (Span{7, "X\n          "}));
  EXPECT_EQ(*(invalid + 1), (Span{14, "Select [U, P, 1, Q]: "}));
}

TEST(LegacyDecision, PreserveStartsTheDataVersion) {
  testing::FakeWorld world;
  world.system.Type("p");
  const auto choice = LegacyDecision(world.context, 9, 11, 11, "9,10", false);
  EXPECT_EQ(choice.version, 9);
  EXPECT_TRUE(choice.generateProject);
}

TEST(LegacyDecision, TheAnchorFolderCannotBePreserved) {
  testing::FakeWorld world;
  world.system.Type("P1U");
  const auto choice = LegacyDecision(world.context, 9, 11, 11, "9,10", true);
  EXPECT_EQ(choice.version, 11);
  EXPECT_EQ(world.console.Text(),
            std::string(kWarning) +
                "      [U] Upgrade  - Launch CP 11 (Latest Approved version, Upgrade upon save)\n"
                "      [-] Preserve - Disabled (Cannot isolate the Vantor Anchor folder)\n"
                "      [Q] Quit     - Abort launch\n\n"
                "          Select [U, Q]: P\n"
                "          [!] Invalid choice. Select [U, Q]: 1\n"
                "          [!] Invalid choice. Select [U, Q]: U\n");
  const auto& spans = world.console.spans();
  EXPECT_NE(std::find(spans.begin(), spans.end(),
                      Span{8,
                           "      [-] Preserve - Disabled (Cannot isolate the Vantor Anchor "
                           "folder)\n"}),
            spans.end());
}

TEST(LegacyDecision, OldDataWithOnlyTheLatestInstalled) {
  testing::FakeWorld world;
  world.system.Type("U");
  LegacyDecision(world.context, 8, 11, 11, "NONE", false);
  const std::string text = world.console.Text();
  EXPECT_EQ(text.substr(text.find("      [U]")),
            "      [U] Upgrade  - Launch CP 11 (Latest Approved version, Upgrade upon save)\n"
            "      [Q] Quit     - Abort launch\n\n"
            "          Select [U, Q]: U\n");
}

TEST(LegacyDecision, QuitAndEndedInputAbortWithoutCountdown) {
  for (const char* keys : {"q", ""}) {
    testing::FakeWorld world;
    world.system.Type(keys);
    const auto choice = LegacyDecision(world.context, 9, 11, 11, "9,10", false);
    EXPECT_EQ(choice.result, StepResult::Quit) << keys;
    EXPECT_EQ(world.system.sleptMs, 400) << keys;
    const std::string text = world.console.Text();
    EXPECT_EQ(
        text.substr(text.find("Select [U, P, 1, Q]: ") + 21),
        std::string(*keys ? "Q" : "") + "\n\n      [!] Launch aborted to protect legacy data.\n\n")
        << keys;
    EXPECT_EQ(world.console.spans().back(),
              (Span{14, "[!] Launch aborted to protect legacy data.\n\n"}));
    EXPECT_EQ(world.console.color(), 7);
  }
}

LaunchState StateWith(LaunchWorld& w, const ProbeResult& probe, int chosen) {
  LaunchState state = w.State();
  state.probe = probe;
  state.chosenVersion = chosen;
  return state;
}

TEST(CheckDataVersion, NewerDataEndsTheLaunch) {
  testing::FakeWorld world;
  LaunchState state;
  state.probe = testing::ProbeOf(12, "C:\\PTC", 11, "NONE");
  state.chosenVersion = 11;
  EXPECT_EQ(CheckDataVersion(world.context, state), StepResult::Ended);
  EXPECT_EQ(world.console.spans(),
            (std::vector<Span>{
                {7, "\n  "},
                {12, "[!] INCOMPATIBLE DATA: "},
                {14, "This folder contains "},
                {11, "CP 12 "},
                {14, "models.\n  "},
                {12, "        Your active max version is limited to "},
                {11, "CP 11.\n\n  "},
                {14, "[!] CP is not backwards compatible. You cannot open newer models.\n"}}));
  EXPECT_EQ(world.console.color(), 7);
}

TEST(CheckDataVersion, AsksOnlyAboutOlderOrUnknownDataOfAnUnlockedFolder) {
  testing::FakeWorld world;
  LaunchState state;
  for (const int data : {11, 0}) {
    state.probe = testing::ProbeOf(data, "R", 11, "9");
    state.chosenVersion = 11;
    EXPECT_EQ(CheckDataVersion(world.context, state), StepResult::Continue) << data;
  }
  for (const int data : {9, testing::kUnknownData, testing::kPredecessorData}) {
    state.probe = testing::ProbeOf(data, "R", 11, "9");
    state.lockedBySpecialProject = true;
    state.chosenVersion = 11;
    EXPECT_EQ(CheckDataVersion(world.context, state), StepResult::Continue) << data;
    EXPECT_EQ(state.chosenVersion, 11);
  }
  EXPECT_EQ(world.console.Text(), "");
}

// Models without a version mark, or with a Creo mark that names no version,
// get the prompt as pre-Creo data: every installed version is newer, so there
// is no Preserve, but the older installed versions are offered.
TEST(CheckDataVersion, UnknownDataIsAskedAboutAsPreCreo) {
  LaunchWorld w;
  w.world.system.Type("P2");
  LaunchState state = StateWith(w, testing::ProbeOf(testing::kUnknownData, "R", 11, "9,10"), 11);
  EXPECT_EQ(CheckDataVersion(w.context(), state), StepResult::Continue);
  EXPECT_EQ(state.chosenVersion, 10);
  EXPECT_NE(ReadFile(w.project + "/VantorSP.ini").find("CP_Version_Max=10\r\n"), std::string::npos);
  const std::string text = w.Text();
  EXPECT_EQ(text.substr(0, text.find("[+] Generating")),
            "\n      [!] LEGACY DATA DETECTED: This folder contains pre-Creo models.\n"
            "          Remember: Model version upgrade is irreversible.\n"
            "\n    [DECISION] How to proceed with these legacy models?\n\n"
            "      [U] Upgrade  - Launch CP 11 (Latest Approved version, Upgrade upon save)\n"
            "      [Q] Quit     - Abort launch\n\n"
            "      --- Alternate \"Special Project\" options --- \n"
            "      [1] Launch CP 9  (Upgrade upon save)\n"
            "      [2] Launch CP 10 (Upgrade upon save)\n\n"
            "          Select [U, 1, 2, Q]: P\n"
            "          [!] Invalid choice. Select [U, 1, 2, Q]: 2\n\n      ");
  const auto& spans = w.world.console.spans();
  EXPECT_NE(std::find(spans.begin(), spans.end(), Span{11, "pre-Creo"}), spans.end());
}

// Predecessor data is older than every Creo: even Creo 1 may open it after
// the prompt, which names it as pre-Creo data.
TEST(CheckDataVersion, PredecessorDataIsNeverRefused) {
  testing::FakeWorld world;
  LaunchState state;
  state.probe = testing::ProbeOf(testing::kPredecessorData, "R", 1, "NONE");
  state.chosenVersion = 1;
  world.system.Type("U");
  EXPECT_EQ(CheckDataVersion(world.context, state), StepResult::Continue);
  EXPECT_EQ(state.chosenVersion, 1);
  EXPECT_EQ(world.console.Text().find(
                "\n      [!] LEGACY DATA DETECTED: This folder contains pre-Creo models.\n"),
            0u);
  EXPECT_EQ(world.console.Text().find("INCOMPATIBLE"), std::string::npos);
}

TEST(CheckDataVersion, PreserveMakesTheFolderASpecialProjectLockedToTheDataVersion) {
  LaunchWorld w;
  w.world.system.Type("P");
  LaunchState state = StateWith(w, testing::ProbeOf(9, "R", 11, "9,10"), 11);
  EXPECT_EQ(CheckDataVersion(w.context(), state), StepResult::Continue);
  EXPECT_EQ(state.chosenVersion, 9);

  std::string expected(*EmbeddedResource(108));
  const std::string key = "CP_Version_Max=\r\n";
  ASSERT_NE(expected.find(key), std::string::npos);
  expected.replace(expected.find(key), key.size(), "CP_Version_Max=9\r\n");
  EXPECT_EQ(ReadFile(w.project + "/VantorSP.ini"), expected);
  EXPECT_EQ(ReadFile(w.project + "/config.pro"), std::string(*EmbeddedResource(107)));
  EXPECT_TRUE(IsDirectory(w.project + "/VantorSP_UserEnv"));
  const std::string text = w.Text();
  EXPECT_EQ(text.substr(text.find("P\n")),
            "P\n\n      [+] Generating Special Project Environment for CP 9...\n");
}

TEST(CheckDataVersion, UpgradeWritesNothing) {
  LaunchWorld w;
  w.world.system.Type("U");
  LaunchState state = StateWith(w, testing::ProbeOf(9, "R", 11, "9,10"), 11);
  EXPECT_EQ(CheckDataVersion(w.context(), state), StepResult::Continue);
  EXPECT_EQ(state.chosenVersion, 11);
  EXPECT_FALSE(PathExists(w.project + "/VantorSP.ini"));
  EXPECT_FALSE(PathExists(w.project + "/config.pro"));
}

TEST(CheckDataVersion, TheAnchorFolderIsTheAnchorTarget) {
  LaunchWorld w;
  w.world.system.Type("U");
  LaunchState state = StateWith(w, testing::ProbeOf(9, "R", 11, "9,10"), 11);
  state.targetFolder = w.anchor;
  CheckDataVersion(w.context(), state);
  EXPECT_NE(w.Text().find("[-] Preserve - Disabled"), std::string::npos);
}

}  // namespace
}  // namespace vantor
