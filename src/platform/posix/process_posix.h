// Child processes on Linux: fork and exec, no shell in between.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace vantor {

// Runs argv[0] (searched on PATH) with its output and error captured and
// no standard input. The system's reason when it could not be started.
SystemResult<ProcessOutput> RunCaptured(const std::vector<std::string>& argv);
// Runs argv[0] with `input` as its standard input and our own output.
SystemResult<int> RunFeedingInput(const std::vector<std::string>& argv, std::string_view input);
// Starts argv[0] in `folder` without waiting for it.
std::error_code StartDetached(const std::vector<std::string>& argv, const std::string& folder);

}  // namespace vantor
