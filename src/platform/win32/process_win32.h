// Child processes on Windows: CreateProcessW with inherited pipe handles.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace vantor {

// `program` and each argument quoted where needed.
std::string BuildCommandLine(const std::string& program, const std::vector<std::string>& arguments);
// Output and error captured through one pipe, no standard input; the
// system's reason when it could not be started.
SystemResult<ProcessOutput> RunCaptured(const std::string& commandLine, WORD show);
// `input` written to the child's standard input; its output is ours.
SystemResult<int> RunFeedingInput(const std::string& commandLine, std::string_view input);

}  // namespace vantor
