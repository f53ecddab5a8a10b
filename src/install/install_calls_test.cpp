// The Linux stand-ins for the shell folders, the machine registry and shell
// links, through the real System of this build.
#include <gtest/gtest.h>

#include "base/paths.h"
#include "platform/platform.h"
#include "testing/fakes.h"

namespace vantor {
namespace {

using testing::ReadFile;
using testing::TempDir;

// The stand-ins live under $HOME; each test gets a home of its own.
class StandIns : public ::testing::Test {
 protected:
  void SetUp() override {
    if (system.Style() != PathStyle::Posix) GTEST_SKIP() << "the real registry is not for tests";
    saved = system.GetEnv("HOME");
    system.SetEnv("HOME", home.path());
  }
  void TearDown() override {
    if (saved) system.SetEnv("HOME", *saved);
  }
  std::string Registry() const { return ReadFile(home / ".vantor-registry"); }

  System& system = RealSystem();
  TempDir home;
  std::optional<std::string> saved;
};

TEST_F(StandIns, ShellFoldersAndRightsFollowHome) {
  EXPECT_EQ(system.DesktopFolder(), home / "Desktop");
  EXPECT_EQ(system.ProgramsFolder(), home / ".local/share/applications");
  EXPECT_FALSE(PathExists(home / "Desktop"));  // looked up, not made
  EXPECT_EQ(system.IsAdministrator(), ReadFile("/proc/self/status").find("\nUid:\t0\t") !=
                                          std::string::npos);  // root stands in
}

const std::error_code kDone;
const std::error_condition kInvalid = std::errc::invalid_argument;

TEST_F(StandIns, RegistryValuesAreLinesReplacedInPlace) {
  EXPECT_EQ(system.DeleteRegistryTree("Software\\Classes\\Nothing"), kDone);  // no file yet
  EXPECT_FALSE(PathExists(home / ".vantor-registry"));
  EXPECT_EQ(system.SetRegistryString("Software\\A", "", "first"), kDone);
  EXPECT_EQ(system.SetRegistryString("Software\\A", "Icon", "C:\\V.exe,2"), kDone);
  EXPECT_EQ(system.SetRegistryString("Software\\A\\command", "", "\"C:\\V.exe\" /L \"%1\""), kDone);
  // Names compare without case, as Windows does.
  EXPECT_EQ(system.SetRegistryString("software\\a", "icon", "C:\\V.exe,1"), kDone);
  EXPECT_EQ(Registry(),
            "Software\\A\t\tfirst\n"
            "Software\\A\tIcon\tC:\\V.exe,1\n"
            "Software\\A\\command\t\t\"C:\\V.exe\" /L \"%1\"\n");
  EXPECT_EQ(system.SetRegistryString("Software\\A", "", "two\nlines"), kInvalid);
  EXPECT_EQ(system.SetRegistryString("Soft\tware", "", "x"), kInvalid);
  EXPECT_EQ(system.SetRegistryString("", "", "x"), kInvalid);
}

TEST_F(StandIns, DeletingATreeTakesItsSubkeysOnly) {
  for (const char* key :
       {"S\\Vantor_Launch", "S\\Vantor_Launch\\command", "S\\Vantor_Launcher", "S\\Other"})
    ASSERT_EQ(system.SetRegistryString(key, "", "x"), kDone);
  EXPECT_EQ(system.DeleteRegistryTree("s\\VANTOR_LAUNCH"), kDone);
  EXPECT_EQ(Registry(), "S\\Vantor_Launcher\t\tx\nS\\Other\t\tx\n");
  EXPECT_EQ(system.DeleteRegistryTree("S\\Vantor_Launch"), kDone);  // already gone
}

TEST_F(StandIns, AnUnreadableRegistryIsNeverRewrittenFromNothing) {
  CreateFolders(home / ".vantor-registry");  // a folder where the file belongs
  EXPECT_NE(system.SetRegistryString("S\\A", "", "x"), kDone);
  EXPECT_NE(system.DeleteRegistryTree("S\\A"), kDone);
  EXPECT_TRUE(IsDirectory(home / ".vantor-registry"));
}

TEST_F(StandIns, AShellLinkIsATextFileOfItsFields) {
  CreateFolders(home / "Desktop");
  const ShellLink link{home / "Desktop/Acme.lnk",
                       "/opt/v/vantor",
                       "/L",
                       "Vantor Launcher",
                       "/opt/v/vantor",
                       2,
                       "/opt",
                       7};
  ASSERT_EQ(system.CreateShellLink(link), kDone);
  const std::string expected =
      "target=/opt/v/vantor\narguments=/L\ndescription=Vantor Launcher\n"
      "iconFile=/opt/v/vantor\niconIndex=2\nworkingFolder=/opt\nwindowState=7\n";
  EXPECT_EQ(ReadFile(link.linkPath), expected);
  ShellLink other = link;
  other.arguments = "/R";
  ASSERT_EQ(system.CreateShellLink(other), kDone);  // replaces the file
  EXPECT_NE(ReadFile(link.linkPath).find("arguments=/R\n"), std::string::npos);

  other.linkPath = home / "missing/Acme.lnk";
  EXPECT_EQ(system.CreateShellLink(other), std::errc::no_such_file_or_directory);
  other.linkPath = home / "Desktop/Bad.lnk";
  other.description = "two\nlines";
  EXPECT_EQ(system.CreateShellLink(other), kInvalid);
  EXPECT_FALSE(PathExists(other.linkPath));
}

}  // namespace
}  // namespace vantor
