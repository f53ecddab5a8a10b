#include <gtest/gtest.h>

#include <filesystem>

#include "base/paths.h"
#include "shell/entry.h"
#include "testing/fakes.h"

namespace vantor {
namespace {

constexpr auto kWin = PathStyle::Windows;

TEST(InfrastructureGuard, BlocksTheAnchorAndEverythingBelowIt) {
  const std::string anchor = "C:\\Tools\\Vantor";
  EXPECT_TRUE(IsInfrastructureTarget("C:\\Tools\\Vantor", anchor, kWin));
  EXPECT_TRUE(IsInfrastructureTarget("c:\\tools\\vantor\\Projects", anchor, kWin));
  EXPECT_TRUE(IsInfrastructureTarget("C:\\TOOLS\\VANTOR\\", anchor, kWin));
  EXPECT_FALSE(IsInfrastructureTarget("C:\\Tools\\VantorData", anchor, kWin));
  EXPECT_FALSE(IsInfrastructureTarget("D:\\Mirror\\C:\\Tools\\Vantor", anchor, kWin));
}

TEST(InfrastructureGuard, BlocksSweepBinsAndProjectEnvironmentsAnywhere) {
  const std::string anchor = "C:\\Tools\\Vantor";
  EXPECT_TRUE(IsInfrastructureTarget("D:\\Work\\Old_Vantor_Sweep_Copy", anchor, kWin));
  EXPECT_TRUE(IsInfrastructureTarget("E:\\Jobs\\P1\\vantorSP_userENV\\x", anchor, kWin));
  EXPECT_FALSE(IsInfrastructureTarget("E:\\Jobs\\P1\\VantorSP", anchor, kWin));
}

// The folder the job will really use is judged: after the fall-back to the
// current folder, and through links, as the anchor is too.
TEST(InfrastructureGuard, JudgesTheFolderTheJobWillReallyUse) {
  testing::TempDir temp;
  const std::string dir = FromFsPath(std::filesystem::canonical(ToFsPath(temp.path())));
  const std::string anchor = dir + "/Tools/Vantor";
  const std::string project = dir + "/Work/Project";
  const std::string mirror = anchor + "/Vantor_Sweep/C/Work/Project";
  testing::WriteFile(project + "/part.prt.1", "p");
  ASSERT_TRUE(CreateFolders(mirror) && CreateFolders(anchor + "/Vantor_Home"));
  const std::pair<const char*, std::string> links[] = {
      {"/anchor-link", anchor}, {"/Work/bin-link", mirror}, {"/project-link", project}};
  for (const auto& [name, to] : links)
    std::filesystem::create_directory_symlink(ToFsPath(to), ToFsPath(dir + name));
  struct Case {
    std::string argument, current, anchor, refused;
  };
  const std::string missing = dir + "/no/such/folder";
  const Case cases[] = {
      {missing, anchor, anchor, anchor},
      {missing, anchor + "/Vantor_Home", anchor, anchor + "/Vantor_Home"},
      {missing, project, anchor, ""},
      {dir + "/anchor-link", project, anchor, anchor},
      {dir + "/Work/bin-link", project, anchor, mirror},
      {dir + "/project-link", anchor, anchor, ""},
      {project + "/part.prt.1", anchor, anchor, ""},
      {anchor + "/Vantor_Home", project, dir + "/anchor-link", anchor + "/Vantor_Home"},
  };
  for (const auto& c : cases) {
    const auto refused = RefusedTarget(c.argument, c.current, c.anchor, PathStyle::Posix);
    EXPECT_EQ(refused.value_or(""), c.refused) << c.argument << " from " << c.current;
  }
}

TEST(ArchiveGuard, FiresOnlyForArchiveMarkersInsideTheTempFolder) {
  const std::string temp = "C:\\Users\\me\\AppData\\Local\\Temp\\";
  EXPECT_TRUE(IsRunningFromArchive("C:\\Users\\me\\AppData\\Local\\Temp\\7zO12345\\Vantor.exe",
                                   temp, kWin));
  EXPECT_TRUE(IsRunningFromArchive(
      "C:\\Users\\me\\AppData\\Local\\Temp\\Temp1_pack.zip\\Vantor.exe", temp, kWin));
  EXPECT_TRUE(IsRunningFromArchive("D:\\Scratch\\Rar$EXa1.2\\Vantor.exe", "d:\\scratch\\", kWin));
  EXPECT_FALSE(
      IsRunningFromArchive("C:\\Users\\me\\AppData\\Local\\Temp\\setup\\Vantor.exe", temp, kWin));
  EXPECT_FALSE(IsRunningFromArchive("D:\\Downloads\\pack.zip.d\\Vantor.exe", temp, kWin));
  // Another user's profile temp folder still counts as a temp folder.
  EXPECT_TRUE(IsRunningFromArchive("C:\\Users\\X\\AppData\\Local\\Temp\\Temp2_a.zip\\Vantor.exe",
                                   "", kWin));
}

TEST(Folders, AnchorAndFoundationComeFromTheModulePath) {
  EXPECT_EQ(AnchorFolderOf("C:\\Tools\\Vantor\\Vantor.exe"), "C:\\Tools\\Vantor");
  EXPECT_EQ(FoundationFolderOf("C:\\Tools\\Vantor"), "C:\\Tools");
  EXPECT_EQ(AnchorFolderOf("/opt/vantor/vantor"), "/opt/vantor");
  EXPECT_EQ(FoundationFolderOf("C:"), "");
}

}  // namespace
}  // namespace vantor
