// The /L job: Creo started on a folder with a managed environment.
#pragma once

#include <string>

#include "launcher/launch_state.h"
#include "shell/context.h"

namespace vantor {

void RunLauncher(Context& context, const std::string& targetArgument);

// The same job with the editor, the sweep and the countdown it calls
// replaceable (tests).
void RunLauncher(Context& context, const std::string& targetArgument, const LauncherHooks& hooks);

}  // namespace vantor
