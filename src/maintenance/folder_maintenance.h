// The /C job, and the sweep the launcher runs before Creo starts.
#pragma once

#include <string>

#include "maintenance/purge_settings.h"
#include "shell/context.h"

namespace vantor {

enum class MaintenanceMode { Standalone, BeforeLaunch };
enum class SweepSwitch { Off, On };

void RunFolderMaintenance(Context& context, const std::string& targetArgument, MaintenanceMode mode,
                          SweepSwitch sweep);

// The purge settings for `targetFolder`: the master file, then the
// folder's VantorSP.ini; in the anchor folder that file is swept as well.
PurgeSettings LoadSweepSettings(const std::string& targetFolder, const std::string& anchorFolder,
                                PathStyle style);

}  // namespace vantor
