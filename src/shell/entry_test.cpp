#include "shell/entry.h"

#include <gtest/gtest.h>

#include "base/paths.h"
#include "testing/fakes.h"

namespace vantor {
namespace {

using testing::FakeWorld;
using testing::ReadFile;
using testing::TempDir;
using Span = testing::RecordingConsole::Span;

const std::string kBannerBytes = "  \xC9" + std::string(60, '\xCD') + "\xBB\n" +
                                 "  \xBA Vantor Env Manager Utility - v5.3" + std::string(25, ' ') +
                                 " \xBA\n" + "  \xC8" + std::string(60, '\xCD') + "\xBC\n\n";

TEST(Banner, BytesAndColours) {
  testing::RecordingConsole console;
  PrintBanner(console);
  EXPECT_EQ(console.Bytes(), kBannerBytes);
  const auto& spans = console.spans();
  ASSERT_EQ(spans.size(), 3u);
  EXPECT_EQ(spans[1], (Span{color::kCyan, "Vantor Env Manager Utility "}));
  EXPECT_EQ(spans[2].color, color::kDarkGrey);
  EXPECT_TRUE(spans[2].text.starts_with("- v5.3" + std::string(25, ' ') + " \u2551\n"));
  EXPECT_EQ(console.color(), color::kGrey);
}

TEST(BlockedScreen, BytesAndColours) {
  FakeWorld world;
  ShowBlockedScreen(world.context, "C:\\Tools\\Vantor\\Projects");
  const auto& spans = world.console.spans();
  const std::vector<Span> tail{
      {color::kGrey, "  "},
      {color::kRed, "[BLOCKED] "},
      {color::kYellow, "Execution inside infrastructure folders is prohibited!\n            "},
      {color::kGrey, "Target: "},
      {color::kCyan, "C:\\Tools\\Vantor\\Projects\n\n  "},
      {color::kDarkGrey, "          Restricted zones include:\n            "},
      {color::kGrey, "The 'Vantor' Anchor root and all its subfolders.\n\n  "},
      {color::kRed, "Aborting to protect environment integrity.\n\n"}};
  ASSERT_GE(spans.size(), tail.size());
  EXPECT_EQ(std::vector<Span>(spans.end() - static_cast<long>(tail.size()), spans.end()), tail);
  EXPECT_TRUE(world.console.Text().starts_with("<cls>\n"));
  EXPECT_EQ(world.console.color(), color::kGrey);
}

TEST(Dispatch, GuardStopsFolderJobsWithExitOne) {
  for (const char* flag : {"/L", "/c"}) {
    FakeWorld world;
    world.system.Type("x");  // ends the countdown at once
    EXPECT_EQ(RunVantor(world.context, {flag, "c:\\tools\\vantor\\sub"}), 1) << flag;
    EXPECT_NE(world.console.Text().find("[BLOCKED] "), std::string::npos);
    EXPECT_NE(world.console.Text().find("Closing in 10 seconds"), std::string::npos);
  }
}

TEST(Dispatch, EmptyFolderArgumentGuardsTheCurrentDirectory) {
  FakeWorld world;
  world.system.currentDirectory = "C:\\Tools\\Vantor";
  EXPECT_EQ(RunVantor(world.context, {"/L"}), 1);
  EXPECT_NE(world.console.Text().find("Target: C:\\Tools\\Vantor\n"), std::string::npos);
}

TEST(Dispatch, RelativeFoldersAreGuardedAsTheFullPathTheyName) {
  for (const char* folder : {".", "..\\Vantor\\Vantor_Home", "sub\\..\\."}) {
    FakeWorld world;
    world.system.currentDirectory = std::string(folder)[0] == '.' && folder[1] == '.'
                                        ? "C:\\Tools\\Other"
                                        : "C:\\Tools\\Vantor";
    world.system.Type("x");
    EXPECT_EQ(RunVantor(world.context, {"/C", folder}), 1) << folder;
    EXPECT_NE(world.console.Text().find("Target: C:\\Tools\\Vantor"), std::string::npos) << folder;
  }
}

TEST(Dispatch, OtherFlagsIgnoreTheGuardAndTheFolder) {
  FakeWorld world;
  EXPECT_EQ(RunVantor(world.context, {"/r", "C:\\Tools\\Vantor"}), 0);
  EXPECT_EQ(world.console.Text().find("[BLOCKED]"), std::string::npos);
  EXPECT_EQ(world.console.title(), "Vantor Env Mgr - v5.3");
  EXPECT_TRUE(world.console.boxCodePage());
}

TEST(Dispatch, UnknownFlagsOpenTheMenu) {
  for (const char* arg : {"-L", "L", "/LAUNCH", "C:\\Work"}) {
    FakeWorld world;
    world.system.Type("q");
    EXPECT_EQ(RunVantor(world.context, {arg, "C:\\Tools\\Vantor"}), 0);
    EXPECT_NE(world.console.Text().find("Interactive Options:"), std::string::npos) << arg;
    EXPECT_TRUE(world.console.Text().ends_with("[S, M, A, U, H, Q]: Q\n")) << arg;
  }
}

TEST(Dispatch, ArchiveGuardStopsBeforeAnything) {
  FakeWorld world;
  world.system.modulePath = "C:\\Users\\me\\AppData\\Local\\Temp\\7zO1\\Vantor.exe";
  world.system.Type("x");
  EXPECT_EQ(RunVantor(world.context, {"/R"}), 1);
  const std::string text = world.console.Bytes();
  EXPECT_TRUE(text.starts_with("\n" + kBannerBytes +
                               "  [!] EXECUTION ERROR: Running directly from a ZIP file.\n\n"
                               "      Vantor cannot establish a stable environment in a "
                               "temporary folder.\n\n"));
}

TEST(Dispatch, EscapingErrorsAreReportedWithExitOne) {
  FakeWorld world;
  world.system.currentDirectoryError = "access denied";
  world.system.Type("x");
  EXPECT_EQ(RunVantor(world.context, {"/C"}), 1);
  const auto& spans = world.console.spans();
  ASSERT_GE(spans.size(), 3u);
  EXPECT_EQ(spans[0], (Span{color::kRed, "\n  [!] FATAL SYSTEM EXCEPTION CAUGHT: \n      "}));
  EXPECT_EQ(spans[1], (Span{color::kYellow, "access denied\n\n"}));
  // The countdown reads the current folder too, fails again, and is skipped.
  EXPECT_EQ(spans[2],
            (Span{color::kGrey,
                  "  The C++ kernel stopped an instant crash. Please review the error.\n"}));
}

TEST(Menu, ScreenBytes) {
  FakeWorld world;
  world.system.Type("q");
  ShowMainMenu(world.context);
  const std::string expected =
      "<cls>\n" + kBannerBytes + "  Vantor Foundation  : C:\\Tools\n" +
      "  Vantor Anchor Dir  : C:\\Tools\\Vantor\n\n" + "  Interactive Options:\n" +
      "    [S] Setup        : Installs necessary folders and registers RMB actions.\n"
      "    [M] Migrate      : Run Migration Wizard to import existing configs & assets.\n"
      "    [A] Add-on       : Install an optional Vantor extension package.\n"
      "    [U] Uninstall    : Uninstalls the toolset without affecting data.\n"
      "    [H] Help         : Opens the Vantor User Manual (PDF).\n"
      "    [Q] Quit         : Close this window.\n\n"
      "  Advanced Command Line Flags (For Shortcuts / Registry):\n"
      "    /L   Launch      : Initiates Creo session and ensures folder maintenance.\n"
      "    /C   Clean       : Removes Clutter files and purges older file versions.\n"
      "    /R   Restore     : Executes the file restore utility.\n"
      "    /M   Migrate     : Opens the Environment Migration Wizard standalone.\n\n"
      "  Press a key to proceed [S, M, A, U, H, Q]: Q\n";
  EXPECT_EQ(world.console.Bytes(), expected);
}

TEST(Menu, ColoursOfTheLabels) {
  FakeWorld world;
  world.system.Type("q");
  ShowMainMenu(world.context);
  const auto& spans = world.console.spans();
  const auto has = [&](Span span) {
    return std::find(spans.begin(), spans.end(), span) != spans.end();
  };
  EXPECT_TRUE(has({color::kCyan, "C:\\Tools\n  "}));
  EXPECT_TRUE(has({color::kDarkGrey, "Vantor Anchor Dir  : "}));
  EXPECT_TRUE(has({color::kYellow, "Interactive Options:\n"}));
}

TEST(Menu, UnlistedKeysRedrawAndMigrateOpensTheWizard) {
  FakeWorld world;
  world.context.anchorFolder = "X:\\";
  world.system.Type("zm");
  ShowMainMenu(world.context);
  const std::string text = world.console.Text();
  EXPECT_EQ(std::count(text.begin(), text.end(), '<'), 3);  // three screens
  EXPECT_NE(text.find("[S, M, A, U, H, Q]: M\n\n  \u2554"), std::string::npos);
  EXPECT_NE(text.find("  [INFO] Opening Migration Wizard...\n"), std::string::npos);
  ASSERT_EQ(world.scripts.scripts.size(), 1u);
  EXPECT_NE(world.scripts.scripts[0].first.find(EncodeScriptText("X:\\")), std::string::npos);
  EXPECT_NE(text.find("Vantor Foundation  : Unknown\n"), std::string::npos);
}

TEST(Menu, EndOfInputLeavesTheMenu) {
  FakeWorld world;
  ShowMainMenu(world.context);
  EXPECT_TRUE(world.console.Text().ends_with(": Q\n"));
}

TEST(Menu, HelpWritesTheManualEveryTimeAndOpensIt) {
  TempDir anchor;
  FakeWorld world;
  world.UseRealFolders(anchor.path(), anchor.path());
  const std::string manual = anchor / "Vantor_Home/Documentation/Vantor_Env_Mgr_Read_Me.pdf";
  testing::WriteFile(manual, "damaged");
  world.system.Type("hq");
  ShowMainMenu(world.context);
  EXPECT_EQ(ReadFile(manual), std::string(*EmbeddedResource(112)));
  ASSERT_EQ(world.system.shellOpens.size(), 1u);
  EXPECT_EQ(world.system.shellOpens[0].file, manual);
  EXPECT_EQ(world.system.sleptMs, 1000);
  EXPECT_NE(world.console.Text().find(": H\n\n  [*] Opening Vantor Manual...\n"),
            std::string::npos);
}

TEST(Menu, AManualThatCannotBeOpenedSaysWhy) {
  TempDir anchor;
  FakeWorld world;
  world.UseRealFolders(anchor.path(), anchor.path());
  world.system.shellOpenError = std::make_error_code(std::errc::no_such_file_or_directory);
  world.system.Type("hq");
  ShowMainMenu(world.context);
  EXPECT_NE(world.console.Text().find("  [*] Opening Vantor Manual...\n"
                                      "  [!] The manual could not be opened (No such file or "
                                      "directory).\n"),
            std::string::npos);
}

}  // namespace
}  // namespace vantor
