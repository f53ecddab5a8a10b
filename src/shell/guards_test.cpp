#include <gtest/gtest.h>

#include "shell/entry.h"

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
