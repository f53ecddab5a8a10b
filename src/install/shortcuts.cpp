#include "install/shortcuts.h"

#include "base/paths.h"
#include "base/text.h"
#include "install/install_console.h"
#include "install/workspace.h"

namespace vantor {
namespace {

constexpr const char* kDefaultLauncherName = "Vantor Environment";

bool AllSeparators(std::string_view text) {
  for (const char c : text)
    if (!IsSeparator(c)) return false;
  return !text.empty();
}

bool IsDrive(std::string_view text) { return text.size() == 2 && text[1] == ':'; }

// "\\server" or "\\server\share": the top of a network path.
bool IsNetworkRoot(std::string_view text) {
  if (text.size() < 3 || !IsSeparator(text[0]) || !IsSeparator(text[1])) return false;
  int separators = 0;
  for (const char c : text.substr(2))
    if (IsSeparator(c)) ++separators;
  return separators <= 1;
}

ShellLink Link(std::string linkPath, const std::string& target, std::string arguments,
               std::string description, const std::string& iconFile, int iconIndex,
               const InstallPaths& paths, int windowState) {
  return {std::move(linkPath),    target,     std::move(arguments),
          std::move(description), iconFile,   iconIndex,
          paths.foundation,       windowState};
}

}  // namespace

std::string ParentFolderOrRoot(const std::string& path) {
  const std::string trimmed = StripTrailingSeparators(path);
  if (AllSeparators(trimmed) || IsDrive(trimmed) || IsNetworkRoot(trimmed)) return {};
  std::size_t cut = trimmed.size();
  while (cut > 0 && !IsSeparator(trimmed[cut - 1])) --cut;
  if (cut == 0) return {};
  const std::string head = trimmed.substr(0, cut);  // ends with a separator
  const std::string parent = StripTrailingSeparators(head);
  if (AllSeparators(parent)) return parent.substr(0, 1);
  // "D:" alone means the current folder of drive D, not its root.
  if (IsDrive(parent)) return parent + head.back();
  return parent;
}

InstallPaths InstallPathsOf(const std::string& exePath) {
  InstallPaths paths{exePath, ParentFolderOrRoot(exePath), {}};
  paths.foundation = ParentFolderOrRoot(paths.anchor);
  if (paths.foundation.empty()) paths.foundation = paths.anchor;
  return paths;
}

std::string LauncherShortcutName(const std::string& exePath) {
  const std::string anchor = ParentFolderOrRoot(exePath);
  const std::string foundation = anchor.empty() ? anchor : ParentFolderOrRoot(anchor);
  if (foundation.empty()) return kDefaultLauncherName;
  // A drive root ("D:\\") has an empty name.
  const std::string name = LastComponent(foundation);
  for (const char* meaningless : {"Debug", "x64", "Release", "", "\\"})
    if (name == meaningless) return kDefaultLauncherName;
  return name;
}

std::string StartMenuFolder(const std::string& programsFolder, PathStyle style) {
  return JoinPath(programsFolder, "Vantor Manager", style);
}

std::vector<ShellLink> DesktopShortcuts(const InstallPaths& paths, const std::string& desktopFolder,
                                        PathStyle style) {
  const std::string& exe = paths.exe;
  return {
      Link(JoinPath(desktopFolder, LauncherShortcutName(exe) + ".lnk", style), exe, "/L",
           "Vantor Launcher", exe, 2, paths, kNormalWindow),
      Link(JoinPath(desktopFolder, "Vantor Restore.lnk", style), exe, "/R",
           "Vantor Restore Utility", exe, 0, paths, kMinimizedWithoutFocus),
  };
}

std::vector<ShellLink> StartMenuShortcuts(const InstallPaths& paths, const std::string& startFolder,
                                          PathStyle style) {
  const std::string& exe = paths.exe;
  const std::string home = JoinPath(paths.anchor, "Vantor_Home", style);
  const std::string manual =
      JoinPath(JoinPath(home, "Documentation", style), kManualFileName, style);
  return {
      Link(JoinPath(startFolder, "The CP Launcher.lnk", style), exe, "/L", "Vantor Launcher", exe,
           2, paths, kNormalWindow),
      Link(JoinPath(startFolder, "Vantor Restore.lnk", style), exe, "/R", "Vantor Restore Utility",
           exe, 0, paths, kMinimizedWithoutFocus),
      Link(JoinPath(startFolder, "Vantor User Guide.lnk", style), manual, "", "Vantor User Guide",
           manual, 0, paths, kNormalWindow),
      Link(JoinPath(startFolder, "Vantor Home.lnk", style), "explorer.exe", "\"" + home + "\"",
           "Vantor Home Folder", "explorer.exe", 0, paths, kNormalWindow),
  };
}

bool CreateShellShortcut(Console& console, System& system, const ShellLink& link) {
  const std::error_code error = system.CreateShellLink(link);
  if (!error) return true;
  PrintIndented(console, color::kYellow,
                "[!] Shortcut could not be written: " + LastComponent(link.linkPath) + " (" +
                    ReasonText(error) + ")\n");
  return false;
}

}  // namespace vantor
