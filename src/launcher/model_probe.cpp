#include "launcher/model_probe.h"

#include "shell/script_host.h"

namespace vantor {

std::string FillProbeScript(std::string_view templateText, const std::string& targetFolder) {
  return FillPlaceholder(templateText, "%TARGET_DIR%", EncodeScriptText(targetFolder));
}

ScriptResult<ProbeResult> RunModelProbe(Context& context, const std::string& targetFolder) {
  const auto templateText = LoadScriptTemplate(kProbeScriptName);
  if (!templateText) return templateText.error();
  const std::string script = FillProbeScript(*templateText, targetFolder);
  return ReadProbeResult(context.scripts.RunScript(script, ScriptWindow::Hidden));
}

std::string InstalledVersionsText(const ProbeResult& probe) {
  std::string text = std::to_string(probe.latestVersion);
  if (!probe.otherVersionsText.empty() && probe.otherVersionsText != "NONE")
    text += "," + probe.otherVersionsText;
  return text;
}

}  // namespace vantor
