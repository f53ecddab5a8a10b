// The environment Creo inherits (HOME, WorkPath, PTC_WF_ROOT) and the
// three settings files kept in step with the master baseline.
#pragma once

#include <string>

#include "launcher/launch_state.h"

namespace vantor {

enum class Backup { No, Yes };

// True when both files can be read and hold the same bytes.
bool SameFileContent(const std::string& a, const std::string& b);

// Moves the user's file to its mirror place in the bin and logs it. Empty
// when it was moved, else the reason; the file is then where it was.
std::string MoveToSweepBin(Context& context, const std::string& file,
                           const std::string& displayName);

// Brings the user file in line with the master file as far as `reset`
// allows; a replaced file is first moved into the bin when `backup`.
void EnforceManagedFile(Context& context, const std::string& masterFile,
                        const std::string& userFile, bool reset, const std::string& displayName,
                        Backup backup);

void ApplyUserEnvironment(Context& context, const LaunchState& state);

}  // namespace vantor
