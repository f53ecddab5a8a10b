#include "install/config_editor.h"

#include <gtest/gtest.h>

#include <regex>

#include "base/paths.h"
#include "shell/script_host.h"
#include "testing/fakes.h"

namespace vantor {
namespace {

using testing::FakeWorld;
using testing::TempDir;
using testing::WriteFile;

constexpr auto kPosix = PathStyle::Posix;

struct Folders {
  TempDir dir;
  std::string anchor = dir / "anchor";
  std::string project = dir / "project";
  Folders() {
    CreateFolders(anchor);
    CreateFolders(project);
  }
};

TEST(EditorTarget, EditsTheFoldersProjectFileWhenItExists) {
  Folders folders;
  WriteFile(JoinPath(folders.project, "VantorSP.ini", kPosix), "CP_Keep_N=\r\n");
  const std::string projectFile = JoinPath(folders.project, "VantorSP.ini", kPosix);

  const auto launcher =
      ChooseEditorTarget(folders.project, folders.anchor, EditorMode::Launcher, kPosix);
  EXPECT_EQ(launcher.iniPath, projectFile);
  EXPECT_EQ(launcher.modeLabel, "Special Project Variance");
  EXPECT_EQ(launcher.fileLabel, "VantorSP.ini");

  const auto cleaner =
      ChooseEditorTarget(folders.project, folders.anchor, EditorMode::Cleaner, kPosix);
  EXPECT_EQ(cleaner.iniPath, projectFile);
  EXPECT_EQ(cleaner.modeLabel, "Special Project Cleaner");
  EXPECT_EQ(cleaner.fileLabel, "VantorSP.ini");
}

TEST(EditorTarget, EditsTheMasterFileOtherwise) {
  Folders folders;
  const std::string masterFile = JoinPath(folders.anchor, "Vantor.ini", kPosix);

  const auto launcher =
      ChooseEditorTarget(folders.project, folders.anchor, EditorMode::Launcher, kPosix);
  EXPECT_EQ(launcher.iniPath, masterFile);
  EXPECT_EQ(launcher.modeLabel, "Baseline Settings");
  EXPECT_EQ(launcher.fileLabel, "Vantor.ini");

  const auto cleaner =
      ChooseEditorTarget(folders.project, folders.anchor, EditorMode::Cleaner, kPosix);
  EXPECT_EQ(cleaner.iniPath, masterFile);
  EXPECT_EQ(cleaner.modeLabel, "Master Cleaner Settings");
  EXPECT_EQ(cleaner.fileLabel, "Vantor.ini");
}

TEST(EditorTarget, AnyEntryNamedVantorSpIniMakesASpecialProject) {
  Folders folders;
  CreateFolders(JoinPath(folders.project, "VantorSP.ini", kPosix));
  EXPECT_EQ(
      ChooseEditorTarget(folders.project, folders.anchor, EditorMode::Cleaner, kPosix).fileLabel,
      "VantorSP.ini");
}

TEST(EditorTarget, JoinsWindowsPaths) {
  const auto target = ChooseEditorTarget("C:\\Work\\Missing", "C:\\Tools\\Vantor\\",
                                         EditorMode::Launcher, PathStyle::Windows);
  EXPECT_EQ(target.iniPath, "C:\\Tools\\Vantor\\Vantor.ini");
}

TEST(EditorScript, FillsEveryPlaceholderOfTheTemplateAsBase64InSingleQuotes) {
  const auto templateText = EmbeddedScript(kEditorScriptName);
  ASSERT_TRUE(templateText);
  const EditorTarget target{"C:\\Work\\Bob's parts\\VantorSP.ini", "Special Project Variance",
                            "VantorSP.ini"};
  const std::string script = FillEditorScript(
      *templateText, target, "11,8,9,10", "C:\\Tools\\Vantor\\Vantor.ini", EditorMode::Launcher);

  EXPECT_FALSE(std::regex_search(script, std::regex("%[A-Z_]+%"))) << "a placeholder is left";
  EXPECT_NE(script.find("'QzpcV29ya1xCb2IncyBwYXJ0c1xWYW50b3JTUC5pbmk='"), std::string::npos);
  EXPECT_NE(script.find("'U3BlY2lhbCBQcm9qZWN0IFZhcmlhbmNl'"), std::string::npos);
  EXPECT_NE(script.find("'VmFudG9yU1AuaW5p'"), std::string::npos);
  EXPECT_NE(script.find("'MTEsOCw5LDEw'"), std::string::npos);
  EXPECT_NE(script.find("'QzpcVG9vbHNcVmFudG9yXFZhbnRvci5pbmk='"), std::string::npos);
  EXPECT_NE(script.find("= $false\n"), std::string::npos);
  EXPECT_EQ(script.find("Bob's"), std::string::npos) << "the path must not stand as text";
}

TEST(EditorScript, FillsInTheGivenOrderAtEveryOccurrence) {
  const EditorTarget target{"%MODE_LABEL%", "mode", "file"};
  const std::string script = FillEditorScript(
      "%INI_PATH%|%MODE_LABEL%|%FILE_LABEL%|%INSTALLED_VERSIONS%|%MASTER_INI%|%IS_CLEANER_MODE%|"
      "%INI_PATH%|%IS_CLEANER_MODE%",
      target, "", "m", EditorMode::Cleaner);
  const std::string path = EncodeScriptText("%MODE_LABEL%");
  EXPECT_EQ(script, path + "|" + EncodeScriptText("mode") + "|" + EncodeScriptText("file") + "||" +
                        EncodeScriptText("m") + "|$true|" + path + "|$true");
}

TEST(OpenEditor, RunsTheFilledWindowInteractivelyAndMapsItsAnswer) {
  Folders folders;
  FakeWorld world;
  world.UseRealFolders(folders.anchor, folders.project);
  const std::string projectFile = JoinPath(folders.project, "VantorSP.ini", kPosix);
  WriteFile(projectFile, "");
  world.scripts.results = {"X|Abort", "X|OK", "X|Cancel", ""};

  const int removed = OpenConfigurationEditor(world.context, folders.project, folders.anchor,
                                              "11,10", EditorMode::Launcher);
  EXPECT_EQ(removed, kEditorProjectRemoved);
  EXPECT_EQ(OpenConfigurationEditor(world.context, folders.project, folders.anchor, "",
                                    EditorMode::Cleaner),
            kEditorSaved);
  EXPECT_EQ(OpenConfigurationEditor(world.context, folders.project, folders.anchor, "",
                                    EditorMode::Cleaner),
            kEditorCancelled);
  EXPECT_EQ(OpenConfigurationEditor(world.context, folders.project, folders.anchor, "",
                                    EditorMode::Cleaner),
            kEditorFailed);

  ASSERT_EQ(world.scripts.scripts.size(), 4u);
  const auto& [first, window] = world.scripts.scripts[0];
  EXPECT_EQ(window, ScriptWindow::Interactive);
  EXPECT_NE(first.find("'" + EncodeScriptText(projectFile) + "'"), std::string::npos);
  EXPECT_NE(first.find("'" + EncodeScriptText("Special Project Variance") + "'"),
            std::string::npos);
  EXPECT_NE(
      first.find("'" + EncodeScriptText(JoinPath(folders.anchor, "Vantor.ini", kPosix)) + "'"),
      std::string::npos);
  EXPECT_NE(first.find("= $false\n"), std::string::npos);
  EXPECT_NE(
      world.scripts.scripts[1].first.find("'" + EncodeScriptText("Special Project Cleaner") + "'"),
      std::string::npos);
  EXPECT_NE(world.scripts.scripts[1].first.find("= $true\n"), std::string::npos);
  // Only the empty run speaks, on a line of its own.
  EXPECT_EQ(world.console.Text(),
            "\n      [ERROR] Configuration editor failed: no result line (no output).\n");
}

}  // namespace
}  // namespace vantor
