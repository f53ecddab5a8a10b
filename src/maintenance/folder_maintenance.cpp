#include "maintenance/folder_maintenance.h"

#include <filesystem>

#include "base/paths.h"
#include "base/shared_constants.h"
#include "bin/bin_paths.h"
#include "install/config_editor.h"
#include "maintenance/model_inventory.h"
#include "maintenance/spinner.h"
#include "maintenance/sweep.h"
#include "maintenance/sweep_report.h"
#include "maintenance/sweep_rules.h"
#include "shell/config_file.h"
#include "shell/console_text.h"
#include "shell/countdown.h"
#include "shell/target_folder.h"
#include "shell/whole_number.h"

namespace vantor {
namespace {

constexpr int kSpinnerWidth = 70;
constexpr int kCountdownSeconds = 12;

void PrintBanner(Context& context, const std::string& target) {
  context.console.Write("\n");
  PrintHeaderBox(
      context.console,
      {"Vantor Environment Folder Maintenance", std::string(" - v") + kVersionText, target},
      context.Style());
  context.console.SetColor(color::kGrey);
}

// Holding SHIFT right after the banner opens the cleaner settings first, so
// edits count in this very run.
void OfferCleanerSettings(Context& context, const std::string& target) {
  if (!context.system.IsShiftHeld()) return;
  Console& console = context.console;
  console.Write("  ");
  Print(console, color::kCyan, "    [+] [SHIFT] key detected. Opening Cleaner Configuration...");
  console.SetColor(color::kGrey);
  const int outcome =
      OpenConfigurationEditor(context, target, context.anchorFolder, "", EditorMode::Cleaner);
  ClearLine(console, kSpinnerWidth);
  console.Write("  ");
  if (outcome == kEditorSaved)
    Print(console, color::kGreen, "    [+] Settings updated. Resuming sweep...\n");
  else
    Print(console, color::kYellow, "    [-] Edit canceled. Resuming sweep...\n");
  console.SetColor(color::kGrey);
}

void EnsureMasterFile(Context& context, MaintenanceMode mode) {
  const MasterFileState state = RestoreMasterFile(context.anchorFolder, context.Style());
  if (mode != MaintenanceMode::Standalone || state == MasterFileState::Present) return;
  Console& console = context.console;
  console.Write("\n      ");
  if (state == MasterFileState::Restored) {
    Print(console, color::kYellow, "[INFO] ");
    Print(console, color::kGrey, "Master Vantor.ini was restored from internal memory.\n");
  } else {
    Print(console, color::kRed, "[ERROR] Vantor.ini missing and failed to restore.\n");
    console.SetColor(color::kGrey);
  }
}

void PrintAbort(Console& console) {
  Print(console, color::kRed, "              Aborting cleanup sequence.\n");
  console.SetColor(color::kGrey);
}

// Anything but a whole number stops the sweep before it touches a file.
bool CheckPurgeNumbers(Console& console, const PurgeSettings& settings) {
  const std::pair<const char*, const std::string*> numbers[] = {{"CP_Keep_N", &settings.keepCount},
                                                                {"CP_Max_Days", &settings.maxDays}};
  bool good = true;
  for (const auto& [key, value] : numbers) {
    if (ParseWholeNumber(*value)) continue;
    console.Write(good ? "\n    " : "    ");
    Print(console, color::kRed,
          std::string("[ERROR] ") + key + "=" + *value + " is not a whole number (0 or more).\n");
    console.SetColor(color::kGrey);
    good = false;
  }
  if (!good) PrintAbort(console);
  return good;
}

void PrintBlockedRules(Console& console, const std::vector<std::string>& rules) {
  std::string joined;
  for (const auto& rule : rules) joined += (joined.empty() ? "" : ", ") + rule;
  console.Write("\n    ");
  Print(console, color::kYellow, "[WARNING] Prohibited Clutter rules blocked: ");
  Print(console, color::kCyan, joined);
  console.SetColor(color::kGrey);
  console.Write("\n");
}

// False, after saying why, when the settings cannot drive a sweep.
bool SettingsReady(Console& console, const PurgeSettings& settings, const std::string& clutter) {
  if (settings.keepCount.empty() || settings.maxDays.empty() || clutter.empty()) {
    console.Write("\n    ");
    Print(console, color::kRed, "[ERROR] Essential Purge variables are undefined.\n");
    PrintAbort(console);
    return false;
  }
  return CheckPurgeNumbers(console, settings);
}

void SweepAndReport(Context& context, const SweepRequest& request, const std::string& maxDays) {
  Spinner spinner(context.console);
  // Without the spinner the sweep still runs; only the turning line is missing.
  const bool turning = !spinner.Start();
  const SweepOutcome outcome = SweepFolder(request);
  if (turning) spinner.Stop();
  if (!outcome.stopped.empty()) {
    Console& console = context.console;
    console.Write("      ");
    Print(console, color::kRed,
          "[ERROR] Sweep failed: the folder could not be read (" + outcome.stopped + ").\n");
    PrintAbort(console);
    return;
  }
  const SweepDestination destination{LastComponent(StripTrailingSeparators(context.anchorFolder)),
                                     Separator(context.Style()), maxDays, request.decimalSeparator};
  PrintCleanupReport(context.console, outcome, destination);
}

void RunSweep(Context& context, const std::string& target, const PurgeSettings& settings) {
  Console& console = context.console;
  const std::string clutter = EffectiveClutter(settings);
  if (!SettingsReady(console, settings, clutter)) return;
  const PathStyle style = context.Style();
  const std::string bin = BinFolderOf(context.anchorFolder, style);
  CreateFolderChain(bin);
  if (!settings.blockedRules.empty()) PrintBlockedRules(console, settings.blockedRules);
  console.Write("\n    ");
  Print(console, color::kCyan, "[CLEANUP]\n");
  console.SetColor(color::kGrey);
  SweepRequest request;
  // The log names full folders, whatever form the target arrived in.
  request.targetFolder = AbsolutePath(target, context.system.CurrentDirectory(), style);
  request.binFolder = bin;
  request.logFile = HistoryLogOf(context.anchorFolder, style);
  request.keepCount = *ParseWholeNumber(settings.keepCount);
  request.maxDays = *ParseWholeNumber(settings.maxDays);
  request.rules = SplitClutterRules(clutter);
  request.style = style;
  request.now = BinTimeNow();
  request.decimalSeparator = UserDecimalSeparator();
  SweepAndReport(context, request, settings.maxDays);
}

}  // namespace

PurgeSettings LoadSweepSettings(const std::string& targetFolder, const std::string& anchorFolder,
                                PathStyle style) {
  PurgeSettings settings;
  LoadPurgeSettings(settings, JoinPath(anchorFolder, kMasterFileName, style), SettingsFile::Master);
  const std::string project = JoinPath(targetFolder, kProjectFileName, style);
  if (!PathExists(project)) return settings;
  LoadPurgeSettings(settings, project, SettingsFile::SpecialProject);
  if (targetFolder == anchorFolder) AppendRule(settings.projectClutter, kProjectFileName);
  return settings;
}

void RunFolderMaintenance(Context& context, const std::string& targetArgument, MaintenanceMode mode,
                          SweepSwitch sweep) {
  const std::string target =
      ResolveTargetFolder(targetArgument, context.system.CurrentDirectory(), context.Style())
          .folder;
  const bool standalone = mode == MaintenanceMode::Standalone;
  if (standalone) {
    PrintBanner(context, target);
    OfferCleanerSettings(context, target);
  }
  EnsureMasterFile(context, mode);
  const PurgeSettings settings = LoadSweepSettings(target, context.anchorFolder, context.Style());
  if (sweep == SweepSwitch::On) RunSweep(context, target, settings);
  PrintInventory(context.console, TakeInventory(target));
  if (!standalone) return;
  context.console.Write("\n");
  RunClosingCountdown(context, kCountdownSeconds);
}

}  // namespace vantor
