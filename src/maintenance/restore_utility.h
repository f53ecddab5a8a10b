// The /R job: swept files back where they came from.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// The picker template with the rows file, the title, the retention days and
// the result file filled in.
std::string FillRestoreScript(std::string_view script, const std::string& rowsFile,
                              const std::string& title, const std::string& days,
                              const std::string& resultFile);

// The row numbers the picker wrote into `resultFile`, ascending and each
// below `rowCount`; none when it wrote nothing.
std::vector<std::size_t> ReadChosenRows(const std::string& resultFile, std::size_t rowCount);

struct MessageBoxRequest {
  std::string text;
  unsigned style = 0;
};

// The closing message for `restored` files moved back.
MessageBoxRequest RestoreOutcome(int restored);

}  // namespace vantor
