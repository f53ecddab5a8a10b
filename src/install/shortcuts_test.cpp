#include "install/shortcuts.h"

#include <gtest/gtest.h>

#include "testing/fakes.h"

namespace vantor {
namespace {

using Span = testing::RecordingConsole::Span;

TEST(LauncherShortcutName, NamesTheFoundationFolderUnlessItSaysNothing) {
  EXPECT_EQ(LauncherShortcutName("D:\\Work\\Acme\\Tools\\Vantor.exe"), "Acme");
  // The foundation is the drive root, whose name is empty.
  EXPECT_EQ(LauncherShortcutName("D:\\Tools\\Vantor.exe"), "Vantor Environment");
  EXPECT_EQ(LauncherShortcutName("D:\\Vantor.exe"), "Vantor Environment");
  EXPECT_EQ(LauncherShortcutName("C:\\src\\vantor\\x64\\Release\\Vantor.exe"),
            "Vantor Environment");
  EXPECT_EQ(LauncherShortcutName("C:\\src\\Release\\bin\\Vantor.exe"), "Vantor Environment");
  EXPECT_EQ(LauncherShortcutName("C:\\src\\Debug\\bin\\Vantor.exe"), "Vantor Environment");
  // Only an exact match says nothing.
  EXPECT_EQ(LauncherShortcutName("C:\\src\\debug\\bin\\Vantor.exe"), "debug");
  EXPECT_EQ(LauncherShortcutName("C:\\proj\\Release\\Vantor.exe"), "proj");
  EXPECT_EQ(LauncherShortcutName("\\\\server\\share\\Tools\\Vantor.exe"), "share");
  EXPECT_EQ(LauncherShortcutName("\\\\server\\share\\Vantor.exe"), "Vantor Environment");
  EXPECT_EQ(LauncherShortcutName("\\\\server\\share\\Acme\\Tools\\Vantor.exe"), "Acme");
  EXPECT_EQ(LauncherShortcutName("/home/me/Acme/tools/vantor"), "Acme");
  EXPECT_EQ(LauncherShortcutName("/tools/vantor"), "Vantor Environment");
  EXPECT_EQ(LauncherShortcutName("Vantor.exe"), "Vantor Environment");
}

TEST(InstallPaths, AnchorAndFoundationKeepTheirRoots) {
  const auto check = [](const std::string& exe, const std::string& anchor,
                        const std::string& foundation) {
    const InstallPaths paths = InstallPathsOf(exe);
    EXPECT_EQ(paths.exe, exe);
    EXPECT_EQ(paths.anchor, anchor) << exe;
    EXPECT_EQ(paths.foundation, foundation) << exe;
  };
  check("D:\\Work\\Acme\\Tools\\Vantor.exe", "D:\\Work\\Acme\\Tools", "D:\\Work\\Acme");
  // "D:" would be the current folder of drive D, not its root.
  check("D:\\Tools\\Vantor.exe", "D:\\Tools", "D:\\");
  check("D:\\Vantor.exe", "D:\\", "D:\\");
  check("\\\\server\\share\\Vantor.exe", "\\\\server\\share", "\\\\server\\share");
  check("\\\\server\\share\\Tools\\Vantor.exe", "\\\\server\\share\\Tools", "\\\\server\\share");
  check("/opt/vantor/vantor", "/opt/vantor", "/opt");
  check("/vantor", "/", "/");
}

TEST(Shortcuts, DesktopPairStartsInTheFoundationFolder) {
  const InstallPaths paths = InstallPathsOf("D:\\Work\\Acme\\Tools\\Vantor.exe");
  const std::string exe = paths.exe;
  const std::vector<ShellLink> expected{
      {"C:\\Users\\me\\Desktop\\Acme.lnk", exe, "/L", "Vantor Launcher", exe, 2, "D:\\Work\\Acme",
       1},
      {"C:\\Users\\me\\Desktop\\Vantor Restore.lnk", exe, "/R", "Vantor Restore Utility", exe, 0,
       "D:\\Work\\Acme", 7},
  };
  EXPECT_EQ(DesktopShortcuts(paths, "C:\\Users\\me\\Desktop", PathStyle::Windows), expected);
}

TEST(Shortcuts, StartMenuFour) {
  const InstallPaths paths = InstallPathsOf("D:\\Tools\\Vantor.exe");
  const std::string exe = paths.exe;
  const std::string start = StartMenuFolder("C:\\Start\\Programs", PathStyle::Windows);
  EXPECT_EQ(start, "C:\\Start\\Programs\\Vantor Manager");
  const std::string manual = "D:\\Tools\\Vantor_Home\\Documentation\\Vantor_Env_Mgr_Read_Me.pdf";
  const std::vector<ShellLink> expected{
      {start + "\\The CP Launcher.lnk", exe, "/L", "Vantor Launcher", exe, 2, "D:\\", 1},
      {start + "\\Vantor Restore.lnk", exe, "/R", "Vantor Restore Utility", exe, 0, "D:\\", 7},
      {start + "\\Vantor User Guide.lnk", manual, "", "Vantor User Guide", manual, 0, "D:\\", 1},
      {start + "\\Vantor Home.lnk", "explorer.exe", "\"D:\\Tools\\Vantor_Home\"",
       "Vantor Home Folder", "explorer.exe", 0, "D:\\", 1},
  };
  EXPECT_EQ(StartMenuShortcuts(paths, start, PathStyle::Windows), expected);
}

TEST(Shortcuts, AFailedLinkIsNamed) {
  testing::FakeWorld world;
  ShellLink link{"C:\\Users\\me\\Desktop\\Acme.lnk", "C:\\V.exe", "/L", "", "", 0, "C:\\", 1};
  EXPECT_TRUE(CreateShellShortcut(world.console, world.system, link));
  EXPECT_TRUE(world.console.spans().empty());
  world.system.failingLinkPaths.insert(link.linkPath);
  EXPECT_FALSE(CreateShellShortcut(world.console, world.system, link));
  EXPECT_EQ(world.console.spans(),
            (std::vector<Span>{{color::kGrey, "      "},
                               {color::kYellow,
                                "[!] Shortcut could not be written: Acme.lnk "
                                "(Permission denied)\n"}}));
  EXPECT_EQ(world.console.color(), color::kGrey);
  EXPECT_EQ(world.system.shellLinks, (std::vector<ShellLink>{link, link}));
}

}  // namespace
}  // namespace vantor
