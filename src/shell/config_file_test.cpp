#include "shell/config_file.h"

#include <gtest/gtest.h>

#include "base/paths.h"
#include "testing/fakes.h"

namespace vantor {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

TEST(SettingLines, KeyMustBeFollowedDirectlyByEquals) {
  EXPECT_EQ(SettingValue("CP_Keep_N=3", "CP_Keep_N"), "3");
  EXPECT_EQ(SettingValue("   CP_Keep_N= 3 \r", "CP_Keep_N"), "3");
  EXPECT_EQ(SettingValue("CP_Keep_N =3", "CP_Keep_N"), std::nullopt);
  EXPECT_EQ(SettingValue("cp_keep_n=3", "CP_Keep_N"), std::nullopt);
  EXPECT_EQ(SettingValue("CP_Keep_Nx=3", "CP_Keep_N"), std::nullopt);
}

TEST(Readers, FirstLastAndLastNonEmptyOccurrences) {
  TempDir dir;
  const std::string file = dir / "Vantor.ini";
  WriteFile(file,
            "[ Environment Launch ]\r\nCP_Creo_Cmd=a.bat\r\nCP_Creo_Cmd=b.bat\r\n"
            "CP_Keep_N=2\r\nCP_Keep_N=4\r\nCP_Keep_N=\r\n"
            "Vantor_Setup_Master=\\\\srv\\a\r\nVantor_Setup_Master=\r\n");
  EXPECT_EQ(ReadSetting(file, "CP_Creo_Cmd"), "a.bat");
  EXPECT_EQ(ReadLastNonEmptySetting(file, "CP_Keep_N"), "4");
  EXPECT_EQ(ReadLastSetting(file, "Vantor_Setup_Master"), "");
  EXPECT_EQ(ReadSetting(dir / "missing.ini", "CP_Creo_Cmd"), "");
}

TEST(Readers, CountdownReaderIgnoresIndentedLines) {
  TempDir dir;
  const std::string file = dir / "Vantor.ini";
  WriteFile(file, "  CP_Countdown=Hold\nCP_Countdown= Long \n");
  EXPECT_EQ(ReadCountdownSetting(file), "Long");
  EXPECT_EQ(ReadSetting(file, "CP_Countdown"), "Hold");
}

TEST(Precedence, EmptyProjectValueFallsThroughToMaster) {
  TempDir dir;
  const std::string project = dir / "VantorSP.ini", master = dir / "Vantor.ini";
  WriteFile(master, "CP_Creo_Cmd=master.bat\nCP_Reset_UI=yes\n");
  EXPECT_EQ(ReadWithPrecedence(project, master, "CP_Creo_Cmd"), "master.bat");
  WriteFile(project, "CP_Creo_Cmd=\nCP_Creo_Cmd=b.bat\nCP_Reset_UI=y\n");
  EXPECT_EQ(ReadWithPrecedence(project, master, "CP_Creo_Cmd"), "master.bat");
  WriteFile(project, "CP_Creo_Cmd=project.bat\n");
  EXPECT_EQ(ReadWithPrecedence(project, master, "CP_Creo_Cmd"), "project.bat");
}

TEST(YesNo, ExactWordsOnlyElseTheDefault) {
  for (const char* yes : {"1", "Yes", "yes", "YES", "Y", "true", "TRUE"})
    EXPECT_EQ(ParseYesNo(yes), true) << yes;
  for (const char* no : {"0", "No", "no", "NO", "N", "false", "FALSE"})
    EXPECT_EQ(ParseYesNo(no), false) << no;
  for (const char* other : {"", "y", "n", "True", "On", "off"})
    EXPECT_EQ(ParseYesNo(other), std::nullopt) << other;

  TempDir dir;
  WriteFile(dir / "Vantor.ini", "CP_Reset_UI=y\nCP_Reset_Mapkeys=NO\n");
  EXPECT_FALSE(ReadYesNo(dir / "VantorSP.ini", dir / "Vantor.ini", "CP_Reset_UI", false));
  EXPECT_TRUE(ReadYesNo(dir / "VantorSP.ini", dir / "Vantor.ini", "CP_Reset_Config", true));
  EXPECT_FALSE(ReadYesNo(dir / "VantorSP.ini", dir / "Vantor.ini", "CP_Reset_Mapkeys", true));
}

TEST(SweepSwitch, OffOnlyForTheNoWords) {
  for (const char* off : {"0", "No", "no", "NO", "N", "n", "false", "FALSE"})
    EXPECT_TRUE(IsSweepSwitchOff(off)) << off;
  for (const char* on : {"", "off", "Yes", "False", "nein"})
    EXPECT_FALSE(IsSweepSwitchOff(on)) << on;
}

TEST(RewriteSetting, ReplacesEveryLineAtTheFirstCharacterAndNormalisesLineEnds) {
  TempDir dir;
  const std::string file = dir / "VantorSP.ini";
  WriteFile(file, "a\nCP_Version_Max=\n  CP_Version_Max=7\nCP_Version_Max=8\r\nb");
  ASSERT_EQ(RewriteSetting(file, "CP_Version_Max", "9"), std::error_code());
  EXPECT_EQ(ReadFile(file),
            "a\r\nCP_Version_Max=9\r\n  CP_Version_Max=7\r\nCP_Version_Max=9\r\nb\r\n");
}

TEST(RewriteSetting, LeavesAFileWithoutTheKeyUnchangedApartFromLineEnds) {
  TempDir dir;
  const std::string file = dir / "VantorSP.ini";
  WriteFile(file, "x=1\ny=2\n");
  ASSERT_EQ(RewriteSetting(file, "CP_Version_Max", "9"), std::error_code());
  EXPECT_EQ(ReadFile(file), "x=1\r\ny=2\r\n");
}

TEST(RewriteSetting, NeverCreatesOrEmptiesAFileItCannotRead) {
  TempDir dir;
  EXPECT_EQ(RewriteSetting(dir / "missing.ini", "CP_Version_Max", "9"),
            std::errc::no_such_file_or_directory);
  EXPECT_FALSE(PathExists(dir / "missing.ini"));
  // A folder where the file should be cannot be read as lines.
  CreateFolders(dir / "VantorSP.ini");
  EXPECT_EQ(RewriteSetting(dir / "VantorSP.ini", "CP_Version_Max", "9"), std::errc::is_a_directory);
  EXPECT_TRUE(IsDirectory(dir / "VantorSP.ini"));
}

TEST(RestoreMasterFile, WritesTheTemplateOnlyWhenMissing) {
  TempDir dir;
  EXPECT_EQ(RestoreMasterFile(dir.path(), PathStyle::Posix), MasterFileState::Restored);
  EXPECT_EQ(ReadFile(dir / "Vantor.ini"), std::string(*EmbeddedResource(109)));
  WriteFile(dir / "Vantor.ini", "mine");
  EXPECT_EQ(RestoreMasterFile(dir.path(), PathStyle::Posix), MasterFileState::Present);
  EXPECT_EQ(ReadFile(dir / "Vantor.ini"), "mine");
  EXPECT_EQ(RestoreMasterFile(dir / "no/such/folder", PathStyle::Posix),
            MasterFileState::RestoreFailed);
}

}  // namespace
}  // namespace vantor
