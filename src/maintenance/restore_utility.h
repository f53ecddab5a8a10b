// The /R job: swept files back where they came from.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "shell/context.h"

namespace vantor {

void RunRestoreUtility(Context& context);

// Caption of the restore window and of every message box of the job.
std::string RestoreCaption();

// The retention days the window names: the last non-empty "CP_Max_Days="
// of the master Vantor.ini, else "14".
std::string ReadRetentionDays(const std::string& anchorFolder, PathStyle style);

// What the console shows while the window is open.
void PrintRestoreNotice(Console& console);

// The restore window template with its values filled in. The window also
// writes its exit code into `resultFile`: on Linux an exit code wraps at 256.
std::string FillRestoreScript(std::string_view script, const std::string& binFolder,
                              const std::string& logFile, const std::string& days,
                              const std::string& resultFile);

// Temp folder + "Vantor_Result_" + process id + ".txt".
std::string RestoreResultPath(System& system);
// The exit code the window wrote into `resultFile`, else `processExitCode`.
int ReadRestoreResult(const std::string& resultFile, int processExitCode);

struct MessageBoxRequest {
  std::string text;
  unsigned style = 0;
};

// The closing message for `restored` files moved back.
MessageBoxRequest RestoreOutcome(int restored);

}  // namespace vantor
