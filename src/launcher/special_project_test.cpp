#include "launcher/special_project.h"

#include <gtest/gtest.h>

#include "launcher/launcher_test_support.h"

namespace vantor {
namespace {

using Span = testing::RecordingConsole::Span;
using testing::LaunchWorld;
using testing::ReadFile;
using testing::WriteFile;

TEST(PrepareSpecialProject, CreatesTheUserEnvironmentAndTheLocalConfig) {
  LaunchWorld w;
  WriteFile(w.project + "/VantorSP.ini", "");
  PrepareSpecialProject(w.context(), w.project);
  EXPECT_TRUE(IsDirectory(w.project + "/VantorSP_UserEnv"));
  EXPECT_EQ(ReadFile(w.project + "/config.pro"), std::string(*EmbeddedResource(107)));
  EXPECT_EQ(w.world.console.spans(),
            (std::vector<Span>{{7, "\n      "},
                               {14, "[*] Special Project Folder Detected\n"},
                               {8,
                                "          Loading local VantorSP.ini overrides\n"
                                "          -> Extracted local config.pro\n"}}));
  EXPECT_EQ(w.world.console.color(), 7);
}

TEST(PrepareSpecialProject, KeepsTheFoldersOwnConfig) {
  LaunchWorld w;
  WriteFile(w.project + "/config.pro", "mine\n");
  PrepareSpecialProject(w.context(), w.project);
  EXPECT_EQ(ReadFile(w.project + "/config.pro"), "mine\n");
  EXPECT_EQ(w.Text(),
            "\n      [*] Special Project Folder Detected\n"
            "          Loading local VantorSP.ini overrides\n");
}

TEST(GenerateSpecialProject, RewritesEveryLockLineOfAnExistingFile) {
  LaunchWorld w;
  WriteFile(w.project + "/VantorSP.ini",
            "CP_Version_Max=8\nCP_Countdown=Long\r\nCP_Version_Max=\n");
  GenerateSpecialProject(w.context(), w.project, 10);
  EXPECT_EQ(ReadFile(w.project + "/VantorSP.ini"),
            "CP_Version_Max=10\r\nCP_Countdown=Long\r\nCP_Version_Max=10\r\n");
  EXPECT_EQ(w.world.console.spans(),
            (std::vector<Span>{{7, "\n      "},
                               {10, "[+] Generating Special Project Environment for CP 10...\n"}}));
}

TEST(GenerateSpecialProject, AnIndentedLineDoesNotLock) {
  LaunchWorld w;
  WriteFile(w.project + "/VantorSP.ini", "  CP_Version_Max=8\r\n");
  GenerateSpecialProject(w.context(), w.project, 10);
  EXPECT_EQ(ReadFile(w.project + "/VantorSP.ini"), "  CP_Version_Max=8\r\n");
}

TEST(DesignateSpecialProject, WritesTheTemplate) {
  LaunchWorld w;
  DesignateSpecialProject(w.project + "/VantorSP.ini");
  EXPECT_EQ(ReadFile(w.project + "/VantorSP.ini"), std::string(*EmbeddedResource(108)));
}

}  // namespace
}  // namespace vantor
