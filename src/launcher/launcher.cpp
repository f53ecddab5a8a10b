#include "launcher/launcher.h"

#include <exception>

#include "base/paths.h"
#include "base/text.h"
#include "bin/bin_paths.h"
#include "bin/history_line.h"
#include "bin/history_log.h"
#include "launcher/creo_discovery.h"
#include "launcher/editor_shortcut.h"
#include "launcher/launch_screens.h"
#include "launcher/launch_target.h"
#include "launcher/legacy_decision.h"
#include "launcher/master_sync.h"
#include "launcher/model_probe.h"
#include "launcher/special_project.h"
#include "launcher/user_environment.h"
#include "shell/config_file.h"
#include "shell/console_text.h"
#include "shell/countdown.h"
#include "shell/fatal_error.h"

namespace vantor {
namespace {

void Countdown(Context& context, const LauncherHooks& hooks) {
  if (hooks.countdown)
    hooks.countdown(context, kLauncherCountdown);
  else
    RunClosingCountdown(context, kLauncherCountdown);
}

LaunchState StartState(Context& context, const std::string& targetArgument) {
  const PathStyle style = context.Style();
  LaunchState state;
  state.anchorFolder = context.anchorFolder;
  const LaunchTarget target =
      ResolveLaunchTarget(targetArgument, context.system.CurrentDirectory(), style);
  state.targetFolder = target.folder;
  state.modelToLoad = target.model;
  state.projectFile = JoinPath(state.targetFolder, kProjectFileName, style);
  state.masterFile = JoinPath(state.anchorFolder, kMasterFileName, style);
  return state;
}

// Reading a cloud-only model would download it whole, so none was read.
void PrintModelsOffline(Console& console) {
  console.Write("      ");
  Print(console, color::kYellow, "[INFO] ");
  Print(console, color::kGrey,
        "Every model here is online-only; none was downloaded to read its version.\n");
}

void RestoreMaster(Context& context, const LaunchState& state) {
  if (RestoreMasterFile(state.anchorFolder, context.Style()) != MasterFileState::Restored) return;
  context.console.Write("\n      ");
  Print(context.console, color::kYellow, "[INFO] ");
  Print(context.console, color::kGrey, "Master Vantor.ini was restored from internal memory.\n");
}

void SweepBeforeLaunch(Context& context, const LaunchState& state, const LauncherHooks& hooks) {
  const std::string value =
      ReadWithPrecedence(state.projectFile, state.masterFile, "CP_Launch_Sweep");
  hooks.maintainFolder(context, state.targetFolder, MaintenanceMode::BeforeLaunch,
                       IsSweepSwitchOff(value) ? SweepSwitch::Off : SweepSwitch::On);
}

// CP_Creo_Cmd, or the version choice, the data checks and the search.
StepResult SelectExecutable(Context& context, LaunchState& state) {
  state.executable = ReadWithPrecedence(state.projectFile, state.masterFile, "CP_Creo_Cmd");
  if (!state.executable.empty()) return StepResult::Continue;
  if (const auto result = ChooseCreoVersion(context, state); result != StepResult::Continue)
    return result;
  if (const auto result = CheckDataVersion(context, state); result != StepResult::Continue)
    return result;
  state.executable =
      FindCreoExecutable(state.probe.rootsText, state.chosenVersion, context.Style());
  return StepResult::Continue;
}

StepResult CheckExecutable(Context& context, const LaunchState& state) {
  if (PathExists(state.executable)) return StepResult::Continue;
  Console& console = context.console;
  console.Write("      ");
  Print(console, color::kRed, "[!] CRITICAL: ");
  Print(console, color::kYellow, "Target executable not found. Could not locate parametric.exe.\n");
  console.SetColor(color::kGrey);
  return StepResult::Ended;
}

// Said where the launch box ends: the box promised a Creo that did not come.
void ReportStartFailure(Console& console, const std::error_code& error) {
  console.Write("      ");
  Print(console, color::kRed, "[!] CRITICAL: ");
  Print(console, color::kYellow, "Creo could not be started (" + ReasonText(error) + ").\n");
  console.SetColor(color::kGrey);
}

void RecordLaunch(Context& context, const LaunchState& state) {
  const PathStyle style = context.Style();
  CreateFolders(BinFolderOf(state.anchorFolder, style));
  // The launch goes on without its line when the log cannot take it.
  PrependHistoryLine(HistoryLogOf(state.anchorFolder, style),
                     LaunchEventLine(HistoryTimeNow(), state.versionLabel, state.targetFolder));
}

// Everything up to the start of Creo.
StepResult PrepareLaunch(Context& context, LaunchState& state, const LauncherHooks& hooks,
                         bool shiftHeld) {
  state.probe = RunModelProbe(context, state.targetFolder);
  state.installedVersions = InstalledVersionsText(state.probe);
  PrintLauncherBanner(context.console, state.targetFolder, context.Style());
  if (state.probe.modelsOffline) PrintModelsOffline(context.console);
  if (shiftHeld) RunEditorShortcut(context, state, hooks);
  RestoreMaster(context, state);
  SweepBeforeLaunch(context, state, hooks);
  if (PathExists(state.projectFile)) PrepareSpecialProject(context, state.targetFolder);
  if (const auto result = SelectExecutable(context, state); result != StepResult::Continue)
    return result;
  return CheckExecutable(context, state);
}

void RunSequence(Context& context, const std::string& targetArgument, const LauncherHooks& hooks) {
  // SHIFT only has to be held while the job starts: read it before anything else.
  const bool shiftHeld = context.system.IsShiftHeld();
  LaunchState state = StartState(context, targetArgument);
  const StepResult prepared = PrepareLaunch(context, state, hooks, shiftHeld);
  if (prepared == StepResult::Quit) return;
  if (prepared == StepResult::Continue) {
    state.versionLabel = VersionLabelOf(state.executable);
    SyncWithMaster(context, state.anchorFolder);
    ApplyUserEnvironment(context, state);
    PrintLaunchBox(context.console, state.modelToLoad, state.versionLabel);
    // Only a Creo that started is a launch for the history log.
    if (const std::error_code error =
            context.system.ShellOpen(state.executable, state.modelToLoad, state.targetFolder)) {
      ReportStartFailure(context.console, error);
    } else {
      RecordLaunch(context, state);
    }
  }
  Countdown(context, hooks);
}

}  // namespace

void RunLauncher(Context& context, const std::string& targetArgument) {
  RunLauncher(context, targetArgument, LauncherHooks{});
}

void RunLauncher(Context& context, const std::string& targetArgument, const LauncherHooks& hooks) {
  // Only the launcher keeps a net of its own: whatever escapes is shown,
  // and the window stays open long enough to read it.
  try {
    RunSequence(context, targetArgument, hooks);
    return;
  } catch (const std::exception& error) {
    PrintFatalError(context.console, error.what());
  } catch (...) {
    PrintFatalError(context.console, nullptr);
  }
  Countdown(context, hooks);
}

}  // namespace vantor
