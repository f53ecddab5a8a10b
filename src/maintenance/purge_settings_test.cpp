#include "maintenance/purge_settings.h"

#include <gtest/gtest.h>

#include "maintenance/folder_maintenance.h"
#include "testing/fakes.h"

namespace vantor {
namespace {

using testing::TempDir;
using testing::WriteFile;
using Rules = std::vector<std::string>;

constexpr auto kPosix = PathStyle::Posix;

TEST(LoadPurgeSettings, ReadsKeysAtTheLineStartAndLetTheLastNonEmptyValueWin) {
  TempDir dir;
  WriteFile(dir / "Vantor.ini",
            "Controls how many iterations of a model to keep.\r\n"
            "CP_Keep_N=1\r\n"
            "  CP_Keep_N= 4 \t\r\n"
            "CP_Keep_N=\r\n"
            "cp_keep_n=9\r\n"
            "# CP_Max_Days=99\r\n"
            "CP_Max_Days=21\n"
            "CP_Max_Days_Old=30\n");
  PurgeSettings settings;
  LoadPurgeSettings(settings, dir / "Vantor.ini", SettingsFile::Master);
  EXPECT_EQ(settings.keepCount, "4");
  // "CP_Max_Days_Old=" is another key.
  EXPECT_EQ(settings.maxDays, "21");
}

TEST(LoadPurgeSettings, AccumulatesClutterLinesAndBlocksProtectedRulesAsWritten) {
  TempDir dir;
  WriteFile(dir / "Vantor.ini",
            "CP_Clutter=*.lst*, *.inf* ,,\r\n"
            "CP_Clutter=\r\n"
            "CP_Clutter=*.PRT,trail.txt.*\r\n"
            "CP_Clutter= * , *.log*\r\n");
  PurgeSettings settings;
  LoadPurgeSettings(settings, dir / "Vantor.ini", SettingsFile::Master);
  EXPECT_EQ(settings.masterClutter, "*.lst*,*.inf*,trail.txt.*,*.log*");
  EXPECT_EQ(settings.projectClutter, "");
  EXPECT_EQ(settings.blockedRules, (Rules{"*.PRT", "*"}));
}

TEST(LoadPurgeSettings, MissingFileChangesNothing) {
  TempDir dir;
  PurgeSettings settings{"2", "14", "a", "b", {"c"}};
  LoadPurgeSettings(settings, dir / "nothing.ini", SettingsFile::SpecialProject);
  EXPECT_EQ(settings.keepCount, "2");
  EXPECT_EQ(settings.maxDays, "14");
  EXPECT_EQ(settings.projectClutter, "a");
  EXPECT_EQ(settings.masterClutter, "b");
  EXPECT_EQ(settings.blockedRules, Rules{"c"});
}

class SweepSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(anchor + "/Vantor.ini",
              "CP_Keep_N=1\r\nCP_Max_Days=21\r\nCP_Clutter=*.lst*\r\nCP_Clutter=*.log*\r\n");
  }
  TempDir dir;
  std::string anchor = dir / "Anchor";
  std::string project = dir / "Proj";
};

TEST_F(SweepSettings, MasterRulesApplyWithoutAProjectFile) {
  const PurgeSettings settings = LoadSweepSettings(project, anchor, kPosix);
  EXPECT_EQ(settings.keepCount, "1");
  EXPECT_EQ(settings.maxDays, "21");
  EXPECT_EQ(EffectiveClutter(settings), "*.lst*,*.log*");
}

TEST_F(SweepSettings, ProjectRulesReplaceTheMasterListAndItsNumbersOverride) {
  WriteFile(project + "/VantorSP.ini",
            "CP_Keep_N=3\r\nCP_Max_Days=5\r\nCP_Clutter=*.bak, *.drw\r\n");
  const PurgeSettings settings = LoadSweepSettings(project, anchor, kPosix);
  EXPECT_EQ(settings.keepCount, "3");
  EXPECT_EQ(settings.maxDays, "5");
  EXPECT_EQ(EffectiveClutter(settings), "*.bak");
  EXPECT_EQ(settings.blockedRules, Rules{"*.drw"});
}

TEST_F(SweepSettings,
       ProjectFileWithoutAcceptedRulesLeavesMasterRulesAndEmptyKeysLeaveMasterValues) {
  WriteFile(project + "/VantorSP.ini", "CP_Keep_N=\r\nCP_Clutter=\r\nCP_Clutter=*.prt\r\n");
  const PurgeSettings settings = LoadSweepSettings(project, anchor, kPosix);
  EXPECT_EQ(settings.keepCount, "1");
  EXPECT_EQ(EffectiveClutter(settings), "*.lst*,*.log*");
  EXPECT_EQ(settings.blockedRules, Rules{"*.prt"});
}

TEST_F(SweepSettings, InTheAnchorFolderItsOwnProjectFileIsSwept) {
  WriteFile(anchor + "/VantorSP.ini", "CP_Clutter=\r\n");
  EXPECT_EQ(EffectiveClutter(LoadSweepSettings(anchor, anchor, kPosix)), "VantorSP.ini");
  WriteFile(anchor + "/VantorSP.ini", "CP_Clutter=*.tmp\r\n");
  EXPECT_EQ(EffectiveClutter(LoadSweepSettings(anchor, anchor, kPosix)), "*.tmp,VantorSP.ini");
}

}  // namespace
}  // namespace vantor
