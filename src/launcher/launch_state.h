// What one launch knows as it goes from step to step.
#pragma once

#include <functional>
#include <string>

#include "install/config_editor.h"
#include "launcher/model_probe.h"
#include "maintenance/folder_maintenance.h"
#include "shell/context.h"

namespace vantor {

struct LaunchState {
  std::string anchorFolder;
  std::string targetFolder;
  std::string modelToLoad;
  std::string projectFile;  // target folder + VantorSP.ini
  std::string masterFile;   // anchor folder + Vantor.ini
  ProbeResult probe;
  std::string installedVersions;
  int chosenVersion = 0;
  bool lockedBySpecialProject = false;
  std::string executable;
  std::string versionLabel;
};

// How a step left the launch.
enum class StepResult {
  Continue,
  Ended,  // stopped with its message and the countdown
  Quit,   // the user chose Quit: no countdown
};

// The jobs of other subsystems the launcher calls; tests put recorders in.
struct LauncherHooks {
  std::function<int(Context&, const std::string& targetFolder, const std::string& anchorFolder,
                    const std::string& installedVersions, EditorMode)>
      openEditor = OpenConfigurationEditor;
  std::function<void(Context&, const std::string& targetFolder, MaintenanceMode, SweepSwitch)>
      maintainFolder = RunFolderMaintenance;
  std::function<void(Context&, int baseSeconds)> countdown;  // RunClosingCountdown when empty
};

inline constexpr int kLauncherCountdown = 10;

}  // namespace vantor
