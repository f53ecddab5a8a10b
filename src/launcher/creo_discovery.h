// Which Creo to start and where its parametric.exe is.
#pragma once

#include <string>

#include "launcher/launch_state.h"

namespace vantor {

// The version to start: the CP_Version_Max value (Special Project first,
// which also locks the version) when it names an installed version, else
// the latest installed one. Ends the launch (with its message) when the
// named version or any Creo at all is missing.
StepResult ChooseCreoVersion(Context& context, LaunchState& state);

// The parametric.exe of the first installation folder, in listing order
// over the "*"-joined roots, whose name begins with "Creo " and `version`;
// empty when there is none. A prefix test: 1 also matches Creo 10.0.0.0.
std::string FindCreoExecutable(const std::string& rootsText, int version, PathStyle style);

// "10.0.2.0" for ...\Creo 10.0.2.0\Parametric\bin\parametric.exe: the
// folder three levels up, without its first "Creo ".
std::string VersionLabelOf(const std::string& executable);

}  // namespace vantor
