// The /C job, and the sweep the launcher runs before Creo starts.
#pragma once

#include <string>

#include "shell/context.h"

namespace vantor {

enum class MaintenanceMode { Standalone, BeforeLaunch };
enum class SweepSwitch { Off, On };

void RunFolderMaintenance(Context& context, const std::string& targetArgument,
                          MaintenanceMode mode, SweepSwitch sweep);

}  // namespace vantor
