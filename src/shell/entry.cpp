#include "shell/entry.h"

#include <exception>

#include "base/paths.h"
#include "base/text.h"
#include "install/setup.h"
#include "launcher/launcher.h"
#include "maintenance/folder_maintenance.h"
#include "maintenance/restore_utility.h"
#include "shell/console_text.h"
#include "shell/countdown.h"
#include "shell/fatal_error.h"
#include "shell/script_host.h"

namespace vantor {
namespace {

constexpr int kGuardCountdown = 10;

void ShowArchiveStop(Context& context) {
  Console& console = context.console;
  console.Write("\n");
  PrintBanner(console);
  Print(console, color::kRed, "  [!] EXECUTION ERROR: Running directly from a ZIP file.\n\n");
  Print(console, color::kYellow,
        "      Vantor cannot establish a stable environment in a temporary folder.\n\n");
  RunClosingCountdown(context, kGuardCountdown);
}

// The folder and/or jobs of one command-line flag; false for an unknown flag.
bool DispatchFlag(Context& context, const std::string& flag, const std::string& folder) {
  if (flag == "/L")
    RunLauncher(context, folder);
  else if (flag == "/C")
    RunFolderMaintenance(context, folder, MaintenanceMode::Standalone, SweepSwitch::On);
  else if (flag == "/R")
    RunRestoreUtility(context);
  else if (flag == "/M")
    RunMigrationWizard(context);
  else if (flag == "/S")
    RunSetup(context);
  else if (flag == "/U")
    RunUninstall(context);
  else
    return false;
  return true;
}

int RunFromArguments(Context& context, const std::vector<std::string>& arguments) {
  const std::string flag = ToUpperAscii(arguments[0]);
  std::string folder = arguments.size() > 1 ? arguments[1] : std::string();
  if (flag == "/L" || flag == "/C") {
    // A relative folder is guarded, and later used, as the full path it names.
    const std::string current = context.system.CurrentDirectory();
    if (!folder.empty()) folder = AbsolutePath(folder, current, context.Style());
    if (const auto refused =
            RefusedTarget(folder, current, context.anchorFolder, context.Style())) {
      ShowBlockedScreen(context, *refused);
      RunClosingCountdown(context, kGuardCountdown);
      return 1;
    }
    // A folder that names nothing now must not name something by the time
    // the job looks: the job works where the guard looked.
    if (!PathExists(folder)) folder.clear();
  }
  if (!DispatchFlag(context, flag, folder)) ShowMainMenu(context);
  return 0;
}

// A job that lets an error escape still ends with a readable message.
int ReportFatalError(Context& context, const char* message) {
  PrintFatalError(context.console, message);
  try {
    RunClosingCountdown(context, kGuardCountdown);
  } catch (...) {
    // The countdown reads files too; if that fails again the message stays.
  }
  return 1;
}

}  // namespace

void PrintBanner(Console& console) {
  PrintHeaderBox(console, {"Vantor Env Manager Utility ", std::string("- v") + kVersionText, {}},
                 PathStyle::Windows);
  console.Write("\n");
  console.SetColor(color::kGrey);
}

void ShowBlockedScreen(Context& context, const std::string& target) {
  Console& console = context.console;
  console.Clear();
  console.Write("\n");
  PrintBanner(console);
  console.Write("  ");
  Print(console, color::kRed, "[BLOCKED] ");
  Print(console, color::kYellow, "Execution inside infrastructure folders is prohibited!\n");
  console.Write("            ");
  Print(console, color::kGrey, "Target: ");
  Print(console, color::kCyan, target + "\n\n");
  console.Write("  ");
  Print(console, color::kDarkGrey, "          Restricted zones include:\n");
  console.Write("            ");
  Print(
      console, color::kGrey,
      "The '" + LastComponent(context.anchorFolder) + "' Anchor root and all its subfolders.\n\n");
  console.Write("  ");
  Print(console, color::kRed, "Aborting to protect environment integrity.\n\n");
  console.SetColor(color::kGrey);
}

int RunVantor(Context& context, const std::vector<std::string>& arguments) {
  const std::string modulePath = context.system.ModulePath();
  context.console.SetTitle(std::string("Vantor Env Mgr - v") + kVersionText);
  context.console.UseBoxCodePage();
  try {
    if (IsRunningFromArchive(modulePath, context.system.TempFolder(), context.Style())) {
      ShowArchiveStop(context);
      return 1;
    }
    RemoveOrphanedPayloads(context.system);
    if (arguments.empty()) {
      ShowMainMenu(context);
      return 0;
    }
    return RunFromArguments(context, arguments);
  } catch (const std::exception& error) {
    return ReportFatalError(context, error.what());
  } catch (...) {
    return ReportFatalError(context, nullptr);
  }
}

}  // namespace vantor
