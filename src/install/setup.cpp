#include "install/setup.h"

#include <vector>

#include "base/paths.h"
#include "base/text.h"
#include "install/explorer_menu.h"
#include "install/install_console.h"
#include "install/shortcuts.h"
#include "install/workspace.h"
#include "shell/console_text.h"
#include "shell/countdown.h"

namespace vantor {
namespace {

constexpr int kCountdownSeconds = 10;

// What the scaffold has to leave behind. It prints nothing for a part it
// could not make, so Setup looks for each one before it reports success.
std::vector<std::string> MissingScaffoldParts(const InstallPaths& paths, PathStyle style) {
  const std::string home = JoinPath(paths.anchor, "Vantor_Home", style);
  const std::string documentation = JoinPath(home, "Documentation", style);
  std::vector<std::string> missing;
  for (const std::string& folder :
       {home, JoinPath(home, "Settings", style), JoinPath(home, "Templates", style), documentation})
    if (!IsDirectory(folder)) missing.push_back(folder);
  for (const std::string& file :
       {JoinPath(JoinPath(home, "Templates", style), "VantorSP.ini", style),
        JoinPath(paths.anchor, "Vantor.ini", style),
        JoinPath(documentation, kManualFileName, style)})
    if (!PathExists(file)) missing.push_back(file);
  return missing;
}

void BuildScaffold(Context& context, const InstallPaths& paths) {
  Console& console = context.console;
  PrintInfoLine(console, "Building Workspace Scaffold...\n");
  BuildWorkspaceScaffold(console, paths.anchor, paths.foundation, context.Style());
  const auto missing = MissingScaffoldParts(paths, context.Style());
  if (missing.empty()) {
    PrintIndented(console, color::kGreen, "[+] Directories and templates initialized.\n\n");
    return;
  }
  for (const auto& path : missing)
    PrintIndented(console, color::kYellow, "[!] Could not create: " + path + "\n");
  console.Write("\n");
}

void OfferMigration(Context& context, const InstallPaths& paths, MigrationWizard wizard) {
  Console& console = context.console;
  PrintInfoLine(console, "Launching Migration Wizard...\n");
  if (wizard(context, paths.anchor))
    PrintIndented(console, color::kGreen, "[+] Legacy environment migrated successfully.\n\n");
  else
    PrintIndented(console, color::kYellow,
                  "[-] Migration skipped. Proceeding with clean environment.\n\n");
}

// Writes every link (a failed one is named) and reports success only when
// all of them were written.
void CreateShortcuts(Context& context, const std::vector<ShellLink>& links,
                     std::string_view successLine) {
  bool all = true;
  for (const auto& link : links)
    if (!CreateShellShortcut(context.console, context.system, link)) all = false;
  if (all)
    PrintIndented(context.console, color::kGreen, successLine);
  else
    context.console.Write("\n");
}

void CreateDesktopShortcuts(Context& context, const InstallPaths& paths) {
  Console& console = context.console;
  PrintInfoLine(console, "Generating Personal Desktop Shortcuts...\n");
  const std::string desktop = context.system.DesktopFolder();
  if (desktop.empty()) {
    PrintIndented(console, color::kYellow,
                  "[!] Desktop folder not found. Desktop Shortcuts were NOT created.\n\n");
    return;
  }
  CreateShortcuts(context, DesktopShortcuts(paths, desktop, context.Style()),
                  "[+] Desktop Shortcuts created.\n\n");
}

// Returns only when the elevated copy could not be started.
void RunUserStage(Context& context, const InstallPaths& paths, MigrationWizard wizard) {
  Console& console = context.console;
  BuildScaffold(context, paths);
  OfferMigration(context, paths, wizard);
  CreateDesktopShortcuts(context, paths);
  console.Write("  ");
  Print(console, color::kYellow,
        "[INFO] Requesting Administrator elevation for Context Menu registration...\n");
  console.SetColor(color::kGrey);
  RelaunchElevated(console, context.system, "/S");
  Print(console, color::kGrey,
        "         Right-click menus were NOT registered (Elevation declined).\n\n");
}

void RegisterRightClickMenus(Context& context, const InstallPaths& paths) {
  Console& console = context.console;
  PrintInfoLine(console, "Registering Right-Click menus...\n");
  // Stale values of an older setup go first; a key that is not there is
  // the normal case, and a write below that fails is reported on its own.
  RemoveExplorerMenus(context.system);
  const RegistryFailures failed = WriteExplorerMenus(context.system, paths.exe);
  if (failed.count == 0) {
    PrintIndented(console, color::kGreen, "[+] Registry keys configured.\n\n");
    return;
  }
  PrintIndented(console, color::kYellow,
                "[!] " + std::to_string(failed.count) + " of " +
                    std::to_string(ExplorerMenuValues(paths.exe).size()) +
                    " registry values could not be written (" + ReasonText(failed.first) +
                    "). Right-click menus are incomplete.\n\n");
}

void CreateStartMenu(Context& context, const InstallPaths& paths) {
  Console& console = context.console;
  PrintInfoLine(console, "Generating Start Menu Shortcuts...\n");
  const std::string programs = context.system.ProgramsFolder();
  // Without the programs folder the folder name alone would land in the
  // current folder.
  if (programs.empty()) {
    PrintIndented(console, color::kYellow,
                  "[!] Start Menu folder not found. Start Menu Shortcuts were NOT created.\n\n");
    return;
  }
  const std::string start = StartMenuFolder(programs, context.Style());
  if (!IsDirectory(start) && !CreateFolders(start)) {
    PrintIndented(console, color::kYellow,
                  "[!] Start Menu folder could not be created: " + start + "\n\n");
    return;
  }
  CreateShortcuts(context, StartMenuShortcuts(paths, start, context.Style()),
                  "[+] Start Menu folder and shortcuts created.\n\n");
}

void RunMachineStage(Context& context, const InstallPaths& paths) {
  RegisterRightClickMenus(context, paths);
  CreateStartMenu(context, paths);
}

}  // namespace

void RunSetup(Context& context) { RunSetup(context, ShowMigrationWizard); }

void RunSetup(Context& context, MigrationWizard wizard) {
  PrintInstallBox(context.console, "Installing Vantor Environment Setup...", color::kCyan);
  const InstallPaths paths = InstallPathsOf(context.system.ModulePath());
  if (context.system.IsAdministrator())
    RunMachineStage(context, paths);
  else
    RunUserStage(context, paths, wizard);
  PrintInstallBox(context.console, "Setup Complete.", color::kGreen);
  RunClosingCountdown(context, kCountdownSeconds);
}

}  // namespace vantor
