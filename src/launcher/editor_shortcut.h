// SHIFT held as the launch starts: the configuration editor first, then
// the launch goes on with the edited settings.
#pragma once

#include "launcher/launch_state.h"

namespace vantor {

void RunEditorShortcut(Context& context, const LaunchState& state, const LauncherHooks& hooks);

}  // namespace vantor
