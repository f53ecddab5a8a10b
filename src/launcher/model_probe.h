// The model-version probe: one script run that samples the models of the
// target folder and lists the installed Creo versions.
#pragma once

#include <string>

#include "launcher/launch_state.h"

namespace vantor {

inline constexpr const char* kProbeScriptName = "model_probe.ps1";

// The probe template with the target folder filled in (as encoded text, so
// any folder name is data to the script).
std::string FillProbeScript(std::string_view templateText, const std::string& targetFolder);

// What the probe reported, or why it reported nothing (the launch then
// goes on with the start values of ProbeResult).
ScriptResult<ProbeResult> RunModelProbe(Context& context, const std::string& targetFolder);

// The latest version, then "," and the other versions when there are any:
// "11,8,9,10"; "0" when nothing is installed.
std::string InstalledVersionsText(const ProbeResult& probe);

}  // namespace vantor
