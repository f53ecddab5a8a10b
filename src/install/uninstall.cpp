#include <filesystem>
#include <system_error>

#include "base/paths.h"
#include "base/text.h"
#include "install/explorer_menu.h"
#include "install/install_console.h"
#include "install/setup.h"
#include "install/shortcuts.h"
#include "shell/console_text.h"
#include "shell/countdown.h"

namespace vantor {
namespace {

constexpr int kCountdownSeconds = 10;

void AskForElevation(Context& context) {
  Console& console = context.console;
  console.Write("\n  ");
  Print(console, color::kYellow,
        "[INFO] Administrator privileges required for uninstall. Requesting elevation...\n");
  console.SetColor(color::kGrey);
  RelaunchElevated(console, context.system, "/U");
  Print(console, color::kGrey,
        "  [ABORT] Cannot remove registry keys without Administrator rights.\n");
}

void RemoveRightClickMenus(Context& context) {
  PrintInfoLine(context.console, "Scrubbing Right-Click menus from Registry...\n");
  // A key that is not there is already removed; one that stays is not.
  const RegistryFailures failed = RemoveExplorerMenus(context.system);
  if (failed.count == 0)
    PrintIndented(context.console, color::kGreen, "[-] Registry keys completely removed.\n\n");
  else
    PrintIndented(context.console, color::kYellow,
                  "[!] Some registry keys could not be removed (Right-click menus remain): " +
                      ReasonText(failed.first) + ".\n\n");
}

// Deletes the link when it is there. A link that cannot be checked or
// deleted is reported and the next step runs.
void RemoveDesktopLink(Console& console, const std::string& linkPath, std::string_view what) {
  const auto path = ToFsPath(linkPath);
  std::error_code ec;
  const bool exists = std::filesystem::exists(path, ec);
  if (!ec && !exists) return;
  if (!ec) std::filesystem::remove(path, ec);
  if (ec) {
    PrintIndented(
        console, color::kYellow,
        "[!] Failed to remove " + std::string(what) + " desktop shortcut: " + ec.message() + "\n");
    return;
  }
  PrintIndented(console, color::kGreen,
                "[-] " + std::string(what) + " desktop shortcut removed.\n");
}

void RemoveDesktopShortcuts(Context& context) {
  Console& console = context.console;
  PrintInfoLine(console, "Checking for Desktop Shortcuts...\n");
  const std::string desktop = context.system.DesktopFolder();
  if (desktop.empty()) {
    PrintIndented(console, color::kYellow, "[!] Desktop folder not found.\n");
    return;
  }
  const PathStyle style = context.Style();
  const std::string name = LauncherShortcutName(context.system.ModulePath());
  RemoveDesktopLink(console, JoinPath(desktop, name + ".lnk", style), "Personal");
  RemoveDesktopLink(console, JoinPath(desktop, "Vantor Restore.lnk", style), "Restore");
}

// Windows refuses to delete a read-only file, and a user may have marked
// one in the folder; links are left as they are, never followed.
void AllowDeletion(const std::filesystem::path& folder) {
  namespace fs = std::filesystem;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code fileError;
    if (fs::is_regular_file(it->symlink_status(fileError)))
      fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, fileError);
  }
}

void RemoveStartMenuFolder(Context& context) {
  Console& console = context.console;
  console.Write("\n");
  PrintInfoLine(console, "Checking for Start Menu Folder...\n");
  const std::string programs = context.system.ProgramsFolder();
  // Without the programs folder the folder name alone would point into
  // the current folder, which is never ours to delete.
  if (programs.empty()) {
    PrintIndented(console, color::kYellow, "[!] Start Menu folder not found.\n");
    return;
  }
  const auto start = ToFsPath(StartMenuFolder(programs, context.Style()));
  std::error_code ec;
  const bool exists = std::filesystem::exists(start, ec);
  if (!ec && !exists) return;
  if (!ec) {
    AllowDeletion(start);
    std::filesystem::remove_all(start, ec);
  }
  if (ec)
    PrintIndented(console, color::kYellow,
                  "[!] Failed to remove Start Menu folder: " + ec.message() + "\n");
  else
    PrintIndented(console, color::kGreen, "[-] Start Menu folder 'Vantor Manager' removed.\n");
}

}  // namespace

void RunUninstall(Context& context) {
  if (!context.system.IsAdministrator()) {
    AskForElevation(context);
    return;
  }
  PrintInstallBox(context.console, "Uninstalling Vantor Environment Setup...", color::kRed);
  RemoveRightClickMenus(context);
  RemoveDesktopShortcuts(context);
  RemoveStartMenuFolder(context);
  PrintInstallBox(context.console, "Uninstall Complete.", color::kGreen);
  RunClosingCountdown(context, kCountdownSeconds);
}

}  // namespace vantor
