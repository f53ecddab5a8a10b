// Where Setup works from, and the shortcuts it puts on the desktop and into
// the Start Menu.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace vantor {

// Every path Setup and Uninstall use comes from the executable's own path,
// so each stage (and each run) works out the same places on its own.
struct InstallPaths {
  std::string exe;
  std::string anchor;      // the folder of the executable
  std::string foundation;  // the anchor's parent; the anchor itself at a root
};
InstallPaths InstallPathsOf(const std::string& exePath);

// The parent folder of `path`, "" when it has none. A drive root keeps its
// separator ("D:\"); "D:\", "\\server\share" and "/" have no parent.
std::string ParentFolderOrRoot(const std::string& path);

// The name (without ".lnk") of the desktop launcher shortcut: the
// foundation folder's name, unless that says nothing (a drive root, a build
// output folder), then "Vantor Environment".
std::string LauncherShortcutName(const std::string& exePath);

// Window states of a shortcut, as the SW_ values.
inline constexpr int kNormalWindow = 1;
inline constexpr int kMinimizedWithoutFocus = 7;

// The programs folder + "Vantor Manager".
std::string StartMenuFolder(const std::string& programsFolder, PathStyle style);
// The launcher and restore shortcuts of the user's desktop.
std::vector<ShellLink> DesktopShortcuts(const InstallPaths& paths, const std::string& desktopFolder,
                                        PathStyle style);
// Launcher, restore, user guide and home folder, in the Start Menu folder.
std::vector<ShellLink> StartMenuShortcuts(const InstallPaths& paths, const std::string& startFolder,
                                          PathStyle style);

// Writes one shortcut; when that fails, says so on the console and returns
// false.
bool CreateShellShortcut(Console& console, System& system, const ShellLink& link);

}  // namespace vantor
