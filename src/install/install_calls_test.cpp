// The Linux stand-ins for the shell folders, the machine registry and shell
// links, through the real System of this build.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "shell/paths.h"
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

TEST_F(StandIns, RegistryValuesAreLinesReplacedInPlace) {
  EXPECT_TRUE(system.DeleteRegistryTree("Software\\Classes\\Nothing"));  // no file yet
  EXPECT_FALSE(PathExists(home / ".vantor-registry"));
  EXPECT_TRUE(system.SetRegistryString("Software\\A", "", "first"));
  EXPECT_TRUE(system.SetRegistryString("Software\\A", "Icon", "C:\\V.exe,2"));
  EXPECT_TRUE(system.SetRegistryString("Software\\A\\command", "", "\"C:\\V.exe\" /L \"%1\""));
  // Names compare without case, as Windows does.
  EXPECT_TRUE(system.SetRegistryString("software\\a", "icon", "C:\\V.exe,1"));
  EXPECT_EQ(Registry(),
            "Software\\A\t\tfirst\n"
            "Software\\A\tIcon\tC:\\V.exe,1\n"
            "Software\\A\\command\t\t\"C:\\V.exe\" /L \"%1\"\n");
  EXPECT_FALSE(system.SetRegistryString("Software\\A", "", "two\nlines"));
  EXPECT_FALSE(system.SetRegistryString("Soft\tware", "", "x"));
  EXPECT_FALSE(system.SetRegistryString("", "", "x"));
}

TEST_F(StandIns, DeletingATreeTakesItsSubkeysOnly) {
  for (const char* key :
       {"S\\Vantor_Launch", "S\\Vantor_Launch\\command", "S\\Vantor_Launcher", "S\\Other"})
    ASSERT_TRUE(system.SetRegistryString(key, "", "x"));
  EXPECT_TRUE(system.DeleteRegistryTree("s\\VANTOR_LAUNCH"));
  EXPECT_EQ(Registry(), "S\\Vantor_Launcher\t\tx\nS\\Other\t\tx\n");
  EXPECT_TRUE(system.DeleteRegistryTree("S\\Vantor_Launch"));  // already gone
}

TEST_F(StandIns, AnUnreadableRegistryIsNeverRewrittenFromNothing) {
  CreateFolders(home / ".vantor-registry");  // a folder where the file belongs
  EXPECT_FALSE(system.SetRegistryString("S\\A", "", "x"));
  EXPECT_FALSE(system.DeleteRegistryTree("S\\A"));
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
  ASSERT_TRUE(system.CreateShellLink(link));
  const std::string expected =
      "target=/opt/v/vantor\narguments=/L\ndescription=Vantor Launcher\n"
      "iconFile=/opt/v/vantor\niconIndex=2\nworkingFolder=/opt\nwindowState=7\n";
  EXPECT_EQ(ReadFile(link.linkPath), expected);
  ShellLink other = link;
  other.arguments = "/R";
  ASSERT_TRUE(system.CreateShellLink(other));  // replaces the file
  EXPECT_NE(ReadFile(link.linkPath).find("arguments=/R\n"), std::string::npos);

  other.linkPath = home / "missing/Acme.lnk";
  EXPECT_FALSE(system.CreateShellLink(other));
  other.linkPath = home / "Desktop/Bad.lnk";
  other.description = "two\nlines";
  EXPECT_FALSE(system.CreateShellLink(other));
  EXPECT_FALSE(PathExists(other.linkPath));
}

}  // namespace
}  // namespace vantor
